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

}  // namespace

void resetControlData(ControlData& data) {
    data.controlCrc = 0xFFFFFFFFu;
    data.countText.clear();
    data.totalText.clear();
    data.totalSum = 0.0;
    data.recordCount = 0;
}

const Crc32Table& crc32Table() { return kCrc32Table; }

std::string controlCodeOf(std::uint32_t crc) {
    char text[9];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X", crc & 0xFFu, (crc >> 8) & 0xFFu,
                  (crc >> 16) & 0xFFu, (crc >> 24) & 0xFFu);
    return text;
}

}  // namespace velcor::processing
