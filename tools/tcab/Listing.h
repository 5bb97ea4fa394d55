// How tcab shows one file of a cabinet: "2024-05-01 13:45:10   1234567  ---A-  sub\a.txt".
#pragma once

#include "cabinet/clsCompressedFile.h"

#include <cstdint>
#include <string>

namespace tcab {

std::string DosDateTimeText(std::uint16_t date, std::uint16_t time);
// R read-only, H hidden, S system, A archive, X opened after extraction; "-" when not set.
std::string AttributeText(std::uint32_t attributes);
std::string ListingLine(const tessaly::clsCompressedFile& file);

} // namespace tcab
