// The command line of dvftool export, read into plain values. Panel settings
// (--sky, --lighting, --color) given before the first --view apply to every
// panel; given after a --view they apply to that panel alone.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

namespace dvftool {

// What `dvftool help export` prints; also shown after a command-line mistake.
extern const char kExportUsage[];

struct PanelArguments {
    QString View; // a number 1..n or a view's name
    std::optional<QString> Sky;
    std::optional<int> Electric; // 1 on, 2 off
    std::optional<int> Color;    // 1 rgb, 2 pseudo
};

struct ExportArguments {
    QString Study;
    std::vector<PanelArguments> Panels;
    QString Frames = QStringLiteral("all");
    std::optional<double> Fps;
    std::optional<double> Delay;
    QSize Box{1920, 1080};
    bool Captions = false;
    std::optional<int> Quality;
    QString Preset = QStringLiteral("medium");
    bool Letter = false;
    bool Overwrite = false;
    QString Out;
};

struct ParsedExport {
    ExportArguments Arguments;
    QString Error; // "" when the command line is usable; else what is wrong with it
};

ParsedExport ParseExportArguments(const QStringList& args);

} // namespace dvftool
