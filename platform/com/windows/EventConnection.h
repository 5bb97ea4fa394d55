// The outgoing events of an object with one dispatch-only source interface,
// as a Visual Basic client's WithEvents finds and advises them: the object's
// IConnectionPointContainer and the one IConnectionPoint behind it.
#pragma once

#include "platform/com/windows/SystemCom.h"

#include <mutex>
#include <utility>
#include <vector>

namespace com::windows {

class EventConnection {
public:
    // `owner` is the object whose lifetime the container shares; `events` the
    // source interface's IID.
    EventConnection(IUnknown& owner, const IID& events);
    ~EventConnection();
    EventConnection(const EventConnection&) = delete;
    EventConnection& operator=(const EventConnection&) = delete;

    // What the owner's QueryInterface hands out for IID_IConnectionPointContainer.
    IConnectionPointContainer* Container();

    // Calls member `id` on every advised sink, in the order they were
    // advised, with `arguments` in IDispatch order (the last argument first).
    // By-reference arguments point at the caller's storage, so whatever a
    // sink leaves there is what the next sink sees and what the caller reads
    // afterwards. A sink that fails does not stop the others.
    void Fire(DISPID id, VARIANTARG* arguments, UINT count) const;

    bool HasSinks() const;

private:
    class Point;
    class PointContainer;
    class PointEnumerator;

    IUnknown& owner_;
    IID events_;
    PointContainer* container_;
    Point* point_;
    mutable std::mutex mutex_;
    DWORD nextCookie_ = 1;
    std::vector<std::pair<DWORD, IDispatch*>> sinks_;
};

} // namespace com::windows
