#pragma once

// The giant library's process-wide state, all of it in one object. giant_size_limit,
// giant_scratch_capacity and giant_error (Giant.h) are views of three of its members; the rest
// is the library's own. A client that reproduces the library's effects without calling it (the
// IBAN check's direct remainder) records them through the same operations the library uses.

#include "checks/giant/Giant.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace velcor::checks::detail {

struct FftComplex {
    double re;
    double im;
};

struct GiantState {
    // Starting at 0; see Giant.h.
    int sizeLimit = 0;
    int scratchCapacity = 0;
    int error = 0;

    // The scratch pool: a stack of giants of scratchCapacity digits. An entry's giant is
    // allocated the first time the entry is used and kept for the life of the process; the table
    // grows in steps of 16 entries.
    std::vector<giant> scratchTable;
    int scratchTop = 0;

    // Buffers kept between products so that the inner operations stop allocating once warmed
    // up: the product built aside, the Karatsuba workspace, and exp(-2 pi i k / n) for k < n / 2
    // of the largest transform length n used so far.
    std::vector<std::uint16_t> product;
    std::vector<std::uint16_t> karatsubaArena;
    std::vector<FftComplex> twiddles;
    std::size_t twiddleLength = 0;
    // The largest distance of a convolution value from its rounded integer in the last FFT.
    double lastFftRoundingError = 0.0;

    // What creating a giant of `capacity` digits records (0 or less: the largest size).
    void recordCreation(int capacity);
    // What a reduction records: it works with two giants created at the current size limit, which
    // are only accounted for, never allocated (at up to 524288 digits they would cost megabytes).
    void recordReduction();

    // Whether recording creations and reductions, and taking and giving back one scratch giant,
    // can change nothing any more: the size limit is at the largest size, the scratch capacity
    // is fixed and the scratch giant at the top of the stack is in place.
    bool settled() const {
        return sizeLimit == kGiantMaxDigits && scratchCapacity != 0 && scratchTop >= 0 &&
               static_cast<std::size_t>(scratchTop) < scratchTable.size() &&
               scratchTable[static_cast<std::size_t>(scratchTop)] != nullptr;
    }

    // Takes a scratch giant of value zero, allocating the entry on its first use (std::bad_alloc
    // when memory runs out); giveBackScratch never goes below the bottom of the stack.
    giant takeScratch();
    void giveBackScratch();

    // Sets the error code and ends the process with status 2.
    [[noreturn]] void failTooLarge();
};

// The one instance. It is never destroyed, so the scratch giants stay reachable until the very
// end, an exit from inside the library (which runs the static destructors) included.
GiantState& giantState();

}  // namespace velcor::checks::detail
