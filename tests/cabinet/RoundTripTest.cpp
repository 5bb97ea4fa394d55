// A folder tree through Compress and ExtractFiles: bytes, dates, times and
// attributes come back as they went in.
#include "CabinetTestSupport.h"

#include <cstdlib>
#include <map>
#include <utime.h>

namespace {

using namespace tessaly;
namespace fs = std::filesystem;

// Runs the test in a time zone with summer time, so that stored local times
// are converted with the offset of their own date.
class ZoneGuard {
public:
    explicit ZoneGuard(const char* zone)
    {
        if (const char* old = std::getenv("TZ"))
            old_ = old;
        had_ = std::getenv("TZ") != nullptr;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ZoneGuard()
    {
        if (had_)
            ::setenv("TZ", old_.c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::string old_;
    bool had_ = false;
};

void SetModified(const fs::path& path, std::time_t when)
{
    struct utimbuf times {when, when};
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

struct SourceFile {
    std::string relative; // below the tree, with "/"
    std::string bytes;
    std::time_t modified;
    bool readOnly = false;
};

class RoundTrip : public cabtest::CabinetTest {};

TEST_F(RoundTrip, ATreeComesBackWithItsBytesDatesTimesAndAttributes)
{
    ZoneGuard zone("Europe/Berlin");
    std::string random(200000, '\0');
    unsigned state = 7;
    for (auto& c : random) {
        state = state * 1664525u + 1013904223u;
        c = static_cast<char>(state >> 24);
    }
    const std::vector<SourceFile> sources = {
        {"top.txt", "top level\n", cabtest::LocalTime(2023, 1, 15, 8, 30, 10)},
        {"sub/winter.txt", std::string(70000, 'w'), cabtest::LocalTime(2019, 12, 24, 23, 59, 59)},
        {"sub/sommer \xc3\xbc\xc3\xa9.txt", "summer file", cabtest::LocalTime(2020, 7, 1, 12, 0, 0)},
        {"sub/deeper/\xe6\x97\xa5\xe6\x9c\xac.bin", random, cabtest::LocalTime(2001, 3, 25, 1, 2, 4)},
        {"sub/deeper/readonly.txt", "do not touch", cabtest::LocalTime(1999, 10, 31, 2, 30, 0), true},
        {"empty.dat", "", cabtest::LocalTime(2010, 6, 6, 6, 6, 6)},
    };
    for (const auto& s : sources) {
        auto path = dir_.Write("tree/" + s.relative, s.bytes);
        SetModified(path, s.modified);
        if (s.readOnly)
            fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
    }
    dir_.Write("tree/.hidden", "left out");
    dir_.Write("tree/sub/.also-hidden", "left out");

    auto creator = clsCreateCab::Create();
    creator->CabinetFile((dir_ / "tree.cab").string());
    creator->ToCompressFiles()->AddDirectory((dir_ / "tree").string());
    creator->Compress();

    auto reader = Listed(dir_ / "tree.cab");
    auto files = reader->CompressedFiles();
    std::map<std::string, std::shared_ptr<clsCompressedFile>> byName;
    for (std::int32_t i = 1; i <= files->Count(); ++i) {
        files->Item(i)->ExtractFlag(true);
        byName[files->Item(i)->FileCabName()] = files->Item(i);
    }
    ASSERT_EQ(byName.size(), sources.size());
    for (const auto& s : sources) {
        std::string name = s.relative;
        std::replace(name.begin(), name.end(), '/', '\\');
        ASSERT_TRUE(byName.count(name)) << name;
        const auto& entry = *byName[name];
        EXPECT_EQ(entry.FileSize(), static_cast<std::int32_t>(s.bytes.size()));
        const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
        EXPECT_EQ(entry.Attribs(), 0x20 | (s.readOnly ? 0x01 : 0) | (ascii ? 0 : 0x80)) << name;
        std::tm local{};
        localtime_r(&s.modified, &local);
        EXPECT_EQ(entry.FileDate(), ((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5) | local.tm_mday) << name;
        EXPECT_EQ(entry.FileTime(), (local.tm_hour << 11) | (local.tm_min << 5) | (local.tm_sec / 2)) << name;
    }

    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(reader->LastError(), "");
    for (const auto& s : sources) {
        const fs::path out = dir_ / "out" / s.relative;
        ASSERT_TRUE(fs::exists(out)) << s.relative;
        EXPECT_EQ(testsupport::ReadAll(out), s.bytes) << s.relative;
        EXPECT_EQ(cabtest::ModifiedTime(out), s.modified - s.modified % 2) << s.relative;
        EXPECT_EQ(cabtest::Writable(out), !s.readOnly) << s.relative;
    }
    EXPECT_FALSE(fs::exists(dir_ / "out/.hidden"));
    EXPECT_FALSE(fs::exists(dir_ / "out/sub/.also-hidden"));

    // Extracting again over the read-only file replaces it as well.
    reader->ExtractFiles((dir_ / "out").string());
    EXPECT_EQ(reader->LastError(), "");
}

} // namespace
