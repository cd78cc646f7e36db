#include "processing/Scan.h"

#include "processing/RowChecker.h"
#include "processing/TextModeReader.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <limits>
#include <string>

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kCannotRead = "Не може да се прочете файл: "_cp;
constexpr auto kReadError = "Грешка при четене на файла!"_cp;
constexpr auto kWrongControlCode = "Грешен контролен код!"_cp;
constexpr auto kWrongTotal = "Грешнa сума!"_cp;  // the "a" is Latin, as the message always had it
constexpr auto kWrongCount = "Грешен брой записи!"_cp;

// The control code leaves out every CR and LF: a list gives the same code whatever its line ends.
std::uint32_t addToCrc(std::uint32_t crc, std::string_view bytes) {
    if (!bytes.empty() && bytes.back() == '\n') bytes.remove_suffix(1);
    for (std::size_t cr; (cr = bytes.find('\r')) != std::string_view::npos;) {
        crc = crc32Update(crc, bytes.data(), cr);
        bytes.remove_prefix(cr + 1);
    }
    return crc32Update(crc, bytes.data(), bytes.size());
}

}  // namespace

bool scanPaymentFile(WorkingState& state, ScanHost& host, fileio::FileSystem& fs) {
    // A refused length limit has shown its message already; the scan goes on with what was taken.
    host.readControls();
    state.acceptedLines.clear();
    // Only a scan that reads the file to its end vouches for it.
    state.scannedPath.clear();
    state.scannedStamp.reset();

    const std::string path = state.inputPath;
    const std::optional<fileio::FileStamp> stampBefore = fs.stamp(path);
    std::unique_ptr<fileio::ReadFile> file = fs.openRead(path);
    state.totalSum = 0.0;
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
    std::string_view piece;
    TextModeReader::Result result = reader.next(piece);
    if (result == TextModeReader::Result::piece && piece.substr(0, 3) == "OMP") {
        if (!readPreparedHeader(piece, state, host)) {
            file.reset();
            resetControlData(state);
            return false;
        }
        result = reader.next(piece);
    }

    state.totalSum = 0.0;
    state.recordCount = 0;
    state.rowMessages.clear();
    // Whether acceptedLines ends in a piece of an over-long line whose end has not come yet.
    bool rowOpen = false;
    for (; result == TextModeReader::Result::piece; result = reader.next(piece)) {
        const bool endsLine = piece.back() == '\n';
        const bool blank = text::trimBlanks(piece).empty();
        if (blank && !rowOpen) {
            // Blank lines are left out of the prepared file, so they stay out of its control
            // code too.
            continue;
        }
        // A blank piece of an over-long line is no row of its own, but its bytes belong to the
        // line: they are kept (and covered by the control code) so the row reaches the prepared
        // file whole, and a later scan of that file reads the same pieces.
        state.controlCrc = addToCrc(state.controlCrc, piece);
        state.acceptedLines += piece;
        rowOpen = !endsLine;
        if (blank) continue;
        ++state.recordCount;
        checker.check(piece, state);
    }
    if (result == TextModeReader::Result::error) {
        file.reset();
        host.showMessage(kReadError);
        resetControlData(state);
        return false;
    }
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

    std::string totalText = text::format("%12.2lf", state.totalSum);
    std::string countText = text::format("%d", state.recordCount);
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

}  // namespace velcor::processing
