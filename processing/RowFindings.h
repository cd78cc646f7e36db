#pragma once

// What the checks of one scan found in its rows: each finding as a value (its row, its kind and
// the message text the operator reads), so that a screen, a report or a script takes them as they
// are. Only the window joins them into the report window's HTML.

#include "text/Text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::processing {

// A list of garbage raises a finding on every row; past this many the rest are only counted, so
// the report stays readable and memory stays bounded.
inline constexpr std::int64_t kMaxRowMessages = 1000;

enum class FindingKind {
    noDelimiter,
    bicMismatch,
    wrongIban,
    wrongEgn,
    wrongBulstat,
    zeroSum,
    invalidSum,
    noBudgetCode,
    noSebraCode,
    controlByte,
    rowTooShort,
    rowTooLong,
    lineTooLong,
    loneCr,
    dataAfterEndMark,
};

// The kind as scripts read it: "bic-mismatch", "zero-sum", ...
std::string_view findingKindName(FindingKind kind);

struct RowFinding {
    std::int64_t row = 0;
    FindingKind kind = FindingKind::noDelimiter;
    std::string text;  // Windows-1251, naming the row
};

struct RowFindings {
    std::vector<RowFinding> kept;  // the first kMaxRowMessages, in the order they were found
    std::int64_t count = 0;        // every finding, those left out included

    bool empty() const { return count == 0; }
    // How many were found but not kept.
    std::int64_t leftOut() const { return count > kMaxRowMessages ? count - kMaxRowMessages : 0; }

    // Adds the finding whose text is text::format(format, args...), formatted only when it is
    // kept: on a list of garbage, formatting the findings left out took most of the scan.
    template <typename... Args>
    void add(FindingKind kind, std::int64_t row, const char* format, Args... args) {
        if (count++ < kMaxRowMessages) kept.push_back({row, kind, text::format(format, args...)});
    }
};

}  // namespace velcor::processing
