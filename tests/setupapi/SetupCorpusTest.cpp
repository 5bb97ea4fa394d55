// Every cabinet of the shared corpus walked with every file extracted: the
// sound ones to the end, the damaged ones to an error code, none to a crash.
#include "platform/setupapi/SetupIterateCabinet.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <set>
#include <string>

namespace {

using namespace setupapi;
namespace fs = std::filesystem;

struct NumberedTargets {
    fs::path folder;
    int files = 0;
    int written = 0;

    static UINT Callback(void* context, UINT notification, UINT_PTR param1, UINT_PTR)
    {
        auto& self = *static_cast<NumberedTargets*>(context);
        if (notification == SPFILENOTIFY_FILEINCABINET) {
            auto& info = *reinterpret_cast<FILE_IN_CABINET_INFO_A*>(param1);
            const fs::path target = self.folder / ("file" + std::to_string(self.files++));
            std::strcpy(info.FullTargetName, target.c_str());
            return FILEOP_DOIT;
        }
        if (notification == SPFILENOTIFY_FILEEXTRACTED) {
            const auto& paths = *reinterpret_cast<const FILEPATHS_A*>(param1);
            if (paths.Win32Error == NO_ERROR)
                ++self.written;
            return paths.Win32Error;
        }
        return NO_ERROR;
    }
};

// Sound cabinets by file name; everything else in the corpus is damaged,
// hostile or part of a spanned set, and may end either way.
const std::set<std::string> kSound = {
    "normal_2files_1folder.cab", "normal_2files_2folders.cab", "normal_255c_filename.cab", "mszip_lzx_qtm.cab",
    "case-ascii.cab", "case-utf8.cab", "dir.cab", "encoding-koi8.cab", "encoding-latin1.cab",
    "encoding-sjis.cab", "mixed.cab", "simple.cab", "utf8-stresstest.cab", "dirwalk-vulns.cab",
};

const std::set<std::string> kDamaged = {
    "bad_folderindex.cab", "bad_nofiles.cab", "bad_nofolders.cab", "bad_signature.cab",
    "partial_nodata.cab", "partial_nofiles.cab", "partial_nofolder.cab",
};

TEST(SetupCorpusTest, EveryCabinetEndsWithSuccessOrAnErrorCode)
{
    const auto corpus = testsupport::CorpusDir("cab");
    if (!corpus)
        GTEST_SKIP() << "no cabinet corpus";
    int walked = 0;
    for (const auto& entry : fs::recursive_directory_iterator(*corpus)) {
        const std::string name = entry.path().filename().string();
        if (entry.path().extension() != ".cab" || name == "large-files-cab.cab")
            continue; // two files of 2 GB each
        SCOPED_TRACE(entry.path().string());
        testsupport::TempDir out;
        NumberedTargets walk{out.path()};
        SetLastError(0xDEAD);
        const int result = SetupIterateCabinetA(entry.path().c_str(), 0, &NumberedTargets::Callback, &walk);
        ++walked;
        if (result) {
            EXPECT_EQ(GetLastError(), NO_ERROR);
            EXPECT_EQ(walk.written, walk.files);
        } else {
            EXPECT_NE(GetLastError(), NO_ERROR);
            EXPECT_NE(GetLastError(), 0xDEADu);
        }
        if (kSound.count(name)) {
            EXPECT_EQ(result, 1);
            EXPECT_GT(walk.files, 0);
        }
        if (kDamaged.count(name)) {
            EXPECT_EQ(result, 0);
            EXPECT_EQ(GetLastError(), 13u);
        }
        // Every target was chosen by the callback, inside the scratch folder.
        for (const auto& written : fs::recursive_directory_iterator(out.path()))
            EXPECT_EQ(written.path().parent_path(), out.path());
    }
    EXPECT_GT(walked, 40);
}

} // namespace
