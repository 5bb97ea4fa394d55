#include "platform/com/ClassRegistry.h"

#include <algorithm>
#include <cctype>

namespace com {

namespace {

bool SameProgId(std::string_view a, std::string_view b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

class Factory final : public IClassFactory {
public:
    Factory(Creator create, Module* module) : create_(std::move(create)), module_(module) {}

    HRESULT CreateInstance(std::shared_ptr<Object>& object) override
    {
        object.reset();
        try {
            object = create_();
        } catch (const ComError& e) {
            return e.Number();
        } catch (const std::bad_alloc&) {
            return kEOutOfMemory;
        } catch (...) {
            return kEFail;
        }
        return object ? kSOk : kEFail;
    }

    HRESULT LockServer(bool lock) override
    {
        if (module_)
            module_->Lock(lock);
        return kSOk;
    }

private:
    Creator create_;
    Module* module_;
};

} // namespace

struct ClassRegistry::Entry {
    ClassInfo info;
    std::uint64_t registration = 0;
    std::shared_ptr<IClassFactory> factory;
};

ClassRegistry& ClassRegistry::Instance()
{
    static ClassRegistry registry;
    return registry;
}

std::uint64_t ClassRegistry::Register(ClassInfo info)
{
    auto entry = std::make_shared<Entry>();
    entry->factory = std::make_shared<Factory>(info.create, info.module);
    entry->info = std::move(info);
    std::lock_guard lock(mutex_);
    entry->registration = nextRegistration_++;
    classes_[entry->info.clsid] = entry;
    return entry->registration;
}

void ClassRegistry::Unregister(const Guid& clsid)
{
    std::lock_guard lock(mutex_);
    classes_.erase(clsid);
}

void ClassRegistry::Unregister(const Guid& clsid, std::uint64_t registration)
{
    std::lock_guard lock(mutex_);
    auto it = classes_.find(clsid);
    if (it != classes_.end() && it->second->registration == registration)
        classes_.erase(it);
}

bool ClassRegistry::IsRegistered(const Guid& clsid) const
{
    std::lock_guard lock(mutex_);
    return classes_.count(clsid) != 0;
}

std::optional<Guid> ClassRegistry::ClsidFromProgId(std::string_view progId) const
{
    if (progId.empty())
        return std::nullopt;
    std::lock_guard lock(mutex_);
    for (const auto& [clsid, entry] : classes_)
        if (SameProgId(entry->info.progId, progId))
            return clsid;
    return std::nullopt;
}

std::shared_ptr<IClassFactory> ClassRegistry::GetClassObject(const Guid& clsid) const
{
    std::lock_guard lock(mutex_);
    auto it = classes_.find(clsid);
    return it == classes_.end() ? nullptr : it->second->factory;
}

std::shared_ptr<IClassFactory> ClassRegistry::GetClassObject(const Guid& clsid, std::string_view library) const
{
    std::lock_guard lock(mutex_);
    auto it = classes_.find(clsid);
    if (it == classes_.end() || it->second->info.library != library)
        return nullptr;
    return it->second->factory;
}

std::shared_ptr<Object> ClassRegistry::Create(const Guid& clsid) const
{
    auto factory = GetClassObject(clsid);
    if (!factory)
        throw ComError(kRegdbEClassNotReg, "com", "Class not registered: " + clsid.ToString());
    std::shared_ptr<Object> object;
    HRESULT hr = factory->CreateInstance(object);
    if (Failed(hr) || !object)
        throw ComError(Failed(hr) ? hr : kEFail, "com", "The class " + clsid.ToString() + " could not create an object");
    return object;
}

std::shared_ptr<Object> ClassRegistry::Create(std::string_view progId) const
{
    auto clsid = ClsidFromProgId(progId);
    if (!clsid)
        throw ComError(kCoEClassString, "com", "Invalid class string: " + std::string(progId));
    return Create(*clsid);
}

std::vector<ClassInfo> ClassRegistry::Classes() const
{
    std::lock_guard lock(mutex_);
    std::vector<ClassInfo> result;
    for (const auto& [clsid, entry] : classes_)
        result.push_back(entry->info);
    return result;
}

ClassRegistration::ClassRegistration(ClassInfo info)
    : clsid_(info.clsid)
    , registration_(ClassRegistry::Instance().Register(std::move(info)))
{
}

ClassRegistration::~ClassRegistration()
{
    ClassRegistry::Instance().Unregister(clsid_, registration_);
}

HRESULT LibraryGetClassObject(std::string_view library, const Guid* clsid, const Guid* iid, void** factory)
{
    if (!factory)
        return kEPointer;
    *factory = nullptr;
    if (!clsid || !iid)
        return kEInvalidArg;
    if (*iid != kIidIClassFactory && *iid != kIidIUnknown)
        return kENoInterface;
    auto object = ClassRegistry::Instance().GetClassObject(*clsid, library);
    if (!object)
        return kClassENotAvailable;
    *factory = static_cast<IClassFactory*>(object.get());
    return kSOk;
}

HRESULT LibraryCanUnloadNow(const Module& module)
{
    return module.CanUnload() ? kSOk : kSFalse;
}

} // namespace com
