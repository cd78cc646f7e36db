#pragma once

// Paths between UTF-8 text and the system's own spelling (UTF-8 bytes on POSIX, UTF-16 on
// Windows). A std::filesystem::path built from a plain std::string would be read in the ANSI code
// page on Windows and lose every letter it lacks, so every conversion goes through here.

#include <filesystem>
#include <string>

namespace velcor::fileio {

inline std::filesystem::path pathFromUtf8(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace velcor::fileio
