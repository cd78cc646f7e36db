// The file operations and the clock on Windows. Paths arrive as std::filesystem::path, whose
// native form is UTF-16: every call here is a wide (*W) one, so that a list in a folder with a
// Cyrillic name is reached whatever the user's ANSI code page.

#include "fileio/FileError.h"
#include "fileio/HostPath.h"
#include "fileio/LocalTime.h"
#include "fileio/PlatformFiles.h"
#include "fileio/UserDataFolder.h"

#include <cstdint>
#include <cstdlib>
#include <cwchar>

#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>

namespace velcor::fileio {

namespace {

// A FILETIME counts 100 ns steps from 1601; the stamp counts nanoseconds from 1970, as on POSIX.
std::int64_t unixNanoseconds(const FILETIME& time) {
    constexpr std::int64_t kStepsFrom1601To1970 = 116'444'736'000'000'000;
    const auto steps = static_cast<std::int64_t>((std::uint64_t{time.dwHighDateTime} << 32) |
                                                 std::uint64_t{time.dwLowDateTime});
    return (steps - kStepsFrom1601To1970) * 100;
}

// Opens what `path` names for reading its attributes only (a folder too): a list that another
// program holds open is reached all the same.
HANDLE openForAttributes(const std::filesystem::path& path) {
    return CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                       OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// A named mutex, held by the thread that took it and let go when the object goes.
class MutexLock final : public FileLock {
  public:
    explicit MutexLock(HANDLE mutex) : mutex_(mutex) {}
    ~MutexLock() override {
        ReleaseMutex(mutex_);
        CloseHandle(mutex_);
    }
    MutexLock(const MutexLock&) = delete;
    MutexLock& operator=(const MutexLock&) = delete;

  private:
    HANDLE mutex_;
};

}  // namespace

namespace detail {

std::FILE* openRegularFile(const std::filesystem::path& path, std::error_code& cause) {
    // A folder, or a device such as NUL or CON, is no list.
    struct _stat64 info {};
    if (_wstat64(path.c_str(), &info) != 0) {
        cause = lastSystemError();
        return nullptr;
    }
    if ((info.st_mode & _S_IFMT) != _S_IFREG) {
        cause = (info.st_mode & _S_IFMT) == _S_IFDIR
                    ? std::make_error_code(std::errc::is_a_directory)
                    : make_error_code(FileError::notRegularFile);
        return nullptr;
    }
    std::FILE* file = _wfopen(path.c_str(), L"rb");
    if (file == nullptr) cause = lastSystemError();
    return file;
}

bool inspectReplaced(const std::filesystem::path& target, ReplacedFile& replaced,
                     std::error_code& cause) {
    // Opened for its attributes, not looked up by name: a device such as NUL shows as no file at
    // all to the C library, and would be taken for a new list.
    replaced.path = target;
    const HANDLE handle = openForAttributes(target);
    replaced.exists = handle != INVALID_HANDLE_VALUE;
    if (!replaced.exists) {
        const DWORD error = GetLastError();
        cause = std::error_code(static_cast<int>(error), std::system_category());
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION info{};
    const bool regular = GetFileType(handle) == FILE_TYPE_DISK &&
                         GetFileInformationByHandle(handle, &info) != 0 &&
                         (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    CloseHandle(handle);
    if (!regular) {
        cause = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0
                    ? std::make_error_code(std::errc::is_a_directory)
                    : make_error_code(FileError::notRegularFile);
        return false;
    }
    // The read-only attribute binds every user, as a missing write bit does on POSIX.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0) {
        cause = std::make_error_code(std::errc::permission_denied);
        return false;
    }
    return true;
}

// Windows keeps no owner or mode to hand on: a new file inherits the folder's access rules.
std::FILE* createTemporary(const std::filesystem::path& path, const ReplacedFile&, bool& nameTaken,
                           std::error_code& cause) {
    nameTaken = false;
    // Hidden from its creation, as Windows does not hide a name for its leading full stop; made
    // only when the name is free, and not handed on to programs this one starts.
    const HANDLE handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                      CREATE_NEW, FILE_ATTRIBUTE_HIDDEN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        cause = std::error_code(static_cast<int>(error), std::system_category());
        nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        return nullptr;
    }
    const int fd = _open_osfhandle(reinterpret_cast<std::intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd == -1) {
        cause = lastSystemError();
        CloseHandle(handle);
        DeleteFileW(path.c_str());
        return nullptr;
    }
    std::FILE* file = _fdopen(fd, "wb");
    if (file == nullptr) {
        cause = lastSystemError();
        _close(fd);
        DeleteFileW(path.c_str());
    }
    return file;
}

bool syncFile(std::FILE* file) { return _commit(_fileno(file)) == 0; }

// Windows writes back on its own schedule; the final sync waits for what is left.
void startWriteBack(std::FILE*, std::uint64_t, std::uint64_t) {}

bool renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& cause) {
    // The replacement must not keep the hidden mark of the temporary file it was.
    const DWORD attributes = GetFileAttributesW(from.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0)
        SetFileAttributesW(from.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN});
    // Replaces an existing list in one step; the call returns once the move is on the disk, as
    // a folder cannot be synced here.
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    cause = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

bool copyReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

bool linkFile(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& cause) {
    // Refused across volumes (ERROR_NOT_SAME_DEVICE) and on file systems without links (FAT).
    if (CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return true;
    cause = std::error_code(static_cast<int>(GetLastError()), std::system_category());
    return false;
}

// A file's access rules on Windows are its own and go with every name of it: a linked list
// keeps the rules it had, which let no one read it who could not read the list itself. The
// folder under the user's profile keeps others out of the history as a whole.
bool makeFilePrivate(const std::filesystem::path&) { return true; }

std::optional<FileStamp> stampOf(const std::filesystem::path& path) {
    const HANDLE handle = openForAttributes(path);
    if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return std::nullopt;
    FileStamp result;
    result.size = (std::uint64_t{info.nFileSizeHigh} << 32) | std::uint64_t{info.nFileSizeLow};
    result.modifiedNanoseconds = unixNanoseconds(info.ftLastWriteTime);
    // The file index tells a list replaced by another of the same size and time.
    result.fileId = (std::uint64_t{info.nFileIndexHigh} << 32) | std::uint64_t{info.nFileIndexLow};
    return result;
}

// A byte-range lock (LockFileEx) needs the list open, and MoveFileExW will not replace a file that
// is open, however it was shared. So the lock is a mutex named after the file itself, its volume
// and file index, which every path to the file and every process and session of this machine
// share.
LockAttempt tryLockFile(const std::filesystem::path& path) {
    const HANDLE handle = openForAttributes(path);
    if (handle == INVALID_HANDLE_VALUE) return {};
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return {};
    wchar_t name[64];
    std::swprintf(name, sizeof name / sizeof name[0], L"Global\\velcor-%08lx-%08lx%08lx",
                  static_cast<unsigned long>(info.dwVolumeSerialNumber),
                  static_cast<unsigned long>(info.nFileIndexHigh),
                  static_cast<unsigned long>(info.nFileIndexLow));
    LockAttempt attempt;
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    if (mutex == nullptr) {
        // Another user's run made the mutex and holds it open: that run is replacing the file.
        attempt.busy = GetLastError() == ERROR_ACCESS_DENIED;
        return attempt;
    }
    // An abandoned mutex was held by a run that ended without letting go; it is this run's now.
    const DWORD waited = WaitForSingleObject(mutex, 0);
    if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
        attempt.lock = std::make_unique<MutexLock>(mutex);
        return attempt;
    }
    CloseHandle(mutex);
    attempt.busy = waited == WAIT_TIMEOUT;
    return attempt;
}

bool createPrivateFolder(const std::filesystem::path& folder, std::error_code& cause) {
    // A new folder takes the access rules of the one it is made in: under the user's profile,
    // the user's alone.
    std::filesystem::create_directories(folder, cause);
    if (cause) return false;
    if (!std::filesystem::is_directory(folder, cause)) {
        if (!cause) cause = std::make_error_code(std::errc::not_a_directory);
        return false;
    }
    return true;
}

}  // namespace detail

std::optional<std::string> userDataFolder() {
    const wchar_t* value = _wgetenv(L"LOCALAPPDATA");
    if (value == nullptr || *value == L'\0') return std::nullopt;
    const std::filesystem::path base(value);
    if (!base.is_absolute()) return std::nullopt;
    return utf8FromPath((base / L"velcor").lexically_normal());
}

std::tm localTime(std::time_t moment) {
    std::tm local{};
    if (localtime_s(&local, &moment) != 0) return std::tm{};
    return local;
}

}  // namespace velcor::fileio
