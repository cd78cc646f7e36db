#pragma once

// How much of a line is read at a time, for omp.ini and for payment lists alike: a 4096-byte
// buffer holds a piece of at most 4094 bytes, its LF and the terminating zero.

#include <cstddef>

namespace velcor::text {

inline constexpr std::size_t kLineBufferSize = 4096;
inline constexpr std::size_t kLinePieceLimit = kLineBufferSize - 2;

}  // namespace velcor::text
