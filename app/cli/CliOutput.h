#pragma once

// What velcor-cli prints of a run: lines for a person, or one JSON object of a documented,
// versioned shape (its "format"). Both are made from the results of the list session's
// operations and its state; all output is UTF-8.

#include "session/ListState.h"
#include "session/Result.h"

#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::app::cli {

// The shape of the JSON object; a script checks it before it reads the rest.
inline constexpr int kJsonFormat = 2;

// A run of the sepa command: the file's choices, and whether the names are printed.
struct SepaRun {
    output::SepaChoices choices;
    bool names = false;
};

// The control data as the run tells them (empty where it tells none): those the list's last
// reading counted, also when its rows then failed.
struct Figures {
    std::string total;
    std::string count;
    std::string controlCode;
};

struct RunResult {
    const session::ListState& state;  // the session's state at the end of the run
    // The payment type's name and its entry in the payment-type list; nothing when none is
    // selected.
    std::optional<std::string> paymentType;
    std::optional<std::string> paymentTypeEntry;
    std::vector<session::Result> results;  // of every operation of the run, in order
    Figures figures;
    int exitCode = 1;
    std::optional<std::string> error;  // why the command failed, where velcor-cli knows (UTF-8)
    std::optional<SepaRun> sepa = std::nullopt;  // the sepa command's
    bool unprepared = false;  // this run put the list back as it was before its prepare
};

void writeJson(std::ostream& out, const RunResult& run);
void writeHuman(std::ostream& out, const RunResult& run);
// The warnings of a run, which the window asks about or shows and velcor-cli goes on after (a
// value date the bank may refuse, a row whose name or text the SEPA file cuts): a
// "velcor-cli: предупреждение: " line each, for the error stream.
void writeWarnings(std::ostream& err, const RunResult& run);

// The one object of a run that ended before it had a list to tell of (a usage or settings error,
// no memory): the error (UTF-8), the exit status and the message boxes shown.
std::string errorJson(std::string_view error, int exitCode,
                      const std::vector<session::ShownMessage>& messages);

// A JSON string literal of a Windows-1251 text.
std::string jsonString(std::string_view cp1251);
// A JSON string literal of a UTF-8 text (an argument, a path); a byte that is no UTF-8 becomes
// U+FFFD, so that the output stays valid JSON.
std::string jsonUtf8String(std::string_view utf8);

// A UTF-8 text safe to show on a terminal: the bytes of control characters (C0, DEL, C1) and of
// broken UTF-8 are written as \xNN, so that a list, a path or omp.ini cannot move the cursor,
// retitle the window or clear the screen.
std::string terminalText(std::string_view utf8);

}  // namespace velcor::app::cli
