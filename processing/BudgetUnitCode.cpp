#include "processing/BudgetUnitCode.h"

#include "checks/WeightTable.h"

#include <string_view>

namespace velcor::processing {

// The code is weighed like a personal number of the same length, without the date test. It holds
// digits only: any other byte would be weighed by its code and could pass by chance.
bool CheckBudgetUnitCode(const char* code) {
    const std::string_view text(code);
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    return checks::hasWeightedCheckDigit(text);
}

}  // namespace velcor::processing
