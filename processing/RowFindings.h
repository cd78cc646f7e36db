#pragma once

// What the checks of one scan found in its rows: each finding as a value (its row, its kind and
// the message text the operator reads), so that a screen, a report or a script takes them as they
// are. Only the window joins them into the report window's HTML.

#include "text/Text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::processing {

// A list of garbage raises a finding on every row; past this many the rest are only counted, so
// the report stays readable and memory stays bounded.
inline constexpr std::int64_t kMaxRowMessages = 1000;
// The most findings a scan keeps for a screen that lists every one of them in a table. Each holds
// its row's values, so a list of garbage costs some tens of megabytes at this many.
inline constexpr std::int64_t kMaxFindingsKept = 100000;

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
    wrongBic,
    noBic,
    // A row to the budget under the rules from 1 October 2023.
    noObligorId,
    wrongObligorId,
    paymentCodeNotAllowed,
};
inline constexpr std::size_t kFindingKinds =
    static_cast<std::size_t>(FindingKind::paymentCodeNotAllowed) + 1;

// The kind as scripts read it: "bic-mismatch", "zero-sum", ...
std::string_view findingKindName(FindingKind kind);

struct RowFinding {
    std::int64_t row = 0;
    FindingKind kind = FindingKind::noDelimiter;
    std::string text;  // Windows-1251, naming the row
    // The row's payee name (its NAME field), IBAN and amount (SUM) as written, blanks around
    // them trimmed: what the operator looks for in the list. Empty when the format has no such
    // field or the row ended before it, and for a finding about the line that comes once its row
    // was read (a line too long, data after the end mark).
    std::string payeeName;
    std::string iban;
    std::string amount;
};

struct RowFindings {
    std::vector<RowFinding> kept;  // the first `keep`, in the order they were found
    std::int64_t count = 0;        // every finding, those left out included
    // The rows with a finding, those left out included: a row without its delimiter gives a
    // wrong IBAN and a zero amount too, and is still one row to mend.
    std::int64_t rows = 0;
    std::int64_t keep = kMaxRowMessages;
    std::array<std::int64_t, kFindingKinds> countByKind{};  // every finding, by its kind

    bool empty() const { return count == 0; }
    // How many the message list leaves out: it names the first kMaxRowMessages.
    std::int64_t leftOut() const { return count > kMaxRowMessages ? count - kMaxRowMessages : 0; }
    // How many were found but not kept.
    std::int64_t notKept() const { return count - static_cast<std::int64_t>(kept.size()); }
    std::int64_t countOf(FindingKind kind) const {
        return countByKind[static_cast<std::size_t>(kind)];
    }

    // Adds the finding whose text is text::format(format, args...), formatted only when it is
    // kept: on a list of garbage, formatting the findings left out took most of the scan.
    template <typename... Args>
    void add(FindingKind kind, std::int64_t row, const char* format, Args... args) {
        ++countByKind[static_cast<std::size_t>(kind)];
        countRow(row);
        if (count++ < keep) kept.push_back({row, kind, text::format(format, args...), {}, {}, {}});
    }

  private:
    // A scan finds a row's findings together, at most a line or two apart (a CR at a line's end
    // is told once the next line shows it): a row counts unless it is one of the last few
    // counted, which keeps the count in constant memory.
    static constexpr std::size_t kRecentRows = 4;
    std::array<std::int64_t, kRecentRows> recentRows_{};
    std::size_t nextRecent_ = 0;

    void countRow(std::int64_t row) {
        const std::size_t known = rows < static_cast<std::int64_t>(kRecentRows)
                                      ? static_cast<std::size_t>(rows)
                                      : kRecentRows;
        for (std::size_t i = 0; i < known; ++i)
            if (recentRows_[i] == row) return;
        ++rows;
        recentRows_[nextRecent_] = row;
        nextRecent_ = (nextRecent_ + 1) % kRecentRows;
    }
};

}  // namespace velcor::processing
