#include "output/SepaRecord.h"

#include "text/Text.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <map>
#include <new>
#include <utility>

namespace velcor::output {

namespace {

constexpr std::string_view kRecordStart = "velcor-sepa-export 1";
constexpr std::string_view kPaymentTag = "P";
constexpr std::string_view kDigestTag = "digest";
constexpr std::string_view kEndTag = "end";
constexpr std::string_view kLineEndTag = "lineend";
// Written out in blocks of this size, as the rows come.
constexpr std::size_t kWriteBlock = 1 << 16;
constexpr std::size_t kReadBlock = 1 << 16;
// No line a recorder writes is longer: a row of a list is a few hundred bytes.
constexpr std::size_t kLineLimit = 1 << 20;
// More payments than any list holds are not made room for ahead.
constexpr std::int64_t kMostPayments = 100'000'000;

const char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);

std::int64_t nowNanoseconds() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

// FNV-1a: the index keeps the ids' hashes only; a hit is compared with the id read back.
std::uint64_t idHash(std::string_view id) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char c : id) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

std::vector<std::string_view> splitFields(std::string_view line) {
    std::vector<std::string_view> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
        if (tab == std::string_view::npos) return fields;
        start = tab + 1;
    }
}

template <typename Number>
bool readNumber(std::string_view text, Number& out) {
    if (text.empty()) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), out);
    return error == std::errc() && end == text.data() + text.size();
}

std::string dateField(const processing::LocalDateTime& date) {
    return text::format("%04d-%02d-%02d", date.year, date.month, date.day);
}

std::optional<processing::LocalDateTime> parseDateField(std::string_view field) {
    processing::LocalDateTime date;
    if (field.size() != 10 || field[4] != '-' || field[7] != '-' ||
        !readNumber(field.substr(0, 4), date.year) || !readNumber(field.substr(5, 2), date.month) ||
        !readNumber(field.substr(8, 2), date.day))
        return std::nullopt;
    return date;
}

// A message id names a file: only letters, digits and '-' (what sepaMessageId makes).
bool isRecordId(std::string_view id) {
    if (id.empty() || id.size() > 35) return false;
    return std::all_of(id.begin(), id.end(), [](char c) {
        return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
               c == '-';
    });
}

std::optional<SepaRecordRow> parsePayment(std::string_view line) {
    const std::vector<std::string_view> fields = splitFields(line);
    if (fields.size() != 7 || fields[0] != kPaymentTag) return std::nullopt;
    SepaRecordRow row;
    auto id = unescapeRecordField(fields[1]);
    auto name = unescapeRecordField(fields[5]);
    auto raw = unescapeRecordField(fields[6]);
    if (!id || !name || !raw || !readNumber(fields[2], row.row) ||
        !readNumber(fields[3], row.amount))
        return std::nullopt;
    row.endToEndId = std::move(*id);
    row.iban = std::string(fields[4]);
    row.name = std::move(*name);
    row.line = std::move(*raw);
    return row;
}

}  // namespace

std::string escapeRecordField(std::string_view raw) {
    std::string out;
    out.reserve(raw.size());
    for (const char c : raw) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            default:
                out += c;
        }
    }
    return out;
}

std::optional<std::string> unescapeRecordField(std::string_view field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != '\\') {
            out += field[i];
            continue;
        }
        if (++i == field.size()) return std::nullopt;
        switch (field[i]) {
            case '\\':
                out += '\\';
                break;
            case 't':
                out += '\t';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            default:
                return std::nullopt;
        }
    }
    return out;
}

std::optional<std::string> sepaRecordPath(const std::string& folder, std::string_view messageId) {
    if (!isRecordId(messageId)) return std::nullopt;
    return folder + kSeparator + std::string(messageId) + std::string(kSepaRecordExtension);
}

SepaRecorder::SepaRecorder(fileio::FileSystem& fs, std::string folder)
    : fs_(fs), folder_(std::move(folder)) {}

SepaRecorder::~SepaRecorder() { discard(); }

bool SepaRecorder::write(std::string_view bytes) {
    buffer_ += bytes;
    if (buffer_.size() < kWriteBlock) return true;
    const bool written = file_->write(buffer_.data(), buffer_.size());
    buffer_.clear();
    if (!written) cause_ = file_->error();
    return written;
}

bool SepaRecorder::begin(const SepaRecordHeader& header) {
    const std::optional<std::string> path = sepaRecordPath(folder_, header.messageId);
    if (!path) {
        cause_ = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    if (!fs_.createPrivateFolder(folder_, cause_)) return false;
    file_ = fs_.createTemporaryBeside(*path, tempPath_, cause_);
    if (!file_) return false;
    messageId_ = header.messageId;
    std::string text(kRecordStart);
    text += "\nmsgid\t" + header.messageId;
    text += "\nversion\t" + std::string(painVersionName(header.version));
    text += "\nlist\t" + escapeRecordField(header.listPath);
    text += "\nvaluedate\t" + dateField(header.executionDate);
    text += "\ncount\t" + std::to_string(header.count);
    text += "\ntotal\t" + std::to_string(header.total) + '\n';
    return write(text);
}

bool SepaRecorder::add(const SepaRecordRow& row) {
    if (!file_) return false;
    std::string line(kPaymentTag);
    for (const std::string& field :
         {escapeRecordField(row.endToEndId), std::to_string(row.row), std::to_string(row.amount),
          escapeRecordField(row.iban), escapeRecordField(row.name), escapeRecordField(row.line)}) {
        line += '\t';
        line += field;
    }
    line += '\n';
    return write(line);
}

bool SepaRecorder::finish(const fileio::ContentDigest& listDigest, bool crlf) {
    if (!file_) return false;
    std::string text(kDigestTag);
    text += '\t' + fileio::digestText(listDigest) + '\n';
    text += std::string(kLineEndTag) + (crlf ? "\tcrlf\n" : "\tlf\n");
    text += kEndTag;
    text += '\n';
    buffer_ += text;
    const bool done = file_->write(buffer_.data(), buffer_.size()) && file_->flush() &&
                      file_->sync() && file_->close();
    buffer_.clear();
    if (!done) {
        cause_ = file_->error();
        return false;
    }
    file_.reset();
    finished_ = true;
    return true;
}

bool SepaRecorder::place() {
    if (!finished_) return false;
    const std::optional<std::string> path = sepaRecordPath(folder_, messageId_);
    if (!path || !fs_.rename(tempPath_, *path, cause_)) return false;
    tempPath_.clear();
    return true;
}

void SepaRecorder::discard() {
    // Closed first: Windows keeps an open file from being removed.
    if (file_) file_->close();
    file_.reset();
    if (!tempPath_.empty()) fs_.remove(tempPath_);
    tempPath_.clear();
    finished_ = false;
}

// The record's lines one after another, each with the offset it starts at; a move to any offset.
class SepaRecord::Lines {
  public:
    Lines(fileio::FileSystem& fs, const std::string& path) : fs_(fs), path_(path) {}

    bool open(std::error_code& cause) {
        file_ = fs_.openRead(path_, cause);
        start_ = 0;
        block_.clear();
        at_ = 0;
        ended_ = false;
        return file_ != nullptr;
    }
    // The next line without its LF into `line`; false at the end (`failed` tells a failed read or
    // a line beyond the limit, or a last line without its LF).
    bool next(std::string& line, std::uint64_t& offset) {
        line.clear();
        offset = start_ + at_;
        for (;;) {
            const std::size_t lf = block_.find('\n', at_);
            if (lf != std::string::npos) {
                line.append(block_, at_, lf - at_);
                at_ = lf + 1;
                return true;
            }
            line.append(block_, at_, std::string::npos);
            if (line.size() > kLineLimit || ended_) {
                failed = failed || !line.empty() || line.size() > kLineLimit;
                return false;
            }
            start_ += block_.size();
            block_.resize(kReadBlock);
            const std::ptrdiff_t got = file_->read(block_.data(), block_.size());
            if (got < 0) {
                failed = true;
                block_.clear();
                at_ = 0;
                return false;
            }
            block_.resize(static_cast<std::size_t>(got));
            at_ = 0;
            if (got == 0) ended_ = true;
        }
    }
    // Moves to `offset`: within the block read last without reading, by the file's seek where it
    // has one, and by reading from the start where it has none.
    bool moveTo(std::uint64_t offset, std::error_code& cause) {
        if (offset >= start_ && offset <= start_ + block_.size()) {
            at_ = static_cast<std::size_t>(offset - start_);
            return true;
        }
        if (file_ && file_->seek(offset)) {
            start_ = offset;
            block_.clear();
            at_ = 0;
            ended_ = false;
            return true;
        }
        if (!open(cause)) return false;
        std::string skipped;
        std::uint64_t at = 0;
        while (at < offset) {
            if (!next(skipped, at)) return false;
            at = start_ + at_;
        }
        return at == offset;
    }

    bool failed = false;

  private:
    fileio::FileSystem& fs_;
    const std::string& path_;
    std::unique_ptr<fileio::ReadFile> file_;
    std::uint64_t start_ = 0;  // the offset of the block's first byte
    std::string block_;
    std::size_t at_ = 0;
    bool ended_ = false;
};

SepaRecord::SepaRecord(fileio::FileSystem& fs, std::string path)
    : fs_(fs), path_(std::move(path)) {}

SepaRecord::~SepaRecord() = default;

SepaRecordError SepaRecord::open() {
    try {
        Lines lines(fs_, path_);
        if (!lines.open(cause_)) {
            if (fs_.stamp(path_)) return SepaRecordError::unreadable;
            std::string gone = path_;
            gone.resize(gone.size() - kSepaRecordExtension.size());
            gone += kSepaRecordGoneExtension;
            return fs_.stamp(gone) ? SepaRecordError::letGo : SepaRecordError::missing;
        }
        std::string line;
        std::uint64_t offset = 0;
        if (!lines.next(line, offset) || line != kRecordStart) return SepaRecordError::damaged;
        std::map<std::string, std::string, std::less<>> fields;
        bool ended = false;
        bool digested = false;
        while (lines.next(line, offset)) {
            if (ended) return SepaRecordError::damaged;
            if (line.starts_with("P\t")) {
                // Room for all the payments the header names at once: no doubling on the way.
                std::int64_t count = 0;
                if (index_.empty() && readNumber(fields["count"], count) && count > 0 &&
                    count <= kMostPayments)
                    index_.reserve(static_cast<std::size_t>(count));
                const std::size_t tab = line.find('\t', 2);
                if (tab == std::string::npos) return SepaRecordError::damaged;
                const auto id = unescapeRecordField(std::string_view(line).substr(2, tab - 2));
                if (!id) return SepaRecordError::damaged;
                index_.push_back({idHash(*id), offset, static_cast<std::int64_t>(index_.size())});
                continue;
            }
            const std::vector<std::string_view> parts = splitFields(line);
            if (parts.size() == 1 && parts[0] == kEndTag) {
                ended = true;
            } else if (parts.size() == 2 && parts[0] == kDigestTag) {
                const auto digest = fileio::parseDigestText(parts[1]);
                if (!digest) return SepaRecordError::damaged;
                listDigest_ = *digest;
                digested = true;
            } else if (parts.size() == 2 && parts[0] == kLineEndTag) {
                crlf_ = parts[1] == "crlf";
            } else if (parts.size() == 2 && index_.empty()) {
                fields.emplace(std::string(parts[0]), std::string(parts[1]));
            } else {
                return SepaRecordError::damaged;
            }
        }
        if (lines.failed) {
            cause_ = std::make_error_code(std::errc::io_error);
            return SepaRecordError::damaged;
        }
        if (!ended || !digested) return SepaRecordError::damaged;
        const auto list = unescapeRecordField(fields["list"]);
        const auto date = parseDateField(fields["valuedate"]);
        const std::string& version = fields["version"];
        header_.messageId = fields["msgid"];
        if (!list || !date || !readNumber(fields["count"], header_.count) ||
            !readNumber(fields["total"], header_.total) || header_.messageId.empty())
            return SepaRecordError::damaged;
        if (version == painVersionName(PainVersion::v09))
            header_.version = PainVersion::v09;
        else if (version == painVersionName(PainVersion::v03))
            header_.version = PainVersion::v03;
        else
            return SepaRecordError::damaged;
        header_.listPath = *list;
        header_.executionDate = *date;
        if (header_.count != payments()) return SepaRecordError::damaged;
        std::sort(index_.begin(), index_.end(), [](const Indexed& a, const Indexed& b) {
            return a.hash < b.hash || (a.hash == b.hash && a.ordinal < b.ordinal);
        });
        return SepaRecordError::none;
    } catch (const std::bad_alloc&) {
        index_.clear();
        index_.shrink_to_fit();
        return SepaRecordError::outOfMemory;
    }
}

std::optional<SepaRecordRow> SepaRecord::find(std::string_view endToEndId, std::int64_t& ordinal) {
    const std::uint64_t hash = idHash(endToEndId);
    auto at =
        std::lower_bound(index_.begin(), index_.end(), hash,
                         [](const Indexed& entry, std::uint64_t h) { return entry.hash < h; });
    for (; at != index_.end() && at->hash == hash; ++at) {
        if (!lookup_) {
            lookup_ = std::make_unique<Lines>(fs_, path_);
            if (!lookup_->open(cause_)) {
                lookup_.reset();
                return std::nullopt;
            }
        }
        std::string line;
        std::uint64_t offset = 0;
        if (!lookup_->moveTo(at->offset, cause_) || !lookup_->next(line, offset)) {
            lookup_.reset();
            return std::nullopt;
        }
        std::optional<SepaRecordRow> row = parsePayment(line);
        if (row && row->endToEndId == endToEndId) {
            ordinal = at->ordinal;
            return row;
        }
    }
    return std::nullopt;
}

bool SepaRecord::forEach(
    const std::function<bool(std::int64_t ordinal, const SepaRecordRow& row)>& visit) {
    Lines lines(fs_, path_);
    if (!lines.open(cause_)) return false;
    std::string line;
    std::uint64_t offset = 0;
    std::int64_t ordinal = 0;
    while (lines.next(line, offset)) {
        if (!line.starts_with("P\t")) continue;
        const std::optional<SepaRecordRow> row = parsePayment(line);
        if (!row) return false;
        if (!visit(ordinal++, *row)) return true;
    }
    return !lines.failed;
}

std::optional<ListFacts> listFacts(fileio::FileSystem& fs, const std::string& path,
                                   std::error_code& cause) {
    std::unique_ptr<fileio::ReadFile> file = fs.openRead(path, cause);
    if (!file) return std::nullopt;
    fileio::ContentDigester digester;
    ListFacts facts;
    bool lineSeen = false;
    char last = '\0';
    std::string block(kReadBlock, '\0');
    for (;;) {
        const std::ptrdiff_t got = file->read(block.data(), block.size());
        if (got < 0) {
            cause = file->error();
            return std::nullopt;
        }
        if (got == 0) break;
        const std::string_view bytes(block.data(), static_cast<std::size_t>(got));
        digester.add(bytes.data(), bytes.size());
        if (!lineSeen) {
            const std::size_t lf = bytes.find('\n');
            if (lf != std::string_view::npos) {
                lineSeen = true;
                facts.crlf = lf > 0 ? bytes[lf - 1] == '\r' : last == '\r';
            }
            last = bytes.back();
        }
    }
    facts.digest = digester.finish();
    return facts;
}

void pruneSepaRecords(fileio::FileSystem& fs, const std::string& folder, const SepaRecordCap& cap,
                      std::optional<std::int64_t> now) {
    const std::int64_t at = now.value_or(nowNanoseconds());
    const std::int64_t age = std::chrono::duration_cast<std::chrono::nanoseconds>(cap.age).count();
    struct Kept {
        std::int64_t modified;
        std::uint64_t size;
        std::string id;
    };
    std::vector<Kept> kept;
    for (const std::string& name : fs.folderEntries(folder)) {
        const std::string path = folder + kSeparator + name;
        if (name.ends_with(kSepaRecordGoneExtension)) {
            const std::optional<fileio::FileStamp> stamp = fs.stamp(path);
            if (stamp && at - stamp->modifiedNanoseconds > 10 * age) fs.remove(path);
            continue;
        }
        if (!name.ends_with(kSepaRecordExtension)) continue;
        const std::string id = name.substr(0, name.size() - kSepaRecordExtension.size());
        if (!isRecordId(id)) continue;
        if (const std::optional<fileio::FileStamp> stamp = fs.stamp(path))
            kept.push_back({stamp->modifiedNanoseconds, stamp->size, id});
    }
    // The newest first: they stay while the total allows.
    std::sort(kept.begin(), kept.end(),
              [](const Kept& a, const Kept& b) { return a.modified > b.modified; });
    std::uint64_t total = 0;
    for (const Kept& record : kept) {
        total += record.size;
        if (at - record.modified <= age && total <= cap.bytes) continue;
        const std::string base = folder + kSeparator + record.id;
        // The mark first: a record that goes always leaves one.
        fileio::replaceFile(fs, base + std::string(kSepaRecordGoneExtension), {});
        fs.remove(base + std::string(kSepaRecordExtension));
    }
}

}  // namespace velcor::output
