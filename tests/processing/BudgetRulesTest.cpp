#include "processing/BudgetRules.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <string>

namespace velcor::processing {
namespace {

using namespace text::literals;

TEST(BudgetRules, NamesReadBackAndTextsAreTheChoicesOwn) {
    for (const BudgetRules rules : {BudgetRules::before2023, BudgetRules::from2023})
        EXPECT_EQ(budgetRulesNamed(budgetRulesName(rules)), rules);
    EXPECT_EQ(budgetRulesName(BudgetRules::before2023), "2006");
    EXPECT_EQ(budgetRulesName(BudgetRules::from2023), "2023");
    for (const char* other : {"", "2024", "06", " 2023", "2023 "})
        EXPECT_FALSE(budgetRulesNamed(other)) << other;
    EXPECT_EQ(budgetRulesText(BudgetRules::before2023), "до 30.09.2023"_cp.view());
    EXPECT_EQ(budgetRulesText(BudgetRules::from2023), "от 01.10.2023"_cp.view());
}

TEST(BudgetRules, LaterRulesApplyFromTheFirstOfOctober2023UnderTheOlderRulesOnly) {
    const struct {
        int year, month, day;
        bool valid;
        bool underOlder;
    } cases[] = {
        {2023, 10, 1, true, true},   {2023, 9, 30, true, false}, {2006, 12, 8, true, false},
        {2024, 1, 1, true, true},    {2023, 11, 1, true, true},  {2023, 10, 1, false, false},
        {2022, 12, 31, true, false},
    };
    for (const auto& c : cases) {
        const LocalDateTime date{c.year, c.month, c.day, 0, 0, 0, c.valid};
        EXPECT_EQ(laterBudgetRulesApply(BudgetRules::before2023, date), c.underOlder)
            << c.day << "." << c.month << "." << c.year;
        EXPECT_FALSE(laterBudgetRulesApply(BudgetRules::from2023, date));
    }
}

TEST(ObligorId, IsAnEgnABulstatOrAForeignersNumberThatPassesItsCheck) {
    const struct {
        std::string egn;
        std::string bulstat;
        ObligorId expected;
    } cases[] = {
        {"7523169263", "", ObligorId::valid},
        {"", "831642181", ObligorId::valid},      // nine digits
        {"", "1234567800023", ObligorId::valid},  // thirteen
        {"LNC7111042925", "", ObligorId::valid},
        {"", "LNC7111042925", ObligorId::valid},
        {"", "", ObligorId::missing},
        {"7523169264", "", ObligorId::wrong},
        {"", "831642182", ObligorId::wrong},
        {"LNC7111042922", "", ObligorId::wrong},  // its check digit
        {"lnc7111042925", "", ObligorId::wrong},
        {"LNC711104292", "", ObligorId::wrong},
        {"8801011234561", "", ObligorId::wrong},  // an EGN of thirteen digits
        {"8801016", "", ObligorId::wrong},        // of seven
        {"", "831 642-181", ObligorId::wrong},    // the form takes digits alone
        {"", "7523169263", ObligorId::wrong},     // an EGN in the BULSTAT field
        // One valid identifier is enough; the other field's own check tells of the other.
        {"7523169264", "831642181", ObligorId::valid},
        {"7523169263", "831642182", ObligorId::valid},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readObligorId(c.egn, c.bulstat), c.expected) << c.egn << "|" << c.bulstat;
}

}  // namespace
}  // namespace velcor::processing
