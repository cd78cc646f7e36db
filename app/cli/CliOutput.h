#pragma once

// What velcor-cli prints: a JSON object or lines for a person, UTF-8.

#include "processing/WorkingState.h"
#include "window/HeadlessDialogHost.h"

#include <cstddef>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::app::cli {

// The row messages of a scan, one per entry: split at "<BR>", HTML escapes undone.
std::vector<std::string> splitRowMessages(std::string_view rowMessages);

// A JSON string literal of a Windows-1251 text.
std::string jsonString(std::string_view cp1251);
// A JSON string literal of a UTF-8 text (an argument, a path); a byte that is no UTF-8 becomes
// U+FFFD, so that the output stays valid JSON.
std::string jsonUtf8String(std::string_view utf8);

// A UTF-8 text safe to show on a terminal: the bytes of control characters (C0, DEL, C1) and of
// broken UTF-8 are written as \xNN, so that a list, a path or omp.ini cannot move the cursor,
// retitle the window or clear the screen.
std::string terminalText(std::string_view utf8);

struct RunResult {
    const processing::WorkingState& state;   // the window's state as the logic shows it
    const window::HeadlessDialogHost& host;  // the record of what was shown
    std::optional<std::string> report;       // the report text built by this run
    // The position of that report among the host's events (it is no list of row messages).
    std::optional<std::size_t> reportEvent;
    int exitCode = 1;
    std::optional<std::string> error;  // why the command failed, where velcor-cli knows (UTF-8)
};

void writeJson(std::ostream& out, const RunResult& run);
void writeHuman(std::ostream& out, const RunResult& run);

// The one object of a run that ended before the list was opened (a usage or settings error, no
// memory): the error (UTF-8), the exit status and the message boxes shown (Windows-1251).
std::string errorJson(std::string_view error, int exitCode,
                      const std::vector<std::string>& messages);

}  // namespace velcor::app::cli
