#pragma once

#include "text/Cp1251.h"

#include <string_view>

namespace velcor::processing {

// A budget-unit code of 7, 8, 10 or 13 bytes whose last byte is the weighted modulo-11 check digit.
bool CheckBudgetUnitCode(const char* code);

// What the operator is told when a budget-unit code fails, wherever it was checked.
inline constexpr std::string_view kWrongBudgetUnitCodeMessage = [] {
    using namespace velcor::text::literals;
    return "Грешен код на бюджетен разпоредител!"_cp.view();
}();

}  // namespace velcor::processing
