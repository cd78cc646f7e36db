#pragma once

// A small arbitrary-precision integer library. A giant is one heap block: its capacity, then a
// signed 32-bit count (|count| digits in use, the sign is the number's sign), then unsigned
// 16-bit digits, least significant first. The library keeps process-wide state and is meant for
// one thread only.
//
// Where the library cannot go on (a result that would reach the size limit or not fit its
// target, a reduction by zero or a negative divisor) it ends the process: giant_error is set to 2
// and the exit status is 2, or the exit status is 3 for the divisor. Running out of memory
// throws std::bad_alloc, for the caller to report.

#include <cstdint>

namespace velcor::checks {

struct GiantBlock {
    // Stored in front of the count so that every write into the block can be bounded by it.
    std::int32_t capacity;
    std::int32_t count;

    std::uint16_t* digits() { return reinterpret_cast<std::uint16_t*>(this + 1); }
    const std::uint16_t* digits() const { return reinterpret_cast<const std::uint16_t*>(this + 1); }
};

using giant = GiantBlock*;

// The nominal largest capacity: 524288 digits, numbers of up to 8388608 bits.
inline constexpr int kGiantMaxDigits = 0x80000;

// Library-wide state, starting at 0. The size limit bounds decimal conversions and left shifts
// and only grows; the scratch capacity is fixed by the first creation (or the first use of the
// scratch pool); the error code is 2 before the process ends for a result that is too large.
// They are views of the library's state object (GiantState.h), read and written as before.
extern int& giant_size_limit;
extern int& giant_scratch_capacity;
extern int& giant_error;

// A new giant of value zero that holds `capacity` digits (0 or less: kGiantMaxDigits; more
// than that is honoured after a warning on stderr).
giant giant_new(int capacity);
void giant_free(giant g);

void giant_from_int(int value, giant target);

// Reads decimal text: an optional sign as the first character, then the digits (at most 10000)
// up to a blank, tab or line feed that no backslash continues; other characters are skipped.
// Text without digits leaves the target unchanged.
void giant_from_decimal(giant target, const char* text);

// n becomes n modulo `divisor`, 0 <= n < divisor; the divisor must be positive.
void giant_mod(giant divisor, giant n);

// The value as an int for up to two digits (32-bit two's complement); 0 and a message on
// stderr for more.
int gtoi(giant g);

// Inner operations. They work on signed values unless said otherwise and end the process (as
// above) when a result does not fit its target.
int giant_compare(giant a, giant b);  // -1, 0 or 1
bool giant_is_zero(giant g);
int giant_bit_length(giant g);  // of the magnitude
void giant_copy(giant source, giant target);
void giant_add(giant a, giant target);       // target += a
void giant_subtract(giant a, giant target);  // target -= a
void giant_shift_left(giant g, int bits);    // magnitude times 2^bits
void giant_shift_right(giant g, int bits);   // magnitude divided by 2^bits, rounded down
void giant_multiply(giant a, giant target);  // target *= a

}  // namespace velcor::checks
