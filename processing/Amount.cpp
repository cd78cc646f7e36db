#include "processing/Amount.h"

#include "text/Text.h"

#include <cstddef>

namespace velcor::processing {

namespace {

constexpr int kMaxIntegerDigits = 13;
constexpr int kMaxDecimals = 2;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

AmountReading readAmount(std::string_view text) {
    const std::string_view value = text::trimWhitespace(text);
    const AmountReading invalid{AmountReading::Kind::invalid, 0};
    if (value.empty()) return {};
    std::size_t i = 0;
    bool negative = false;
    if (value[i] == '+' || value[i] == '-') negative = value[i++] == '-';

    Cents units = 0;
    int significant = 0;
    std::size_t digits = 0;
    for (; i < value.size() && isDigit(value[i]); ++i, ++digits) {
        if (significant == 0 && value[i] == '0') continue;
        if (++significant > kMaxIntegerDigits) return invalid;
        units = units * 10 + (value[i] - '0');
    }
    Cents fraction = 0;
    int decimals = 0;
    if (i < value.size() && value[i] == '.') {
        for (++i; i < value.size() && isDigit(value[i]); ++i) {
            if (++decimals > kMaxDecimals) return invalid;
            fraction = fraction * 10 + (value[i] - '0');
        }
    }
    // A sign or a point alone, or anything behind the number, is no amount.
    if (i != value.size() || digits + static_cast<std::size_t>(decimals) == 0) return invalid;
    if (decimals == 1) fraction *= 10;
    const Cents cents = units * 100 + fraction;
    if (cents == 0) return {};
    if (negative) return invalid;
    return {AmountReading::Kind::amount, cents};
}

std::string formatCents(Cents cents, int width) {
    // The magnitude in unsigned arithmetic, so that the most negative value has one too.
    const std::uint64_t magnitude =
        cents < 0 ? 0 - static_cast<std::uint64_t>(cents) : static_cast<std::uint64_t>(cents);
    std::string number = text::format("%s%llu.%02llu", cents < 0 ? "-" : "",
                                      static_cast<unsigned long long>(magnitude / 100),
                                      static_cast<unsigned long long>(magnitude % 100));
    if (width > 0 && number.size() < static_cast<std::size_t>(width))
        number.insert(0, static_cast<std::size_t>(width) - number.size(), ' ');
    return number;
}

}  // namespace velcor::processing
