#include "viewer/help/HelpWindow.h"

#include <QAction>
#include <QDir>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace help {

namespace {

constexpr int kPageRole = Qt::UserRole;

} // namespace

HelpWindow::HelpWindow(const QString& helpFolder, QWidget* parent)
    : QMainWindow(parent), folder_(QDir(helpFolder).absolutePath()), pages_(ReadHelpPages(helpFolder))
{
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(QLatin1String(kHelpWindowTitle));
    setAttribute(Qt::WA_DeleteOnClose, false);
    CreateControls();
    FillContents();
    resize(960, 680);
}

void HelpWindow::CreateControls()
{
    browser_ = new QTextBrowser;
    browser_->setObjectName(QStringLiteral("helpBrowser"));
    browser_->setSearchPaths({folder_});
    browser_->setOpenExternalLinks(true);
    // Text clear of the frame, as the style sheet's body margin is not honoured.
    browser_->document()->setDocumentMargin(12);
    connect(browser_, &QTextBrowser::sourceChanged, this, &HelpWindow::SourceChanged);

    contents_ = new QTreeWidget;
    contents_->setObjectName(QStringLiteral("helpContents"));
    contents_->setHeaderHidden(true);
    connect(contents_, &QTreeWidget::itemActivated, this, &HelpWindow::ContentsChosen);
    connect(contents_, &QTreeWidget::itemClicked, this, &HelpWindow::ContentsChosen);

    searchText_ = new QLineEdit;
    searchText_->setObjectName(QStringLiteral("helpSearchText"));
    searchText_->setPlaceholderText(QStringLiteral("Words to find"));
    searchText_->setClearButtonEnabled(true);
    connect(searchText_, &QLineEdit::returnPressed, this, [this] { Search(searchText_->text()); });
    results_ = new QListWidget;
    results_->setObjectName(QStringLiteral("helpSearchResults"));
    connect(results_, &QListWidget::currentRowChanged, this, &HelpWindow::ResultChosen);
    auto* searchPage = new QWidget;
    auto* searchLayout = new QVBoxLayout(searchPage);
    searchLayout->addWidget(new QLabel(QStringLiteral("Find pages that mention all of these words:")));
    searchLayout->addWidget(searchText_);
    searchLayout->addWidget(results_, 1);

    navigation_ = new QTabWidget;
    navigation_->setObjectName(QStringLiteral("helpNavigation"));
    navigation_->addTab(contents_, QStringLiteral("Contents"));
    navigation_->addTab(searchPage, QStringLiteral("Search"));

    auto* splitter = new QSplitter;
    splitter->addWidget(navigation_);
    splitter->addWidget(browser_);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({260, 700});
    setCentralWidget(splitter);

    QToolBar* bar = addToolBar(QStringLiteral("Navigation"));
    bar->setObjectName(QStringLiteral("helpToolBar"));
    bar->setMovable(false);
    bar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction* back = bar->addAction(style()->standardIcon(QStyle::SP_ArrowBack), QStringLiteral("Back"));
    back->setObjectName(QStringLiteral("helpBack"));
    back->setShortcut(QKeySequence::Back);
    back->setEnabled(false);
    connect(back, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(browser_, &QTextBrowser::backwardAvailable, back, &QAction::setEnabled);
    QAction* forward = bar->addAction(style()->standardIcon(QStyle::SP_ArrowForward), QStringLiteral("Forward"));
    forward->setObjectName(QStringLiteral("helpForward"));
    forward->setShortcut(QKeySequence::Forward);
    forward->setEnabled(false);
    connect(forward, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(browser_, &QTextBrowser::forwardAvailable, forward, &QAction::setEnabled);
    QAction* home = bar->addAction(style()->standardIcon(QStyle::SP_DirHomeIcon), QStringLiteral("Contents"));
    home->setObjectName(QStringLiteral("helpHome"));
    connect(home, &QAction::triggered, this, [this] { ShowPage(QStringLiteral("index.html")); });

    auto* find = new QAction(this);
    find->setShortcut(QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        navigation_->setCurrentIndex(1);
        searchText_->setFocus();
        searchText_->selectAll();
    });
    addAction(find);
}

void HelpWindow::FillContents()
{
    for (const HelpPage& page : pages_) {
        auto* item = new QTreeWidgetItem(contents_, {page.Title});
        item->setData(0, kPageRole, page.File);
        for (const HelpSection& section : page.Sections) {
            auto* child = new QTreeWidgetItem(item, {section.Title});
            child->setData(0, kPageRole, page.File + QLatin1Char('#') + section.Anchor);
        }
    }
}

void HelpWindow::ShowPage(const QString& page)
{
    const qsizetype hash = page.indexOf(QLatin1Char('#'));
    QUrl url = QUrl::fromLocalFile(QDir(folder_).filePath(page.left(hash)));
    if (hash >= 0)
        url.setFragment(page.mid(hash + 1));
    browser_->setSource(url);
    show();
    raise();
    activateWindow();
}

QString HelpWindow::CurrentPage() const
{
    const QUrl source = browser_->source();
    QString page = QDir(folder_).relativeFilePath(source.toLocalFile());
    if (source.hasFragment())
        page += QLatin1Char('#') + source.fragment();
    return page;
}

void HelpWindow::Search(const QString& words)
{
    if (searchText_->text() != words)
        searchText_->setText(words);
    navigation_->setCurrentIndex(1);
    lastWords_ = SearchWords(words);
    const QSignalBlocker quiet(results_);
    results_->clear();
    const QList<HelpSearchHit> hits = SearchHelp(pages_, words);
    for (const HelpSearchHit& hit : hits) {
        auto* item = new QListWidgetItem(hit.Title, results_);
        item->setData(kPageRole, hit.File);
    }
    if (hits.isEmpty() && !lastWords_.isEmpty()) {
        auto* none = new QListWidgetItem(QStringLiteral("No page mentions all of these words."), results_);
        none->setFlags(Qt::NoItemFlags);
    }
}

void HelpWindow::SourceChanged(const QUrl& source)
{
    // The contents follow the page on display, whichever way it was reached.
    const QString page = QDir(folder_).relativeFilePath(source.toLocalFile());
    const QString anchored = source.hasFragment() ? page + QLatin1Char('#') + source.fragment() : page;
    QTreeWidgetItem* best = nullptr;
    for (QTreeWidgetItemIterator it(contents_); *it; ++it) {
        const QString target = (*it)->data(0, kPageRole).toString();
        if (target == anchored || (!best && target == page))
            best = *it;
    }
    const QSignalBlocker quiet(contents_);
    contents_->setCurrentItem(best);
    // The contents page is titled like the window itself; it is not named twice.
    const QString title = browser_->documentTitle();
    const QString window = QLatin1String(kHelpWindowTitle);
    setWindowTitle(title.isEmpty() || title == window ? window : title + QStringLiteral(" - ") + window);
}

void HelpWindow::ContentsChosen(QTreeWidgetItem* item)
{
    if (item)
        ShowPage(item->data(0, kPageRole).toString());
}

void HelpWindow::ResultChosen(int row)
{
    QListWidgetItem* item = results_->item(row);
    if (!item || !(item->flags() & Qt::ItemIsEnabled))
        return;
    ShowPage(item->data(kPageRole).toString());
    // Marks the first place a word occurs, so the reader sees why the page came up.
    if (!lastWords_.isEmpty()) {
        browser_->moveCursor(QTextCursor::Start);
        browser_->find(lastWords_.front());
    }
}

} // namespace help
