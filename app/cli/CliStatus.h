#pragma once

// velcor-cli status: the bank's answer to a SEPA file told, each payment not accepted on a line
// of its own as the report is read, so that a report of any length is printed in bounded memory.

#include "app/cli/CliOptions.h"
#include "fileio/FileSystem.h"

#include <optional>
#include <ostream>
#include <string>

namespace velcor::app::cli {

// Exit statuses of status: all accepted, some payment rejected or pending (or a mismatch), input
// that is no status report of a known export, the rejected list not written.
inline constexpr int kStatusAccepted = 0;
inline constexpr int kStatusNotAccepted = 1;
inline constexpr int kStatusBadInput = 2;
inline constexpr int kStatusOutputError = 3;

// Reads the report options.list names (UTF-8) against the records in `recordsFolder`
// (Windows-1251; nothing: the environment names no data folder).
int runStatus(const CliOptions& options, std::ostream& out, std::ostream& err,
              fileio::FileSystem& fs, const std::optional<std::string>& recordsFolder);

}  // namespace velcor::app::cli
