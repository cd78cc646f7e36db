// The record a SEPA export leaves: written as rows come, read back whole and by end-to-end id,
// refused when damaged, let go by age and size with a mark left behind.

#include "output/SepaRecord.h"
#include "support/FaultyFileSystem.h"
#include "support/MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velcor::output {
namespace {

constexpr const char* kFolder = "/data/velcor/undo";

SepaRecordHeader header(const std::string& id = "VC20260115100000-0000000000AB") {
    return {id, PainVersion::v09, "/lists/O150126P.1DP", {2026, 1, 15, 0, 0, 0, true}, 3, 6000};
}

// Rows whose texts hold every byte a field escapes.
const std::vector<SepaRecordRow> kRows = {
    {"O150126P1DP-AB12CD34-1", 1, 1000, "Ivan Petrov", "BG80BNBG96611020345678",
     "BG80BNBG96611020345678;\xC8\xE2\xE0\xED;;10.00;\n"},
    {"O150126P1DP-AB12CD34-2", 2, 2000, "A\\B", "BG95UNCR70001523456789",
     "BG95UNCR70001523456789\tTAB\\;20.00;\r\n"},
    {"E2E-GIVEN", 3, 3000, "Agro AD", "BG72RZBB91551012345678", "last row without its end"},
};

void writeRecord(fileio::FileSystem& fs, const SepaRecordHeader& h,
                 const std::vector<SepaRecordRow>& rows, bool place = true) {
    SepaRecorder recorder(fs, kFolder);
    ASSERT_TRUE(recorder.begin(h));
    for (const SepaRecordRow& row : rows) ASSERT_TRUE(recorder.add(row));
    ASSERT_TRUE(recorder.finish({123, {}}, true));
    if (place) {
        ASSERT_TRUE(recorder.place());
    }
}

std::string recordPath(const std::string& id = header().messageId) {
    return *sepaRecordPath(kFolder, id);
}

TEST(SepaRecord, FieldsComeBackByteForByteAndBrokenEscapesAreRefused) {
    const std::vector<std::string> fields = {
        "", "plain", "a\tb", "x\r\n", "\\", "\\t", "\\\\n", "\xC8\xE2\xE0\xED", "\n\n\r"};
    for (const std::string& field : fields) {
        SCOPED_TRACE(field);
        const std::string escaped = escapeRecordField(field);
        EXPECT_EQ(escaped.find_first_of("\t\r\n"), std::string::npos);
        EXPECT_EQ(unescapeRecordField(escaped), field);
    }
    for (const char* broken : {"\\", "a\\", "\\x", "\\0"})
        EXPECT_EQ(unescapeRecordField(broken), std::nullopt) << broken;
}

TEST(SepaRecord, AWrittenRecordReadsBackByIdAndInRowOrder) {
    testing::MemoryFileSystem fs;
    writeRecord(fs, header(), kRows);
    SepaRecord record(fs, recordPath());
    ASSERT_EQ(record.open(), SepaRecordError::none);
    EXPECT_EQ(record.header().messageId, header().messageId);
    EXPECT_EQ(record.header().listPath, "/lists/O150126P.1DP");
    EXPECT_EQ(record.header().executionDate, header().executionDate);
    EXPECT_EQ(record.header().total, 6000);
    EXPECT_EQ(record.listDigest().size, 123u);
    EXPECT_TRUE(record.crlf());
    // Looked up out of order, and again: the lookup moves back as well as forward.
    for (const std::size_t i : {2u, 0u, 1u, 2u, 0u}) {
        std::int64_t ordinal = -1;
        const auto row = record.find(kRows[i].endToEndId, ordinal);
        ASSERT_TRUE(row.has_value()) << i;
        EXPECT_EQ(ordinal, static_cast<std::int64_t>(i));
        EXPECT_EQ(row->row, kRows[i].row);
        EXPECT_EQ(row->amount, kRows[i].amount);
        EXPECT_EQ(row->name, kRows[i].name);
        EXPECT_EQ(row->iban, kRows[i].iban);
        EXPECT_EQ(row->line, kRows[i].line);
    }
    std::int64_t ordinal = 0;
    EXPECT_FALSE(record.find("O150126P1DP-AB12CD34-4", ordinal).has_value());
    EXPECT_FALSE(record.find("", ordinal).has_value());
    std::vector<std::string> lines;
    EXPECT_TRUE(record.forEach([&](std::int64_t, const SepaRecordRow& row) {
        lines.push_back(row.line);
        return true;
    }));
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[1], kRows[1].line);
}

// A record not placed leaves nothing; one whose file is damaged is refused as such.
TEST(SepaRecord, OnlyAWholePlacedRecordIsRead) {
    testing::MemoryFileSystem fs;
    writeRecord(fs, header(), kRows, false);
    EXPECT_TRUE(fs.files.empty()) << fs.files.begin()->first;
    SepaRecord none(fs, recordPath());
    EXPECT_EQ(none.open(), SepaRecordError::missing);

    writeRecord(fs, header(), kRows);
    const std::string whole = fs.files[recordPath()];
    struct Case {
        const char* what;
        std::string bytes;
    };
    const std::vector<Case> cases = {
        {"cut before its end mark", whole.substr(0, whole.size() - 4)},
        {"cut in a row", whole.substr(0, whole.find("E2E-GIVEN") + 3)},
        {"another first line", "velcor-sepa-export 2" + whole.substr(whole.find('\n'))},
        {"a row too few",
         [&] {
             std::string bytes = whole;
             const std::size_t row = bytes.find("P\tE2E-GIVEN");
             bytes.erase(row, bytes.find('\n', row) - row + 1);
             return bytes;
         }()},
        {"a broken escape",
         [&] {
             std::string bytes = whole;
             bytes.insert(bytes.find("P\tE2E-GIVEN") + 2, "\\q");
             return bytes;
         }()},
        {"something after its end", whole + "P\tX\t4\t1\tBG\tX\tX\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs.files[recordPath()] = c.bytes;
        SepaRecord record(fs, recordPath());
        EXPECT_EQ(record.open(), SepaRecordError::damaged);
    }
}

TEST(SepaRecord, AnIdThatCannotNameAFileNamesNoRecord) {
    for (const char* id :
         {"", "../../etc/passwd", "a/b", "VC 1", "A\\B", "123456789012345678901234567890123456"})
        EXPECT_EQ(sepaRecordPath(kFolder, id), std::nullopt) << id;
    EXPECT_EQ(sepaRecordPath(kFolder, "VC20260115100000-0000000000AB"),
              std::string(kFolder) + "/VC20260115100000-0000000000AB.sepa");
}

// Records go by age and by the total size, the oldest first, each leaving its mark.
TEST(SepaRecord, RecordsAreLetGoByAgeAndSizeAndToldAsLetGo) {
    const std::int64_t day = std::int64_t{86400} * 1'000'000'000;
    const std::chrono::seconds kDays90 = std::chrono::hours(24 * 90);
    struct Case {
        const char* what;
        std::chrono::seconds age;
        double records;  // the size kept, in records
        std::int64_t now;
        std::vector<bool> kept;  // of the three records, oldest first
    };
    const std::vector<Case> cases = {
        {"all young and small", kDays90, 3, 10, {true, true, true}},
        {"all older than the age", kDays90, 3, 91 * day, {false, false, false}},
        {"only the newest within the size", kDays90, 1.5, 10, {false, false, true}},
        {"the newest two within the size", kDays90, 2, 10, {false, true, true}},
        {"nothing within the size", kDays90, 0.5, 10, {false, false, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem fs;
        std::vector<std::string> ids;
        for (int i = 0; i < 3; ++i) {
            ids.push_back("VC2026011510000" + std::to_string(i) + "-0000000000AB");
            writeRecord(fs, header(ids.back()), kRows);
        }
        fs.files[std::string(kFolder) + "/unrelated.copy"] = "x";
        const double size = static_cast<double>(fs.files[recordPath(ids[0])].size());
        pruneSepaRecords(fs, kFolder, {c.age, static_cast<std::uint64_t>(c.records * size)}, c.now);
        for (std::size_t i = 0; i < ids.size(); ++i) {
            SepaRecord record(fs, recordPath(ids[i]));
            EXPECT_EQ(record.open(), c.kept[i] ? SepaRecordError::none : SepaRecordError::letGo)
                << i;
        }
        EXPECT_EQ(fs.files.count(std::string(kFolder) + "/unrelated.copy"), 1u);
    }
}

// A record whose writing fails at any step is not put in place and leaves no file.
TEST(SepaRecord, AFailedStepLeavesNoRecord) {
    using Step = testing::FaultyFileSystem::Step;
    testing::MemoryFileSystem memory;
    for (const Step step :
         {Step::createTemporary, Step::write, Step::flush, Step::sync, Step::close, Step::rename}) {
        SCOPED_TRACE(static_cast<int>(step));
        testing::FaultyFileSystem fs(memory);
        fs.failFromCall(step);
        {
            SepaRecorder recorder(fs, kFolder);
            bool ok = recorder.begin(header());
            for (const SepaRecordRow& row : kRows) ok = ok && recorder.add(row);
            ok = ok && recorder.finish({1, {}}, false) && recorder.place();
            EXPECT_FALSE(ok);
            EXPECT_TRUE(static_cast<bool>(recorder.cause()));
        }
        EXPECT_TRUE(memory.files.empty()) << memory.files.begin()->first;
    }
}

}  // namespace
}  // namespace velcor::output
