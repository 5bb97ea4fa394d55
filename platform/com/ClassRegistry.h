// The process-wide table of creatable classes: each library registers its
// classes by class identifier and ProgID when it is loaded, and any program
// creates them by either name without knowing which library implements them.
#pragma once

#include "platform/com/ComError.h"
#include "platform/com/ComObject.h"
#include "platform/com/Guid.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace com {

using Creator = std::function<std::shared_ptr<Object>()>;

// What DllGetClassObject hands out: makes new instances of one class.
class IClassFactory {
public:
    virtual ~IClassFactory() = default;
    // kSOk and the new object, or a failure HRESULT and no object.
    virtual HRESULT CreateInstance(std::shared_ptr<Object>& object) = 0;
    virtual HRESULT LockServer(bool lock) = 0;
};

struct ClassInfo {
    Guid clsid;
    std::string progId;   // "Library.Class"; may be empty
    std::string library;  // the library that implements the class, e.g. "TessalyCabinet"
    Module* module = nullptr; // counts locks taken through the factory; may be null
    Creator create;
};

class ClassRegistry {
public:
    static ClassRegistry& Instance();

    // Adds or replaces the class with this identifier; the number returned
    // names this registration for Unregister.
    std::uint64_t Register(ClassInfo info);
    void Unregister(const Guid& clsid);
    // Removes the class only while it is still the given registration.
    void Unregister(const Guid& clsid, std::uint64_t registration);
    bool IsRegistered(const Guid& clsid) const;

    // ProgIDs compare without regard to letter case, as the system registry does.
    std::optional<Guid> ClsidFromProgId(std::string_view progId) const;

    // The factory of a class, or null when no such class is registered. It
    // stays valid while the class stays registered.
    std::shared_ptr<IClassFactory> GetClassObject(const Guid& clsid) const;
    // Classes registered by one library, for that library's DllGetClassObject.
    std::shared_ptr<IClassFactory> GetClassObject(const Guid& clsid, std::string_view library) const;

    // New instances; a ComError (kRegdbEClassNotReg, kCoEClassString) when the
    // class is unknown.
    std::shared_ptr<Object> Create(const Guid& clsid) const;
    std::shared_ptr<Object> Create(std::string_view progId) const;

    std::vector<ClassInfo> Classes() const;

private:
    ClassRegistry() = default;
    struct Entry;
    mutable std::mutex mutex_;
    std::uint64_t nextRegistration_ = 1;
    std::unordered_map<Guid, std::shared_ptr<Entry>, GuidHash> classes_;
};

// Typed creation: the object as T, or a ComError (kENoInterface) when the
// registered class is not a T.
template <class T>
std::shared_ptr<T> CreateObject(const Guid& clsid)
{
    auto object = std::dynamic_pointer_cast<T>(ClassRegistry::Instance().Create(clsid));
    if (!object)
        throw ComError(kENoInterface, "com", "The class " + clsid.ToString() + " does not offer the interface asked for");
    return object;
}

template <class T>
std::shared_ptr<T> CreateObject(std::string_view progId)
{
    auto object = std::dynamic_pointer_cast<T>(ClassRegistry::Instance().Create(progId));
    if (!object)
        throw ComError(kENoInterface, "com", "The class " + std::string(progId) + " does not offer the interface asked for");
    return object;
}

// Registers a class for the lifetime of this object. A static instance in a
// library registers when the library is loaded and unregisters when it unloads.
class ClassRegistration {
public:
    explicit ClassRegistration(ClassInfo info);
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;

private:
    Guid clsid_;
    std::uint64_t registration_;
};

// The bodies of a library's exported DllGetClassObject and DllCanUnloadNow:
// the factory of one of the library's own classes, and whether nothing of it
// is in use.
HRESULT LibraryGetClassObject(std::string_view library, const Guid* clsid, const Guid* iid, void** factory);
HRESULT LibraryCanUnloadNow(const Module& module);

} // namespace com
