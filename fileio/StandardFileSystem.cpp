#include "fileio/FileSystem.h"

#include "text/Text.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#include <sys/types.h>
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

// A name for a temporary file beside the target: same folder, so that the final rename stays on
// one file system and is atomic.
std::string temporaryName(const std::string& targetPath) {
    static std::mt19937_64 generator{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return targetPath + text::format(".%016llx.tmp", static_cast<unsigned long long>(generator()));
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
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::string candidate = temporaryName(targetPath);
            const auto host = hostPath(candidate);
#if defined(_WIN32)
            std::FILE* file = _wfopen(host.c_str(), L"wbx");
            if (file == nullptr) {
                if (errno == EEXIST) continue;
                return nullptr;
            }
            struct _stat64 info {};
            if (_wstat64(hostPath(targetPath).c_str(), &info) == 0)
                _wchmod(host.c_str(), info.st_mode & (_S_IREAD | _S_IWRITE));
#else
            const int fd = ::open(host.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
            if (fd < 0) {
                if (errno == EEXIST) continue;
                return nullptr;
            }
            // The replacement must look like the file it replaces (a read-only or private list
            // stays so); without a target the umask's defaults stand.
            struct stat info {};
            if (::stat(hostPath(targetPath).c_str(), &info) == 0 && S_ISREG(info.st_mode))
                ::fchmod(fd, info.st_mode & 07777);
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
        std::error_code error;
        std::filesystem::rename(hostPath(from), hostPath(to), error);
        return !error;
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
