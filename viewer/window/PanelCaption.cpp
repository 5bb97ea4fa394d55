#include "viewer/window/PanelCaption.h"

#include "viewer/window/SkyConditions.h"

#include <algorithm>

namespace viewer {

namespace {

QString TimeOf(const study::StudySample& sample)
{
    return sample.DaylightSaving ? sample.SampleTime + QStringLiteral(" DST") : sample.SampleTime;
}

QString SkyName(qint32 code)
{
    for (const SkyCondition& sky : SkyConditionTable()) {
        if (sky.Value == code)
            return QLatin1String(sky.Name);
    }
    return QStringLiteral("Sky %1").arg(code);
}

constexpr int kMargin = 6;

} // namespace

CaptionText PanelCaptionText(const study::StudyRecord& record, int view, const study::StudySample& sample,
                             const study::StudySample* displayed, int colorCode)
{
    CaptionText caption;
    const QString viewName = view >= 1 && view <= record.ViewCount() ? record.Views[view].ViewName : QString();
    const QString lighting = sample.ElectricState == 1 ? QStringLiteral("Lights On") : QStringLiteral("Lights Off");
    const QString kind = colorCode == 1 ? QStringLiteral("RGB") : QStringLiteral("Pseudo");
    caption.Text = viewName + QLatin1Char('\n') + sample.SampleDate + QStringLiteral(", ") + TimeOf(sample) +
                   QLatin1Char('\n') + SkyName(sample.SkyCondition) + QStringLiteral(" \u00B7 ") + lighting +
                   QStringLiteral(" \u00B7 ") + kind;
    caption.OtherMoment = displayed && (displayed->SampleDate != sample.SampleDate ||
                                        displayed->SampleTime != sample.SampleTime ||
                                        displayed->DaylightSaving != sample.DaylightSaving);
    if (caption.OtherMoment)
        caption.Text += QStringLiteral("\nNot the date and time on display");
    return caption;
}

PanelCaption::PanelCaption(QWidget* panel) : QLabel(panel)
{
    // Clicks go through to the panel (its zoom).
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setTextFormat(Qt::PlainText);
    setMargin(4);
    setAutoFillBackground(false);
    hide();
}

void PanelCaption::SetCaption(const CaptionText& caption)
{
    otherMoment_ = caption.OtherMoment;
    setText(caption.Text);
    // Dark and see-through over any picture; amber when the moment differs.
    setStyleSheet(otherMoment_
                      ? QStringLiteral("color: black; background-color: rgba(255, 191, 0, 225); font-weight: bold;")
                      : QStringLiteral("color: white; background-color: rgba(0, 0, 0, 150);"));
    adjustSize();
}

void PanelCaption::Place(const QRectF& image)
{
    const QWidget* panel = parentWidget();
    QRectF area = image.isEmpty() ? QRectF(panel->rect()) : image.intersected(QRectF(panel->rect()));
    if (area.isEmpty())
        area = QRectF(panel->rect());
    const int x = std::max(0, static_cast<int>(area.left()) + kMargin);
    const int y = std::max(0, static_cast<int>(area.top()) + kMargin);
    move(x, y);
    raise();
}

} // namespace viewer
