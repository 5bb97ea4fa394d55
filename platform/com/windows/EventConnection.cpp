#include "platform/com/windows/EventConnection.h"

#include <olectl.h>

#include <new>

namespace com::windows {

// The connection point is a COM object of its own (its own IUnknown) whose
// life is its owner's: references to it hold the owner.
class EventConnection::Point final : public IConnectionPoint {
public:
    explicit Point(EventConnection& connection) : connection_(connection) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IConnectionPoint)
            return E_NOINTERFACE;
        *object = static_cast<IConnectionPoint*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return connection_.owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return connection_.owner_.Release(); }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) override
    {
        if (!iid)
            return E_POINTER;
        *iid = connection_.events_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) override
    {
        if (!container)
            return E_POINTER;
        *container = connection_.Container();
        (*container)->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        // A sink answers for the source interface itself; one that only
        // offers IDispatch is taken at its word.
        IDispatch* dispatch = nullptr;
        if (FAILED(sink->QueryInterface(connection_.events_, reinterpret_cast<void**>(&dispatch)))
            && FAILED(sink->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch))))
            return CONNECT_E_CANNOTCONNECT;
        std::lock_guard lock(connection_.mutex_);
        *cookie = connection_.nextCookie_++;
        connection_.sinks_.emplace_back(*cookie, dispatch);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) override
    {
        IDispatch* released = nullptr;
        {
            std::lock_guard lock(connection_.mutex_);
            auto& sinks = connection_.sinks_;
            for (auto it = sinks.begin(); it != sinks.end(); ++it) {
                if (it->first == cookie) {
                    released = it->second;
                    sinks.erase(it);
                    break;
                }
            }
        }
        if (!released)
            return CONNECT_E_NOCONNECTION;
        released->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) override
    {
        if (connections)
            *connections = nullptr;
        return E_NOTIMPL;
    }

private:
    EventConnection& connection_;
};

// Lists the one connection point, for clients that look through them all.
class EventConnection::PointEnumerator final : public IEnumConnectionPoints {
public:
    PointEnumerator(EventConnection& connection, ULONG position) : connection_(connection), position_(position)
    {
        connection_.owner_.AddRef();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (riid != IID_IUnknown && riid != IID_IEnumConnectionPoints)
            return E_NOINTERFACE;
        *object = static_cast<IEnumConnectionPoints*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG left = --references_;
        if (left == 0) {
            connection_.owner_.Release();
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override
    {
        if (!points || (count > 1 && !fetched))
            return E_POINTER;
        ULONG given = 0;
        if (count > 0 && position_ == 0) {
            points[0] = connection_.point_;
            points[0]->AddRef();
            given = 1;
            position_ = 1;
        }
        if (fetched)
            *fetched = given;
        return given == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const ULONG before = position_;
        position_ = count > 0 ? 1 : position_;
        return before + count <= 1 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumConnectionPoints** copy) override
    {
        if (!copy)
            return E_POINTER;
        *copy = new (std::nothrow) PointEnumerator(connection_, position_);
        return *copy ? S_OK : E_OUTOFMEMORY;
    }

private:
    ~PointEnumerator() = default;
    EventConnection& connection_;
    ULONG position_;
    ULONG references_ = 1;
};

class EventConnection::PointContainer final : public IConnectionPointContainer {
public:
    explicit PointContainer(EventConnection& connection) : connection_(connection) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override
    {
        return connection_.owner_.QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return connection_.owner_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return connection_.owner_.Release(); }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) override
    {
        if (!points)
            return E_POINTER;
        *points = new (std::nothrow) PointEnumerator(connection_, 0);
        return *points ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) override
    {
        if (!point)
            return E_POINTER;
        *point = nullptr;
        if (riid != connection_.events_)
            return CONNECT_E_NOCONNECTION;
        *point = connection_.point_;
        (*point)->AddRef();
        return S_OK;
    }

private:
    EventConnection& connection_;
};

EventConnection::EventConnection(IUnknown& owner, const IID& events)
    : owner_(owner)
    , events_(events)
    , container_(new PointContainer(*this))
    , point_(new Point(*this))
{
}

EventConnection::~EventConnection()
{
    for (auto& sink : sinks_)
        sink.second->Release();
    delete point_;
    delete container_;
}

IConnectionPointContainer* EventConnection::Container()
{
    return container_;
}

bool EventConnection::HasSinks() const
{
    std::lock_guard lock(mutex_);
    return !sinks_.empty();
}

void EventConnection::Fire(DISPID id, VARIANTARG* arguments, UINT count) const
{
    std::vector<IDispatch*> round;
    {
        std::lock_guard lock(mutex_);
        round.reserve(sinks_.size());
        for (const auto& sink : sinks_) {
            sink.second->AddRef();
            round.push_back(sink.second);
        }
    }
    DISPPARAMS params{arguments, nullptr, count, 0};
    for (IDispatch* sink : round) {
        sink->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
        sink->Release();
    }
}

} // namespace com::windows
