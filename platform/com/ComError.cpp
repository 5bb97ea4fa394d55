#include "platform/com/ComError.h"

#include <exception>
#include <new>

namespace com {

ComError::ComError(HRESULT number, std::string source, std::string description)
    : std::runtime_error(description)
    , number_(number)
    , source_(std::move(source))
    , description_(std::move(description))
{
}

ComError ErrorFromCurrentException(const std::string& defaultSource)
{
    try {
        throw;
    } catch (const ComError& e) {
        return e;
    } catch (const std::bad_alloc&) {
        return ComError(kEOutOfMemory, defaultSource, "Out of memory");
    } catch (const std::exception& e) {
        return ComError(kEFail, defaultSource, e.what());
    } catch (...) {
        return ComError(kEFail, defaultSource, "Unspecified error");
    }
}

} // namespace com
