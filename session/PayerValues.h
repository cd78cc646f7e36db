#pragma once

// The payer's values an operator gives (typed into the window, or velcor-cli's options), their
// length limits and the rule by which they are taken over: in one order, each value as given, and
// a value over its limit stops the take-over, so that the values after it are not taken.

#include "text/Cp1251.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace velcor::session {

enum class PayerField { iban, bic, name, kindCode, budgetUnitCode };

// In the order of the take-over.
inline constexpr std::array<PayerField, 5> kPayerFields = {PayerField::iban, PayerField::bic,
                                                           PayerField::name, PayerField::kindCode,
                                                           PayerField::budgetUnitCode};

// The longest value each field takes: what the header's columns hold.
constexpr int payerFieldLimit(PayerField field) {
    switch (field) {
        case PayerField::iban:
            return 22;
        case PayerField::bic:
            return 8;
        case PayerField::name:
            return 35;
        case PayerField::kindCode:
            return 6;
        case PayerField::budgetUnitCode:
            break;
    }
    return 10;
}

// The label each field goes by where the operator gives it (Windows-1251).
constexpr std::string_view payerFieldLabel(PayerField field) {
    using namespace velcor::text::literals;
    switch (field) {
        case PayerField::iban:
            return "IBAN на платеца:"_cp;
        case PayerField::bic:
            return "BIC:"_cp;
        case PayerField::name:
            return "Име на фирмата:"_cp;
        case PayerField::kindCode:
            return "Вид плащане:"_cp;
        case PayerField::budgetUnitCode:
            break;
    }
    return "Код на бюджетен\nразпоредител:"_cp;
}
// The label as the name of its field in a message: without the closing ":" and with its line
// break as a blank ("Код на бюджетен разпоредител").
std::string payerFieldName(PayerField field);

struct PayerValues {
    std::string iban;
    std::string bic;
    std::string name;
    std::string kindCode;
    std::string budgetUnitCode;

    std::string& operator[](PayerField field);
    const std::string& operator[](PayerField field) const;
};

// What a payer value may not hold: the header separates its values with ";" and ends at its line
// break, so either inside a value would shift the columns behind it.
std::string_view headerBreakingCharacters();  // ";" and the control bytes but TAB

// Values given for some of the fields; the others stay as they are.
struct TypedPayerValues {
    std::optional<std::string> iban;
    std::optional<std::string> bic;
    std::optional<std::string> name;
    std::optional<std::string> kindCode;
    std::optional<std::string> budgetUnitCode;

    std::optional<std::string>& operator[](PayerField field);
    bool empty() const { return !iban && !bic && !name && !kindCode && !budgetUnitCode; }
};

// Takes `typed` into `values` in the order of kPayerFields, each as given; the first value over
// its limit is taken too, and ends the take-over: the field is answered, and the given values
// after it stay in `typed` for the next take-over. Nothing when every value was taken.
std::optional<PayerField> takeOverPayerValues(TypedPayerValues& typed, PayerValues& values);

}  // namespace velcor::session
