#pragma once

// The control data the bank asks for: total, number of payments and the CRC-32 control code.

#include "processing/Amount.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace velcor::processing {

// The CRC-32 register before the first byte.
inline constexpr std::uint32_t kCrcStart = 0xFFFFFFFFu;

struct ControlData {
    Cents totalSum = 0;            // exact, in cents
    std::int64_t recordCount = 0;  // a list may hold more rows than an int counts
    std::uint32_t controlCrc = kCrcStart;
    std::string totalText;        // totalSum with two decimals, right-aligned in 12 (formatCents)
    std::string countText;        // recordCount in decimal
    std::string controlCodeText;  // eight upper-case hexadecimal digits
};

// Starts the control data afresh; the control code text is left as it is.
void resetControlData(ControlData& data);

// CRC-32 (IEEE 802.3, reflected polynomial 0xEDB88320) lookup table.
using Crc32Table = std::array<std::uint32_t, 256>;
const Crc32Table& crc32Table();

// Runs the CRC-32 register over `size` bytes; the same result as one table step per byte, eight
// bytes at a time.
std::uint32_t crc32Update(std::uint32_t crc, const char* data, std::size_t size);

// The control code of a finished CRC-32: its four bytes from the least significant up, each as
// two upper-case hexadecimal digits (0x352441C2 gives "C2412435").
std::string controlCodeOf(std::uint32_t crc);

}  // namespace velcor::processing
