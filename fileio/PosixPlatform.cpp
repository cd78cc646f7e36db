// The file operations and the clock on POSIX systems.

#include "fileio/FileError.h"
#include "fileio/HostPath.h"
#include "fileio/LocalTime.h"
#include "fileio/PlatformFiles.h"
#include "fileio/UserDataFolder.h"
#include "fileio/WriteAccess.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#if defined(__linux__)
#include <sys/xattr.h>
#endif

namespace velcor::fileio {

namespace {

detail::Writer currentWriter() {
    detail::Writer writer;
    writer.user = ::geteuid();
    writer.group = ::getegid();
    const int count = ::getgroups(0, nullptr);
    if (count > 0) {
        std::vector<gid_t> groups(static_cast<std::size_t>(count));
        const int got = ::getgroups(count, groups.data());
        if (got > 0) writer.groups.assign(groups.begin(), groups.begin() + got);
    }
    return writer;
}

// Makes a rename in `folder` survive a power cut. Best effort: the rename has happened already,
// and some systems cannot sync a folder.
void syncFolder(const std::filesystem::path& folder) {
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

#if defined(__linux__)
// Reads a list of names or a value that the system hands out by size: asked for the size first,
// and again should it grow in between. False when it cannot be read.
template <typename Read>
bool readSized(std::vector<char>& out, Read read) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        const ssize_t size = read(nullptr, 0);
        if (size < 0) return false;
        out.resize(static_cast<std::size_t>(size));
        // Asked with no room, the system tells the size again rather than the bytes.
        if (size == 0) return true;
        const ssize_t got = read(out.data(), out.size());
        if (got >= 0) {
            out.resize(static_cast<std::size_t>(got));
            return true;
        }
        if (errno != ERANGE) return false;
    }
    return false;
}

// Hands every extended attribute of the file at `from` on to the open file `fd`: its access list
// (system.posix_acl_access), its security label, what programs keep under user.*. Set after the
// mode, as an access list sets the group bits of the mode itself. One that the process may not
// set or the file system cannot hold is left out: the list is prepared all the same.
void copyExtendedAttributes(const std::filesystem::path& from, int fd) {
    std::vector<char> names;
    const auto listNames = [&](char* buffer, std::size_t size) {
        return ::listxattr(from.c_str(), buffer, size);
    };
    if (!readSized(names, listNames)) return;
    std::vector<char> value;
    for (std::string_view rest(names.data(), names.size()); !rest.empty();) {
        const std::string name(rest.substr(0, rest.find('\0')));
        rest.remove_prefix(std::min(rest.size(), name.size() + 1));
        const auto readValue = [&](char* buffer, std::size_t size) {
            return ::getxattr(from.c_str(), name.c_str(), buffer, size);
        };
        if (!name.empty() && readSized(value, readValue))
            ::fsetxattr(fd, name.c_str(), value.data(), value.size(), 0);
    }
}
#endif

// A flock lock, held by the open file it was taken on and let go when that is closed; where the
// file system keeps no locks, that open file alone.
class DescriptorLock final : public FileLock {
  public:
    explicit DescriptorLock(int fd) : fd_(fd) {}
    ~DescriptorLock() override { ::close(fd_); }
    DescriptorLock(const DescriptorLock&) = delete;
    DescriptorLock& operator=(const DescriptorLock&) = delete;

  private:
    int fd_;
};

}  // namespace

namespace detail {

std::FILE* openRegularFile(const std::filesystem::path& path, std::error_code& cause) {
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        cause = lastSystemError();
        return nullptr;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        cause = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                      : make_error_code(FileError::notRegularFile);
        ::close(fd);
        return nullptr;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::FILE* file = ::fdopen(fd, "rb");
    if (file == nullptr) {
        cause = lastSystemError();
        ::close(fd);
    }
    return file;
}

bool inspectReplaced(const std::filesystem::path& target, ReplacedFile& replaced,
                     std::error_code& cause) {
    replaced.path = target;
    struct stat info {};
    replaced.exists = ::stat(target.c_str(), &info) == 0;
    if (!replaced.exists) {
        cause = lastSystemError();
        if (errno != ENOENT) return false;
        const std::filesystem::path folder =
            target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
        struct stat folderInfo {};
        replaced.privateFolder =
            ::stat(folder.c_str(), &folderInfo) == 0 && (folderInfo.st_mode & 077) == 0;
        return true;
    }
    if (!S_ISREG(info.st_mode)) {
        cause = S_ISDIR(info.st_mode) ? std::make_error_code(std::errc::is_a_directory)
                                      : make_error_code(FileError::notRegularFile);
        return false;
    }
    // The folder's write permission alone would let the rename replace a list its owner made
    // read-only.
    if (!permitsWriting(info.st_mode, info.st_uid, info.st_gid, currentWriter())) {
        cause = std::make_error_code(std::errc::permission_denied);
        return false;
    }
    replaced.mode = info.st_mode;
    replaced.owner = info.st_uid;
    replaced.group = info.st_gid;
    return true;
}

std::FILE* createTemporary(const std::filesystem::path& path, const ReplacedFile& replaced,
                           bool& nameTaken, std::error_code& cause) {
    nameTaken = false;
    // Private from the first moment, so a private list never shows to other users; it gets the
    // list's owner, group and mode before any byte is written. Without a target the umask's
    // defaults stand, but for a folder closed to others: what is kept there stays the user's
    // alone should it ever be moved out. The leading full stop of the name hides it.
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          replaced.exists || replaced.privateFolder ? 0600 : 0666);
    if (fd < 0) {
        cause = lastSystemError();
        nameTaken = errno == EEXIST;
        return nullptr;
    }
    if (replaced.exists) {
        // Only a privileged process may give a file away; an ordinary one may still keep the
        // list's group if it belongs to it. Ownership first: its change clears the set-ID bits
        // that the mode then brings back.
        const auto owner = static_cast<uid_t>(replaced.owner);
        const auto group = static_cast<gid_t>(replaced.group);
        [[maybe_unused]] const bool owned =
            ::fchown(fd, owner, group) == 0 || ::fchown(fd, static_cast<uid_t>(-1), group) == 0;
        ::fchmod(fd, static_cast<mode_t>(replaced.mode & 07777));
#if defined(__linux__)
        copyExtendedAttributes(replaced.path, fd);
#endif
    }
    std::FILE* file = ::fdopen(fd, "wb");
    if (file == nullptr) {
        cause = lastSystemError();
        ::close(fd);
        ::unlink(path.c_str());
    }
    return file;
}

bool syncFile(std::FILE* file) { return ::fsync(fileno(file)) == 0; }

void startWriteBack(std::FILE* file, std::uint64_t offset, std::uint64_t length) {
#if defined(__linux__)
    if (std::fflush(file) != 0) return;
    ::sync_file_range(fileno(file), static_cast<off64_t>(offset), static_cast<off64_t>(length),
                      SYNC_FILE_RANGE_WRITE);
#else
    (void)file;
    (void)offset;
    (void)length;
#endif
}

bool renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& cause) {
    std::filesystem::rename(from, to, cause);
    if (cause) return false;
    syncFolder(to.parent_path());
    return true;
}

bool copyReplacing(const std::filesystem::path& from, const std::filesystem::path& to) {
    std::error_code error;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing,
                                      error) &&
           !error;
}

bool linkFile(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& cause) {
    // Another user's file would stay theirs, and count against them, in this user's folder.
    struct stat info {};
    if (::stat(from.c_str(), &info) != 0) {
        cause = lastSystemError();
        return false;
    }
    if (!S_ISREG(info.st_mode) || info.st_uid != ::geteuid()) {
        cause = std::make_error_code(std::errc::operation_not_permitted);
        return false;
    }
    // The file itself, should `from` be a symbolic link still (a chain the caller did not end).
    if (::linkat(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), AT_SYMLINK_FOLLOW) != 0) {
        cause = lastSystemError();
        return false;
    }
    return true;
}

bool makeFilePrivate(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return false;
    if ((info.st_mode & 077) == 0) return true;
    // A file of another name too: closing it would close that name to those it is open to.
    if (info.st_nlink != 1 || info.st_uid != ::geteuid()) return false;
    return ::chmod(path.c_str(), S_IRUSR | S_IWUSR) == 0;
}

std::optional<FileStamp> stampOf(const std::filesystem::path& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return std::nullopt;
    FileStamp result;
    result.size = static_cast<std::uint64_t>(info.st_size);
    result.modifiedNanoseconds =
        static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
    result.fileId = static_cast<std::uint64_t>(info.st_ino);
    return result;
}

LockAttempt tryLockFile(const std::filesystem::path& path) {
    // Opened for reading where that is allowed: a file opened for writing shows as written to
    // whoever watches the folder. O_NONBLOCK: a FIFO put in the list's place would block the open.
    constexpr int kFlags = O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDONLY | kFlags);
    if (fd < 0 && errno == EACCES) fd = ::open(path.c_str(), O_WRONLY | kFlags);
    if (fd < 0) return {};
    // flock rather than fcntl: its lock belongs to this open file, so two opens in one process
    // exclude each other as two processes do, and closing another descriptor of the file in this
    // process does not let go of it.
    int locked = 0;
    do {
        locked = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (locked != 0 && errno == EINTR);
    if (locked == 0) return {std::make_unique<DescriptorLock>(fd)};
    const int error = errno;
    // File systems without locks (some network shares, or NFS through a descriptor opened for
    // reading) leave the replacement as it was before there were locks.
    if (error == ENOLCK || error == EOPNOTSUPP || error == EINVAL || error == ENOSYS ||
        error == EBADF)
        return {std::make_unique<DescriptorLock>(fd)};
    ::close(fd);
    LockAttempt attempt;
    attempt.busy = error == EWOULDBLOCK;
    return attempt;
}

bool createPrivateFolder(const std::filesystem::path& folder, std::error_code& cause) {
    // Each part as it comes, so that a parent made on the way is private from its creation too.
    std::filesystem::path made;
    for (const std::filesystem::path& part : folder) {
        made /= part;
        // An existing folder is not made again: some (an automounted home) refuse even to be
        // asked.
        struct stat existing {};
        if (::stat(made.c_str(), &existing) == 0 && S_ISDIR(existing.st_mode)) continue;
        if (::mkdir(made.c_str(), 0700) != 0 && errno != EEXIST) {
            cause = lastSystemError();
            return false;
        }
    }
    struct stat info {};
    if (::stat(folder.c_str(), &info) != 0) {
        cause = lastSystemError();
        return false;
    }
    if (!S_ISDIR(info.st_mode)) {
        cause = std::make_error_code(std::errc::not_a_directory);
        return false;
    }
    // A folder the user made earlier, or by hand, is closed as well: copies of lists are kept
    // there. One of another user's is left as it is.
    if (info.st_uid == ::geteuid() && (info.st_mode & 077) != 0 &&
        ::chmod(folder.c_str(), info.st_mode & 0700) != 0) {
        cause = lastSystemError();
        return false;
    }
    return true;
}

}  // namespace detail

std::optional<std::string> userDataFolder() {
    const auto absolute = [](const char* value) -> std::optional<std::filesystem::path> {
        if (value == nullptr || *value == '\0') return std::nullopt;
        std::filesystem::path path(value);
        if (!path.is_absolute()) return std::nullopt;
        return path;
    };
    // A relative XDG_DATA_HOME is no setting at all, as the XDG base directories have it.
    std::optional<std::filesystem::path> base = absolute(std::getenv("XDG_DATA_HOME"));
    if (!base) {
        const std::optional<std::filesystem::path> home = absolute(std::getenv("HOME"));
        if (!home) return std::nullopt;
        base = *home / ".local" / "share";
    }
    return utf8FromPath((*base / "velcor").lexically_normal());
}

std::tm localTime(std::time_t moment) {
    std::tm local{};
    if (::localtime_r(&moment, &local) == nullptr) return std::tm{};
    return local;
}

}  // namespace velcor::fileio
