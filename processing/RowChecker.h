#pragma once

// Reading one row of a payment list by its format and checking it as it is read.

#include "processing/Amount.h"
#include "processing/PaymentRecord.h"
#include "processing/RowMessages.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::processing {

// Prepares a format once for many rows: the scan calls check() for every row of a list, so the
// upper-cased field names, their kinds and the order in which the row checks visit the payment
// codes are worked out once, and a row fills no table of its own. The format must outlive the
// checker.
class RowChecker {
  public:
    // nullptr: no payment type selected; rows are then read with no fields and nothing is checked.
    // A delimited format's rows are split at `delimiter`.
    RowChecker(const settings::FormatDefinition* format, char delimiter);

    // Reads `line` (with its LF, if it had one) as row `rowNumber` and runs the field and row
    // checks: accepted amounts are added to `totalSum`, findings to `messages`. A NUL byte is an
    // ordinary byte of the row: it stays in the values, and the identifier checks see it as a
    // blank, so nothing behind it escapes them.
    void check(std::string_view line, std::int64_t rowNumber, Cents& totalSum,
               RowMessages& messages);

    // The record of the last row checked, made on request (the scan never asks for it); its
    // values view that row's text.
    PaymentRecord record() const;

  private:
    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);

    enum class FieldKind { other, sum, iban, bic, egn, bulstat };
    struct Field {
        std::string name;  // upper case
        FieldKind kind = FieldKind::other;
        long long start = 0;
        long long end = 0;
        std::size_t codeSlot = kNoSlot;  // a payment code's place in codeValues_
    };
    // A payment code the row checks look at: the first definition of its name, its value's slot
    // and which of the two row checks it is subject to.
    struct PaymentCode {
        std::size_t firstField = 0;
        std::size_t slot = 0;
        bool budget = false;  // the name begins with PAYMENT
        bool sebra = false;   // the name is PAYMENT_SEBRA in an "SB" list
    };

    void store(std::size_t index, std::string_view value, Cents& totalSum, RowMessages& messages);
    void checkField(const Field& field, std::string_view value, Cents& totalSum,
                    RowMessages& messages);
    void checkRecord(RowMessages& messages);

    const settings::FormatDefinition* format_;
    char delimiter_;
    std::vector<Field> fields_;
    // The payment codes in the order in which the record's table visits them (see FieldValues):
    // a row visits those among the definitions it reached.
    std::vector<PaymentCode> paymentCodes_;

    // The row being checked: the values read so far, by definition and by payment code, how many
    // definitions it reached, and its IBAN and BIC when it has them.
    std::vector<std::string_view> fieldValues_;
    std::vector<std::string_view> codeValues_;
    std::size_t reached_ = 0;
    std::int64_t rowNumber_ = 0;
    bool budgetAccount_ = false;
    std::optional<std::string_view> iban_;
    std::optional<std::string_view> bic_;
};

}  // namespace velcor::processing
