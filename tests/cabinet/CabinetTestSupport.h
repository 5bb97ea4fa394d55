// Listeners that record what the cabinet objects report, and small helpers
// the cabinet tests share.
#pragma once

#include "TestPaths.h"
#include "cabinet/TessalyCabinet.h"
#include "cabinet/basCabUtil.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace cabtest {

namespace fs = std::filesystem;

inline std::time_t ModifiedTime(const fs::path& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
}

inline std::time_t LocalTime(int year, int month, int day, int hour, int minute, int second)
{
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

inline bool Writable(const fs::path& path)
{
    return (fs::status(path).permissions() & fs::perms::owner_write) != fs::perms::none;
}

class CreateRecorder : public tessaly::clsCreateCabEvents {
public:
    struct Status {
        tessaly::FDINT type;
        std::int32_t info1, info2;
    };
    std::vector<Status> statuses;
    std::vector<std::pair<std::int16_t, std::string>> before;
    std::function<bool(std::int16_t)> cancelBefore = [](std::int16_t) { return false; };
    std::function<bool(const Status&)> cancelStatus = [](const Status&) { return false; };

    void CompressStatus(tessaly::FDINT& type, std::int32_t& info1, std::int32_t& info2, bool& cancel) override
    {
        statuses.push_back({type, info1, info2});
        if (cancelStatus(statuses.back()))
            cancel = true;
    }
    void BeforeFileAdd(std::int16_t& count, std::string& filename, bool& cancel) override
    {
        before.emplace_back(count, filename);
        if (cancelBefore(count))
            cancel = true;
    }
};

class ExtractRecorder : public tessaly::clsExtractCabEvents {
public:
    struct Seen {
        tessaly::FDINT type;
        std::string name;
        std::int32_t cb;
        std::int16_t setId;
        std::int32_t fDie;
        bool extract;
    };
    std::vector<Seen> seen;
    // May change the Extract and Cancel arguments.
    std::function<void(const Seen&, bool& extract, bool& cancel)> act = [](const Seen&, bool&, bool&) {};

    void ExtractStatus(tessaly::FDINT& type, std::shared_ptr<tessaly::clsFDIStruct>& info, bool& extract,
                       bool& cancel) override
    {
        seen.push_back({type, info->psz1(), info->cb(), info->SetID(), info->fDie(), extract});
        act(seen.back(), extract, cancel);
    }

    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (const auto& s : seen)
            names.push_back(s.name);
        return names;
    }
};

// Every test starts from a freshly loaded library.
class CabinetTest : public ::testing::Test {
protected:
    void SetUp() override { tessaly::ResetModuleState(); }
    void TearDown() override { tessaly::ResetModuleState(); }

    // A cabinet of the given (source name in `dir_`, entry name) pairs.
    fs::path MakeCabinet(const std::string& cabName, const std::vector<std::pair<std::string, std::string>>& files,
                         const std::vector<bool>& execute = {})
    {
        auto creator = tessaly::clsCreateCab::Create();
        creator->CabinetFile((dir_ / cabName).string());
        for (std::size_t i = 0; i < files.size(); ++i) {
            creator->ToCompressFiles()->AddFile((dir_ / files[i].first).string(), files[i].second);
            if (i < execute.size())
                creator->ToCompressFiles()->Item(static_cast<std::int32_t>(i) + 1)->ExecuteFlag(execute[i]);
        }
        creator->Compress();
        return dir_ / cabName;
    }

    // An extraction object with its cabinet listed and errors collected.
    std::shared_ptr<tessaly::clsExtractCab> Listed(const fs::path& cabinet)
    {
        auto reader = tessaly::clsExtractCab::Create();
        reader->CabFileName(cabinet.string());
        reader->SetErrorReporter([this](const std::string& text) { reported_.push_back(text); });
        reader->SetLauncher([this](const std::string& path) { launched_.push_back(path); });
        reader->LaunchMarkedFiles(true);
        reader->GetFilesInfo();
        return reader;
    }

    static std::vector<std::string> EntryNames(const tessaly::clsCompressedFiles& files)
    {
        std::vector<std::string> names;
        for (std::int32_t i = 1; i <= files.Count(); ++i)
            names.push_back(files.Item(i)->FileCabName());
        return names;
    }

    testsupport::TempDir dir_;
    std::vector<std::string> reported_;
    std::vector<std::string> launched_;
};

} // namespace cabtest
