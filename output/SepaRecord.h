#pragma once

// The record every SEPA export leaves in the user's data folder, beside the prepare history, so
// that the bank's answer to the file (a payment status report) can be told row by row: the
// message id, the list's path and digest, the value date, and per payment its end-to-end id, row,
// payee as sent, IBAN, amount and the row's bytes as the list held them.
//
// One file per export, ID.sepa, ID the message id. It is written as the rows stream, to a
// temporary file, and put in place only once the SEPA file itself was. A text of lines, each
// field after a tab; a field's tab, line end and backslash are written \t, \n, \r and \\.

#include "fileio/ContentDigest.h"
#include "fileio/FileSystem.h"
#include "output/SepaSchema.h"
#include "processing/Amount.h"
#include "processing/DateTime.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velcor::output {

inline constexpr std::string_view kSepaRecordExtension = ".sepa";
// What a record let go leaves under its id: an empty file, so that a late answer to its export
// is told apart from an answer to an export never made here.
inline constexpr std::string_view kSepaRecordGoneExtension = ".sepa-gone";

// Of an export, what its record begins with.
struct SepaRecordHeader {
    std::string messageId;
    PainVersion version = PainVersion::v09;
    std::string listPath;  // Windows-1251, as the session names the list
    processing::LocalDateTime executionDate;
    std::int64_t count = 0;
    processing::Cents total = 0;
};

// One payment of an export.
struct SepaRecordRow {
    std::string endToEndId;
    std::int64_t row = 0;  // among the list's non-blank lines, from 1
    processing::Cents amount = 0;
    std::string name;  // as sent: Latin letters
    std::string iban;  // compact
    std::string line;  // the row's bytes as the list held them, with its line end
};

// The record of one export, written while the export writes its file. Nothing of it stays unless
// place() is called; a recorder that goes without it removes its temporary file.
class SepaRecorder {
  public:
    SepaRecorder(fileio::FileSystem& fs, std::string folder);
    ~SepaRecorder();
    SepaRecorder(const SepaRecorder&) = delete;
    SepaRecorder& operator=(const SepaRecorder&) = delete;

    const std::string& folder() const { return folder_; }
    // The folder made where it is missing (open to the user alone) and the temporary file
    // begun. False, with the cause, when either fails.
    bool begin(const SepaRecordHeader& header);
    bool add(const SepaRecordRow& row);
    // The list's digest, its line end and the end mark written, and the file synced and closed.
    bool finish(const fileio::ContentDigest& listDigest, bool crlf);
    // The finished record put in place under its message id, in one step.
    bool place();
    void discard();
    std::error_code cause() const { return cause_; }

  private:
    bool write(std::string_view bytes);

    fileio::FileSystem& fs_;
    std::string folder_;
    std::string messageId_;
    std::string tempPath_;
    std::unique_ptr<fileio::WriteFile> file_;
    std::string buffer_;
    std::error_code cause_;
    bool finished_ = false;
};

// The path of the record of the export whose message id is `messageId` in `folder`; nothing for
// an id that could not have named one (a file name is made of it).
std::optional<std::string> sepaRecordPath(const std::string& folder, std::string_view messageId);

enum class SepaRecordError {
    none,
    missing,     // no record of that message id: an export not made here
    letGo,       // the record was let go (its age or the folder's size)
    unreadable,  // it could not be read (`cause`)
    damaged,     // it is not whole: cut short, or holds what no recorder writes
    outOfMemory,
};

// A written record opened for reading: its header read, its payments indexed by end-to-end id
// in memory that grows by 24 bytes a payment, never with their texts.
class SepaRecord {
  public:
    SepaRecord(fileio::FileSystem& fs, std::string path);
    ~SepaRecord();
    SepaRecord(const SepaRecord&) = delete;
    SepaRecord& operator=(const SepaRecord&) = delete;

    // Reads the record through once; what it found.
    SepaRecordError open();
    std::error_code cause() const { return cause_; }

    const SepaRecordHeader& header() const { return header_; }
    const fileio::ContentDigest& listDigest() const { return listDigest_; }
    // Whether the list's lines end in CR LF, which its rows as read (`line`) end in LF.
    bool crlf() const { return crlf_; }
    std::int64_t payments() const { return static_cast<std::int64_t>(index_.size()); }

    // The payment whose end-to-end id is `endToEndId` and its place among the record's payments
    // (from 0); nothing when the export wrote no such id, or the record cannot be read again.
    std::optional<SepaRecordRow> find(std::string_view endToEndId, std::int64_t& ordinal);
    // Every payment in row order; false from `visit` stops. False when the reading failed.
    bool forEach(const std::function<bool(std::int64_t ordinal, const SepaRecordRow& row)>& visit);

  private:
    struct Indexed {
        std::uint64_t hash;
        std::uint64_t offset;
        std::int64_t ordinal;
    };
    class Lines;

    fileio::FileSystem& fs_;
    std::string path_;
    SepaRecordHeader header_;
    fileio::ContentDigest listDigest_;
    bool crlf_ = false;
    std::vector<Indexed> index_;  // by hash
    std::unique_ptr<Lines> lookup_;
    std::error_code cause_;
};

// The digest of the list at `path` and whether its lines end in CR LF (its first line does):
// the scan hands its rows on with LF alone. Nothing, with the cause, when it cannot be read.
struct ListFacts {
    fileio::ContentDigest digest;
    bool crlf = false;
};
std::optional<ListFacts> listFacts(fileio::FileSystem& fs, const std::string& path,
                                   std::error_code& cause);

// How much of the export records a folder keeps: none older than `age`, and the newest only up
// to `bytes` together.
struct SepaRecordCap {
    std::chrono::seconds age = std::chrono::hours(24 * 90);
    std::uint64_t bytes = std::uint64_t{2} << 30;
};

// Lets the records in `folder` go that are older than the cap's age or, the oldest first, over
// its total size; each leaves its mark (kSepaRecordGoneExtension). Marks older than ten times the
// age go too. `now`: nanoseconds since the epoch, as the file system stamps files.
void pruneSepaRecords(fileio::FileSystem& fs, const std::string& folder,
                      const SepaRecordCap& cap = {}, std::optional<std::int64_t> now = {});

// The bytes of a record field and back (tab, line ends and backslash escaped).
std::string escapeRecordField(std::string_view raw);
std::optional<std::string> unescapeRecordField(std::string_view field);

}  // namespace velcor::output
