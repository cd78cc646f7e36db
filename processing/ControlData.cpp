#include "processing/ControlData.h"

#include <cstdio>

namespace velcor::processing {

namespace {

constexpr Crc32Table makeCrc32Table() {
    Crc32Table table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k) c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}

constexpr Crc32Table kCrc32Table = makeCrc32Table();

// Tables for eight bytes per step: kSliced[k][n] is the register after byte n followed by k zero
// bytes.
using SlicedTables = std::array<Crc32Table, 8>;
constexpr SlicedTables makeSlicedTables() {
    SlicedTables tables{};
    tables[0] = kCrc32Table;
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t n = 0; n < 256; ++n)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ kCrc32Table[tables[k - 1][n] & 0xFFu];
    return tables;
}

constexpr SlicedTables kSliced = makeSlicedTables();

}  // namespace

void resetControlData(ControlData& data) {
    data.controlCrc = kCrcStart;
    data.countText.clear();
    data.totalText.clear();
    data.totalSum = 0;
    data.recordCount = 0;
}

const Crc32Table& crc32Table() { return kCrc32Table; }

std::uint32_t crc32Update(std::uint32_t crc, const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    for (; size >= 8; size -= 8, bytes += 8) {
        const std::uint32_t low =
            crc ^ (std::uint32_t{bytes[0]} | std::uint32_t{bytes[1]} << 8 |
                   std::uint32_t{bytes[2]} << 16 | std::uint32_t{bytes[3]} << 24);
        crc = kSliced[7][low & 0xFFu] ^ kSliced[6][(low >> 8) & 0xFFu] ^
              kSliced[5][(low >> 16) & 0xFFu] ^ kSliced[4][low >> 24] ^ kSliced[3][bytes[4]] ^
              kSliced[2][bytes[5]] ^ kSliced[1][bytes[6]] ^ kSliced[0][bytes[7]];
    }
    for (; size > 0; --size, ++bytes) crc = kCrc32Table[(crc ^ *bytes) & 0xFFu] ^ (crc >> 8);
    return crc;
}

std::string controlCodeOf(std::uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", crc & 0xFFu, (crc >> 8) & 0xFFu,
                  (crc >> 16) & 0xFFu, (crc >> 24) & 0xFFu);
    return text;
}

}  // namespace velcor::processing
