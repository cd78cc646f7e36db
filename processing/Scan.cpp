#include "processing/Scan.h"

#include "processing/Amount.h"
#include "processing/RowChecker.h"
#include "processing/TextModeReader.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "text/Utf8Sniffer.h"

#include <cstdint>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <string>

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kLoneCr = "Непознат край на ред (CR без LF) на ред: %lld"_cp;
constexpr auto kDataAfterEndMark = "Данни след знака за край на файла (Ctrl-Z) на ред: %lld"_cp;
constexpr auto kLineTooLong = "Редът е по-дълъг от %lld знака на ред: %lld"_cp;

// The control code leaves out every CR and LF: a list gives the same code whatever its line ends.
// `firstCr`: where the first CR stands (npos: nowhere), as the caller has looked for it already.
std::uint32_t addToCrc(std::uint32_t crc, std::string_view bytes, std::size_t firstCr) {
    if (!bytes.empty() && bytes.back() == '\n') bytes.remove_suffix(1);
    for (std::size_t cr = firstCr; cr != std::string_view::npos; cr = bytes.find('\r')) {
        crc = crc32Update(crc, bytes.data(), cr);
        bytes.remove_prefix(cr + 1);
    }
    return crc32Update(crc, bytes.data(), bytes.size());
}

// Whether `piece` holds a CR that no LF follows, from its first CR at `firstCr` on. A CR at its
// very end is decided by the next piece (an over-long line may be cut between a CR and its LF):
// `crAtEnd` says so.
bool holdsLoneCr(std::string_view piece, std::size_t firstCr, bool& crAtEnd) {
    crAtEnd = false;
    for (std::size_t cr = firstCr; cr != std::string_view::npos; cr = piece.find('\r', cr + 1)) {
        if (cr + 1 == piece.size()) {
            crAtEnd = true;
            return false;
        }
        if (piece[cr + 1] != '\n') return true;
    }
    return false;
}

// Forgets what the rows of a list that is refused as a whole gave, so that nothing of it can be
// shown.
void dropRows(ScanResult& result) {
    result.rowFindings = {};
    resetControlData(result.controlData);
}

// The rows of a list as they are read, after its header: their control data, the rows handed to
// the sink and the row findings.
class RowTally {
  public:
    RowTally(const settings::FormatDefinition* format, char delimiter, const ScanOptions& options,
             ScanResult& result)
        : checker_(format, delimiter, options.budgetRules),
          format_(format),
          delimiter_(delimiter),
          sink_(options.rows),
          records_(options.records),
          result_(result) {}

    // One line piece as the reader hands it over; false when a sink refused it.
    bool add(std::string_view piece);
    // Once the list has been read to its end; false when the record sink refused the last row.
    bool finish(bool dataAfterEndMark);

  private:
    void rowFinding(FindingKind kind, const char* form, std::int64_t row) {
        result_.rowFindings.add(kind, row, form, static_cast<long long>(row));
    }

    RowChecker checker_;
    const settings::FormatDefinition* format_;
    char delimiter_;
    const RowSink& sink_;
    const RecordSink& records_;
    PaymentRecord record_;  // reused row after row
    ScanResult& result_;
    // Whether the kept lines end in a piece of an over-long line whose end has not come yet.
    bool rowOpen_ = false;
    // Whether the last piece kept ended in a CR whose LF, if any, begins the next piece.
    bool crAtEnd_ = false;
    // Whether the last piece, kept or not, ended before its line did; the row number the line's
    // first counted piece gets; and whether the line has had its message for being too long.
    bool lineOpen_ = false;
    std::int64_t lineRow_ = 0;
    bool lineRefused_ = false;
    // Whether the line has been counted as a row; a line counts once however many pieces it has.
    bool lineCounted_ = false;
    // A row's first piece that its line may go on behind: checked once the next piece shows the
    // line ended with it, and never when the line turns out too long (it is refused once, and
    // its pieces would only give findings about where it was cut).
    std::string heldPiece_;
    bool held_ = false;

    // Checks `line` as the row last counted and hands its record to the record sink, if any;
    // false when the sink refused it.
    bool check(std::string_view line);
    bool checkHeld();
};

bool RowTally::check(std::string_view line) {
    ControlData& data = result_.controlData;
    const std::int64_t findingsBefore = result_.rowFindings.count;
    checker_.check(line, data.recordCount, data.totalSum, result_.rowFindings);
    if (checker_.budgetAccount()) ++result_.budgetRows;
    if (!records_) return true;
    checker_.fillRecord(record_);
    return records_(
        ScannedRow{data.recordCount, line, record_, result_.rowFindings.count == findingsBefore});
}

bool RowTally::checkHeld() {
    if (!held_) return true;
    held_ = false;
    return check(heldPiece_);
}

bool RowTally::add(std::string_view piece) {
    ControlData& data = result_.controlData;
    const bool endsLine = piece.back() == '\n';
    const bool blank = isBlankLine(piece, format_, delimiter_);
    // A line longer than a piece would count as several payments where the bank sees one line.
    // Only its LF alone in the next piece is harmless: the line itself fitted.
    const bool continues = lineOpen_ && piece != "\n";
    if (!lineOpen_) {
        lineRow_ = data.recordCount + 1;
        lineRefused_ = false;
        lineCounted_ = false;
    }
    lineOpen_ = !endsLine;
    if (continues)
        held_ = false;
    else if (!checkHeld())
        return false;
    if (continues && !lineRefused_) {
        lineRefused_ = true;
        result_.rowFindings.add(FindingKind::lineTooLong, lineRow_, kLineTooLong.c_str(),
                                static_cast<long long>(TextModeReader::kMaxPiece),
                                static_cast<long long>(lineRow_));
    }
    // Blank lines are left out of the prepared file, so they stay out of its control code too.
    if (blank && !rowOpen_) return true;
    if (crAtEnd_ && piece.front() != '\n')
        rowFinding(FindingKind::loneCr, kLoneCr.c_str(), data.recordCount);
    // A blank piece of an over-long line is no row of its own, but its bytes belong to the line:
    // they are kept (and covered by the control code) so the row reaches the prepared file whole,
    // and a later scan of that file reads the same pieces.
    // Text mode has made every CR LF pair an LF, so most pieces hold no CR at all: looked for once.
    const std::size_t firstCr = piece.find('\r');
    data.controlCrc = addToCrc(data.controlCrc, piece, firstCr);
    if (sink_ && !sink_(piece)) return false;
    rowOpen_ = !endsLine;
    bool checked = false;
    // A line counts once, at its first piece that is not blank. Pieces that come after blank
    // ones belong to a line refused already, and are no row to check.
    if (!blank && !lineCounted_) {
        lineCounted_ = true;
        ++data.recordCount;
        if (lineOpen_ && !lineRefused_) {
            heldPiece_.assign(piece);
            held_ = true;
        } else if (!lineRefused_) {
            if (!check(piece)) return false;
            checked = true;
        }
    }
    // A CR with no LF behind it ends a line on some systems and nowhere in this list's reading:
    // such a list would reach the bank as one long row.
    if (holdsLoneCr(piece, firstCr, crAtEnd_)) {
        const std::size_t at = result_.rowFindings.kept.size();
        rowFinding(FindingKind::loneCr, kLoneCr.c_str(), data.recordCount);
        // It names the row just checked.
        if (checked) checker_.describeRow(result_.rowFindings, at);
    }
    return true;
}

bool RowTally::finish(bool dataAfterEndMark) {
    // The list ended with a piece of the longest length.
    if (!checkHeld()) return false;
    const std::int64_t count = result_.controlData.recordCount;
    if (crAtEnd_) rowFinding(FindingKind::loneCr, kLoneCr.c_str(), count);
    // The mark stands in the last row kept unless that row had ended before it.
    if (dataAfterEndMark)
        rowFinding(FindingKind::dataAfterEndMark, kDataAfterEndMark.c_str(),
                   rowOpen_ ? count : count + 1);
    return true;
}

// The list's file as the reader reads it, telling the progress of each block before it is read. A
// stop asked for ends the reading as a failed read would, and is told apart by cancelled().
class WatchedFile final : public fileio::ReadFile {
  public:
    WatchedFile(fileio::ReadFile& file, const ScanProgress& progress, std::uint64_t size)
        : file_(file), progress_(progress), size_(size) {}

    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        if (!progress_(read_, size_)) {
            cancelled_ = true;
            return -1;
        }
        const std::ptrdiff_t got = file_.read(buffer, size);
        if (got > 0) read_ += static_cast<std::uint64_t>(got);
        return got;
    }
    std::error_code error() const override { return file_.error(); }
    bool cancelled() const { return cancelled_; }

  private:
    fileio::ReadFile& file_;
    const ScanProgress& progress_;
    std::uint64_t size_;
    std::uint64_t read_ = 0;
    bool cancelled_ = false;
};

void scanList(fileio::FileSystem& fs, const std::string& path,
              const settings::FormatDefinition* format, char delimiter, const ScanOptions& options,
              ScanResult& result) {
    const ScanProgress& progress = options.progress;
    result.rowFindings.keep = options.findingsKept;
    const std::optional<fileio::FileStamp> stampBefore = fs.stamp(path);
    std::unique_ptr<fileio::ReadFile> file = fs.openRead(path, result.cause);
    if (file == nullptr) {
        result.error = ScanError::cannotOpen;
        return;
    }
    // Unwatched, the reader reads the file itself: the scan costs nothing more.
    std::optional<WatchedFile> watched;
    if (progress) watched.emplace(*file, progress, stampBefore ? stampBefore->size : 0);
    TextModeReader reader(watched ? static_cast<fileio::ReadFile&>(*watched) : *file);
    text::Utf8Sniffer utf8;
    std::string_view piece;
    TextModeReader::Result read = reader.next(piece);
    if (read == TextModeReader::Result::piece && piece.substr(0, 3) == "OMP") {
        result.header = readPreparedHeader(piece);
        if (result.header->refusal != HeaderRefusal::none) {
            // A header saved in UTF-8 reads as no header at all; the encoding is what to fix.
            text::Utf8Sniffer header;
            header.feed(piece);
            result.error = header.isUtf8() ? ScanError::savedAsUtf8 : ScanError::headerRefused;
            return;
        }
        // A whole header is the system's own, in Windows-1251 whatever its bytes spell in UTF-8
        // (a name holding "С“" reads as one UTF-8 letter): only the rows tell how the list was
        // saved.
        read = reader.next(piece);
    }
    RowTally rows(format, delimiter, options, result);
    for (; read == TextModeReader::Result::piece; read = reader.next(piece)) {
        utf8.feed(piece);
        if (!rows.add(piece)) {
            result.error = ScanError::rowsNotTaken;
            return;
        }
    }
    if (read == TextModeReader::Result::error) {
        if (watched && watched->cancelled()) {
            // Stopped when asked: nothing of the list is taken, its header neither.
            dropRows(result);
            result.header.reset();
            result.error = ScanError::cancelled;
            return;
        }
        // The rows read so far stay with their messages; their control data count for nothing.
        result.cause = file->error();
        resetControlData(result.controlData);
        result.error = ScanError::readError;
        return;
    }
    if (!rows.finish(reader.dataAfterEndMark())) {
        result.error = ScanError::rowsNotTaken;
        return;
    }
    file.reset();
    if (utf8.isUtf8()) {
        dropRows(result);
        result.error = ScanError::savedAsUtf8;
        return;
    }
    // Nothing to pay is no bank file, whether the list is empty or holds a header alone. (Data
    // hidden behind an end mark has its own row message, which says more.)
    if (result.controlData.recordCount == 0 && result.rowFindings.count == 0) {
        dropRows(result);
        result.error = ScanError::noPayments;
        return;
    }

    ControlData& data = result.controlData;
    data.controlCrc = ~data.controlCrc;
    data.controlCodeText = controlCodeOf(data.controlCrc);
    data.totalText = formatCents(data.totalSum, 12);
    data.countText = std::to_string(data.recordCount);
    // A list changed while it was read has no stamp that vouches for what was read.
    const std::optional<fileio::FileStamp> stampAfter = fs.stamp(path);
    if (stampBefore && stampAfter && *stampBefore == *stampAfter) result.stamp = stampAfter;
}

}  // namespace

ScanResult scanPaymentFile(fileio::FileSystem& fs, const std::string& path,
                           const settings::FormatDefinition* format, char delimiter,
                           const RowSink& sink, const ScanProgress& progress,
                           std::int64_t findingsKept) {
    return scanPaymentFile(fs, path, format, delimiter,
                           ScanOptions{sink, {}, progress, findingsKept, BudgetRules::before2023});
}

ScanResult scanPaymentFile(fileio::FileSystem& fs, const std::string& path,
                           const settings::FormatDefinition* format, char delimiter,
                           const ScanOptions& options) {
    ScanResult result;
    try {
        scanList(fs, path, format, delimiter, options, result);
    } catch (const std::bad_alloc&) {
        // What the header held stays: it was taken before the rows.
        dropRows(result);
        result.stamp.reset();
        result.error = ScanError::outOfMemory;
    }
    return result;
}

}  // namespace velcor::processing
