#include "viewer/study/NumberText.h"

#include <charconv>
#include <cmath>

namespace study {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view TrimBlanks(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

// Sign, digits with at most one ".", optional exponent; nothing else (no
// "inf", "nan", hexadecimal or thousands separators).
bool IsDecimalNumber(std::string_view text, bool& integral)
{
    size_t k = 0;
    if (k < text.size() && (text[k] == '+' || text[k] == '-'))
        ++k;
    size_t digits = 0;
    while (k < text.size() && IsDigit(text[k])) {
        ++k;
        ++digits;
    }
    integral = true;
    if (k < text.size() && text[k] == '.') {
        integral = false;
        ++k;
        while (k < text.size() && IsDigit(text[k])) {
            ++k;
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (k < text.size() && (text[k] == 'e' || text[k] == 'E')) {
        integral = false;
        ++k;
        if (k < text.size() && (text[k] == '+' || text[k] == '-'))
            ++k;
        size_t exponentDigits = 0;
        while (k < text.size() && IsDigit(text[k])) {
            ++k;
            ++exponentDigits;
        }
        if (exponentDigits == 0)
            return false;
    }
    return k == text.size();
}

NumberStatus ConvertDouble(std::string_view text, double& value)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range) {
        // Too small to hold is as good as zero; too large is a real fault.
        bool tiny = false;
        const size_t e = text.find_first_of("eE");
        tiny = e != std::string_view::npos && e + 1 < text.size() && text[e + 1] == '-';
        if (!tiny)
            return NumberStatus::OutOfRange;
        value = 0;
        return NumberStatus::Ok;
    }
    if (result.ec != std::errc() || result.ptr != text.data() + text.size())
        return NumberStatus::NotANumber;
    return NumberStatus::Ok;
}

} // namespace

NumberStatus ParseDouble(std::string_view text, double& value)
{
    text = TrimBlanks(text);
    value = 0;
    if (text.empty())
        return NumberStatus::Ok;
    bool integral = false;
    if (!IsDecimalNumber(text, integral))
        return NumberStatus::NotANumber;
    return ConvertDouble(text, value);
}

NumberStatus ParseInteger(std::string_view text, qint64 minimum, qint64 maximum, qint64& value)
{
    text = TrimBlanks(text);
    value = 0;
    if (text.empty())
        return NumberStatus::Ok;
    bool integral = false;
    if (!IsDecimalNumber(text, integral))
        return NumberStatus::NotANumber;
    if (integral) {
        // Plain digits are by far the common case; no floating point for them.
        const bool negative = text.front() == '-';
        if (text.front() == '+' || text.front() == '-')
            text.remove_prefix(1);
        const qint64 limit = negative ? -minimum : maximum;
        qint64 magnitude = 0;
        for (char c : text) {
            magnitude = magnitude * 10 + (c - '0');
            if (magnitude > limit)
                return NumberStatus::OutOfRange;
        }
        value = negative ? -magnitude : magnitude;
        return NumberStatus::Ok;
    }
    double real = 0;
    const NumberStatus status = ConvertDouble(text, real);
    if (status != NumberStatus::Ok)
        return status;
    real = std::nearbyint(real);
    if (!(real >= static_cast<double>(minimum) && real <= static_cast<double>(maximum)))
        return NumberStatus::OutOfRange;
    value = static_cast<qint64>(real);
    return NumberStatus::Ok;
}

} // namespace study
