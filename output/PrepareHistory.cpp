#include "output/PrepareHistory.h"

#include "fileio/HostPath.h"
#include "fileio/UserDataFolder.h"
#include "output/SepaRecord.h"
#include "text/Text.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <filesystem>
#include <memory>
#include <random>
#include <set>
#include <utility>

namespace velcor::output {

namespace {

using fileio::ContentDigest;

constexpr std::string_view kCopyExtension = ".copy";
constexpr std::string_view kRecordExtension = ".prepare";
// The record of an entry the cap let go, or that an undo used up, its copy gone: what the next
// undo of its list says.
constexpr std::string_view kLetGoExtension = ".gone";
constexpr std::string_view kUndoneExtension = ".undone";
// Marks are a few hundred bytes each; a year of them is plenty to tell an operator why.
constexpr std::size_t kKeptMarks = 1000;
constexpr std::int64_t kMarkAge = std::int64_t{366} * 24 * 3600 * 1'000'000'000;
constexpr std::int64_t kDay = std::int64_t{24} * 3600 * 1'000'000'000;
constexpr std::string_view kRecordStart = "velcor-prepare 1\n";
constexpr std::string_view kResolvedField = "resolved ";
constexpr std::string_view kListField = "list ";
// A record is a few lines; a bigger file under its name is none of the history's.
constexpr std::size_t kRecordLimit = 1 << 16;
constexpr std::size_t kCopyBlock = 1 << 20;
// A run that was killed half-way left its copy or temporary file behind; one still under way
// (another window preparing right now) is never this old.
constexpr std::int64_t kLeftoverAge = std::int64_t{24} * 3600 * 1'000'000'000;

const char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

std::filesystem::path hostPath(const std::string& cp1251) {
    return fileio::pathFromUtf8(text::toUtf8(cp1251));
}

// One spelling of a list's path whatever folder a run starts in: absolute, with no "." or "..".
std::string absoluteListPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(hostPath(path), error);
    std::string out;
    if (error || !text::fromUtf8(fileio::utf8FromPath(absolute.lexically_normal()), out))
        return path;
    return out;
}

// The file a list's path names, whatever link or spelling of its folder leads there: absolute,
// with its links resolved as far as they exist.
std::string resolvedListPath(const std::string& path) {
    std::error_code error;
    const std::filesystem::path absolute = std::filesystem::absolute(hostPath(path), error);
    if (error) return absoluteListPath(path);
    const std::filesystem::path resolved = std::filesystem::weakly_canonical(absolute, error);
    std::string out;
    if (error || !text::fromUtf8(fileio::utf8FromPath(resolved), out))
        return absoluteListPath(path);
    return out;
}

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// The time first, so that the names sort as the prepares came; the random part keeps two
// windows that prepare at the same moment apart.
std::string newId() {
    static std::mt19937_64 generator{
        std::random_device{}() ^
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())};
    return text::format("%020lld-%016llx", static_cast<long long>(nowNanoseconds()),
                        static_cast<unsigned long long>(generator()));
}

// When the entry `id` was begun: the time its name starts with; none for a name not made so.
std::optional<std::int64_t> begunAt(std::string_view id) {
    constexpr std::size_t kDigits = 20;
    std::int64_t at = 0;
    if (id.size() <= kDigits || id[kDigits] != '-') return std::nullopt;
    const auto [end, error] = std::from_chars(id.data(), id.data() + kDigits, at);
    if (error != std::errc() || end != id.data() + kDigits) return std::nullopt;
    return at;
}

// Passes what `from` holds on to `to`, counting it in `copied` and digesting it on the way where
// a `digester` is given. False when a read (with its cause in `readCause`) or a write failed.
bool copyInto(fileio::ReadFile& from, fileio::WriteFile& to, std::error_code& readCause,
              std::uint64_t& copied, fileio::ContentDigester* digester = nullptr,
              const CopyProgress& progress = {}, std::uint64_t total = 0, bool* stopped = nullptr) {
    std::vector<char> buffer(kCopyBlock);
    for (;;) {
        if (progress && !progress(copied, total)) {
            if (stopped != nullptr) *stopped = true;
            return false;
        }
        const std::ptrdiff_t got = from.read(buffer.data(), buffer.size());
        if (got < 0) {
            readCause = from.error();
            if (!readCause) readCause = std::make_error_code(std::errc::io_error);
            return false;
        }
        if (got == 0) return true;
        const auto size = static_cast<std::size_t>(got);
        copied += size;
        if (digester != nullptr) digester->add(buffer.data(), size);
        if (!to.write(buffer.data(), size)) return false;
    }
}

// A small file read whole; false when it cannot be, or is bigger than `limit`.
bool readSmallFile(fileio::FileSystem& fs, const std::string& path, std::size_t limit,
                   std::string& out) {
    std::error_code cause;
    std::unique_ptr<fileio::ReadFile> file = fs.openRead(path, cause);
    if (!file) return false;
    char buffer[4096];
    out.clear();
    for (;;) {
        const std::ptrdiff_t got = file->read(buffer, sizeof buffer);
        if (got < 0) return false;
        if (got == 0) return true;
        out.append(buffer, static_cast<std::size_t>(got));
        if (out.size() > limit) return false;
    }
}

// The list's path comes last and runs to the end, and the resolved one is preceded by its length,
// so that no byte a path may hold (a line break on POSIX) needs a spelling of its own.
std::string recordText(const PendingPrepare& pending, const ContentDigest& original,
                       const ContentDigest& prepared) {
    return std::string(kRecordStart) + "original " + fileio::digestText(original) + "\nprepared " +
           fileio::digestText(prepared) + "\n" + std::string(kResolvedField) +
           std::to_string(pending.resolvedPath.size()) + " " + pending.resolvedPath + "\n" +
           std::string(kListField) + pending.listPath;
}

// The resolved path at the front of `rest` ("resolved LENGTH PATH\n"), taken off it; an empty
// one where a record of an older version has none; nothing for a field that is malformed.
std::optional<std::string> takeResolvedPath(std::string_view& rest) {
    if (!rest.starts_with(kResolvedField)) return std::string();
    std::string_view field = rest.substr(kResolvedField.size());
    std::size_t length = 0;
    const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), length);
    const std::size_t digits = static_cast<std::size_t>(end - field.data());
    if (error != std::errc() || digits == 0 || field.size() < digits + 1 + length + 1 ||
        field[digits] != ' ' || field[digits + 1 + length] != '\n')
        return std::nullopt;
    std::string path(field.substr(digits + 1, length));
    rest = field.substr(digits + 1 + length + 1);
    return path;
}

}  // namespace

std::optional<std::string> userPrepareHistoryFolder() {
    const std::optional<std::string> folder = fileio::userDataFolder();
    std::string out;
    if (!folder || !text::fromUtf8(*folder, out)) return std::nullopt;
    return out + kSeparator + "undo";
}

PrepareHistory::PrepareHistory(fileio::FileSystem& fs, std::string folder)
    : fs_(fs), folder_(std::move(folder)) {}

std::string PrepareHistory::entryPath(std::string_view id, std::string_view extension) const {
    return folder_ + kSeparator + std::string(id) + std::string(extension);
}

KeptCopy PrepareHistory::keepCopy(const std::string& listPath, const fileio::FileStamp& stamp,
                                  const CopyProgress& progress) {
    KeptCopy kept;
    if (!fs_.createPrivateFolder(folder_, kept.cause)) return kept;
    kept.pending.id = newId();
    kept.pending.listPath = absoluteListPath(listPath);
    kept.pending.resolvedPath = resolvedListPath(listPath);
    const std::string copyPath = entryPath(kept.pending.id, kCopyExtension);
    // The list's own file, when it still shows the stamp that the prepare's replacement expects,
    // is the version the prepare replaces; the rename then leaves it to the copy's name alone.
    std::error_code linkCause;
    if (fs_.hardLink(listPath, copyPath, linkCause)) {
        if (fs_.stamp(copyPath) != stamp) {
            fs_.remove(copyPath);
            kept.result = KeepResult::listChanged;
            return kept;
        }
        kept.result = KeepResult::kept;
        return kept;
    }
    // On another file system, or one without links: a copy. Its digest is not needed; the
    // record's comes from the prepare's own reading of the list, and a copy that differs from it
    // is refused when it would be put back.
    std::unique_ptr<fileio::ReadFile> list = fs_.openRead(listPath, kept.cause);
    if (!list) return kept;
    std::uint64_t copied = 0;
    std::error_code readCause;
    bool stopped = false;
    const fileio::Replaced written =
        fileio::replaceFileWith(fs_, copyPath, [&](fileio::WriteFile& file) {
            return copyInto(*list, file, readCause, copied, nullptr, progress, stamp.size,
                            &stopped);
        });
    if (stopped) {
        kept.result = KeepResult::cancelled;
        return kept;
    }
    if (!written.ok()) {
        kept.cause = readCause ? readCause : written.cause;
        return kept;
    }
    // Read whole while the list showed the stamp that the prepare's own replacement expects: the
    // copy is the version the prepare replaces.
    const std::optional<fileio::FileStamp> after = fs_.stamp(listPath);
    if (!after || *after != stamp || copied != stamp.size) {
        fs_.remove(copyPath);
        kept.result = KeepResult::listChanged;
        return kept;
    }
    kept.result = KeepResult::kept;
    return kept;
}

bool PrepareHistory::record(const PendingPrepare& pending, const ContentDigest& original,
                            const ContentDigest& prepared, std::error_code& cause) {
    const std::string text = recordText(pending, original, prepared);
    const fileio::Replaced written =
        fileio::replaceFile(fs_, entryPath(pending.id, kRecordExtension), {text});
    cause = written.cause;
    return written.ok();
}

void PrepareHistory::discard(const PendingPrepare& pending) {
    // The record first: without it the copy is a leftover that a later prune removes.
    fs_.remove(entryPath(pending.id, kRecordExtension));
    fs_.remove(entryPath(pending.id, kCopyExtension));
}

void PrepareHistory::settle(const PendingPrepare& pending) {
    // Best effort: the folder is closed to others all the same.
    fs_.makePrivate(entryPath(pending.id, kCopyExtension));
    prune();
}

std::vector<PrepareHistory::Entry> PrepareHistory::entries(std::string_view extension) {
    std::vector<Entry> found;
    std::string text;
    for (const std::string& name : fs_.folderEntries(folder_)) {
        if (!name.ends_with(extension)) continue;
        if (!readSmallFile(fs_, folder_ + kSeparator + name, kRecordLimit, text)) continue;
        std::string_view rest = text;
        if (!rest.starts_with(kRecordStart)) continue;
        rest.remove_prefix(kRecordStart.size());
        const auto field = [&rest](std::string_view label) -> std::optional<ContentDigest> {
            const std::size_t end = rest.find('\n');
            if (!rest.starts_with(label) || end == std::string_view::npos) return std::nullopt;
            const std::string_view value = rest.substr(label.size(), end - label.size());
            rest.remove_prefix(end + 1);
            return fileio::parseDigestText(value);
        };
        const std::optional<ContentDigest> original = field("original ");
        const std::optional<ContentDigest> prepared = original ? field("prepared ") : std::nullopt;
        const std::optional<std::string> resolved =
            prepared ? takeResolvedPath(rest) : std::nullopt;
        if (!resolved || !rest.starts_with(kListField) || rest.size() == kListField.size())
            continue;
        found.push_back({name.substr(0, name.size() - extension.size()),
                         std::string(rest.substr(kListField.size())), *resolved, *original,
                         *prepared});
    }
    std::sort(found.begin(), found.end(),
              [](const Entry& a, const Entry& b) { return a.id > b.id; });
    return found;
}

void PrepareHistory::letGo(const Entry& entry, std::string_view mark) {
    std::error_code cause;
    // The record becomes the mark; where it cannot, the entry goes all the same.
    if (!fs_.rename(entryPath(entry.id, kRecordExtension), entryPath(entry.id, mark), cause))
        fs_.remove(entryPath(entry.id, kRecordExtension));
    fs_.remove(entryPath(entry.id, kCopyExtension));
}

void PrepareHistory::prune() {
    const std::int64_t now = nowNanoseconds();
    const std::int64_t oldest = now - std::int64_t{cap_.maxDays} * kDay;
    std::uint64_t kept = 0;
    const std::vector<Entry> whole = entries(kRecordExtension);
    for (std::size_t i = 0; i < whole.size(); ++i) {
        const std::optional<fileio::FileStamp> copy =
            fs_.stamp(entryPath(whole[i].id, kCopyExtension));
        const std::uint64_t size = copy ? copy->size : 0;
        const std::optional<std::int64_t> begun = begunAt(whole[i].id);
        const bool over = i >= kKeptPrepares ||
                          (i > 0 && ((begun && *begun < oldest) || kept + size > cap_.maxBytes));
        if (over)
            letGo(whole[i], kLetGoExtension);
        else
            kept += size;
    }
    for (const std::string_view extension : {kLetGoExtension, kUndoneExtension}) {
        const std::vector<Entry> marks = entries(extension);
        for (std::size_t i = 0; i < marks.size(); ++i) {
            const std::optional<std::int64_t> begun = begunAt(marks[i].id);
            if (i >= kKeptMarks || (begun && now - *begun > kMarkAge))
                fs_.remove(entryPath(marks[i].id, extension));
        }
    }
    const std::vector<std::string> names = fs_.folderEntries(folder_);
    std::set<std::string> recorded;
    for (const std::string& name : names)
        if (name.ends_with(kRecordExtension))
            recorded.insert(name.substr(0, name.size() - kRecordExtension.size()));
    for (const std::string& name : names) {
        // Temporary files are named so by the file system's atomic replacement.
        const bool copy = name.ends_with(kCopyExtension) &&
                          recorded.count(name.substr(0, name.size() - kCopyExtension.size())) == 0;
        const bool temporary = name.starts_with(".velcor-") && name.ends_with(".tmp");
        if (!copy && !temporary) continue;
        const std::string path = folder_ + kSeparator + name;
        std::optional<std::int64_t> begun =
            copy ? begunAt(std::string_view(name).substr(0, name.size() - kCopyExtension.size()))
                 : std::nullopt;
        if (!begun) {
            const std::optional<fileio::FileStamp> stamp = fs_.stamp(path);
            if (stamp) begun = stamp->modifiedNanoseconds;
        }
        if (begun && now - *begun > kLeftoverAge) fs_.remove(path);
    }
    // The records of the SEPA files beside the copies are let go by the same bounds.
    pruneSepaRecords(fs_, folder_,
                     {std::chrono::hours(std::int64_t{24} * cap_.maxDays), cap_.maxBytes});
}

Restored PrepareHistory::restore(const std::string& listPath, const CopyProgress& progress) {
    Restored restored;
    const std::string absolute = absoluteListPath(listPath);
    const std::string resolved = resolvedListPath(listPath);
    // Taken before the list is read: a change while it is read shows at the replacement.
    const std::optional<fileio::FileStamp> stamp = fs_.stamp(listPath);
    // The same path, the same file it resolved to, or a path that names the same file now (a
    // record of an older version names no resolved file).
    const auto ofThisList = [&](const Entry& entry) {
        if (entry.listPath == absolute) return true;
        if (!entry.resolvedPath.empty() && entry.resolvedPath == resolved) return true;
        if (!stamp || stamp->fileId == 0) return false;
        const std::optional<fileio::FileStamp> other = fs_.stamp(entry.listPath);
        return other && *other == *stamp;
    };
    std::vector<Entry> ofList;
    for (Entry& entry : entries(kRecordExtension))
        if (ofThisList(entry)) ofList.push_back(std::move(entry));
    if (ofList.empty()) {
        // A prepare of the list whose copy is gone: undone already (the list is as it was
        // before it), or let go by the cap (the list still what it wrote). The operator is told.
        std::vector<Entry> undone;
        std::vector<Entry> letGo;
        for (Entry& entry : entries(kUndoneExtension))
            if (ofThisList(entry)) undone.push_back(std::move(entry));
        for (Entry& entry : entries(kLetGoExtension))
            if (ofThisList(entry)) letGo.push_back(std::move(entry));
        if ((undone.empty() && letGo.empty()) || !stamp) return restored;
        std::error_code cause;
        const std::optional<ContentDigest> now = fileio::digestOfFile(fs_, listPath, cause);
        if (!now) return restored;
        if (std::any_of(undone.begin(), undone.end(),
                        [&](const Entry& e) { return e.original == *now; }))
            restored.result = RestoreResult::alreadyRestored;
        else if (std::any_of(letGo.begin(), letGo.end(),
                             [&](const Entry& e) { return e.prepared == *now; }))
            restored.result = RestoreResult::copyLetGo;
        return restored;
    }

    std::optional<ContentDigest> now;
    if (stamp)
        now = fileio::digestOfFile(fs_, listPath, restored.cause);
    else
        restored.cause = std::make_error_code(std::errc::no_such_file_or_directory);
    if (!now) {
        restored.result = RestoreResult::listUnreadable;
        return restored;
    }
    const auto entry = std::find_if(ofList.begin(), ofList.end(),
                                    [&](const Entry& e) { return e.prepared == *now; });
    if (entry == ofList.end()) {
        const bool asBefore = std::any_of(ofList.begin(), ofList.end(),
                                          [&](const Entry& e) { return e.original == *now; });
        restored.result = asBefore ? RestoreResult::alreadyRestored : RestoreResult::listChanged;
        return restored;
    }

    restored.copyPath = entryPath(entry->id, kCopyExtension);
    std::unique_ptr<fileio::ReadFile> copy = fs_.openRead(restored.copyPath, restored.cause);
    if (!copy) {
        restored.result = RestoreResult::copyDamaged;
        return restored;
    }
    fileio::ContentDigester digester;
    std::uint64_t copied = 0;
    std::error_code readCause;
    bool damaged = false;
    bool stopped = false;
    const std::uint64_t copySize = entry->original.size;
    const fileio::Replaced replaced = fileio::replaceFileWith(
        fs_, listPath,
        [&](fileio::WriteFile& file) {
            if (!copyInto(*copy, file, readCause, copied, &digester, progress, copySize,
                          &stopped)) {
                damaged = static_cast<bool>(readCause);
                return false;
            }
            // What goes back must be what was kept, or the list stays the prepared file.
            damaged = digester.finish() != entry->original;
            return !damaged;
        },
        stamp, [&] { return !progress || progress(copied, copySize); });
    if (replaced.ok()) {
        restored.result = RestoreResult::restored;
        // Put back, the entry has done its work: its copy would only take room. Its record
        // stays as a mark, for the next undo to say that this one was made.
        copy.reset();
        letGo(*entry, kUndoneExtension);
        return restored;
    }
    if (stopped || replaced.cause == std::errc::operation_canceled) {
        restored.result = RestoreResult::cancelled;
        return restored;
    }
    if (damaged) {
        restored.result = RestoreResult::copyDamaged;
        restored.cause = readCause;
        return restored;
    }
    if (fs_.stamp(listPath) != stamp) {
        restored.result = RestoreResult::listChanged;
        return restored;
    }
    restored.result = replaced == fileio::ReplaceResult::openFailed ? RestoreResult::openFailed
                                                                    : RestoreResult::writeFailed;
    restored.cause = replaced.cause;
    return restored;
}

}  // namespace velcor::output
