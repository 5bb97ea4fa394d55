// The help pages as shipped and the help window over them: every page the
// contents name is there with a title, links between pages lead somewhere,
// search finds pages by their words, and Back and Forward retrace the reading.
#include "viewer/help/HelpContents.h"
#include "viewer/help/HelpWindow.h"

#include "TestPaths.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QColor>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTreeWidget>

#include <algorithm>

#include <gtest/gtest.h>

namespace {

const QString kPages = QStringLiteral(HALVEX_SOURCE_DIR "/data/help");

QStringList Titles(const QList<help::HelpPage>& pages)
{
    QStringList titles;
    for (const help::HelpPage& page : pages)
        titles << page.Title;
    return titles;
}

TEST(HelpPages, TheContentsNameEveryPageAndEveryLinkLeadsToAPageAndAnchorThatExist)
{
    const QList<help::HelpPage> pages = help::ReadHelpPages(kPages);
    const QStringList files = QDir(kPages).entryList({"*.html"}, QDir::Files);
    ASSERT_EQ(pages.size(), files.size()) << Titles(pages).join(", ").toStdString();
    for (const help::HelpPage& page : pages) {
        EXPECT_FALSE(page.Title.isEmpty()) << page.File.toStdString();
        EXPECT_GT(page.Text.size(), 400) << page.File.toStdString();
    }
    EXPECT_EQ(pages.front().Title, "HALVEX Daystrand Help");

    static const QRegularExpression link(QStringLiteral("href=\"([a-z0-9-]+\\.html)(#([a-z0-9-]+))?\""));
    for (const QString& file : files) {
        QFile source(kPages + "/" + file);
        ASSERT_TRUE(source.open(QIODevice::ReadOnly));
        const QString html = QString::fromUtf8(source.readAll());
        for (auto it = link.globalMatch(html); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            const auto target = std::find_if(pages.begin(), pages.end(),
                                             [&](const help::HelpPage& p) { return p.File == match.captured(1); });
            ASSERT_NE(target, pages.end()) << file.toStdString() << " links to " << match.captured(1).toStdString();
            if (!match.captured(3).isEmpty()) {
                const bool found = std::any_of(target->Sections.begin(), target->Sections.end(),
                                               [&](const help::HelpSection& s) { return s.Anchor == match.captured(3); });
                EXPECT_TRUE(found) << file.toStdString() << " links to " << match.captured(0).toStdString();
            }
        }
    }
}

TEST(HelpPages, SearchFindsPagesHoldingEveryWordMostMatchesFirst)
{
    testsupport::TempDir temp;
    temp.Write("index.html", "<title>Help</title><a href=\"a.html\">a</a> <a href=\"b.html\">b</a>");
    temp.Write("a.html", "<title>Alpha</title><h2 id=\"one\">One</h2><p>Sun sun SUN and sky.</p>");
    temp.Write("b.html", "<title>Beta</title><p>Sun once, no sky&#8217;s limit &amp; sky.</p>");
    const QList<help::HelpPage> pages = help::ReadHelpPages(QString::fromStdString(temp.path().string()));
    ASSERT_EQ(pages.size(), 3);
    ASSERT_EQ(pages[1].Sections.size(), 1);
    EXPECT_EQ(pages[1].Sections[0].Title, "One");
    EXPECT_EQ(pages[1].Sections[0].Anchor, "one");

    const QList<help::HelpSearchHit> hits = help::SearchHelp(pages, "  sky   sun sun ");
    ASSERT_EQ(hits.size(), 2);
    EXPECT_EQ(hits[0].Title, "Alpha");
    EXPECT_EQ(hits[0].Matches, 4);
    EXPECT_EQ(hits[1].Title, "Beta");
    EXPECT_EQ(hits[1].Matches, 3);
    EXPECT_TRUE(help::SearchHelp(pages, "sun moon").isEmpty());
    EXPECT_TRUE(help::SearchHelp(pages, "   ").isEmpty());
    EXPECT_TRUE(help::ReadHelpPages(QString::fromStdString((temp / "none").string())).isEmpty());
}

class HelpWindowTest : public ::testing::Test {
protected:
    help::HelpWindow window_{kPages};

    template <typename T>
    T* Find(const char* name)
    {
        T* child = window_.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }
};

TEST_F(HelpWindowTest, PagesShowAtTheirAnchorAndBackAndForwardRetraceThem)
{
    window_.ShowPage("properties.html");
    EXPECT_TRUE(window_.isVisible());
    EXPECT_EQ(window_.CurrentPage(), "properties.html");
    EXPECT_TRUE(Find<QTextBrowser>("helpBrowser")->toPlainText().contains("Copying the table"));
    EXPECT_EQ(Find<QTreeWidget>("helpContents")->currentItem()->text(0), "Study properties and copying");

    window_.ShowPage("panels.html#zoom");
    EXPECT_EQ(window_.CurrentPage(), "panels.html#zoom");
    EXPECT_EQ(Find<QTreeWidget>("helpContents")->currentItem()->text(0), "Zooming");

    auto* back = Find<QAction>("helpBack");
    auto* forward = Find<QAction>("helpForward");
    ASSERT_TRUE(back->isEnabled());
    back->trigger();
    EXPECT_EQ(window_.CurrentPage(), "properties.html");
    ASSERT_TRUE(forward->isEnabled());
    forward->trigger();
    EXPECT_EQ(window_.CurrentPage(), "panels.html#zoom");
    Find<QAction>("helpHome")->trigger();
    EXPECT_EQ(window_.CurrentPage(), "index.html");
}

TEST_F(HelpWindowTest, EveryPageWearsTheStyleSheetAndTheWindowNamesThePageOnce)
{
    auto* browser = Find<QTextBrowser>("helpBrowser");
    const QStringList files = QDir(kPages).entryList({QStringLiteral("*.html")}, QDir::Files);
    ASSERT_FALSE(files.isEmpty());
    for (const QString& file : files) {
        window_.ShowPage(file);
        // The heading in the sheet's colour shows the sheet was read.
        const QTextBlock heading = browser->document()->begin();
        EXPECT_EQ(heading.begin().fragment().charFormat().foreground().color(), QColor(0x2b, 0x4f, 0x7a))
            << file.toStdString();
        EXPECT_GE(browser->document()->documentMargin(), 8) << file.toStdString();
    }

    window_.ShowPage("index.html");
    EXPECT_EQ(window_.windowTitle(), "HALVEX Daystrand Help");
    window_.ShowPage("properties.html");
    EXPECT_EQ(window_.windowTitle(), "Study properties and copying - HALVEX Daystrand Help");
}

TEST_F(HelpWindowTest, SearchListsThePagesAndOpensTheOneChosen)
{
    window_.Search("Recent Studies");
    auto* results = Find<QListWidget>("helpSearchResults");
    ASSERT_GE(results->count(), 1);
    QStringList titles;
    for (int k = 0; k < results->count(); ++k)
        titles << results->item(k)->text();
    EXPECT_TRUE(titles.contains("Opening a study")) << titles.join(", ").toStdString();
    results->setCurrentRow(static_cast<int>(titles.indexOf("Opening a study")));
    EXPECT_EQ(window_.CurrentPage(), "opening.html");
    EXPECT_EQ(Find<QTextBrowser>("helpBrowser")->textCursor().selectedText().toLower(), "recent");

    window_.Search("zeppelin");
    ASSERT_EQ(results->count(), 1);
    EXPECT_FALSE(results->item(0)->flags() & Qt::ItemIsEnabled);
}

} // namespace
