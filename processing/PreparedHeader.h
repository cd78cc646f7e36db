#pragma once

// The header line of a prepared list: what its reader takes from it.

#include "processing/ControlData.h"
#include "processing/DateTime.h"
#include "settings/Settings.h"

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

// Why a first line that begins with "OMP" is refused: a header value its check refuses (the
// reading stops there), or a line that does not read whole as either layout. A bank takes any
// such line for a header, so it is never read as a row either.
enum class HeaderRefusal { none, payerIban, budgetUnitCode, notAHeader };

// The values of a header as far as the line holds them: each is there once the semicolon behind
// it has been found. Values from the payer IBAN on are trimmed.
struct PreparedHeader {
    bool sebra = false;                    // bytes 4 and 5 of the line are "SB": the budget layout
    std::optional<HeaderDate> date;        // there when the date value has exactly eight characters
    std::optional<std::string> payerIban;  // standard layout
    std::optional<std::string> payerBic;   // budget layout
    std::optional<std::string> paymentKindCode;  // standard layout
    std::optional<std::string> budgetUnitCode;   // budget layout
    std::optional<std::string> payerName;        // a name in MIK raised into Windows-1251
    std::optional<std::string> totalText;
    std::optional<std::string> countText;
    std::optional<std::string> controlCodeText;
    // Every value up to the control code was read, each of its layout's shape: the list counts
    // as a prepared one. Otherwise `refusal` says why not.
    bool complete = false;
    HeaderRefusal refusal = HeaderRefusal::none;
    std::string ibanReason;  // a refused payer IBAN: the reason the IBAN check gave
};

// Reads the first line of a list that begins with "OMP". It is a header only when it reads whole
// as one of the two layouts: "OMP" and a two-character type, a valid date of eight digits, the
// payer's values (a valid IBAN, or an eight-character BIC and a valid budget-unit code), a name,
// the total with two decimals, the count and the eight-digit control code, and no control byte.
PreparedHeader readPreparedHeader(std::string_view line);

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
std::string buildHeaderLine(const PayerData& payer, const LocalDateTime& date,
                            const ControlData& data, const settings::FormatDefinition* format);

// The last check before a header is written: whether `header` (ending CR LF) comes back as one
// whole line when the list is read in text mode, and this reader takes from it the value date
// `date` and the control data as their texts stand in `data`. A value that slipped a ";", a line
// break or an end-of-file byte into the header fails here.
bool headerReadsBack(std::string_view header, const LocalDateTime& date, const ControlData& data);

}  // namespace velcor::processing
