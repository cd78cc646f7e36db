#include "processing/Amount.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace velcor::processing {
namespace {

struct AmountCase {
    std::string text;
    double expected;
};

TEST(Amount, ReadsTheLeadingNumberLikeStrtodInTheCLocale) {
    const AmountCase cases[] = {
        {"12.50", 12.5},
        {"12,50", 12.0},  // a comma is not a decimal point
        {"1 250.00", 1.0},
        {"  \t42", 42.0},
        {"+7", 7.0},
        {"-5", -5.0},
        {"--5", 0.0},
        {"+-5", 0.0},
        {".5", 0.5},
        {"5.", 5.0},
        {".", 0.0},
        {"", 0.0},
        {"abc", 0.0},
        {"1e2", 100.0},
        {"1E+2x", 100.0},
        {"1e", 1.0},
        {"1e+", 1.0},
        {"2.5e-1", 0.25},
        {"0x10", 16.0},
        {"0x", 0.0},
        {"0xg", 0.0},
        {"-0x1p4", -16.0},
        {"0x.8", 0.5},
        {"1e-400", 0.0},
        {std::string("12\0"
                     "3",
                     4),
         12.0},
    };
    for (const AmountCase& c : cases) EXPECT_EQ(readAmount(c.text), c.expected) << c.text;
}

TEST(Amount, ReadsInfinityNanAndOverflowAsStrtodDoes) {
    EXPECT_EQ(readAmount("inf"), HUGE_VAL);
    EXPECT_EQ(readAmount("-Infinity"), -HUGE_VAL);
    EXPECT_TRUE(std::isnan(readAmount("nan")));
    EXPECT_EQ(readAmount("1e999"), HUGE_VAL);
    EXPECT_EQ(readAmount("-1e999"), -HUGE_VAL);
    EXPECT_EQ(readAmount(std::string(400, '9')), HUGE_VAL);
    EXPECT_EQ(readAmount("0." + std::string(400, '0') + "1"), 0.0);
}

}  // namespace
}  // namespace velcor::processing
