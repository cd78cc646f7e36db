#include "output/PreparedFile.h"

#include "processing/Scan.h"
#include "support/FaultyFileSystem.h"
#include "support/ListFormats.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>

namespace velcor::output {
namespace {

using processing::buildHeaderLine;
using processing::headerFormatDescription;
using processing::PayerData;

using testing::FaultyFileSystem;

settings::FormatDefinition fixedFormat(std::string name) {
    settings::FormatDefinition format;
    format.name = std::move(name);
    return format;
}

settings::FormatDefinition delimitedFormat(std::string name, char delimiter) {
    settings::FormatDefinition format;
    format.name = std::move(name);
    format.delimited = true;
    format.delimiter = delimiter;
    return format;
}

// What a header is made of: the payer, the value date and the control data.
struct Sample {
    PayerData payer{"BG12ABCD12348XYZ000001",  // the 13th character is the digit 8
                    "ABCDBGSF", "Firma OOD", "12345", "1234567"};
    processing::LocalDateTime date{2006, 12, 8, 10, 30, 0, true};
    processing::ControlData data{123450, 7, processing::kCrcStart, "", "", "C2412435"};
};

Sample sampleState() { return Sample{}; }

std::string header(const Sample& sample, const settings::FormatDefinition* format) {
    return buildHeaderLine(sample.payer, sample.date, sample.data, format);
}

struct Column {
    std::size_t first;  // 1-based, as the bank describes the columns
    std::string text;
};

void expectColumns(const std::string& line, const std::vector<Column>& columns) {
    for (const Column& column : columns) {
        SCOPED_TRACE("column " + std::to_string(column.first));
        ASSERT_GE(line.size(), column.first - 1 + column.text.size());
        EXPECT_EQ(line.substr(column.first - 1, column.text.size()), column.text);
    }
}

TEST(PreparedHeader, StandardLayoutColumnByColumn) {
    const auto format = fixedFormat("DP");
    const std::string line = header(sampleState(), &format);
    expectColumns(line, {
                            {1, "OMPDP;08122006;"},
                            {16, "BG12ABCD12348XYZ000001;"},
                            {39, " 12345;"},
                            {46, "Firma OOD" + std::string(26, ' ') + ";"},
                            {82, std::string(13, ' ') + "1234.50;"},
                            {103, "     7; "},
                            {111, "C2412435; "},
                        });
    EXPECT_EQ(line.substr(120), "\r\n");
}

TEST(PreparedHeader, SebraLayoutColumnByColumn) {
    auto state = sampleState();
    state.payer.bic = " ABCDBGSF ";
    const auto format = delimitedFormat("SB", ';');
    const std::string line = header(state, &format);
    expectColumns(line, {
                            {1, "OMPSB;08122006;"},
                            {16, "ABCDBGSF;"},
                            {25, "1234567   ;"},
                            {36, "Firma OOD" + std::string(26, ' ') + ";"},
                            {72, std::string(13, ' ') + "1234.50;"},
                            {93, "     7; "},
                            {101, "C2412435; "},
                            {111, "DELIMITED(;)\r\n"},
                        });
    EXPECT_EQ(line.size(), 110u + 14u);
}

TEST(PreparedHeader, FormatCodeAndLayoutFollowTheName) {
    struct Case {
        const char* name;  // nullptr: no payment type selected
        const char* start;
    } cases[] = {
        {"DP", "OMPDP;"},    {"dp2", "OMPDP;"}, {"X", "OMP X;"},  {"", "OMP  ;"},
        {nullptr, "OMP  ;"}, {"sb", "OMPSB;"},  {"Sb", "OMPSB;"}, {"SBX", "OMPSB;"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name ? c.name : "(none)");
        const auto format = fixedFormat(c.name ? c.name : "");
        const std::string line = header(sampleState(), c.name ? &format : nullptr);
        EXPECT_EQ(line.substr(0, 6), c.start);
    }
    // "SBX" only shares its first letters with SB: the standard layout, with the IBAN.
    const auto sbx = fixedFormat("SBX");
    EXPECT_NE(header(sampleState(), &sbx).find("BG12ABCD12348XYZ000001"), std::string::npos);
}

TEST(PreparedHeader, KindCodeOnlyForIbansWithEightAsThirteenthCharacter) {
    const auto format = fixedFormat("DP");
    struct Case {
        const char* iban;
        const char* column;
    } cases[] = {
        {"BG12ABCD12348XYZ000001", " 12345"},
        {"BG12ABCD12347XYZ000001", "      "},
        {"BG12ABCD12348", " 12345"},  // thirteen characters reach the 13th
        {"BG12ABCD1234", "      "},   // twelve characters: no 13th
        {"BG12", "      "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.iban);
        auto state = sampleState();
        state.payer.iban = c.iban;
        const std::string line = header(state, &format);
        EXPECT_EQ(line.substr(38, 7), std::string(c.column) + ";");
    }
}

TEST(PreparedHeader, NumbersAndLongValuesWidenTheirColumns) {
    const auto format = fixedFormat("DP");
    auto state = sampleState();
    state.data.recordCount = 123456;
    state.data.totalSum = -9223372036854775807;
    state.payer.name = "  Name with blanks\t ";
    const std::string line = header(state, &format);
    EXPECT_EQ(line.substr(45, 36), "Name with blanks" + std::string(19, ' ') + ";");
    const std::string tail = ";-92233720368547758.07; 123456; C2412435; \r\n";
    EXPECT_EQ(line.substr(line.size() - tail.size()), tail);
}

TEST(PreparedHeader, DescriptionOfTheFormat) {
    const auto semicolon = delimitedFormat("DP", ';');
    const auto blank = delimitedFormat("DP", ' ');
    const auto fixed = fixedFormat("DP");
    EXPECT_EQ(headerFormatDescription(&semicolon), "DELIMITED(;)");
    EXPECT_EQ(headerFormatDescription(&blank), "DELIMITED( )");
    EXPECT_EQ(headerFormatDescription(&fixed), "");
    EXPECT_EQ(headerFormatDescription(nullptr), "");
    const std::string line = header(sampleState(), &fixed);
    EXPECT_EQ(line.substr(line.size() - 4), "; \r\n");
}

class PreparedFileWrite : public ::testing::Test {
  protected:
    testing::TempDir dir;
    std::string list = dir.file("O081206P.1DP");
    const std::string original = "row one\r\n\r\n  \r\nrow two\r\n";
    void SetUp() override { testing::writeFileBytes(list, original); }
    // The control data the scan gives the list as it is.
    processing::ControlData scanned() {
        return processing::scanPaymentFile(fileio::standardFileSystem(), list, nullptr, ' ')
            .controlData;
    }
};

// The rows are the list's own, read again as the scan read them: blank lines left out, each row
// as read (a CR LF pair read as LF).
TEST_F(PreparedFileWrite, HeaderWithCrLfThenTheListsRowsAsRead) {
    const std::string header = "OMPDP;08122006; ...; \r\n";
    const PreparedWrite written =
        writePreparedFile(fileio::standardFileSystem(), list, header, scanned());
    ASSERT_EQ(written.replaced, fileio::ReplaceResult::ok);
    EXPECT_FALSE(written.listChanged);
    EXPECT_EQ(testing::readFileBytes(list), header + "row one\nrow two\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
        << "no temporary file is left beside the list";
}

// Rows of delimiters alone, which spreadsheets write below the data, are blank lines of a
// delimited list: left out as the scan with that delimiter left them out.
TEST_F(PreparedFileWrite, RowsOfDelimitersAloneAreLeftOutOfADelimitedList) {
    const auto semicolons = testing::delimitedFormat("DP", ';', {"NAME"});
    const std::string header = "OMPDP;08122006; ...; \r\n";
    const struct {
        const settings::FormatDefinition* format;
        char delimiter;
        std::string rows;
    } cases[] = {
        {&semicolons, ';', "a;b\nc\n"},
        {nullptr, ';', "a;b\nc\n"},
        {nullptr, ' ', "a;b\n;;;\nc\n"},
    };
    for (const auto& c : cases) {
        testing::writeFileBytes(list, "a;b\r\n;;;\r\n ;\t; \r\nc\r\n;;");
        if (c.delimiter == ' ') testing::writeFileBytes(list, "a;b\r\n;;;\r\nc\r\n");
        const processing::ControlData expected =
            processing::scanPaymentFile(fileio::standardFileSystem(), list, c.format, c.delimiter)
                .controlData;
        const PreparedWrite written =
            writePreparedFile(fileio::standardFileSystem(), list, header, expected, std::nullopt,
                              {}, {}, c.delimiter);
        EXPECT_EQ(written.replaced, fileio::ReplaceResult::ok) << c.rows;
        EXPECT_EQ(testing::readFileBytes(list), header + c.rows);
    }
}

// Rows that do not give the scan's count and control code again are not the rows that were
// checked: the list stays as it is, and says it changed.
TEST_F(PreparedFileWrite, AListThatReadsOtherwiseThanItWasCheckedIsKept) {
    processing::ControlData expected = scanned();
    for (const auto change : {+1, -1}) {
        processing::ControlData other = expected;
        if (change > 0)
            other.recordCount += 1;
        else
            other.controlCrc ^= 1;
        const PreparedWrite written =
            writePreparedFile(fileio::standardFileSystem(), list, "OMPDP;h\r\n", other);
        EXPECT_EQ(written.replaced, fileio::ReplaceResult::writeFailed);
        EXPECT_TRUE(written.listChanged);
        EXPECT_EQ(testing::readFileBytes(list), original);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
}

// With the stamp of the list as it was read, a list that cannot be shown unchanged right before
// the rename is not replaced either; nor one that cannot be read again.
TEST_F(PreparedFileWrite, AnyFailingStepLeavesTheListAsItWas) {
    struct Case {
        FaultyFileSystem::Step step;
        unsigned nth;
        fileio::ReplaceResult result;
    } cases[] = {
        {FaultyFileSystem::Step::createTemporary, 1, fileio::ReplaceResult::openFailed},
        {FaultyFileSystem::Step::write, 1, fileio::ReplaceResult::writeFailed},
        // A list of more than a block: its rows go out in several writes.
        {FaultyFileSystem::Step::write, 2, fileio::ReplaceResult::writeFailed},
        {FaultyFileSystem::Step::openRead, 1, fileio::ReplaceResult::writeFailed},
        {FaultyFileSystem::Step::read, 1, fileio::ReplaceResult::writeFailed},
        {FaultyFileSystem::Step::flush, 1, fileio::ReplaceResult::writeFailed},
        {FaultyFileSystem::Step::sync, 1, fileio::ReplaceResult::writeFailed},
        {FaultyFileSystem::Step::close, 1, fileio::ReplaceResult::writeFailed},
        // The reading's own two stamps come first; the third is the check before the rename.
        {FaultyFileSystem::Step::stamp, 3, fileio::ReplaceResult::writeFailed},
        {FaultyFileSystem::Step::rename, 1, fileio::ReplaceResult::writeFailed},
    };
    std::string large;
    for (int row = 0; row < 80000; ++row) large += "row " + std::to_string(row) + " of many\r\n";
    const processing::ControlData expected = scanned();
    const auto stamp = fileio::standardFileSystem().stamp(list);
    for (const Case& c : cases) {
        if (c.step == FaultyFileSystem::Step::write && c.nth > 1) {
            testing::writeFileBytes(list, large);
            const processing::ControlData big = scanned();
            FaultyFileSystem fs;
            fs.failCall(c.step, c.nth);
            EXPECT_EQ(writePreparedFile(fs, list, "OMPDP;header\r\n", big,
                                        fileio::standardFileSystem().stamp(list))
                          .replaced,
                      c.result);
            EXPECT_EQ(fs.calls(c.step), c.nth) << "one block written before";
            EXPECT_TRUE(testing::readFileBytes(list) == large);
            testing::writeFileBytes(list, original);
            continue;
        }
        SCOPED_TRACE(static_cast<int>(c.step) * 10 + static_cast<int>(c.nth));
        FaultyFileSystem fs;
        fs.failCall(c.step, c.nth);
        EXPECT_EQ(writePreparedFile(fs, list, "OMPDP;header\r\n", expected, stamp).replaced,
                  c.result);
        EXPECT_EQ(testing::readFileBytes(list), original);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
}

// The caller who keeps the list for undoing learns what it held, byte for byte as it was read
// for the prepared file (past CR LF, blank lines and an end mark, and the data behind one, which
// the rows' reading leaves), and what the prepared file holds; false from it keeps the list.
TEST_F(PreparedFileWrite, TellsWhatTheListHeldAndWhatReplacesIt) {
    const auto digestOf = [](const std::string& bytes) {
        fileio::ContentDigester digester;
        digester.add(bytes.data(), bytes.size());
        return digester.finish();
    };
    std::string large;
    for (int row = 0; row < 30000; ++row) large += "row " + std::to_string(row) + " of many\r\n";
    const struct {
        const char* what;
        std::string list;
        bool goOn;
    } cases[] = {
        {"rows, blank lines and CR LF", original, true},
        {"more than a block", large, true},
        {"an end mark with data behind it", "row one\r\n\x1A" + std::string(200'000, 'x'), true},
        {"an end mark and blanks", "row one\r\n\x1A\r\n  ", true},
        {"told to keep the list", original, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::writeFileBytes(list, c.list);
        std::optional<fileio::ContentDigest> told[2];
        const PreparedWrite written = writePreparedFile(
            fileio::standardFileSystem(), list, "OMPDP;header\r\n", scanned(),
            fileio::standardFileSystem().stamp(list), {},
            [&](const fileio::ContentDigest& was, const fileio::ContentDigest& is) {
                told[0] = was;
                told[1] = is;
                return c.goOn;
            });
        EXPECT_EQ(written.replaced.ok(), c.goOn);
        EXPECT_EQ(told[0], digestOf(c.list));
        EXPECT_EQ(testing::readFileBytes(list) == c.list, !c.goOn);
        EXPECT_EQ(told[1] == digestOf(testing::readFileBytes(list)), c.goOn);
    }
}

// Stopped while the list is read again, the write replaces nothing and says it was stopped; the
// same write carried to its end replaces the list.
TEST_F(PreparedFileWrite, AStopBeforeTheRenameLeavesTheListAsItWas) {
    std::string large;
    for (int row = 0; row < 20000; ++row) large += "row " + std::to_string(row) + " of many\r\n";
    testing::writeFileBytes(list, large);
    const processing::ControlData expected = scanned();
    const auto stamp = fileio::standardFileSystem().stamp(list);
    for (const bool stop : {true, false}) {
        int heard = 0;
        const PreparedWrite written = writePreparedFile(
            fileio::standardFileSystem(), list, "OMPDP;header\r\n", expected, stamp,
            [&](std::uint64_t, std::uint64_t) { return !stop || ++heard < 3; });
        EXPECT_EQ(written.cancelled, stop);
        EXPECT_EQ(written.replaced.ok(), !stop);
        EXPECT_FALSE(written.listChanged);
        EXPECT_EQ(testing::readFileBytes(list).substr(0, 5), stop ? "row 0" : "OMPDP");
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    }
}

}  // namespace
}  // namespace velcor::output
