#include "processing/Scan.h"

#include "processing/RowChecker.h"
#include "processing/TextModeReader.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "text/Utf8Sniffer.h"

#include <limits>
#include <new>
#include <string>

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kCannotRead = "Не може да се прочете файл: "_cp;
constexpr auto kReadError = "Грешка при четене на файла!"_cp;
constexpr auto kWrongControlCode = "Грешен контролен код!"_cp;
constexpr auto kWrongTotal = "Грешнa сума!"_cp;  // the "a" is Latin, as the message always had it
constexpr auto kWrongCount = "Грешен брой записи!"_cp;
constexpr auto kSavedAsUtf8 =
    "Файлът %s е записан в UTF-8. Запишете го с кодировка Windows-1251 (Кирилица) и опитайте "
    "отново."_cp;
constexpr auto kOutOfMemory = "Няма достатъчно памет за обработка на файла!"_cp;
constexpr auto kLoneCr = "Непознат край на ред (CR без LF) на ред: %lld<BR>"_cp;
constexpr auto kDataAfterEndMark = "Данни след знака за край на файла (Ctrl-Z) на ред: %lld<BR>"_cp;

// The control code leaves out every CR and LF: a list gives the same code whatever its line ends.
std::uint32_t addToCrc(std::uint32_t crc, std::string_view bytes) {
    if (!bytes.empty() && bytes.back() == '\n') bytes.remove_suffix(1);
    for (std::size_t cr; (cr = bytes.find('\r')) != std::string_view::npos;) {
        crc = crc32Update(crc, bytes.data(), cr);
        bytes.remove_prefix(cr + 1);
    }
    return crc32Update(crc, bytes.data(), bytes.size());
}

// Whether `piece` holds a CR that no LF follows. A CR at its very end is decided by the next
// piece (an over-long line may be cut between a CR and its LF): `crAtEnd` says so.
bool holdsLoneCr(std::string_view piece, bool& crAtEnd) {
    crAtEnd = false;
    for (std::size_t cr = piece.find('\r'); cr != std::string_view::npos;
         cr = piece.find('\r', cr + 1)) {
        if (cr + 1 == piece.size()) {
            crAtEnd = true;
            return false;
        }
        if (piece[cr + 1] != '\n') return true;
    }
    return false;
}

// Forgets everything a failed scan read, so that nothing of it can be written or shown.
void dropScan(WorkingState& state) {
    std::string().swap(state.acceptedLines);
    clearRowMessages(state);
    resetControlData(state);
}

bool scanFile(WorkingState& state, ScanHost& host, fileio::FileSystem& fs);

}  // namespace

bool scanPaymentFile(WorkingState& state, ScanHost& host, fileio::FileSystem& fs) {
    try {
        return scanFile(state, host, fs);
    } catch (const std::bad_alloc&) {
        dropScan(state);
        state.scannedPath.clear();
        state.scannedStamp.reset();
        host.showMessage(kOutOfMemory);
        return false;
    }
}

namespace {

bool scanFile(WorkingState& state, ScanHost& host, fileio::FileSystem& fs) {
    // A refused length limit has shown its message already; the scan goes on with what was taken.
    host.readControls();
    state.acceptedLines.clear();
    // Only a scan that reads the file to its end vouches for it.
    state.scannedPath.clear();
    state.scannedStamp.reset();

    const std::string path = state.inputPath;
    const std::optional<fileio::FileStamp> stampBefore = fs.stamp(path);
    std::unique_ptr<fileio::ReadFile> file = fs.openRead(path);
    state.totalSum = 0;
    state.controlCrc = 0xFFFFFFFFu;
    if (file == nullptr) {
        host.showMessage(std::string(kCannotRead.view()) + path);
        return false;
    }
    // acceptedLines ends up as large as the list (less its CRs); one reservation up front avoids
    // the doubling of a growing buffer, which would cost up to twice the list's size.
    if (stampBefore && stampBefore->size < std::numeric_limits<std::size_t>::max() / 2) {
        const auto size = static_cast<std::size_t>(stampBefore->size);
        // A much larger list scanned before would otherwise keep its memory.
        if (state.acceptedLines.capacity() / 2 > size) std::string().swap(state.acceptedLines);
        state.acceptedLines.reserve(size);
    }

    RowChecker checker(formatAt(state, host.selectedPaymentType()));
    TextModeReader reader(*file);
    text::Utf8Sniffer utf8;
    std::string_view piece;
    TextModeReader::Result result = reader.next(piece);
    if (result == TextModeReader::Result::piece && piece.substr(0, 3) == "OMP") {
        utf8.feed(piece);
        if (!readPreparedHeader(piece, state, host)) {
            file.reset();
            resetControlData(state);
            return false;
        }
        result = reader.next(piece);
    }

    state.totalSum = 0;
    state.recordCount = 0;
    clearRowMessages(state);
    // Whether acceptedLines ends in a piece of an over-long line whose end has not come yet.
    bool rowOpen = false;
    // Whether the last piece kept ended in a CR whose LF, if any, begins the next piece.
    bool crAtEnd = false;
    const auto loneCr = [&state] {
        addRowMessage(state,
                      text::format(kLoneCr.c_str(), static_cast<long long>(state.recordCount)));
    };
    for (; result == TextModeReader::Result::piece; result = reader.next(piece)) {
        utf8.feed(piece);
        const bool endsLine = piece.back() == '\n';
        const bool blank = text::trimBlanks(piece).empty();
        if (blank && !rowOpen) {
            // Blank lines are left out of the prepared file, so they stay out of its control
            // code too.
            continue;
        }
        if (crAtEnd && piece.front() != '\n') loneCr();
        // A blank piece of an over-long line is no row of its own, but its bytes belong to the
        // line: they are kept (and covered by the control code) so the row reaches the prepared
        // file whole, and a later scan of that file reads the same pieces.
        state.controlCrc = addToCrc(state.controlCrc, piece);
        state.acceptedLines += piece;
        rowOpen = !endsLine;
        if (!blank) {
            ++state.recordCount;
            checker.check(piece, state);
        }
        // A CR with no LF behind it ends a line on some systems and nowhere in this list's
        // reading: such a list would reach the bank as one long row.
        if (holdsLoneCr(piece, crAtEnd)) loneCr();
    }
    if (result == TextModeReader::Result::error) {
        file.reset();
        host.showMessage(kReadError);
        resetControlData(state);
        return false;
    }
    if (crAtEnd) loneCr();
    if (reader.dataAfterEndMark()) {
        // The mark stands in the last row kept unless that row had ended before it.
        const std::int64_t row = rowOpen ? state.recordCount : state.recordCount + 1;
        addRowMessage(state, text::format(kDataAfterEndMark.c_str(), static_cast<long long>(row)));
    }
    if (utf8.isUtf8()) {
        file.reset();
        dropScan(state);
        host.showMessage(text::format(kSavedAsUtf8.c_str(), path.c_str()));
        return false;
    }
    closeRowMessages(state);
    file.reset();
    state.controlCrc = ~state.controlCrc;

    // A list changed while it was read has no stamp that vouches for what was read.
    const std::optional<fileio::FileStamp> stampAfter = fs.stamp(path);
    state.scannedPath = path;
    if (stampBefore && stampAfter && *stampBefore == *stampAfter) state.scannedStamp = stampAfter;

    const std::string controlCode = controlCodeOf(state.controlCrc);
    if (state.filePrepared && controlCode != state.controlCodeText) {
        host.showMessage(kWrongControlCode);
        return false;
    }
    state.controlCodeText = controlCode;

    std::string totalText = formatCents(state.totalSum, 12);
    std::string countText = std::to_string(state.recordCount);
    if (state.filePrepared) {
        if (text::trimBlanks(totalText) != text::trimBlanks(state.totalText)) {
            host.showMessage(kWrongTotal);
            return false;
        }
        if (countText != text::trimBlanks(state.countText)) {
            host.showMessage(kWrongCount);
            return false;
        }
    }
    state.totalText = std::move(totalText);
    state.countText = std::move(countText);
    host.updateControls();
    return state.rowMessages.empty();
}

}  // namespace

}  // namespace velcor::processing
