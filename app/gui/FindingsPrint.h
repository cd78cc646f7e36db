#pragma once

// The findings table on paper: the rows of a list's findings, page after page, under a heading
// that names the list, the day it was printed and the page.

#include "processing/DateTime.h"
#include "processing/RowFindings.h"

#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

class QPagedPaintDevice;

namespace velcor::app {

// Told how far a printout has come, in thousandths (its layout the first three hundred, its pages
// the rest); false stops it before the next page.
using PrintProgress = std::function<bool(int permille)>;

// Prints `findings` in `order` (positions in findings.kept) on `device`, within its printable
// area: every page under a heading with the list's file name (Windows-1251), the day `printed` and
// "Страница N от M", the first one with the count by kind too. Only pages `fromPage` to `toPage`
// are printed (counted from 1; 0 for either end: from the first, to the last). Returns the number
// of pages the table takes, 0 when the device could not be painted on, -1 when `progress` stopped
// it (what was painted so far stays on the device).
int printFindings(QPagedPaintDevice& device, const processing::RowFindings& findings,
                  const std::vector<std::size_t>& order, std::string_view listName,
                  const processing::LocalDateTime& printed, int fromPage = 0, int toPage = 0,
                  const PrintProgress& progress = {});

// The number of pages printFindings would print on `device`, laid out but not painted: asked
// before a long table goes to paper.
int findingsPages(QPagedPaintDevice& device, const processing::RowFindings& findings,
                  const std::vector<std::size_t>& order, std::string_view listName,
                  const processing::LocalDateTime& printed);

// Past this many pages the operator is asked before the table is printed or saved.
inline constexpr int kPagesWithoutAsking = 50;

}  // namespace velcor::app
