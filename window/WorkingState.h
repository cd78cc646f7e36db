#pragma once

// The working state of one run of the window: what the window shows and keeps between the
// operator's actions, and what the output is built from. BulkPaymentDialog owns it and takes the
// results of the scan into it.

#include "fileio/FileSystem.h"
#include "processing/ControlData.h"
#include "processing/DateTime.h"
#include "settings/Settings.h"

#include <optional>
#include <string>
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

    std::string rowMessages;  // of the last scan, each ending in "<BR>"
    std::string acceptedLines;
    bool filePrepared = false;
    bool fileInvalid = true;

    // Which file on disk the last successful scan read; a prepare writes only over that one.
    std::string scannedPath;
    std::optional<fileio::FileStamp> scannedStamp;
};

// The format at a position of the payment-type list; nullptr for no selection (-1) or a
// position past the end.
const settings::FormatDefinition* formatAt(const WorkingState& state, int position);

}  // namespace velcor::processing
