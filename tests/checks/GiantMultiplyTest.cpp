#include "checks/giant/Giant.h"
#include "checks/giant/GiantMultiply.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <utility>
#include <vector>

namespace velcor::checks::detail {
namespace {

using Digits = std::vector<std::uint16_t>;
using Multiply = void (*)(const std::uint16_t*, int, const std::uint16_t*, int, std::uint16_t*);

Digits randomDigits(std::mt19937& random, int count) {
    Digits d(static_cast<std::size_t>(count));
    for (auto& digit : d) digit = static_cast<std::uint16_t>(random());
    // Runs of extreme digits are where carries and rounding go wrong.
    if (count > 4 && random() % 2 == 0)
        for (int i = 0; i < count / 4; ++i) d[random() % d.size()] = 0xFFFF;
    return d;
}

Digits product(Multiply multiply, const Digits& a, const Digits& b) {
    Digits out(a.size() + b.size(), 0xABCD);
    multiply(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()),
             out.data());
    return out;
}

// The value modulo a prime below 2^61, folded from the top digit down.
__extension__ using Wide = unsigned __int128;

std::uint64_t residue(const Digits& d, std::uint64_t prime) {
    Wide r = 0;
    for (auto it = d.rbegin(); it != d.rend(); ++it) r = ((r << 16) + *it) % prime;
    return static_cast<std::uint64_t>(r);
}

TEST(Schoolbook, MatchesMachineArithmeticOnOneAndTwoDigits) {
    std::mt19937 random(1);
    for (int round = 0; round < 1000; ++round) {
        const auto x = static_cast<std::uint32_t>(random());
        const auto y = static_cast<std::uint32_t>(random());
        const Digits a = {static_cast<std::uint16_t>(x), static_cast<std::uint16_t>(x >> 16)};
        const Digits b = {static_cast<std::uint16_t>(y), static_cast<std::uint16_t>(y >> 16)};
        const Digits p = product(multiplySchoolbook, a, b);
        std::uint64_t value = 0;
        for (std::size_t i = 4; i-- > 0;) value = (value << 16) | p[i];
        EXPECT_EQ(value, std::uint64_t{x} * y);
    }
}

TEST(Schoolbook, AgreesWithResiduesModuloLargePrimes) {
    std::mt19937 random(2);
    const std::uint64_t prime = (std::uint64_t{1} << 61) - 1;
    for (int round = 0; round < 50; ++round) {
        const Digits a = randomDigits(random, 1 + static_cast<int>(random() % 300));
        const Digits b = randomDigits(random, 1 + static_cast<int>(random() % 300));
        const Wide expected = static_cast<Wide>(residue(a, prime)) * residue(b, prime) % prime;
        EXPECT_EQ(residue(product(multiplySchoolbook, a, b), prime),
                  static_cast<std::uint64_t>(expected));
    }
}

TEST(Karatsuba, EqualsSchoolbookOnItsWholeRange) {
    std::mt19937 random(3);
    for (int p = 41; p <= 200; p += 3) {
        for (int q : {41, 42, 77, 100, 101, 159, 199, 200}) {
            const Digits a = randomDigits(random, p);
            const Digits b = randomDigits(random, q);
            const Digits expected = product(multiplySchoolbook, a, b);
            EXPECT_EQ(product(multiplyKaratsuba, a, b), expected) << p << " x " << q;
            EXPECT_EQ(product(multiplyDigits, a, b), expected) << p << " x " << q;
        }
    }
}

TEST(Karatsuba, EqualsSchoolbookOutsideItsRangeToo) {
    std::mt19937 random(4);
    for (int round = 0; round < 200; ++round) {
        const int p = 2 + static_cast<int>(random() % 700);
        const int q = 2 + static_cast<int>(random() % 700);
        const Digits a = randomDigits(random, p);
        const Digits b = randomDigits(random, q);
        EXPECT_EQ(product(multiplyKaratsuba, a, b), product(multiplySchoolbook, a, b))
            << p << " x " << q;
    }
}

TEST(Fft, EqualsSchoolbookOnRandomOperands) {
    std::mt19937 random(5);
    const int sizes[][2] = {{1, 1},     {1, 40000}, {7, 6000},    {200, 201},   {201, 200},
                            {250, 250}, {1000, 39}, {1024, 1024}, {3000, 2999}, {4096, 4097}};
    for (const auto& size : sizes) {
        const Digits a = randomDigits(random, size[0]);
        const Digits b = randomDigits(random, size[1]);
        EXPECT_EQ(product(multiplyFft, a, b), product(multiplySchoolbook, a, b))
            << size[0] << " x " << size[1];
        EXPECT_LT(lastFftRoundingError(), 0.01);
    }
    for (int round = 0; round < 20; ++round) {
        const int p = 1 + static_cast<int>(random() % 2000);
        const int q = 1 + static_cast<int>(random() % 2000);
        const Digits a = randomDigits(random, p);
        const Digits b = randomDigits(random, q);
        const Digits expected = product(multiplySchoolbook, a, b);
        EXPECT_EQ(product(multiplyFft, a, b), expected) << p << " x " << q;
        EXPECT_EQ(product(multiplyDigits, a, b), expected) << p << " x " << q;
    }
}

// All digits 65535 is the worst case for the FFT's rounding: every piece is 255. The exact
// product (B^p - 1)(B^q - 1) = B^(p+q) - B^p - B^q + 1 is known digit by digit.
TEST(Fft, IsExactAtTheLargestSizeOnAllOnesOperands) {
    for (const auto& [p, q] :
         {std::pair{kFftMaxDigits / 2, kFftMaxDigits / 2}, std::pair{1, kFftMaxDigits - 1},
          std::pair{100000, kFftMaxDigits - 100000}}) {
        const auto pSize = static_cast<std::size_t>(p);
        const auto qSize = static_cast<std::size_t>(q);
        const Digits a(pSize, 0xFFFF);
        const Digits b(qSize, 0xFFFF);
        const Digits got = product(multiplyFft, a, b);
        // B^(p+q) - B^p - B^q + 1 with p <= q: 1, zeros up to digit p, then 65535 up to digit
        // q (65534 at digit q when p == q), then 65535s with 65534 at digit q.
        Digits expected(pSize + qSize, 0);
        expected[0] = 1;
        for (std::size_t i = pSize; i < pSize + qSize; ++i) expected[i] = 0xFFFF;
        expected[qSize] = static_cast<std::uint16_t>(expected[qSize] - 1);
        if (p == q) expected[qSize] = 0xFFFE;
        EXPECT_EQ(got, expected) << p << " x " << q;
        EXPECT_LT(lastFftRoundingError(), 0.05) << p << " x " << q;
    }
}

TEST(Fft, IsExactAtTheLargestSizeOnRandomOperands) {
    std::mt19937 random(6);
    const int p = kFftMaxDigits / 2;
    const int q = kFftMaxDigits / 2;
    const Digits a = randomDigits(random, p);
    const Digits b = randomDigits(random, q);
    const Digits got = product(multiplyFft, a, b);
    EXPECT_LT(lastFftRoundingError(), 0.05);

    // The low digits must equal the schoolbook product of the low digits.
    const int low = 1500;
    const Digits lowA(a.begin(), a.begin() + low);
    const Digits lowB(b.begin(), b.begin() + low);
    const Digits lowProduct = product(multiplySchoolbook, lowA, lowB);
    EXPECT_TRUE(std::equal(lowProduct.begin(), lowProduct.begin() + low, got.begin()));

    // And the whole product must agree with the factors modulo two large primes.
    for (std::uint64_t prime : {(std::uint64_t{1} << 61) - 1, std::uint64_t{1000000000000000003}}) {
        const Wide expected = static_cast<Wide>(residue(a, prime)) * residue(b, prime) % prime;
        EXPECT_EQ(residue(got, prime), static_cast<std::uint64_t>(expected));
    }
}

// giant_multiply picks the method by the operands' digit counts; each size class agrees with
// the schoolbook product.
TEST(GiantMultiply, EveryMethodGivesTheSchoolbookProduct) {
    std::mt19937 random(7);
    const int sizes[][2] = {{1, 1},     {40, 40},   {41, 41},   {120, 60},  {200, 200},
                            {201, 199}, {10, 3999}, {10, 4000}, {300, 300}, {2000, 1500}};
    for (const auto& size : sizes) {
        const Digits a = randomDigits(random, size[0]);
        Digits b = randomDigits(random, size[1]);
        b.back() |= 1;  // keep the digit counts exact
        Digits aTop = a;
        aTop.back() |= 1;
        // No capacity below 64: a process's first giant fixes the scratch giants' size.
        giant x = giant_new(std::max(size[0], 64));
        giant y = giant_new(size[0] + size[1] + 64);
        std::copy(aTop.begin(), aTop.end(), x->digits());
        x->count = -size[0];
        std::copy(b.begin(), b.end(), y->digits());
        y->count = size[1];
        giant_multiply(x, y);

        Digits expected = product(multiplySchoolbook, aTop, b);
        while (!expected.empty() && expected.back() == 0) expected.pop_back();
        EXPECT_EQ(y->count, -static_cast<int>(expected.size())) << size[0] << " x " << size[1];
        EXPECT_EQ(Digits(y->digits(), y->digits() + expected.size()), expected);
        giant_free(x);
        giant_free(y);
    }
}

}  // namespace
}  // namespace velcor::checks::detail
