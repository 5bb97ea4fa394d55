// Numbers as study files write them: "." as the decimal separator whatever the
// locale, an empty field meaning 0. Internal to the reader.
#pragma once

#include <QtGlobal>

#include <string_view>

namespace study {

enum class NumberStatus { Ok, NotANumber, OutOfRange };

NumberStatus ParseDouble(std::string_view text, double& value);

// Whole numbers within [minimum, maximum]; a fraction is rounded to the
// nearest whole number, halves to the even one.
NumberStatus ParseInteger(std::string_view text, qint64 minimum, qint64 maximum, qint64& value);

} // namespace study
