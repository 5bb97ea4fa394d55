// Reads a generated study of 20,000 samples and 4 views and compares the
// reader's time with a bare pass that reads the same file and only splits it
// into lines: the least any line-based reader has to do.
#include "ThreadTime.h"

#include "viewer/study/StudyReader.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>

#include <string_view>
#include <vector>

namespace {

using benchstudy::Median;
using benchstudy::ThreadSeconds;

constexpr int kSamples = 20000;
constexpr int kViews = 4;
constexpr int kRounds = 3;
constexpr int kRunsPerRound = 5;

// Laid out as studies are rendered: for each sky condition and lighting state,
// a series of dates, each with the times of day at a quarter-hour step
// (4 skies x 2 lighting states x 50 dates x 50 times = 20,000 samples).
QByteArray GenerateStudy()
{
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    static const char* const kSkies[] = {"1", "2", "4", "8"};
    QByteArray text;
    text += "[HEADER]\r\nCaf\xE9 Tower daylight study, level 3\r\nBoston, Massachusetts\r\n"
            "42.3601\r\n-71.0589\r\n12.5\r\n15\r\n3\r\n3\r\n";
    text += "[VIEW]\r\n";
    for (int v = 1; v <= kViews; ++v)
        text += "View " + QByteArray::number(v) + " - open office, north side\r\n";
    text += "[ENDVIEW]\r\n";
    int s = 0;
    for (const char* sky : kSkies) {
        for (const char* electric : {"1", "2"}) {
            for (int d = 0; d < 50; ++d) {
                const QByteArray date = QByteArray(kMonths[d * 12 / 50]) + " " + QByteArray::number(1 + d % 28) + ", 2026";
                const bool dst = d > 10 && d < 42;
                for (int t = 0; t < 50; ++t) {
                    ++s;
                    const int minutes = 6 * 60 + 15 * t;
                    const int hour = minutes / 60;
                    const QByteArray time = QByteArray::number(hour > 12 ? hour - 12 : hour) + ":" +
                                            QByteArray::number(minutes % 60).rightJustified(2, '0') +
                                            (hour < 12 ? " AM" : " PM");
                    const QByteArray number = QByteArray::number(s).rightJustified(5, '0');
                    text += "[SAMPLE]\r\n";
                    text += QByteArray(sky) + "\r\n" + electric + "\r\n" + date + "\r\n" + time + "\r\n";
                    text += dst ? "True\r\n" : "False\r\n";
                    text += "C:\\Studies\\Caf\xE9 Tower\\level3.hlx\r\n";
                    text += "[RGB]\r\n";
                    for (int v = 1; v <= kViews; ++v)
                        text += "images\\v" + QByteArray::number(v) + "_" + number + "_rgb.jpg\r\n";
                    text += "[PSEUDO]\r\n";
                    for (int v = 1; v <= kViews; ++v)
                        text += "images\\v" + QByteArray::number(v) + "_" + number + "_pseudo.jpg\r\n";
                }
            }
        }
    }
    return text;
}

// The same line ends the reader accepts: CR LF, LF, CR. Calls lineFound for
// each line, start and length.
template <typename LineFound>
void SplitLines(const QByteArray& bytes, LineFound lineFound)
{
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    while (p < end) {
        const char* start = p;
        while (p < end && *p != '\n' && *p != '\r')
            ++p;
        lineFound(start, static_cast<size_t>(p - start));
        if (p < end && *p == '\r' && p + 1 < end && p[1] == '\n')
            ++p;
        if (p < end)
            ++p;
    }
}

QByteArray ReadWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

// Runs pass kRunsPerRound times; each run appends the processor time of its
// work, which ends before the run frees what it built.
template <typename Pass>
bool TimeRuns(Pass pass, std::vector<double>& times)
{
    for (int run = 0; run < kRunsPerRound; ++run) {
        if (!pass(times))
            return false;
    }
    return true;
}

} // namespace

int main()
{
    QTemporaryDir dir;
    if (!dir.isValid()) {
        std::fprintf(stderr, "bench_study: cannot make a scratch folder\n");
        return 1;
    }
    const QString path = dir.filePath(QStringLiteral("bench.dvf"));
    double megabytes = 0;
    {
        const QByteArray text = GenerateStudy();
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size()) {
            std::fprintf(stderr, "bench_study: cannot write %s\n", qPrintable(path));
            return 1;
        }
        megabytes = static_cast<double>(text.size()) / 1e6;
    }

    const auto readerPass = [&path](std::vector<double>& times) {
        study::StudyRecord record;
        QString errMsg;
        const double start = ThreadSeconds();
        study::ReadStudyFile(record, path, errMsg);
        times.push_back(ThreadSeconds() - start);
        return errMsg.isEmpty() && record.ViewCount() == kViews && record.SampleCount() == kSamples;
    };
    size_t lineCount = 0;
    const auto barePass = [&path, &lineCount](std::vector<double>& times) {
        const double start = ThreadSeconds();
        const QByteArray bytes = ReadWhole(path);
        std::vector<std::string_view> lines;
        SplitLines(bytes, [&lines](const char* line, size_t size) { lines.emplace_back(line, size); });
        times.push_back(ThreadSeconds() - start);
        lineCount = lines.size();
        return !lines.empty();
    };
    const auto countPass = [&path](std::vector<double>& times) {
        const double start = ThreadSeconds();
        const QByteArray bytes = ReadWhole(path);
        size_t count = 0;
        SplitLines(bytes, [&count](const char*, size_t) { ++count; });
        times.push_back(ThreadSeconds() - start);
        return count > 0;
    };

    std::vector<double> readerTimes;
    std::vector<double> bareTimes;
    std::vector<double> scanTimes;
    for (int round = 0; round < kRounds; ++round) {
        // Rounds alternate the passes so that all see the same state of the
        // machine; within a round one pass repeats, so that each run finds the
        // heap as a run of its own kind left it rather than as another kind did.
        if (!TimeRuns(readerPass, readerTimes) || !TimeRuns(barePass, bareTimes) || !TimeRuns(countPass, scanTimes)) {
            std::fprintf(stderr, "bench_study: a measuring pass failed\n");
            return 1;
        }
    }

    const double reader = Median(readerTimes);
    const double bare = Median(bareTimes);
    const double scan = Median(scanTimes);
    std::printf("study file:  %d samples, %d views, %zu lines, %.2f MB\n", kSamples, kViews, lineCount, megabytes);
    std::printf("processor time of each pass, median of %d runs:\n", kRounds * kRunsPerRound);
    std::printf("reader:      %8.1f MB/s  %7.2f ms  ReadStudyFile into a new study record\n", megabytes / reader,
                reader * 1e3);
    std::printf("bare pass:   %8.1f MB/s  %7.2f ms  read the file, split it into a new list of lines\n",
                megabytes / bare, bare * 1e3);
    std::printf("line count:  %8.1f MB/s  %7.2f ms  read the file, only count its lines\n", megabytes / scan,
                scan * 1e3);
    std::printf("ratio:       %.2fx the time of the bare pass (target: within 4x); %.2fx the line count\n",
                reader / bare, reader / scan);
    return 0;
}
