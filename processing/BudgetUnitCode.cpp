#include "processing/BudgetUnitCode.h"

#include "checks/WeightTable.h"

namespace velcor::processing {

// The code is weighed like a personal number of the same length, without the date test.
bool CheckBudgetUnitCode(const char* code) { return checks::hasWeightedCheckDigit(code); }

}  // namespace velcor::processing
