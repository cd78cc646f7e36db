#pragma once

namespace velcor::processing {

// A budget-unit code of 7, 8, 10 or 13 bytes whose last byte is the weighted modulo-11 check digit.
bool CheckBudgetUnitCode(const char* code);

}  // namespace velcor::processing
