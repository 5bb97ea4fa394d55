#include "viewer/window/PanelCaptionText.h"

#include "viewer/window/SkyConditions.h"

namespace viewer {

namespace {

QString TimeOf(const study::StudySample& sample)
{
    return sample.DaylightSaving ? sample.SampleTime + QStringLiteral(" DST") : sample.SampleTime;
}

} // namespace

CaptionText PanelCaptionText(const study::StudyRecord& record, int view, const study::StudySample& sample,
                             const study::StudySample* displayed, int colorCode)
{
    CaptionText caption;
    const QString viewName = view >= 1 && view <= record.ViewCount() ? record.Views[view].ViewName : QString();
    const QString lighting = sample.ElectricState == 1 ? QStringLiteral("Lights On") : QStringLiteral("Lights Off");
    const QString kind = colorCode == 1 ? QStringLiteral("RGB") : QStringLiteral("Pseudo");
    caption.Text = viewName + QLatin1Char('\n') + sample.SampleDate + QStringLiteral(", ") + TimeOf(sample) +
                   QLatin1Char('\n') + SkyConditionName(sample.SkyCondition) + QStringLiteral(" \u00B7 ") + lighting +
                   QStringLiteral(" \u00B7 ") + kind;
    caption.OtherMoment = displayed && (displayed->SampleDate != sample.SampleDate ||
                                        displayed->SampleTime != sample.SampleTime ||
                                        displayed->DaylightSaving != sample.DaylightSaving);
    if (caption.OtherMoment)
        caption.Text += QStringLiteral("\nNot the date and time on display");
    return caption;
}

} // namespace viewer
