#pragma once

// The history of "Подготовка" that lets a prepare be undone: for each of the last prepares, the
// list as it was before it, byte for byte, and what the prepared file held. It lives in the
// user's own data folder, open to the user alone, and never beside the list, where a copy could
// be taken for a list and sent to the bank.
//
// An entry is two files named by one id that sorts by time: ID.copy, the list as it was, and
// ID.prepare, the record of the list's path, of the file it named, and of both contents (size and
// SHA-256). The copy is
// kept first and the record written last, each in one step, so an entry without its record is
// none. Where the folder is on the list's file system, the copy is the list's own file under a
// second name (a hard link), which the prepare's rename leaves to the history: nothing is copied.

#include "fileio/ContentDigest.h"
#include "fileio/FileSystem.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velcor::output {

// How many prepares the history keeps; older ones go.
inline constexpr std::size_t kKeptPrepares = 100;

// How much the history keeps besides: copies up to `maxBytes` in all and `maxDays` old; beyond,
// the oldest go first. The newest prepare is kept whatever its size, so that it can be undone.
struct HistoryCap {
    std::uint64_t maxBytes = std::uint64_t{2} << 30;
    int maxDays = 90;
};

// Told how many bytes of `total` a copy has come to; false stops it.
using CopyProgress = std::function<bool(std::uint64_t done, std::uint64_t total)>;

// The history's folder, the program's folder among the user's data (Windows-1251); nothing when
// the environment names none, or one that Windows-1251 cannot spell.
std::optional<std::string> userPrepareHistoryFolder();

// A prepare under way: the copy of its list is kept, its record not yet written.
struct PendingPrepare {
    std::string id;
    std::string listPath;      // absolute
    std::string resolvedPath;  // the file it names: absolute, links and "." or ".." resolved
};

enum class KeepResult {
    kept,
    listChanged,  // the list is no longer the version the prepare is about to replace
    failed,       // the folder or the copy could not be made, or the list could not be read
    cancelled,    // the progress asked to stop: nothing is kept
};

struct KeptCopy {
    KeepResult result = KeepResult::failed;
    std::error_code cause;  // why it failed, where the system said
    PendingPrepare pending;
};

enum class RestoreResult {
    restored,
    noEntry,          // no prepare of this list is kept
    alreadyRestored,  // the list is as it was before a kept prepare of it
    listChanged,      // the list is not what any kept prepare of it wrote
    listUnreadable,
    copyDamaged,  // the kept copy is missing or holds other bytes than were kept
    openFailed,   // the list may not be written: nothing was
    writeFailed,  // the list could not be replaced: it is as it was
    // The list is what a prepare wrote, but the history let that prepare's copy go to stay
    // within its cap.
    copyLetGo,
    cancelled,  // the progress asked to stop: the list is as it was
};

struct Restored {
    RestoreResult result = RestoreResult::noEntry;
    std::error_code cause;  // why it failed, where the system said
    std::string copyPath;   // the copy that was, or would have been, put back
};

class PrepareHistory {
  public:
    // `folder` (Windows-1251) is made where it is missing when the first copy is kept.
    PrepareHistory(fileio::FileSystem& fs, std::string folder);

    const std::string& folder() const { return folder_; }
    const HistoryCap& cap() const { return cap_; }
    void setCap(const HistoryCap& cap) { cap_ = cap; }

    // Before a prepare replaces the list at `listPath`: keeps the version of it that shows
    // `stamp`, linked where the folder is on the list's file system and copied elsewhere. The
    // prepare must replace the list by a rename (never write it in place), or a linked copy would
    // change with it.
    KeptCopy keepCopy(const std::string& listPath, const fileio::FileStamp& stamp,
                      const CopyProgress& progress = {});
    // Once the prepared file is written, before it replaces the list: the entry's record of what
    // the list held (`original`, as the prepare read it) and what replaces it, which makes the
    // entry whole. False, with the cause, when it cannot be written.
    bool record(const PendingPrepare& pending, const fileio::ContentDigest& original,
                const fileio::ContentDigest& prepared, std::error_code& cause);
    // A prepare that did not replace its list leaves nothing behind.
    void discard(const PendingPrepare& pending);
    // A prepare that replaced its list: its copy, the list's old file where it was linked, is the
    // history's alone now and is closed to others as a copy is; then the history is pruned.
    void settle(const PendingPrepare& pending);
    // Lets go the entries beyond the newest kKeptPrepares and those beyond the cap (each leaves a
    // small mark, so that an undo can say why it has nothing to put back), and removes copies and
    // temporary files older than a day that no record names (what runs killed half-way left). A
    // copy's age is its id's: a linked one shows the time the list was last written.
    void prune();

    // Puts the list at `listPath` back as it was before the newest kept prepare whose prepared
    // file it still is, byte for byte (checked by content), in one step and only while it stays
    // that file. A prepare is of the list when it was made through the same path, or through
    // another that named the same file: a link, another spelling of its folder. Put back, the
    // entry has done its work and goes.
    Restored restore(const std::string& listPath, const CopyProgress& progress = {});

  private:
    struct Entry {
        std::string id;
        std::string listPath;
        std::string resolvedPath;  // empty in a record of an older version
        fileio::ContentDigest original;
        fileio::ContentDigest prepared;
    };
    // The whole entries, newest first; or the marks of those let go.
    std::vector<Entry> entries(std::string_view extension);
    // The entry's record becomes a mark of the kind `mark` names; its copy goes.
    void letGo(const Entry& entry, std::string_view mark);
    std::string entryPath(std::string_view id, std::string_view extension) const;

    fileio::FileSystem& fs_;
    std::string folder_;
    HistoryCap cap_;
};

}  // namespace velcor::output
