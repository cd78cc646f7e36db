#include "fileio/FileSystem.h"

#include "fileio/FileError.h"
#include "fileio/HostPath.h"
#include "fileio/PlatformFiles.h"
#include "text/Text.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <system_error>

namespace velcor::fileio {

namespace {

// Paths arrive as Windows-1251 bytes; the host wants Unicode (UTF-8 on POSIX, UTF-16 on Windows),
// which std::filesystem::path builds from UTF-8 on both.
std::filesystem::path hostPath(const std::string& cp1251) {
    return pathFromUtf8(text::toUtf8(cp1251));
}

// The way back, for a path the host made up; false when Windows-1251 cannot spell it.
bool cp1251Path(const std::filesystem::path& host, std::string& out) {
    return text::fromUtf8(utf8FromPath(host), out);
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

class StandardReadFile final : public ReadFile {
  public:
    explicit StandardReadFile(std::FILE* file) : file_(file) {}
    ~StandardReadFile() override { std::fclose(file_); }
    StandardReadFile(const StandardReadFile&) = delete;
    StandardReadFile& operator=(const StandardReadFile&) = delete;

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        if (size == 0) return 0;
        errno = 0;
        const std::size_t got = std::fread(buffer, 1, size, file_);
        if (got == 0 && std::ferror(file_)) {
            error_ = lastSystemError();
            return -1;
        }
        return static_cast<std::ptrdiff_t>(got);
    }
    std::error_code error() const override { return error_; }
    bool seek(std::uint64_t offset) override {
#if defined(_WIN32)
        return _fseeki64(file_, static_cast<long long>(offset), SEEK_SET) == 0;
#else
        return fseeko(file_, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
    }

  private:
    std::FILE* file_;
    std::error_code error_;
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
        if (file_ == nullptr || !done(std::fwrite(data, 1, size, file_) == size)) return false;
        // A large file is sent on its way to the disk while the rest of it is still being made,
        // so that the sync at its end waits for little more than its last part.
        written_ += size;
        if (written_ - writtenBack_ >= kWriteBackStep) {
            detail::startWriteBack(file_, writtenBack_, written_ - writtenBack_);
            writtenBack_ = written_;
        }
        return true;
    }
    bool flush() override { return file_ != nullptr && done(std::fflush(file_) == 0); }
    bool sync() override { return file_ != nullptr && done(detail::syncFile(file_)); }
    bool close() override {
        if (file_ == nullptr) return false;
        errno = 0;
        const bool ok = done(std::fclose(file_) == 0);
        file_ = nullptr;
        return ok;
    }
    std::error_code error() const override { return error_; }

  private:
    // Keeps the cause of a step that failed, taken before anything else can change it.
    bool done(bool ok) {
        if (!ok && !error_) error_ = lastSystemError();
        return ok;
    }

    static constexpr std::uint64_t kWriteBackStep = 8u << 20;

    std::FILE* file_;
    std::error_code error_;
    std::uint64_t written_ = 0;
    std::uint64_t writtenBack_ = 0;
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
    std::unique_ptr<ReadFile> openRead(const std::string& path, std::error_code& cause) override {
        std::FILE* file = detail::openRegularFile(hostPath(path), cause);
        if (file == nullptr) return nullptr;
        return std::make_unique<StandardReadFile>(file);
    }

    std::unique_ptr<WriteFile> createTemporaryBeside(const std::string& targetPath,
                                                     std::string& tempPath,
                                                     std::error_code& cause) override {
        const std::filesystem::path target = followLinks(hostPath(targetPath));
        detail::ReplacedFile replaced;
        if (!detail::inspectReplaced(target, replaced, cause)) return nullptr;
        for (int attempt = 0; attempt < 100; ++attempt) {
            const std::filesystem::path host = target.parent_path() / temporaryName();
            std::string candidate;
            if (!cp1251Path(host, candidate)) {
                cause = std::make_error_code(std::errc::invalid_argument);
                return nullptr;
            }
            bool nameTaken = false;
            std::FILE* file = detail::createTemporary(host, replaced, nameTaken, cause);
            if (file == nullptr) {
                if (nameTaken) continue;
                return nullptr;
            }
            tempPath = candidate;
            return std::make_unique<StandardWriteFile>(file);
        }
        return nullptr;
    }

    bool rename(const std::string& from, const std::string& to, std::error_code& cause) override {
        return detail::renameReplacing(hostPath(from), followLinks(hostPath(to)), cause);
    }

    bool remove(const std::string& path) override {
        std::error_code error;
        return std::filesystem::remove(hostPath(path), error) && !error;
    }

    bool copy(const std::string& from, const std::string& to) override {
        return detail::copyReplacing(hostPath(from), hostPath(to));
    }

    bool hardLink(const std::string& from, const std::string& to, std::error_code& cause) override {
        return detail::linkFile(followLinks(hostPath(from)), hostPath(to), cause);
    }

    bool makePrivate(const std::string& path) override {
        return detail::makeFilePrivate(hostPath(path));
    }

    std::optional<FileStamp> stamp(const std::string& path) override {
        return detail::stampOf(hostPath(path));
    }

    LockAttempt tryLock(const std::string& path) override {
        return detail::tryLockFile(hostPath(path));
    }

    bool createPrivateFolder(const std::string& path, std::error_code& cause) override {
        return detail::createPrivateFolder(hostPath(path), cause);
    }

    std::vector<std::string> folderEntries(const std::string& path) override {
        std::vector<std::string> names;
        std::error_code error;
        for (std::filesystem::directory_iterator it(hostPath(path), error), end;
             !error && it != end; it.increment(error)) {
            // A name Windows-1251 cannot spell is none the caller could have made.
            std::string name;
            if (cp1251Path(it->path().filename(), name)) names.push_back(std::move(name));
        }
        return names;
    }
};

}  // namespace

FileSystem& standardFileSystem() {
    static StandardFileSystem instance;
    return instance;
}

}  // namespace velcor::fileio
