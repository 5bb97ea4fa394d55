// CABFile's four walks over cabinets with known contents: counting, events,
// XML listing and extraction, and the errors each one reports.
#include "viewer/cabreader/CABFile.h"
#include "viewer/cabreader/CabFilesCallback.h"
#include "tests/cabreader/ExpectCabFileError.h"
#include "tests/setupapi/StoredCabinet.h"

#include "TestPaths.h"

#include <gtest/gtest.h>

#include <QXmlStreamReader>

#include <filesystem>

namespace {

using namespace cabreader;
using testcab::StoredCabinet;
namespace fs = std::filesystem;

QString Q(const fs::path& path)
{
    return QString::fromStdString(path.string());
}

struct Recorder : CABFileListener {
    QStringList found, before, after;
    QString cancelName;
    void FileFound(const QString& Filename, const QDateTime& DateTime, quint32 Size, const QString& Path) override
    {
        found << QStringLiteral("%1|%2|%3|%4").arg(Path, Filename, DateTime.toString(Qt::ISODate)).arg(Size);
    }
    void BeforeExtract(const QString& Filename, bool& Cancel) override
    {
        EXPECT_FALSE(Cancel);
        before << Filename;
        Cancel = Filename == cancelName;
    }
    void AfterExtract(const QString& Filename) override { after << Filename; }
};

class CABFileTest : public ::testing::Test {
protected:
    void TearDown() override { CabFilesCallback::SetCurrentCabFile(nullptr); }

    testsupport::TempDir dir;
    fs::path study = dir.Write("study.dvp", StoredCabinet({
        {"images\\v1_001.jpg", "jpeg1", 0x5A21, 0x6000},
        {"study.dvf", "[study]\r\n", 0x4A6F, 0x0000},
        {"images\\V1_002.JPG", "jpeg22", 0x5A21, 0x6001},
    }));
    QString studyName = Q(study);
};

TEST_F(CABFileTest, EveryOperationNeedsCabName)
{
    const char* text = "You must set the CabName property before taking any action on the CabFile object.";
    CABFile cabinet;
    ExpectCabFileError([&] { cabinet.FileCount(); }, -2147219548, "CabFile", text);
    ExpectCabFileError([&] { cabinet.GetXML(QString()); }, kErrCabNameNotSet, "CabFile.GetXML", text);
    EXPECT_FALSE(cabinet.GetInfo(QString()));
    EXPECT_EQ(cabinet.ErrorNumber(), kErrCabNameNotSet);
    EXPECT_FALSE(cabinet.Extract(QString(), Q(dir.path()), QString()));
    EXPECT_EQ(cabinet.ErrorNumber(), kErrCabNameNotSet);
    EXPECT_EQ(cabinet.ErrorSource(), QStringLiteral("CabFile"));
    EXPECT_EQ(cabinet.ErrorText(), QString::fromLatin1(text));
    EXPECT_EQ(CabFileErrorText(13), QStringLiteral("Unknown error."));
    EXPECT_EQ(CabFilesCallback::CurrentCabFile(), nullptr);
}

TEST_F(CABFileTest, WalkErrorsCarryTheCodeAndItsText)
{
    CABFile missing;
    missing.SetCabName(Q(dir / "missing.dvp"));
    ExpectCabFileError([&] { missing.FileCount(); }, 2, "CabFile", "The system cannot find the file specified.");

    CABFile text;
    text.SetCabName(Q(dir.Write("text_not_cabinet.dvp", "[study]\r\nname\r\n")));
    ExpectCabFileError([&] { text.GetXML(QString()); }, 13, "CabFile.GetXML", "Invalid data.");
    EXPECT_FALSE(text.Extract(QString(), Q(dir / "out"), QString()));
    EXPECT_EQ(text.ErrorNumber(), 13);
    EXPECT_EQ(text.ErrorSource(), QStringLiteral("CabFile"));
    EXPECT_EQ(text.ErrorText(), QStringLiteral("Invalid data."));
    EXPECT_FALSE(fs::exists(dir / "out"));

    // A success clears what the last failure left.
    text.SetCabName(studyName);
    EXPECT_TRUE(text.GetInfo(QString()));
    EXPECT_EQ(text.ErrorNumber(), 0);
    EXPECT_EQ(text.ErrorText(), QString());
}

TEST_F(CABFileTest, GetInfoReportsEveryFileOrTheFirstWhoseNamePartMatches)
{
    Recorder events;
    CABFile cabinet;
    cabinet.SetListener(&events);
    cabinet.SetCabName(studyName);
    ASSERT_TRUE(cabinet.GetInfo(QString()));
    EXPECT_EQ(events.found, (QStringList{
        QStringLiteral("images\\|v1_001.jpg|2025-01-01T12:00:00Z|5"),
        QStringLiteral("|study.dvf|2017-03-15T00:00:00Z|9"),
        QStringLiteral("images\\|V1_002.JPG|2025-01-01T12:00:02Z|6"),
    }));

    events.found.clear();
    EXPECT_TRUE(cabinet.GetInfo(QStringLiteral("V1_001.JPG")));
    EXPECT_EQ(events.found, QStringList{QStringLiteral("images\\|v1_001.jpg|2025-01-01T12:00:00Z|5")});

    events.found.clear();
    EXPECT_TRUE(cabinet.GetInfo(QStringLiteral("images\\v1_001.jpg"))); // the full name is not a name part
    EXPECT_TRUE(events.found.isEmpty());
    EXPECT_TRUE(events.before.isEmpty());
}

TEST_F(CABFileTest, GetXMLGivesTheListingExactly)
{
    CABFile cabinet;
    cabinet.SetCabName(studyName);
    const QString head = QStringLiteral("<?xml version=\"1.0\"?><CABFILE CABFILENAME = '") + studyName
                         + QStringLiteral("'><FILES>");
    const QString first = QStringLiteral(
        "<FILE><FULLNAME>images\\v1_001.jpg</FULLNAME><NAME>v1_001.jpg</NAME><DATE>01/01/2025 12:00:00</DATE>"
        "<SIZE>5</SIZE><PATH>images\\</PATH></FILE>\r\n");
    const QString second = QStringLiteral(
        "<FILE><FULLNAME>study.dvf</FULLNAME><NAME>study.dvf</NAME><DATE>03/15/2017</DATE>"
        "<SIZE>9</SIZE><PATH></PATH></FILE>\r\n");
    const QString third = QStringLiteral(
        "<FILE><FULLNAME>images\\V1_002.JPG</FULLNAME><NAME>V1_002.JPG</NAME><DATE>01/01/2025 12:00:02</DATE>"
        "<SIZE>6</SIZE><PATH>images\\</PATH></FILE>\r\n");
    const QString tail = QStringLiteral("</FILES></CABFILE>");

    EXPECT_EQ(cabinet.GetXML(QString()), head + first + second + third + tail);
    EXPECT_EQ(cabinet.GetXML(QStringLiteral("STUDY.DVF")), head + second + tail);
    EXPECT_EQ(cabinet.GetXML(QStringLiteral("nothing.jpg")), head + tail);
}

TEST_F(CABFileTest, GetXMLIsWellFormedWhateverTheNames)
{
    const QString odd = QString::fromUtf8("R&D <north> 'view' \"A\".jpg");
    const fs::path path = dir.Write("odd & 'names'.cab", StoredCabinet({
        {"R&D\\" + odd.toStdString(), "x"},
        {"plain.txt", "y"},
    }));
    CABFile cabinet;
    cabinet.SetCabName(Q(path));
    const QString xml = cabinet.GetXML(QString());

    QXmlStreamReader reader(xml);
    QStringList names;
    QString attribute;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("CABFILE"))
            attribute = reader.attributes().value(QLatin1String("CABFILENAME")).toString();
        if (reader.isStartElement() && reader.name() == QLatin1String("NAME"))
            names << reader.readElementText();
    }
    EXPECT_FALSE(reader.hasError()) << reader.errorString().toStdString();
    EXPECT_EQ(attribute, Q(path));
    EXPECT_EQ(names, (QStringList{odd, QStringLiteral("plain.txt")}));
    EXPECT_TRUE(xml.contains(QStringLiteral("<PATH>R&amp;D\\</PATH>")));
}

TEST_F(CABFileTest, ExtractWritesEveryFileBelowTheFolderWithItsSubFolders)
{
    Recorder events;
    CABFile cabinet;
    cabinet.SetListener(&events);
    cabinet.SetCabName(studyName);
    const fs::path out = dir / "out" / "deeper";
    ASSERT_TRUE(cabinet.Extract(QString(), Q(out), QString()));

    EXPECT_EQ(testsupport::ReadAll(out / "images/v1_001.jpg"), "jpeg1");
    EXPECT_EQ(testsupport::ReadAll(out / "images/V1_002.JPG"), "jpeg22");
    EXPECT_EQ(testsupport::ReadAll(out / "study.dvf"), "[study]\r\n");
    EXPECT_EQ(events.before, (QStringList{QStringLiteral("images\\v1_001.jpg"), QStringLiteral("study.dvf"),
                                          QStringLiteral("images\\V1_002.JPG")}));
    EXPECT_EQ(events.after, (QStringList{Q(out / "images/v1_001.jpg"), Q(out / "study.dvf"),
                                         Q(out / "images/V1_002.JPG")}));
    EXPECT_TRUE(cabinet.RefusedEntries().isEmpty());
}

TEST_F(CABFileTest, ExtractSelectsByFullNameIgnoringCaseAndHonoursCancel)
{
    Recorder events;
    CABFile cabinet;
    cabinet.SetListener(&events);
    cabinet.SetCabName(studyName);

    ASSERT_TRUE(cabinet.Extract(QStringLiteral("IMAGES\\V1_001.jpg"), Q(dir / "one"), QString()));
    EXPECT_TRUE(fs::exists(dir / "one/images/v1_001.jpg"));
    EXPECT_FALSE(fs::exists(dir / "one/study.dvf"));

    ASSERT_TRUE(cabinet.Extract(QStringLiteral("v1_001.jpg"), Q(dir / "two"), QString()));
    EXPECT_FALSE(fs::exists(dir / "two"));

    events.before.clear();
    events.after.clear();
    events.cancelName = QStringLiteral("study.dvf");
    ASSERT_TRUE(cabinet.Extract(QString(), Q(dir / "three"), QString()));
    EXPECT_EQ(events.before.size(), 3);
    EXPECT_EQ(events.after.size(), 2);
    EXPECT_FALSE(fs::exists(dir / "three/study.dvf"));
}

TEST_F(CABFileTest, ExtractToOneOutputFileAndIntoTheCabinetsOwnFolder)
{
    CABFile cabinet;
    cabinet.SetCabName(studyName);
    ASSERT_TRUE(cabinet.Extract(QString(), Q(dir / "single"), QStringLiteral("all.bin")));
    EXPECT_EQ(testsupport::ReadAll(dir / "single/all.bin"), "jpeg22"); // the last file wins

    ASSERT_TRUE(cabinet.Extract(QStringLiteral("study.dvf"), QString(), QString()));
    EXPECT_EQ(testsupport::ReadAll(dir / "study.dvf"), "[study]\r\n");
}

TEST_F(CABFileTest, AFailedWriteEndsExtractWithItsCode)
{
    dir.Write("blocked/images", "a file where the folder should go");
    CABFile cabinet;
    cabinet.SetCabName(studyName);
    // The folder cannot be made: those entries are refused, the others written.
    ASSERT_TRUE(cabinet.Extract(QString(), Q(dir / "blocked"), QString()));
    ASSERT_EQ(cabinet.RefusedEntries().size(), 2);
    EXPECT_EQ(cabinet.RefusedEntries()[0].Name, QStringLiteral("images\\v1_001.jpg"));
    EXPECT_EQ(cabinet.RefusedEntries()[0].Reason,
              QStringLiteral("Its folder could not be created: '%1' is a file where a folder is needed.")
                  .arg(Q(dir / "blocked/images")));
    EXPECT_TRUE(fs::exists(dir / "blocked/study.dvf"));

    // A target that is a folder cannot be written: the entry is reported, and
    // Extract fails with its code once the walk is through.
    fs::create_directories(dir / "taken/study.dvf");
    EXPECT_FALSE(cabinet.Extract(QStringLiteral("study.dvf"), Q(dir / "taken"), QString()));
    ASSERT_EQ(cabinet.RefusedEntries().size(), 1);
    EXPECT_EQ(cabinet.RefusedEntries()[0].Reason, QStringLiteral("It could not be unpacked: Access is denied."));
    EXPECT_EQ(cabinet.ErrorNumber(), 5);
    EXPECT_EQ(cabinet.ErrorSource(), QStringLiteral("CabFile"));
    EXPECT_EQ(cabinet.ErrorText(), QStringLiteral("Access is denied."));
}

TEST_F(CABFileTest, ATargetLongerThanThePlatformAllowsEndsTheWalk)
{
    CABFile cabinet;
    cabinet.SetCabName(studyName);
    // The folders still fit, "images/v1_001.jpg" below them does not.
    QString deep = Q(dir.path());
    while (deep.size() + 40 < 4080)
        deep += QStringLiteral("/abcdefghijklmnopqrstuvwxyz0123456789");
    deep += u'/' + QString(4080 - deep.size() - 1, u'x');
    EXPECT_FALSE(cabinet.Extract(QString(), deep, QString()));
    EXPECT_EQ(cabinet.ErrorNumber(), 111);
    EXPECT_EQ(cabinet.ErrorSource(), QStringLiteral("CabFile.CabCallBack"));
    EXPECT_EQ(cabinet.ErrorText(), QStringLiteral("The file name is too long."));
}

TEST_F(CABFileTest, FileCountIsStableAndTheCallbackFollowsTheCurrentObject)
{
    setupapi::FILE_IN_CABINET_INFO_A info{};
    info.NameInCabinet = "x";
    const auto param = reinterpret_cast<setupapi::UINT_PTR>(&info);
    EXPECT_EQ(CabFilesCallback::IterateCallback(nullptr, setupapi::SPFILENOTIFY_FILEINCABINET, param, 0), 0u);
    {
        CABFile cabinet;
        cabinet.SetCabName(studyName);
        EXPECT_EQ(cabinet.FileCount(), 3);
        EXPECT_EQ(cabinet.FileCount(), 3);
        EXPECT_EQ(CabFilesCallback::CurrentCabFile(), &cabinet);
        EXPECT_EQ(CabFilesCallback::IterateCallback(nullptr, setupapi::SPFILENOTIFY_FILEINCABINET, param, 0),
                  setupapi::FILEOP_SKIP);
        EXPECT_EQ(CabFilesCallback::IterateCallback(reinterpret_cast<void*>(9),
                                                    setupapi::SPFILENOTIFY_FILEINCABINET, param, 0), 0u);
    }
    // A released object is never called back.
    EXPECT_EQ(CabFilesCallback::CurrentCabFile(), nullptr);
}

TEST_F(CABFileTest, AWalkStartedFromAListenerGivesTheOuterWalkBack)
{
    struct Nesting : CABFileListener {
        CABFile* inner = nullptr;
        qint32 innerCount = -1;
        void BeforeExtract(const QString&, bool&) override { innerCount = inner->FileCount(); }
    } nesting;
    const fs::path other = dir.Write("other.cab", StoredCabinet({{"a", "1"}, {"b", "2"}}));
    CABFile inner;
    inner.SetCabName(Q(other));
    nesting.inner = &inner;

    CABFile outer;
    outer.SetListener(&nesting);
    outer.SetCabName(studyName);
    ASSERT_TRUE(outer.Extract(QString(), Q(dir / "nested"), QString()));
    EXPECT_EQ(nesting.innerCount, 2);
    EXPECT_TRUE(fs::exists(dir / "nested/images/V1_002.JPG"));
    EXPECT_EQ(CabFilesCallback::CurrentCabFile(), &outer);
}

} // namespace
