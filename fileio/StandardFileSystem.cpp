#include "fileio/FileSystem.h"

#include "fileio/WriteAccess.h"
#include "text/Text.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace velcor::fileio {

namespace {

// Paths arrive as Windows-1251 bytes; the host wants Unicode (UTF-8 on POSIX, UTF-16 on Windows),
// which std::filesystem::path builds from UTF-8 on both.
std::filesystem::path hostPath(const std::string& cp1251) {
    const std::string utf8 = text::toUtf8(cp1251);
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

// The way back, for a path the host made up; false when Windows-1251 cannot spell it.
bool cp1251Path(const std::filesystem::path& host, std::string& out) {
    const std::u8string utf8 = host.u8string();
    return text::fromUtf8(std::string(utf8.begin(), utf8.end()), out);
}

// The file a path names, symbolic links followed one by one: a link to a list stays a link while
// the list it points to is replaced. Only the last part of the path is followed; the folders on
// the way are left to the system, which resolves a relative link target the same way. A chain
// longer than the system's own limit is returned unfinished, and the system then refuses it.
std::filesystem::path followLinks(std::filesystem::path path) {
    std::error_code error;
    for (int hop = 0; hop < 40 && std::filesystem::is_symlink(path, error); ++hop) {
        const std::filesystem::path target = std::filesystem::read_symlink(path, error);
        if (error) break;
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
    return path;
}

// Makes a rename in `folder` survive a power cut. Best effort: the rename has happened already,
// and some systems cannot sync a folder.
void syncFolder([[maybe_unused]] const std::filesystem::path& folder) {
#if !defined(_WIN32)
    const int fd =
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
#endif
}

#if !defined(_WIN32)
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
#endif

class StandardReadFile final : public ReadFile {
  public:
    explicit StandardReadFile(std::FILE* file) : file_(file) {}
    ~StandardReadFile() override { std::fclose(file_); }
    StandardReadFile(const StandardReadFile&) = delete;
    StandardReadFile& operator=(const StandardReadFile&) = delete;

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        if (size == 0) return 0;
        const std::size_t got = std::fread(buffer, 1, size, file_);
        if (got == 0 && std::ferror(file_)) return -1;
        return static_cast<std::ptrdiff_t>(got);
    }

  private:
    std::FILE* file_;
};

class StandardWriteFile final : public WriteFile {
  public:
    explicit StandardWriteFile(std::FILE* file) : file_(file) {}
    ~StandardWriteFile() override {
        if (file_ != nullptr) std::fclose(file_);
    }
    StandardWriteFile(const StandardWriteFile&) = delete;
    StandardWriteFile& operator=(const StandardWriteFile&) = delete;

    bool write(const char* data, std::size_t size) override {
        if (file_ == nullptr) return false;
        return std::fwrite(data, 1, size, file_) == size;
    }
    bool flush() override { return file_ != nullptr && std::fflush(file_) == 0; }
    bool sync() override {
        if (file_ == nullptr) return false;
#if defined(_WIN32)
        return _commit(_fileno(file_)) == 0;
#else
        return ::fsync(fileno(file_)) == 0;
#endif
    }
    bool close() override {
        if (file_ == nullptr) return false;
        const bool ok = std::fclose(file_) == 0;
        file_ = nullptr;
        return ok;
    }

  private:
    std::FILE* file_;
};

// A name for a temporary file: hidden on POSIX by its leading full stop, short whatever the
// target's name (a list named near the system's length limit still gets one), and unlike any
// list name, so that a file left behind by a killed run is neither suggested nor accepted as one.
std::string temporaryName() {
    static std::mt19937_64 generator{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return text::format(".velcor-%016llx.tmp", static_cast<unsigned long long>(generator()));
}

class StandardFileSystem final : public FileSystem {
  public:
    std::unique_ptr<ReadFile> openRead(const std::string& path) override {
        const auto host = hostPath(path);
#if defined(_WIN32)
        struct _stat64 info {};
        if (_wstat64(host.c_str(), &info) != 0 || (info.st_mode & _S_IFMT) != _S_IFREG)
            return nullptr;
        std::FILE* file = _wfopen(host.c_str(), L"rb");
        if (file == nullptr) return nullptr;
#else
        // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
        const int fd = ::open(host.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) return nullptr;
        struct stat info {};
        if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
            ::close(fd);
            return nullptr;
        }
        const int flags = ::fcntl(fd, F_GETFL);
        if (flags != -1) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
        std::FILE* file = ::fdopen(fd, "rb");
        if (file == nullptr) {
            ::close(fd);
            return nullptr;
        }
#endif
        return std::make_unique<StandardReadFile>(file);
    }

    std::unique_ptr<WriteFile> createTemporaryBeside(const std::string& targetPath,
                                                     std::string& tempPath) override {
        const std::filesystem::path target = followLinks(hostPath(targetPath));
#if defined(_WIN32)
        struct _stat64 info {};
        const bool exists = _wstat64(target.c_str(), &info) == 0;
        if (!exists && errno != ENOENT) return nullptr;
        // A read-only attribute shows as a missing write bit.
        if (exists && ((info.st_mode & _S_IFMT) != _S_IFREG || (info.st_mode & _S_IWRITE) == 0))
            return nullptr;
#else
        struct stat info {};
        const bool exists = ::stat(target.c_str(), &info) == 0;
        if (!exists && errno != ENOENT) return nullptr;
        // The folder's write permission alone would let the rename replace a list its owner made
        // read-only.
        if (exists &&
            (!S_ISREG(info.st_mode) ||
             !detail::permitsWriting(info.st_mode, info.st_uid, info.st_gid, currentWriter())))
            return nullptr;
#endif
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path host = target.parent_path() / temporaryName();
            std::string candidate;
            if (!cp1251Path(host, candidate)) return nullptr;
#if defined(_WIN32)
            std::FILE* file = _wfopen(host.c_str(), L"wbx");
            if (file == nullptr) {
                if (errno == EEXIST) continue;
                return nullptr;
            }
            // Windows does not hide a name for its leading full stop.
            SetFileAttributesW(host.c_str(), FILE_ATTRIBUTE_HIDDEN);
#else
            // Private from the first moment, so a private list never shows to other users; it
            // gets the list's owner, group and mode before any byte is written. Without a target
            // the umask's defaults stand.
            const int fd =
                ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                return nullptr;
            }
            if (exists) {
                // Only a privileged process may give a file away; an ordinary one may still keep
                // the list's group if it belongs to it. Ownership first: its change clears the
                // set-ID bits that the mode then brings back.
                [[maybe_unused]] const bool owned =
                    ::fchown(fd, info.st_uid, info.st_gid) == 0 ||
                    ::fchown(fd, static_cast<uid_t>(-1), info.st_gid) == 0;
                ::fchmod(fd, info.st_mode & 07777);
            }
            std::FILE* file = ::fdopen(fd, "wb");
            if (file == nullptr) {
                ::close(fd);
                ::unlink(host.c_str());
                return nullptr;
            }
#endif
            tempPath = candidate;
            return std::make_unique<StandardWriteFile>(file);
        }
        return nullptr;
    }

    bool rename(const std::string& from, const std::string& to) override {
        const std::filesystem::path source = hostPath(from);
        const std::filesystem::path target = followLinks(hostPath(to));
#if defined(_WIN32)
        // The replacement must not keep the hidden mark of the temporary file it was.
        const DWORD attributes = GetFileAttributesW(source.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0)
            SetFileAttributesW(source.c_str(), attributes & ~DWORD{FILE_ATTRIBUTE_HIDDEN});
#endif
        std::error_code error;
        std::filesystem::rename(source, target, error);
        if (error) return false;
        syncFolder(target.parent_path());
        return true;
    }

    bool remove(const std::string& path) override {
        std::error_code error;
        return std::filesystem::remove(hostPath(path), error) && !error;
    }

    bool copy(const std::string& from, const std::string& to) override {
        std::error_code error;
        return std::filesystem::copy_file(hostPath(from), hostPath(to),
                                          std::filesystem::copy_options::overwrite_existing,
                                          error) &&
               !error;
    }

    std::optional<FileStamp> stamp(const std::string& path) override {
        const auto host = hostPath(path);
#if defined(_WIN32)
        std::error_code error;
        const auto size = std::filesystem::file_size(host, error);
        if (error) return std::nullopt;
        const auto modified = std::filesystem::last_write_time(host, error);
        if (error) return std::nullopt;
        FileStamp result;
        result.size = size;
        result.modifiedNanoseconds =
            std::chrono::duration_cast<std::chrono::nanoseconds>(modified.time_since_epoch())
                .count();
        return result;
#else
        struct stat info {};
        if (::stat(host.c_str(), &info) != 0) return std::nullopt;
        FileStamp result;
        result.size = static_cast<std::uint64_t>(info.st_size);
        result.modifiedNanoseconds =
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
        result.fileId = static_cast<std::uint64_t>(info.st_ino);
        return result;
#endif
    }
};

}  // namespace

FileSystem& standardFileSystem() {
    static StandardFileSystem instance;
    return instance;
}

}  // namespace velcor::fileio
