#include "processing/RowChecker.h"

#include "checks/Iban.h"
#include "checks/PersonalIds.h"
#include "processing/Amount.h"
#include "processing/BudgetUnitCode.h"
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

}  // namespace

RowChecker::RowChecker(const settings::FormatDefinition* format, char delimiter)
    : format_(format), delimiter_(delimiter) {
    if (format_ == nullptr) return;
    sebra_ = settings::isSebraType(format_);
    fields_.reserve(format_->fields.size());
    for (const settings::FieldDefinition& definition : format_->fields) {
        Field field;
        field.name = text::upperLatin(definition.name);
        field.chain = FieldValues::chainOf(field.name);
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
        fields_.push_back(std::move(field));
    }
}

void RowChecker::check(std::string_view line, std::int64_t rowNumber, Cents& totalSum,
                       RowMessages& messages) {
    record_.values.clear();
    record_.budgetAccount = false;
    record_.rowNumber = rowNumber;

    // How many definitions, from the first, the row reached.
    std::size_t reached = 0;
    if (format_ != nullptr && format_->delimited) {
        const std::string_view row = text::trimWhitespace(line);
        std::size_t p = 0;
        for (; reached < fields_.size() && p <= row.size(); ++reached) {
            std::string_view value;
            const std::size_t k = row.find(delimiter_, p);
            if (k != std::string_view::npos) {
                value = row.substr(p, k - p);
                p = k + 1;
            } else {
                value = row.substr(p);
                p = row.size() + 1;
                if (reached == 0)
                    messages.add(text::format(kNoDelimiter.c_str(), delimiter_,
                                              static_cast<long long>(record_.rowNumber)));
            }
            value = text::trimWhitespace(value);
            const Field& field = fields_[reached];
            record_.values.set(field.name, field.chain, value);
            checkField(field, value, totalSum, messages);
        }
    } else if (format_ != nullptr) {
        const auto length = static_cast<long long>(line.size());
        for (; reached < fields_.size(); ++reached) {
            const Field& field = fields_[reached];
            if (field.end - field.start + 1 <= 0 || field.end > length) break;
            // A start below column 1 reads from column 1: nothing in front of the row is read.
            const long long first = std::max(field.start, 1LL);
            const long long size = std::max(field.end - first + 1, 0LL);
            const std::string_view value = text::trimWhitespace(
                line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(size)));
            record_.values.set(field.name, field.chain, value);
            checkField(field, value, totalSum, messages);
        }
    }
    // A row that ends before its account or its amount is no payment: those fields are checked
    // as present and empty, so the row cannot pass without them. Other fields stay absent.
    for (; reached < fields_.size(); ++reached) {
        const Field& field = fields_[reached];
        if (field.kind != FieldKind::iban && field.kind != FieldKind::sum) continue;
        record_.values.set(field.name, field.chain, {});
        checkField(field, {}, totalSum, messages);
    }
    checkRecord(messages);
}

void RowChecker::checkField(const Field& field, std::string_view value, Cents& totalSum,
                            RowMessages& messages) {
    const auto row = static_cast<long long>(record_.rowNumber);
    switch (field.kind) {
        case FieldKind::bic: {
            const std::string_view* iban = record_.values.find("IBAN");
            if (iban != nullptr && !bicMatchesIban(value, *iban))
                messages.add(text::format(kBicMismatch.c_str(), row));
            break;
        }
        case FieldKind::iban: {
            char reason[kReasonBufferSize] = {};
            if (!checks::CheckIban(CheckText(value).c_str(), reason, sizeof reason))
                messages.add(text::format(kWrongIban.c_str(), reason, row));
            const std::string_view* bic = record_.values.find("BIC");
            if (bic != nullptr && !bicMatchesIban(*bic, value))
                messages.add(text::format(kBicMismatch.c_str(), row));
            // A row's IBAN needs a 14th character as well; the payer's needs only the 13th.
            if (value.size() > 13 && hasBudgetAccountDigit(value)) record_.budgetAccount = true;
            break;
        }
        case FieldKind::egn:
            if (!value.empty() && !checks::CheckEgn(CheckText(value).c_str()))
                messages.add(text::format(kWrongEgn.c_str(), row));
            break;
        case FieldKind::bulstat:
            if (!value.empty() && !checks::CheckBulstat(CheckText(value).c_str()))
                messages.add(text::format(kWrongBulstat.c_str(), row));
            break;
        case FieldKind::sum: {
            const AmountReading amount = readAmount(value);
            // An amount the total cannot take any more is refused like a malformed one.
            constexpr Cents kMax = std::numeric_limits<Cents>::max();
            constexpr Cents kMin = std::numeric_limits<Cents>::min();
            const bool overflows =
                amount.cents > 0 ? totalSum > kMax - amount.cents : totalSum < kMin - amount.cents;
            if (amount.kind == AmountReading::Kind::invalid || overflows)
                messages.add(text::format(kInvalidSum.c_str(), row));
            else if (amount.cents == 0)
                messages.add(text::format(kZeroSum.c_str(), row));
            else
                totalSum += amount.cents;
            break;
        }
        case FieldKind::other:
            break;
    }
}

void RowChecker::checkRecord(RowMessages& messages) {
    const auto row = static_cast<long long>(record_.rowNumber);
    record_.values.forEach([&](std::string_view name, std::string_view value) {
        if (!value.empty()) return;
        if (record_.budgetAccount && name.substr(0, kPaymentPrefix.size()) == kPaymentPrefix)
            messages.add(text::format(kNoBudgetCode.c_str(), row));
        if (sebra_ && name == kPaymentSebra) messages.add(text::format(kNoSebraCode.c_str(), row));
    });
}

}  // namespace velcor::processing
