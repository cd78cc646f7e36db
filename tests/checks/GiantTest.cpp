#include "checks/giant/Giant.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

namespace velcor::checks {
namespace {

// A giant that frees itself; the library's own calls do the work.
class Owned {
  public:
    explicit Owned(int capacity = 64) : g_(giant_new(capacity)) {}
    ~Owned() { giant_free(g_); }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;
    giant get() const { return g_; }
    giant operator->() const { return g_; }

  private:
    giant g_;
};

std::vector<std::uint16_t> digitsOf(giant g) {
    const int length = g->count < 0 ? -g->count : g->count;
    return {g->digits(), g->digits() + length};
}

using Digits = std::vector<std::uint16_t>;

struct DecimalCase {
    const char* text;
    int count;
    Digits digits;
};

TEST(GiantFromDecimal, ReadsSignDigitsAndSeparatorsAsDescribed) {
    const DecimalCase cases[] = {
        {"12345", 1, {12345}},
        {"65536", 2, {0, 1}},
        {"-7", -1, {7}},
        {"+7", 1, {7}},
        {"0", 1, {0}},
        {"1 2", 1, {1}},
        {"1\\ 2", 1, {12}},
        {"1x2", 1, {12}},
        {"1\t2", 1, {1}},
        {"1\n2", 1, {1}},
        {"7-3", 1, {73}},
        {"-0", -1, {0}},
        {"0000000000065536", 2, {0, 1}},
        {"4294967296", 3, {0, 0, 1}},
        {"340282366920938463463374607431768211455",
         8,
         {65535, 65535, 65535, 65535, 65535, 65535, 65535, 65535}},
    };
    for (const auto& c : cases) {
        Owned g;
        giant_from_decimal(g.get(), c.text);
        EXPECT_EQ(g->count, c.count) << c.text;
        EXPECT_EQ(digitsOf(g.get()), c.digits) << c.text;
    }
}

TEST(GiantFromDecimal, TextWithoutDigitsLeavesTheTargetUnchanged) {
    for (const char* text : {"", "-", "+", "abc", " 12", "\\"}) {
        Owned g;
        giant_from_int(-123456, g.get());
        giant_from_decimal(g.get(), text);
        EXPECT_EQ(gtoi(g.get()), -123456) << '"' << text << '"';
        EXPECT_EQ(g->count, -2);
    }
}

TEST(GiantFromInt, SplitsTheMagnitudeIntoOneOrTwoDigits) {
    struct Case {
        int value;
        int count;
        Digits digits;
    };
    const Case cases[] = {
        {0, 0, {}},
        {1, 1, {1}},
        {65535, 1, {65535}},
        {65536, 2, {0, 1}},
        {-5, -1, {5}},
        {-2147483647 - 1, -2, {0, 32768}},
        {2147483647, 2, {65535, 32767}},
    };
    for (const auto& c : cases) {
        Owned g;
        giant_from_int(c.value, g.get());
        EXPECT_EQ(g->count, c.count) << c.value;
        EXPECT_EQ(digitsOf(g.get()), c.digits) << c.value;
        EXPECT_EQ(gtoi(g.get()), c.value);
    }
}

TEST(Gtoi, ReadsTwoDigitsInTwosComplement) {
    Owned g;
    g->count = 2;
    g->digits()[0] = 65535;
    g->digits()[1] = 65535;
    EXPECT_EQ(gtoi(g.get()), -1);
    g->count = -1;
    g->digits()[0] = 5;
    EXPECT_EQ(gtoi(g.get()), -5);
    g->count = 0;
    EXPECT_EQ(gtoi(g.get()), 0);
}

TEST(Gtoi, ThreeDigitsGiveZeroAndTheMessage) {
    Owned g;
    giant_from_decimal(g.get(), "4294967296");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(gtoi(g.get()), 0);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Giant too large for gtoi\n");
}

TEST(GiantMod, GivesTheNonNegativeRemainder) {
    struct Case {
        const char* n;
        const char* d;
        int remainder;
    };
    const Case cases[] = {
        {"100", "97", 3},
        {"-100", "97", 94},
        {"97", "97", 0},
        {"5", "97", 5},
        {"-97", "97", 0},
        {"0", "97", 0},
        {"123456789012345678901234567890", "97", 52},
        {"123456789012345678901234567890", "65537", 23325},
        {"-123456789012345678901234567890", "65537", 42212},
        {"123456789012345678901234567890", "1000000007", 197434842},
        {"99999999999999999999999999999999999999", "2147483647", 1460255662},
        {"1000000000000000000000000000000", "4294967311", 89865198},
        {"18446744073709551621", "4294967311", 230},
    };
    for (const auto& c : cases) {
        Owned n;
        Owned d;
        giant_from_decimal(n.get(), c.n);
        giant_from_decimal(d.get(), c.d);
        giant_mod(d.get(), n.get());
        EXPECT_EQ(gtoi(n.get()), c.remainder) << c.n << " mod " << c.d;
        EXPECT_GE(n->count, 0);
    }
}

TEST(GiantNew, ZeroCapacityMeansTheLargestSize) {
    Owned g(0);
    EXPECT_EQ(g->capacity, kGiantMaxDigits);
    EXPECT_EQ(g->count, 0);
    EXPECT_EQ(giant_size_limit, kGiantMaxDigits);
}

}  // namespace
}  // namespace velcor::checks
