#pragma once

// The values of the SEPA export that the window logic, its hosts and its outcome share.

#include "output/SepaExport.h"

#include "processing/DateTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::session {

// A row's name as the list holds it and as the SEPA file sends it, and its text as sent (all
// Windows-1251); whether the name or the text lost its end at the rules' length; its creditor
// reference as sent, and whether that kept its text out of the file.
struct SepaName {
    std::int64_t row = 0;
    std::string written;
    std::string sent;
    std::string remittance;
    bool nameCut = false;
    bool remittanceCut = false;
    std::string reference;
    bool remittanceDropped = false;
    friend bool operator==(const SepaName&, const SepaName&) = default;
};

// What the operator answered the export's dialog with: the file's choices and where it goes.
struct SepaExportAnswer {
    output::SepaChoices choices;
    std::string path;  // Windows-1251
};

// What the operator confirms before a SEPA file is written, as a bank's page shows a payment:
// the debtor's account, the value date, the number and total of the transactions (in euro), the
// file's version and category purpose.
struct SepaConfirmation {
    std::string debtorIban;
    processing::LocalDateTime valueDate;
    std::int64_t count = 0;
    processing::Cents total = 0;
    output::SepaChoices choices;
};

// What the SEPA export showed and wrote.
struct SepaOutcome {
    // Once the rows were read: every row's names for a list of up to a thousand rows; beyond,
    // only those whose sent name lost characters, at most a thousand, and how many were left out.
    std::vector<SepaName> names;
    std::int64_t namesLeftOut = 0;
    std::int64_t cutsLeftOut = 0;     // of those left out, the rows whose name or text was cut
    std::int64_t droppedLeftOut = 0;  // and those whose text a creditor reference kept out
    // Of those left out, the rows whose name or text is sent as more than its letters in Latin.
    std::int64_t changedLeftOut = 0;
    // Once written: the file, its version, and its number of transactions and control sum.
    std::optional<std::string> path;
    output::PainVersion version = output::PainVersion::v09;
    std::int64_t count = 0;
    processing::Cents total = 0;
};

}  // namespace velcor::session
