#include "viewer/help/HelpContents.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTextDocument>

#include <algorithm>

namespace help {

namespace {

QString ReadPage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

// Our own pages are written to a plain pattern, so a few expressions read
// them; the text is what the browser shows, tags and entities resolved.
HelpPage ParsePage(const QString& fileName, const QString& html)
{
    HelpPage page;
    page.File = fileName;
    static const QRegularExpression title(QStringLiteral("<title>(.*?)</title>"),
                                          QRegularExpression::DotMatchesEverythingOption);
    static const QRegularExpression section(QStringLiteral("<h2 id=\"([^\"]+)\">(.*?)</h2>"),
                                            QRegularExpression::DotMatchesEverythingOption);
    QTextDocument document;
    document.setHtml(html);
    page.Text = document.toPlainText();
    const auto plain = [](const QString& fragment) {
        QTextDocument part;
        part.setHtml(fragment);
        return part.toPlainText().simplified();
    };
    page.Title = plain(title.match(html).captured(1));
    for (auto it = section.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        page.Sections.append({plain(match.captured(2)), match.captured(1)});
    }
    return page;
}

} // namespace

QList<HelpPage> ReadHelpPages(const QString& helpFolder)
{
    const QDir folder(helpFolder);
    const QString contents = ReadPage(folder.filePath(QStringLiteral("index.html")));
    if (contents.isEmpty())
        return {};
    QList<HelpPage> pages{ParsePage(QStringLiteral("index.html"), contents)};
    QStringList seen{QStringLiteral("index.html")};
    static const QRegularExpression link(QStringLiteral("href=\"([a-z0-9-]+\\.html)\""));
    for (auto it = link.globalMatch(contents); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (seen.contains(name))
            continue;
        seen << name;
        const QString html = ReadPage(folder.filePath(name));
        if (!html.isEmpty())
            pages.append(ParsePage(name, html));
    }
    return pages;
}

QStringList SearchWords(const QString& words)
{
    QStringList unique;
    for (const QString& word : words.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (!unique.contains(word, Qt::CaseInsensitive))
            unique << word;
    }
    return unique;
}

QList<HelpSearchHit> SearchHelp(const QList<HelpPage>& pages, const QString& words)
{
    const QStringList wanted = SearchWords(words);
    QList<HelpSearchHit> hits;
    if (wanted.isEmpty())
        return hits;
    for (const HelpPage& page : pages) {
        int total = 0;
        bool all = true;
        for (const QString& word : wanted) {
            const int count = static_cast<int>(page.Text.count(word, Qt::CaseInsensitive));
            all = all && count > 0;
            total += count;
        }
        if (all)
            hits.append({page.File, page.Title, total});
    }
    std::stable_sort(hits.begin(), hits.end(),
                     [](const HelpSearchHit& a, const HelpSearchHit& b) { return a.Matches > b.Matches; });
    return hits;
}

} // namespace help
