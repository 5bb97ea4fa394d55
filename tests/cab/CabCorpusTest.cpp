// Real cabinets written by other tools: every valid one lists and extracts
// with the bytes cabextract gets; every damaged or hostile one fails cleanly
// and writes nothing outside its folder.
#include "CabTestSupport.h"
#include "platform/cab/CabText.h"
#include "TestPaths.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

using namespace cabtest;
using testsupport::TempDir;

namespace {

// Holds a 26 KB cabinet that expands to gigabytes: listed, never extracted.
const char* const kHugeExpansion = "large-files-cab.cab";

const std::set<std::string> kValid = {
    "case-ascii.cab", "case-utf8.cab", "dir.cab", "encoding-koi8.cab", "encoding-latin1.cab",
    "encoding-sjis.cab", "mixed.cab", "simple.cab", "split-1.cab", "split-2.cab", "split-3.cab",
    "split-4.cab", "split-5.cab", "utf8-stresstest.cab", "hidden-files.cab", "mszip_lzx_qtm.cab",
    "normal_255c_filename.cab", "normal_2files_1folder.cab", "normal_2files_2folders.cab",
    "reserve_---.cab", "reserve_--D.cab", "reserve_-F-.cab", "reserve_-FD.cab", "reserve_H--.cab",
    "reserve_H-D.cab", "reserve_HF-.cab", "reserve_HFD.cab",
    // Once hung a decoder, yet well formed.
    "cve-2010-2801-qtm-flush.cab",
};

struct Outcome {
    cab::CabError open;
    std::vector<cab::CabEntry> entries;
    std::vector<std::uint32_t> codes; // per entry; kRefused when the name was refused
    std::vector<std::string> targets;
};
constexpr std::uint32_t kRefused = 0xFFFFFFFF;

Outcome ExtractAll(const std::filesystem::path& cabinet, const std::filesystem::path& out)
{
    Outcome o;
    cab::CabReader reader;
    o.open = reader.Open(cabinet.string());
    if (o.open)
        return o;
    o.entries = reader.Entries();
    for (std::size_t i = 0; i < o.entries.size(); ++i) {
        std::string target = cab::SafeTargetPath(out.string(), o.entries[i].name);
        o.targets.push_back(target);
        if (target.empty()) {
            o.codes.push_back(kRefused);
            continue;
        }
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(target).parent_path(), ec);
        o.codes.push_back(reader.Extract(i, target).code);
    }
    return o;
}

std::vector<std::filesystem::path> CorpusCabinets(const std::filesystem::path& corpus)
{
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::recursive_directory_iterator(corpus))
        if (item.path().extension() == ".cab" && item.path().filename() != kHugeExpansion)
            files.push_back(item.path());
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

TEST(CabCorpus, EveryCabinetExtractsOrFailsCleanlyInsideItsFolder)
{
    auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "no cabinet corpus";
    std::set<std::string> seenValid;
    for (const auto& cabinet : CorpusCabinets(*corpus)) {
        const std::string name = cabinet.filename().string();
        SCOPED_TRACE(cabinet.string());
        TempDir scratch;
        Outcome o = ExtractAll(cabinet, scratch / "out");
        if (o.open) {
            EXPECT_EQ(o.open.code, cab::kErrorInvalidData) << o.open.message;
            EXPECT_FALSE(o.open.message.empty());
        }
        for (std::size_t i = 0; i < o.codes.size(); ++i) {
            EXPECT_TRUE(o.codes[i] == 0 || o.codes[i] == cab::kErrorInvalidData || o.codes[i] == kRefused)
                << o.entries[i].name << ": " << o.codes[i];
            if (o.codes[i] == 0) {
                EXPECT_EQ(std::filesystem::file_size(o.targets[i]), o.entries[i].size);
            }
        }
        // Nothing written beside the output folder, nor anything but files and folders in it.
        for (const auto& item : std::filesystem::directory_iterator(scratch.path()))
            EXPECT_EQ(item.path().filename(), "out");
        if (std::filesystem::exists(scratch / "out")) {
            for (const auto& item : std::filesystem::recursive_directory_iterator(scratch / "out"))
                EXPECT_TRUE(item.is_regular_file() || item.is_directory()) << item.path();
        }

        if (kValid.count(name)) {
            seenValid.insert(name);
            EXPECT_FALSE(o.open) << o.open.message;
            EXPECT_FALSE(o.entries.empty());
            for (std::size_t i = 0; i < o.codes.size(); ++i)
                EXPECT_EQ(o.codes[i], 0u) << o.entries[i].name;
        } else {
            // Damaged or hostile: it says so at open, or for at least one entry.
            EXPECT_TRUE(o.open || std::count(o.codes.begin(), o.codes.end(), cab::kErrorInvalidData) > 0
                        || std::count(o.codes.begin(), o.codes.end(), kRefused) > 0);
        }
    }
    EXPECT_EQ(seenValid, kValid);
}

TEST(CabCorpus, ValidCabinetsGiveTheBytesCabextractGives)
{
    auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "no cabinet corpus";
    if (!HaveTool("cabextract"))
        GTEST_SKIP() << "cabextract is not installed";
    for (const auto& cabinet : CorpusCabinets(*corpus)) {
        if (!kValid.count(cabinet.filename().string()))
            continue;
        SCOPED_TRACE(cabinet.string());
        TempDir scratch;
        Outcome o = ExtractAll(cabinet, scratch / "ours");
        ASSERT_FALSE(o.open);
        RunCommand("cabextract -q -d " + Quote((scratch / "theirs").string()) + " " + Quote(cabinet.string()));
        std::multiset<std::string> theirs;
        for (auto& [path, bytes] : FilesBelow(scratch / "theirs"))
            theirs.insert(bytes);
        std::size_t ours = 0;
        for (auto& [path, bytes] : FilesBelow(scratch / "ours")) {
            ++ours;
            EXPECT_TRUE(theirs.count(bytes)) << path;
        }
        // A part of a spanned set holds fewer files than the set cabextract
        // unpacks, and cabextract spells some non-ASCII names differently, so
        // that two of them may land on one file.
        bool asciiNames = std::all_of(o.entries.begin(), o.entries.end(),
                                      [](const cab::CabEntry& e) { return cab::IsAscii(e.name); });
        if (asciiNames && cabinet.filename().string().rfind("split-", 0) != 0) {
            EXPECT_EQ(ours, theirs.size());
        }
    }
}

TEST(CabCorpus, StoredNamesMatchTheirListsAndDecode)
{
    auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "no cabinet corpus";
    for (const char* stem : {"case-ascii", "case-utf8", "dirwalk-vulns", "encoding-koi8", "encoding-latin1",
                             "encoding-sjis", "utf8-stresstest"}) {
        SCOPED_TRACE(stem);
        std::ifstream list(*corpus / "cabextract-cabs" / (std::string(stem) + ".txt"), std::ios::binary);
        std::vector<std::string> names;
        for (std::string line; std::getline(list, line);)
            if (!line.empty() && line[0] != '#')
                names.push_back(line);
        cab::CabReader reader;
        ASSERT_FALSE(reader.Open((*corpus / "cabextract-cabs" / (std::string(stem) + ".cab")).string()));
        ASSERT_EQ(reader.Entries().size(), names.size());
        for (std::size_t i = 0; i < names.size(); ++i) {
            EXPECT_EQ(reader.Entries()[i].storedName, names[i]);
            EXPECT_TRUE(cab::IsValidUtf8(reader.Entries()[i].name));
        }
    }
    cab::CabReader reader;
    ASSERT_FALSE(reader.Open((*corpus / "cabextract-cabs" / "encoding-latin1.cab").string()));
    EXPECT_EQ(reader.Entries()[1].name, "ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔÕÖ×ØÙÚÛÜÝÞß");
    ASSERT_FALSE(reader.Open((*corpus / "cabextract-cabs" / "case-utf8.cab").string()));
    EXPECT_EQ(reader.Entries()[2].name, "greek\\upper\\ΑΒΓΔΕΖΗΘΙΚΛΜΝΞΟΠΡΣΤΥΦΧΨΩ");
}

TEST(CabCorpus, DirectoryWalkNamesAreRefusedOrKeptInTheFolder)
{
    auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "no cabinet corpus";
    TempDir scratch;
    Outcome o = ExtractAll(*corpus / "cabextract-cabs" / "dirwalk-vulns.cab", scratch / "out");
    ASSERT_FALSE(o.open);
    ASSERT_EQ(o.entries.size(), 29u);
    std::size_t refused = 0;
    for (std::size_t i = 0; i < o.entries.size(); ++i) {
        if (o.codes[i] == kRefused) {
            ++refused;
            continue;
        }
        // The ones kept are the overlong "/" names, each now one plain file in the folder.
        EXPECT_EQ(o.codes[i], 0u);
        EXPECT_NE(o.entries[i].name.find("\uFFFD"), std::string::npos);
        EXPECT_EQ(std::filesystem::path(o.targets[i]).parent_path(), scratch / "out");
    }
    EXPECT_EQ(refused, 19u);
    for (const auto& item : std::filesystem::directory_iterator(scratch.path()))
        EXPECT_EQ(item.path().filename(), "out");
}

TEST(CabCorpus, HugeExpansionIsListedAndSplitSetsJoin)
{
    auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "no cabinet corpus";
    cab::CabReader reader;
    ASSERT_FALSE(reader.Open((*corpus / "cabextract-cabs" / kHugeExpansion).string()));
    ASSERT_EQ(reader.Entries().size(), 1u);
    EXPECT_EQ(reader.Entries()[0].name, "large-files.cab");
    EXPECT_EQ(reader.Entries()[0].size, 14689228u);

    // medium1.bin starts in split-1.cab and ends in split-2.cab. Whichever
    // part is opened, the whole set of five is listed, as cabextract lists it.
    TempDir scratch;
    for (const char* part : {"split-1.cab", "split-3.cab", "split-5.cab"}) {
        ASSERT_FALSE(reader.Open((*corpus / "cabextract-cabs" / part).string())) << part;
        std::vector<std::string> names;
        for (const auto& entry : reader.Entries())
            names.push_back(entry.name);
        EXPECT_EQ(names, (std::vector<std::string>{"small1.bin", "small2.bin", "medium1.bin", "medium2.bin",
                                                   "small3.bin", "medium3.bin"}))
            << part;
    }
    ASSERT_FALSE(reader.Open((*corpus / "cabextract-cabs" / "split-1.cab").string()));
    EXPECT_TRUE(reader.Info().hasNext);
    EXPECT_FALSE(reader.Info().hasPrevious);
    EXPECT_EQ(reader.Entries()[2].name, "medium1.bin");
    ASSERT_FALSE(reader.Extract(2, (scratch / "m").string()));
    EXPECT_EQ(std::filesystem::file_size(scratch / "m"), 40000u);
    for (std::size_t i = 0; i < reader.Entries().size(); ++i)
        EXPECT_FALSE(reader.Verify(i)) << reader.Entries()[i].name;
}
