// dvftool pack and dvftool properties: the same selection as the dialog, the
// same text as the clipboard, for a study file and for its package.
#include "PackagingFixtures.h"

#include "tools/dvftool/DvfTool.h"
#include "viewer/packaging/WritePackage.h"

#include <gtest/gtest.h>

#include <QDir>

#include <cstdio>

using namespace packtest;

namespace {

struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string ReadBack(std::FILE* file)
{
    std::rewind(file);
    std::string text;
    char buffer[4096];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    std::fclose(file);
    return text;
}

ToolRun Dvftool(const QStringList& args)
{
    std::FILE* out = std::tmpfile();
    std::FILE* err = std::tmpfile();
    ToolRun run;
    run.exitCode = dvftool::Run(args, out, err);
    run.out = ReadBack(out);
    run.err = ReadBack(err);
    return run;
}

// Keeps the tool's temporary folders where the test can see them.
class TempFolderRedirect {
public:
    explicit TempFolderRedirect(const std::filesystem::path& folder) : old_(qgetenv("TMPDIR"))
    {
        qputenv("TMPDIR", QByteArray::fromStdString(folder.string()));
    }
    ~TempFolderRedirect()
    {
        if (old_.isEmpty())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", old_);
    }

private:
    QByteArray old_;
};

// The study with a Windows-1252 name: the tool writes UTF-8.
const char kAccentedStudy[] = "[HEADER]\r\nCaf\xE9\r\n\r\n0\r\n0\r\n0\r\n1\r\n1\r\n1\r\n"
                              "[VIEW]\r\nNorth\r\n[ENDVIEW]\r\n"
                              "[SAMPLE]\r\n1\r\n1\r\nJun 21\r\n9:00\r\nTrue\r\n\r\n"
                              "[RGB]\r\nimages\\a.jpg\r\n";

const char kAccentedCopyText[] = "Daylight Study Properties: Caf\xC3\xA9\r\n"
                                 "View Name\tSky\tElectric\tRGB File\tPseudo File\tDate\tTime\tHALVEX File\r\n"
                                 "North\tClear\tOn\ta.jpg\tN.A.\tJun 21\t9:00\t\t\r\n"
                                 "\t\t\t\t\t\t\t\t\r\n";

} // namespace

TEST(DvftoolProperties, StudyFileGivesTheCopyText)
{
    testsupport::TempDir dir;
    const auto study = dir.Write("cafe.dvf", kAccentedStudy);
    const ToolRun run = Dvftool({QStringLiteral("properties"), Q(study)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kAccentedCopyText);
    EXPECT_EQ(run.err, "");
}

TEST(DvftoolProperties, PackageIsUnpackedAsideAndCleanedUp)
{
    testsupport::TempDir dir;
    WriteFiles(dir, {{"cafe.dvf", kAccentedStudy}, {"a.jpg", "image"}});
    testsupport::TempDir scratch;
    const auto package = scratch / "cafe.DVP";
    ToolRun pack = Dvftool({QStringLiteral("pack"), Q(dir / "cafe.dvf"), Q(package)});
    ASSERT_EQ(pack.exitCode, 0) << pack.err;

    testsupport::TempDir temp;
    TempFolderRedirect redirect(temp.path());
    const ToolRun run = Dvftool({QStringLiteral("properties"), Q(package)});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, kAccentedCopyText);
    EXPECT_TRUE(std::filesystem::is_empty(temp.path()));
}

TEST(DvftoolProperties, Refusals)
{
    testsupport::TempDir dir;
    EXPECT_EQ(Dvftool({QStringLiteral("properties")}).exitCode, 2);
    EXPECT_EQ(Dvftool({QStringLiteral("properties"), QStringLiteral("--wide"), QStringLiteral("x.dvf")}).exitCode, 2);

    const ToolRun missing = Dvftool({QStringLiteral("properties"), Q(dir / "missing.dvf")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("missing.dvf"), std::string::npos);

    const ToolRun notACabinet = Dvftool({QStringLiteral("properties"), Q(dir.Write("bad.dvp", "not a cabinet"))});
    EXPECT_EQ(notACabinet.exitCode, 1);
    EXPECT_EQ(notACabinet.out, "");

    QString errMsg;
    packaging::WritePackage(Q(dir / "images.dvp"), {Q(dir.Write("only.jpg", "x"))}, errMsg);
    ASSERT_EQ(errMsg, QString());
    const ToolRun noStudy = Dvftool({QStringLiteral("properties"), Q(dir / "images.dvp")});
    EXPECT_EQ(noStudy.exitCode, 1);
    EXPECT_EQ(noStudy.out, "");
    EXPECT_NE(noStudy.err.find("the package holds no study file (.dvf)"), std::string::npos) << noStudy.err;
}

TEST(DvftoolPack, SelectsLikeTheDialogAndListsTheEntries)
{
    testsupport::TempDir dir;
    WriteFiles(dir, MixedFolderFiles());
    testsupport::TempDir out;

    const ToolRun plain = Dvftool({QStringLiteral("pack"), Q(dir / "study.dvf"), Q(out / "plain.dvp")});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    std::vector<std::string> names = EntryNames(out / "plain.dvp");
    std::string listing;
    for (const std::string& name : names)
        listing += name + "\n";
    EXPECT_EQ(plain.out, listing);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"B.JPG", "a.jpg", "c.Jpg", "second.DvF", "study.dvf"}));

    const ToolRun all = Dvftool({QStringLiteral("pack"), QStringLiteral("--hvx"), Q(dir / "study.dvf"),
                                 Q(out / "all.dvp"), QStringLiteral("--rsf")});
    ASSERT_EQ(all.exitCode, 0) << all.err;
    EXPECT_EQ(EntryNames(out / "all.dvp").size(), 7u);
    const ToolRun rsf = Dvftool({QStringLiteral("pack"), QStringLiteral("--rsf"), Q(dir / "study.dvf"),
                                 Q(out / "rsf.dvp")});
    ASSERT_EQ(rsf.exitCode, 0) << rsf.err;
    EXPECT_EQ(EntryNames(out / "rsf.dvp").size(), 6u);
}

TEST(DvftoolPack, Refusals)
{
    testsupport::TempDir dir;
    WriteFiles(dir, MixedFolderFiles());
    EXPECT_EQ(Dvftool({QStringLiteral("pack"), Q(dir / "study.dvf")}).exitCode, 2);
    EXPECT_EQ(Dvftool({QStringLiteral("pack"), QStringLiteral("--all"), Q(dir / "study.dvf"), Q(dir / "x.dvp")})
                  .exitCode,
              2);

    const ToolRun unreadable = Dvftool({QStringLiteral("pack"), Q(dir / "missing.dvf"), Q(dir / "x.dvp")});
    EXPECT_EQ(unreadable.exitCode, 1);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.dvp"));

    const ToolRun nowhere =
        Dvftool({QStringLiteral("pack"), Q(dir / "study.dvf"), Q(dir / "no folder" / "x.dvp")});
    EXPECT_EQ(nowhere.exitCode, 1);
    EXPECT_NE(nowhere.err.find("cannot be created"), std::string::npos) << nowhere.err;
}
