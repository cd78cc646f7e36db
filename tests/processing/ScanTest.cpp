#include "processing/Scan.h"

#include "processing/ProcessingTestSupport.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velcor::processing {
namespace {

using namespace text::literals;
using testing::RecordingScanHost;

const std::string kDataDir = std::string(VELCOR_TEST_DATA_DIR) + "/lists/";

class Scan : public ::testing::Test {
  protected:
    Scan() {
        state.formats.push_back(testing::fixedFormat("FX", {{"F1", 1, 1}}));
        state.formats.push_back(
            testing::delimitedFormat("DP", ';', {"IBAN", "BIC", "NAME", "EGN", "SUM"}));
        state.delimiterText = ";";
    }

    // Writes `bytes` as the list and scans it with the format at `selection`.
    bool scan(const std::string& bytes, int selection = 0) {
        testing::writeFileBytes(dir.path() / "list.txt", bytes);
        return scanFile(dir.file("list.txt"), selection);
    }
    bool scanFile(const std::string& path, int selection) {
        state.inputPath = path;
        host.selection = selection;
        return scanPaymentFile(state, host, fs);
    }
    std::vector<std::string> messagesUtf8() const {
        std::vector<std::string> out;
        for (const std::string& m : host.messages) out.push_back(text::toUtf8(m));
        return out;
    }

    testing::TempDir dir;
    fileio::FileSystem& fs = fileio::standardFileSystem();
    WorkingState state;
    RecordingScanHost host;
};

struct ControlCase {
    std::string bytes;
    int count;
    std::string totalText;
    std::string code;
};

TEST_F(Scan, ComputesTheControlDataOfTheLinesThatAreKept) {
    const ControlCase cases[] = {
        {"", 0, "        0.00", "00000000"},
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
        state.filePrepared = false;
        EXPECT_TRUE(scan(c.bytes)) << c.bytes;
        EXPECT_EQ(state.recordCount, c.count) << c.bytes;
        EXPECT_EQ(state.countText, std::to_string(c.count));
        EXPECT_EQ(state.totalText, c.totalText);
        EXPECT_EQ(state.controlCodeText, c.code) << c.bytes;
        EXPECT_TRUE(host.messages.empty());
    }
    EXPECT_EQ(host.readCount, 9);
    EXPECT_EQ(host.updateCount, 9);
}

TEST_F(Scan, KeepsEveryNonBlankLineAsReadAndTheRowsApart) {
    // CR CR LF (a list converted twice) keeps one CR, which its LF follows.
    EXPECT_TRUE(scan("a\r\n\r\n  \r\nb\r\r\nc\r\nd"));
    EXPECT_EQ(state.acceptedLines, "a\nb\r\nc\nd");

    const std::string x5000(5000, 'x');
    EXPECT_TRUE(scan(x5000 + "\nabc\n"));
    EXPECT_EQ(state.recordCount, 3);  // 4094 bytes, the other 906, abc
    EXPECT_EQ(state.acceptedLines, x5000 + "\nabc\n");

    // The LF of a 4094-byte line arrives on its own; it still ends that row.
    const std::string a4094(4094, 'a');
    EXPECT_TRUE(scan(a4094 + "\r\nabc\n"));
    EXPECT_EQ(state.recordCount, 2);
    EXPECT_EQ(state.acceptedLines, a4094 + "\nabc\n");
    const std::string code = state.controlCodeText;
    EXPECT_TRUE(scan(state.acceptedLines));
    EXPECT_EQ(state.controlCodeText, code);

    // Blank pieces of an over-long line are part of its row: none of its bytes is dropped, and
    // the prepared rows read back with the same control code.
    const std::string blanks(4094, ' ');
    const std::string longRow = "x" + std::string(4093, 'y') + blanks + "z" + blanks + "  \n";
    EXPECT_TRUE(scan(longRow + "abc\n"));
    EXPECT_EQ(state.recordCount, 3);  // the first piece, the one holding "z", abc
    EXPECT_EQ(state.acceptedLines, longRow + "abc\n");
    const std::string longCode = state.controlCodeText;
    EXPECT_TRUE(scan(state.acceptedLines));
    EXPECT_EQ(state.controlCodeText, longCode);
    EXPECT_EQ(state.recordCount, 3);

    EXPECT_TRUE(scan(std::string("a\0b\nc\n", 6)));
    EXPECT_EQ(state.acceptedLines, std::string("a\0b\nc\n", 6));
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
        {std::string(4093, 'x') + "\r" + "y\n", "Непознат край на ред (CR без LF) на ред: 1<BR>"},
        {"a\nb\x1A\nc\n", "Данни след знака за край на файла (Ctrl-Z) на ред: 2<BR>"},
        {"a\n\x1A c", "Данни след знака за край на файла (Ctrl-Z) на ред: 2<BR>"},
        {"a\n\x1A" + std::string(200000, ' ') + "c",
         "Данни след знака за край на файла (Ctrl-Z) на ред: 2<BR>"},
    };
    for (const RefusedCase& c : cases) {
        EXPECT_EQ(scan(c.bytes), c.rowMessages.empty()) << c.bytes.substr(0, 20);
        EXPECT_EQ(text::toUtf8(state.rowMessages), c.rowMessages) << c.bytes.substr(0, 20);
        EXPECT_TRUE(host.messages.empty());
    }
}

TEST_F(Scan, RefusesAListSavedAsUtf8) {
    const std::string refusal = "Файлът " + dir.file("list.txt") +
                                " е записан в UTF-8. Запишете го с кодировка Windows-1251 "
                                "(Кирилица) и опитайте отново.";
    const struct {
        std::string bytes;
        bool refused;
    } cases[] = {
        {"\xEF\xBB\xBF"
         "abc\n",
         true},
        {"abc;Иван Петров\n", true},                             // UTF-8 source: valid UTF-8
        {"abc;" + std::string("Иван Петров"_cp) + "\n", false},  // Windows-1251
        {"abc;\xD0\n", false},                                   // cut short: not UTF-8
        {"abc;caf\xC3\xA9\n", false},  // valid UTF-8, but no Cyrillic in it
    };
    for (const auto& c : cases) {
        host.messages.clear();
        EXPECT_EQ(scan(c.bytes), !c.refused) << c.bytes;
        EXPECT_EQ(messagesUtf8(),
                  c.refused ? std::vector<std::string>{refusal} : std::vector<std::string>{})
            << c.bytes;
        if (c.refused) EXPECT_TRUE(state.acceptedLines.empty() && state.countText.empty());
    }
}

TEST_F(Scan, KeepsTheFirstThousandRowMessagesAndCountsTheRest) {
    std::string garbage;
    for (int i = 0; i < 1500; ++i) garbage += "x\n";
    EXPECT_FALSE(scan(garbage, 1));
    // Every row raises three messages: no delimiter, an empty IBAN, no amount.
    const std::string messages = text::toUtf8(state.rowMessages);
    EXPECT_EQ(state.rowMessageCount, 4500);
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '<'), 1001);
    EXPECT_TRUE(
        messages.ends_with("Показани са първите 1000 съобщения; още 3500 не са показани.<BR>"));
    EXPECT_EQ(state.countText, "1500");
}

TEST_F(Scan, SumsTheTotalExactly) {
    // Summed as doubles, these three print 27825941722361.70.
    state.formats.push_back(testing::delimitedFormat("AM", ';', {"SUM", "NAME"}));
    EXPECT_TRUE(scan("9755353848824.96;a\n9345674173488.74;b\n8724913700047.99;c\n", 2));
    EXPECT_EQ(state.totalText, "27825941722361.69");
}

TEST_F(Scan, ChecksTheRowsOfAListAndKeepsThoseWithMessages) {
    EXPECT_TRUE(scanFile(kDataDir + "clean.txt", 1));
    EXPECT_EQ(state.countText, "3");
    EXPECT_EQ(state.totalText, "     1125.50");
    EXPECT_EQ(state.rowMessages, "");

    EXPECT_FALSE(scanFile(kDataDir + "errors.txt", 1));
    EXPECT_EQ(text::toUtf8(state.rowMessages),
              "Грешен IBAN( Wrong IBAN ! ) на ред: 1<BR>"
              "BIC за банка, различна от банката на IBAN  на ред: 2<BR>"
              "Грешен ЕГН  на ред: 2<BR>"
              "Нулева сума на ред: 2<BR>"
              "Няма разделител (;)  на ред: 3<BR>"
              "Грешен IBAN( Wrong IBAN! ) на ред: 3<BR>"
              "Нулева сума на ред: 3<BR>");
    // The control data are complete and shown although the rows have messages.
    EXPECT_EQ(state.countText, "3");
    EXPECT_EQ(state.totalText, "      100.50");
    EXPECT_EQ(state.controlCodeText.size(), 8u);
    EXPECT_EQ(host.updateCount, 2);
    EXPECT_EQ(std::count(state.acceptedLines.begin(), state.acceptedLines.end(), '\n'), 3);
}

TEST_F(Scan, WithoutAPaymentTypeCountsTheRowsAndChecksNothing) {
    EXPECT_TRUE(scan("x;0\nBG00;;\n", -1));
    EXPECT_EQ(state.countText, "2");
    EXPECT_EQ(state.acceptedLines, "x;0\nBG00;;\n");
    EXPECT_TRUE(state.rowMessages.empty());
}

TEST_F(Scan, GoesOnWithTheControlsAsTakenWhenALimitIsBroken) {
    host.readResult = false;
    EXPECT_TRUE(scan("abc\n"));
    EXPECT_EQ(host.readCount, 1);
    EXPECT_EQ(state.controlCodeText, "C2412435");
}

TEST_F(Scan, ReportsAListThatCannotBeOpenedOrRead) {
    EXPECT_FALSE(scanFile(dir.file("missing.txt"), 0));
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_EQ(host.messages[0],
              std::string("Не може да се прочете файл: "_cp) + dir.file("missing.txt"));
    EXPECT_EQ(host.updateCount, 0);
    EXPECT_TRUE(state.scannedPath.empty());

    testing::FaultyFileSystem faulty;
    faulty.failCall(testing::FaultyFileSystem::Step::read);
    testing::writeFileBytes(dir.path() / "list.txt", "abc\n");
    state.inputPath = dir.file("list.txt");
    state.recordCount = 5;
    state.totalText = "x";
    EXPECT_FALSE(scanPaymentFile(state, host, faulty));
    ASSERT_EQ(host.messages.size(), 2u);
    EXPECT_EQ(host.messages[1], "Грешка при четене на файла!"_cp.view());
    EXPECT_EQ(state.recordCount, 0);
    EXPECT_EQ(state.totalText, "");
    EXPECT_EQ(state.controlCrc, 0xFFFFFFFFu);
    EXPECT_TRUE(state.scannedPath.empty());
    EXPECT_FALSE(state.scannedStamp.has_value());
}

TEST_F(Scan, RecordsWhichVersionOfTheFileItRead) {
    EXPECT_TRUE(scan("abc\n"));
    EXPECT_EQ(state.scannedPath, dir.file("list.txt"));
    ASSERT_TRUE(state.scannedStamp.has_value());
    EXPECT_EQ(state.scannedStamp, fs.stamp(dir.file("list.txt")));

    // Without a stamp after the reading there is no proof the list stayed as it was read.
    testing::FaultyFileSystem faulty;
    faulty.failCall(testing::FaultyFileSystem::Step::stamp, 2);
    EXPECT_TRUE(scanPaymentFile(state, host, faulty));
    EXPECT_EQ(state.scannedPath, dir.file("list.txt"));
    EXPECT_FALSE(state.scannedStamp.has_value());
}

// A header line as the prepared-file writer makes it.
std::string standardHeader(const WorkingState& s, const std::string& iban,
                           const std::string& name) {
    return text::format("OMP%2.2s;%02d%02d%04d;", "DP", 15, 3, 2024) +
           text::format("%22s;%6s;%-35s;%20s;% 6lld; %8s; %s\r\n", iban.c_str(), " ", name.c_str(),
                        s.totalText.c_str(), static_cast<long long>(s.recordCount),
                        s.controlCodeText.c_str(), "DELIMITED(;)");
}

class PreparedScan : public Scan {
  protected:
    // Scans the clean list, then writes it as a prepared file with `edit` applied to the header.
    std::string preparedFile(const std::string& name = "ACME") {
        EXPECT_TRUE(scanFile(kDataDir + "clean.txt", 1));
        return standardHeader(state, "BG80BNBG96611020345678", name) + state.acceptedLines;
    }
    bool scanPrepared(const std::string& bytes, int selection = 1) {
        state.filePrepared = false;
        state.payerIban.clear();
        host.messages.clear();
        return scan(bytes, selection);
    }
};

TEST_F(PreparedScan, APreparedListPassesItsOwnCheck) {
    const std::string prepared = preparedFile("ACME №1"_cp);
    EXPECT_TRUE(scanPrepared(prepared));
    EXPECT_TRUE(state.filePrepared);
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.payerIban, "BG80BNBG96611020345678");
    EXPECT_EQ(state.paymentKindCode, "");
    EXPECT_EQ(text::toUtf8(state.payerName), "ACME щ1");  // MIK letters are raised into 1251
    EXPECT_EQ(state.paymentDate.day, 15);
    EXPECT_EQ(state.paymentDate.month, 3);
    EXPECT_EQ(state.paymentDate.year, 2024);
    EXPECT_TRUE(state.paymentDate.valid);
    EXPECT_EQ(state.countText, "3");
    EXPECT_EQ(state.totalText, "     1125.50");
    // The header is not a row: the rows after it give the list's own control data.
    EXPECT_EQ(state.acceptedLines.size(), prepared.size() - prepared.find('\n') - 1);
}

TEST_F(PreparedScan, ATamperedPreparedListIsRejectedAtTheFirstDifference) {
    const std::string prepared = preparedFile();
    const std::size_t headerEnd = prepared.find('\n') + 1;
    const std::string header = prepared.substr(0, headerEnd);
    const std::string rows = prepared.substr(headerEnd);

    std::string amountChanged = prepared;
    amountChanged.replace(amountChanged.find("100.50"), 6, "100.60");
    EXPECT_FALSE(scanPrepared(amountChanged));
    EXPECT_EQ(messagesUtf8(), std::vector<std::string>{"Грешен контролен код!"});

    std::string countChanged = header;
    countChanged.replace(countChanged.find("     3;"), 7, "     4;");
    EXPECT_FALSE(scanPrepared(countChanged + rows));
    EXPECT_EQ(messagesUtf8(), std::vector<std::string>{"Грешен брой записи!"});

    std::string totalChanged = header;
    totalChanged.replace(totalChanged.find("1125.50"), 7, "1125.51");
    EXPECT_FALSE(scanPrepared(totalChanged + rows));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Грешнa сума!"_cp});
    EXPECT_EQ(state.countText, "3");  // the header's values are left as they were read
}

TEST_F(PreparedScan, AHeaderWithoutItsControlCodeIsOnlySkipped) {
    // Seven semicolons: the values read so far stay, the first line is not a row.
    EXPECT_TRUE(scanPrepared("OMPDP;31022024;BG80BNBG96611020345678;  ;ACME;1.00;7;\r\nabc\n", 0));
    EXPECT_FALSE(state.filePrepared);
    EXPECT_EQ(state.payerIban, "BG80BNBG96611020345678");
    EXPECT_FALSE(state.paymentDate.valid);  // 31 February
    EXPECT_EQ(state.controlCodeText, "C2412435");
    EXPECT_EQ(state.countText, "1");

    const LocalDateTime before = state.paymentDate = LocalDateTime{2023, 5, 6, 7, 8, 9, true};
    EXPECT_TRUE(scanPrepared("OMPDP; 1503202 ;BG80BNBG96611020345678\nabc\n", 0));
    EXPECT_EQ(state.paymentDate, before);  // a date of seven characters is not read
    EXPECT_EQ(state.payerIban, "");        // nothing after the second semicolon without a third
}

TEST_F(PreparedScan, ARejectedHeaderValueEndsTheScan) {
    state.recordCount = 9;
    EXPECT_FALSE(
        scanPrepared("OMPDP;15032024;BG81BNBG96611020345678;x;y;1;1; AAAAAAAA; \r\nabc\n"));
    EXPECT_EQ(host.messages, std::vector<std::string>{"Wrong IBAN !"});
    EXPECT_EQ(state.recordCount, 0);
    EXPECT_EQ(state.countText, "");
    EXPECT_FALSE(state.filePrepared);
    EXPECT_EQ(host.updateCount, 0);

    EXPECT_FALSE(scanPrepared("OMPSB;15032024;BNBG9661;12345     ;y;1;1; AAAAAAAA; \r\nabc\n"));
    EXPECT_EQ(messagesUtf8(), std::vector<std::string>{"Грешен код на бюджетен разпоредител!"});
    EXPECT_EQ(state.payerBic, "BNBG9661");
    EXPECT_EQ(state.budgetUnitCode, "12345");
}

TEST(PreparedHeader, ReadsTheSebraLayoutWithItsPaddedBudgetUnitCode) {
    WorkingState state;
    RecordingScanHost host;
    EXPECT_TRUE(readPreparedHeader(
        "OMPSB;15032024;BNBG9661;1234563   ;ACME     ;     12.00;     1; C2412435; \n", state,
        host));
    EXPECT_TRUE(host.messages.empty());
    EXPECT_EQ(state.payerBic, "BNBG9661");
    EXPECT_EQ(state.budgetUnitCode, "1234563");
    EXPECT_EQ(state.payerIban, "");
    EXPECT_EQ(state.payerName, "ACME");
    EXPECT_EQ(state.totalText, "12.00");
    EXPECT_EQ(state.countText, "1");
    EXPECT_EQ(state.controlCodeText, "C2412435");
    EXPECT_TRUE(state.filePrepared);
}

}  // namespace
}  // namespace velcor::processing
