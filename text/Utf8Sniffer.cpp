#include "text/Utf8Sniffer.h"

#include <cstring>

namespace velcor::text {

void Utf8Sniffer::feed(std::string_view bytes) {
    if (!started_ && !bytes.empty()) {
        started_ = true;
        bom_ = bytes.starts_with(kUtf8Bom);
    }
    const char* p = bytes.data();
    const char* const end = p + bytes.size();
    while (valid_ && p < end) {
        // Plain ASCII, the bulk of every list, eight bytes at a time.
        if (expected_ == 0) {
            while (end - p >= 8) {
                std::uint64_t word;
                std::memcpy(&word, p, 8);
                if (word & 0x8080808080808080u) break;
                p += 8;
            }
            while (p < end && static_cast<unsigned char>(*p) < 0x80) ++p;
            if (p == end) break;
        }
        feedHigh(static_cast<unsigned char>(*p++));
    }
}

void Utf8Sniffer::feedHigh(unsigned char b) {
    if (expected_ > 0) {
        if (b < low_ || b > high_) {
            valid_ = false;
            return;
        }
        low_ = 0x80;
        high_ = 0xBF;
        if (--expected_ == 0 && cyrillicLead_) cyrillic_ = true;
        return;
    }
    if (b < 0x80) return;
    cyrillicLead_ = b == 0xD0 || b == 0xD1;  // U+0400-U+047F
    // The lead bytes with the ranges that rule out overlong forms, surrogates and code points
    // past U+10FFFF.
    if (b >= 0xC2 && b <= 0xDF) {
        expected_ = 1;
    } else if (b >= 0xE0 && b <= 0xEF) {
        expected_ = 2;
        if (b == 0xE0) low_ = 0xA0;
        if (b == 0xED) high_ = 0x9F;
    } else if (b >= 0xF0 && b <= 0xF4) {
        expected_ = 3;
        if (b == 0xF0) low_ = 0x90;
        if (b == 0xF4) high_ = 0x8F;
    } else {
        valid_ = false;
    }
}

}  // namespace velcor::text
