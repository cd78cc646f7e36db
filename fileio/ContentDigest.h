#pragma once

// What identifies the content of a file whatever its name, place or time: its size and its
// SHA-256. A stamp tells whether a file was touched; a digest tells whether it holds the same
// bytes as another, where a copy or a rename would give it a new stamp.

#include "fileio/FileSystem.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace velcor::fileio {

// SHA-256 (FIPS 180-4) of bytes that come in pieces of any size.
class Sha256 {
  public:
    using Digest = std::array<std::uint8_t, 32>;

    void add(const char* data, std::size_t size);
    // The digest of everything added so far; nothing may be added after it.
    Digest finish();

  private:
    void compress(const unsigned char* block);

    std::array<std::uint32_t, 8> state_ = {0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a,
                                           0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19};
    std::array<unsigned char, 64> block_{};
    std::size_t buffered_ = 0;
    std::uint64_t length_ = 0;  // in bytes
};

struct ContentDigest {
    std::uint64_t size = 0;
    Sha256::Digest sha256{};
    friend bool operator==(const ContentDigest&, const ContentDigest&) = default;
};

// Counts and digests bytes as they pass on their way somewhere else.
class ContentDigester {
  public:
    void add(const char* data, std::size_t size) {
        size_ += size;
        sha256_.add(data, size);
    }
    ContentDigest finish() { return {size_, sha256_.finish()}; }

  private:
    std::uint64_t size_ = 0;
    Sha256 sha256_;
};

// Lower-case hexadecimal digits of a digest, as sha256sum prints them.
std::string hexDigits(const Sha256::Digest& digest);

// "SIZE HEX" and back; nothing for a text that is not one.
std::string digestText(const ContentDigest& digest);
std::optional<ContentDigest> parseDigestText(std::string_view text);

// The digest of the file at `path`, read to its end through `fs`; nothing, with the cause, when
// it cannot be.
std::optional<ContentDigest> digestOfFile(FileSystem& fs, const std::string& path,
                                          std::error_code& cause);

}  // namespace velcor::fileio
