#pragma once

// How omp.ini is cut into the lines its rules work on; shared by loading and saving so that both
// see the same lines.

#include "text/Text.h"

#include <cstddef>
#include <optional>
#include <string_view>

#include "text/LineLimits.h"

namespace velcor::settings::detail {

using text::kLinePieceLimit;

// Splits bytes into lines: each ends after its LF, or after kLinePieceLimit bytes, or at the end.
class LinePieces {
  public:
    explicit LinePieces(std::string_view bytes) : rest_(bytes) {}

    std::optional<std::string_view> next() {
        if (rest_.empty()) return std::nullopt;
        // Only the next piece's bytes are searched: looking for the LF through the whole rest
        // would read a long line again for every piece of it.
        const std::string_view ahead = rest_.substr(0, kLinePieceLimit);
        const std::size_t lineFeed = ahead.find('\n');
        const std::size_t length = lineFeed == std::string_view::npos ? ahead.size() : lineFeed + 1;
        const std::string_view piece = rest_.substr(0, length);
        rest_.remove_prefix(length);
        return piece;
    }

  private:
    std::string_view rest_;
};

// What the rules see of a line: the bytes up to a NUL, without the blanks at both ends.
inline std::string_view seenText(std::string_view line) {
    return text::trimBlanks(line.substr(0, line.find('\0')));
}

// A section header: "[" first and a "]" somewhere.
inline bool isSectionHeader(std::string_view trimmed) {
    return trimmed.starts_with('[') && trimmed.find(']') != std::string_view::npos;
}

}  // namespace velcor::settings::detail
