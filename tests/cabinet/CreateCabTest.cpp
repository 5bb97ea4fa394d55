#include "CabinetTestSupport.h"

#include <algorithm>
#include <set>

#include <sys/stat.h>

namespace {

using namespace tessaly;
namespace fs = std::filesystem;

class CreateCab : public cabtest::CabinetTest {
protected:
    std::set<std::string> NameSet(const clsToCompressFiles& files)
    {
        std::set<std::string> names;
        for (std::int32_t i = 1; i <= files.Count(); ++i)
            names.insert(files.Item(i)->NameInCab());
        return names;
    }

    std::vector<std::string> CabinetNames(const fs::path& cabinet)
    {
        return EntryNames(*Listed(cabinet)->CompressedFiles());
    }

    std::vector<std::string> Folder(const fs::path& folder)
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(folder))
            names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(CreateCab, AddDirectoryNamesEntriesRelativeToTheRootAndLeavesHiddenFilesOut)
{
    dir_.Write("tree/top.txt", "1");
    dir_.Write("tree/.hidden", "2");
    dir_.Write("tree/sub/a.txt", "3");
    dir_.Write("tree/sub/deeper/b.txt", "4");
    dir_.Write("tree/sub/.secret.txt", "5");
    fs::create_directories(dir_ / "tree/empty");
    ::mkfifo((dir_ / "tree/pipe").c_str(), 0600); // would block a reader: not a file to store

    for (std::string root : {(dir_ / "tree").string(), (dir_ / "tree").string() + "/"}) {
        auto files = std::make_shared<clsToCompressFiles>();
        files->AddDirectory(root);
        EXPECT_EQ(NameSet(*files), (std::set<std::string>{"top.txt", "sub\\a.txt", "sub\\deeper\\b.txt"})) << root;
        for (std::int32_t i = 1; i <= files->Count(); ++i) {
            EXPECT_EQ(files->Item(i)->CompressionType(), 1);
            EXPECT_FALSE(files->Item(i)->ExecuteFlag());
            EXPECT_TRUE(fs::exists(NativePath(files->Item(i)->SourcePath()))) << files->Item(i)->SourcePath();
        }
    }
}

TEST_F(CreateCab, AddDirectoryDoesNotFollowLinksToFolders)
{
    dir_.Write("tree/a.txt", "a");
    dir_.Write("elsewhere/b.txt", "b");
    fs::create_directory_symlink(dir_ / "tree", dir_ / "tree/loop");
    fs::create_directory_symlink(dir_ / "elsewhere", dir_ / "tree/link");
    fs::create_symlink(dir_ / "elsewhere/b.txt", dir_ / "tree/b-link.txt");
    auto files = std::make_shared<clsToCompressFiles>();
    files->AddDirectory((dir_ / "tree").string());
    EXPECT_EQ(NameSet(*files), (std::set<std::string>{"a.txt", "b-link.txt"}));
}

TEST_F(CreateCab, AddFileTakesPlainVisibleFilesOnlyAndNamesThemAfterThemselves)
{
    auto plain = dir_.Write("folder/plain.txt", "p");
    auto hidden = dir_.Write(".hidden.txt", "h");
    auto files = std::make_shared<clsToCompressFiles>();
    files->AddFile(hidden.string());
    files->AddFile((dir_ / "missing.txt").string());
    files->AddFile((dir_ / "folder").string());
    EXPECT_EQ(files->Count(), 0);

    std::string name = "   ";
    files->AddFile(plain.string(), name);
    EXPECT_EQ(name, "plain.txt") << "the caller's variable receives the name";
    files->AddFile(plain.string(), "in\\cab.txt", 0);
    files->AddFile(plain.string(), "", 70000); // not a 16-bit compression type: nothing added
    ASSERT_EQ(files->Count(), 2);
    EXPECT_EQ(files->Item(1)->NameInCab(), "plain.txt");
    EXPECT_EQ(files->Item(1)->SourcePath(), plain.string());
    EXPECT_EQ(files->Item(1)->CompressionType(), 1);
    EXPECT_EQ(files->Item(2)->NameInCab(), "in\\cab.txt");
    EXPECT_EQ(files->Item(2)->CompressionType(), 0);

    EXPECT_EQ(files->Item(0), nullptr);
    EXPECT_EQ(files->Item(3), nullptr);
    files->Remove(0);
    files->Remove(3);
    EXPECT_EQ(files->Count(), 2);
    files->Remove(1);
    ASSERT_EQ(files->Count(), 1);
    EXPECT_EQ(files->Item(1)->NameInCab(), "in\\cab.txt");
}

TEST_F(CreateCab, NothingHappensWithABlankCabinetNameOrAnEmptyList)
{
    dir_.Write("a.txt", "a");
    auto creator = clsCreateCab::Create();
    auto events = std::make_shared<cabtest::CreateRecorder>();
    creator->Advise(events);
    creator->CabinetFile((dir_ / "out.cab").string());
    EXPECT_NO_THROW(creator->Compress());
    creator->CabinetFile("   ");
    creator->ToCompressFiles()->AddFile((dir_ / "a.txt").string());
    EXPECT_NO_THROW(creator->Compress());
    EXPECT_TRUE(events->before.empty());
    EXPECT_EQ(Folder(dir_.path()), std::vector<std::string>{"a.txt"});
}

TEST_F(CreateCab, BeforeFileAddCountsFromOneAndACancelFinishesWithTheFilesBefore)
{
    for (int i = 1; i <= 5; ++i)
        dir_.Write("f" + std::to_string(i) + ".txt", std::string(1000 * i, 'x'));
    auto creator = clsCreateCab::Create();
    creator->CabinetFile((dir_ / "out.cab").string());
    for (int i = 1; i <= 5; ++i)
        creator->ToCompressFiles()->AddFile((dir_ / ("f" + std::to_string(i) + ".txt")).string());
    auto events = std::make_shared<cabtest::CreateRecorder>();
    events->cancelBefore = [](std::int16_t count) { return count == 3; };
    creator->Advise(events);
    EXPECT_NO_THROW(creator->Compress());
    ASSERT_EQ(events->before.size(), 3u);
    for (std::int16_t i = 1; i <= 3; ++i) {
        EXPECT_EQ(events->before[i - 1].first, i);
        EXPECT_EQ(events->before[i - 1].second, (dir_ / ("f" + std::to_string(i) + ".txt")).string());
    }
    EXPECT_EQ(CabinetNames(dir_ / "out.cab"), (std::vector<std::string>{"f1.txt", "f2.txt"}));
    EXPECT_EQ(CurrentCreateCab(), creator);

    // The list is kept: a second run stores it again, with what was added since.
    dir_.Write("f6.txt", "six");
    creator->ToCompressFiles()->AddFile((dir_ / "f6.txt").string());
    events->cancelBefore = [](std::int16_t) { return false; };
    creator->Compress();
    EXPECT_EQ(CabinetNames(dir_ / "out.cab").size(), 6u);
}

TEST_F(CreateCab, ACancelInCompressStatusIsAUserAbortThatLeavesTheOldCabinet)
{
    dir_.Write("big.txt", std::string(400000, 'y'));
    dir_.Write("out.cab", "older cabinet");
    const auto before = Folder(dir_.path());
    for (std::int32_t stopAt : {0, 1}) {
        auto creator = clsCreateCab::Create();
        creator->CabinetFile((dir_ / "out.cab").string());
        creator->ToCompressFiles()->AddFile((dir_ / "big.txt").string());
        auto quiet = std::make_shared<cabtest::CreateRecorder>();
        auto stopper = std::make_shared<cabtest::CreateRecorder>();
        stopper->cancelStatus = [stopAt](const auto& s) { return s.type == stopAt; };
        creator->Advise(quiet);
        creator->Advise(stopper);
        try {
            creator->Compress();
            FAIL() << "no error";
        } catch (const com::ComError& e) {
            EXPECT_EQ(e.Number(), -2147221403);
            EXPECT_EQ(e.Description(), "User Abort");
            EXPECT_EQ(e.Source(), "TessalyCabinet");
        }
        EXPECT_EQ(quiet->statuses.size(), stopper->statuses.size()) << "both listeners heard every report";
        EXPECT_EQ(testsupport::ReadAll(dir_ / "out.cab"), "older cabinet");
        EXPECT_EQ(Folder(dir_.path()), before);
    }
}

class FailingListener : public clsCreateCabEvents {
public:
    void BeforeFileAdd(std::int16_t&, std::string&, bool&) override { throw std::runtime_error("listener gave up"); }
};

TEST_F(CreateCab, WriterAndListenerFailuresReachTheClientAndLeaveNoCabinet)
{
    dir_.Write("a.txt", "aaaa");
    auto creator = clsCreateCab::Create();
    creator->CabinetFile((dir_ / "out.cab").string());
    creator->ToCompressFiles()->AddFile((dir_ / "a.txt").string());
    creator->ToCompressFiles()->Item(1)->CompressionType(5);
    try {
        creator->Compress();
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Number(), -2147221403);
        EXPECT_EQ(e.Description(), "Unknown Compression Type");
    }
    creator->ToCompressFiles()->Item(1)->CompressionType(1);
    fs::remove(dir_ / "a.txt");
    try {
        creator->Compress();
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Description(), "Failed Opening File");
    }
    creator->CabinetFile((dir_ / "no/such/folder/out.cab").string());
    try {
        creator->Compress();
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Description(), "Could Not Create Cab File");
    }

    dir_.Write("a.txt", "aaaa");
    creator->CabinetFile((dir_ / "out.cab").string());
    creator->Advise(std::make_shared<FailingListener>());
    try {
        creator->Compress();
        FAIL();
    } catch (const com::ComError& e) {
        EXPECT_EQ(e.Number(), com::kEFail);
        EXPECT_EQ(e.Description(), "listener gave up");
        EXPECT_EQ(e.Source(), "TessalyCabinet");
    }
    EXPECT_EQ(Folder(dir_.path()), std::vector<std::string>{"a.txt"});
}

TEST_F(CreateCab, ExecuteFlagAndStoredEntriesComeBackInTheListing)
{
    dir_.Write("run.sh", std::string(50000, 'r'));
    dir_.Write("plain.txt", std::string(50000, 'p'));
    auto creator = clsCreateCab::Create();
    creator->CabinetFile((dir_ / "out.cab").string());
    creator->ToCompressFiles()->AddFile((dir_ / "run.sh").string());
    creator->ToCompressFiles()->AddFile((dir_ / "plain.txt").string(), "", 0);
    creator->ToCompressFiles()->Item(1)->ExecuteFlag(true);
    creator->Compress();
    EXPECT_GT(fs::file_size(dir_ / "out.cab"), 50000u) << "the second file is stored as it is";
    auto files = Listed(dir_ / "out.cab")->CompressedFiles();
    ASSERT_EQ(files->Count(), 2);
    EXPECT_EQ(files->Item(1)->Attribs() & 0x40, 0x40);
    EXPECT_EQ(files->Item(2)->Attribs() & 0x40, 0);
}

} // namespace
