#pragma once

// The working state of one run of the window: what the processing, the output and the window
// read and write. BulkPaymentDialog owns it; the core functions take it by reference.

#include "fileio/FileSystem.h"
#include "processing/ControlData.h"
#include "processing/DateTime.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::processing {

struct WorkingState : ControlData {
    std::vector<settings::FormatDefinition> formats;
    settings::ClientData clientData;  // the flags decide whether closing may save
    std::string iniRemainder;

    std::string inputPath;
    LocalDateTime paymentDate = currentLocalDateTime();
    std::string payerIban;
    std::string payerBic;
    std::string payerName;
    std::string paymentKindCode;
    std::string budgetUnitCode;
    std::string delimiterText;

    std::string rowMessages;           // at most kMaxRowMessages of them (addRowMessage)
    std::int64_t rowMessageCount = 0;  // every row message raised, those left out included
    std::string acceptedLines;
    bool filePrepared = false;
    bool fileInvalid = true;

    // Which file on disk the last successful scan read; a prepare writes only over that one.
    std::string scannedPath;
    std::optional<fileio::FileStamp> scannedStamp;
};

// A list of garbage raises a message on every row; past this many the rest are only counted, so
// the report stays readable and memory stays bounded.
inline constexpr std::int64_t kMaxRowMessages = 1000;

// Appends one row message (its text ends in "<BR>") while fewer than kMaxRowMessages are kept.
void addRowMessage(WorkingState& state, std::string_view message);
// Empties the row messages for a new scan.
void clearRowMessages(WorkingState& state);
// After a scan: a closing line saying how many messages were left out, if any were.
void closeRowMessages(WorkingState& state);

// The format at a position of the payment-type list; nullptr for no selection (-1) or a
// position past the end.
const settings::FormatDefinition* formatAt(const WorkingState& state, int position);

// What the scan needs from the window, without knowing about widgets.
class ScanHost {
  public:
    virtual ~ScanHost() = default;
    // Takes the controls into the state; false after a length-limit message.
    virtual bool readControls() = 0;
    // Shows the state in the controls.
    virtual void updateControls() = 0;
    // A message box: exclamation icon, OK, the application's name as caption.
    virtual void showMessage(std::string_view text) = 0;
    // The selected position of the payment-type list, -1 for none.
    virtual int selectedPaymentType() = 0;
};

}  // namespace velcor::processing
