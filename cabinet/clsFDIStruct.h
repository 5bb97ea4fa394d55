// A snapshot of one extraction notification, handed to ExtractStatus listeners.
#pragma once

#include "platform/com/ComObject.h"

#include <cstdint>
#include <string>

namespace tessaly {

class clsFDIStruct : public com::Object {
public:
    clsFDIStruct();

    // Entry size (COPY_FILE), or 1 for a file marked to run after extraction (CLOSE_FILE_INFO).
    std::int32_t cb() const { return cb_; }
    void cb(std::int32_t value) { cb_ = value; }
    // Entry name (COPY_FILE) or the written file's path (CLOSE_FILE_INFO).
    const std::string& psz1() const { return psz1_; }
    void psz1(const std::string& value) { psz1_ = value; }
    const std::string& psz2() const { return psz2_; }
    void psz2(const std::string& value) { psz2_ = value; }
    const std::string& psz3() const { return psz3_; }
    void psz3(const std::string& value) { psz3_ = value; }
    std::int16_t fdate() const { return fdate_; }
    void fdate(std::int16_t value) { fdate_ = value; }
    std::int16_t ftime() const { return ftime_; }
    void ftime(std::int16_t value) { ftime_ = value; }
    std::int16_t Attribs() const { return attribs_; }
    void Attribs(std::int16_t value) { attribs_ = value; }
    std::int16_t SetID() const { return setId_; }
    void SetID(std::int16_t value) { setId_ = value; }
    std::int16_t iCabinet() const { return iCabinet_; }
    void iCabinet(std::int16_t value) { iCabinet_ = value; }
    // Nonzero when the library refused the entry (8: it cannot be written where its name points).
    std::int32_t fDie() const { return fDie_; }
    void fDie(std::int32_t value) { fDie_ = value; }

private:
    std::int32_t cb_ = 0;
    std::string psz1_, psz2_, psz3_;
    std::int16_t fdate_ = 0, ftime_ = 0, attribs_ = 0, setId_ = 0, iCabinet_ = 0;
    std::int32_t fDie_ = 0;
};

} // namespace tessaly
