#include "processing/ByteSearch.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace velcor::processing {
namespace {

// Word-at-a-time search must answer as the plain search does, wherever the byte stands in a
// word, for every byte value (those with the high bit set, NUL and the byte's own neighbours
// included), from every starting point.
TEST(FindByte, AnswersAsThePlainSearchDoes) {
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        const auto byte = static_cast<char>(random() % 256);
        // Mostly bytes near the one looked for, where a carry between bytes would show.
        const char near[] = {byte,
                             static_cast<char>(byte ^ 0x80),
                             static_cast<char>(byte + 1),
                             static_cast<char>(byte - 1),
                             '\0',
                             static_cast<char>(0xFF)};
        std::string text(random() % 40, ' ');
        for (char& c : text)
            c = random() % 4 == 0 ? static_cast<char>(random() % 256) : near[1 + random() % 5];
        for (int hits = static_cast<int>(random() % 3); hits > 0 && !text.empty(); --hits)
            text[random() % text.size()] = byte;
        for (std::size_t from = 0; from <= text.size() + 1; ++from)
            ASSERT_EQ(findByte(text, byte, from), std::string_view(text).find(byte, from))
                << "byte " << int(static_cast<unsigned char>(byte)) << " from " << from;
    }
}

// The control-byte search must find what a byte-by-byte look finds, whatever stands around the
// byte: bytes a borrow could mistake (0x20, 0x80, 0xFF), and TAB, CR and LF, which it lets pass.
TEST(FindControlByte, AnswersAsAByteByByteLookDoes) {
    const auto refused = [](unsigned char b) {
        return (b < 0x20 && b != '\t' && b != '\r' && b != '\n') || b == 0x7F;
    };
    const char common[] = {' ', 'A', '\t', '\r', '\n', '\x20', '\x21', '\x80', '\xFF', '\x7E'};
    std::mt19937 random(11);
    for (int round = 0; round < 4000; ++round) {
        std::string text(random() % 40, ' ');
        for (char& c : text)
            c = random() % 16 == 0 ? static_cast<char>(random() % 256) : common[random() % 10];
        std::size_t expected = std::string_view::npos;
        for (std::size_t i = 0; i < text.size() && expected == std::string_view::npos; ++i)
            if (refused(static_cast<unsigned char>(text[i]))) expected = i;
        ASSERT_EQ(findControlByte(text), expected) << round;
    }
}

}  // namespace
}  // namespace velcor::processing
