#include "tools/dvftool/ExportArguments.h"

#include <QRegularExpression>

#include <cmath>

namespace dvftool {

const char kExportUsage[] =
    "usage: dvftool export STUDY.dvf|STUDY.dvp --view N|NAME [--sky NAME] [--lighting on|off]\n"
    "                      [--color rgb|pseudo] [--view ...] [--frames all|DATE|A-B]\n"
    "                      [--fps RATE | --delay SECONDS] [--size WxH] [--captions]\n"
    "                      [--quality N] [--preset NAME] [--paper a4|letter] [--overwrite]\n"
    "                      --out FILE.mp4|.webp|.gif|.pdf|.png|.jpg|FOLDER/\n"
    "\n"
    "Renders the chosen panels of a study over a range of frames without a display, as the\n"
    "viewer's Export commands do: an animation, a contact sheet, one frame, or each panel's\n"
    "own images. The result is written beside its final name and renamed into place, so a\n"
    "failed or interrupted export leaves no partial file. A progress line is shown on a terminal.\n"
    "\n"
    "options:\n"
    "  --view        a panel: the view's number or name; up to 4 give a grid of panels\n"
    "  --sky, --lighting, --color\n"
    "                the panel's images; before the first --view they apply to every panel\n"
    "                (default: the study's first sky, lighting on, RGB, as the viewer starts)\n"
    "  --frames      every frame, the frames of one date, frame numbers A-B, or one frame N\n"
    "  --fps, --delay  frames per second, or seconds a frame shows (default --delay 1)\n"
    "  --size        the largest frame, aspect kept (default 1920x1080)\n"
    "  --captions    each panel's view, date, time, sky, lighting and colour on its picture\n"
    "  --quality     MP4: x264 CRF 0-51 (default 20); WebP 0-100 (80); JPEG 0-100 (92)\n"
    "  --preset      x264 speed preset (default medium)\n"
    "  --paper       the PDF contact sheet's paper, landscape (default a4)\n"
    "  --overwrite   replace an existing file (otherwise the export refuses)\n"
    "  --out         .mp4/.webp/.gif: an animation; .pdf: a contact sheet of one panel;\n"
    "                .png/.jpg: one frame, or (.png, several frames) a contact sheet;\n"
    "                FOLDER/: each panel's own image file for every frame\n";

namespace {

std::optional<double> Number(const QString& text)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

} // namespace

ParsedExport ParseExportArguments(const QStringList& args)
{
    ParsedExport parsed;
    ExportArguments& a = parsed.Arguments;
    PanelArguments defaults;
    QStringList positional;
    const auto fail = [&parsed](const QString& text) {
        parsed.Error = text;
        return parsed;
    };
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        const bool takesValue = arg == u"--view" || arg == u"--sky" || arg == u"--lighting" || arg == u"--color" ||
                                arg == u"--frames" || arg == u"--fps" || arg == u"--delay" || arg == u"--size" ||
                                arg == u"--quality" || arg == u"--preset" || arg == u"--paper" || arg == u"--out";
        if (takesValue && i + 1 >= args.size())
            return fail(QStringLiteral("%1 needs a value").arg(arg));
        const QString value = takesValue ? args[++i] : QString();
        PanelArguments& panel = a.Panels.empty() ? defaults : a.Panels.back();
        if (arg == u"--view") {
            PanelArguments next = defaults;
            next.View = value;
            a.Panels.push_back(next);
        } else if (arg == u"--sky") {
            panel.Sky = value;
        } else if (arg == u"--lighting") {
            if (value != u"on" && value != u"off")
                return fail(QStringLiteral("--lighting takes on or off, not \"%1\"").arg(value));
            panel.Electric = value == u"on" ? 1 : 2;
        } else if (arg == u"--color" || arg == u"--colour") {
            if (value != u"rgb" && value != u"pseudo")
                return fail(QStringLiteral("--color takes rgb or pseudo, not \"%1\"").arg(value));
            panel.Color = value == u"rgb" ? 1 : 2;
        } else if (arg == u"--frames") {
            a.Frames = value;
        } else if (arg == u"--fps" || arg == u"--delay") {
            const std::optional<double> n = Number(value);
            if (!n)
                return fail(QStringLiteral("%1 takes a number above 0, not \"%2\"").arg(arg, value));
            (arg == u"--fps" ? a.Fps : a.Delay) = n;
        } else if (arg == u"--size") {
            static const QRegularExpression size(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
            const QRegularExpressionMatch m = size.match(value);
            if (!m.hasMatch() || m.captured(1).toInt() < 2 || m.captured(2).toInt() < 2)
                return fail(QStringLiteral("--size takes WIDTHxHEIGHT such as 1920x1080, not \"%1\"").arg(value));
            a.Box = QSize(m.captured(1).toInt(), m.captured(2).toInt());
        } else if (arg == u"--quality") {
            bool ok = false;
            const int q = value.toInt(&ok);
            if (!ok || q < 0 || q > 100)
                return fail(QStringLiteral("--quality takes a whole number 0-100, not \"%1\"").arg(value));
            a.Quality = q;
        } else if (arg == u"--preset") {
            a.Preset = value;
        } else if (arg == u"--paper") {
            if (value != u"a4" && value != u"letter")
                return fail(QStringLiteral("--paper takes a4 or letter, not \"%1\"").arg(value));
            a.Letter = value == u"letter";
        } else if (arg == u"--out") {
            a.Out = value;
        } else if (arg == u"--captions") {
            a.Captions = true;
        } else if (arg == u"--overwrite") {
            a.Overwrite = true;
        } else if (arg.startsWith(u'-') && arg.size() > 1) {
            return fail(QStringLiteral("unknown option \"%1\"").arg(arg));
        } else {
            positional << arg;
        }
    }
    if (positional.size() != 1)
        return fail(QStringLiteral("name one study file"));
    a.Study = positional.front();
    if (a.Panels.empty())
        return fail(QStringLiteral("name at least one --view"));
    if (a.Panels.size() > 4)
        return fail(QStringLiteral("at most 4 panels, not %1").arg(a.Panels.size()));
    if (a.Out.isEmpty())
        return fail(QStringLiteral("name the output with --out"));
    if (a.Fps && a.Delay)
        return fail(QStringLiteral("give --fps or --delay, not both"));
    return parsed;
}

} // namespace dvftool
