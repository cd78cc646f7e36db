#pragma once

// The prepared bulk payment file: one "OMP" header line in front of the accepted rows of a list.

#include "fileio/FileSystem.h"
#include "processing/WorkingState.h"
#include "settings/Settings.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::output {

// "DELIMITED(" + delimiter + ")" for a delimited format; empty for a fixed-length one or none.
std::string headerFormatDescription(const settings::FormatDefinition* format);

// The header line, ending CR LF, for `format` (nullptr: no payment type selected) and the payer
// and control data of `state`. The payer name (and, for the budget layout, the BIC) are trimmed
// here too, so the line is right whatever the caller did before.
std::string buildHeaderLine(const processing::WorkingState& state,
                            const settings::FormatDefinition* format);

// Replaces the file at `path` by `header` followed by `rows`, through a temporary file in the same
// folder that is renamed over the list only once it is complete. With `scannedStamp` (the list as
// it was read), a list that changed meanwhile is left as it is (writeFailed), so that no row
// added to it is lost. On any failure the list is as it was.
fileio::ReplaceResult writePreparedFile(
    fileio::FileSystem& fs, const std::string& path, std::string_view header, std::string_view rows,
    const std::optional<fileio::FileStamp>& scannedStamp = std::nullopt);

}  // namespace velcor::output
