#include "checks/giant/GiantMultiply.h"

#include "checks/giant/GiantState.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <vector>

namespace velcor::checks::detail {

namespace {

using Digit = std::uint16_t;

constexpr int kKaratsubaMin = 41;
constexpr int kKaratsubaMax = 200;
constexpr long long kSchoolbookProductLimit = 40000;

bool karatsubaSizes(int p, int q) {
    return p >= kKaratsubaMin && p <= kKaratsubaMax && q >= kKaratsubaMin && q <= kKaratsubaMax;
}

// Workspace for a Karatsuba product and everything it calls: each level takes at most
// p + q + 8 digits and the next level's sizes are about half, so 4 (p + q) is ample.
std::size_t karatsubaWorkspace(int p, int q) { return 4 * static_cast<std::size_t>(p + q) + 64; }

void multiplyInto(const Digit* a, int p, const Digit* b, int q, Digit* out, Digit* work);

// x (lx digits) + y (ly digits) into out, which gets max(lx, ly) + 1 digits.
int addDigits(const Digit* x, int lx, const Digit* y, int ly, Digit* out) {
    if (lx < ly) {
        std::swap(x, y);
        std::swap(lx, ly);
    }
    std::uint32_t carry = 0;
    for (int i = 0; i < lx; ++i) {
        const std::uint32_t sum = std::uint32_t{x[i]} + (i < ly ? y[i] : 0u) + carry;
        out[i] = static_cast<Digit>(sum);
        carry = sum >> 16;
    }
    out[lx] = static_cast<Digit>(carry);
    return lx + 1;
}

// x -= y where x >= y; x has lx digits, y has ly <= lx.
void subtractInPlace(Digit* x, int lx, const Digit* y, int ly) {
    std::uint32_t borrow = 0;
    for (int i = 0; i < lx && (i < ly || borrow != 0); ++i) {
        const std::uint32_t sub = (i < ly ? y[i] : 0u) + borrow;
        borrow = x[i] < sub ? 1 : 0;
        x[i] = static_cast<Digit>(x[i] + (borrow << 16) - sub);
    }
}

void karatsuba(const Digit* a, int p, const Digit* b, int q, Digit* out, Digit* work) {
    if (std::min(p, q) < 2) {
        multiplySchoolbook(a, p, b, q, out);
        return;
    }
    // a = a1 B^m + a0 and b = b1 B^m + b0 with B = 65536; both high halves are non-empty.
    const int m = (std::min(p, q) + 1) / 2;
    const Digit* a1 = a + m;
    const Digit* b1 = b + m;
    const int p1 = p - m;
    const int q1 = q - m;

    // z0 = a0 b0 and z2 = a1 b1 fill the low and high part of out side by side.
    multiplyInto(a, m, b, m, out, work);
    multiplyInto(a1, p1, b1, q1, out + 2 * m, work);

    Digit* sumA = work;
    const int la = addDigits(a, m, a1, p1, sumA);
    Digit* sumB = sumA + la;
    const int lb = addDigits(b, m, b1, q1, sumB);
    Digit* middle = sumB + lb;
    multiplyInto(sumA, la, sumB, lb, middle, middle + la + lb);

    // (a0 + a1)(b0 + b1) - z0 - z2 = a0 b1 + a1 b0, added at B^m.
    subtractInPlace(middle, la + lb, out, 2 * m);
    subtractInPlace(middle, la + lb, out + 2 * m, p1 + q1);
    const int total = p + q;
    std::uint32_t carry = 0;
    for (int i = 0; i < la + lb && m + i < total; ++i) {
        const std::uint32_t sum = std::uint32_t{out[m + i]} + middle[i] + carry;
        out[m + i] = static_cast<Digit>(sum);
        carry = sum >> 16;
    }
    for (int i = m + la + lb; carry != 0 && i < total; ++i) {
        const std::uint32_t sum = std::uint32_t{out[i]} + carry;
        out[i] = static_cast<Digit>(sum);
        carry = sum >> 16;
    }
}

void multiplyInto(const Digit* a, int p, const Digit* b, int q, Digit* out, Digit* work) {
    if (karatsubaSizes(p, q))
        karatsuba(a, p, b, q, out, work);
    else if (static_cast<long long>(p) * q < kSchoolbookProductLimit)
        multiplySchoolbook(a, p, b, q, out);
    else
        multiplyFft(a, p, b, q, out);
}

using Complex = FftComplex;

// Reused between products so that the inner operations stop allocating once warmed up.
std::vector<Digit>& karatsubaArena(std::size_t size) {
    std::vector<Digit>& arena = giantState().karatsubaArena;
    if (arena.size() < size) arena.resize(size);
    return arena;
}

// exp(-2 pi i k / n) for k < n / 2 of the largest n used so far; a smaller transform reads
// every (largest / n)-th entry. Each entry comes straight from cos and sin (error about one
// unit in the last place), never from a recurrence whose errors would add up.
const std::vector<Complex>& twiddles(std::size_t n) {
    GiantState& state = giantState();
    std::vector<Complex>& table = state.twiddles;
    if (state.twiddleLength < n) {
        table.resize(n / 2);
        for (std::size_t k = 0; k < n / 2; ++k) {
            const double angle =
                -2.0 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
            table[k] = {std::cos(angle), std::sin(angle)};
        }
        state.twiddleLength = n;
    }
    return table;
}

std::size_t twiddleStride(std::size_t n) { return 2 * twiddles(n).size() / n; }

// In-place radix-2 transform; `inverse` conjugates the twiddles (no scaling).
void fft(std::vector<Complex>& x, bool inverse) {
    const std::size_t n = x.size();
    for (std::size_t i = 1, j = 0; i < n; ++i) {
        std::size_t bit = n >> 1;
        for (; j & bit; bit >>= 1) j ^= bit;
        j ^= bit;
        if (i < j) std::swap(x[i], x[j]);
    }
    const std::vector<Complex>& w = twiddles(n);
    const std::size_t baseStride = twiddleStride(n);
    for (std::size_t len = 2; len <= n; len <<= 1) {
        const std::size_t half = len / 2;
        const std::size_t stride = baseStride * (n / len);
        for (std::size_t start = 0; start < n; start += len) {
            for (std::size_t k = 0; k < half; ++k) {
                const Complex t = w[k * stride];
                const double tr = t.re;
                const double ti = inverse ? -t.im : t.im;
                Complex& u = x[start + k];
                Complex& v = x[start + k + half];
                const double vr = v.re * tr - v.im * ti;
                const double vi = v.re * ti + v.im * tr;
                v = {u.re - vr, u.im - vi};
                u = {u.re + vr, u.im + vi};
            }
        }
    }
}

}  // namespace

void multiplySchoolbook(const Digit* a, int p, const Digit* b, int q, Digit* out) {
    std::fill(out, out + p + q, Digit{0});
    for (int i = 0; i < p; ++i) {
        // a[i] b[j] + out + carry <= (2^16 - 1)^2 + 2 (2^16 - 1) = 2^32 - 1: no overflow.
        std::uint32_t carry = 0;
        const std::uint32_t ai = a[i];
        for (int j = 0; j < q; ++j) {
            const std::uint32_t t = ai * b[j] + out[i + j] + carry;
            out[i + j] = static_cast<Digit>(t);
            carry = t >> 16;
        }
        out[i + q] = static_cast<Digit>(carry);
    }
}

void multiplyKaratsuba(const Digit* a, int p, const Digit* b, int q, Digit* out) {
    std::vector<Digit>& arena = karatsubaArena(karatsubaWorkspace(p, q));
    karatsuba(a, p, b, q, out, arena.data());
}

void multiplyDigits(const Digit* a, int p, const Digit* b, int q, Digit* out) {
    if (karatsubaSizes(p, q))
        multiplyKaratsuba(a, p, b, q, out);
    else
        multiplyInto(a, p, b, q, out, nullptr);
}

// Why the doubles suffice. Each 16-bit digit is split into two 8-bit pieces (0-255), so the
// factors become vectors x, y of at most 2p and 2q pieces, and the transform length N is the
// power of two at least 2(p + q). For p + q <= kFftMaxDigits = 2^19, N <= 2^20. A coefficient
// of the exact convolution is at most min(2p, 2q) * 255^2 < 2^19 * 2^16 = 2^35, far inside the
// 53-bit mantissa. The known worst-case error of a radix-2 FFT convolution in IEEE double
// arithmetic, with epsilon = 2^-53, n = log2 N and twiddles accurate to beta, is at most
//   |x|_2 |y|_2 ((1 + epsilon)^(3n) (1 + epsilon sqrt 5)^(3n + 1) (1 + beta)^(3n) - 1).
// Here |x|_2 |y|_2 <= 255^2 * 2^19 < 3.5e10 (at most N / 2 non-zero pieces each); with n = 20
// and beta <= 2 epsilon (cos and sin are correctly rounded or within an ulp) the bracket is
// below 3n epsilon + (3n + 1) epsilon sqrt 5 + 3n beta < 3.6e-14, so every coefficient is
// within 1.3e-3 of its integer: rounding to nearest is exact with a margin of more than 300.
void multiplyFft(const Digit* a, int p, const Digit* b, int q, Digit* out) {
    if (p + q > kFftMaxDigits) std::abort();  // beyond the proven bound; no giant is this big
    const std::size_t pieces = 2 * static_cast<std::size_t>(p + q);
    std::size_t n = 1;
    while (n < pieces) n <<= 1;
    std::vector<Complex> fa(n, Complex{0.0, 0.0});
    std::vector<Complex> fb(n, Complex{0.0, 0.0});
    // Each 16-bit digit goes in as two 8-bit pieces, low first.
    const auto split = [](const Digit* digits, int count, std::vector<Complex>& into) {
        for (std::size_t i = 0; i < static_cast<std::size_t>(count); ++i) {
            into[2 * i].re = digits[i] & 0xFF;
            into[2 * i + 1].re = digits[i] >> 8;
        }
    };
    split(a, p, fa);
    split(b, q, fb);
    fft(fa, false);
    fft(fb, false);
    for (std::size_t i = 0; i < n; ++i) {
        const Complex x = fa[i];
        const Complex y = fb[i];
        fa[i] = {x.re * y.re - x.im * y.im, x.re * y.im + x.im * y.re};
    }
    fft(fa, true);

    const double scale = 1.0 / static_cast<double>(n);
    double worst = 0.0;
    std::uint64_t carry = 0;
    for (int i = 0; i < p + q; ++i) {
        std::uint64_t piece[2];
        for (std::size_t half = 0; half < 2; ++half) {
            const double value = fa[2 * static_cast<std::size_t>(i) + half].re * scale;
            const double rounded = std::nearbyint(value);
            worst = std::max(worst, std::fabs(value - rounded));
            piece[half] = rounded > 0 ? static_cast<std::uint64_t>(rounded) : 0;
        }
        const std::uint64_t low = piece[0] + carry;
        const std::uint64_t high = piece[1] + (low >> 8);
        out[i] = static_cast<Digit>((low & 0xFF) | ((high & 0xFF) << 8));
        carry = high >> 8;
    }
    giantState().lastFftRoundingError = worst;
}

double lastFftRoundingError() { return giantState().lastFftRoundingError; }

}  // namespace velcor::checks::detail
