// A study folder on disk for the packaging tests, reading packages back with
// our reader and with the peer tools, and a writer that fails on purpose.
#pragma once

#include "TestPaths.h"

#include "platform/cab/CabReader.h"
#include "platform/com/ClassRegistry.h"
#include "platform/com/ComObject.h"
#include "viewer/packaging/CabinetWriterComponent.h"

#include <QString>
#include <QStringList>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <vector>

inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace packtest {

inline QString Q(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

inline const char kStudyFile[] = "[HEADER]\r\nOffice\r\nBoston\r\n42.5\r\n-71.25\r\n180\r\n4\r\n1\r\n1\r\n"
                                 "[VIEW]\r\nNorth\r\n[ENDVIEW]\r\n"
                                 "[SAMPLE]\r\n4\r\n1\r\nJun 21\r\n9:00\r\nFalse\r\noffice.hvx\r\n"
                                 "[RGB]\r\na.jpg\r\n[PSEUDO]\r\nB.JPG\r\n";

// Every kind of name the selection must tell apart. Contents differ per file
// so a mix-up shows in the extracted bytes.
inline std::map<std::string, std::string> MixedFolderFiles()
{
    return {
        {"study.dvf", kStudyFile},
        {"a.jpg", std::string(70000, 'a') + "end of a"},
        {"B.JPG", "bytes of B"},
        {"c.Jpg", "bytes of c"},
        {"second.DvF", "another study in the same folder"},
        {"project.Hvx", "halvex project"},
        {"render.rsf", "radiosity solution"},
        {"d.jpeg", "not a .jpg ending"},
        {"notes.txt", "left out"},
        {"jpg", "no dot"},
        {".hidden.jpg", "hidden files stay out"},
    };
}

inline void WriteFiles(const testsupport::TempDir& dir, const std::map<std::string, std::string>& files)
{
    for (const auto& [name, bytes] : files)
        dir.Write(name, bytes);
}

// Entry names of a cabinet in stored order, read by our reader.
inline std::vector<std::string> EntryNames(const std::filesystem::path& cabinet)
{
    cab::CabReader reader;
    if (reader.Open(cabinet.string()))
        return {"<not a cabinet>"};
    std::vector<std::string> names;
    for (const cab::CabEntry& entry : reader.Entries())
        names.push_back(entry.name);
    return names;
}

inline bool HaveTool(const char* name)
{
    return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

inline int RunQuiet(const std::string& command)
{
    return std::system((command + " >/dev/null 2>&1").c_str());
}

// Every regular file below a folder with its bytes, by name.
inline std::map<std::string, std::string> FolderContents(const std::filesystem::path& folder)
{
    std::map<std::string, std::string> files;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
        if (entry.is_regular_file())
            files[std::filesystem::relative(entry.path(), folder).string()] = testsupport::ReadAll(entry.path());
    }
    return files;
}

// A cabinet writer that fails at one of its three calls, registered in place
// of the real one for as long as it is in scope.
class FailingWriter final : public com::Object, public packaging::ICabinetWriter {
public:
    enum class FailAt { Create, Add, Close };

    static com::Module& TestModule()
    {
        static com::Module module;
        return module;
    }

    explicit FailingWriter(FailAt at, QString text) : com::Object(TestModule()), at_(at), text_(std::move(text)) {}

    com::HRESULT CreateCabinet(const QString&, bool, bool, bool) override { return Answer(FailAt::Create); }
    com::HRESULT AddCabinetFile(const QString&, const QString&) override { return Answer(FailAt::Add); }
    com::HRESULT CloseCabinet() override { return Answer(FailAt::Close); }
    QString ErrorDescription() const override { return failed_ ? text_ : QString(); }
    void SetProgress(std::function<void(const packaging::CabinetWriterProgress&)>) override {}

private:
    com::HRESULT Answer(FailAt call)
    {
        if (call != at_)
            return com::kSOk;
        failed_ = true;
        return packaging::HResultFromWin32(112);
    }

    FailAt at_;
    QString text_;
    bool failed_ = false;
};

class FailingWriterInstalled {
public:
    FailingWriterInstalled(FailingWriter::FailAt at, const QString& text)
        : registration_(com::ClassInfo{packaging::kClsidCabinetWriter, "", "tests", nullptr, [at, text] {
              return std::static_pointer_cast<com::Object>(std::make_shared<FailingWriter>(at, text));
          }})
    {
    }

private:
    com::ClassRegistration registration_;
};

} // namespace packtest
