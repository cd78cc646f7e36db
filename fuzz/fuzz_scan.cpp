// Feeds any bytes to the scan as a payment list, under a delimited, a fixed-length and a budget
// format in turn. What must hold beside "no crash":
//  - the kept rows are exactly the non-blank rows as read, and the count is their number;
//  - a list the scan accepts, prepared and scanned again, is recognised as prepared with the same
//    control data and the same rows.

#include "checks/Iban.h"
#include "output/PreparedFile.h"
#include "processing/BudgetUnitCode.h"
#include "processing/Scan.h"
#include "support/ListModel.h"
#include "support/MemoryFileSystem.h"
#include "text/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace velcor;

const char kListPath[] = "O081206P.1DP";

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

processing::WorkingState freshState() {
    processing::WorkingState state;
    state.formats = fuzz::listFormats();
    state.inputPath = kListPath;
    state.paymentDate = processing::LocalDateTime{2006, 12, 8, 0, 0, 0, true};
    state.payerIban = "BG48BNBG96618000123456";
    state.payerBic = "BNBGBGSD";
    state.payerName = "PAYER";
    state.paymentKindCode = "101";
    state.budgetUnitCode = "1234563";
    return state;
}

void scanUnder(int position, const std::string& bytes) {
    fuzz::MemoryFileSystem fs;
    fs.files[kListPath] = bytes;
    processing::WorkingState state = freshState();
    fuzz::RecordingScanHost host(position);
    const bool accepted = processing::scanPaymentFile(state, host, fs);

    // A prepared header that was refused stops the scan before the rows.
    const bool headerRefused = !accepted && state.acceptedLines.empty() && !host.messages.empty();
    if (headerRefused) return;
    const std::string expected = fuzz::expectedRows(bytes);
    require(state.acceptedLines == expected, "kept rows differ from the non-blank rows");
    if (state.filePrepared || !accepted) return;
    require(!state.scannedPath.empty(), "an accepted scan names the file it read");

    // What "Подготовка" asks before it writes: rows to write and payer data that passes its checks
    // (a partial "OMP" first line may have replaced the payer data).
    const settings::FormatDefinition* format = processing::formatAt(state, position);
    if (state.acceptedLines.empty()) return;
    char reason[64];
    if (format->name == "SB") {
        if (!processing::CheckBudgetUnitCode(state.budgetUnitCode.c_str())) return;
        if (text::trimWhitespace(state.payerBic).size() != 8) return;
    } else if (checks::CheckIban(state.payerIban.c_str(), reason, sizeof reason) == 0) {
        return;
    }
    if (text::trimWhitespace(state.payerName).empty()) return;
    const std::string header = output::buildHeaderLine(state, format);
    require(output::writePreparedFile(fs, kListPath, header, state.acceptedLines) ==
                output::PrepareWriteResult::ok,
            "writing the prepared list to memory");

    processing::WorkingState again = freshState();
    fuzz::RecordingScanHost againHost(position);
    const bool acceptedAgain = processing::scanPaymentFile(again, againHost, fs);
    require(acceptedAgain, "a prepared list fails its own check");
    require(again.filePrepared, "a prepared list is not recognised");
    require(again.controlCodeText == state.controlCodeText, "control code changed");
    require(again.totalText == state.totalText, "total changed");
    require(again.countText == state.countText, "count changed");
    require(again.recordCount == state.recordCount, "number of rows changed");
    // The rows are written as bytes and read in text mode: a CR kept in front of a row's LF
    // (from CR CR LF) reads back as part of a CR LF pair. Nothing else may change.
    require(again.acceptedLines == fuzz::textModeView(state.acceptedLines), "rows changed");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (int position = 0; position < 3; ++position) scanUnder(position, bytes);
    return 0;
}
