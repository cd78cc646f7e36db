// Feeds any bytes to the scan as a payment list, under a delimited, a fixed-length and a budget
// format in turn. What must hold beside "no crash":
//  - the kept rows are exactly the non-blank rows as read;
//  - a list the scan accepts, prepared and scanned again, is recognised as prepared: its header
//    states the control data its rows give again, the same as before, and the rows are the same;
//  - the payment codes a row lacks are named in the order of the record's own table, under a
//    budget format whose codes share chains and repeat names.

#include "checks/Iban.h"
#include "output/PreparedFile.h"
#include "processing/BudgetUnitCode.h"
#include "processing/RowChecker.h"
#include "processing/Scan.h"
#include "support/ListFormats.h"
#include "support/ListModel.h"
#include "support/MemoryFileSystem.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

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
    state.formats = testing::listFormats();
    state.inputPath = kListPath;
    state.paymentDate = processing::LocalDateTime{2006, 12, 8, 0, 0, 0, true};
    state.payerIban = "BG48BNBG96618000123456";
    state.payerBic = "BNBGBGSD";
    state.payerName = "PAYER";
    state.paymentKindCode = "101";
    state.budgetUnitCode = "1234563";
    return state;
}

// Whether a scan read its list to its end without a finding.
bool accepted(const processing::ScanResult& result) {
    return result.error == processing::ScanError::none && result.rowMessages.count == 0;
}

void scanUnder(int position, const std::string& bytes) {
    testing::MemoryFileSystem fs;
    fs.files[kListPath] = bytes;
    processing::WorkingState state = freshState();
    const settings::FormatDefinition* format = processing::formatAt(state, position);
    const processing::ScanResult first =
        processing::scanPaymentFile(fs, kListPath, format, format->delimiter);

    // A list refused as a whole (a refused header, UTF-8 text) keeps no rows.
    if (first.error != processing::ScanError::none) {
        require(first.acceptedLines.empty(), "a refused list kept rows");
        return;
    }
    require(first.acceptedLines == testing::expectedRows(bytes),
            "kept rows differ from the non-blank rows");
    require(first.stamp.has_value(), "an accepted scan vouches for the list it read");
    if (!accepted(first) || (first.header && first.header->complete)) return;

    // What the window holds: the payer data, as far as a partial "OMP" first line replaced them,
    // and the control data of the rows.
    if (first.header) processing::takeHeaderInto(*first.header, state);
    static_cast<processing::ControlData&>(state) = first.controlData;
    state.acceptedLines = first.acceptedLines;

    // What "Подготовка" asks before it writes: rows to write and payer data that passes its checks.
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
                fileio::ReplaceResult::ok,
            "writing the prepared list to memory");

    const processing::ScanResult again =
        processing::scanPaymentFile(fs, kListPath, format, format->delimiter);
    require(accepted(again), "a prepared list fails its own check");
    require(again.header && again.header->complete, "a prepared list is not recognised");
    // The window holds a prepared list to its header: control code, total and count.
    const processing::ControlData& data = again.controlData;
    require(again.header->controlCodeText == data.controlCodeText, "header's control code");
    require(again.header->totalText == text::trimBlanks(data.totalText), "header's total");
    require(again.header->countText == data.countText, "header's count");
    require(data.controlCodeText == state.controlCodeText, "control code changed");
    require(data.totalText == state.totalText, "total changed");
    require(data.countText == state.countText, "count changed");
    require(data.recordCount == state.recordCount, "number of rows changed");
    // The rows are written as bytes and read in text mode: a CR kept in front of a row's LF
    // (from CR CR LF) reads back as part of a CR LF pair. Nothing else may change.
    require(again.acceptedLines == testing::textModeView(state.acceptedLines), "rows changed");
}

// The row checker visits the payment codes in an order it works out once per format; the record
// of the row, filled name by name, visits them by the table's own rule. Both must name the same
// missing codes in the same order.
void checkCodesInTableOrder(const std::string& bytes) {
    using namespace text::literals;
    static const settings::FormatDefinition format = testing::delimitedFormat(
        "SB", ';',
        {"IBAN", "PAYMENT_SEBRA", "PAYMENT_I", "PAYMENT", "payment_e", "PAYMENT_SEBRA", "SUM"});
    static const std::string budget = "Липсва код за плащане на бюджетна сметка"_cp;
    static const std::string sebra = "Липсва код за плащане СЕБРА"_cp;
    processing::RowChecker checker(&format, ';');
    std::int64_t rowNumber = 0;
    const std::string text = testing::textModeView(bytes);
    for (const std::string_view piece : testing::linePieces(text)) {
        processing::Cents total = 0;
        processing::RowMessages messages;
        checker.check(piece, ++rowNumber, total, messages);
        std::string named;
        for (std::string_view rest = messages.text; !rest.empty();) {
            const std::size_t end = rest.find("<BR>");
            const std::string_view message = rest.substr(0, end);
            if (message.starts_with(budget)) named += 'B';
            if (message.starts_with(sebra)) named += 'S';
            rest.remove_prefix(end == std::string_view::npos ? rest.size() : end + 4);
        }
        const processing::PaymentRecord record = checker.record();
        std::string expected;
        record.values.forEach([&](std::string_view name, std::string_view value) {
            if (!value.empty()) return;
            if (record.budgetAccount && name.starts_with("PAYMENT")) expected += 'B';
            if (name == "PAYMENT_SEBRA") expected += 'S';
        });
        require(named == expected, "payment codes named out of the table's order");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (int position = 0; position < 3; ++position) scanUnder(position, bytes);
    checkCodesInTableOrder(bytes);
    return 0;
}
