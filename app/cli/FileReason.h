#pragma once

// Why a file cannot be used or written, in words for the operator (Windows-1251). The window's
// logic only knows that a file could not be read; velcor-cli asks the system why, at its edge.

#include <optional>
#include <string>
#include <system_error>

namespace velcor::app::cli {

// Why `path` (UTF-8) cannot be read the way the file layer reads a list
// or omp.ini: a regular file opened for reading. Nothing when it can.
std::optional<std::string> unreadableFileReason(const std::string& path);

// A system error in words.
std::string systemErrorText(std::error_code error);

}  // namespace velcor::app::cli
