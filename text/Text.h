#pragma once

// Text helpers shared by every layer. All strings hold Windows-1251 bytes; conversion to Unicode
// happens only at the edges (the window, the terminal, file names on the host system).

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace velcor::text {

namespace detail {

// Whether `c` is one of the control characters or the blank in `set` (bit n for the byte n).
constexpr bool isIn(std::uint64_t set, char c) {
    const auto b = static_cast<unsigned char>(c);
    return b <= ' ' && ((set >> b) & 1u) != 0;
}

constexpr std::uint64_t kBlanks = 1ull << ' ' | 1ull << '\t' | 1ull << '\r' | 1ull << '\n';
constexpr std::uint64_t kCSpaces = kBlanks | 1ull << '\v' | 1ull << '\f';

constexpr bool isBlankChar(char c) { return isIn(kBlanks, c); }

constexpr bool isCSpace(char c) { return isIn(kCSpaces, c); }

template <bool (*isSpace)(char)>
std::string_view trimEnds(std::string_view text) {
    std::size_t begin = 0;
    std::size_t end = text.size();
    while (begin < end && isSpace(text[begin])) ++begin;
    while (end > begin && isSpace(text[end - 1])) --end;
    return text.substr(begin, end - begin);
}

// Most texts have nothing to trim: that case is two tests, small enough to inline everywhere.
template <bool (*isSpace)(char)>
inline std::string_view trimBy(std::string_view text) {
    if (text.empty() || (!isSpace(text.front()) && !isSpace(text.back()))) return text;
    return trimEnds<isSpace>(text);
}

}  // namespace detail

// Removes blanks, TABs, CRs and LFs at both ends (list lines, header values, settings lines).
// Inline, like trimWhitespace: the scan trims every line and every field value.
inline std::string_view trimBlanks(std::string_view text) {
    return detail::trimBy<detail::isBlankChar>(text);
}

// Removes the C locale's white space at both ends: blank, TAB, LF, VT, FF, CR
// (field values of a row, [CLIENT] values, the payer fields before a header is written).
inline std::string_view trimWhitespace(std::string_view text) {
    return detail::trimBy<detail::isCSpace>(text);
}

// Upper-cases the Latin letters a-z only, as the C library does in the "C" locale.
std::string upperLatin(std::string_view text);

// Upper-cases a zero-terminated buffer in place: a-z become A-Z, the bytes 0xE0-0xFF (Cyrillic
// small letters) lose 0x20, every other byte is left alone. Returns the buffer.
char* UpperCp1251(char* text);

// A decimal integer as the C library's strtol reads it: leading C-locale white space, an
// optional sign, then the digits up to the first other character; no digits give 0. Values
// beyond 32 bits are held at the nearest end of the range.
std::int32_t leadingInteger(std::string_view text);

// ASCII case-insensitive equality (section and key names of omp.ini).
bool equalsIgnoreAsciiCase(std::string_view a, std::string_view b);

// Windows-1251 bytes to UTF-8. Every byte has a Unicode counterpart, so this never fails.
std::string toUtf8(std::string_view cp1251);

// UTF-8 to Windows-1251. Returns false when the input is not valid UTF-8 or holds a character
// that Windows-1251 cannot spell; `firstBad` then receives that character (as UTF-8, or the
// offending byte for malformed input) and `out` holds what was converted before it.
bool fromUtf8(std::string_view utf8, std::string& out, std::string* firstBad = nullptr);

// Escapes & < > " for text put into HTML.
std::string escapeHtml(std::string_view text);

// printf into a std::string, for the system's fixed message and header formats.
std::string format(const char* fmt, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace velcor::text
