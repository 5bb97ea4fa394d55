// What every object the server hands to clients shares: the cabinet object
// behind it, found again from any interface pointer a client passes back, and
// one such object per cabinet object, so that a client asking twice for the
// same list gets the same object (`Is` holds) rather than two strangers.
#pragma once

#include "cabinet/TessalyCabinetIds.h"
#include "cabinet/comserver/TessalyCabinetAutomation.h"
#include "platform/com/ComError.h"
#include "platform/com/ComObject.h"
#include "platform/com/windows/DispatchObject.h"

#include <memory>
#include <mutex>
#include <unordered_map>

namespace tessaly::comserver {

// Answered by this server's objects only; never offered to clients.
extern const IID kIidServerObject;

class ServerObject {
public:
    virtual ~ServerObject() = default;
    virtual std::shared_ptr<com::Object> NativeObject() const = 0;
    // The object's IDispatch with a reference added, or null when it is
    // already on its way out.
    virtual IDispatch* TryReference() = 0;
};

// The server objects alive, by the cabinet object each stands for.
class Identities {
public:
    static Identities& Instance();
    IDispatch* Find(const void* native);
    void Remember(const void* native, ServerObject* object);
    void Forget(const void* native, ServerObject* object);

private:
    std::mutex mutex_;
    std::unordered_map<const void*, ServerObject*> objects_;
};

// A server object of one cabinet class through its dual interface.
template <class Interface, class Native>
class Wrapper : public com::windows::DispatchObject<Interface>, public ServerObject {
public:
    using InterfaceType = Interface;
    using NativeType = Native;

    Wrapper(std::shared_ptr<Native> native, const GUID& clsid, const GUID& events = GUID_NULL)
        : com::windows::DispatchObject<Interface>(clsid, events), native_(std::move(native))
    {
    }
    ~Wrapper() override { Identities::Instance().Forget(native_.get(), this); }

    std::shared_ptr<com::Object> NativeObject() const override { return native_; }
    IDispatch* TryReference() override
    {
        return this->TryAddRef() ? static_cast<Interface*>(this) : nullptr;
    }

protected:
    void* OtherInterface(REFIID riid) override
    {
        return riid == kIidServerObject ? static_cast<ServerObject*>(this) : nullptr;
    }

    std::shared_ptr<Native> native_;
};

// The server object for `native` (the one already made, else a new one), with
// a reference for the caller; null for no object.
template <class W>
typename W::InterfaceType* WrapAs(const std::shared_ptr<typename W::NativeType>& native)
{
    if (!native)
        return nullptr;
    auto& identities = Identities::Instance();
    if (IDispatch* found = identities.Find(native.get()))
        return static_cast<typename W::InterfaceType*>(found);
    auto* made = new W(native);
    identities.Remember(native.get(), made);
    return made;
}

// The cabinet object behind an interface pointer a client passed in: null
// for none, a com::ComError (type mismatch) for an object of another kind.
template <class Native>
std::shared_ptr<Native> Unwrap(IUnknown* object)
{
    if (!object)
        return nullptr;
    ServerObject* server = nullptr;
    std::shared_ptr<Native> native;
    if (SUCCEEDED(object->QueryInterface(kIidServerObject, reinterpret_cast<void**>(&server)))) {
        native = std::dynamic_pointer_cast<Native>(server->NativeObject());
        object->Release();
    }
    if (!native)
        throw com::ComError(DISP_E_TYPEMISMATCH, kLibraryName, "Type mismatch");
    return native;
}

} // namespace tessaly::comserver
