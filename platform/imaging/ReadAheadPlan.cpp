#include "platform/imaging/ReadAheadPlan.h"

#include <unordered_map>

namespace imaging {

QSize PanelGeometry::NeededFor(QSize full) const
{
    if (full.isEmpty())
        return {};
    if (zoomed) {
        const double f = std::max(0.0, zoomPercent) / 100.0;
        return QSize(qRound(full.width() * f), qRound(full.height() * f));
    }
    return full.scaled(panel, Qt::KeepAspectRatio);
}

namespace {

class Planner {
public:
    Planner(qint64 allowance) : allowance_(allowance) {}

    // False once the allowance is spent: nothing further fits.
    bool Add(const PanelPlayState& panel, int position, bool shown)
    {
        const auto& sources = *panel.sources;
        if (position < 0 || position >= static_cast<int>(sources.size()))
            return true;
        const FrameSource& source = sources[position];
        if (source.IsMissing())
            return true;
        const DecodeScale scale = source.ScaleFor(panel.geometry.NeededFor(source.size));
        const qint64 bytes = source.BytesAt(scale);
        const auto seen = index_.find(source.path);
        if (seen != index_.end()) {
            FrameRequest& earlier = list_[seen->second];
            if (!ScaleServes(earlier.scale, scale)) {
                total_ += bytes - earlier.bytes;
                earlier.scale = scale;
                earlier.bytes = bytes;
            }
            earlier.shown = earlier.shown || shown;
            return true;
        }
        if (!shown && total_ + bytes > allowance_)
            return false;
        index_.emplace(source.path, list_.size());
        list_.push_back({source.path, scale, bytes, shown});
        total_ += bytes;
        return true;
    }

    std::vector<FrameRequest> Take() { return std::move(list_); }

private:
    qint64 allowance_;
    qint64 total_ = 0;
    std::vector<FrameRequest> list_;
    std::unordered_map<QString, std::size_t> index_;
};

} // namespace

std::vector<FrameRequest> PlanReadAhead(const std::vector<PanelPlayState>& panels, int direction,
                                        qint64 budget, const ReadAheadLimits& limits)
{
    const int step = direction < 0 ? -1 : 1;
    Planner plan(static_cast<qint64>(double(budget) * limits.share));
    for (const PanelPlayState& panel : panels) {
        if (panel.sources)
            plan.Add(panel, panel.shown, true);
    }
    for (int d = 1; d <= limits.ahead; ++d) {
        for (const PanelPlayState& panel : panels) {
            if (!panel.sources)
                continue;
            if (!plan.Add(panel, panel.shown + d * step, false))
                return plan.Take();
            if (d <= limits.behind && !plan.Add(panel, panel.shown - d * step, false))
                return plan.Take();
        }
    }
    return plan.Take();
}

} // namespace imaging
