#include "checks/giant/Giant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <initializer_list>
#include <random>
#include <string>
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

TEST(GiantNew, ACapacityAboveTheLargestSizeWarnsAndIsHonoured) {
    ::testing::internal::CaptureStderr();
    Owned g(kGiantMaxDigits + 1);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "Requested giant too big.\n");
    EXPECT_EQ(g->capacity, kGiantMaxDigits + 1);
    EXPECT_EQ(giant_size_limit, kGiantMaxDigits);
}

TEST(GiantBookkeeping, CreationsRaiseTheLimitAndReductionsActAsTwoMore) {
    Owned first;  // the scratch capacity is fixed by now, whatever ran before
    const int scratch = giant_scratch_capacity;
    EXPECT_GT(scratch, 0);
    const int before = giant_size_limit;
    Owned small(3);
    EXPECT_EQ(giant_size_limit, before);  // only ever grows
    {
        Owned n;
        Owned d;
        giant_from_int(1000, n.get());
        giant_from_int(97, d.get());
        const int limit = giant_size_limit;
        giant_mod(d.get(), n.get());
        EXPECT_EQ(giant_size_limit, std::min(kGiantMaxDigits, 4 * limit));
        EXPECT_EQ(gtoi(n.get()), 30);
    }
    for (int i = 0; i < 12; ++i) {
        Owned n;
        Owned d;
        giant_from_int(12345, n.get());
        giant_from_int(65536 + 3, d.get());
        giant_mod(d.get(), n.get());
        EXPECT_EQ(gtoi(n.get()), 12345);
    }
    EXPECT_EQ(giant_size_limit, kGiantMaxDigits);
    EXPECT_EQ(giant_scratch_capacity, scratch);
}

// Signed 128-bit values are the reference for the inner operations on up to seven digits.
__extension__ using Wide = __int128;
__extension__ using UnsignedWide = unsigned __int128;

void setWide(giant g, Wide value) {
    const bool negative = value < 0;
    auto magnitude = static_cast<UnsignedWide>(negative ? -value : value);
    int count = 0;
    while (magnitude != 0) {
        g->digits()[count++] = static_cast<std::uint16_t>(magnitude);
        magnitude >>= 16;
    }
    g->count = negative ? -count : count;
}

Wide wideOf(giant g) {
    const int length = g->count < 0 ? -g->count : g->count;
    UnsignedWide value = 0;
    for (int i = length - 1; i >= 0; --i) value = value * 65536 + g->digits()[i];
    return g->count < 0 ? -static_cast<Wide>(value) : static_cast<Wide>(value);
}

int bitLength(Wide value) {
    auto magnitude = static_cast<UnsignedWide>(value < 0 ? -value : value);
    int bits = 0;
    for (; magnitude != 0; magnitude >>= 1) ++bits;
    return bits;
}

Wide randomWide(std::mt19937_64& random, int bits) {
    Wide value = static_cast<Wide>(random() >> 1);
    value = (value << 62) | static_cast<Wide>(random() >> 2);
    value >>= 124 - std::max(1, std::min(bits, 124));
    return random() % 2 == 0 ? value : -value;
}

TEST(GiantInnerOperations, AgreeWithMachineArithmetic) {
    std::mt19937_64 random(11);
    Owned a;
    Owned b;
    for (int round = 0; round < 3000; ++round) {
        const Wide x = randomWide(random, 1 + static_cast<int>(random() % 100));
        const Wide y = randomWide(random, 1 + static_cast<int>(random() % 100));
        setWide(a.get(), x);
        setWide(b.get(), y);
        EXPECT_EQ(giant_compare(a.get(), b.get()), x < y ? -1 : (x > y ? 1 : 0));
        giant_add(a.get(), b.get());
        EXPECT_TRUE(wideOf(b.get()) == x + y);
        setWide(b.get(), y);
        giant_subtract(a.get(), b.get());
        EXPECT_TRUE(wideOf(b.get()) == y - x);
        setWide(b.get(), y >> 80);  // keeps the product below 2^120
        giant_multiply(a.get(), b.get());
        EXPECT_TRUE(wideOf(b.get()) == x * (y >> 80));

        const int shift = static_cast<int>(random() % 20);
        setWide(b.get(), x);
        giant_shift_left(b.get(), shift);
        EXPECT_TRUE(wideOf(b.get()) == (x < 0 ? -((-x) << shift) : x << shift));
        giant_shift_right(b.get(), shift + 3);
        EXPECT_TRUE(wideOf(b.get()) == (x < 0 ? -((-x) >> 3) : x >> 3));
        EXPECT_EQ(giant_bit_length(a.get()), bitLength(x));
    }
}

TEST(GiantInnerOperations, AddingANumberToItselfDoublesIt) {
    Owned g;
    giant_from_decimal(g.get(), "123456789012345678901234567890");
    giant_add(g.get(), g.get());
    Owned expected;
    giant_from_decimal(expected.get(), "246913578024691357802469135780");
    EXPECT_EQ(giant_compare(g.get(), expected.get()), 0);
    giant_subtract(g.get(), g.get());
    EXPECT_TRUE(giant_is_zero(g.get()));
}

// n = q d + r with random q, d and r < d: the reduction must give back r (d - r for -n), for
// one-digit divisors (the folding path) and longer ones (the reciprocal path).
TEST(GiantMod, RecoversTheRemainderOfAConstructedNumber) {
    std::mt19937 random(12);
    Owned q;
    Owned d;
    Owned r;
    Owned n;
    for (int round = 0; round < 400; ++round) {
        const int dDigits = 1 + static_cast<int>(random() % 20);
        const int qDigits = 1 + static_cast<int>(random() % 30);
        for (int i = 0; i < dDigits; ++i) d->digits()[i] = static_cast<std::uint16_t>(random());
        d->digits()[dDigits - 1] |= 1;
        d->count = dDigits;
        for (int i = 0; i < qDigits; ++i) q->digits()[i] = static_cast<std::uint16_t>(random());
        q->count = qDigits;
        for (int i = 0; i < dDigits; ++i) r->digits()[i] = static_cast<std::uint16_t>(random());
        r->count = dDigits;
        while (giant_compare(r.get(), d.get()) >= 0) giant_shift_right(r.get(), 1);
        ASSERT_LT(giant_compare(r.get(), d.get()), 0);

        giant_copy(q.get(), n.get());
        giant_multiply(d.get(), n.get());
        giant_add(r.get(), n.get());
        const bool negative = round % 3 == 0;
        if (negative) n->count = -n->count;
        giant_mod(d.get(), n.get());

        Owned expected;
        giant_copy(r.get(), expected.get());
        if (negative && !giant_is_zero(r.get())) {
            giant_copy(d.get(), expected.get());
            giant_subtract(r.get(), expected.get());
        }
        EXPECT_EQ(giant_compare(n.get(), expected.get()), 0) << dDigits << " / " << qDigits;
        EXPECT_GE(n->count, 0);
    }
}

TEST(GiantMod, AcceptsZeroInEitherForm) {
    Owned n;
    Owned d;
    giant_from_int(97, d.get());
    giant_from_decimal(n.get(), "0");  // count 1, digit 0
    giant_mod(d.get(), n.get());
    EXPECT_EQ(gtoi(n.get()), 0);
    giant_from_int(0, n.get());  // count 0
    giant_mod(d.get(), n.get());
    EXPECT_EQ(gtoi(n.get()), 0);
}

TEST(GiantMod, AGiantReducedByItselfIsZero) {
    for (const char* value : {"97", "123456789012345678901234567890"}) {
        Owned g;
        giant_from_decimal(g.get(), value);
        giant_mod(g.get(), g.get());
        EXPECT_TRUE(giant_is_zero(g.get())) << value;
    }
}

// A child that checks in a fresh process and tells by its exit status; it names what failed.
[[noreturn]] void finish(const std::string& failures) {
    if (!failures.empty()) std::fputs(failures.c_str(), stderr);
    std::exit(failures.empty() ? 0 : 1);
}

TEST(GiantFreshProcess, TheFirstCreationFixesTheScratchCapacity) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::string failures;
            giant a = giant_new(10);
            if (giant_size_limit != 20 || giant_scratch_capacity != 20) failures += "first; ";
            giant b = giant_new(300);
            if (giant_size_limit != 600 || giant_scratch_capacity != 20) failures += "second; ";
            giant_free(giant_new(0));
            if (giant_size_limit != kGiantMaxDigits || giant_scratch_capacity != 20)
                failures += "largest; ";
            giant_free(a);
            giant_free(b);
            finish(failures);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(GiantFreshProcess, ReadsAtMostTenThousandDigits) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::string failures;
            giant g = giant_new(4096);
            giant d = giant_new(64);
            giant_from_decimal(g, ("1" + std::string(10005, '0')).c_str());
            giant_from_int(97, d);
            giant_mod(d, g);
            if (gtoi(g) != 45) failures += "10^9999 mod 97; ";  // only 10000 digits were read
            finish(failures);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST(GiantDeathTest, ADecimalTextBeyondTheTargetsCapacityEndsWithStatusTwo) {
    EXPECT_EXIT(
        {
            giant g = giant_new(64);
            giant small = giant_new(2);
            giant_free(g);
            giant_from_decimal(small, "4294967296");  // three digits into a two-digit giant
        },
        ::testing::ExitedWithCode(2), "");
    EXPECT_EXIT(
        {
            giant g = giant_new(64);
            giant_from_decimal(g, std::string(400, '9').c_str());  // 400 digits need 84
        },
        ::testing::ExitedWithCode(2), "");
}

TEST(GiantDeathTest, ADecimalResultReachingTheSizeLimitEndsWithStatusTwo) {
    EXPECT_EXIT(
        {
            giant g = giant_new(64);
            giant_size_limit = 3;  // as if no larger giant had been created yet
            giant_from_decimal(g, "4294967296");
        },
        ::testing::ExitedWithCode(2), "");
}

TEST(GiantDeathTest, ALeftShiftBeyondTheSizeLimitEndsWithStatusTwo) {
    EXPECT_EXIT(
        {
            giant g = giant_new(64);
            giant_from_int(1, g);
            giant_shift_left(g, 16 * kGiantMaxDigits);
        },
        ::testing::ExitedWithCode(2), "");
    EXPECT_EXIT(
        {
            giant g = giant_new(64);
            giant_from_int(1, g);
            giant_shift_left(g, 16 * 64);  // within the limit, beyond this giant
        },
        ::testing::ExitedWithCode(2), "");
}

TEST(GiantDeathTest, AReductionByZeroOrANegativeDivisorEndsWithStatusThree) {
    for (const char* divisor : {"0", "-97", "-1"}) {
        EXPECT_EXIT(
            {
                giant n = giant_new(64);
                giant d = giant_new(64);
                giant_from_int(100, n);
                giant_from_decimal(d, divisor);
                giant_mod(d, n);
            },
            ::testing::ExitedWithCode(3), "")
            << divisor;
    }
    EXPECT_EXIT(
        {
            giant n = giant_new(64);
            giant d = giant_new(64);
            giant_from_int(100, n);
            giant_from_int(0, d);  // count 0
            giant_mod(d, n);
        },
        ::testing::ExitedWithCode(3), "");
}

}  // namespace
}  // namespace velcor::checks
