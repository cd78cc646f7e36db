#include "processing/RowChecker.h"

#include "checks/Iban.h"
#include "checks/PersonalIds.h"
#include "checks/WeightTable.h"
#include "processing/Amount.h"
#include "processing/BudgetUnitCode.h"
#include "processing/ByteSearch.h"
#include "processing/CheckText.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kNoDelimiter = "Няма разделител (%c)  на ред: %lld<BR>"_cp;
constexpr auto kBicMismatch = "BIC за банка, различна от банката на IBAN  на ред: %lld<BR>"_cp;
constexpr auto kWrongIban = "Грешен IBAN( %s ) на ред: %lld<BR>"_cp;
constexpr auto kWrongEgn = "Грешен ЕГН  на ред: %lld<BR>"_cp;
constexpr auto kWrongBulstat = "Грешен БУЛСТАТ  на ред: %lld<BR>"_cp;
constexpr auto kZeroSum = "Нулева сума на ред: %lld<BR>"_cp;
constexpr auto kNoBudgetCode = "Липсва код за плащане на бюджетна сметка на ред: %lld<BR>"_cp;
constexpr auto kNoSebraCode = "Липсва код за плащане СЕБРА на ред: %lld<BR>"_cp;

constexpr auto kInvalidSum = "Невалидна сума на ред: %lld<BR>"_cp;

constexpr std::string_view kPaymentPrefix = "PAYMENT";
constexpr std::string_view kPaymentSebra = "PAYMENT_SEBRA";

// The bank code of an IBAN (its 5th to 8th bytes) against the first four bytes of a BIC. Values
// too short to hold them do not match.
bool bicMatchesIban(std::string_view bic, std::string_view iban) {
    return bic.size() >= 4 && iban.size() >= 8 && bic.substr(0, 4) == iban.substr(4, 4);
}

// The identifier checks take a value where it stands in its line. A NUL in it reads as a blank
// (see RowChecker::check): the IBAN and BULSTAT checks drop both alike, but the personal number
// weighs every byte, so a value holding one is checked as a copy with blanks. A value of a length
// no personal number has is refused for that alone, NUL or not.
bool egnPasses(std::string_view value) {
    if (checks::weightRowFor(value.size()) == nullptr ||
        std::find(value.begin(), value.end(), '\0') == value.end())
        return checks::CheckEgn(value);
    return checks::CheckEgn(CheckText(value).c_str());
}

}  // namespace

RowChecker::RowChecker(const settings::FormatDefinition* format, char delimiter)
    : format_(format), delimiter_(delimiter) {
    if (format_ == nullptr) return;
    const bool sebraType = settings::isSebraType(format_);
    fields_.reserve(format_->fields.size());
    for (const settings::FieldDefinition& definition : format_->fields) {
        Field field;
        field.name = text::upperLatin(definition.name);
        if (field.name == "SUM")
            field.kind = FieldKind::sum;
        else if (field.name == "IBAN")
            field.kind = FieldKind::iban;
        else if (field.name == "BIC")
            field.kind = FieldKind::bic;
        else if (field.name == "EGN")
            field.kind = FieldKind::egn;
        else if (field.name == "BULSTAT")
            field.kind = FieldKind::bulstat;
        field.start = definition.start;
        field.end = definition.end;

        const bool budget = field.name.starts_with(kPaymentPrefix);
        const bool sebra = sebraType && field.name == kPaymentSebra;
        if (budget || sebra) {
            // A repeated name shares the slot of its first definition, as it shares its entry.
            const auto same = std::find_if(fields_.begin(), fields_.end(),
                                           [&](const Field& f) { return f.name == field.name; });
            if (same != fields_.end()) {
                field.codeSlot = same->codeSlot;
            } else {
                field.codeSlot = paymentCodes_.size();
                paymentCodes_.push_back({fields_.size(), field.codeSlot, budget, sebra});
            }
        }
        fields_.push_back(std::move(field));
    }
    // The record's table visits its chains upwards and, within a chain, the name added last
    // first; a row adds its payment codes in the order of their first definitions.
    std::stable_sort(
        paymentCodes_.begin(), paymentCodes_.end(),
        [&](const PaymentCode& a, const PaymentCode& b) {
            const std::size_t chainA = FieldValues::chainOf(fields_[a.firstField].name);
            const std::size_t chainB = FieldValues::chainOf(fields_[b.firstField].name);
            return chainA != chainB ? chainA < chainB : a.firstField > b.firstField;
        });
    fieldValues_.resize(fields_.size());
    codeValues_.resize(paymentCodes_.size());
}

void RowChecker::check(std::string_view line, std::int64_t rowNumber, Cents& totalSum,
                       RowMessages& messages) {
    rowNumber_ = rowNumber;
    budgetAccount_ = false;
    iban_.reset();
    bic_.reset();

    // How many definitions, from the first, the row reached.
    std::size_t reached = 0;
    const std::size_t count = fields_.size();
    if (format_ != nullptr && format_->delimited) {
        const std::string_view row = text::trimWhitespace(line);
        std::size_t p = 0;
        for (; reached < count && p <= row.size(); ++reached) {
            std::string_view value;
            const std::size_t k = findByte(row, delimiter_, p);
            if (k != std::string_view::npos) {
                value = row.substr(p, k - p);
                p = k + 1;
            } else {
                value = row.substr(p);
                p = row.size() + 1;
                if (reached == 0)
                    messages.addFormatted(kNoDelimiter.c_str(), delimiter_,
                                          static_cast<long long>(rowNumber_));
            }
            store(reached, text::trimWhitespace(value), totalSum, messages);
        }
    } else if (format_ != nullptr) {
        const auto length = static_cast<long long>(line.size());
        for (; reached < count; ++reached) {
            const Field& field = fields_[reached];
            if (field.end - field.start + 1 <= 0 || field.end > length) break;
            // A start below column 1 reads from column 1: nothing in front of the row is read.
            const long long first = std::max(field.start, 1LL);
            const long long size = std::max(field.end - first + 1, 0LL);
            store(reached,
                  text::trimWhitespace(line.substr(static_cast<std::size_t>(first - 1),
                                                   static_cast<std::size_t>(size))),
                  totalSum, messages);
        }
    }
    reached_ = reached;
    // A row that ends before its account or its amount is no payment: those fields are checked
    // as present and empty, so the row cannot pass without them. Other fields stay absent.
    for (std::size_t i = reached; i < count; ++i) {
        const FieldKind kind = fields_[i].kind;
        if (kind == FieldKind::iban || kind == FieldKind::sum) store(i, {}, totalSum, messages);
    }
    if (!paymentCodes_.empty()) checkRecord(messages);
}

PaymentRecord RowChecker::record() const {
    PaymentRecord record;
    record.budgetAccount = budgetAccount_;
    record.rowNumber = rowNumber_;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const FieldKind kind = fields_[i].kind;
        if (i < reached_ || kind == FieldKind::iban || kind == FieldKind::sum)
            record.values.set(fields_[i].name, fieldValues_[i]);
    }
    return record;
}

// Stores the value of definition `index` and runs the checks of its name.
void RowChecker::store(std::size_t index, std::string_view value, Cents& totalSum,
                       RowMessages& messages) {
    const Field& field = fields_[index];
    fieldValues_[index] = value;
    if (field.codeSlot != kNoSlot) codeValues_[field.codeSlot] = value;
    if (field.kind != FieldKind::other) checkField(field, value, totalSum, messages);
}

void RowChecker::checkField(const Field& field, std::string_view value, Cents& totalSum,
                            RowMessages& messages) {
    const auto row = static_cast<long long>(rowNumber_);
    switch (field.kind) {
        case FieldKind::bic:
            bic_ = value;
            if (iban_ && !bicMatchesIban(value, *iban_))
                messages.addFormatted(kBicMismatch.c_str(), row);
            break;
        case FieldKind::iban: {
            iban_ = value;
            // CheckIban writes its reason whenever it refuses; the buffer is read only then.
            char reason[kReasonBufferSize];
            reason[0] = '\0';
            if (!checks::CheckIban(value, reason, sizeof reason))
                messages.addFormatted(kWrongIban.c_str(), reason, row);
            if (bic_ && !bicMatchesIban(*bic_, value))
                messages.addFormatted(kBicMismatch.c_str(), row);
            // A row's IBAN needs a 14th character as well; the payer's needs only the 13th.
            if (value.size() > 13 && hasBudgetAccountDigit(value)) budgetAccount_ = true;
            break;
        }
        case FieldKind::egn:
            if (!value.empty() && !egnPasses(value)) messages.addFormatted(kWrongEgn.c_str(), row);
            break;
        case FieldKind::bulstat:
            if (!value.empty() && !checks::CheckBulstat(value))
                messages.addFormatted(kWrongBulstat.c_str(), row);
            break;
        case FieldKind::sum: {
            const AmountReading amount = readAmount(value);
            // An amount the total cannot take any more is refused like a malformed one.
            constexpr Cents kMax = std::numeric_limits<Cents>::max();
            constexpr Cents kMin = std::numeric_limits<Cents>::min();
            const bool overflows =
                amount.cents > 0 ? totalSum > kMax - amount.cents : totalSum < kMin - amount.cents;
            if (amount.kind == AmountReading::Kind::invalid || overflows)
                messages.addFormatted(kInvalidSum.c_str(), row);
            else if (amount.cents == 0)
                messages.addFormatted(kZeroSum.c_str(), row);
            else
                totalSum += amount.cents;
            break;
        }
        case FieldKind::other:
            break;
    }
}

void RowChecker::checkRecord(RowMessages& messages) {
    const auto row = static_cast<long long>(rowNumber_);
    for (const PaymentCode& code : paymentCodes_) {
        if (code.firstField >= reached_ || !codeValues_[code.slot].empty()) continue;
        if (code.budget && budgetAccount_) messages.addFormatted(kNoBudgetCode.c_str(), row);
        if (code.sebra) messages.addFormatted(kNoSebraCode.c_str(), row);
    }
}

}  // namespace velcor::processing
