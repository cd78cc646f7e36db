#pragma once

#include <string_view>

namespace velcor::processing {

// Whether an IBAN's 13th character is the digit 8: the account is a budget account.
inline bool hasBudgetAccountDigit(std::string_view iban) {
    return iban.size() > 12 && iban[12] == '8';
}

// A budget-unit code of 7, 8, 10 or 13 digits whose last is the weighted modulo-11 check digit.
bool CheckBudgetUnitCode(const char* code);

}  // namespace velcor::processing
