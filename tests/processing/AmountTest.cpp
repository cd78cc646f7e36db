#include "processing/Amount.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>

namespace velcor::processing {
namespace {

using Kind = AmountReading::Kind;

struct AmountCase {
    std::string text;
    Kind kind;
    Cents cents = 0;
};

TEST(Amount, OnlyPlainDecimalsAboveZeroWithAtMostTwoPlacesAreAmounts) {
    const AmountCase cases[] = {
        {"12.50", Kind::amount, 1250},
        {"  \t+7.25 ", Kind::amount, 725},
        {"3.", Kind::amount, 300},
        {".5", Kind::amount, 50},
        {"9999999999999.99", Kind::amount, 999999999999999},
        {"000000000000001250.50", Kind::amount, 125050},  // a zero-padded column
        // Nothing at all, or a plain decimal equal to zero, whatever its sign.
        {"", Kind::zero},
        {"   ", Kind::zero},
        {"0", Kind::zero},
        {"-0.00", Kind::zero},
        {"+0", Kind::zero},
        {"000000000.00", Kind::zero},
        // A credit transfer never takes money back.
        {"-5", Kind::invalid},
        {"-1250.00", Kind::invalid},
        {"-.05", Kind::invalid},
        // Not a plain decimal: never read in part, never taken for zero.
        {"abc", Kind::invalid},
        {"-", Kind::invalid},
        {".", Kind::invalid},
        {"+.x", Kind::invalid},
        {"--5", Kind::invalid},
        {"- 5", Kind::invalid},
        {"\"5\"", Kind::invalid},
        {"(5)", Kind::invalid},
        {"inf", Kind::invalid},
        {"1250,50", Kind::invalid},
        {"1 250.00", Kind::invalid},
        {"0x10", Kind::invalid},
        {"1e3", Kind::invalid},
        {"1e308", Kind::invalid},
        {"12.345", Kind::invalid},
        {"10000000000000", Kind::invalid},  // fourteen integer digits
        {"12abc", Kind::invalid},
        {"1.2.3", Kind::invalid},
        {std::string("12\0"
                     "3",
                     4),
         Kind::invalid},
    };
    for (const AmountCase& c : cases) {
        const AmountReading reading = readAmount(c.text);
        EXPECT_EQ(reading.kind, c.kind) << c.text;
        if (c.kind == Kind::amount) {
            EXPECT_EQ(reading.cents, c.cents) << c.text;
        }
    }
}

TEST(Amount, FormatsCentsAsPrintfFormatsTheSameValue) {
    const struct {
        Cents cents;
        int width;
        const char* expected;
    } cases[] = {
        {123450, 12, "     1234.50"},
        {0, 12, "        0.00"},
        {-5, 12, "       -0.05"},
        {-123456789, 0, "-1234567.89"},
        {999999999999999, 12, "9999999999999.99"},  // wider than the column: never cut
        {std::numeric_limits<Cents>::min(), 20, "-92233720368547758.08"},
    };
    for (const auto& c : cases) EXPECT_EQ(formatCents(c.cents, c.width), c.expected) << c.cents;
}

}  // namespace
}  // namespace velcor::processing
