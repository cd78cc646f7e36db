#pragma once

// Work of the window's logic that may take a while on a large list: reading the list, writing the
// prepared file. It touches files only, never the window's state or a screen, so that a host may
// run it off its own thread, show how far it has come and let the operator stop it.

#include <cstdint>
#include <functional>
#include <string_view>

namespace velcor::session {

// Told how many bytes of `total` (0: not known) the work has read so far; false asks it to stop,
// which it does before it reads on.
using WorkProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;
// The work, reporting to the progress it is handed (an empty one when nobody watches).
using LongWork = std::function<void(const WorkProgress& progress)>;

// What a host shows while the work runs (Windows-1251).
std::string_view readingListText();  // the scan of a list
std::string_view writingListText();  // "Подготовка" writing the prepared file
std::string_view keepingCopyText();  // the copy that will undo a prepare
std::string_view undoingText();      // the undo putting the list back
std::string_view stopWorkText();     // the button that stops it

}  // namespace velcor::session
