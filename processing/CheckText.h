#pragma once

// A field value as the zero-terminated text the identifier checks take.

#include "text/LineLimits.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace velcor::processing {

// The buffer every caller of CheckIban hands it for its reason text.
inline constexpr std::size_t kReasonBufferSize = 256;

// A value as zero-terminated text for the identifier checks. Values come from one line of at
// most 4094 bytes, so the buffer always holds them; a NUL inside becomes a blank.
class CheckText {
  public:
    explicit CheckText(std::string_view value) {
        const std::size_t n = std::min(value.size(), sizeof text_ - 1);
        // An empty view may carry no buffer at all, and memcpy must not be handed a null one.
        if (n > 0) std::memcpy(text_, value.data(), n);
        // NULs are rare: they are looked for, not tested byte by byte.
        char* const end = text_ + n;
        for (char* nul = text_; (nul = static_cast<char*>(
                                     std::memchr(nul, '\0', static_cast<std::size_t>(end - nul))));)
            *nul++ = ' ';
        text_[n] = '\0';
    }
    const char* c_str() const { return text_; }

  private:
    char text_[text::kLineBufferSize];
};

}  // namespace velcor::processing
