#include "viewer/export/StillExport.h"

#include "viewer/export/StagedFile.h"
#include "viewer/window/SkyConditions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageWriter>

namespace exporting {

namespace {

// Characters Windows refuses in a file name become '-', a time's ':' a '.'.
QString SafeName(QString name)
{
    name.replace(QLatin1Char(':'), QLatin1Char('.'));
    for (QChar& c : name) {
        if (c == u'/' || c == u'\\' || c == u'*' || c == u'?' || c == u'"' || c == u'<' || c == u'>' ||
            c == u'|' || c.unicode() < 0x20)
            c = QLatin1Char('-');
    }
    return name.trimmed();
}

struct PanelFile {
    QString source;
    QString name;
};

// Every (frame, panel) image of the export in order; a missing one has no source.
std::vector<PanelFile> PanelFiles(const ExportScene& scene, const QList<int>& frames)
{
    std::vector<PanelFile> files;
    const int width = std::max(4, static_cast<int>(QString::number(scene.FrameCount()).size()));
    for (int frame : frames) {
        for (std::size_t p = 0; p < scene.Panels.size(); ++p) {
            const PanelSequence& panel = scene.Panels[p];
            if (frame < 1 || frame > panel.Sources.size())
                continue;
            const PanelSource& source = panel.Sources[frame - 1];
            const study::StudyView& view = scene.Study.Views[panel.Settings.View];
            const study::StudySample& sample = view.Samples[source.Sample];
            const viewer::PanelChoice& c = panel.Settings.Choice;
            const QString suffix = QFileInfo(source.Name).suffix().toLower();
            const QString name = QStringLiteral("%1 P%2 %3 - %4 %5 - %6, lighting %7, %8")
                                     .arg(frame, width, 10, QLatin1Char('0'))
                                     .arg(p + 1)
                                     .arg(view.ViewName, sample.SampleDate, sample.SampleTime, viewer::SkyConditionName(c.SkyCode),
                                          LightingName(c).toLower(), ColourName(c));
            files.push_back({source.Path, SafeName(name) + QLatin1Char('.') + (suffix.isEmpty() ? QStringLiteral("jpg") : suffix)});
        }
    }
    return files;
}

QString CopyInto(const QString& source, const QString& destination)
{
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Could not read the image file %1: %2").arg(source, in.errorString());
    StagedFile staged(destination);
    if (QString error = staged.Create(); !error.isEmpty())
        return error;
    QFile out(staged.TemporaryPath());
    if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QStringLiteral("Could not write the file %1: %2").arg(destination, out.errorString());
    char buffer[1 << 16];
    for (;;) {
        const qint64 n = in.read(buffer, sizeof buffer);
        if (n < 0)
            return QStringLiteral("Could not read the image file %1: %2").arg(source, in.errorString());
        if (n == 0)
            break;
        if (out.write(buffer, n) != n)
            return QStringLiteral("Could not write the file %1: %2").arg(destination, out.errorString());
    }
    if (!out.flush())
        return QStringLiteral("Could not write the file %1: %2").arg(destination, out.errorString());
    out.close();
    return staged.Commit();
}

} // namespace

ExportOutcome ExportFramePicture(const ExportScene& scene, int frame, const QString& path, int jpegQuality)
{
    ExportOutcome outcome;
    const QString suffix = QFileInfo(path).suffix().toLower();
    const char* format = suffix == u"png" ? "png" : (suffix == u"jpg" || suffix == u"jpeg") ? "jpeg" : nullptr;
    if (!format) {
        outcome.Error = QStringLiteral("A frame is saved as .png or .jpg, not \"%1\"").arg(suffix);
        return outcome;
    }
    const RenderedFrame rendered = scene.Render(frame);
    if (!rendered.ok()) {
        outcome.Error = rendered.Error;
        return outcome;
    }
    StagedFile staged(path);
    if (QString error = staged.Create(); !error.isEmpty()) {
        outcome.Error = error;
        return outcome;
    }
    QImageWriter writer(staged.TemporaryPath(), format);
    if (qstrcmp(format, "jpeg") == 0)
        writer.setQuality(jpegQuality);
    if (!writer.write(rendered.Image)) {
        outcome.Error = QStringLiteral("Could not write the file %1: %2").arg(path, writer.errorString());
        return outcome;
    }
    if (QString error = staged.Commit(); !error.isEmpty()) {
        outcome.Error = error;
        return outcome;
    }
    outcome.Frames = 1;
    return outcome;
}

QStringList PanelImageNames(const ExportScene& scene, const QList<int>& frames)
{
    QStringList names;
    for (const PanelFile& file : PanelFiles(scene, frames))
        names.append(file.name);
    return names;
}

ExportOutcome ExportPanelImages(const ExportScene& scene, const PanelFilesRequest& request,
                                const ExportProgress& progress)
{
    ExportOutcome outcome;
    const QDir folder(request.Folder);
    if (!folder.exists()) {
        outcome.Error = QStringLiteral("The folder %1 does not exist").arg(request.Folder);
        return outcome;
    }
    const std::vector<PanelFile> files = PanelFiles(scene, request.Frames);
    if (!request.Replace) {
        int existing = 0;
        QString first;
        for (const PanelFile& file : files) {
            if (QFileInfo::exists(folder.filePath(file.name))) {
                if (existing++ == 0)
                    first = file.name;
            }
        }
        if (existing > 0) {
            outcome.Error = QStringLiteral("%1 files of this export already exist in %2, such as %3")
                                .arg(existing)
                                .arg(QDir::toNativeSeparators(folder.absolutePath()), first);
            return outcome;
        }
    }
    const int total = static_cast<int>(files.size());
    for (int i = 0; i < total; ++i) {
        if (files[i].source.isEmpty()) {
            ++outcome.Skipped;
        } else {
            if (QString error = CopyInto(files[i].source, folder.filePath(files[i].name)); !error.isEmpty()) {
                outcome.Error = error;
                return outcome;
            }
            ++outcome.Frames;
        }
        if (progress && !progress(i + 1, total)) {
            outcome.Cancelled = true;
            return outcome;
        }
    }
    return outcome;
}

} // namespace exporting
