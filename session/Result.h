#pragma once

// What one operation of a list session led to, as values: the window shows it, velcor-cli prints
// it. Nothing here knows a screen.

#include "output/ProcessingReport.h"
#include "processing/ControlData.h"
#include "processing/RowFindings.h"
#include "session/Messages.h"
#include "session/PayerValues.h"
#include "session/SepaValues.h"
#include "session/ValueDateWarning.h"

#include <cstddef>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace velcor::session {

enum class ResultKind {
    ok,         // the operation did what it asks
    refused,    // a rule or a check said no: nothing was written
    failed,     // the system could not read or write a file (cause says why)
    cancelled,  // the operator stopped it: everything stands as it did before
};

// Where the operator's attention goes after a refusal: the value to correct.
enum class Focus { none, payerValue, valueDate };

struct Result {
    ResultKind kind = ResultKind::refused;
    bool done() const { return kind == ResultKind::ok; }
    bool cancelled() const { return kind == ResultKind::cancelled; }

    // The operator's messages, in order.
    std::vector<ShownMessage> messages;
    // The row findings to show, and how many of the messages come before them.
    std::optional<processing::RowFindings> findings;
    std::size_t messagesBeforeFindings = 0;

    // A file the operation could not read or write, and why, as the system said it.
    std::error_code cause;
    std::string causePath;  // Windows-1251; empty when the cause names none of its own

    // The value that made the operation refuse, for the operator to correct.
    Focus focus = Focus::none;
    PayerField focusField = PayerField::iban;

    // The processing report and what it states.
    std::optional<std::string> report;
    std::optional<output::ReportFields> reportFields;
    // The SEPA export's names of the rows and the file it wrote.
    std::optional<SepaOutcome> sepa;
    // A value date the bank may refuse: asked about (the window), warned about (velcor-cli).
    std::optional<ValueDateWarning> valueDateWarning;

    // The control data the scan counted, to be shown although the list then failed on its rows;
    // nothing when the scan did not get as far as counting them all.
    std::optional<processing::ControlData> counted;

    // After the operation: the list's control data (numbers and texts) and its state.
    processing::ControlData controlData;
    bool fileValid = false;
    bool filePrepared = false;
};

}  // namespace velcor::session
