#include "processing/Scan.h"

#include "processing/TextModeReader.h"
#include "support/FaultyFileSystem.h"
#include "support/Findings.h"
#include "support/KeptRows.h"
#include "support/ListFormats.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace velcor::processing {
namespace {

using namespace text::literals;

const std::string kDataDir = std::string(VELCOR_TEST_DATA_DIR) + "/lists/";

class Scan : public ::testing::Test {
  protected:
    Scan() {
        formats.push_back(testing::fixedFormat("FX", {{"F1", 1, 1}}));
        formats.push_back(
            testing::delimitedFormat("DP", ';', {"IBAN", "BIC", "NAME", "EGN", "SUM"}));
    }

    // Writes `bytes` as the list and scans it with the format at `selection` (-1: none, so that
    // only the reading itself is at work).
    testing::ScanWithRows scan(const std::string& bytes, int selection = -1) {
        testing::writeFileBytes(dir.path() / "list.txt", bytes);
        return scanFile(dir.file("list.txt"), selection);
    }
    testing::ScanWithRows scanFile(const std::string& path, int selection,
                                   fileio::FileSystem& files = fileio::standardFileSystem()) {
        const settings::FormatDefinition* format =
            selection >= 0 ? &formats.at(static_cast<std::size_t>(selection)) : nullptr;
        return testing::scanKeepingRows(files, path, format, ';');
    }

    testing::TempDir dir;
    std::vector<settings::FormatDefinition> formats;
};

// A scan that read its list to its end without a finding.
bool clean(const ScanResult& r) { return r.error == ScanError::none && r.rowFindings.count == 0; }

struct ControlCase {
    std::string bytes;
    int count;
    std::string totalText;
    std::string code;
};

TEST_F(Scan, ComputesTheControlDataOfTheLinesThatAreKept) {
    const ControlCase cases[] = {
        {"abc\n", 1, "        0.00", "C2412435"},
        {"abc\r\n", 1, "        0.00", "C2412435"},
        {"abc", 1, "        0.00", "C2412435"},
        // The old end-of-file mark with only padding behind it is harmless.
        {"abc\x1A\r\n \x1A\t\n", 1, "        0.00", "C2412435"},
        // Blank lines are left out of the prepared file, so they stay out of the code as well.
        {"\n   \nabc\n\t\r\n \nabc\n\n", 2, "        0.00", "4C996E72"},
        {"abc   \n", 1, "        0.00", "1643AC2E"},
        // A NUL is data: nothing behind it is lost and the rows stay apart.
        {std::string("a\0b\nc\n", 6), 2, "        0.00", "BD76AE21"},
        {std::string("abc\0def", 7), 1, "        0.00", "900386D8"},
    };
    for (const ControlCase& c : cases) {
        const testing::ScanWithRows r = scan(c.bytes);
        EXPECT_TRUE(clean(r)) << c.bytes;
        EXPECT_EQ(r.controlData.recordCount, c.count) << c.bytes;
        EXPECT_EQ(r.controlData.countText, std::to_string(c.count));
        EXPECT_EQ(r.controlData.totalText, c.totalText);
        EXPECT_EQ(r.controlData.controlCodeText, c.code) << c.bytes;
        EXPECT_FALSE(r.header.has_value());
    }
}

TEST_F(Scan, KeepsEveryNonBlankLineAsReadAndTheRowsApart) {
    // CR CR LF (a list converted twice) keeps one CR, which its LF follows.
    testing::ScanWithRows r = scan("a\r\n\r\n  \r\nb\r\r\nc\r\nd");
    EXPECT_TRUE(clean(r));
    EXPECT_EQ(r.acceptedLines, "a\nb\r\nc\nd");

    // A line longer than 4094 bytes would count as two payments where the bank sees one line:
    // it is refused, and kept whole for the report.
    const std::string tooLong = "Редът е по-дълъг от 4094 знака на ред: 1<BR>";
    const std::string x5000(5000, 'x');
    r = scan(x5000 + "\nabc\n");
    EXPECT_EQ(text::toUtf8(testing::joinedTexts(r.rowFindings)), tooLong);
    EXPECT_EQ(r.controlData.recordCount, 2);  // the long line is one row, abc the next
    EXPECT_EQ(r.acceptedLines, x5000 + "\nabc\n");

    // The LF of a 4094-byte line arrives on its own; it still ends that row.
    const std::string a4094(4094, 'a');
    r = scan(a4094 + "\r\nabc\n");
    EXPECT_TRUE(clean(r));
    EXPECT_EQ(r.controlData.recordCount, 2);
    EXPECT_EQ(r.acceptedLines, a4094 + "\nabc\n");
    EXPECT_EQ(scan(r.acceptedLines).controlData.controlCodeText, r.controlData.controlCodeText);

    // Blank pieces of an over-long line are part of its row: none of its bytes is dropped, and
    // the prepared rows read back with the same control code.
    const std::string blanks(4094, ' ');
    const std::string longRow = "x" + std::string(4093, 'y') + blanks + "z" + blanks + "  \n";
    r = scan(longRow + "abc\n");
    EXPECT_EQ(text::toUtf8(testing::joinedTexts(r.rowFindings)), tooLong);
    EXPECT_EQ(r.controlData.recordCount, 2);
    EXPECT_EQ(r.acceptedLines, longRow + "abc\n");
    const testing::ScanWithRows again = scan(r.acceptedLines);
    EXPECT_EQ(again.controlData.controlCodeText, r.controlData.controlCodeText);
    EXPECT_EQ(again.controlData.recordCount, 2);
    // Leading blank pieces are part of the line too: its row number is that of its first row.
    r = scan("abc\n" + blanks + "x\n");
    EXPECT_EQ(text::toUtf8(testing::joinedTexts(r.rowFindings)),
              "Редът е по-дълъг от 4094 знака на ред: 2<BR>");

    r = scan(std::string("a\0b\nc\n", 6));
    EXPECT_TRUE(clean(r));
    EXPECT_EQ(r.acceptedLines, std::string("a\0b\nc\n", 6));
}

// Spreadsheets write rows of delimiters alone below the data, for cells that are only formatted.
// Under a delimited format such a row is a blank line; a fixed-length row of them is data.
TEST_F(Scan, RowsOfDelimitersAloneAreBlankLines) {
    const std::string good = "BG80BNBG96611020345678;BNBGBGSD;N;;1.00\n";
    const struct {
        std::string bytes;
        int selection;
        std::int64_t count;
        std::string rows;
    } cases[] = {
        {good + ";;;;;;\r\n;;;;;;\r\n", 1, 1, good},
        {";;;;\n" + good + " ; \t;\n;", 1, 1, good},
        {good + ";\n", 1, 1, good},
        {good + ";;x;;\n", 1, 2, good + ";;x;;\n"},
        {good + ";;,;\n", 1, 2, good + ";;,;\n"},
        // With no payment type, the delimiter given still makes a blank line.
        {"x\n;;;\n", -1, 1, "x\n"},
        // A fixed-length list splits nothing: its semicolons are data.
        {"x\n;\n", 0, 2, "x\n;\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bytes);
        const testing::ScanWithRows r = scan(c.bytes, c.selection);
        EXPECT_EQ(r.controlData.recordCount, c.count);
        EXPECT_EQ(r.acceptedLines, c.rows);
        if (c.selection == 1 && c.count == 1) {
            EXPECT_TRUE(clean(r)) << testing::joinedTexts(r.rowFindings);
            // The control code covers the rows kept, as the prepared file holds them.
            EXPECT_EQ(r.controlData.controlCodeText,
                      scan(c.rows, c.selection).controlData.controlCodeText);
        }
    }
    // A list of nothing else holds no payment.
    EXPECT_EQ(scan(";;;;;;\r\n;;;;;;\r\n", 1).error, ScanError::noPayments);
}

// A physical line longer than 4094 bytes is one row of the list however it is read: it is
// refused once, nothing is checked in its pieces, and the rows after it keep their numbers.
TEST_F(Scan, ALineTooLongIsOneRowRefusedOnce) {
    const std::string row = "BG80BNBG96611020345678;BNBGBGSD;";
    const std::string tail = ";7523169263;1.00\n";
    const std::string bad = "BG81BNBG96611020345678;BNBGBGSD;N;;1.00\n";
    const std::string tooLong = "Редът е по-дълъг от 4094 знака на ред: ";
    const std::string wrongIban = "Грешен IBAN( Wrong IBAN ! ) на ред: ";
    const struct {
        std::string bytes;
        std::int64_t count;
        std::string messages;
    } cases[] = {
        {row + std::string(5000, 'n') + tail + bad, 2, tooLong + "1<BR>" + wrongIban + "2<BR>"},
        {bad + row + std::string(9000, 'n') + tail + bad + bad, 4,
         wrongIban + "1<BR>" + tooLong + "2<BR>" + wrongIban + "3<BR>" + wrongIban + "4<BR>"},
        // Exactly 4094 bytes with its LF read alone, or at the very end of the list, fit.
        {bad + row + std::string(4094 - row.size() - tail.size() + 1, 'n') + tail + bad, 3,
         wrongIban + "1<BR>" + wrongIban + "3<BR>"},
        {row + std::string(4094 - row.size() - tail.size() + 1, 'n') +
             tail.substr(0, tail.size() - 1),
         1, ""},
    };
    for (const auto& c : cases) {
        const testing::ScanWithRows r = scan(c.bytes, 1);
        EXPECT_EQ(r.controlData.recordCount, c.count) << c.bytes.size();
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(r.rowFindings)), c.messages) << c.bytes.size();
        EXPECT_EQ(r.acceptedLines, c.bytes);
        // Its rows read back from the prepared file as they were read here.
        EXPECT_EQ(scan(r.acceptedLines, 1).controlData.recordCount, c.count);
    }
}

struct RefusedCase {
    std::string bytes;
    std::string rowMessages;  // UTF-8
};

// What would reach the bank other than it stands in the list makes the list invalid, naming
// the row; the rows are still counted and kept so the report shows them.
TEST_F(Scan, RefusesLineEndsAndEndMarksThatWouldLoseOrJoinRows) {
    const RefusedCase cases[] = {
        {"a\rb\rc\r", "Непознат край на ред (CR без LF) на ред: 1<BR>"},
        {"a\nb\rc\nd\n", "Непознат край на ред (CR без LF) на ред: 2<BR>"},
        {"a\nb\r", "Непознат край на ред (CR без LF) на ред: 2<BR>"},
        // A CR cut off its LF at the 4094-byte limit is a CR LF all the same.
        {std::string(4093, 'x') + "\r\r\nb\n", ""},
        {std::string(4093, 'x') + "\r" + "y\n",
         "Редът е по-дълъг от 4094 знака на ред: 1<BR>"
         "Непознат край на ред (CR без LF) на ред: 1<BR>"},
        {"a\nb\x1A\nc\n", "Данни след знака за край на файла (Ctrl-Z) на ред: 2<BR>"},
        {"a\n\x1A c", "Данни след знака за край на файла (Ctrl-Z) на ред: 2<BR>"},
        {"a\n\x1A" + std::string(200000, ' ') + "c",
         "Данни след знака за край на файла (Ctrl-Z) на ред: 2<BR>"},
    };
    for (const RefusedCase& c : cases) {
        const testing::ScanWithRows r = scan(c.bytes);
        EXPECT_EQ(r.error, ScanError::none);
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(r.rowFindings)), c.rowMessages)
            << c.bytes.substr(0, 20);
    }
}

TEST_F(Scan, RefusesAListSavedAsUtf8) {
    const struct {
        std::string bytes;
        bool refused;
    } cases[] = {
        {"\xEF\xBB\xBF"
         "abc\n",
         true},
        {"abc;Иван Петров\n", true},    // UTF-8 source: valid UTF-8
        {"OMPDP;Иван\r\nabc\n", true},  // in the header too
        // A whole header is the system's own, in Windows-1251, whatever its bytes spell in UTF-8.
        {"OMPDP;15032024;BG80BNBG96611020345678; ;" + std::string("Firma С“"_cp) +
             ";1.00;1; C2412435; \r\nabc\n",
         false},
        {"abc;" + std::string("Иван Петров"_cp) + "\n", false},  // Windows-1251
        {"abc;\xD0\n", false},                                   // cut short: not UTF-8
        {"abc;caf\xC3\xA9\n", false},  // valid UTF-8, but no Cyrillic in it
    };
    for (const auto& c : cases) {
        const testing::ScanWithRows r = scan(c.bytes);
        EXPECT_EQ(r.error, c.refused ? ScanError::savedAsUtf8 : ScanError::none) << c.bytes;
        // Nothing of a refused list can be shown (nor written: a writer reading it again finds
        // the same refusal).
        if (c.refused) {
            EXPECT_TRUE(r.controlData.countText.empty() && r.controlData.recordCount == 0 &&
                        r.rowFindings.count == 0);
        }
    }
}

// What the operator looks the row up by: its payee name, IBAN and amount as written, never those
// of another row, and nothing for a field the row ended before or the format lacks.
TEST_F(Scan, FindingsCarryTheValuesOfTheirRow) {
    formats = testing::listFormats();
    formats.push_back(testing::delimitedFormat("NN", ';', {"IBAN", "SUM"}));
    const std::string iban = "BG80BNBG96611020345678";
    const std::string good =
        iban + ";BNBGBGSD;" + std::string("Иван Петров"_cp) + ";7501020018;;1250.00;\n";
    struct Case {
        int format;
        std::string bytes;
        std::int64_t row;  // every finding of this row carries the values below
        std::string name, iban, amount;
    } cases[] = {
        {0, good + iban + ";BNBGBGSD; " + std::string("Петя"_cp) + " ;7501020019;;30.00;\n", 2,
         std::string("Петя"_cp), iban, "30.00"},
        // A row that ends early after one that had them all.
        {0,
         good + iban + ";UNCRBGSF;" + std::string("Мария"_cp) + ";7501020019;;5;\n" + iban +
             ";BNBGBGSD\n",
         3, "", iban, ""},
        {0, "xyz\n", 1, "", "xyz", ""},
        {0, iban + ";BNBGBGSD;" + std::string("Иван\rПетров"_cp) + ";;;0;\n", 1,
         std::string("Иван\rПетров"_cp), iban, "0"},
        {1, iban + "BNBGBGSD" + std::string("Иван Петров         "_cp) + "      abc.00\n", 1,
         std::string("Иван Петров"_cp), iban, "abc.00"},
        {3, "BG00;7\n", 1, "", "BG00", "7"},
    };
    for (const Case& c : cases) {
        const ScanResult r = scan(c.bytes, c.format);
        int named = 0;
        for (const RowFinding& finding : r.rowFindings.kept) {
            if (finding.row != c.row) continue;
            ++named;
            EXPECT_EQ(finding.payeeName, c.name) << finding.text;
            EXPECT_EQ(finding.iban, c.iban) << finding.text;
            EXPECT_EQ(finding.amount, c.amount) << finding.text;
        }
        EXPECT_GT(named, 0) << c.bytes;
    }
}

TEST_F(Scan, KeepsTheFirstThousandRowMessagesAndCountsTheRest) {
    std::string garbage;
    for (int i = 0; i < 1500; ++i) garbage += "x\n";
    const testing::ScanWithRows r = scan(garbage, 1);
    // Every row raises three findings: no delimiter, an empty IBAN, no amount.
    EXPECT_EQ(r.rowFindings.count, 4500);
    EXPECT_EQ(r.rowFindings.kept.size(), 1000u);
    EXPECT_EQ(r.rowFindings.leftOut(), 3500);
    const processing::RowFinding& last = r.rowFindings.kept.back();
    EXPECT_EQ(last.row, 334);
    EXPECT_EQ(last.kind, FindingKind::noDelimiter);
    EXPECT_EQ(text::toUtf8(last.text), "Няма разделител (;)  на ред: 334");
    EXPECT_EQ(r.controlData.countText, "1500");

    // A screen that lists them all in a table keeps them all; the message list still names the
    // first thousand. Each kind is counted, kept or not.
    for (const std::int64_t keep : {kMaxRowMessages, kMaxFindingsKept}) {
        const ScanResult all = scanPaymentFile(fileio::standardFileSystem(), dir.file("list.txt"),
                                               &formats[1], ';', {}, {}, keep);
        EXPECT_EQ(all.rowFindings.kept.size(),
                  static_cast<std::size_t>(std::min<std::int64_t>(keep, 4500)));
        EXPECT_EQ(all.rowFindings.leftOut(), 3500);
        for (const FindingKind kind :
             {FindingKind::noDelimiter, FindingKind::wrongIban, FindingKind::zeroSum})
            EXPECT_EQ(all.rowFindings.countOf(kind), 1500);
        EXPECT_EQ(all.rowFindings.countOf(FindingKind::bicMismatch), 0);
    }
}

// The rows with findings are counted in the scan itself, every one, however few findings it keeps:
// a row without its delimiter is one row of three findings.
TEST_F(Scan, CountsTheRowsWithFindingsHoweverFewItKeeps) {
    const std::string good = "BG80BNBG96611020345678;BNBGBGSD;Ivan;7501020018;1.00\n";
    const auto times = [](const std::string& piece, int n) {
        std::string out;
        for (int i = 0; i < n; ++i) out += piece;
        return out;
    };
    const struct {
        const char* what;
        std::string list;
        std::int64_t rows;
        std::int64_t count;
    } cases[] = {
        {"clean", times(good, 3), 0, 0},
        {"garbage", times("x\n", 1000), 1000, 3000},
        {"garbage between clean rows", times(good + "x\n", 500), 500, 1500},
        {"a zero amount and a lone CR in one row",
         good + "BG80BNBG96611020345678;BNBGBGSD;Ivan;7501020018;0\r.00\n", 1, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::writeFileBytes(dir.path() / "list.txt", c.list);
        for (const std::int64_t keep : {std::int64_t{0}, kMaxRowMessages, kMaxFindingsKept}) {
            const ScanResult r = scanPaymentFile(fileio::standardFileSystem(), dir.file("list.txt"),
                                                 &formats[1], ';', {}, {}, keep);
            EXPECT_EQ(r.rowFindings.rows, c.rows) << keep;
            EXPECT_EQ(r.rowFindings.count, c.count) << keep;
        }
    }
}

// Each row counts once though its findings come apart by a row or two.
TEST(RowFindings, CountsEachRowOnce) {
    const struct {
        std::vector<std::int64_t> rows;  // of the findings, in the order they come
        std::int64_t counted;
    } cases[] = {
        {{}, 0}, {{7, 7, 7}, 1}, {{1, 2, 3}, 3}, {{1, 2, 1, 3, 2}, 3}, {{1, 2, 3, 4, 4, 3, 2}, 4},
    };
    for (const auto& c : cases) {
        RowFindings findings;
        findings.keep = 1;
        for (const std::int64_t row : c.rows) findings.add(FindingKind::zeroSum, row, "z");
        EXPECT_EQ(findings.rows, c.counted) << ::testing::PrintToString(c.rows);
        EXPECT_EQ(findings.count, static_cast<std::int64_t>(c.rows.size()));
    }
}

TEST_F(Scan, SumsTheTotalExactly) {
    // Summed as doubles, these three print 27825941722361.70.
    formats.push_back(testing::delimitedFormat("AM", ';', {"SUM", "NAME"}));
    const testing::ScanWithRows r =
        scan("9755353848824.96;a\n9345674173488.74;b\n8724913700047.99;c\n", 2);
    EXPECT_TRUE(clean(r));
    EXPECT_EQ(r.controlData.totalText, "27825941722361.69");
}

TEST_F(Scan, ChecksTheRowsOfAListAndKeepsThoseWithMessages) {
    testing::ScanWithRows r = scanFile(kDataDir + "clean.txt", 1);
    EXPECT_TRUE(clean(r));
    EXPECT_EQ(r.controlData.countText, "3");
    EXPECT_EQ(r.controlData.totalText, "     1125.50");

    r = scanFile(kDataDir + "errors.txt", 1);
    EXPECT_EQ(r.error, ScanError::none);
    EXPECT_EQ(text::toUtf8(testing::joinedTexts(r.rowFindings)),
              "Грешен IBAN( Wrong IBAN ! ) на ред: 1<BR>"
              "BIC за банка, различна от банката на IBAN  на ред: 2<BR>"
              "Грешен ЕГН  на ред: 2<BR>"
              "Нулева сума на ред: 2<BR>"
              "Няма разделител (;)  на ред: 3<BR>"
              "Грешен IBAN( Wrong IBAN character! ) на ред: 3<BR>"
              "Нулева сума на ред: 3<BR>");
    // The control data are complete although the rows have messages.
    EXPECT_EQ(r.controlData.countText, "3");
    EXPECT_EQ(r.controlData.totalText, "      100.50");
    EXPECT_EQ(r.controlData.controlCodeText.size(), 8u);
    EXPECT_EQ(std::count(r.acceptedLines.begin(), r.acceptedLines.end(), '\n'), 3);
}

TEST_F(Scan, WithoutAPaymentTypeCountsTheRowsAndChecksNothing) {
    const testing::ScanWithRows r = scan("x;0\nBG00;;\n", -1);
    EXPECT_TRUE(clean(r));
    EXPECT_EQ(r.controlData.countText, "2");
    EXPECT_EQ(r.acceptedLines, "x;0\nBG00;;\n");
}

TEST_F(Scan, SplitsTheRowsAtTheDelimiterItIsGiven) {
    testing::writeFileBytes(dir.path() / "list.txt", "BG80BNBG96611020345678,BNBGBGSD,N,,1.00\n");
    const testing::ScanWithRows r = testing::scanKeepingRows(
        fileio::standardFileSystem(), dir.file("list.txt"), &formats[1], ',');
    EXPECT_TRUE(clean(r)) << testing::joinedTexts(r.rowFindings);
    EXPECT_EQ(r.controlData.totalText, "        1.00");
}

TEST_F(Scan, AListThatCannotBeOpenedOrReadGivesNoControlData) {
    testing::ScanWithRows r = scanFile(dir.file("missing.txt"), 0);
    EXPECT_EQ(r.error, ScanError::cannotOpen);
    EXPECT_FALSE(r.stamp.has_value());

    testing::FaultyFileSystem faulty;
    faulty.failCall(testing::FaultyFileSystem::Step::read, 2);
    // Rows of the first block are read before the second read fails.
    testing::writeFileBytes(dir.path() / "list.txt", std::string(70000, 'x') + "\n");
    r = scanFile(dir.file("list.txt"), 1, faulty);
    EXPECT_EQ(r.error, ScanError::readError);
    EXPECT_EQ(r.controlData.recordCount, 0);
    EXPECT_EQ(r.controlData.totalText, "");
    EXPECT_EQ(r.controlData.controlCodeText, "");
    EXPECT_EQ(r.controlData.controlCrc, 0xFFFFFFFFu);
    EXPECT_FALSE(r.stamp.has_value());
    // The rows read so far stay with their messages, as they were found.
    EXPECT_FALSE(r.acceptedLines.empty());
    EXPECT_GT(r.rowFindings.count, 0);
}

// The progress hears, before each block is read, how much of the list has been read, up to all of
// it. Asked to stop before any block, a scan takes nothing of the list: no header, no control
// data, no finding, no stamp.
TEST_F(Scan, ReportsItsProgressAndTakesNothingWhenStopped) {
    // A prepared list's header, then rows with findings, over several blocks.
    std::string bytes = testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/O081206P.3DP");
    const std::string rows =
        testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/O081206P.2DP");
    while (bytes.size() < 3 * TextModeReader::kBlockSize) bytes += rows;
    testing::writeFileBytes(dir.path() / "list.txt", bytes);
    const auto size = static_cast<std::uint64_t>(bytes.size());

    std::vector<std::pair<std::uint64_t, std::uint64_t>> reports;
    const ScanResult whole =
        scanPaymentFile(fileio::standardFileSystem(), dir.file("list.txt"), &formats[1], ';', {},
                        [&](std::uint64_t read, std::uint64_t total) {
                            reports.emplace_back(read, total);
                            return true;
                        });
    EXPECT_EQ(whole.error, ScanError::none);
    EXPECT_EQ(whole.controlData.controlCodeText, scan(bytes, 1).controlData.controlCodeText);
    ASSERT_GE(reports.size(), 4u);
    EXPECT_EQ(reports.front().first, 0u);
    EXPECT_EQ(reports.back().first, size);
    for (std::size_t i = 0; i < reports.size(); ++i) {
        EXPECT_EQ(reports[i].second, size);
        if (i > 0) {
            EXPECT_GE(reports[i].first, reports[i - 1].first);
        }
    }

    for (const std::size_t stopAt : {std::size_t{1}, std::size_t{2}, reports.size()}) {
        SCOPED_TRACE(stopAt);
        std::size_t heard = 0;
        const ScanResult r =
            scanPaymentFile(fileio::standardFileSystem(), dir.file("list.txt"), &formats[1], ';',
                            {}, [&](std::uint64_t, std::uint64_t) { return ++heard < stopAt; });
        EXPECT_EQ(r.error, ScanError::cancelled);
        EXPECT_EQ(heard, stopAt) << "nothing read after the stop";
        EXPECT_FALSE(r.header.has_value());
        EXPECT_TRUE(r.rowFindings.empty());
        EXPECT_EQ(r.controlData.recordCount, 0);
        EXPECT_EQ(r.controlData.controlCodeText, "");
        EXPECT_FALSE(r.stamp.has_value());
        EXPECT_FALSE(r.cause);
    }
}

// A receiver of records hears every non-blank row after a header, in order, numbered as the scan
// counts them, with its values and whether its checks found nothing; a false from it ends the
// scan there.
TEST_F(Scan, HandsEachRowsRecordToItsReceiverUntilItRefusesOne) {
    const std::string good = "BG80BNBG96611020345678;BNBGBGSD;Ivan;;10.50";
    const struct {
        const char* what;
        std::string bytes;
        std::vector<std::string> heard;  // "number name clean"
        ScanError error;
    } cases[] = {
        {"blank lines are no rows",
         "\r\n" + good + "\r\n   \r\n" + good + "\n",
         {"1 Ivan 1", "2 Ivan 1"},
         ScanError::none},
        {"a row with a finding is told so",
         good + "\r\nBG00BNBG96611020345678;BNBGBGSD;Petar;;1\r\n",
         {"1 Ivan 1", "2 Petar 0"},
         ScanError::none},
        {"the last row without its line end",
         good + "\r\n" + good,
         {"1 Ivan 1", "2 Ivan 1"},
         ScanError::none},
        {"a refused row ends the scan",
         good + "\nstop;;Stop;;1\n" + good + "\n",
         {"1 Ivan 1", "2 Stop 0"},
         ScanError::rowsNotTaken},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::writeFileBytes(dir.path() / "list.txt", c.bytes);
        std::vector<std::string> heard;
        ScanOptions options;
        options.records = [&](const ScannedRow& row) {
            const std::string_view* name = row.record.values.find("NAME");
            heard.push_back(std::to_string(row.number) + " " + std::string(name ? *name : "-") +
                            " " + (row.clean ? "1" : "0"));
            EXPECT_EQ(row.record.rowNumber, row.number);
            EXPECT_TRUE(row.line.ends_with('\n') || !c.bytes.ends_with('\n'));
            return !row.line.starts_with("stop");
        };
        const ScanResult r = scanPaymentFile(fileio::standardFileSystem(), dir.file("list.txt"),
                                             &formats[1], ';', options);
        EXPECT_EQ(heard, c.heard);
        EXPECT_EQ(r.error, c.error);
    }
}

// With no payment type selected the rows have no values, and the receiver still hears each one.
TEST_F(Scan, HandsRowsWithoutValuesWhenNoTypeIsSelected) {
    testing::writeFileBytes(dir.path() / "list.txt", "a\r\n\r\nb\r\n");
    std::vector<std::int64_t> numbers;
    ScanOptions options;
    options.records = [&](const ScannedRow& row) {
        EXPECT_TRUE(row.record.values.empty());
        numbers.push_back(row.number);
        return true;
    };
    const ScanResult r =
        scanPaymentFile(fileio::standardFileSystem(), dir.file("list.txt"), nullptr, ';', options);
    EXPECT_EQ(r.error, ScanError::none);
    EXPECT_EQ(numbers, (std::vector<std::int64_t>{1, 2}));
}

TEST_F(Scan, RecordsWhichVersionOfTheFileItRead) {
    const testing::ScanWithRows r = scan("abc\n");
    ASSERT_TRUE(r.stamp.has_value());
    EXPECT_EQ(r.stamp, fileio::standardFileSystem().stamp(dir.file("list.txt")));

    // Without a stamp after the reading there is no proof the list stayed as it was read.
    testing::FaultyFileSystem faulty;
    faulty.failCall(testing::FaultyFileSystem::Step::stamp, 2);
    const testing::ScanWithRows unproven = scanFile(dir.file("list.txt"), -1, faulty);
    EXPECT_TRUE(clean(unproven));
    EXPECT_FALSE(unproven.stamp.has_value());
}

// A header line as the prepared-file writer makes it.
std::string standardHeader(const ControlData& data, const std::string& iban,
                           const std::string& name) {
    return text::format("OMP%2.2s;%02d%02d%04d;", "DP", 15, 3, 2024) +
           text::format("%22s;%6s;%-35s;%20s;% 6lld; %8s; %s\r\n", iban.c_str(), " ", name.c_str(),
                        data.totalText.c_str(), static_cast<long long>(data.recordCount),
                        data.controlCodeText.c_str(), "DELIMITED(;)");
}

class PreparedScan : public Scan {
  protected:
    // Scans the clean list and writes it as a prepared file.
    std::string preparedFile(const std::string& name = "ACME") {
        const testing::ScanWithRows r = scanFile(kDataDir + "clean.txt", 1);
        EXPECT_TRUE(clean(r));
        return standardHeader(r.controlData, "BG80BNBG96611020345678", name) + r.acceptedLines;
    }
};

TEST_F(PreparedScan, APreparedListStatesTheControlDataOfItsRows) {
    const std::string prepared = preparedFile("ACME №1"_cp);
    const testing::ScanWithRows r = scan(prepared, 1);
    EXPECT_TRUE(clean(r));
    ASSERT_TRUE(r.header.has_value());
    const PreparedHeader& header = *r.header;
    EXPECT_TRUE(header.complete);
    EXPECT_EQ(header.refusal, HeaderRefusal::none);
    EXPECT_FALSE(header.sebra);
    EXPECT_EQ(header.payerIban, "BG80BNBG96611020345678");
    EXPECT_EQ(header.paymentKindCode, "");
    EXPECT_FALSE(header.payerBic.has_value());
    EXPECT_EQ(text::toUtf8(header.payerName.value()), "ACME щ1");  // MIK letters raised into 1251
    ASSERT_TRUE(header.date.has_value());
    EXPECT_EQ(header.date->day, 15);
    EXPECT_EQ(header.date->month, 3);
    EXPECT_EQ(header.date->year, 2024);
    EXPECT_TRUE(header.date->valid);
    // What the window holds a prepared list to: the header's texts are the rows' own.
    EXPECT_EQ(header.controlCodeText, r.controlData.controlCodeText);
    EXPECT_EQ(header.totalText, text::trimBlanks(r.controlData.totalText));
    EXPECT_EQ(header.countText, r.controlData.countText);
    EXPECT_EQ(r.controlData.countText, "3");
    // The header is not a row: the rows after it give the list's own control data.
    EXPECT_EQ(r.acceptedLines.size(), prepared.size() - prepared.find('\n') - 1);

    // One amount changed in a row: the rows' control code is no longer the header's.
    std::string amountChanged = prepared;
    amountChanged.replace(amountChanged.find("100.50"), 6, "100.60");
    const testing::ScanWithRows changed = scan(amountChanged, 1);
    EXPECT_NE(changed.header->controlCodeText, changed.controlData.controlCodeText);
}

// A bank takes any first line that begins with "OMP" for a header: one that does not read whole
// as a layout is refused, and nothing of it is taken, nor is it read as a row.
TEST_F(PreparedScan, AFirstLineThatIsNoWholeHeaderIsRefused) {
    const std::string iban = "BG80BNBG96611020345678";
    const std::string lines[] = {
        "OMPDP;15032024;" + iban + ";  ;ACME;1.00;7;\r\n",              // no control code
        "OMPDP; 1503202 ;" + iban + "\n",                               // no third semicolon
        "OMPDP;31022024;" + iban + "; ;ACME;1.00;1; C2412435; \r\n",    // 31 February
        "OMPDP;1503202x;" + iban + "; ;ACME;1.00;1; C2412435; \r\n",    // no date of digits
        "OMPD;15032024;" + iban + "; ;ACME;1.00;1; C2412435; \r\n",     // no two-letter type
        "OMPDP;15032024;" + iban + "; ;    ;1.00;1; C2412435; \r\n",    // no payer name
        "OMPDP;15032024;" + iban + "; ;ACME;1.0;1; C2412435; \r\n",     // one decimal
        "OMPDP;15032024;" + iban + "; ;ACME;1,00;1; C2412435; \r\n",    // a comma
        "OMPDP;15032024;" + iban + "; ;ACME;1.00;x; C2412435; \r\n",    // no count
        "OMPDP;15032024;" + iban + "; ;ACME;1.00;1; c2412435; \r\n",    // lower case
        "OMPDP;15032024;" + iban + "; ;ACME;1.00;1; C241243; \r\n",     // seven digits
        "OMPSB;15032024;BNBG961;1234563;ACME;1.00;1; C2412435; \r\n",   // a BIC of seven
        "OMPDP;15032024;" + iban + "; ;AC\vME;1.00;1; C2412435; \r\n",  // a control byte
        "OMPDP;15032024;" + iban + "; ;AC\rME;1.00;1; C2412435; \r\n",  // a CR inside
    };
    for (const std::string& line : lines) {
        const testing::ScanWithRows r = scan(line + "abc\n", 1);
        EXPECT_EQ(r.error, ScanError::headerRefused) << line;
        ASSERT_TRUE(r.header.has_value());
        EXPECT_EQ(r.header->refusal, HeaderRefusal::notAHeader) << line;
        EXPECT_FALSE(r.header->complete);
        EXPECT_TRUE(r.acceptedLines.empty());
    }
    // The same line whole is a header.
    const testing::ScanWithRows whole =
        scan("OMPDP;15032024;" + iban + "; ;ACME;1.00;1; C2412435; \r\n", 1);
    EXPECT_EQ(whole.error, ScanError::noPayments);
    EXPECT_TRUE(whole.header->complete);
}

// Nothing to pay is no bank file: an empty list, blank lines, or a header with no row.
TEST_F(Scan, AListWithoutAPaymentIsRefused) {
    const std::string lines[] = {
        "",
        "\r\n  \n\t\n",
        "OMPDP;15032024;BG80BNBG96611020345678; ;ACME;1.00;1; C2412435; \r\n",
        "OMPDP;15032024;BG80BNBG96611020345678; ;ACME;1.00;1; C2412435; \r\n \r\n",
    };
    for (const std::string& bytes : lines) {
        const testing::ScanWithRows r = scan(bytes, 1);
        EXPECT_EQ(r.error, ScanError::noPayments) << bytes;
        EXPECT_FALSE(r.stamp.has_value());
        EXPECT_EQ(r.controlData.countText, "");
    }
}

TEST_F(PreparedScan, ARejectedHeaderValueEndsTheScan) {
    testing::ScanWithRows r =
        scan("OMPDP;15032024;BG81BNBG96611020345678;x;y;1;1; AAAAAAAA; \r\nabc\n", 1);
    EXPECT_EQ(r.error, ScanError::headerRefused);
    EXPECT_EQ(r.header->refusal, HeaderRefusal::payerIban);
    EXPECT_EQ(r.header->ibanReason, "Wrong IBAN !");
    EXPECT_EQ(r.header->payerIban, "BG81BNBG96611020345678");
    EXPECT_FALSE(r.header->complete);
    EXPECT_EQ(r.controlData.recordCount, 0);
    EXPECT_EQ(r.controlData.countText, "");
    EXPECT_TRUE(r.acceptedLines.empty());

    r = scan("OMPSB;15032024;BNBG9661;12345     ;y;1;1; AAAAAAAA; \r\nabc\n", 1);
    EXPECT_EQ(r.error, ScanError::headerRefused);
    EXPECT_EQ(r.header->refusal, HeaderRefusal::budgetUnitCode);
    EXPECT_EQ(r.header->payerBic, "BNBG9661");
    EXPECT_EQ(r.header->budgetUnitCode, "12345");
}

TEST(PreparedHeader, ReadsTheSebraLayoutWithItsPaddedBudgetUnitCode) {
    const PreparedHeader header = readPreparedHeader(
        "OMPSB;15032024;BNBG9661;1234563   ;ACME     ;     12.00;     1; C2412435; \n");
    EXPECT_EQ(header.refusal, HeaderRefusal::none);
    EXPECT_TRUE(header.sebra);
    EXPECT_EQ(header.payerBic, "BNBG9661");
    EXPECT_EQ(header.budgetUnitCode, "1234563");
    EXPECT_FALSE(header.payerIban.has_value());
    EXPECT_EQ(header.payerName, "ACME");
    EXPECT_EQ(header.totalText, "12.00");
    EXPECT_EQ(header.countText, "1");
    EXPECT_EQ(header.controlCodeText, "C2412435");
    EXPECT_TRUE(header.complete);
}

// A name written in the DOS code page has its letters at 0x80-0xBF and is raised into
// Windows-1251; a Windows-1251 name keeps its punctuation there.
TEST(PreparedHeader, RaisesOnlyANameWrittenInTheDosCodePage) {
    const struct {
        std::string name;  // as the header holds it
        std::string taken;
    } cases[] = {
        {"\x94\xA8\xB0\xAC\xA0", "Фирма"_cp},  // "Фирма" in the DOS code page
        {"ACME \xB9"
         "1",
         "ACME щ1"_cp},
        {"Фирма „Звезда“ №1 – «Юг»"_cp, "Фирма „Звезда“ №1 – «Юг»"_cp},
    };
    for (const auto& c : cases) {
        const PreparedHeader header = readPreparedHeader(
            "OMPDP;15032024;BG80BNBG96611020345678; ;" + c.name + ";1.00;1; C2412435; \n");
        ASSERT_TRUE(header.complete);
        EXPECT_EQ(header.payerName, c.taken) << text::toUtf8(c.taken);
    }
}

// The scan checks the rows to the budget by the rules its options name, and its receivers see
// the rows as clean or not by them.
TEST_F(Scan, ChecksRowsToTheBudgetByTheRulesItIsGiven) {
    formats.push_back(testing::delimitedFormat("DP", ';', {"IBAN", "EGN", "PAYMENT", "SUM"}));
    testing::writeFileBytes(dir.path() / "list.txt",
                            "BG56BNBG96618020345678;7523169263;;1\n"
                            "BG56BNBG96618020345678;;;2\n");
    const struct {
        BudgetRules rules;
        std::string findings;  // UTF-8
        std::vector<bool> clean;
    } cases[] = {
        {BudgetRules::before2023,
         "Липсва код за плащане на бюджетна сметка на ред: 1<BR>"
         "Липсва код за плащане на бюджетна сметка на ред: 2<BR>",
         {false, false}},
        {BudgetRules::from2023,
         "Липсва идентификатор на задълженото лице на ред: 2<BR>",
         {true, false}},
    };
    for (const auto& c : cases) {
        ScanOptions options;
        options.budgetRules = c.rules;
        std::vector<bool> clean;
        options.records = [&](const ScannedRow& row) {
            clean.push_back(row.clean);
            return true;
        };
        const ScanResult r = scanPaymentFile(fileio::standardFileSystem(), dir.file("list.txt"),
                                             &formats.back(), ';', options);
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(r.rowFindings)), c.findings);
        EXPECT_EQ(clean, c.clean);
        EXPECT_EQ(r.controlData.totalText, "        3.00");
    }
}

}  // namespace
}  // namespace velcor::processing
