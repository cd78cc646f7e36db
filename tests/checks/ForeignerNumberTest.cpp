#include "checks/ForeignerNumber.h"

#include <gtest/gtest.h>

#include <string>

namespace velcor::checks {
namespace {

TEST(CheckForeignerNumber, AnswersTheWorkedExamplesAndJunk) {
    const struct {
        std::string text;
        bool expected;
    } cases[] = {
        {"7111042925", true},  // the weighted sum 275 ends in the check digit 5
        {"7111042922", false},
        {"1000000001", true},  // 21 ends in 1
        {"1000000000", false},
        {"0000000000", true},
        {"0000000011", true},  // only the ninth digit weighs 1
        {"0000000012", false},
        {"711104292", false},    // nine digits
        {"71110429250", false},  // eleven
        {"71110A2925", false},
        {"7111 042925", false},
        {"", false},
        {"LNC7111042925", false},  // the letters are the row's, not the number's
    };
    for (const auto& c : cases) EXPECT_EQ(CheckForeignerNumber(c.text), c.expected) << c.text;
}

}  // namespace
}  // namespace velcor::checks
