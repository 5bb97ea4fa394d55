#include "cabinet/comserver/ServerObject.h"

namespace tessaly::comserver {

// {7EAFA219-0054-4CC1-A8B2-23144CC93F4C}
const IID kIidServerObject = {0x7eafa219, 0x0054, 0x4cc1, {0xa8, 0xb2, 0x23, 0x14, 0x4c, 0xc9, 0x3f, 0x4c}};

Identities& Identities::Instance()
{
    static Identities identities;
    return identities;
}

IDispatch* Identities::Find(const void* native)
{
    std::lock_guard lock(mutex_);
    auto it = objects_.find(native);
    return it == objects_.end() ? nullptr : it->second->TryReference();
}

void Identities::Remember(const void* native, ServerObject* object)
{
    std::lock_guard lock(mutex_);
    objects_[native] = object;
}

void Identities::Forget(const void* native, ServerObject* object)
{
    std::lock_guard lock(mutex_);
    auto it = objects_.find(native);
    if (it != objects_.end() && it->second == object)
        objects_.erase(it);
}

} // namespace tessaly::comserver
