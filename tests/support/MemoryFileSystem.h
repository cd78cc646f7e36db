#pragma once

// A FileSystem held in memory, so that a fuzz target or a test can run a whole load, scan or
// save without touching the disk. Stamps change with every write, as on a real disk. A file is
// locked by its name, and for one thread: a second lock on a locked file finds it busy.

#include "fileio/FileSystem.h"

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace velcor::testing {

class MemoryFileSystem final : public fileio::FileSystem {
  public:
    std::map<std::string, std::string> files;

    std::unique_ptr<fileio::ReadFile> openRead(const std::string& path,
                                               std::error_code& cause) override;
    std::unique_ptr<fileio::WriteFile> createTemporaryBeside(const std::string& targetPath,
                                                             std::string& tempPath,
                                                             std::error_code& cause) override;
    bool rename(const std::string& from, const std::string& to, std::error_code& cause) override;
    bool remove(const std::string& path) override;
    bool copy(const std::string& from, const std::string& to) override;
    std::optional<fileio::FileStamp> stamp(const std::string& path) override;
    fileio::LockAttempt tryLock(const std::string& path) override;
    // Folders are there as soon as they are named: a folder holds the files whose paths begin
    // with it and a separator.
    bool createPrivateFolder(const std::string& path, std::error_code& cause) override;
    std::vector<std::string> folderEntries(const std::string& path) override;

  private:
    void touch(const std::string& path) { versions_[path] = ++clock_; }

    std::map<std::string, std::int64_t> versions_;
    std::set<std::string> locked_;
    std::int64_t clock_ = 0;
    unsigned temporaries_ = 0;
};

}  // namespace velcor::testing
