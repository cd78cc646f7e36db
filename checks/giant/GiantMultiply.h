#pragma once

// Products of 16-bit digit strings (least significant digit first) for the giant library. Every
// function writes the exact product of a (p digits) and b (q digits) into out, which holds p + q
// digits and overlaps neither factor; p and q are at least 1.

#include <cstdint>

namespace velcor::checks::detail {

// The method by digit counts: Karatsuba when both lie in 41-200, else schoolbook when
// p * q < 40000, else the FFT.
void multiplyDigits(const std::uint16_t* a, int p, const std::uint16_t* b, int q,
                    std::uint16_t* out);

void multiplySchoolbook(const std::uint16_t* a, int p, const std::uint16_t* b, int q,
                        std::uint16_t* out);

// One Karatsuba split into three half-size products, each chosen again by multiplyDigits.
void multiplyKaratsuba(const std::uint16_t* a, int p, const std::uint16_t* b, int q,
                       std::uint16_t* out);

// A double-precision complex FFT over 8-bit pieces. Exact for p + q up to kFftMaxDigits.
void multiplyFft(const std::uint16_t* a, int p, const std::uint16_t* b, int q, std::uint16_t* out);

// The largest product (in digits) the FFT is proven exact for: the nominal giant size.
inline constexpr int kFftMaxDigits = 0x80000;

// The largest distance of a convolution value from its rounded integer in the last FFT
// product; tests watch it stay far below 0.5.
double lastFftRoundingError();

}  // namespace velcor::checks::detail
