#pragma once

// The state of one list session: what the operator chose and what was found, kept between the
// operator's actions. ListSession owns it, takes the results of the scan into it, and hands the
// output small values made from it.

#include "fileio/FileSystem.h"
#include "output/PreparedFile.h"
#include "processing/BudgetRules.h"
#include "processing/ControlData.h"
#include "processing/DateTime.h"
#include "processing/RowFindings.h"
#include "session/PayerValues.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velcor::session {

struct ListState : processing::ControlData {
    std::vector<settings::FormatDefinition> formats;
    settings::ClientData clientData;  // the flags decide whether closing may save
    std::string iniRemainder;

    // The selected entry of the payment-type list, -1 for none: the position in `formats`.
    int paymentType = -1;

    std::string inputPath;
    processing::LocalDateTime paymentDate = processing::currentLocalDateTime();
    std::string payerIban;
    std::string payerBic;
    std::string payerName;
    std::string paymentKindCode;
    std::string budgetUnitCode;
    std::string delimiterText;
    // Which rules the rows to the budget are checked by: the operator's choice.
    processing::BudgetRules budgetRules = processing::BudgetRules::before2023;

    processing::RowFindings rowFindings;  // of the last scan
    std::int64_t budgetRows = 0;          // its rows to accounts of the budget
    std::string rowFindingsPath;          // the list they were found in
    bool filePrepared = false;
    // The chosen list was read to its end, agreed with its header and raised no finding: only
    // such a list is written.
    bool fileValid = false;

    // Which file on disk the last successful scan read; a prepare writes only over that one.
    std::string scannedPath;
    std::optional<fileio::FileStamp> scannedStamp;
};

// The format at a position of the payment-type list; nullptr for no selection (-1) or a
// position past the end.
const settings::FormatDefinition* formatAt(const ListState& state, int position);

// Windows-1251: the line that says that later rules for payments to the budget exist than those
// the list open, holding rows to the budget, was checked by, for its value date; nothing when
// none do.
std::optional<std::string> budgetRulesHint(const ListState& state);
// The same for the value date `valueDate`, as a window shows it before it is taken over.
std::optional<std::string> budgetRulesHint(const ListState& state,
                                           const processing::LocalDateTime& valueDate);

// The payer's values as the header of a prepared list carries them.
processing::PayerData payerOf(const ListState& state);

// The payer's values as the operator gives them, and back.
PayerValues payerValuesOf(const ListState& state);
void setPayerValues(ListState& state, const PayerValues& values);

}  // namespace velcor::session
