// dvftool check [--json] STUDY.dvf|STUDY.dvp: every image a study names that is
// missing or does not decode, and every file that more than one image of the
// study names, so a broken study is found before anyone opens it. Exits 1 when
// anything is wrong, 0 when the study is whole.
#include "tools/dvftool/DvfTool.h"
#include "tools/dvftool/JsonText.h"
#include "tools/dvftool/StudyInput.h"

#include "platform/imaging/ImageDecoder.h"
#include "viewer/study/StudyFolderIndex.h"
#include "viewer/study/StudyReader.h"

#include <QHash>
#include <QList>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

namespace dvftool {

namespace {

const QByteArray kUsage = "usage: dvftool check [--json] STUDY.dvf|STUDY.dvp\n";

// One image the study names: a view's image of one kind for one sample.
struct ImageUse {
    int view = 0;
    int sample = 0;
    bool pseudo = false;
    QString name;
    QString path; // "" when missing
};

struct CheckReport {
    int checked = 0;
    std::vector<const ImageUse*> missing;
    std::vector<std::pair<const ImageUse*, QString>> undecodable; // with the decoder's text
    std::vector<std::vector<const ImageUse*>> repeated;           // uses naming one file
    bool ok() const { return missing.empty() && undecodable.empty() && repeated.empty(); }
};

// The kinds a panel of this study can show: those the header names; with
// neither bit, the panels show pseudo colour.
std::vector<bool> KindsOf(const study::StudyRecord& record)
{
    std::vector<bool> kinds;
    if (record.ColorModeMask & 1)
        kinds.push_back(false);
    if ((record.ColorModeMask & 2) || !(record.ColorModeMask & 1))
        kinds.push_back(true);
    return kinds;
}

std::vector<ImageUse> ImageUses(const study::StudyRecord& record, study::StudyFolderIndex& files)
{
    std::vector<ImageUse> uses;
    const std::vector<bool> kinds = KindsOf(record);
    for (int v = 1; v <= record.ViewCount(); ++v) {
        const study::StudyView& view = record.Views[v];
        for (int k = 1; k <= view.SampleCount(); ++k) {
            for (const bool pseudo : kinds) {
                ImageUse use{v, k, pseudo, pseudo ? view.Samples[k].PseudoFile : view.Samples[k].RgbFile, {}};
                use.path = files.Find(use.name);
                uses.push_back(std::move(use));
            }
        }
    }
    return uses;
}

// Decodes every file once, on as many threads as there are cores; the error
// text of each, "" when it decoded.
QHash<QString, QString> DecodeAll(const QStringList& paths)
{
    std::vector<QString> errors(static_cast<size_t>(paths.size()));
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype i = next++; i < paths.size(); i = next++)
            errors[static_cast<size_t>(i)] = imaging::DecodeImageFile(paths[i]).error;
    };
    std::vector<std::thread> threads;
    const unsigned count = std::max(1u, std::min(std::thread::hardware_concurrency(), 8u));
    for (unsigned t = 1; t < count; ++t)
        threads.emplace_back(work);
    work();
    for (std::thread& thread : threads)
        thread.join();
    QHash<QString, QString> byPath;
    for (qsizetype i = 0; i < paths.size(); ++i)
        byPath.insert(paths[i], errors[static_cast<size_t>(i)]);
    return byPath;
}

CheckReport Check(const std::vector<ImageUse>& uses)
{
    CheckReport report;
    report.checked = static_cast<int>(uses.size());
    QStringList present;
    QHash<QString, std::vector<const ImageUse*>> byFile;
    QStringList fileOrder;
    for (const ImageUse& use : uses) {
        if (use.path.isEmpty()) {
            report.missing.push_back(&use);
        } else if (!byFile.contains(use.path)) {
            present << use.path;
        }
        // Names that are not there count as repeated by their spelling.
        const QString key = use.path.isEmpty() ? use.name.toCaseFolded() : use.path;
        if (key.isEmpty())
            continue;
        if (!byFile.contains(key))
            fileOrder << key;
        byFile[key].push_back(&use);
    }
    const QHash<QString, QString> errors = DecodeAll(present);
    for (const ImageUse& use : uses) {
        if (!use.path.isEmpty() && !errors.value(use.path).isEmpty())
            report.undecodable.emplace_back(&use, errors.value(use.path));
    }
    for (const QString& key : fileOrder) {
        if (byFile[key].size() > 1)
            report.repeated.push_back(byFile[key]);
    }
    return report;
}

QString Kind(const ImageUse& use)
{
    return use.pseudo ? QStringLiteral("pseudo") : QStringLiteral("RGB");
}

QString UseText(const study::StudyRecord& record, const ImageUse& use)
{
    const study::StudySample& sample = record.Views[use.view].Samples[use.sample];
    return QStringLiteral("%1, sample %2, %3, %4, %5")
        .arg(record.Views[use.view].ViewName)
        .arg(use.sample)
        .arg(sample.SampleDate, sample.SampleTime, Kind(use));
}

QByteArray UseJson(const study::StudyRecord& record, const ImageUse& use)
{
    const study::StudySample& sample = record.Views[use.view].Samples[use.sample];
    return "{\"View\": " + JsonString(record.Views[use.view].ViewName) +
           ", \"Sample\": " + QByteArray::number(use.sample) + ", \"SampleDate\": " + JsonString(sample.SampleDate) +
           ", \"SampleTime\": " + JsonString(sample.SampleTime) + ", \"Kind\": " + JsonString(Kind(use)) +
           ", \"File\": " + JsonString(use.name);
}

QByteArray ReportJson(const QString& input, const QString& errMsg, const study::StudyRecord& record,
                      const CheckReport& report)
{
    QByteArray json = "{\"Study\": " + JsonString(input) + ", \"ErrMsg\": " + JsonString(errMsg) +
                      ", \"Checked\": " + QByteArray::number(report.checked) + ", \"Missing\": [";
    for (size_t i = 0; i < report.missing.size(); ++i)
        json += (i ? ", " : "") + UseJson(record, *report.missing[i]) + '}';
    json += "], \"Undecodable\": [";
    for (size_t i = 0; i < report.undecodable.size(); ++i)
        json += (i ? ", " : "") + UseJson(record, *report.undecodable[i].first) +
                ", \"Error\": " + JsonString(report.undecodable[i].second) + '}';
    json += "], \"Repeated\": [";
    for (size_t i = 0; i < report.repeated.size(); ++i) {
        json += (i ? ", " : "") + QByteArray("{\"File\": ") + JsonString(report.repeated[i].front()->name) +
                ", \"Uses\": [";
        for (size_t u = 0; u < report.repeated[i].size(); ++u)
            json += (u ? ", " : "") + UseJson(record, *report.repeated[i][u]) + '}';
        json += "]}";
    }
    json += "], \"Ok\": ";
    json += errMsg.isEmpty() && report.ok() ? "true" : "false";
    json += "}\n";
    return json;
}

QString ReportText(const study::StudyRecord& record, const CheckReport& report)
{
    QString text;
    for (const ImageUse* use : report.missing)
        text += QStringLiteral("missing: %1: %2\n")
                    .arg(UseText(record, *use),
                         use->name.isEmpty() ? QStringLiteral("(the study names no file)") : use->name);
    for (const auto& [use, error] : report.undecodable)
        text += QStringLiteral("does not decode: %1: %2\n").arg(UseText(record, *use), error);
    for (const std::vector<const ImageUse*>& uses : report.repeated) {
        QStringList where;
        for (const ImageUse* use : uses)
            where << UseText(record, *use);
        text += QStringLiteral("repeated: %1 is named by %2\n").arg(uses.front()->name, where.join(QStringLiteral("; ")));
    }
    text += QStringLiteral("%1 images checked in %2 views and %3 samples: %4 missing, %5 do not decode, "
                           "%6 files named more than once\n")
                .arg(report.checked)
                .arg(record.ViewCount())
                .arg(record.SampleCount())
                .arg(report.missing.size())
                .arg(report.undecodable.size())
                .arg(report.repeated.size());
    return text;
}

} // namespace

int CheckCommand(const QStringList& args, const Output& io)
{
    const std::optional<Arguments> parsed = ParseArguments(args, {QStringLiteral("--json")}, "check", kUsage, io);
    if (!parsed)
        return kExitUsage;
    const bool json = parsed->Has("--json");
    const QString& input = parsed->files.front();
    StudyInput studyInput;
    if (!studyInput.Open(input, "check", io))
        return kExitFailed;

    study::StudyRecord record;
    QString errMsg;
    study::ReadStudyFile(record, studyInput.StudyFile(), errMsg);
    if (!errMsg.isEmpty()) {
        if (json)
            io.Out(ReportJson(input, errMsg, record, CheckReport{}));
        io.Err(QStringLiteral("dvftool check: %1: %2\n").arg(input, errMsg));
        return kExitFailed;
    }
    study::StudyFolderIndex files(studyInput.Folder());
    const std::vector<ImageUse> uses = ImageUses(record, files);
    const CheckReport report = Check(uses);
    io.Out(json ? ReportJson(input, errMsg, record, report) : ReportText(record, report).toUtf8());
    return report.ok() ? kExitOk : kExitFailed;
}

} // namespace dvftool
