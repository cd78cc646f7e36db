#pragma once

// What identifies the content of a file whatever its name, place or time: its size and its
// SHA-256. A stamp tells whether a file was touched; a digest tells whether it holds the same
// bytes as another, where a copy or a rename would give it a new stamp.

#include "fileio/FileSystem.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace velcor::fileio {

// SHA-256 (FIPS 180-4) of bytes that come in pieces of any size. The system's own
// implementation does the work (libcrypto's, with the processor's SHA instructions where it has
// them, on POSIX systems; CNG on Windows), in a source file of each system's. It can be moved, not
// copied; a moved-from one starts anew. The system's hash fails only where memory runs out, which
// throws std::bad_alloc as any allocation would.
class Sha256 {
  public:
    using Digest = std::array<std::uint8_t, 32>;

    Sha256() noexcept;
    ~Sha256();
    Sha256(Sha256&& other) noexcept;
    Sha256& operator=(Sha256&& other) noexcept;
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;

    void add(const char* data, std::size_t size);
    // The digest of everything added so far; nothing may be added after it.
    Digest finish();

  private:
    struct State;  // the system's hash object, made at the first byte
    State& state();

    std::unique_ptr<State> state_;
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
