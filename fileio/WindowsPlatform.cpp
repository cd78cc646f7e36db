// The file operations and the clock on Windows.

#include "fileio/LocalTime.h"
#include "fileio/PlatformFiles.h"

#include <cerrno>
#include <chrono>
#include <system_error>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

namespace velcor::fileio {

namespace detail {

std::FILE* openRegularFile(const std::filesystem::path& path) {
    struct _stat64 info {};
    if (_wstat64(path.c_str(), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG) return nullptr;
    return _wfopen(path.c_str(), L"rb");
}

bool inspectReplaced(const std::filesystem::path& target, ReplacedFile& replaced) {
    struct _stat64 info {};
    replaced.exists = _wstat64(target.c_str(), &info) == 0;
    if (!replaced.exists) return errno == ENOENT;
    // A read-only attribute shows as a missing write bit.
    if ((info.st_mode & _S_IFMT) != _S_IFREG || (info.st_mode & _S_IWRITE) == 0) return false;
    replaced.mode = info.st_mode;
    return true;
}

// Windows keeps no owner or mode to hand on: a new file inherits the folder's access rules.
std::FILE* createTemporary(const std::filesystem::path& path, const ReplacedFile&,
                           bool& nameTaken) {
    nameTaken = false;
    std::FILE* file = _wfopen(path.c_str(), L"wbx");
    if (file == nullptr) {
        nameTaken = errno == EEXIST;
        return nullptr;
    }
    // Windows does not hide a name for its leading full stop.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    return file;
}

bool syncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

bool renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    // The replacement must not keep the hidden mark of the temporary file it was.
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0)
        SetFileAttributesW(from.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN});
    // A folder cannot be synced here; the rename stands as the system commits it.
    std::error_code error;
    std::filesystem::rename(from, to, error);
    return !error;
}

std::optional<FileStamp> stampOf(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error) return std::nullopt;
    const auto modified = std::filesystem::last_write_time(path, error);
    if (error) return std::nullopt;
    FileStamp result;
    result.size = size;
    result.modifiedNanoseconds =
        std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch()).count();
    return result;
}

}  // namespace detail

std::tm localTime(std::time_t moment) {
    std::tm local{};
    if (localtime_s(&local, &moment) != 0) return std::tm{};
    return local;
}

}  // namespace velcor::fileio
