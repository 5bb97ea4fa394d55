// Builds study files for the tests: the lines of a section joined with CR LF,
// written to a scratch folder and read back through ReadStudyFile.
#pragma once

#include "TestPaths.h"

#include "viewer/study/StudyReader.h"

#include <QString>

#include <initializer_list>
#include <ostream>
#include <string>

// Readable QString values in assertion failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace studytest {

// Lines joined, each ended with CR LF as the studies are written.
inline std::string Lines(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

// A complete header: study "Office", site "Boston", 42.5 / -71.25 / 180,
// masks 5, 3 and 1.
inline std::string Header(const char* name = "Office")
{
    return "[HEADER]\r\n" + std::string(name) + "\r\nBoston\r\n42.5\r\n-71.25\r\n180\r\n5\r\n3\r\n1\r\n";
}

inline std::string Sample(const char* sky, const char* date, const char* time, const char* dst = "False")
{
    return "[SAMPLE]\r\n" + std::string(sky) + "\r\n1\r\n" + date + "\r\n" + time + "\r\n" + dst + "\r\nstudy.hlx\r\n";
}

inline QString Q(const char* utf8) { return QString::fromUtf8(utf8); }

// Writes bytes to a scratch file and reads it into record; returns ErrMsg.
inline QString Read(study::StudyRecord& record, const std::string& bytes)
{
    testsupport::TempDir dir;
    const auto path = dir.Write("study.dvf", bytes);
    QString errMsg = QStringLiteral("not cleared");
    study::ReadStudyFile(record, QString::fromStdString(path.string()), errMsg);
    return errMsg;
}

inline QString DataFile(const char* name)
{
    return QStringLiteral(STUDY_TEST_DATA "/") + QLatin1String(name);
}

} // namespace studytest
