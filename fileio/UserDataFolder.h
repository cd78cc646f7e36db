#pragma once

// Where the program keeps what belongs to the user who runs it rather than to a list or to a
// settings file.

#include <optional>
#include <string>

namespace velcor::fileio {

// The program's folder among the user's data: ${XDG_DATA_HOME:-~/.local/share}/velcor on POSIX
// systems (XDG_DATA_HOME only when it is an absolute path), %LOCALAPPDATA%\velcor on Windows.
// UTF-8; nothing when the environment names no such place.
std::optional<std::string> userDataFolder();

}  // namespace velcor::fileio
