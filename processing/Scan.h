#pragma once

// Reading a payment list: the scan with its control data, the rows kept for the prepared file,
// their checks, and the header of a prepared list.

#include "fileio/FileSystem.h"
#include "processing/BudgetRules.h"
#include "processing/ControlData.h"
#include "processing/PaymentRecord.h"
#include "processing/PreparedHeader.h"
#include "processing/RowFindings.h"
#include "settings/Settings.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace velcor::processing {

// Why a scan ended before it had read the whole list, or did not vouch for what it read.
enum class ScanError {
    none,
    cannotOpen,     // the list could not be opened
    headerRefused,  // a prepared list's header holds a value its check refuses (header->refusal)
    readError,      // reading failed part way; what the rows read so far gave is in the result
    savedAsUtf8,    // the list is UTF-8 text with Cyrillic letters, not Windows-1251
    noPayments,     // the list holds no row, only blank lines or a header
    rowsNotTaken,   // the sink refused a row: what was read up to it is in the result
    outOfMemory,
    cancelled,  // the progress asked to stop: nothing of the list is in the result
};

struct ScanResult {
    ScanError error = ScanError::none;
    std::error_code cause;  // cannotOpen, readError: why, as the system said it
    // The list's first line began with "OMP": what its reader took from it.
    std::optional<PreparedHeader> header;
    // The rows' control data; the CRC finished and the three texts made once the list was read
    // to its end.
    ControlData controlData;
    RowFindings rowFindings;
    // How many rows pay to an account of the budget (8 at position 13 of the IBAN).
    std::int64_t budgetRows = 0;
    // Read to its end: the list's stamp, when the list stayed the same while it was read.
    std::optional<fileio::FileStamp> stamp;
};

// Receives, in order, every piece of the list that the prepared file holds after its header:
// each non-blank line after a header, as read (with its LF). False stops the reading (a write of
// the piece failed).
using RowSink = std::function<bool(std::string_view piece)>;

// Told, before each block is read, how many bytes of the list have been read so far and how large
// the list was when it was opened (0 when the system did not say). False stops the reading there:
// the scan ends as cancelled.
using ScanProgress = std::function<bool(std::uint64_t bytesRead, std::uint64_t listSize)>;

// One non-blank row of the list after its header, as the scan read and checked it.
struct ScannedRow {
    std::int64_t number;          // among the list's non-blank lines, from 1
    std::string_view line;        // as read, with its LF
    const PaymentRecord& record;  // its values by field name, viewing `line`
    bool clean;                   // its checks found nothing
};

// Receives every non-blank row in order, while its text lives. False stops the reading (the
// receiver could not take the row).
using RecordSink = std::function<bool(const ScannedRow& row)>;

// What a scan hands its rows to and reports to, besides what it returns.
struct ScanOptions {
    RowSink rows;        // the pieces the prepared file holds
    RecordSink records;  // each row's values; its records are made only when set
    ScanProgress progress;
    std::int64_t findingsKept = kMaxRowMessages;
    // Which rules the rows to the budget are checked by.
    BudgetRules budgetRules = BudgetRules::before2023;
};

// Reads the list at `path` once, in blocks, with `format` (nullptr: no payment type selected, so
// the rows are counted but none is checked), splitting a delimited format's rows at `delimiter`,
// and hands the rows the prepared file holds to `sink`, if any. It keeps no line, and of the row
// findings the first `findingsKept`: its memory does not grow with the list. Changes nothing but
// what it returns. With `progress`, the reading reports to it and stops when it asks.
ScanResult scanPaymentFile(fileio::FileSystem& fs, const std::string& path,
                           const settings::FormatDefinition* format, char delimiter,
                           const RowSink& sink = {}, const ScanProgress& progress = {},
                           std::int64_t findingsKept = kMaxRowMessages);
// The same with its receivers and progress in `options`; a false from either receiver ends the
// scan as rowsNotTaken.
ScanResult scanPaymentFile(fileio::FileSystem& fs, const std::string& path,
                           const settings::FormatDefinition* format, char delimiter,
                           const ScanOptions& options);

}  // namespace velcor::processing
