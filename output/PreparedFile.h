#pragma once

// The prepared bulk payment file: one "OMP" header line in front of the accepted rows of a list.

#include "fileio/FileSystem.h"
#include "processing/ControlData.h"
#include "processing/DateTime.h"
#include "settings/Settings.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::output {

// "DELIMITED(" + delimiter + ")" for a delimited format; empty for a fixed-length one or none.
std::string headerFormatDescription(const settings::FormatDefinition* format);

// The payer's values a header carries: the IBAN and kind code in the standard layout, the BIC and
// budget-unit code in the budget layout, the name in both.
struct PayerData {
    std::string iban;
    std::string bic;
    std::string name;
    std::string kindCode;
    std::string budgetUnitCode;
};

// The header line, ending CR LF, for `format` (nullptr: no payment type selected), the payer,
// the value date and the control data. The payer name (and, for the budget layout, the BIC) are
// trimmed here too, so the line is right whatever the caller did before.
std::string buildHeaderLine(const PayerData& payer, const processing::LocalDateTime& date,
                            const processing::ControlData& data,
                            const settings::FormatDefinition* format);

// Replaces the file at `path` by `header` followed by `rows`, through a temporary file in the same
// folder that is renamed over the list only once it is complete. With `scannedStamp` (the list as
// it was read), a list that changed meanwhile is left as it is (writeFailed), so that no row
// added to it is lost. On any failure the list is as it was.
fileio::Replaced writePreparedFile(
    fileio::FileSystem& fs, const std::string& path, std::string_view header, std::string_view rows,
    const std::optional<fileio::FileStamp>& scannedStamp = std::nullopt);

}  // namespace velcor::output
