#include "fileio/FileSystem.h"

#include <chrono>
#include <thread>

namespace velcor::fileio {

namespace {

// Another replacement holds the lock only from its stamp check to its rename, so a wait is short;
// the bound keeps a holder that hangs (a network share gone away, another program that locked the
// list) from hanging this run as well, and the operator may end the wait before it.
constexpr auto kLockWait = std::chrono::seconds(30);
constexpr auto kLockRetry = std::chrono::milliseconds(20);

std::unique_ptr<FileLock> waitForLock(FileSystem& fs, const std::string& path,
                                      const std::function<bool()>& keepWaiting,
                                      std::error_code& cause) {
    const auto deadline = std::chrono::steady_clock::now() + kLockWait;
    for (;;) {
        LockAttempt attempt = fs.tryLock(path);
        if (attempt.lock || !attempt.busy) return std::move(attempt.lock);
        if (keepWaiting && !keepWaiting()) {
            cause = std::make_error_code(std::errc::operation_canceled);
            return nullptr;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            cause = std::make_error_code(std::errc::device_or_resource_busy);
            return nullptr;
        }
        std::this_thread::sleep_for(kLockRetry);
    }
}

}  // namespace

Replaced replaceFile(FileSystem& fs, const std::string& path,
                     std::initializer_list<std::string_view> pieces,
                     const std::optional<FileStamp>& expectedStamp) {
    return replaceFileWith(
        fs, path,
        [&](WriteFile& file) {
            for (const std::string_view piece : pieces)
                if (!piece.empty() && !file.write(piece.data(), piece.size())) return false;
            return true;
        },
        expectedStamp);
}

Replaced replaceFileWith(FileSystem& fs, const std::string& path,
                         const std::function<bool(WriteFile& file)>& write,
                         const std::optional<FileStamp>& expectedStamp,
                         const std::function<bool()>& keepWaiting) {
    std::string tempPath;
    std::error_code cause;
    auto file = fs.createTemporaryBeside(path, tempPath, cause);
    if (!file) return {ReplaceResult::openFailed, cause};

    bool ok = write(*file) && file->flush() && file->sync();
    // The cause is taken before the file is closed and removed, which may fail for reasons of
    // their own.
    if (!ok) cause = file->error();
    // Close even after a failure so that the temporary file can be removed (Windows refuses to
    // delete an open file).
    const bool closed = file->close();
    if (ok && !closed) cause = file->error();
    file.reset();
    ok = ok && closed;

    // Checked as late as possible: a row appended to the list while the temporary file was being
    // written would otherwise vanish with the rename. Under the lock, two runs that read the same
    // version cannot both pass the check before either renames: both would report success, and
    // the list would keep only one of them.
    std::unique_ptr<FileLock> lock;
    if (ok && expectedStamp) {
        lock = waitForLock(fs, path, keepWaiting, cause);
        const std::optional<FileStamp> now = lock ? fs.stamp(path) : std::nullopt;
        ok = now && *now == *expectedStamp;
    }

    if (ok && fs.rename(tempPath, path, cause)) return {ReplaceResult::ok, {}};
    fs.remove(tempPath);
    return {ReplaceResult::writeFailed, cause};
}

}  // namespace velcor::fileio
