#pragma once

// The words a bank's status report is told in (Windows-1251), the same for the window and for
// velcor-cli: why a report could not be read, each payment not accepted, each mismatch, and what
// became of the list of the rejected rows.

#include "output/StatusReport.h"

#include <string>
#include <string_view>

namespace velcor::session {

// Why the report at `path` could not be read; empty when it was.
std::string statusErrorText(const output::StatusReport& report, std::string_view path);
// "приет", "отхвърлен", "частично приет", "в обработка", "неизвестно".
std::string_view paymentStateText(output::PaymentState state);
// The code with its Bulgarian text: "RJCT отхвърлен"; an empty code is the state's word.
std::string statusCodeText(std::string_view code, output::PaymentState state);
// A reason code with its Bulgarian text: "AC01 грешен номер на сметка".
std::string reasonText(std::string_view code);
// The group's line: "Състояние на файла: ...".
std::string groupStatusLine(const output::StatusReport& report);
// One payment not accepted: its row, payee, IBAN, amount, status, reasons and the bank's text.
std::string paymentStatusText(const output::PaymentStatusLine& line);
std::string mismatchText(const output::StatusMismatch& mismatch);
// What became of the rejected list at `path`; empty when none was asked for.
std::string rejectedListText(const output::StatusReport& report, std::string_view path);
// "отхвърлени" and the like: the counts of the export's payments by state.
std::string statusCountsText(const output::StatusReport& report);

}  // namespace velcor::session
