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
        // One pass that copies and blanks NULs at once: values are short, and a library copy
        // followed by a search costs more in setting up than in work.
        for (std::size_t i = 0; i < n; ++i) text_[i] = value[i] == '\0' ? ' ' : value[i];
        text_[n] = '\0';
    }
    const char* c_str() const { return text_; }

  private:
    char text_[text::kLineBufferSize];
};

}  // namespace velcor::processing
