#pragma once

// Why a file could not be used where the system has no error of its own to say so.

#include <string>
#include <system_error>
#include <type_traits>

namespace velcor::fileio {

enum class FileError {
    notRegularFile = 1,  // a device, a pipe, a socket where a file was wanted
};

const std::error_category& fileErrorCategory();

inline std::error_code make_error_code(FileError error) {
    return {static_cast<int>(error), fileErrorCategory()};
}

// The cause of the last failed call of the C library or the system, as it stands now: taken right
// where the call failed, before anything else can change it.
std::error_code lastSystemError();

}  // namespace velcor::fileio

template <>
struct std::is_error_code_enum<velcor::fileio::FileError> : std::true_type {};
