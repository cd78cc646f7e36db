#pragma once

// Reading a payment list: the scan with its control data, the row reader and checks, and the
// header of a prepared list.

#include "fileio/FileSystem.h"
#include "processing/WorkingState.h"

#include <string_view>

namespace velcor::processing {

// Reads the list at state.inputPath with the selected format: checks every non-blank line,
// computes the control data, keeps the lines in acceptedLines, recognises a prepared list by its
// "OMP" header. True when the list was read to its end, a prepared header agrees, and no row
// message was raised. Shows its failures through `host`.
bool scanPaymentFile(WorkingState& state, ScanHost& host, fileio::FileSystem& fs);

// Reads and checks one data line (with its LF, if it had one) by `format` (nullptr: no payment
// type selected); row messages go to state.rowMessages, accepted amounts to state.totalSum.
void checkRow(std::string_view line, const settings::FormatDefinition* format, WorkingState& state);

// Takes the header line of a prepared list into the state. False when a header check rejects a
// value (after its message).
bool readPreparedHeader(std::string_view line, WorkingState& state, ScanHost& host);

}  // namespace velcor::processing
