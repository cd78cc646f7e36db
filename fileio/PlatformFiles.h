#pragma once

// The file operations that differ between POSIX systems and Windows, under the standard file
// system. Each system has them in one file of its own (PosixPlatform.cpp, WindowsPlatform.cpp), of
// which the build takes the one for the system it builds on.

#include "fileio/FileSystem.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

namespace velcor::fileio::detail {

// What the file a replacement takes the place of hands on to its temporary file.
struct ReplacedFile {
    std::filesystem::path path;  // where it is, for what is read from it by name
    bool exists = false;
    std::uint32_t mode = 0;  // type and permission bits
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    bool privateFolder = false;  // none exists, and its folder is closed to others
};

// Opens an existing regular file for reading bytes; nullptr for anything else, with the cause.
std::FILE* openRegularFile(const std::filesystem::path& path, std::error_code& cause);

// Looks at the file that `target` names before it is replaced; false when it cannot be looked at,
// or when it exists and is not a regular file the process may write (the cause says which).
bool inspectReplaced(const std::filesystem::path& target, ReplacedFile& replaced,
                     std::error_code& cause);

// Creates `path` as a new file for writing bytes that is hidden and takes over what the replaced
// file hands on. nullptr when it cannot be created; `nameTaken` tells that the name exists already.
std::FILE* createTemporary(const std::filesystem::path& path, const ReplacedFile& replaced,
                           bool& nameTaken, std::error_code& cause);

// Writes what the system holds of `file` to stable storage.
bool syncFile(std::FILE* file);
// Asks the system to start writing `length` bytes of `file` from `offset` to storage now, without
// waiting for it, so that the final syncFile has less left to wait for. Best effort.
void startWriteBack(std::FILE* file, std::uint64_t offset, std::uint64_t length);

// Replaces `to` by `from` in one step; the replacement shows as an ordinary file, and the folder
// is synced afterwards where the system allows it.
bool renameReplacing(const std::filesystem::path& from, const std::filesystem::path& to,
                     std::error_code& cause);

// Copies `from` to `to`, overwriting `to`.
bool copyReplacing(const std::filesystem::path& from, const std::filesystem::path& to);

// Gives the regular file `from`, of the user's own, the further name `to`, as
// FileSystem::hardLink.
bool linkFile(const std::filesystem::path& from, const std::filesystem::path& to,
              std::error_code& cause);

// Closes a file of one name to all but its owner, as FileSystem::makePrivate.
bool makeFilePrivate(const std::filesystem::path& path);

// The stamp of the file that `path` names; none when it is missing.
std::optional<FileStamp> stampOf(const std::filesystem::path& path);

// Tries once to lock the file that `path` names, as FileSystem::tryLock.
LockAttempt tryLockFile(const std::filesystem::path& path);

// Creates a folder and its missing parents open to the user alone, as
// FileSystem::createPrivateFolder.
bool createPrivateFolder(const std::filesystem::path& folder, std::error_code& cause);

}  // namespace velcor::fileio::detail
