#pragma once

// The rules for payments to the budget that the operator chose last, which the window starts with
// next time. Like the folder of the last list, it is the operator's own setting: it lives in the
// platform's place for a user's application settings, never in omp.ini.

#include "processing/BudgetRules.h"

namespace velcor::app {

// The rules remembered; the older ones when none are (or what is kept names no rules).
processing::BudgetRules rememberedBudgetRules();
void rememberBudgetRules(processing::BudgetRules rules);

}  // namespace velcor::app
