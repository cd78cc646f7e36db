#include "checks/giant/Giant.h"

#include "checks/giant/GiantMultiply.h"
#include "checks/giant/GiantState.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

namespace velcor::checks {

namespace detail {

namespace {

constexpr int kScratchTableStep = 16;

// Holds the state without ever destroying it; constant-initialised, so it is ready before any
// other static initialisation could call the library.
union StateStorage {
    constexpr StateStorage() : state() {}
    ~StateStorage() {}
    GiantState state;
};

constinit StateStorage storage;

}  // namespace

GiantState& giantState() { return storage.state; }

void GiantState::recordCreation(int capacity) {
    if (capacity <= 0) capacity = kGiantMaxDigits;
    const int doubled = capacity >= kGiantMaxDigits / 2 ? kGiantMaxDigits : 2 * capacity;
    if (doubled > sizeLimit) sizeLimit = doubled;
    if (scratchCapacity == 0) scratchCapacity = sizeLimit;
}

void GiantState::recordReduction() {
    recordCreation(sizeLimit);
    recordCreation(sizeLimit);
}

giant GiantState::takeScratch() {
    if (sizeLimit == 0) sizeLimit = kGiantMaxDigits;
    if (scratchCapacity == 0) scratchCapacity = sizeLimit;
    if (scratchTop == static_cast<int>(scratchTable.size()))
        scratchTable.resize(scratchTable.size() + kScratchTableStep, nullptr);
    giant& entry = scratchTable[static_cast<std::size_t>(scratchTop)];
    if (entry == nullptr) {
        entry = static_cast<giant>(
            std::malloc(sizeof(GiantBlock) + sizeof(std::uint16_t) * std::size_t(scratchCapacity)));
        // Out of memory is the caller's to report (the scan ends with a message), never an abort.
        if (entry == nullptr) throw std::bad_alloc();
        entry->capacity = scratchCapacity;
    }
    entry->count = 0;
    ++scratchTop;
    return entry;
}

void GiantState::giveBackScratch() {
    if (scratchTop > 0) --scratchTop;
}

void GiantState::failTooLarge() {
    error = 2;
    std::exit(2);
}

}  // namespace detail

constinit int& giant_size_limit = detail::storage.state.sizeLimit;
constinit int& giant_scratch_capacity = detail::storage.state.scratchCapacity;
constinit int& giant_error = detail::storage.state.error;

namespace {

using Digit = std::uint16_t;

constexpr int kMaxDecimalDigits = 10000;

constinit detail::GiantState& state = detail::storage.state;

[[noreturn]] void failTooLarge() { state.failTooLarge(); }

// The number of digits up to the highest non-zero one.
int trimmedLength(const Digit* digits, int length) {
    while (length > 0 && digits[length - 1] == 0) --length;
    return length;
}

int magnitudeLength(const GiantBlock* g) {
    return trimmedLength(g->digits(), g->count < 0 ? -g->count : g->count);
}

int signOf(const GiantBlock* g) {
    if (magnitudeLength(g) == 0) return 0;
    return g->count < 0 ? -1 : 1;
}

// Every write of `length` digits into a giant goes through this test first.
void requireCapacity(const GiantBlock* g, int length) {
    if (length > g->capacity) failTooLarge();
}

void setMagnitude(giant g, int length, int sign) { g->count = sign < 0 ? -length : length; }

int compareMagnitudes(const Digit* a, int la, const Digit* b, int lb) {
    if (la != lb) return la < lb ? -1 : 1;
    for (int i = la - 1; i >= 0; --i)
        if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    return 0;
}

// Takes one scratch giant for the life of a block and gives it back when the block ends.
class Scratch {
  public:
    Scratch() : g_(state.takeScratch()) {}
    ~Scratch() { state.giveBackScratch(); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    giant get() const { return g_; }

  private:
    giant g_;
};

// |target| = |target| + |a| (sign of target kept unless target is zero).
void addMagnitudes(const GiantBlock* a, giant target, int resultSign) {
    const int la = magnitudeLength(a);
    const int lt = magnitudeLength(target);
    const int longer = std::max(la, lt);
    requireCapacity(target, longer);
    const Digit* x = a->digits();
    Digit* t = target->digits();
    std::uint32_t carry = 0;
    for (int i = 0; i < longer; ++i) {
        const std::uint32_t sum =
            (i < lt ? std::uint32_t{t[i]} : 0u) + (i < la ? std::uint32_t{x[i]} : 0u) + carry;
        t[i] = static_cast<Digit>(sum);
        carry = sum >> 16;
    }
    int length = longer;
    if (carry != 0) {
        requireCapacity(target, longer + 1);
        t[length++] = static_cast<Digit>(carry);
    }
    setMagnitude(target, length, resultSign);
}

// |target| = | |target| - |a| | with the given sign for the result.
void subtractMagnitudes(const GiantBlock* a, giant target, int resultSign) {
    const int la = magnitudeLength(a);
    const int lt = magnitudeLength(target);
    const Digit* x = a->digits();
    Digit* t = target->digits();
    const bool targetLarger = compareMagnitudes(t, lt, x, la) >= 0;
    const int longer = std::max(la, lt);
    requireCapacity(target, longer);
    std::uint32_t borrow = 0;
    for (int i = 0; i < longer; ++i) {
        const std::uint32_t big = targetLarger ? (i < lt ? t[i] : 0u) : (i < la ? x[i] : 0u);
        const std::uint32_t small =
            (targetLarger ? (i < la ? x[i] : 0u) : (i < lt ? t[i] : 0u)) + borrow;
        borrow = big < small ? 1 : 0;
        t[i] = static_cast<Digit>(big + (borrow << 16) - small);
    }
    setMagnitude(target, trimmedLength(t, longer), resultSign);
}

void addSigned(const GiantBlock* a, int aSign, giant target) {
    const int tSign = signOf(target);
    if (aSign == 0) return;
    if (tSign == 0 || tSign == aSign) {
        addMagnitudes(a, target, aSign);
        return;
    }
    const int order = compareMagnitudes(target->digits(), magnitudeLength(target), a->digits(),
                                        magnitudeLength(a));
    subtractMagnitudes(a, target, order >= 0 ? tSign : aSign);
}

// The reciprocal of d (d > 65535) for the reduction: about 2^(2b) / d with b the bit length of
// d - 1, lowered until r d <= 2^(2b).
void computeReciprocal(giant d, int b, giant r) {
    Scratch t;
    Scratch previous;
    giant_from_int(1, r);
    giant_shift_left(r, b);
    for (;;) {
        giant_copy(r, previous.get());
        // r = 2r - floor(floor(r^2 / 2^b) d / 2^b)
        giant_copy(r, t.get());
        giant_multiply(r, t.get());
        giant_shift_right(t.get(), b);
        giant_multiply(d, t.get());
        giant_shift_right(t.get(), b);
        giant_shift_left(r, 1);
        giant_subtract(t.get(), r);
        if (giant_compare(r, previous.get()) <= 0) {
            giant_copy(previous.get(), r);
            break;
        }
    }
    giant_from_int(1, previous.get());
    giant_shift_left(previous.get(), 2 * b);
    for (;;) {
        giant_copy(r, t.get());
        giant_multiply(d, t.get());
        if (giant_compare(t.get(), previous.get()) <= 0) break;
        giant_from_int(1, t.get());
        giant_subtract(t.get(), r);
    }
}

// n (non-negative) becomes n mod d for a divisor of two or more digits.
void reduceByReciprocal(giant d, giant n) {
    Scratch dMinusOne;
    Scratch r;
    Scratch t;
    giant_copy(d, dMinusOne.get());
    giant_from_int(1, t.get());
    giant_subtract(t.get(), dMinusOne.get());
    const int b = giant_bit_length(dMinusOne.get());
    computeReciprocal(d, b, r.get());
    const int s = giant_bit_length(r.get());
    // r d <= 2^(2b) and s = b + 1 keep t <= n, so n never goes negative.
    while (giant_compare(n, d) >= 0) {
        giant_copy(n, t.get());
        giant_shift_right(t.get(), s - 2);
        giant_multiply(r.get(), t.get());
        giant_shift_right(t.get(), s);
        giant_multiply(d, t.get());
        giant_subtract(t.get(), n);
        if (giant_compare(n, d) >= 0) giant_subtract(d, n);
    }
}

// Folds the 16-bit digits from the top: r = (r 65536 + digit) mod d never exceeds 32 bits.
std::uint32_t remainderBySmall(const GiantBlock* n, std::uint32_t divisor) {
    std::uint32_t r = 0;
    const Digit* d = n->digits();
    for (int i = magnitudeLength(n) - 1; i >= 0; --i) r = ((r << 16) | d[i]) % divisor;
    return r;
}

}  // namespace

giant giant_new(int capacity) {
    if (capacity > kGiantMaxDigits) {
        std::fputs("Requested giant too big.\n", stderr);
        std::fflush(stderr);
    }
    if (capacity <= 0) capacity = kGiantMaxDigits;
    auto* g = static_cast<giant>(
        std::malloc(sizeof(GiantBlock) + sizeof(Digit) * static_cast<std::size_t>(capacity)));
    if (g == nullptr) throw std::bad_alloc();
    g->capacity = capacity;
    g->count = 0;
    state.recordCreation(capacity);
    return g;
}

void giant_free(giant g) { std::free(g); }

void giant_from_int(int value, giant target) {
    if (value == 0) {
        target->count = 0;
        return;
    }
    const std::uint32_t magnitude =
        value < 0 ? 0u - static_cast<std::uint32_t>(value) : static_cast<std::uint32_t>(value);
    const int length = (magnitude >> 16) != 0 ? 2 : 1;
    requireCapacity(target, length);
    target->digits()[0] = static_cast<Digit>(magnitude);
    if (length == 2) target->digits()[1] = static_cast<Digit>(magnitude >> 16);
    setMagnitude(target, length, value < 0 ? -1 : 1);
}

void giant_from_decimal(giant target, const char* text) {
    Scratch scratch;
    bool negative = false;
    const char* p = text;
    if (*p == '-') {
        negative = true;
        ++p;
    } else if (*p == '+') {
        ++p;
    }

    char collected[kMaxDecimalDigits];
    int digitCount = 0;
    bool continued = false;
    for (; *p != '\0' && digitCount < kMaxDecimalDigits; ++p) {
        const char c = *p;
        if (c >= '0' && c <= '9') {
            collected[digitCount++] = c;
            continued = false;
        } else if (c == '\\') {
            continued = true;
        } else if (c == ' ' || c == '\n' || c == '\t') {
            if (!continued) break;
        }
    }
    if (digitCount == 0) return;

    // Base-10000 limbs, least significant group of four decimal digits first. A text with more
    // limbs than a scratch giant holds is refused like any result that is too large.
    giant limbs = scratch.get();
    const int limbCount = (digitCount + 3) / 4;
    requireCapacity(limbs, limbCount);
    Digit* limb = limbs->digits();
    for (int i = 0; i < limbCount; ++i) {
        const int end = digitCount - 4 * i;
        const int begin = std::max(0, end - 4);
        unsigned value = 0;
        for (int k = begin; k < end; ++k) value = value * 10 + unsigned(collected[k] - '0');
        limb[i] = static_cast<Digit>(value);
    }

    int top = trimmedLength(limb, limbCount);
    target->count = 0;
    Digit* out = target->digits();
    int count = 0;
    do {
        std::uint32_t remainder = 0;
        for (int i = top - 1; i >= 0; --i) {
            const std::uint32_t current = remainder * 10000 + limb[i];
            limb[i] = static_cast<Digit>(current >> 16);
            remainder = current & 0xFFFF;
        }
        while (top > 0 && limb[top - 1] == 0) --top;
        requireCapacity(target, count + 1);
        out[count++] = static_cast<Digit>(remainder);
        target->count = count;
        if (count >= state.sizeLimit) failTooLarge();
    } while (top > 0);
    if (negative) target->count = -count;
}

void giant_mod(giant divisor, giant n) {
    if (signOf(divisor) <= 0) std::exit(3);

    state.recordReduction();

    if (n == divisor) {
        n->count = 0;
        return;
    }
    const bool negative = signOf(n) < 0;
    setMagnitude(n, magnitudeLength(n), 1);
    const int dLength = magnitudeLength(divisor);
    if (dLength == 1) {
        const std::uint32_t d = divisor->digits()[0];
        std::uint32_t r = remainderBySmall(n, d);
        if (negative && r != 0) r = d - r;
        n->digits()[0] = static_cast<Digit>(r);
        n->count = r != 0 ? 1 : 0;
        return;
    }

    reduceByReciprocal(divisor, n);
    if (negative && !giant_is_zero(n)) {
        Scratch result;
        giant_copy(divisor, result.get());
        giant_subtract(n, result.get());
        giant_copy(result.get(), n);
    }
}

int gtoi(giant g) {
    const int length = g->count < 0 ? -g->count : g->count;
    if (length > 2) {
        std::fputs("Giant too large for gtoi\n", stderr);
        return 0;
    }
    std::uint32_t value = 0;
    if (length >= 1) value = g->digits()[0];
    if (length == 2) value |= std::uint32_t{g->digits()[1]} << 16;
    if (g->count < 0) value = 0u - value;
    return static_cast<int>(value);
}

int giant_compare(giant a, giant b) {
    const int sa = signOf(a);
    const int sb = signOf(b);
    if (sa != sb) return sa < sb ? -1 : 1;
    const int order =
        compareMagnitudes(a->digits(), magnitudeLength(a), b->digits(), magnitudeLength(b));
    return sa < 0 ? -order : order;
}

bool giant_is_zero(giant g) { return magnitudeLength(g) == 0; }

int giant_bit_length(giant g) {
    const int length = magnitudeLength(g);
    if (length == 0) return 0;
    int bits = 16 * (length - 1);
    for (unsigned top = g->digits()[length - 1]; top != 0; top >>= 1) ++bits;
    return bits;
}

void giant_copy(giant source, giant target) {
    if (source == target) return;
    const int length = magnitudeLength(source);
    requireCapacity(target, length);
    std::copy(source->digits(), source->digits() + length, target->digits());
    setMagnitude(target, length, signOf(source));
}

void giant_add(giant a, giant target) { addSigned(a, signOf(a), target); }

void giant_subtract(giant a, giant target) { addSigned(a, -signOf(a), target); }

void giant_shift_left(giant g, int bits) {
    const int length = magnitudeLength(g);
    if (length == 0 || bits <= 0) return;
    const int whole = bits / 16;
    const int part = bits % 16;
    // The result could need length + whole + 1 digits.
    const long long possible = static_cast<long long>(length) + whole + (part != 0 ? 1 : 0);
    if (possible > state.sizeLimit) failTooLarge();
    const int sign = signOf(g);
    Digit* d = g->digits();
    int newLength = length + whole;
    if (part != 0) {
        const Digit spill = static_cast<Digit>(d[length - 1] >> (16 - part));
        if (spill != 0) ++newLength;
        requireCapacity(g, newLength);
        if (spill != 0) d[length + whole] = spill;
        for (int i = length - 1; i > 0; --i)
            d[i + whole] = static_cast<Digit>((d[i] << part) | (d[i - 1] >> (16 - part)));
        d[whole] = static_cast<Digit>(d[0] << part);
    } else {
        requireCapacity(g, newLength);
        for (int i = length - 1; i >= 0; --i) d[i + whole] = d[i];
    }
    std::fill(d, d + whole, Digit{0});
    setMagnitude(g, newLength, sign);
}

void giant_shift_right(giant g, int bits) {
    const int length = magnitudeLength(g);
    if (length == 0 || bits <= 0) return;
    const int sign = signOf(g);
    const int whole = bits / 16;
    const int part = bits % 16;
    if (whole >= length) {
        g->count = 0;
        return;
    }
    Digit* d = g->digits();
    const int newLength = length - whole;
    for (int i = 0; i < newLength; ++i) {
        const unsigned low = d[i + whole];
        const unsigned high = i + whole + 1 < length ? d[i + whole + 1] : 0u;
        d[i] = static_cast<Digit>(part == 0 ? low : (low >> part) | (high << (16 - part)));
    }
    setMagnitude(g, trimmedLength(d, newLength), sign);
}

void giant_multiply(giant a, giant target) {
    const int p = magnitudeLength(a);
    const int q = magnitudeLength(target);
    const int sign = signOf(a) * signOf(target);
    if (p == 0 || q == 0) {
        target->count = 0;
        return;
    }
    // A product needs at least p + q - 1 digits; refusing it here also keeps the FFT within
    // the size for which it is proven exact.
    if (p + q - 1 > target->capacity || p + q > detail::kFftMaxDigits) failTooLarge();
    // The product is built aside (the factors may be one giant) in a buffer kept between calls.
    std::vector<Digit>& product = state.product;
    const auto productSize = static_cast<std::size_t>(p + q);
    if (product.size() < productSize) product.resize(productSize);
    detail::multiplyDigits(a->digits(), p, target->digits(), q, product.data());
    const int length = trimmedLength(product.data(), p + q);
    requireCapacity(target, length);
    std::copy(product.begin(), product.begin() + length, target->digits());
    setMagnitude(target, length, sign);
}

}  // namespace velcor::checks
