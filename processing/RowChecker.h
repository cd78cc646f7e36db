#pragma once

// Reading one row of a payment list by its format and checking it as it is read.

#include "processing/Amount.h"
#include "processing/BudgetRules.h"
#include "processing/PaymentRecord.h"
#include "processing/RowFindings.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::processing {

// Whether `line` is a blank line of a list read with `format` and `delimiter`, which is no row: it
// holds nothing but blanks, TABs and line ends, or, in a delimited list (or one read with no
// format), delimiters as well: spreadsheets write such rows below their data for cells that are
// only formatted.
bool isBlankLine(std::string_view line, const settings::FormatDefinition* format, char delimiter);

// Prepares a format once for many rows: the scan calls check() for every row of a list, so the
// upper-cased field names, their kinds and the order in which the row checks visit the payment
// codes are worked out once, and a row fills no table of its own. The format must outlive the
// checker.
class RowChecker {
  public:
    // nullptr: no payment type selected; rows are then read with no fields and nothing is checked.
    // A delimited format's rows are split at `delimiter`. Rows to the budget are checked by
    // `budgetRules`.
    RowChecker(const settings::FormatDefinition* format, char delimiter,
               BudgetRules budgetRules = BudgetRules::before2023);

    // Reads `line` (with its LF, if it had one) as row `rowNumber` and runs the field and row
    // checks: accepted amounts are added to `totalSum`, findings to `findings`. A row holding a
    // control byte, or a fixed-length row that does not span its layout exactly, is refused for
    // that first; its fields are still read and checked, so that everything wrong shows at once.
    void check(std::string_view line, std::int64_t rowNumber, Cents& totalSum,
               RowFindings& findings);

    // The record of the last row checked, made on request (the scan never asks for it); its
    // values view that row's text.
    PaymentRecord record() const;
    // The same into `record`, whose storage is reused: a scan that hands every row's record on
    // allocates nothing per row once the record has grown.
    void fillRecord(PaymentRecord& record) const;

    // Gives the findings kept from position `from` on the payee name, IBAN and amount of the row
    // last checked, while that row's text still lives. check() does so for its own findings.
    void describeRow(RowFindings& findings, std::size_t from) const;

    // Whether the row last checked pays to an account of the budget (8 at position 13).
    bool budgetAccount() const { return budgetAccount_; }

  private:
    static constexpr std::size_t kNoSlot = static_cast<std::size_t>(-1);
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

    enum class FieldKind { other, sum, iban, bic, egn, bulstat };
    struct Field {
        std::string name;  // upper case
        FieldKind kind = FieldKind::other;
        long long start = 0;
        long long end = 0;
        std::size_t column = 0;  // read by column number: the 0-based column of a delimited row
        std::size_t codeSlot = kNoSlot;      // a payment code's place in codeValues_
        std::size_t previousOfName = kNone;  // the definition of the same name before this one
        // A row that ends before this field is still checked as if it held it empty: an account,
        // an amount or a payment code cannot be left out by cutting the row short.
        bool neededWhenMissing = false;
    };
    // A payment code the row checks look at: the first definition of its name, its value's slot
    // and which of the two row checks it is subject to.
    struct PaymentCode {
        std::size_t firstField = 0;
        std::size_t slot = 0;
        std::size_t chain = 0;  // of the record's table (FieldValues::chainOf)
        bool budget = false;    // the name begins with PAYMENT
        bool sebra = false;     // the name is PAYMENT_SEBRA in an "SB" list
    };

    void store(std::size_t index, std::string_view value, Cents& totalSum, RowFindings& findings);
    void checkField(const Field& field, std::string_view value, Cents& totalSum,
                    RowFindings& findings);
    void checkRecord(RowFindings& findings);
    // Whether definition `index` is filled in empty when the row holds no value for it: once
    // per name.
    bool filledWhenMissing(std::size_t index) const;
    // Whether the record holds definition `index`: read from the row or filled in empty.
    bool inRecord(std::size_t index) const {
        return present_[index] != 0 || filledWhenMissing(index);
    }
    // Each reads the row's fields and returns the first definition the row may lack: those
    // before it were all read.
    std::size_t readDelimited(std::string_view line, Cents& totalSum, RowFindings& findings);
    std::size_t readFixedLength(std::string_view line, Cents& totalSum, RowFindings& findings);
    // The row checks of a row to the budget under the rules from 1 October 2023: the obligor's
    // identifier, and a payment code only on an account with "84" at positions 13-14.
    void checkBudgetPayment(RowFindings& findings);
    // Whether an EGN or BULSTAT value is left to the obligor's check: a foreigner's number under
    // the rules that take one.
    bool obligorsForeignerNumber(std::string_view value) const;
    // Whether a fixed-length row spans its layout so that every amount reads as written;
    // otherwise adds the message that says how it differs.
    bool widthFits(std::string_view line, RowFindings& findings);
    // The value of the last of `definitions` that the row holds; empty when it holds none.
    std::string_view lastValue(const std::vector<std::size_t>& definitions) const;

    const settings::FormatDefinition* format_;
    char delimiter_;
    BudgetRules budgetRules_;
    std::vector<Field> fields_;
    // A delimited format whose fields name their columns, rather than taking them in line order.
    bool byColumnNumber_ = false;
    // A fixed-length layout's width: the last column any field reaches.
    long long width_ = 0;
    // The payment codes in the order in which the record's table visits them (see FieldValues):
    // a row visits those among the definitions it reached.
    std::vector<PaymentCode> paymentCodes_;
    // The definitions of the values a finding names its row by, in order.
    std::vector<std::size_t> nameFields_;
    std::vector<std::size_t> ibanFields_;
    std::vector<std::size_t> sumFields_;
    // The definitions the obligor's identifier is read from.
    std::vector<std::size_t> egnFields_;
    std::vector<std::size_t> bulstatFields_;

    // The row being checked: the values read so far, by definition and by payment code, which
    // definitions it holds, its columns (read by column number), its BIC (one of the BIC form),
    // and its IBAN's start with the bank code and the budget-account digit as the IBAN check
    // reads them (upper case, blanks, dashes and the like left out).
    std::vector<std::string_view> fieldValues_;
    std::vector<std::string_view> codeValues_;
    std::vector<char> present_;
    std::vector<std::string_view> columns_;
    std::int64_t rowNumber_ = 0;
    bool budgetAccount_ = false;
    bool widthRefused_ = false;  // its amounts are not added to the total
    bool hasIban_ = false;
    char ibanStart_[14] = {};
    std::size_t ibanStartLength_ = 0;
    std::optional<std::string_view> bic_;
};

}  // namespace velcor::processing
