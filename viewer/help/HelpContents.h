// What the help window knows of the help pages: their order, titles and
// sections for the contents, and their text for searching.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace help {

struct HelpSection {
    QString Title;
    QString Anchor;
};

struct HelpPage {
    QString File;  // name within the help folder, "panels.html"
    QString Title; // the page's <title>
    QList<HelpSection> Sections; // its <h2 id="..."> headings, in page order
    QString Text;  // the page as plain text, for searching
};

// The contents page first, then every page it links to, in the order of its
// links; pages that are missing are left out. Empty when the folder has no
// contents page.
QList<HelpPage> ReadHelpPages(const QString& helpFolder);

struct HelpSearchHit {
    QString File;
    QString Title;
    int Matches = 0; // occurrences of all the words together
};

// The pages that hold every word of `words` (case-insensitive), the most
// matches first, then in contents order.
QList<HelpSearchHit> SearchHelp(const QList<HelpPage>& pages, const QString& words);

// The words of a search text, without blanks and duplicates.
QStringList SearchWords(const QString& words);

} // namespace help
