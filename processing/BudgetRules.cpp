#include "processing/BudgetRules.h"

#include "checks/ForeignerNumber.h"
#include "checks/PersonalIds.h"
#include "text/Cp1251.h"

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kBefore2023 = "до 30.09.2023"_cp;
constexpr auto kFrom2023 = "от 01.10.2023"_cp;
constexpr auto kLabel = "Правила за плащания към бюджета"_cp;
constexpr auto kLaterRules =
    "За дата на МП от 01.10.2023 важат новите правила за плащания към бюджета"_cp;

constexpr std::string_view kForeignerPrefix = "LNC";

bool allDigits(std::string_view value) {
    if (value.empty()) return false;
    for (const char c : value)
        if (c < '0' || c > '9') return false;
    return true;
}

}  // namespace

std::string_view budgetRulesName(BudgetRules rules) {
    return rules == BudgetRules::from2023 ? "2023" : "2006";
}

std::optional<BudgetRules> budgetRulesNamed(std::string_view name) {
    if (name == "2006") return BudgetRules::before2023;
    if (name == "2023") return BudgetRules::from2023;
    return std::nullopt;
}

std::string_view budgetRulesText(BudgetRules rules) {
    return rules == BudgetRules::from2023 ? kFrom2023.view() : kBefore2023.view();
}

std::string_view budgetRulesLabel() { return kLabel.view(); }

std::string_view laterBudgetRulesHint() { return kLaterRules.view(); }

bool laterBudgetRulesApply(BudgetRules applied, const LocalDateTime& valueDate) {
    if (applied != BudgetRules::before2023 || !valueDate.valid) return false;
    const auto day = [](int year, int month, int date) {
        return (year * 100 + month) * 100 + date;
    };
    return day(valueDate.year, valueDate.month, valueDate.day) >= day(2023, 10, 1);
}

bool isForeignerNumberForm(std::string_view value) {
    return value.size() == kForeignerPrefix.size() + 10 && value.starts_with(kForeignerPrefix) &&
           allDigits(value.substr(kForeignerPrefix.size()));
}

ObligorId readObligorId(std::string_view egn, std::string_view bulstat) {
    if (egn.empty() && bulstat.empty()) return ObligorId::missing;
    const auto foreigner = [](std::string_view value) {
        return isForeignerNumberForm(value) &&
               checks::CheckForeignerNumber(value.substr(kForeignerPrefix.size()));
    };
    // The payment form holds digits alone: a BULSTAT written with blanks or hyphens, which its
    // own check lets pass, is no identifier the bank takes.
    if (allDigits(egn) && egn.size() == 10 && checks::CheckEgn(egn)) return ObligorId::valid;
    if (allDigits(bulstat) && (bulstat.size() == 9 || bulstat.size() == 13) &&
        checks::CheckBulstat(bulstat))
        return ObligorId::valid;
    if (foreigner(egn) || foreigner(bulstat)) return ObligorId::valid;
    return ObligorId::wrong;
}

}  // namespace velcor::processing
