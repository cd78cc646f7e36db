#include "processing/RowChecker.h"

#include "checks/Iban.h"
#include "checks/PersonalIds.h"
#include "processing/Amount.h"
#include "processing/CheckText.h"
#include "processing/Scan.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kNoDelimiter = "Няма разделител (%c)  на ред: %d<BR>"_cp;
constexpr auto kBicMismatch = "BIC за банка, различна от банката на IBAN  на ред: %d<BR>"_cp;
constexpr auto kWrongIban = "Грешен IBAN( %s ) на ред: %d<BR>"_cp;
constexpr auto kWrongEgn = "Грешен ЕГН  на ред: %d<BR>"_cp;
constexpr auto kWrongBulstat = "Грешен БУЛСТАТ  на ред: %d<BR>"_cp;
constexpr auto kZeroSum = "Нулева сума на ред: %d<BR>"_cp;
constexpr auto kNoBudgetCode = "Липсва код за плащане на бюджетна сметка на ред: %d<BR>"_cp;
constexpr auto kNoSebraCode = "Липсва код за плащане СЕБРА на ред: %d<BR>"_cp;

constexpr std::string_view kPaymentPrefix = "PAYMENT";
constexpr std::string_view kPaymentSebra = "PAYMENT_SEBRA";

// The bank code of an IBAN (its 5th to 8th bytes) against the first four bytes of a BIC. Values
// too short to hold them do not match.
bool bicMatchesIban(std::string_view bic, std::string_view iban) {
    return bic.size() >= 4 && iban.size() >= 8 && bic.substr(0, 4) == iban.substr(4, 4);
}

}  // namespace

RowChecker::RowChecker(const settings::FormatDefinition* format) : format_(format) {
    if (format_ == nullptr) return;
    sebra_ = format_->name == "SB";
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

void RowChecker::check(std::string_view line, WorkingState& state) {
    record_.values.clear();
    record_.budgetAccount = false;
    record_.rowNumber = state.recordCount;

    if (format_ != nullptr && format_->delimited) {
        // A window that lost its delimiter text still splits at the format's own delimiter.
        const char delimiter =
            state.delimiterText.empty() ? format_->delimiter : state.delimiterText.front();
        const std::string_view row = text::trimWhitespace(line);
        std::size_t p = 0;
        bool columnTaken = false;
        for (const Field& field : fields_) {
            if (p > row.size()) break;
            std::string_view value;
            const std::size_t k = row.find(delimiter, p);
            if (k != std::string_view::npos) {
                value = row.substr(p, k - p);
                p = k + 1;
            } else {
                value = row.substr(p);
                p = row.size() + 1;
                if (!columnTaken)
                    state.rowMessages +=
                        text::format(kNoDelimiter.c_str(), delimiter, record_.rowNumber);
            }
            columnTaken = true;
            value = text::trimWhitespace(value);
            record_.values.set(field.name, field.chain, value);
            checkField(field, value, state);
        }
    } else if (format_ != nullptr) {
        const auto length = static_cast<long long>(line.size());
        for (const Field& field : fields_) {
            if (field.end - field.start + 1 <= 0 || field.end > length) break;
            // A start below column 1 reads from column 1: nothing in front of the row is read.
            const long long first = std::max(field.start, 1LL);
            const long long size = std::max(field.end - first + 1, 0LL);
            const std::string_view value = text::trimWhitespace(
                line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(size)));
            record_.values.set(field.name, field.chain, value);
            checkField(field, value, state);
        }
    }
    checkRecord(state);
}

void RowChecker::checkField(const Field& field, std::string_view value, WorkingState& state) {
    const int row = record_.rowNumber;
    switch (field.kind) {
        case FieldKind::bic: {
            const std::string_view* iban = record_.values.find("IBAN");
            if (iban != nullptr && !bicMatchesIban(value, *iban))
                state.rowMessages += text::format(kBicMismatch.c_str(), row);
            break;
        }
        case FieldKind::iban: {
            char reason[256] = {};
            if (!checks::CheckIban(CheckText(value).c_str(), reason, sizeof reason))
                state.rowMessages += text::format(kWrongIban.c_str(), reason, row);
            const std::string_view* bic = record_.values.find("BIC");
            if (bic != nullptr && !bicMatchesIban(*bic, value))
                state.rowMessages += text::format(kBicMismatch.c_str(), row);
            if (value.size() > 13 && value[12] == '8') record_.budgetAccount = true;
            break;
        }
        case FieldKind::egn:
            if (!value.empty() && !checks::CheckEgn(CheckText(value).c_str()))
                state.rowMessages += text::format(kWrongEgn.c_str(), row);
            break;
        case FieldKind::bulstat:
            if (!value.empty() && !checks::CheckBulstat(CheckText(value).c_str()))
                state.rowMessages += text::format(kWrongBulstat.c_str(), row);
            break;
        case FieldKind::sum: {
            const double amount = readAmount(value);
            // "nan", "inf" or an amount that makes the total overflow is no amount: like a text
            // without a number it is refused, so that no header ever carries "inf" or "nan".
            if (!std::isfinite(amount) || !std::isfinite(state.totalSum + amount) ||
                std::fabs(amount) < 0.000001)
                state.rowMessages += text::format(kZeroSum.c_str(), row);
            else
                state.totalSum += amount;
            break;
        }
        case FieldKind::other:
            break;
    }
}

void RowChecker::checkRecord(WorkingState& state) {
    const int row = record_.rowNumber;
    record_.values.forEach([&](std::string_view name, std::string_view value) {
        if (!value.empty()) return;
        if (record_.budgetAccount && name.substr(0, kPaymentPrefix.size()) == kPaymentPrefix)
            state.rowMessages += text::format(kNoBudgetCode.c_str(), row);
        if (sebra_ && name == kPaymentSebra)
            state.rowMessages += text::format(kNoSebraCode.c_str(), row);
    });
}

void checkRow(std::string_view line, const settings::FormatDefinition* format,
              WorkingState& state) {
    RowChecker(format).check(line, state);
}

}  // namespace velcor::processing
