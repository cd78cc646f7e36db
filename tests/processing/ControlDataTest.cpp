#include "processing/ControlData.h"

#include <gtest/gtest.h>

#include <string>

namespace velcor::processing {
namespace {

std::string allByteValues(int times) {
    std::string bytes;
    for (int t = 0; t < times; ++t)
        for (int b = 0; b < 256; ++b) bytes += static_cast<char>(b);
    return bytes;
}

TEST(ControlData, CrcMatchesTheStandardCheckValuesAtEveryLength) {
    struct Case {
        std::string bytes;
        std::uint32_t crc;
    };
    const Case cases[] = {
        {"", 0x00000000u},
        {"abc", 0x352441C2u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
        {allByteValues(3), 0xB0C0DF2Au},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(~crc32Update(0xFFFFFFFFu, c.bytes.data(), c.bytes.size()), c.crc) << c.bytes;
        // Split anywhere, the running register gives the same result.
        for (std::size_t cut = 0; cut <= c.bytes.size(); cut += 5) {
            const std::uint32_t head = crc32Update(0xFFFFFFFFu, c.bytes.data(), cut);
            EXPECT_EQ(~crc32Update(head, c.bytes.data() + cut, c.bytes.size() - cut), c.crc);
        }
    }
}

TEST(ControlData, ControlCodeReversesTheBytesAndResetKeepsIt) {
    EXPECT_EQ(controlCodeOf(0x352441C2u), "C2412435");
    EXPECT_EQ(controlCodeOf(0x0000000Au), "0A000000");
    ControlData data{1250, 3, 0x1234u, "       12.50", "3", "C2412435"};
    resetControlData(data);
    EXPECT_EQ(data.totalSum, 0);
    EXPECT_EQ(data.recordCount, 0);
    EXPECT_EQ(data.controlCrc, 0xFFFFFFFFu);
    EXPECT_EQ(data.totalText, "");
    EXPECT_EQ(data.countText, "");
    EXPECT_EQ(data.controlCodeText, "C2412435");
}

}  // namespace
}  // namespace velcor::processing
