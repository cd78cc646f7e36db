#include "support/MemoryFileSystem.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace velcor::testing {

namespace {

class MemoryReadFile final : public fileio::ReadFile {
  public:
    explicit MemoryReadFile(std::string bytes) : bytes_(std::move(bytes)) {}

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, bytes_.size() - position_);
        std::memcpy(buffer, bytes_.data() + position_, count);
        position_ += count;
        return static_cast<std::ptrdiff_t>(count);
    }
    bool seek(std::uint64_t offset) override {
        if (offset > bytes_.size()) return false;
        position_ = static_cast<std::size_t>(offset);
        return true;
    }

  private:
    std::string bytes_;  // a copy: a file opened for reading does not see later writes
    std::size_t position_ = 0;
};

class MemoryWriteFile final : public fileio::WriteFile {
  public:
    explicit MemoryWriteFile(std::string& target) : target_(target) {}

    bool write(const char* data, std::size_t size) override {
        target_.append(data, size);
        return true;
    }
    bool flush() override { return true; }
    bool sync() override { return true; }
    bool close() override { return true; }

  private:
    std::string& target_;  // std::map keeps references to its values stable
};

class MemoryLock final : public fileio::FileLock {
  public:
    MemoryLock(std::set<std::string>& locked, std::string path)
        : locked_(locked), path_(std::move(path)) {}
    ~MemoryLock() override { locked_.erase(path_); }
    MemoryLock(const MemoryLock&) = delete;
    MemoryLock& operator=(const MemoryLock&) = delete;

  private:
    std::set<std::string>& locked_;
    std::string path_;
};

}  // namespace

std::unique_ptr<fileio::ReadFile> MemoryFileSystem::openRead(const std::string& path,
                                                             std::error_code& cause) {
    const auto found = files.find(path);
    if (found == files.end()) {
        cause = std::make_error_code(std::errc::no_such_file_or_directory);
        return nullptr;
    }
    return std::make_unique<MemoryReadFile>(found->second);
}

std::unique_ptr<fileio::WriteFile> MemoryFileSystem::createTemporaryBeside(
    const std::string& targetPath, std::string& tempPath, std::error_code&) {
    // Named as the standard file system names its temporaries: in the target's folder, hidden,
    // with nothing of the target's name.
    const std::size_t slash = targetPath.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "" : targetPath.substr(0, slash + 1);
    tempPath = folder + ".velcor-" + std::to_string(++temporaries_) + ".tmp";
    touch(tempPath);
    return std::make_unique<MemoryWriteFile>(files[tempPath]);
}

bool MemoryFileSystem::rename(const std::string& from, const std::string& to,
                              std::error_code& cause) {
    const auto found = files.find(from);
    if (found == files.end()) {
        cause = std::make_error_code(std::errc::no_such_file_or_directory);
        return false;
    }
    std::string bytes = std::move(found->second);
    files.erase(found);
    files[to] = std::move(bytes);
    touch(to);
    return true;
}

bool MemoryFileSystem::remove(const std::string& path) {
    versions_.erase(path);
    return files.erase(path) > 0;
}

bool MemoryFileSystem::copy(const std::string& from, const std::string& to) {
    const auto found = files.find(from);
    if (found == files.end()) return false;
    files[to] = found->second;
    touch(to);
    return true;
}

std::optional<fileio::FileStamp> MemoryFileSystem::stamp(const std::string& path) {
    const auto found = files.find(path);
    if (found == files.end()) return std::nullopt;
    fileio::FileStamp stamp;
    stamp.size = found->second.size();
    stamp.modifiedNanoseconds = versions_[path];
    return stamp;
}

fileio::LockAttempt MemoryFileSystem::tryLock(const std::string& path) {
    fileio::LockAttempt attempt;
    if (files.count(path) == 0) return attempt;
    if (!locked_.insert(path).second) {
        attempt.busy = true;
        return attempt;
    }
    attempt.lock = std::make_unique<MemoryLock>(locked_, path);
    return attempt;
}

bool MemoryFileSystem::createPrivateFolder(const std::string&, std::error_code&) { return true; }

std::vector<std::string> MemoryFileSystem::folderEntries(const std::string& path) {
    // Either separator, as Windows takes both.
    std::vector<std::string> names;
    for (const auto& [file, bytes] : files) {
        if (file.size() <= path.size() + 1 || !file.starts_with(path) ||
            (file[path.size()] != '/' && file[path.size()] != '\\'))
            continue;
        const std::string name = file.substr(path.size() + 1);
        if (name.find_first_of("/\\") == std::string::npos) names.push_back(name);
    }
    return names;
}

}  // namespace velcor::testing
