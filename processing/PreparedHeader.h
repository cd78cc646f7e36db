#pragma once

// The header line of a prepared list: what its reader takes from it, and how those values reach
// the working state.

#include "processing/WorkingState.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::processing {

// The value date as the header states it.
struct HeaderDate {
    int day = 0;
    int month = 0;
    int year = 0;
    bool valid = false;  // day, month and year form a date
};

// A header value whose check refused it; the reading stops there.
enum class HeaderRefusal { none, payerIban, budgetUnitCode };

// The values of a header as far as the line holds them: each is there once the semicolon behind
// it has been found. Values from the payer IBAN on are trimmed.
struct PreparedHeader {
    bool sebra = false;                    // bytes 4 and 5 of the line are "SB": the budget layout
    std::optional<HeaderDate> date;        // there when the date value has exactly eight characters
    std::optional<std::string> payerIban;  // standard layout
    std::optional<std::string> payerBic;   // budget layout
    std::optional<std::string> paymentKindCode;  // standard layout
    std::optional<std::string> budgetUnitCode;   // budget layout
    std::optional<std::string> payerName;        // MIK letters raised into Windows-1251
    std::optional<std::string> totalText;
    std::optional<std::string> countText;
    std::optional<std::string> controlCodeText;
    // Every value up to the control code was read: the list counts as a prepared one.
    bool complete = false;
    HeaderRefusal refusal = HeaderRefusal::none;
    std::string ibanReason;  // a refused payer IBAN: the reason the IBAN check gave
};

// Reads the first line of a list that begins with "OMP".
PreparedHeader readPreparedHeader(std::string_view line);

// Takes what the header holds into the state: payer values, value date and the header's control
// data texts; a complete header marks the list as prepared. Values the header does not hold stay
// as they are.
void takeHeaderInto(const PreparedHeader& header, WorkingState& state);

}  // namespace velcor::processing
