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
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velcor::output {

// How many prepares the history keeps; older ones go.
inline constexpr std::size_t kKeptPrepares = 100;

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

    // Before a prepare replaces the list at `listPath`: keeps the version of it that shows
    // `stamp`, linked where the folder is on the list's file system and copied elsewhere. The
    // prepare must replace the list by a rename (never write it in place), or a linked copy would
    // change with it.
    KeptCopy keepCopy(const std::string& listPath, const fileio::FileStamp& stamp);
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
    // Removes the entries beyond the newest kKeptPrepares, and copies and temporary files older
    // than a day that no record names (what runs killed half-way left). A copy's age is its id's:
    // a linked one shows the time the list was last written.
    void prune();

    // Puts the list at `listPath` back as it was before the newest kept prepare whose prepared
    // file it still is, byte for byte (checked by content), in one step and only while it stays
    // that file. A prepare is of the list when it was made through the same path, or through
    // another that named the same file: a link, another spelling of its folder.
    Restored restore(const std::string& listPath);

  private:
    struct Entry {
        std::string id;
        std::string listPath;
        std::string resolvedPath;  // empty in a record of an older version
        fileio::ContentDigest original;
        fileio::ContentDigest prepared;
    };
    // The whole entries, newest first.
    std::vector<Entry> entries();
    std::string entryPath(std::string_view id, std::string_view extension) const;

    fileio::FileSystem& fs_;
    std::string folder_;
};

}  // namespace velcor::output
