// Studies for the properties tests, written as study files and read back, so
// every table is built from what the reader really makes of a file.
#pragma once

#include "viewer/study/StudyReader.h"

#include <QByteArray>
#include <QString>

#include <ostream>
#include <string>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace proptest {

inline std::string Crlf(std::initializer_list<const char*> lines)
{
    std::string text;
    for (const char* line : lines)
        text += std::string(line) + "\r\n";
    return text;
}

inline study::StudyRecord ReadStudy(const std::string& bytes)
{
    study::StudyRecord record;
    QString errMsg;
    study::ReadStudyData(record, QByteArray::fromStdString(bytes), errMsg);
    if (!errMsg.isEmpty())
        record.StudyName = QStringLiteral("unreadable: ") + errMsg;
    return record;
}

// Two views, "North" and "South", of three samples under one sky.
inline std::string TwoViewsThreeSamples()
{
    std::string text = Crlf({"[HEADER]", "Office", "Boston", "42.5", "-71.25", "180", "4", "1", "1",
                             "[VIEW]", "North", "South", "[ENDVIEW]"});
    const char* times[] = {"9:00", "12:00", "15:00"};
    for (int k = 0; k < 3; ++k) {
        const std::string n = std::to_string(k + 1);
        text += Crlf({"[SAMPLE]", "4", "1", "Jun 21", times[k], k == 1 ? "True" : "False", "jobs\\office.hvx"});
        text += "[RGB]\r\nimages\\n_00" + n + ".jpg\r\nimages\\s_00" + n + ".jpg\r\n";
        text += "[PSEUDO]\r\nn_00" + n + "p.jpg\r\ns_00" + n + "p.jpg\r\n";
    }
    return text;
}

// Empty names everywhere they can be (view, images, HALVEX file), an unnamed
// sky code, and a daylight-saving sample.
inline std::string EmptyNamesAndDaylightSaving()
{
    return Crlf({"[HEADER]", "Atrium", "Lisbon", "38.7", "-9.1", "0", "1", "3", "3",
                 "[VIEW]", "East", "", "[ENDVIEW]",
                 "[SAMPLE]", "1", "2", "Mar 21", "8:00", "False", "C:\\Jobs\\atrium.hvx",
                 "[RGB]", "images\\e_001.jpg", "",
                 "[PSEUDO]", "", "w_001p.jpg",
                 "[SAMPLE]", "262144", "1", "Jun 21", "12:00", "True", "",
                 "[RGB]", "e_002.jpg", "w_002.jpg"});
}

inline const char kEmptyNamesCopyText[] =
    "Daylight Study Properties: Atrium\r\n"
    "View Name\tSky\tElectric\tRGB File\tPseudo File\tDate\tTime\tHALVEX File\r\n"
    "East\tClear\tOff\te_001.jpg\tN.A.\tMar 21\t8:00\tatrium.hvx\t\r\n"
    "East\tUnknown (262144)\tOn\te_002.jpg\tN.A.\tJun 21\t12:00\t\t\r\n"
    "\t\t\t\t\t\t\t\t\r\n"
    "\tClear\tOff\tN.A.\tw_001p.jpg\tMar 21\t8:00\tatrium.hvx\t\r\n"
    "\tUnknown (262144)\tOn\tw_002.jpg\tN.A.\tJun 21\t12:00\t\t\r\n"
    "\t\t\t\t\t\t\t\t\r\n";

} // namespace proptest
