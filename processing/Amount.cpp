#include "processing/Amount.h"

#include <charconv>
#include <cmath>
#include <cstddef>

namespace velcor::processing {

namespace {

bool isCSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isDigitOf(char c, bool hex) { return hex ? isHexDigit(c) : (c >= '0' && c <= '9'); }

// from_chars leaves the value alone when the number does not fit; strtod answers HUGE_VAL for
// too large and 0 for too small. Which of the two it is follows from the position of the first
// significant digit and the exponent of the text that from_chars matched.
double outOfRangeValue(std::string_view number, bool hex) {
    const char exponentMark = hex ? 'p' : 'e';
    long long magnitude = 0;
    bool seenPoint = false;
    bool seenSignificant = false;
    std::size_t i = 0;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '.') {
            seenPoint = true;
        } else if (isDigitOf(c, hex)) {
            if (c != '0') seenSignificant = true;
            if (!seenSignificant && seenPoint) --magnitude;
            if (seenSignificant && !seenPoint) ++magnitude;
        } else {
            break;
        }
    }
    if (hex) magnitude *= 4;
    if (i < number.size() && (number[i] | 0x20) == exponentMark) {
        ++i;
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-'))
            negative = number[i++] == '-';
        long long exponent = 0;
        for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i)
            if (exponent < 1'000'000'000) exponent = exponent * 10 + (number[i] - '0');
        magnitude += negative ? -exponent : exponent;
    }
    return magnitude > 0 ? HUGE_VAL : 0.0;
}

}  // namespace

double readAmount(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isCSpace(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // from_chars takes a minus sign of its own; strtod allows only one sign.
    if (i < text.size() && text[i] == '-') return 0.0;

    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    bool hex = false;
    // "0x" counts as a hexadecimal prefix only when a hexadecimal digit follows (possibly after
    // the point); otherwise strtod reads the 0 and stops at the x.
    if (last - first >= 3 && first[0] == '0' && (first[1] | 0x20) == 'x') {
        const char* digits = first + 2;
        if (isHexDigit(*digits) ||
            (*digits == '.' && last - digits >= 2 && isHexDigit(digits[1]))) {
            hex = true;
            first = digits;
        }
    }
    double value = 0.0;
    const auto result = std::from_chars(first, last, value,
                                        hex ? std::chars_format::hex : std::chars_format::general);
    if (result.ec == std::errc::invalid_argument) return 0.0;
    if (result.ec == std::errc::result_out_of_range)
        value = outOfRangeValue(
            std::string_view(first, static_cast<std::size_t>(result.ptr - first)), hex);
    return negative ? -value : value;
}

}  // namespace velcor::processing
