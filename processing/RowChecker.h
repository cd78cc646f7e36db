#pragma once

// Reading one row of a payment list by its format and checking it as it is read.

#include "processing/Amount.h"
#include "processing/PaymentRecord.h"
#include "processing/RowMessages.h"
#include "settings/Settings.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::processing {

// Prepares a format once for many rows: the scan calls check() for every row of a list, so the
// upper-cased field names and their kinds are worked out once and the record's storage is reused.
// The format must outlive the checker.
class RowChecker {
  public:
    // nullptr: no payment type selected; rows are then read with no fields and nothing is checked.
    // A delimited format's rows are split at `delimiter`.
    RowChecker(const settings::FormatDefinition* format, char delimiter);

    // Reads `line` (with its LF, if it had one) as row `rowNumber` and runs the field and row
    // checks: accepted amounts are added to `totalSum`, findings to `messages`. A NUL byte is an
    // ordinary byte of the row: it stays in the values, and the identifier checks, which take
    // zero-terminated text, see it as a blank, so nothing behind it escapes them.
    void check(std::string_view line, std::int64_t rowNumber, Cents& totalSum,
               RowMessages& messages);

    // The record of the last row checked; its values view that row's text.
    const PaymentRecord& record() const { return record_; }

  private:
    enum class FieldKind { other, sum, iban, bic, egn, bulstat };
    struct Field {
        std::string name;       // upper case
        std::size_t chain = 0;  // of the name in the record's table
        FieldKind kind = FieldKind::other;
        long long start = 0;
        long long end = 0;
    };

    void checkField(const Field& field, std::string_view value, Cents& totalSum,
                    RowMessages& messages);
    void checkRecord(RowMessages& messages);

    const settings::FormatDefinition* format_;
    char delimiter_;
    std::vector<Field> fields_;
    bool sebra_ = false;  // the payment type is exactly "SB"
    PaymentRecord record_;
};

}  // namespace velcor::processing
