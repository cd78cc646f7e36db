#pragma once

// The one door through which the core touches files. Paths are Windows-1251 strings, as every
// text inside Velcor; the standard implementation converts them for the host system. Tests put a
// fake in its place to make any single step fail (open, a write, flush, sync, rename, copy, lock,
// link).

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velcor::fileio {

// A file opened for reading bytes.
class ReadFile {
  public:
    virtual ~ReadFile() = default;
    // Reads up to `size` bytes; returns the count (0 at the end), or -1 on a read error.
    virtual std::ptrdiff_t read(char* buffer, std::size_t size) = 0;
    // After a read error: its cause.
    virtual std::error_code error() const { return std::make_error_code(std::errc::io_error); }
    // Moves to `offset` bytes from the start, where the file can; false where it cannot (a reader
    // then opens the file again and reads up to there).
    virtual bool seek(std::uint64_t offset) {
        (void)offset;
        return false;
    }
};

// A file opened for writing bytes. Each call answers whether it fully succeeded.
class WriteFile {
  public:
    virtual ~WriteFile() = default;
    virtual bool write(const char* data, std::size_t size) = 0;
    virtual bool flush() = 0;
    virtual bool sync() = 0;  // to stable storage
    virtual bool close() = 0;
    // After a call that failed: its cause.
    virtual std::error_code error() const { return std::make_error_code(std::errc::io_error); }
};

// What identifies one version of a file on disk: a list replaced or edited shows another stamp.
struct FileStamp {
    std::uint64_t size = 0;
    std::int64_t modifiedNanoseconds = 0;
    std::uint64_t fileId = 0;  // inode or file index; 0 where the system has none
    friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// An exclusive lock on a file, held for as long as the object lives.
class FileLock {
  public:
    virtual ~FileLock() = default;
};

// What one attempt to lock a file gave.
struct LockAttempt {
    std::unique_ptr<FileLock> lock;  // set when the lock was taken
    bool busy = false;               // another holds it: a later attempt may succeed
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;
    // Opens an existing regular file for reading; nullptr when it cannot be opened, with the
    // cause in `cause`.
    virtual std::unique_ptr<ReadFile> openRead(const std::string& path, std::error_code& cause) = 0;
    // Creates a new, empty file in the folder of the file that `targetPath` names (symbolic links
    // followed, so that the final rename stays on one file system and is atomic) and stores its
    // path in `tempPath`. Its name is short, hidden and has nothing of the target's, so that a
    // file left by a killed run is never taken for a list. It is private from its creation and
    // takes the mode, owner and group of an existing target before anything is written to it;
    // without a target, a folder closed to others makes it the user's alone.
    // nullptr, with the cause in `cause`, when it cannot be created, or when the existing target
    // is not a regular file that the process may write.
    virtual std::unique_ptr<WriteFile> createTemporaryBeside(const std::string& targetPath,
                                                             std::string& tempPath,
                                                             std::error_code& cause) = 0;
    // Replaces `to` by `from` in one step (the old `to`, if any, is gone afterwards). Where `to`
    // is a symbolic link, the file it points to is replaced and the link stays. The folder is
    // synced afterwards where the system allows it, so that a power cut cannot undo the rename.
    // False, with the cause in `cause`, when it failed.
    virtual bool rename(const std::string& from, const std::string& to, std::error_code& cause) = 0;
    virtual bool remove(const std::string& path) = 0;
    // Copies `from` to `to`, overwriting `to`.
    virtual bool copy(const std::string& from, const std::string& to) = 0;
    // The stamp of the file that `path` names (symbolic links followed); none when it is missing.
    virtual std::optional<FileStamp> stamp(const std::string& path) = 0;
    // Tries once, without waiting, to lock the file that `path` names (symbolic links followed)
    // against every other such lock on that file, whether taken by this process or another. Where
    // the file system keeps no locks, the lock taken holds nothing. No lock and not busy: the file
    // cannot be opened or locked.
    virtual LockAttempt tryLock(const std::string& path) = 0;
    // Creates the folder `path` where it is missing, and its missing parents, each open to the
    // user alone; an existing folder of the user's is closed to others. False, with the cause,
    // when it cannot be made or is no folder.
    virtual bool createPrivateFolder(const std::string& path, std::error_code& cause) = 0;
    // The names of what the folder `path` holds; none when it cannot be read.
    virtual std::vector<std::string> folderEntries(const std::string& path) = 0;
    // Gives the file that `from` names (symbolic links followed), a regular file of the user's
    // own, the further name `to`, which must be new: a hard link. Both names then hold one file,
    // whose bytes change for both, until a rename replaces one of them and so leaves the old file
    // to the other alone. False, with the cause, where it cannot be made (across file systems, on
    // one that has no links, for another user's file); a file system without links has none.
    virtual bool hardLink(const std::string& from, const std::string& to, std::error_code& cause) {
        (void)from;
        (void)to;
        cause = std::make_error_code(std::errc::operation_not_supported);
        return false;
    }
    // Closes the file `path` to all but its owner, as a file made in a private folder is, unless
    // it has another name besides this one, whose readers would lose it too. False where it stays
    // open to others; true where nothing is closed (also where the system keeps no such rights).
    virtual bool makePrivate(const std::string& path) {
        (void)path;
        return true;
    }
};

// A file system that hands every call to another one; a subclass changes only what it overrides
// (a reading watched on its way, a step made to fail).
class ForwardingFileSystem : public FileSystem {
  public:
    explicit ForwardingFileSystem(FileSystem& inner) : inner_(inner) {}
    std::unique_ptr<ReadFile> openRead(const std::string& path, std::error_code& cause) override {
        return inner_.openRead(path, cause);
    }
    std::unique_ptr<WriteFile> createTemporaryBeside(const std::string& targetPath,
                                                     std::string& tempPath,
                                                     std::error_code& cause) override {
        return inner_.createTemporaryBeside(targetPath, tempPath, cause);
    }
    bool rename(const std::string& from, const std::string& to, std::error_code& cause) override {
        return inner_.rename(from, to, cause);
    }
    bool remove(const std::string& path) override { return inner_.remove(path); }
    bool copy(const std::string& from, const std::string& to) override {
        return inner_.copy(from, to);
    }
    std::optional<FileStamp> stamp(const std::string& path) override { return inner_.stamp(path); }
    LockAttempt tryLock(const std::string& path) override { return inner_.tryLock(path); }
    bool createPrivateFolder(const std::string& path, std::error_code& cause) override {
        return inner_.createPrivateFolder(path, cause);
    }
    std::vector<std::string> folderEntries(const std::string& path) override {
        return inner_.folderEntries(path);
    }
    bool hardLink(const std::string& from, const std::string& to, std::error_code& cause) override {
        return inner_.hardLink(from, to, cause);
    }
    bool makePrivate(const std::string& path) override { return inner_.makePrivate(path); }

  protected:
    FileSystem& inner() { return inner_; }

  private:
    FileSystem& inner_;
};

// Bytes held in memory, read as a file is.
class BytesReadFile final : public ReadFile {
  public:
    explicit BytesReadFile(std::string_view bytes) : rest_(bytes) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::size_t n = size < rest_.size() ? size : rest_.size();
        rest_.copy(buffer, n);
        rest_.remove_prefix(n);
        return static_cast<std::ptrdiff_t>(n);
    }

  private:
    std::string_view rest_;
};

// The real file system, through the standard library.
FileSystem& standardFileSystem();

// How an atomic replacement ended.
enum class ReplaceResult {
    ok,
    openFailed,   // the target may not be written or no temporary file could be created: nothing
                  // was written
    writeFailed,  // a write, flush, sync, close, the stamp check or the rename failed: the target
                  // is unchanged
};

// How an atomic replacement ended, and why it failed where it did.
struct Replaced {
    ReplaceResult result = ReplaceResult::ok;
    std::error_code cause;  // the failing step's, when the system gave one
    bool ok() const { return result == ReplaceResult::ok; }
    // Most callers tell only the kind of the ending.
    friend bool operator==(const Replaced& replaced, ReplaceResult kind) {
        return replaced.result == kind;
    }
};

// Writes `pieces` one after another to a temporary file beside `path`, flushes and syncs it, and
// renames it over `path`. On any failure the temporary file is removed and `path` is untouched.
// An existing target keeps its mode, owner and group; one the process may not write is refused
// (openFailed). With `expectedStamp`, `path` must still show that stamp right before the rename,
// or nothing is replaced (writeFailed): what someone added to it meanwhile is not lost. The target
// is then locked from that check to the rename, so that of two replacements that expect the same
// stamp only the first renames; the other waits for it (half a minute at most, then
// writeFailed with device_or_resource_busy: another program holds the lock), finds the stamp
// changed and replaces nothing.
Replaced replaceFile(FileSystem& fs, const std::string& path,
                     std::initializer_list<std::string_view> pieces,
                     const std::optional<FileStamp>& expectedStamp = std::nullopt);

// The same with what the temporary file holds written by `write`, which answers false when it
// could not write all of it (the replacement then fails as for a failed write, and the target is
// untouched). What it writes need never be in memory at once. While the target's lock is held
// elsewhere, `keepWaiting` is asked between attempts: false ends the wait at once, writeFailed
// with operation_canceled.
Replaced replaceFileWith(FileSystem& fs, const std::string& path,
                         const std::function<bool(WriteFile& file)>& write,
                         const std::optional<FileStamp>& expectedStamp = std::nullopt,
                         const std::function<bool()>& keepWaiting = {});

}  // namespace velcor::fileio
