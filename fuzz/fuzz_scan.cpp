// Feeds any bytes to the scan as a payment list, under a delimited, a fixed-length and a budget
// format in turn. What must hold beside "no crash":
//  - the rows handed on are exactly the non-blank rows as read, and a list refused as a whole is
//    vouched for by no stamp;
//  - a list the window accepts, prepared, is a file a bank reads as one checked row per data
//    line with the count and control code of its header, and opened again gives the same count,
//    total and control code (support/PreparedRoundTrip.h);
//  - the payment codes a row lacks are named in the order of the record's own table, under a
//    budget format whose codes share chains and repeat names.

#include "processing/RowChecker.h"
#include "processing/Scan.h"
#include "support/KeptRows.h"
#include "support/ListFormats.h"
#include "support/ListModel.h"
#include "support/MemoryFileSystem.h"
#include "support/PreparedRoundTrip.h"
#include "text/Text.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace velcor;

const char kListPath[] = "O081206P.1DP";

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

void scanUnder(int position, const std::string& bytes) {
    testing::MemoryFileSystem fs;
    fs.files[kListPath] = bytes;
    const std::vector<settings::FormatDefinition> formats = testing::listFormats();
    const settings::FormatDefinition& format = formats[static_cast<std::size_t>(position)];
    const testing::ScanWithRows first =
        testing::scanKeepingRows(fs, kListPath, &format, format.delimiter);
    // Up to a refusal of the whole list, every non-blank row is handed on as read.
    if (first.error == processing::ScanError::none) {
        require(first.acceptedLines ==
                    testing::expectedRows(bytes, format.delimited ? format.delimiter : ' '),
                "rows handed on differ from the non-blank rows");
        require(first.stamp.has_value(), "an accepted scan vouches for the list it read");
    } else {
        require(!first.stamp.has_value(), "a refused list is vouched for");
    }
    testing::preparedRoundTrip(testing::kRoundTripSettings, position, bytes, {}, require);
}

// The row checker visits the payment codes in an order it works out once per format; the record
// of the row, filled name by name, visits them by the table's own rule. Both must name the same
// missing codes in the same order.
void checkCodesInTableOrder(const std::string& bytes) {
    static const settings::FormatDefinition format = testing::delimitedFormat(
        "SB", ';',
        {"IBAN", "PAYMENT_SEBRA", "PAYMENT_I", "PAYMENT", "payment_e", "PAYMENT_SEBRA", "SUM"});
    processing::RowChecker checker(&format, ';');
    std::int64_t rowNumber = 0;
    const std::string text = testing::textModeView(bytes);
    for (const std::string_view piece : testing::linePieces(text)) {
        processing::Cents total = 0;
        processing::RowFindings findings;
        checker.check(piece, ++rowNumber, total, findings);
        std::string named;
        for (const processing::RowFinding& finding : findings.kept) {
            if (finding.kind == processing::FindingKind::noBudgetCode) named += 'B';
            if (finding.kind == processing::FindingKind::noSebraCode) named += 'S';
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
