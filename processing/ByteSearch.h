#pragma once

// Finding one byte in the short stretches a row splits into.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace velcor::processing {

// The first `byte` in `text` at or after `from`, or npos: what text.find(byte, from) answers.
// A row's fields are a few bytes each, and a library search costs more in its call and set-up
// than in the search, so eight bytes are tested at once here, inline.
inline std::size_t findByte(std::string_view text, char byte, std::size_t from) {
    constexpr std::uint64_t kEveryByte = 0x0101010101010101;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    const std::uint64_t pattern = kEveryByte * static_cast<unsigned char>(byte);
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        const std::uint64_t x = word ^ pattern;
        // The high bit of each byte that is zero in x, and of no other: no carry crosses a byte.
        const std::uint64_t zero = ~(((x & kLow7) + kLow7) | x | kLow7);
        if (zero != 0) {
            const int bit = std::endian::native == std::endian::little ? std::countr_zero(zero)
                                                                       : std::countl_zero(zero);
            return i + static_cast<std::size_t>(bit) / 8;
        }
    }
    for (; i < text.size(); ++i)
        if (text[i] == byte) return i;
    return std::string_view::npos;
}

}  // namespace velcor::processing
