// A catalogue of malformed lists and settings, each with its clean outcome: a clear message or
// a row message, never a crash, and the rows kept byte for byte as read.

#include "HardeningSupport.h"

#include "processing/Scan.h"
#include "settings/Settings.h"
#include "support/KeptRows.h"
#include "support/ListFormats.h"
#include "support/ListModel.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <climits>

namespace velcor::hardening {
namespace {

using namespace velcor::text::literals;

constexpr int kDp = 0;
constexpr int kFx = 1;
constexpr int kSb = 2;

const std::string kGoodRow = "BG80BNBG96611020345678;BNBGBGSD;Ivan;7501020018;;1250.00;";
const std::string kPrepared = exampleBytes("O081206P.3DP");
const std::string kPreparedHeader = kPrepared.substr(0, kPrepared.find('\n') + 1);
const std::string kPreparedRows = kPrepared.substr(kPreparedHeader.size());

// The prepared example with the n-th ";" of its header and everything after it up to the line
// end cut away.
std::string headerCutAtSemicolon(int n) {
    std::size_t at = 0;
    for (int i = 0; i < n; ++i) at = kPreparedHeader.find(';', at + 1);
    return kPreparedHeader.substr(0, at) + "\r\n" + kPreparedRows;
}

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    return text.replace(text.find(from), from.size(), to);
}

// A good row whose NAME is padded so that the row, without its line end, has `length` bytes.
std::string rowOfLength(std::size_t length) {
    std::string row = kGoodRow;
    row.insert(row.find(";Ivan") + 5, length - row.size(), 'n');
    return row;
}

struct ListCase {
    const char* what;
    int position;
    std::string bytes;
    bool accepted;
    std::string message;     // the one message box, if any
    std::string rowMessage;  // a text the row messages hold, if any
    int count = -1;          // the number of rows, when it matters
};

std::vector<ListCase> listCases() {
    const std::string wrongSum(std::string_view("Грешнa сума!"_cp));
    const std::string wrongCount(std::string_view("Грешен брой записи!"_cp));
    const std::string wrongCode(std::string_view("Грешен контролен код!"_cp));
    const std::string zeroSum(std::string_view("Нулева сума на ред: 1<BR>"_cp));
    const std::string wrongEgn(std::string_view("Грешен ЕГН  на ред: 1<BR>"_cp));
    const std::string tooLongRow1(
        std::string_view("Редът е по-дълъг от 4094 знака на ред: 1<BR>"_cp));
    const std::string cyrillicSum(std::string_view("сто"_cp));
    const std::string invalidSum(std::string_view("Невалидна сума на ред: 1<BR>"_cp));
    const std::string loneCr(std::string_view("Непознат край на ред (CR без LF) на ред: 1<BR>"_cp));
    const std::string noPayments(std::string_view("Файлът не съдържа плащания!"_cp));
    const std::string notAHeader(std::string_view(
        "Първият ред започва с OMP, но не е пълен заглавен ред на подготвен файл!"_cp));
    const std::string afterEndMark(
        std::string_view("Данни след знака за край на файла (Ctrl-Z) на ред: 1<BR>"_cp));
    return {
        {"empty file", kDp, "", false, noPayments, "", 0},
        {"only blank lines", kFx, " \r\n\t\r\n\r\n", false, noPayments, "", 0},
        {"0x1A first", kDp, "\x1A" + kGoodRow, false, "", afterEndMark, 0},
        {"0x1A inside a row cuts it", kDp, kGoodRow.substr(0, 40) + "\x1A" + kGoodRow, false, "",
         wrongEgn, 1},
        {"CR before 0x1A", kDp, kGoodRow + "\r\x1A", false, "", loneCr, 1},
        {"lone CRs inside a row", kDp, "BG80BNBG96611020345678;BNBGBGSD;Iv\ran;;;12.00;\r\r\n",
         false, "", loneCr, 1},
        {"NUL byte in the IBAN", kDp, std::string("BG80BNBG9661\0", 13) + "1020345678;;;;;1.00;\n",
         false, "", "IBAN", 1},
        {"Cyrillic letters as EGN", kDp, replaced(kGoodRow, "7501020018", cyrillicSum), false, "",
         wrongEgn, 1},
        {"Cyrillic letters as amount", kDp, replaced(kGoodRow, "1250.00", cyrillicSum), false, "",
         invalidSum, 1},
        {"huge amount", kDp, replaced(kGoodRow, "1250.00", "1e308"), false, "", invalidSum, 1},
        {"amount beyond a double", kDp, replaced(kGoodRow, "1250.00", "1e309"), false, "",
         invalidSum, 1},
        {"amount nan", kDp, replaced(kGoodRow, "1250.00", "nan"), false, "", invalidSum, 1},
        {"amount inf", kDp, replaced(kGoodRow, "1250.00", "-INFINITY"), false, "", invalidSum, 1},
        {"negative amount", kDp, replaced(kGoodRow, "1250.00", "-1250.00"), false, "", invalidSum,
         1},
        {"4094-byte row", kDp, rowOfLength(4094) + "\r\n", true, "", "", 1},
        // Its last byte, a semicolon, would be a row of a delimiter alone: a blank line, but
        // one that belongs to the row before.
        {"4095-byte row", kDp, rowOfLength(4095) + "\r\n", false, "", tooLongRow1, 1},
        {"4096-byte row", kDp, rowOfLength(4096) + "\r\n", false, "", tooLongRow1, 1},
        {"prepared list", kDp, kPrepared, true, "", "", 4},
        // A first line that a bank would take for a header, but that is no whole one.
        {"truncated header", kDp, kPreparedHeader.substr(0, 10) + "\r\n" + kPreparedRows, false,
         notAHeader, "", 0},
        {"header with 7 semicolons", kDp, headerCutAtSemicolon(7), false, notAHeader, "", 0},
        {"header alone", kDp, kPreparedHeader, false, noPayments, "", 0},
        {"header with a wrong count", kDp, replaced(kPrepared, ";     4;", ";     5;"), false,
         wrongCount, "", 4},
        {"header with a wrong total", kDp, replaced(kPrepared, "6276.15", "6276.16"), false,
         wrongSum, "", 4},
        {"header with a wrong code", kDp, replaced(kPrepared, "42C4757F", "42C4757E"), false,
         wrongCode, "", 4},
        {"header with a bad IBAN", kDp, replaced(kPrepared, "BG48BNBG9661", "BG48BNBG9662"), false,
         "Wrong IBAN !", "", -1},
        {"header with an absurd count", kDp,
         replaced(kPrepared, ";     4;", ";99999999999999999999;"), false, wrongCount, "", 4},
        {"budget list under SB", kSb, exampleBytes("O081206P.1SB"), true, "", "", 2},
        // A fixed-length row that ends before its amount is refused, and checked as if the
        // amount were empty.
        {"fixed row shorter than its fields", kFx, "BG80BNBG966110\r\n", false, "", zeroSum, 1},
        {"fixed row whose amount runs past its columns", kFx,
         replaced(exampleBytes("O081206P.1FX"), " 830.45\r", "   830.45\r"), false, "",
         "Редът е по-дълъг от формата (62 знака) на ред: 2<BR>"_cp, 2},
    };
}

// Each list is scanned on its own, for its rows and counts, and chosen in the window, for what
// the operator is told.
TEST(MalformedLists, EachHasItsCleanOutcomeAndKeepsItsRows) {
    const std::vector<settings::FormatDefinition> formats = testing::listFormats();
    for (const ListCase& c : listCases()) {
        SCOPED_TRACE(c.what);
        Session s;
        s.selectType(c.position);
        testing::writeFileBytes(s.listPath, c.bytes);
        s.browse();
        const std::string rowMessages = session::rowFindingsHtml(s.state().rowFindings);
        EXPECT_EQ(s.state().fileValid, c.accepted) << rowMessages;
        EXPECT_EQ(s.messages(), c.message.empty() ? std::vector<std::string>{}
                                                  : std::vector<std::string>{c.message});
        if (c.rowMessage.empty()) {
            EXPECT_EQ(rowMessages, "");
        } else {
            EXPECT_NE(rowMessages.find(c.rowMessage), std::string::npos) << rowMessages;
        }

        const testing::ScanWithRows r =
            testing::scanKeepingRows(fileio::standardFileSystem(), s.listPath,
                                     &formats[static_cast<std::size_t>(c.position)], ';');
        if (c.count >= 0) {
            EXPECT_EQ(r.controlData.recordCount, c.count);
        }
        // A refused header stops before the rows; otherwise every non-blank row is kept as read.
        if (r.error != processing::ScanError::headerRefused) {
            EXPECT_EQ(r.acceptedLines, testing::expectedRows(c.bytes, ';'));
        }
        EXPECT_EQ(r.controlData.totalText.find("inf"), std::string::npos);
        EXPECT_EQ(r.controlData.totalText.find("nan"), std::string::npos);
    }
}

// Fixed-length fields that reach before the row or far past it read no byte outside the row.
TEST(MalformedLists, FieldColumnsOutsideTheRowReadNothingOutsideIt) {
    testing::TempDir dir;
    const std::string path = dir.file("O081206P.1FX");
    testing::writeFileBytes(path, "BG80BNBG96611020345678  12.50\r\nX\r\n");
    for (const auto& [start, end] : {std::pair{-100, 22}, std::pair{23, INT_MAX},
                                     std::pair{INT_MIN, INT_MAX}, std::pair{5000, 6000}}) {
        const settings::FormatDefinition format{
            "FX", false, ' ', {{"IBAN", 1, start, end}, {"SUM", 2, 23, 29}}};
        const processing::ScanResult r =
            processing::scanPaymentFile(fileio::standardFileSystem(), path, &format, ' ');
        EXPECT_EQ(r.error, processing::ScanError::none);
        EXPECT_EQ(r.controlData.recordCount, 2);
    }
}

struct SettingsCase {
    const char* what;
    std::string bytes;
    bool loads;
    std::string refusedField;  // "FIELD SECTION" of a refused field line, else " "
    std::size_t formats;
};

TEST(MalformedSettings, EachHasItsCleanOutcome) {
    const SettingsCase cases[] = {
        {"empty file", "", true, " ", 0},
        {"absurd numbers, fixed", "[FX]\r\nSUM = 1,99999999999999999999,-99999999999\r\n", false,
         "SUM FX", 0},
        {"numbers past 32 bits held at the ends", "[FX]\r\nSUM = 1,-99999999999,99999999999\r\n",
         true, " ", 1},
        {"absurd numbers, delimited", "[DP]\r\nFORMAT=DELIMITED(;)\r\nSUM = 1e999,,-\r\n", true,
         " ", 1},
        {"header without its bracket is dropped", "[DP\r\nSUM = 1\r\n", true, " ", 0},
        {"a NUL hides the rest of its line",
         std::string("[DP]\r\nFORMAT=DELIMITED(;)\r\nS\0UM = 1\r\n", 37), true, " ", 0},
        {"over-long line", "[DP]\r\nFORMAT=DELIMITED(;)\r\n" + std::string(5000, 'x') + "=1\r\n",
         true, " ", 1},
        {"a lone CR does not end a line", "[DP]\rFORMAT=DELIMITED(;)\x1A\r\nA=1\r\n", false, "A DP",
         0},
    };
    testing::TempDir dir;
    const std::string path = dir.file("omp.ini");
    for (const SettingsCase& c : cases) {
        SCOPED_TRACE(c.what);
        testing::writeFileBytes(path, c.bytes);
        settings::LoadedSettings loaded;
        const settings::LoadResult result =
            settings::loadSettings(fileio::standardFileSystem(), path, loaded);
        EXPECT_EQ(result.ok(), c.loads);
        EXPECT_EQ(result.fieldName + " " + result.sectionName, c.refusedField);
        EXPECT_EQ(loaded.formats.size(), c.formats);
        EXPECT_EQ(testing::readFileBytes(path), c.bytes);
    }
}

}  // namespace
}  // namespace velcor::hardening
