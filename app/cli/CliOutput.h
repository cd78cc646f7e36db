#pragma once

// What velcor-cli prints at the end of a run: a JSON object or lines for a person, UTF-8.

#include "window/BulkPaymentDialog.h"
#include "window/HeadlessHost.h"

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

struct RunResult {
    const window::BulkPaymentDialog& dialog;
    window::HeadlessHost& host;
    std::optional<std::string> report;  // the report text built by this run
    // The position of that report among the host's events (it is no list of row messages).
    std::optional<std::size_t> reportEvent;
};

void writeJson(std::ostream& out, const RunResult& run);
void writeHuman(std::ostream& out, const RunResult& run);

}  // namespace velcor::app::cli
