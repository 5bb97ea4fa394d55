// The help window: the help pages in a browser, with their contents, a search
// over all of them, and Back and Forward through the pages read.
#pragma once

#include "viewer/help/HelpContents.h"

#include <QMainWindow>

class QAction;
class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace help {

inline constexpr char kHelpWindowTitle[] = "HALVEX Daystrand Help";

class HelpWindow : public QMainWindow {
    Q_OBJECT

public:
    explicit HelpWindow(const QString& helpFolder, QWidget* parent = nullptr);

    QString HelpFolder() const { return folder_; }
    // Shows a page of the help folder, "panels.html" or "panels.html#zoom",
    // and brings the window to the front.
    void ShowPage(const QString& page);
    // The page on display with its anchor, relative to the help folder.
    QString CurrentPage() const;
    // Lists the pages that hold all the words under Search.
    void Search(const QString& words);

private:
    void CreateControls();
    void FillContents();
    void SourceChanged(const QUrl& source);
    void ContentsChosen(QTreeWidgetItem* item);
    void ResultChosen(int row);

    QString folder_;
    QList<HelpPage> pages_;
    QTextBrowser* browser_ = nullptr;
    QTabWidget* navigation_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QLineEdit* searchText_ = nullptr;
    QListWidget* results_ = nullptr;
    QStringList lastWords_;
};

} // namespace help
