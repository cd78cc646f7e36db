#include "processing/TextModeReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace velcor::processing {
namespace {

// A file in memory that hands out at most `chunk` bytes per read and can fail at an offset.
class MemoryReadFile : public fileio::ReadFile {
  public:
    MemoryReadFile(std::string bytes, std::size_t chunk, std::size_t failAt = std::string::npos)
        : bytes_(std::move(bytes)), chunk_(chunk), failAt_(failAt) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        if (at_ >= failAt_) return -1;
        std::size_t n = std::min({size, chunk_, bytes_.size() - at_});
        if (failAt_ != std::string::npos) n = std::min(n, failAt_ - at_);
        std::memcpy(buffer, bytes_.data() + at_, n);
        at_ += n;
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::string bytes_;
    std::size_t chunk_;
    std::size_t failAt_;
    std::size_t at_ = 0;
};

std::vector<std::string> readPieces(const std::string& bytes, std::size_t chunk,
                                    bool* failed = nullptr,
                                    std::size_t failAt = std::string::npos) {
    MemoryReadFile file(bytes, chunk, failAt);
    TextModeReader reader(file);
    std::vector<std::string> pieces;
    std::string_view piece;
    TextModeReader::Result result;
    while ((result = reader.next(piece)) == TextModeReader::Result::piece)
        pieces.emplace_back(piece);
    if (failed != nullptr) *failed = result == TextModeReader::Result::error;
    return pieces;
}

// The same reading done the slow, obvious way: translate everything, then cut the pieces.
std::vector<std::string> modelPieces(const std::string& bytes) {
    std::string text;
    for (std::size_t i = 0; i < bytes.size() && bytes[i] != '\x1A'; ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    std::vector<std::string> pieces;
    for (std::size_t at = 0; at < text.size();) {
        std::size_t size = std::min<std::size_t>(TextModeReader::kMaxPiece, text.size() - at);
        const std::size_t lf = text.find('\n', at);
        if (lf != std::string::npos && lf - at < size) size = lf - at + 1;
        pieces.push_back(text.substr(at, size));
        at += size;
    }
    return pieces;
}

TEST(TextModeReader, ReadsLikeAWindowsTextModeStream) {
    const std::string a4093(4093, 'a');
    const std::string a4094(4094, 'a');
    struct Case {
        std::string bytes;
        std::vector<std::string> pieces;
    };
    const Case cases[] = {
        {"", {}},
        {"abc", {"abc"}},
        {"abc\r\nde\n", {"abc\n", "de\n"}},
        {"a\rb\r\r\n", {"a\rb\r\n"}},  // lone CRs stay
        {"abc\r", {"abc\r"}},          // a CR at the very end stays
        {"abc\r\x1A\n", {"abc\r"}},    // a CR before the end mark stays
        {"ab\nc\x1A"
         "d\ne\n",
         {"ab\n", "c"}},  // 0x1A ends the file
        {"\x1A"
         "abc\n",
         {}},
        {std::string("a\0b\n\0\n", 6), {std::string("a\0b\n", 4), std::string("\0\n", 2)}},
        {a4093 + "\r\n", {a4093 + "\n"}},  // the pair counts as one byte
        {a4094 + "\r\n", {a4094, "\n"}},
        {std::string(5000, 'x') + "\n", {std::string(4094, 'x'), std::string(906, 'x') + "\n"}},
    };
    for (const Case& c : cases) {
        for (const std::size_t chunk : {1u, 2u, 3u, 4094u, 65536u})
            EXPECT_EQ(readPieces(c.bytes, chunk), c.pieces) << "chunk " << chunk;
        EXPECT_EQ(modelPieces(c.bytes), c.pieces);
    }
}

TEST(TextModeReader, AgreesWithTheModelWhereverTheBlocksEnd) {
    std::mt19937 random(20240607);
    const char alphabet[] = {'a', 'b', '\r', '\n', '\r', '\0', ' '};
    for (int round = 0; round < 60; ++round) {
        std::string bytes;
        const std::size_t size = random() % (round < 40 ? 300 : 5000);
        for (std::size_t i = 0; i < size; ++i) {
            // Long runs without line ends now and then, to cross the 4094-byte limit.
            if (round >= 40 && random() % 100 == 0) bytes.append(random() % 5000, 'z');
            bytes += alphabet[random() % sizeof alphabet];
        }
        if (round % 10 == 9) bytes.insert(random() % (bytes.size() + 1), 1, '\x1A');
        const std::vector<std::string> expected = modelPieces(bytes);
        for (const std::size_t chunk : {round < 40 ? 1u : 5u, 7u, 4095u, 65536u})
            ASSERT_EQ(readPieces(bytes, chunk), expected)
                << "round " << round << " chunk " << chunk;
    }
}

TEST(TextModeReader, ReportsAReadErrorAfterTheCompletePieces) {
    bool failed = false;
    EXPECT_EQ(readPieces("ab\ncd\nef", 2, &failed, 5), (std::vector<std::string>{"ab\n"}));
    EXPECT_TRUE(failed);
    EXPECT_EQ(readPieces("ab\ncd\nef", 2, &failed),
              (std::vector<std::string>{"ab\n", "cd\n", "ef"}));
    EXPECT_FALSE(failed);
}

}  // namespace
}  // namespace velcor::processing
