#pragma once

// The prepared bulk payment file: one "OMP" header line (processing/PreparedHeader.h) in front of
// the accepted rows of a list.

#include "fileio/ContentDigest.h"
#include "fileio/FileSystem.h"
#include "processing/ControlData.h"
#include "processing/DateTime.h"
#include "processing/PreparedHeader.h"
#include "processing/Scan.h"
#include "settings/Settings.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace velcor::output {

// How a prepared list was written.
struct PreparedWrite {
    fileio::Replaced replaced;
    // The list read again gave other rows than the scan's `expected`: it changed meanwhile, and
    // it was left as it is.
    bool listChanged = false;
    // The progress asked to stop while the list was read again: nothing was replaced.
    bool cancelled = false;
};

// Told what the list held, digested as it was read for the prepared file, and what the prepared
// file holds, once it is written whole and before it replaces the list; false keeps the list as
// it is (the replacement then ends as writeFailed).
using BeforeReplacing = std::function<bool(const fileio::ContentDigest& original,
                                           const fileio::ContentDigest& prepared)>;

// Replaces the list at `path` by `header` followed by the list's own rows, as the scan keeps them
// (every non-blank line, as read), through a temporary file in the same folder that is renamed
// over the list only once it is complete. The rows are read from the list again while they are
// written, so no more than a block of them is ever in memory; their count and control code must
// come out as `expected` (the scan's), and with `scannedStamp` the list must still show that
// stamp right before the rename, or nothing is replaced. On any failure the list is as it was.
// The reading reports to `progress`, if any, which may stop it before the rename. `delimiter` is
// the one the scan was given for a delimited list (a blank otherwise): rows of delimiters alone are
// blank lines, as the scan left them out.
PreparedWrite writePreparedFile(fileio::FileSystem& fs, const std::string& path,
                                std::string_view header, const processing::ControlData& expected,
                                const std::optional<fileio::FileStamp>& scannedStamp = std::nullopt,
                                const processing::ScanProgress& progress = {},
                                const BeforeReplacing& beforeReplacing = {}, char delimiter = ' ');

}  // namespace velcor::output
