#pragma once

// velcor-cli takes its arguments and shows its paths in UTF-8; the system spells paths its own way
// (UTF-8 bytes on POSIX, UTF-16 on Windows). A path built from a plain std::string would be read
// in the ANSI code page on Windows, so every conversion goes through here.

#include <filesystem>
#include <string>

namespace velcor::app::cli {

std::filesystem::path hostPath(const std::string& utf8);
std::string utf8Path(const std::filesystem::path& path);

}  // namespace velcor::app::cli
