#pragma once

// Finding bytes in a row and in the short stretches it splits into.

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

// The first byte of `text` that no bank takes inside a row, or npos: a C0 control byte other
// than TAB, CR and LF (CR and LF belong to line ends, which the scan judges on its own), or DEL.
// Every row passes through here, and nearly none holds such a byte: eight bytes are tested at
// once for any byte below 0x20 or equal to 0x7F, and only a word that holds one is looked at
// byte by byte.
inline std::size_t findControlByte(std::string_view text) {
    constexpr std::uint64_t kEveryByte = 0x0101010101010101;
    constexpr std::uint64_t kHigh = 0x8080808080808080;
    constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7F;
    const auto refused = [](char c) {
        const auto b = static_cast<unsigned char>(c);
        return (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
    };
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        // The high bit of each byte below 0x20 (bytes from 0x80 up excluded by ~word), and of
        // each byte equal to 0x7F; either may also mark a neighbour, which the loop sorts out.
        const std::uint64_t below = (word - kEveryByte * 0x20) & ~word & kHigh;
        const std::uint64_t x = word ^ kLow7;
        const std::uint64_t del = ~(((x & kLow7) + kLow7) | x | kLow7);
        if ((below | del) == 0) continue;
        for (std::size_t k = i; k < i + 8; ++k)
            if (refused(text[k])) return k;
    }
    for (; i < text.size(); ++i)
        if (refused(text[i])) return i;
    return std::string_view::npos;
}

}  // namespace velcor::processing
