#pragma once

// Which rules payments to the budget are checked by: those of the payment forms before
// 1 October 2023 (a payment code on every budget account), or those since (the obligor's
// identifier on every account of an administrator of public receivables, the payment code only
// on accounts with "84" at positions 13-14). The operator chooses; the older rules are the default.

#include "processing/DateTime.h"

#include <optional>
#include <string_view>

namespace velcor::processing {

enum class BudgetRules {
    before2023,  // up to 30.09.2023
    from2023,    // from 01.10.2023
};

// "2006" or "2023": the name velcor-cli takes and its JSON gives.
std::string_view budgetRulesName(BudgetRules rules);
// The rules a name stands for; nothing for another name.
std::optional<BudgetRules> budgetRulesNamed(std::string_view name);
// Windows-1251: "до 30.09.2023" or "от 01.10.2023", as the choice shows them.
std::string_view budgetRulesText(BudgetRules rules);
// Windows-1251: "Правила за плащания към бюджета".
std::string_view budgetRulesLabel();
// Windows-1251: the one line that says that later rules exist than those applied.
std::string_view laterBudgetRulesHint();

// Whether a list of `valueDate` checked by `applied` is checked by rules older than those in
// force on its value date.
bool laterBudgetRulesApply(BudgetRules applied, const LocalDateTime& valueDate);

// The obligor's identifier of a row to the budget under the rules from 1 October 2023, from its
// EGN and BULSTAT values: an EGN of ten digits, a BULSTAT of nine or thirteen digits, or in
// either "LNC" followed by a foreigner's ten-digit personal number, each passing its check.
enum class ObligorId { valid, missing, wrong };
ObligorId readObligorId(std::string_view egn, std::string_view bulstat);

// Whether a value is written as a foreigner's number ("LNC" and ten digits), whatever its check
// digit: the EGN and BULSTAT checks leave such a value to the obligor's check.
bool isForeignerNumberForm(std::string_view value);

}  // namespace velcor::processing
