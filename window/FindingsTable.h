#pragma once

// The table of a list's row findings that the report window shows beside its message list: its
// columns, what each cell says, the count by kind above it, the orders it sorts in, and the
// heading of its printed pages. Texts are Windows-1251; a screen converts them at its edge.

#include "processing/DateTime.h"
#include "processing/RowFindings.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::window {

enum class FindingsColumn { row, payeeName, iban, amount, problem };
inline constexpr int kFindingsColumns = 5;

std::string_view findingsColumnTitle(FindingsColumn column);

// What the cell of `column` shows for `finding`.
std::string findingsCell(const processing::RowFinding& finding, FindingsColumn column);

// A finding's kind in a few words: "Грешен IBAN", "Нулева сума".
std::string_view findingKindWords(processing::FindingKind kind);

// What is wrong, as the message says it without the row it names (the table has a column for
// that): "Грешен IBAN( ... )", "Нулева сума".
std::string findingProblem(const processing::RowFinding& finding);

// The line above the table: how many findings there are, by kind (the most frequent first),
// and how many the table holds when it could not keep them all.
std::string findingsSummary(const processing::RowFindings& findings);

// The positions in `findings` in the order the table shows them sorted by `column`. Names and
// problems sort alphabetically without regard to case, amounts by value (an amount that is no
// number first); findings that sort alike keep the order they were found in.
std::vector<std::size_t> findingsOrder(const std::vector<processing::RowFinding>& findings,
                                       FindingsColumn column, bool descending);
// The same for the findings at `positions` only.
std::vector<std::size_t> findingsOrder(const std::vector<processing::RowFinding>& findings,
                                       std::vector<std::size_t> positions, FindingsColumn column,
                                       bool descending);

// The findings of one row: the first found, under which the table folds the rest.
struct FindingsOfRow {
    std::size_t first = 0;
    std::vector<std::size_t> rest;  // in the order they were found
};

// The findings by their rows, in the order each row's first finding was found.
std::vector<FindingsOfRow> findingsByRow(const std::vector<processing::RowFinding>& findings);

// The heading of every printed page: the list's file name, the day it was printed, the page.
std::string findingsPrintTitle(std::string_view listName);
std::string findingsPrintDate(const processing::LocalDateTime& printed);
std::string findingsPageNumber(int page, int pages);

}  // namespace velcor::window
