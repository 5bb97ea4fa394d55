// dvftool's package commands: list and extract, their output and exit codes.
#include "tools/dvftool/DvfTool.h"
#include "viewer/cabreader/CabFilesCallback.h"
#include "tests/setupapi/StoredCabinet.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

namespace {

using testcab::StoredCabinet;
namespace fs = std::filesystem;

struct Result {
    int code = -1;
    std::string out, err;
};

std::string Drain(std::FILE* stream)
{
    std::rewind(stream);
    std::string text;
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, stream)) > 0;)
        text.append(buffer, n);
    std::fclose(stream);
    return text;
}

Result RunTool(const QStringList& args)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    Result result;
    result.code = dvftool::Run(args, out, err);
    result.out = Drain(out);
    result.err = Drain(err);
    cabreader::CabFilesCallback::SetCurrentCabFile(nullptr);
    return result;
}

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

TEST(DvfToolPackageTest, ListPrintsTheListingOrTheErrorText)
{
    testsupport::TempDir dir;
    const fs::path package = dir.Write("p.dvp", StoredCabinet({{"study.dvf", "[s]", 0x5A21, 0}}));
    const Result listed = RunTool({QStringLiteral("list"), Q(package)});
    EXPECT_EQ(listed.code, 0);
    EXPECT_EQ(listed.out, "<?xml version=\"1.0\"?><CABFILE CABFILENAME = '" + package.string()
                              + "'><FILES><FILE><FULLNAME>study.dvf</FULLNAME><NAME>study.dvf</NAME>"
                                "<DATE>01/01/2025</DATE><SIZE>3</SIZE><PATH></PATH></FILE>\r\n</FILES></CABFILE>\n");
    EXPECT_EQ(listed.err, "");

    const Result missing = RunTool({QStringLiteral("list"), Q(dir / "missing.dvp")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "dvftool list: " + (dir / "missing.dvp").string()
                               + ": The system cannot find the file specified. (cannot open cabinet '"
                               + (dir / "missing.dvp").string() + "': No such file or directory)\n");

    EXPECT_EQ(RunTool({QStringLiteral("list")}).code, 2);
    EXPECT_EQ(RunTool({QStringLiteral("list"), Q(package), Q(package)}).code, 2);
}

TEST(DvfToolPackageTest, ExtractUnpacksBesideThePackageAndNamesTheStudyFile)
{
    testsupport::TempDir dir;
    const fs::path package = dir.Write("p.dvp", StoredCabinet({{"frame.jpg", "jpeg"}, {"Study.Dvf", "[s]"}}));
    const Result done = RunTool({QStringLiteral("extract"), Q(package)});
    EXPECT_EQ(done.code, 0) << done.err;
    EXPECT_EQ(done.out, "Files in package: 2\nStudy file:       Study.Dvf\nUnpacked into:    " + dir.path().string()
                            + "\n");
    EXPECT_EQ(testsupport::ReadAll(dir / "frame.jpg"), "jpeg");

    const Result elsewhere = RunTool({QStringLiteral("extract"), Q(package), Q(dir / "else")});
    EXPECT_EQ(elsewhere.code, 0);
    EXPECT_TRUE(fs::exists(dir / "else/Study.Dvf"));
}

TEST(DvfToolPackageTest, ExtractFailsOnRefusedEntriesMissingStudiesAndUnreadablePackages)
{
    testsupport::TempDir dir;
    const fs::path hostile = dir.Write("in/entry_with_dotdot.dvp",
                                       StoredCabinet({{"study.dvf", "[s]"}, {"..\\up.jpg", "x"}}));
    const Result refused = RunTool({QStringLiteral("extract"), Q(hostile)});
    EXPECT_EQ(refused.code, 1);
    EXPECT_NE(refused.out.find("Refused:          ..\\up.jpg (Its name would place it outside the folder it is "
                               "extracted to.)\n"),
              std::string::npos)
        << refused.out;
    EXPECT_NE(refused.err.find("1 entries were not written"), std::string::npos) << refused.err;
    EXPECT_FALSE(fs::exists(dir / "up.jpg"));

    const Result noStudy = RunTool({QStringLiteral("extract"),
                                Q(dir.Write("frames_only.dvp", StoredCabinet({{"frame.jpg", "x"}})))});
    EXPECT_EQ(noStudy.code, 1);
    EXPECT_NE(noStudy.out.find("Study file:       none\n"), std::string::npos);

    const Result broken = RunTool({QStringLiteral("extract"), Q(dir.Write("text_not_cabinet.dvp", "hello"))});
    EXPECT_EQ(broken.code, 1);
    EXPECT_EQ(broken.err, "dvftool extract: " + (dir / "text_not_cabinet.dvp").string() + ": Invalid data. ('"
                              + (dir / "text_not_cabinet.dvp").string() + "' is not a cabinet file)\n");

    EXPECT_EQ(RunTool({QStringLiteral("extract")}).code, 2);
}

} // namespace
