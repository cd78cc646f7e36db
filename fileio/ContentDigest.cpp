#include "fileio/ContentDigest.h"

#include <charconv>
#include <vector>

namespace velcor::fileio {

namespace {

constexpr std::size_t kReadBlock = 1 << 16;

}  // namespace

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
