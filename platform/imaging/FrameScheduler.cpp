#include "platform/imaging/FrameScheduler.h"

#include "platform/imaging/ImagingControl.h"

#include <QMetaObject>
#include <QCoreApplication>

#include <algorithm>

namespace imaging {

FrameScheduler::FrameScheduler(qint64 budgetBytes, int workers, QObject* parent)
    : QObject(parent), cache_(budgetBytes, workers)
{
    // Workers report on their own threads; the panels live on this one. The
    // cache, a member, joins its workers before this object's posted calls
    // are dropped with it.
    cache_.SetListener([this](const QString& path) {
        QMetaObject::invokeMethod(this, [this, path] { Deliver(path); }, Qt::QueuedConnection);
    });
}

FrameScheduler::~FrameScheduler()
{
    cache_.SetListener({});
    cache_.Clear();
}

void FrameScheduler::SetDirection(int direction)
{
    const int d = direction < 0 ? -1 : 1;
    if (d == direction_)
        return;
    direction_ = d;
    ScheduleReplan();
}

void FrameScheduler::Attach(ImagingControl* panel)
{
    if (std::find(panels_.begin(), panels_.end(), panel) == panels_.end())
        panels_.push_back(panel);
}

void FrameScheduler::Detach(ImagingControl* panel)
{
    panels_.erase(std::remove(panels_.begin(), panels_.end(), panel), panels_.end());
    ScheduleReplan();
}

void FrameScheduler::ScheduleReplan()
{
    if (replanQueued_)
        return;
    replanQueued_ = true;
    QMetaObject::invokeMethod(this, [this] {
        if (replanQueued_)
            Replan();
    }, Qt::QueuedConnection);
}

void FrameScheduler::Replan()
{
    replanQueued_ = false;
    std::vector<PanelPlayState> states;
    for (ImagingControl* panel : panels_) {
        if (panel->OnScreen() && !panel->Sources().empty())
            states.push_back(panel->PlayState());
    }
    cache_.SetWanted(PlanReadAhead(states, direction_, cache_.Budget(), limits_));
    UpdatePending();
    // A panel that waited may have been hidden or emptied meanwhile.
    ResumeRefines();
}

void FrameScheduler::Clear()
{
    replanQueued_ = false;
    cache_.Clear();
    UpdatePending();
}

bool FrameScheduler::RunOneJob()
{
    if (!cache_.RunOneJob())
        return false;
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
    return true;
}

bool FrameScheduler::ShownFrameAwaited() const
{
    return std::any_of(panels_.begin(), panels_.end(),
                       [](const ImagingControl* panel) { return panel->OnScreen() && !panel->ShownFrameReady(); });
}

void FrameScheduler::Deliver(const QString& path)
{
    for (ImagingControl* panel : panels_)
        panel->FrameDecoded(path);
    ResumeRefines();
    emit FrameDecoded(path);
    UpdatePending();
}

void FrameScheduler::ResumeRefines()
{
    if (ShownFrameAwaited())
        return;
    for (ImagingControl* panel : panels_)
        panel->ResumeRefine();
}

void FrameScheduler::UpdatePending()
{
    const bool pending = cache_.ReadAheadPending();
    if (pending == pending_)
        return;
    pending_ = pending;
    emit ReadAheadChanged(pending_);
}

} // namespace imaging
