#include "platform/cab/CabSearch.h"

#include "platform/cab/CabFormat.h"
#include "platform/cab/CabIo.h"
#include "platform/cab/MsPackSystem.h"

#include <algorithm>
#include <cerrno>

namespace cab {

namespace {

constexpr std::size_t kSearchWindow = 64 * 1024;
// The signature, the declared length and the file table's offset: what a
// candidate is judged by before it is read.
constexpr std::size_t kJudgedBytes = format::cfhead_FileOffset + 4;
// How far past the end of the file a plausible cabinet may claim to reach.
constexpr std::uint64_t kSlack = 32;

} // namespace

CabinetSearch FindCabinets(const std::string& path)
{
    CabinetSearch search;
    io::OpenedFile file = io::OpenRegularFile(path, "");
    if (file.error) {
        // As for CabReader::Open: a device or pipe holds no cabinet.
        if (file.fd.Get() < 0 && file.st.st_mode != 0 && !S_ISDIR(file.st.st_mode))
            file.error.code = kErrorInvalidData;
        search.error = file.error;
        return search;
    }
    const std::uint64_t length = std::uint64_t(file.st.st_size);
    detail::MsPackSystem system;
    mscab_decompressor* decompressor = mspack_create_cab_decompressor(system.Get());
    if (!decompressor) {
        search.error = CabError{kErrorNotEnoughMemory, "cannot start the cabinet decoder"};
        return search;
    }
    struct Destroy {
        mscab_decompressor* decompressor;
        ~Destroy() { mspack_destroy_cab_decompressor(decompressor); }
    } destroy{decompressor};
    system.viewPath = path;

    std::vector<std::uint8_t> window(kSearchWindow);
    std::uint64_t at = 0;
    while (at + kJudgedBytes <= length) {
        const long long n = io::ReadFullAt(file.fd.Get(), window.data(), window.size(), off_t(at));
        if (n < 0) {
            search.error = io::ErrorFromErrno(errno, io::Action::Read, path, "cannot read");
            return search;
        }
        if (std::size_t(n) < kJudgedBytes)
            break; // the file shrank while it was searched
        const std::uint8_t* begin = window.data();
        const std::uint8_t* end = begin + n;
        const std::uint8_t* hit = std::search(begin, end, format::kSignature, format::kSignature + 4);
        if (hit == end) {
            at += std::uint64_t(n) - 3; // a signature may straddle two windows
            continue;
        }
        const std::uint64_t candidate = at + std::uint64_t(hit - begin);
        if (std::size_t(end - hit) < kJudgedBytes) {
            at = candidate; // read again with the candidate's header whole
            continue;
        }
        const std::uint32_t declared = format::GetU32(hit + format::cfhead_CabinetSize);
        const std::uint32_t filesAt = format::GetU32(hit + format::cfhead_FileOffset);
        at = candidate + 4;
        if (filesAt < declared && candidate + filesAt < length + kSlack && candidate + declared < length + kSlack) {
            system.viewOffset = off_t(candidate);
            system.ClearError();
            if (mscabd_cabinet* cabinet = decompressor->open(decompressor, path.c_str())) {
                decompressor->close(decompressor, cabinet);
                search.cabinets.push_back(FoundCabinet{candidate, declared});
                at = candidate + declared;
            }
        }
    }
    return search;
}

} // namespace cab
