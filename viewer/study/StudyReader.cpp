#include "viewer/study/StudyReader.h"

#include "viewer/study/DvfCursor.h"
#include "viewer/study/NumberText.h"
#include "viewer/study/StudyFileBytes.h"
#include "viewer/study/Windows1252.h"

#include <algorithm>
#include <limits>
#include <new>
#include <string>
#include <vector>

namespace study {

namespace {

// A read that cannot go on; its text becomes ErrMsg.
struct ReadFailure {
    QString message;
};

QString Decode(std::string_view bytes)
{
    return FromWindows1252(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

// Quoted in messages; a runaway field is cut so the message stays readable.
QString Quote(std::string_view bytes)
{
    constexpr size_t kShown = 40;
    if (bytes.size() <= kShown)
        return QLatin1Char('"') + Decode(bytes) + QLatin1Char('"');
    return QLatin1Char('"') + Decode(bytes.substr(0, kShown)) + QStringLiteral("...\"");
}

// Dates, times and the project file repeat from sample to sample; sharing one
// string for equal text saves an allocation and its memory each time.
class RepeatedText {
public:
    QString Get(std::string_view bytes)
    {
        if (slots_.empty())
            slots_.resize(kSlots);
        Slot& slot = slots_[Hash(bytes) % kSlots];
        if (!slot.text.isNull() && slot.bytes == bytes)
            return slot.text;
        slot.bytes.assign(bytes);
        slot.text = Decode(bytes);
        return slot.text;
    }

private:
    static constexpr size_t kSlots = 256;
    struct Slot {
        std::string bytes;
        QString text;
    };

    static size_t Hash(std::string_view bytes)
    {
        size_t hash = 1469598103934665603ull;
        for (const char c : bytes)
            hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
        return hash;
    }

    std::vector<Slot> slots_; // made on first use: most reads of a damaged file never need them
};

class StudyParser {
public:
    StudyParser(StudyRecord& record, QByteArrayView data, qint64 maxStoredSamples)
        : record_(record), data_(data.data(), static_cast<size_t>(data.size())), cursor_(data.data(), data.size()),
          maxStoredSamples_(maxStoredSamples)
    {
    }

    void Run()
    {
        DvfField token;
        while (!cursor_.AtEnd()) {
            const qint64 markerLine = cursor_.Line();
            const qsizetype markerAt = cursor_.Position();
            cursor_.ReadField(token);
            const std::string_view t = token.text;
            if (t == "[HEADER]")
                ReadHeader();
            else if (t == "[VIEW]")
                ReadViews();
            else if (t == "[SAMPLE]")
                ReadSample(markerLine, markerAt);
            else if (t == "[RGB]")
                ReadImages(&StudySample::RgbFile, markerLine);
            else if (t == "[PSEUDO]")
                ReadImages(&StudySample::PseudoFile, markerLine);
            // Anything else, "[ENDVIEW]" and blank lines included, is passed over.
        }
    }

private:
    void ReadHeader()
    {
        section_ = "[HEADER]";
        record_.StudyName = Line();
        record_.SiteName = Line();
        record_.SiteLatitude = Double();
        record_.SiteLongitude = Double();
        record_.SiteCompassNorth = Double();
        record_.SkyConditionMask = static_cast<qint32>(Integer(std::numeric_limits<qint32>::min(),
                                                               std::numeric_limits<qint32>::max()));
        record_.ColorModeMask = static_cast<qint16>(Integer(std::numeric_limits<qint16>::min(),
                                                            std::numeric_limits<qint16>::max()));
        record_.ElectricModeMask = static_cast<qint16>(Integer(std::numeric_limits<qint16>::min(),
                                                               std::numeric_limits<qint16>::max()));
        // The views go, but the view count stays: sections after this one
        // still address the views that were named before it.
        record_.ResetViews();
    }

    void ReadViews()
    {
        viewCount_ = 0;
        sampleCount_ = 0;
        std::string_view line;
        while (cursor_.ReadLine(line)) {
            if (line == "[ENDVIEW]")
                return;
            ++viewCount_;
            // A shorter list than the one before drops the views beyond it.
            record_.Views.resize(viewCount_ + 1);
            StudyView& view = record_.Views[viewCount_];
            view.Samples.clear();
            view.Samples.append(StudySample{});
            view.ViewName = Decode(line);
        }
        // The end of the file ends an unclosed list; the names read stand.
    }

    void ReadSample(qint64 markerLine, qsizetype markerAt)
    {
        section_ = "[SAMPLE]";
        StudySample sample;
        sample.SkyCondition = static_cast<qint32>(Integer(std::numeric_limits<qint32>::min(),
                                                          std::numeric_limits<qint32>::max()));
        sample.ElectricState = static_cast<qint16>(Integer(std::numeric_limits<qint16>::min(),
                                                           std::numeric_limits<qint16>::max()));
        sample.SampleDate = dates_.Get(LineBytes());
        sample.SampleTime = times_.Get(LineBytes());
        sample.DaylightSaving = Field().text == "True";
        sample.HalvexFile = projects_.Get(LineBytes());

        // Counted even with no views to store it in, so image sections that
        // follow stay paired with their sample.
        ++sampleCount_;
        if (viewCount_ * sampleCount_ > maxStoredSamples_)
            Fail(QStringLiteral("Too many samples in [SAMPLE] section at line %1: %2 views with %3 samples "
                                "each exceed the limit of %4 samples")
                     .arg(markerLine).arg(viewCount_).arg(sampleCount_).arg(maxStoredSamples_));
        if (sampleCount_ == 1)
            firstSampleAt_ = markerAt;
        else if (sampleCount_ == 2)
            ReserveSamples(markerAt - firstSampleAt_, markerAt, markerLine);
        for (qsizetype v = 1; v <= viewCount_; ++v) {
            RequireView(v, markerLine);
            QList<StudySample>& samples = record_.Views[v].Samples;
            // Appending grows the list geometrically; resizing to the exact
            // size each time would copy it again for every sample.
            if (samples.size() == sampleCount_) {
                if (v == viewCount_)
                    samples.append(std::move(sample)); // the last view needs no copy
                else
                    samples.append(sample);
            } else {
                samples.resize(sampleCount_ + 1);
                samples[sampleCount_] = sample;
            }
        }
    }

    void ReadImages(QString StudySample::*file, qint64 markerLine)
    {
        section_ = file == &StudySample::RgbFile ? "[RGB]" : "[PSEUDO]";
        for (qsizetype v = 1; v <= viewCount_; ++v) {
            QString name = Line();
            RequireView(v, markerLine);
            QList<StudySample>& samples = record_.Views[v].Samples;
            if (sampleCount_ >= samples.size())
                Fail(QStringLiteral("Sample %1 of view %2 does not exist for the %3 section at line %4")
                         .arg(sampleCount_).arg(v).arg(QLatin1String(section_)).arg(markerLine));
            samples[sampleCount_].*file = std::move(name);
        }
    }

    // Each view grows one sample at a time, and growing them all in turn
    // would copy every list over and over. The samples of a study take much
    // the same room in the file, so the first one tells how many the rest of
    // the file holds; an eighth more allows for longer names further on.
    // A guess that would promise more samples than the file has bytes comes
    // from a damaged file and is not acted on.
    void ReserveSamples(qsizetype bytesPerSample, qsizetype markerAt, qint64 markerLine)
    {
        if (viewCount_ == 0 || bytesPerSample <= 0)
            return;
        const qint64 remaining = static_cast<qint64>(data_.size()) - markerAt;
        const qint64 ahead = remaining / bytesPerSample + 1;
        const qint64 room = std::min<qint64>(sampleCount_ + ahead + ahead / 8 + 1, maxStoredSamples_ / viewCount_ + 1);
        if (viewCount_ * room > remaining + 1024)
            return;
        for (qsizetype v = 1; v <= viewCount_; ++v) {
            RequireView(v, markerLine);
            record_.Views[v].Samples.reserve(room);
        }
    }

    // A header read after the view list removes the views that the view
    // count still names.
    void RequireView(qsizetype v, qint64 markerLine)
    {
        if (v < record_.Views.size())
            return;
        Fail(QStringLiteral("View %1 of the %2 section at line %3 no longer exists: a [HEADER] section "
                            "after the [VIEW] section removed the views")
                 .arg(v).arg(QLatin1String(section_)).arg(markerLine));
    }

    std::string_view LineBytes()
    {
        std::string_view line;
        if (!cursor_.ReadLine(line))
            FailAtEnd();
        return line;
    }

    QString Line() { return Decode(LineBytes()); }

    DvfField Field()
    {
        DvfField field;
        if (!cursor_.ReadField(field))
            FailAtEnd();
        return field;
    }

    double Double()
    {
        const qint64 line = cursor_.Line();
        const DvfField field = Field();
        double value = 0;
        Check(ParseDouble(field.text, value), field.text, line);
        return value;
    }

    qint64 Integer(qint64 minimum, qint64 maximum)
    {
        const qint64 line = cursor_.Line();
        const DvfField field = Field();
        qint64 value = 0;
        Check(ParseInteger(field.text, minimum, maximum, value), field.text, line);
        return value;
    }

    void Check(NumberStatus status, std::string_view text, qint64 line)
    {
        if (status == NumberStatus::NotANumber)
            Fail(QStringLiteral("Invalid number %1 in %2 section at line %3")
                     .arg(Quote(text), QLatin1String(section_)).arg(line));
        if (status == NumberStatus::OutOfRange)
            Fail(QStringLiteral("Number out of range %1 in %2 section at line %3")
                     .arg(Quote(text), QLatin1String(section_)).arg(line));
    }

    [[noreturn]] void FailAtEnd()
    {
        Fail(QStringLiteral("Unexpected end of file in %1 section at line %2")
                 .arg(QLatin1String(section_)).arg(cursor_.Line()));
    }

    [[noreturn]] static void Fail(QString message) { throw ReadFailure{std::move(message)}; }

    StudyRecord& record_;
    std::string_view data_;
    DvfCursor cursor_;
    qint64 maxStoredSamples_;
    const char* section_ = "";
    qsizetype viewCount_ = 0;
    qint64 sampleCount_ = 0;
    qsizetype firstSampleAt_ = 0;
    RepeatedText dates_;
    RepeatedText times_;
    RepeatedText projects_;
};

} // namespace

void ReadStudyData(StudyRecord& record, QByteArrayView data, QString& ErrMsg, qint64 maxStoredSamples)
{
    ErrMsg.clear();
    record.ResetViews();
    try {
        StudyParser(record, data, maxStoredSamples).Run();
    } catch (const ReadFailure& failure) {
        ErrMsg = failure.message;
    } catch (const std::bad_alloc&) {
        ErrMsg = QStringLiteral("Not enough memory to read the study file");
    }
}

void ReadStudyFile(StudyRecord& record, const QString& StudyFilename, QString& ErrMsg)
{
    ErrMsg.clear();
    record.ResetViews();
    const StudyFileBytes file = ReadStudyFileBytes(StudyFilename, kMaxStudyFileBytes);
    if (!file.ok()) {
        ErrMsg = file.error;
        return;
    }
    ReadStudyData(record, file.bytes, ErrMsg);
}

} // namespace study
