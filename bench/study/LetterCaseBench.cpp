// Loads a study of 20,000 samples and 4 views whose images lie in one folder of
// 80,000 files, once with the names exactly as the files are spelt and once
// with every name in capitals (as a study copied from Windows may have them),
// and compares the two. A load here is what a study load does before it
// decodes: read the study file and find every panel's image files. Decoding is
// left out: it is the same in both and would only hide the difference.
#include "ThreadTime.h"

#include "viewer/study/StudyFolderIndex.h"
#include "viewer/study/StudyReader.h"
#include "viewer/window/ImageSelection.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

using benchstudy::Median;
using benchstudy::ThreadSeconds;

constexpr int kSamples = 20000;
constexpr int kViews = 4;
constexpr int kRounds = 3;
constexpr int kRunsPerRound = 3;

QByteArray ImageName(int view, int sample)
{
    return "images\\v" + QByteArray::number(view) + "_" + QByteArray::number(sample).rightJustified(5, '0') +
           "_rgb.jpg";
}

// One sky condition and one lighting state, so every panel looks for every
// sample's image: 80,000 names in all.
QByteArray GenerateStudy(bool capitals)
{
    QByteArray text = "[HEADER]\r\nLetter case\r\nBoston\r\n42.36\r\n-71.06\r\n0\r\n1\r\n1\r\n2\r\n[VIEW]\r\n";
    for (int v = 1; v <= kViews; ++v)
        text += "View " + QByteArray::number(v) + "\r\n";
    text += "[ENDVIEW]\r\n";
    for (int s = 1; s <= kSamples; ++s) {
        text += "[SAMPLE]\r\n1\r\n2\r\nJun " + QByteArray::number(1 + s / 400) + "\r\n" +
                QByteArray::number(s % 400) + ":00\r\nFalse\r\nstudy.hlx\r\n[RGB]\r\n";
        for (int v = 1; v <= kViews; ++v)
            text += (capitals ? ImageName(v, s).toUpper() : ImageName(v, s)) + "\r\n";
    }
    return text;
}

bool WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// Reads the study and finds the images of the four panels; false unless every
// image was found.
bool Load(const QString& studyFile, const QString& folder, std::vector<double>& times, int& listings)
{
    const double start = ThreadSeconds();
    study::StudyRecord record;
    QString errMsg;
    study::ReadStudyFile(record, studyFile, errMsg);
    study::StudyFolderIndex files(folder);
    int found = 0;
    viewer::PanelChoice choice;
    choice.SkyCode = 1;
    choice.ElectricCode = 2;
    choice.ColorCode = 1;
    for (int v = 1; v <= record.ViewCount(); ++v) {
        const viewer::PanelFrames frames = viewer::SelectPanelFrames(record.Views[v], choice, files);
        found += static_cast<int>(frames.Positions.size()) - frames.MissingCount();
    }
    times.push_back(ThreadSeconds() - start);
    listings = files.Listings();
    return errMsg.isEmpty() && found == kSamples * kViews;
}

// How a name in another case was found before the index: the whole folder
// listed for every such name. Timed over a few names only.
double ListingPerName(const QString& folder, int names)
{
    const double start = ThreadSeconds();
    int found = 0;
    for (int s = 1; s <= names; ++s) {
        const QString wanted = QString::fromLatin1(ImageName(1, s).mid(7).toUpper());
        const QStringList entries = QDir(folder + QStringLiteral("images"))
                                        .entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                                       QDir::NoDotAndDotDot,
                                                   QDir::Name);
        for (const QString& entry : entries) {
            if (entry.compare(wanted, Qt::CaseInsensitive) == 0) {
                ++found;
                break;
            }
        }
    }
    return found == names ? ThreadSeconds() - start : -1;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid() || !QDir(dir.path()).mkdir(QStringLiteral("images"))) {
        std::fprintf(stderr, "bench_letter_case: cannot make a scratch folder\n");
        return 1;
    }
    const QString folder = dir.path() + QLatin1Char('/');
    for (int v = 1; v <= kViews; ++v) {
        for (int s = 1; s <= kSamples; ++s) {
            QString name = QString::fromLatin1(ImageName(v, s));
            name.replace(QLatin1Char('\\'), QLatin1Char('/'));
            if (!WriteFile(folder + name, QByteArray())) {
                std::fprintf(stderr, "bench_letter_case: cannot write %s\n", qPrintable(name));
                return 1;
            }
        }
    }
    const QString exact = dir.filePath(QStringLiteral("exact.dvf"));
    const QString capitals = dir.filePath(QStringLiteral("capitals.dvf"));
    if (!WriteFile(exact, GenerateStudy(false)) || !WriteFile(capitals, GenerateStudy(true))) {
        std::fprintf(stderr, "bench_letter_case: cannot write the study files\n");
        return 1;
    }

    std::vector<double> exactTimes;
    std::vector<double> capitalTimes;
    int exactListings = 0;
    int capitalListings = 0;
    for (int round = 0; round < kRounds; ++round) {
        for (int run = 0; run < kRunsPerRound; ++run) {
            if (!Load(exact, folder, exactTimes, exactListings) ||
                !Load(capitals, folder, capitalTimes, capitalListings)) {
                std::fprintf(stderr, "bench_letter_case: a load did not find every image\n");
                return 1;
            }
        }
    }
    const double exactTime = Median(exactTimes);
    const double capitalTime = Median(capitalTimes);
    std::printf("study:          %d samples, %d views, %d image files in one folder\n", kSamples, kViews,
                kSamples * kViews);
    std::printf("processor time of a load (read the study, find every panel's images), median of %d runs:\n",
                kRounds * kRunsPerRound);
    std::printf("exact names:    %8.1f ms  (%d folder listings)\n", exactTime * 1e3, exactListings);
    std::printf("names in caps:  %8.1f ms  (%d folder listings)\n", capitalTime * 1e3, capitalListings);
    std::printf("ratio:          %.2fx the time of the exact names (target: at most 2x)\n", capitalTime / exactTime);
    constexpr int kOldNames = 20;
    const double old = ListingPerName(folder, kOldNames);
    if (old > 0)
        std::printf("listing the folder for each name instead: %.1f ms for %d names, about %.0f s for all %d\n",
                    old * 1e3, kOldNames, old / kOldNames * kSamples * kViews, kSamples * kViews);
    return 0;
}
