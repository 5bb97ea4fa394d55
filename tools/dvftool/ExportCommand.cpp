// dvftool export: the window's exports without a display. Animations (MP4,
// WebP, GIF), contact sheets (PDF, PNG), single frames (PNG, JPEG) and the
// panels' own image files, from a study file or package, for scripts.
#include "tools/dvftool/DvfTool.h"
#include "tools/dvftool/ExportArguments.h"
#include "tools/dvftool/StudyInput.h"

#include "viewer/export/AnimationExport.h"
#include "viewer/export/ContactSheet.h"
#include "viewer/export/StillExport.h"
#include "viewer/study/StudyReader.h"
#include "viewer/window/SkyConditions.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGuiApplication>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <memory>

#include <unistd.h>

namespace dvftool {

namespace {

using exporting::ExportOutcome;

enum class OutKind { Animation, SheetPdf, SheetPng, Picture, Folder };

std::atomic<bool> interrupted{false};

extern "C" void OnInterrupt(int)
{
    interrupted.store(true);
}

// Ctrl-C during an export stops it cleanly (no file is left behind); a second
// Ctrl-C is the system's own.
class InterruptWatch {
public:
    InterruptWatch()
    {
        interrupted.store(false);
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESETHAND;
        sigaction(SIGINT, &action, &oldInt_);
        sigaction(SIGTERM, &action, &oldTerm_);
    }
    ~InterruptWatch()
    {
        sigaction(SIGINT, &oldInt_, nullptr);
        sigaction(SIGTERM, &oldTerm_, nullptr);
    }

private:
    struct sigaction oldInt_ {};
    struct sigaction oldTerm_ {};
};

// Painting text and writing PDF need a GUI application, though never a screen.
std::unique_ptr<QGuiApplication> GuiForPainting()
{
    if (QCoreApplication::instance())
        return nullptr;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "dvftool";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QGuiApplication>(argc, argv);
}

// "37/120 frames" redrawn in place on a terminal; nothing when standard error
// is a file or a pipe.
class ProgressLine {
public:
    explicit ProgressLine(const Output& io) : io_(io), terminal_(::isatty(fileno(io.err)) == 1) {}
    ~ProgressLine() { Clear(); }
    bool Update(int done, int total)
    {
        if (terminal_ && done != shown_) {
            shown_ = done;
            io_.Err(QStringLiteral("\r\033[Kdvftool export: %1/%2 (%3%)").arg(done).arg(total).arg(total ? done * 100 / total : 100));
        }
        return !interrupted.load();
    }
    void Clear()
    {
        if (terminal_ && shown_ >= 0)
            io_.Err(QByteArray("\r\033[K"));
        shown_ = -1;
    }

private:
    const Output& io_;
    bool terminal_;
    int shown_ = -1;
};

struct PanelResolution {
    exporting::PanelSettings Settings;
    QString Error;
};

PanelResolution ResolvePanel(const study::StudyRecord& record, const PanelArguments& a)
{
    PanelResolution r;
    bool isNumber = false;
    const int number = a.View.toInt(&isNumber);
    r.Settings.View = isNumber ? number : viewer::FindView(record, a.View);
    if (r.Settings.View < 1 || r.Settings.View > record.ViewCount()) {
        QStringList views;
        for (qsizetype v = 1; v <= record.ViewCount(); ++v)
            views << QStringLiteral("%1 \"%2\"").arg(v).arg(record.Views[v].ViewName);
        r.Error = QStringLiteral("the study has no view \"%1\"; its views are %2").arg(a.View, views.join(QStringLiteral(", ")));
        return r;
    }
    viewer::PanelChoice& c = r.Settings.Choice;
    c = exporting::DefaultChoice(record);
    const QStringList skies = viewer::SkyConditionNames(record.SkyConditionMask);
    if (a.Sky) {
        if (!skies.contains(*a.Sky)) {
            r.Error = QStringLiteral("the study has no sky condition \"%1\"; it has %2")
                          .arg(*a.Sky, skies.isEmpty() ? QStringLiteral("none") : skies.join(QStringLiteral(", ")));
            return r;
        }
        c.SkyCode = viewer::SkyCodeOfName(*a.Sky);
    }
    if (a.Electric) {
        if (!(record.ElectricModeMask & (*a.Electric == 1 ? 1 : 2))) {
            r.Error = QStringLiteral("the study has no images with electric lighting %1").arg(*a.Electric == 1 ? "on" : "off");
            return r;
        }
        c.ElectricCode = static_cast<qint16>(*a.Electric);
    }
    if (a.Color) {
        if (!(record.ColorModeMask & (*a.Color == 1 ? 1 : 2))) {
            r.Error = QStringLiteral("the study has no %1 images").arg(*a.Color == 1 ? "RGB" : "pseudo-colour");
            return r;
        }
        c.ColorCode = *a.Color;
    }
    return r;
}

OutKind KindOf(const QString& out, int frameCount)
{
    if (out.endsWith(u'/') || QFileInfo(out).isDir())
        return OutKind::Folder;
    const QString suffix = QFileInfo(out).suffix().toLower();
    if (suffix == u"pdf")
        return OutKind::SheetPdf;
    if (suffix == u"png")
        return frameCount == 1 ? OutKind::Picture : OutKind::SheetPng;
    if (suffix == u"jpg" || suffix == u"jpeg")
        return OutKind::Picture;
    return OutKind::Animation;
}

struct AnimationChoice {
    exporting::AnimationFormat Format = exporting::AnimationFormat::Mp4;
    bool Known = false;
};

AnimationChoice AnimationFormatOf(const QString& out)
{
    const QString suffix = QFileInfo(out).suffix().toLower();
    for (auto f : {exporting::AnimationFormat::Mp4, exporting::AnimationFormat::WebP, exporting::AnimationFormat::Gif}) {
        if (suffix == QLatin1String(exporting::FormatSuffix(f)))
            return {f, true};
    }
    return {};
}

int Fail(const Output& io, const QString& text)
{
    io.Err(QStringLiteral("dvftool export: %1\n").arg(text));
    return kExitFailed;
}

} // namespace

int ExportCommand(const QStringList& args, const Output& io)
{
    const ParsedExport parsed = ParseExportArguments(args);
    if (!parsed.Error.isEmpty()) {
        io.Err(QStringLiteral("dvftool export: %1\n").arg(parsed.Error));
        io.Err(QByteArray(kExportUsage));
        return kExitUsage;
    }
    const ExportArguments& a = parsed.Arguments;
    const std::unique_ptr<QGuiApplication> gui = GuiForPainting();

    StudyInput input;
    if (!input.Open(a.Study, "export", io))
        return kExitFailed;
    study::StudyRecord record;
    QString readError;
    study::ReadStudyFile(record, input.StudyFile(), readError);
    if (!readError.isEmpty())
        return Fail(io, QStringLiteral("%1: %2").arg(a.Study, readError));

    std::vector<exporting::PanelSettings> panels;
    for (const PanelArguments& p : a.Panels) {
        const PanelResolution r = ResolvePanel(record, p);
        if (!r.Error.isEmpty())
            return Fail(io, r.Error);
        panels.push_back(r.Settings);
    }
    const exporting::ExportScene scene = exporting::ArrangedScene(record, input.Folder(), panels, a.Box, a.Captions);
    const exporting::RangeParse range = exporting::ParseFrameRange(a.Frames, exporting::StudyDates(record));
    if (!range.Error.isEmpty())
        return Fail(io, range.Error);
    const exporting::RangeSelection frames = exporting::SelectFrames(range.Range, record, scene.FrameCount());
    if (!frames.Error.isEmpty())
        return Fail(io, frames.Error);

    const OutKind kind = KindOf(a.Out, static_cast<int>(frames.Frames.size()));
    if (kind != OutKind::Folder && QFileInfo::exists(a.Out) && !a.Overwrite)
        return Fail(io, QStringLiteral("%1 exists; give --overwrite to replace it").arg(a.Out));
    if ((kind == OutKind::SheetPdf || kind == OutKind::SheetPng) && panels.size() != 1)
        return Fail(io, QStringLiteral("a contact sheet shows one panel; give one --view (or one frame with --frames N)"));

    InterruptWatch watch;
    ProgressLine line(io);
    const auto progress = [&line](int done, int total) { return line.Update(done, total); };
    ExportOutcome outcome;
    QString summary;
    switch (kind) {
    case OutKind::Animation: {
        const AnimationChoice format = AnimationFormatOf(a.Out);
        if (!format.Known)
            return Fail(io, QStringLiteral("%1: the output is named by its suffix: .mp4, .webp, .gif, .pdf, .png, .jpg or a folder/").arg(a.Out));
        exporting::AnimationRequest request;
        request.Path = a.Out;
        request.Frames = frames.Frames;
        request.Encoder.format = format.Format;
        request.Encoder.rate = a.Fps ? exporting::RateFromPerSecond(*a.Fps) : exporting::RateFromDelay(a.Delay.value_or(1.0));
        request.Encoder.preset = a.Preset;
        if (a.Quality) {
            if (format.Format == exporting::AnimationFormat::Mp4 && *a.Quality > 51)
                return Fail(io, QStringLiteral("an MP4's --quality is x264's CRF, 0-51"));
            request.Encoder.crf = *a.Quality;
            request.Encoder.webpQuality = *a.Quality;
        }
        outcome = exporting::ExportAnimation(scene, request, progress);
        const QSize size = format.Format == exporting::AnimationFormat::Mp4 ? exporting::EvenSize(scene.Layout.Size)
                                                                            : scene.Layout.Size;
        summary = QStringLiteral("%1: %2 frames, %3 x %4, %5 per second\n")
                      .arg(a.Out)
                      .arg(outcome.Frames)
                      .arg(size.width())
                      .arg(size.height())
                      .arg(request.Encoder.rate.PerSecond());
        break;
    }
    case OutKind::SheetPdf:
    case OutKind::SheetPng: {
        exporting::SheetRequest request;
        request.Path = a.Out;
        request.Frames = frames.Frames;
        request.Paper = a.Letter ? exporting::PaperSize::Letter : exporting::PaperSize::A4;
        outcome = kind == OutKind::SheetPdf ? exporting::ExportContactSheetPdf(scene, request, progress)
                                            : exporting::ExportContactSheetPng(scene, request, progress);
        summary = QStringLiteral("%1: contact sheet of %2 frames\n").arg(a.Out).arg(outcome.Frames);
        break;
    }
    case OutKind::Picture:
        if (frames.Frames.size() != 1)
            return Fail(io, QStringLiteral("a .jpg holds one frame; choose one with --frames N, or use .png for a contact sheet"));
        outcome = exporting::ExportFramePicture(scene, frames.Frames.front(), a.Out, a.Quality.value_or(92));
        summary = QStringLiteral("%1: frame %2, %3 x %4\n")
                      .arg(a.Out)
                      .arg(frames.Frames.front())
                      .arg(scene.Layout.Size.width())
                      .arg(scene.Layout.Size.height());
        break;
    case OutKind::Folder: {
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(a.Out.toStdString()), ec);
        if (ec)
            return Fail(io, QStringLiteral("cannot create the folder %1: %2").arg(a.Out, QString::fromLocal8Bit(ec.message())));
        exporting::PanelFilesRequest request;
        request.Folder = a.Out;
        request.Frames = frames.Frames;
        request.Replace = a.Overwrite;
        outcome = exporting::ExportPanelImages(scene, request, progress);
        summary = QStringLiteral("%1: %2 image files\n").arg(a.Out).arg(outcome.Frames);
        if (outcome.Skipped == 1)
            summary += QStringLiteral("1 image was missing and left out\n");
        else if (outcome.Skipped > 1)
            summary += QStringLiteral("%1 images were missing and left out\n").arg(outcome.Skipped);
        break;
    }
    }
    line.Clear();
    if (outcome.Cancelled) {
        io.Err(QStringLiteral("dvftool export: interrupted; %1 was not written\n").arg(a.Out));
        return 130;
    }
    if (!outcome.ok())
        return Fail(io, outcome.Error);
    io.Out(summary);
    return kExitOk;
}

} // namespace dvftool
