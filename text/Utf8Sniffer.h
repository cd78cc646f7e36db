#pragma once

// Tells a text saved in UTF-8 from one in Windows-1251, fed piece by piece. A Windows-1251 text
// with Cyrillic letters is almost never valid UTF-8 (its letters are bytes 0xC0-0xFF, which UTF-8
// only allows before continuation bytes), so a text that is valid UTF-8 and spells Cyrillic
// letters in it, or that begins with the UTF-8 byte order mark, was saved as UTF-8.

#include <cstdint>
#include <string_view>

namespace velcor::text {

inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

class Utf8Sniffer {
  public:
    // The next bytes of the text; a character may be split across calls. The byte order mark is
    // looked for at the start of the first call.
    void feed(std::string_view bytes);
    // After the whole text: whether it was saved as UTF-8.
    bool isUtf8() const { return bom_ || (valid_ && cyrillic_ && expected_ == 0); }

  private:
    void feedHigh(unsigned char b);

    bool started_ = false;
    bool bom_ = false;
    bool valid_ = true;
    bool cyrillic_ = false;
    int expected_ = 0;  // continuation bytes still due in the current character
    unsigned char low_ = 0x80, high_ = 0xBF;  // range of the next continuation byte
    bool cyrillicLead_ = false;
};

}  // namespace velcor::text
