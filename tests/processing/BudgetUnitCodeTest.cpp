#include "processing/BudgetUnitCode.h"

#include <gtest/gtest.h>

#include <string>

namespace velcor::processing {
namespace {

TEST(CheckBudgetUnitCode, AnswersTheWorkedExamplesAndBoundaries) {
    struct Case {
        std::string code;
        bool expected;
    };
    const Case cases[] = {
        {"1234563", true},  // S = 113, r = 3
        {"1234567", false},
        {"12345679", true},  // S = 207, r = 9
        {"12345678", false},
        {"1234567890", true},  // S = 285, remainder 10 counts as 0
        {"0000000000", true},
        {"1000000002", true},     // S = 2
        {"1234567890120", true},  // S = 318, remainder 10 counts as 0
        {"1234567890121", false},
        {"1234563   ", false},  // padded to ten: weighed as ten characters
        {"", false},
        {"123456789", false},
        {"12345678901", false},
        {"123456789012", false},
        // Digits only: these would pass if a hyphen or a letter were weighed by its code.
        {"88-1011233", false},
        {"1234O64", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckBudgetUnitCode(c.code.c_str()), c.expected) << '"' << c.code << '"';
}

TEST(CheckBudgetUnitCode, TakesNoDateTestUnlikeThePersonalNumber) {
    // Month 13 would fail a personal number; as a code only the check digit counts.
    EXPECT_TRUE(CheckBudgetUnitCode("8813311239"));
}

}  // namespace
}  // namespace velcor::processing
