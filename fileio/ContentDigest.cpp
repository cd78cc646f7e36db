#include "fileio/ContentDigest.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <vector>

namespace velcor::fileio {

namespace {

constexpr std::array<std::uint32_t, 64> kRoundConstants = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::uint32_t rotateRight(std::uint32_t value, int bits) {
    return (value >> bits) | (value << (32 - bits));
}

constexpr std::size_t kReadBlock = 1 << 16;

}  // namespace

void Sha256::compress(const unsigned char* block) {
    std::array<std::uint32_t, 64> w{};
    for (std::size_t i = 0; i < 16; ++i)
        w[i] = std::uint32_t{block[4 * i]} << 24 | std::uint32_t{block[4 * i + 1]} << 16 |
               std::uint32_t{block[4 * i + 2]} << 8 | std::uint32_t{block[4 * i + 3]};
    for (std::size_t i = 16; i < 64; ++i) {
        const std::uint32_t s0 =
            rotateRight(w[i - 15], 7) ^ rotateRight(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 =
            rotateRight(w[i - 2], 17) ^ rotateRight(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    auto [a, b, c, d, e, f, g, h] = state_;
    for (std::size_t i = 0; i < 64; ++i) {
        const std::uint32_t s1 = rotateRight(e, 6) ^ rotateRight(e, 11) ^ rotateRight(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + kRoundConstants[i] + w[i];
        const std::uint32_t s0 = rotateRight(a, 2) ^ rotateRight(a, 13) ^ rotateRight(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    const std::array<std::uint32_t, 8> worked = {a, b, c, d, e, f, g, h};
    for (std::size_t i = 0; i < 8; ++i) state_[i] += worked[i];
}

void Sha256::add(const char* data, std::size_t size) {
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    length_ += size;
    if (buffered_ > 0) {
        const std::size_t taken = std::min(size, block_.size() - buffered_);
        std::memcpy(block_.data() + buffered_, bytes, taken);
        buffered_ += taken;
        bytes += taken;
        size -= taken;
        if (buffered_ < block_.size()) return;
        compress(block_.data());
        buffered_ = 0;
    }
    // Whole blocks straight from the caller's bytes: a large file is not copied twice.
    for (; size >= block_.size(); bytes += block_.size(), size -= block_.size()) compress(bytes);
    if (size > 0) std::memcpy(block_.data(), bytes, size);
    buffered_ = size;
}

Sha256::Digest Sha256::finish() {
    // The padding: a one bit, zeros up to 56 bytes into a block, and the length in bits.
    const std::uint64_t bits = length_ * 8;
    const char one = static_cast<char>(0x80);
    add(&one, 1);
    const char zeros[64] = {};
    add(zeros, (block_.size() + 56 - buffered_) % block_.size());
    char length[8];
    for (std::size_t i = 0; i < 8; ++i) length[i] = static_cast<char>(bits >> (56 - 8 * i));
    add(length, sizeof length);
    Digest digest{};
    for (std::size_t i = 0; i < 32; ++i)
        digest[i] = static_cast<std::uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
    return digest;
}

std::string hexDigits(const Sha256::Digest& digest) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    for (const std::uint8_t byte : digest) {
        out += kHex[byte >> 4];
        out += kHex[byte & 0x0F];
    }
    return out;
}

std::string digestText(const ContentDigest& digest) {
    return std::to_string(digest.size) + " " + hexDigits(digest.sha256);
}

std::optional<ContentDigest> parseDigestText(std::string_view text) {
    const std::size_t blank = text.find(' ');
    if (blank == std::string_view::npos || blank == 0) return std::nullopt;
    ContentDigest digest;
    const char* sizeEnd = text.data() + blank;
    const auto [end, error] = std::from_chars(text.data(), sizeEnd, digest.size);
    if (error != std::errc() || end != sizeEnd) return std::nullopt;
    const std::string_view hex = text.substr(blank + 1);
    if (hex.size() != 2 * digest.sha256.size()) return std::nullopt;
    for (std::size_t i = 0; i < digest.sha256.size(); ++i) {
        const char* pair = hex.data() + 2 * i;
        // Lower case only, as written: "+f" and the like, which from_chars would not take either.
        for (const char* c = pair; c < pair + 2; ++c)
            if (!((*c >= '0' && *c <= '9') || (*c >= 'a' && *c <= 'f'))) return std::nullopt;
        std::from_chars(pair, pair + 2, digest.sha256[i], 16);
    }
    return digest;
}

std::optional<ContentDigest> digestOfFile(FileSystem& fs, const std::string& path,
                                          std::error_code& cause) {
    std::unique_ptr<ReadFile> file = fs.openRead(path, cause);
    if (!file) return std::nullopt;
    ContentDigester digester;
    std::vector<char> buffer(kReadBlock);
    for (;;) {
        const std::ptrdiff_t got = file->read(buffer.data(), buffer.size());
        if (got < 0) {
            cause = file->error();
            return std::nullopt;
        }
        if (got == 0) return digester.finish();
        digester.add(buffer.data(), static_cast<std::size_t>(got));
    }
}

}  // namespace velcor::fileio
