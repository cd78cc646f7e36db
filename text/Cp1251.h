#pragma once

// Windows-1251 is the one text encoding inside Velcor. Bulgarian literals are written in UTF-8
// source and turned into Windows-1251 bytes while compiling:  "Грешен ЕГН"_cp  is a constant
// whose bytes are the Windows-1251 spelling. A character that Windows-1251 cannot hold stops the
// build, so no message can silently lose a letter.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace velcor::text {

namespace detail {

// Unicode code points of the bytes 0x80..0xFF. 0x98 is unassigned in Windows-1251; it is paired
// with U+0098 (as Windows does) so that every byte value survives a trip through Unicode.
inline constexpr char32_t kUpperHalf[128] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,  // C0
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,  // C8
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,  // D0
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,  // D8
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,  // E0
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,  // E8
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,  // F0
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F,  // F8
};

// The Windows-1251 byte of a code point, or -1 when the code page has none.
constexpr int byteOfCodePoint(char32_t cp) {
    if (cp < 0x80) return static_cast<int>(cp);
    if (cp >= 0x0410 && cp <= 0x044F) return static_cast<int>(cp - 0x0410 + 0xC0);
    for (int i = 0; i < 128; ++i)
        if (kUpperHalf[i] == cp) return 0x80 + i;
    return -1;
}

// Decodes one UTF-8 sequence at text[i]; advances i. Returns 0xFFFFFFFF for malformed input.
constexpr char32_t decodeUtf8(const char* text, std::size_t size, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    std::size_t extra = 0;
    char32_t cp = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1;
        cp = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2;
        cp = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3;
        cp = lead & 0x07;
    } else {
        ++i;
        return 0xFFFFFFFF;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
        if (i + k >= size || (byte(i + k) & 0xC0) != 0x80) {
            i += k;
            return 0xFFFFFFFF;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return cp;
}

template <std::size_t N>
struct Utf8Literal {
    char bytes[N]{};
    constexpr Utf8Literal(const char (&s)[N]) {
        for (std::size_t i = 0; i < N; ++i) bytes[i] = s[i];
    }
    static constexpr std::size_t size = N - 1;  // without the terminating zero
};

template <Utf8Literal S>
constexpr std::size_t encodedLength() {
    std::size_t n = 0;
    for (std::size_t i = 0; i < S.size;) {
        const char32_t cp = decodeUtf8(S.bytes, S.size, i);
        // A throw in a constant expression is a compile error: the literal holds malformed
        // UTF-8 or a character Windows-1251 cannot spell.
        if (cp == 0xFFFFFFFF || byteOfCodePoint(cp) < 0) throw "not representable in Windows-1251";
        ++n;
    }
    return n;
}

}  // namespace detail

// A Windows-1251 string constant: zero-terminated, usable as a string_view or a C string.
template <std::size_t N>
struct Cp1251Literal {
    std::array<char, N + 1> bytes{};
    constexpr std::string_view view() const { return {bytes.data(), N}; }
    constexpr const char* c_str() const { return bytes.data(); }
    constexpr std::size_t size() const { return N; }
    constexpr operator std::string_view() const { return view(); }
    operator std::string() const { return std::string(view()); }
};

template <detail::Utf8Literal S>
constexpr auto toCp1251Literal() {
    constexpr std::size_t n = detail::encodedLength<S>();
    Cp1251Literal<n> out{};
    std::size_t k = 0;
    for (std::size_t i = 0; i < S.size;) {
        const char32_t cp = detail::decodeUtf8(S.bytes, S.size, i);
        out.bytes[k++] = static_cast<char>(static_cast<unsigned char>(detail::byteOfCodePoint(cp)));
    }
    out.bytes[n] = '\0';
    return out;
}

namespace detail {
// One static copy per literal, so that a view taken of "..."_cp never dangles.
template <Utf8Literal S>
inline constexpr auto kCp1251Storage = toCp1251Literal<S>();
}  // namespace detail

namespace literals {
// "Текст"_cp: the Windows-1251 bytes of a UTF-8 literal, computed at compile time and stored
// once for the whole program.
template <detail::Utf8Literal S>
constexpr const auto& operator""_cp() {
    return detail::kCp1251Storage<S>;
}
}  // namespace literals

}  // namespace velcor::text
