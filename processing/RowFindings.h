#pragma once

// The row messages of one scan: texts the report window shows, one per finding, each ending in
// "<BR>".

#include "text/Text.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace velcor::processing {

// A list of garbage raises a message on every row; past this many the rest are only counted, so
// the report stays readable and memory stays bounded.
inline constexpr std::int64_t kMaxRowMessages = 1000;

struct RowMessages {
    std::string text;        // the messages kept, at most kMaxRowMessages of them
    std::int64_t count = 0;  // every message raised, those left out included

    // Appends one message while fewer than kMaxRowMessages are kept.
    void add(std::string_view message);
    // The same for the message text::format(format, args...), formatted only when it is kept:
    // on a list of garbage, formatting the messages left out took most of the scan.
    template <typename... Args>
    void addFormatted(const char* format, Args... args) {
        if (count++ < kMaxRowMessages) text += text::format(format, args...);
    }
    // After the last row: a closing line saying how many messages were left out, if any were.
    void close();
};

}  // namespace velcor::processing
