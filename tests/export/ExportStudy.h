// A small study written for the export tests: views of frames whose pictures
// are flat colours that name their view and sample, so a test can tell from a
// pixel which frame landed where.
#pragma once

#include "TestPaths.h"

#include "viewer/export/ExportScene.h"
#include "viewer/study/StudyReader.h"

#include <QColor>
#include <QDir>
#include <QImage>
#include <QString>
#include <QStringList>

#include <string>
#include <vector>

namespace exporttest {

struct StudyShape {
    int views = 4;
    QStringList dates{QStringLiteral("March 21"), QStringLiteral("June 21")};
    // In the order the samples list them; the sheet puts columns in clock order.
    QStringList times{QStringLiteral("12:00 PM"), QStringLiteral("8:00 AM"), QStringLiteral("4:00 PM")};
    int width = 64;
    int height = 40;
    // Every second sample is of this sky (1 Clear, 4 Overcast); 0 keeps all Clear.
    int alternateSky = 0;
};

// The colour of view v's picture of sample s (both 1-based): far apart for
// every pair a test uses, so JPEG's small errors never confuse them.
inline QColor FrameColour(int view, int sample)
{
    return QColor::fromHsv((sample * 47 + view * 13) % 360, 200, 120 + (view * 30) % 120);
}

inline bool Near(QRgb a, QColor b, int tolerance = 12)
{
    return std::abs(qRed(a) - b.red()) <= tolerance && std::abs(qGreen(a) - b.green()) <= tolerance &&
           std::abs(qBlue(a) - b.blue()) <= tolerance;
}

class ExportStudy {
public:
    explicit ExportStudy(const StudyShape& shape = {}) : shape_(shape)
    {
        const QString root = QString::fromStdString(dir_.path().string());
        folder_ = root + QLatin1Char('/');
        std::string dvf = "[HEADER]\r\nGarden Room\r\nLeeds\r\n53.8\r\n-1.55\r\n0\r\n";
        dvf += std::to_string(shape.alternateSky ? (1 | shape.alternateSky) : 1) + "\r\n3\r\n2\r\n[VIEW]\r\n";
        for (int v = 1; v <= shape.views; ++v)
            dvf += "View " + std::to_string(v) + "\r\n";
        dvf += "[ENDVIEW]\r\n";
        int sample = 0;
        for (const QString& date : shape.dates) {
            for (const QString& time : shape.times) {
                ++sample;
                const int sky = shape.alternateSky && sample % 2 == 0 ? shape.alternateSky : 1;
                dvf += "[SAMPLE]\r\n" + std::to_string(sky) + "\r\n2\r\n" + date.toStdString() + "\r\n" +
                       time.toStdString() + "\r\nFalse\r\nroom.hvx\r\n";
                std::string rgb = "[RGB]\r\n";
                std::string pseudo = "[PSEUDO]\r\n";
                for (int v = 1; v <= shape.views; ++v) {
                    const QString name = QStringLiteral("v%1_%2").arg(v).arg(sample, 3, 10, QLatin1Char('0'));
                    rgb += name.toStdString() + "_rgb.jpg\r\n";
                    pseudo += name.toStdString() + "_pse.jpg\r\n";
                    QImage picture(shape.width, shape.height, QImage::Format_RGB32);
                    picture.fill(FrameColour(v, sample));
                    picture.save(folder_ + name + QStringLiteral("_rgb.jpg"), "jpeg", 95);
                    picture.fill(FrameColour(v, sample).darker(200));
                    picture.save(folder_ + name + QStringLiteral("_pse.jpg"), "jpeg", 95);
                }
                dvf += rgb + pseudo;
            }
        }
        dvfPath_ = QString::fromStdString(dir_.Write("Garden Room.dvf", dvf).string());
        QString errMsg;
        study::ReadStudyFile(record_, dvfPath_, errMsg);
        error_ = errMsg;
    }

    const study::StudyRecord& Record() const { return record_; }
    const QString& Folder() const { return folder_; }
    const QString& DvfPath() const { return dvfPath_; }
    const QString& ReadError() const { return error_; }
    QString Path(const QString& name) const { return folder_ + name; }
    int Samples() const { return static_cast<int>(shape_.dates.size() * shape_.times.size()); }

    // Panels showing views 1 .. count with the study's first settings.
    std::vector<exporting::PanelSettings> Panels(int count) const
    {
        std::vector<exporting::PanelSettings> panels;
        for (int v = 1; v <= count; ++v)
            panels.push_back({v, exporting::DefaultChoice(record_)});
        return panels;
    }

    exporting::ExportScene Scene(int panels, QSize box = {}, bool captions = false) const
    {
        return exporting::ArrangedScene(record_, folder_, Panels(panels), box, captions);
    }

    // The entries of the study's folder, hidden ones included.
    QStringList Entries() const
    {
        return QDir(folder_).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    }

private:
    StudyShape shape_;
    testsupport::TempDir dir_;
    QString folder_;
    QString dvfPath_;
    study::StudyRecord record_;
    QString error_;
};

} // namespace exporttest
