// The SEPA file written as the list is read: the same bytes as the whole document of the same
// rows, a refusal that leaves nothing behind for every way the list or the write can go wrong, the
// names kept for a look over them bounded, and the file no more open than its list.

#include "output/SepaExport.h"
#include "output/SepaSchema.h"
#include "output/Transliteration.h"
#include "processing/Scan.h"
#include "support/FaultyFileSystem.h"
#include "support/ListFormats.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <new>
#include <string>
#include <vector>

namespace velcor::output {
namespace {

using namespace text::literals;

constexpr const char* kList = "O150126P.1DP";
constexpr const char* kOut = "out.xml";

const settings::FormatDefinition kFormat =
    testing::delimitedFormat("DP", ';', {"IBAN", "NAME", "SUM", "REASON", "BIC"});

std::string row(int i, const std::string& name = "Ivan Petrov") {
    return "BG80BNBG96611020345678;" + name + ";" + std::to_string(10 + i % 90) + ".50;Zaplata " +
           std::to_string(i) + (i % 2 != 0 ? ";BNBGBGSD" : "") + "\r\n";
}

SepaFileData fileData(PainVersion version, std::string purpose = "SALA") {
    SepaFileData data;
    data.choices = {version, true, std::move(purpose), {}, {}};
    data.payer = {"BG48 BNBG 9661 8000 1234 56", "BNBGBGSD", "Фирма ООД"_cp};
    data.executionDate = {2026, 1, 15};
    data.created = {2026, 1, 14, 9, 30, 5};
    data.unique = 0xABCDEF123456ull;
    data.listPath = kList;
    return data;
}

// The list as the check scan found it, which the export must find it again.
SepaList checked(fileio::FileSystem& fs) {
    const processing::ScanResult scan = processing::scanPaymentFile(fs, kList, &kFormat, ';');
    EXPECT_EQ(scan.error, processing::ScanError::none);
    EXPECT_TRUE(scan.rowFindings.empty())
        << (scan.rowFindings.kept.empty() ? "" : scan.rowFindings.kept[0].text);
    return {
        kList, &kFormat, ';', scan.stamp, scan.controlData.recordCount, scan.controlData.totalSum};
}

// The list's rows as a whole, as the export took them before it wrote as it read.
std::vector<SepaPayment> paymentsOf(fileio::FileSystem& fs) {
    std::vector<SepaPayment> payments;
    processing::ScanOptions options;
    options.records = [&](const processing::ScannedRow& r) {
        payments.push_back(sepaPayment(r.record));
        return true;
    };
    processing::scanPaymentFile(fs, kList, &kFormat, ';', options);
    return payments;
}

// Files grown past the writer's blocks, rows with and without a BIC, a name cut at its limit.
TEST(SepaStream, WritesTheBytesOfTheWholeDocumentOfTheSameRows) {
    for (const int rows : {1, 3, 700}) {
        for (const PainVersion version : {PainVersion::v09, PainVersion::v03}) {
            SCOPED_TRACE(std::to_string(rows) + " " + std::string(painVersionName(version)));
            testing::MemoryFileSystem fs;
            std::string list = "\r\n";
            for (int i = 1; i <= rows; ++i)
                list +=
                    row(i, i == 2 ? std::string(90, 'A') + std::string(" Щерю"_cp) : "Ivan Petrov");
            fs.files[kList] = list;
            const SepaList scanned = checked(fs);
            const SepaWritten written = writeSepaFile(fs, kOut, scanned, fileData(version));
            ASSERT_EQ(written.result, SepaWritten::Result::ok) << written.complaint;
            const std::string whole = sepaDocument(sepaMessage(fileData(version), paymentsOf(fs)));
            EXPECT_EQ(fs.files[kOut], whole);
            EXPECT_FALSE(schemaViolation(version, fs.files[kOut]));
            EXPECT_EQ(fs.files.size(), 2u) << "no temporary file left";
        }
    }
}

// A read that runs out of memory, as an allocation deep in the reading would.
class StarvedFileSystem final : public fileio::ForwardingFileSystem {
  public:
    explicit StarvedFileSystem(testing::MemoryFileSystem& inner) : ForwardingFileSystem(inner) {}
    std::unique_ptr<fileio::ReadFile> openRead(const std::string& path,
                                               std::error_code& cause) override {
        struct Starved final : fileio::ReadFile {
            std::ptrdiff_t read(char*, std::size_t) override { throw std::bad_alloc(); }
        };
        if (path == kList) return std::make_unique<Starved>();
        return inner().openRead(path, cause);
    }
};

// Every refusal names its reason, and leaves the old file as it was and nothing beside it.
TEST(SepaStream, ARefusalLeavesTheOldFileAndNothingBesideIt) {
    using Step = testing::FaultyFileSystem::Step;
    using Result = SepaWritten::Result;
    const struct {
        const char* what;
        std::function<void(testing::MemoryFileSystem&, SepaList&)> change;
        Step failing;  // Step::listFolder: none
        Result result;
        SepaListError listError;
        std::int64_t faultRow;  // the row a fault names; 0: none
        std::string purpose;
    } cases[] = {
        {"a row added after the scan", [](auto& fs, auto&) { fs.files[kList] += row(9); },
         Step::listFolder, Result::listError, SepaListError::changed, 0, "SALA"},
        {"the same bytes written again",
         [](auto& fs, auto&) { fileio::replaceFile(fs, kList, {std::string(fs.files[kList])}); },
         Step::listFolder, Result::listError, SepaListError::changed, 0, "SALA"},
        {"a count the rows do not reach", [](auto&, auto& list) { ++list.count; }, Step::listFolder,
         Result::listError, SepaListError::changed, 0, "SALA"},
        {"a total the rows do not make", [](auto&, auto& list) { list.total += 1; },
         Step::listFolder, Result::listError, SepaListError::changed, 0, "SALA"},
        {"a count the rows pass", [](auto&, auto& list) { --list.count; }, Step::listFolder,
         Result::listError, SepaListError::changed, 0, "SALA"},
        {"a list that cannot be read", [](auto&, auto&) {}, Step::read, Result::listError,
         SepaListError::readError, 0, "SALA"},
        {"a write that fails", [](auto&, auto&) {}, Step::write, Result::writeFailed,
         SepaListError::none, 0, "SALA"},
        {"a rename that fails", [](auto&, auto&) {}, Step::rename, Result::writeFailed,
         SepaListError::none, 0, "SALA"},
        {"no temporary file", [](auto&, auto&) {}, Step::createTemporary, Result::openFailed,
         SepaListError::none, 0, "SALA"},
        {"a document its schema refuses", [](auto&, auto&) {}, Step::listFolder,
         Result::schemaRefused, SepaListError::none, 0, "TOOLONG"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem memory;
        memory.files[kList] = row(1) + row(2) + row(3);
        memory.files[kOut] = "old";
        SepaList list = checked(memory);
        c.change(memory, list);
        testing::FaultyFileSystem fs(memory);
        if (c.failing != Step::listFolder) fs.failCall(c.failing);
        const SepaWritten written =
            writeSepaFile(fs, kOut, list, fileData(PainVersion::v09, c.purpose));
        EXPECT_EQ(written.result, c.result);
        EXPECT_EQ(written.listError, c.listError);
        EXPECT_EQ(written.fault.has_value(), c.faultRow != 0);
        if (c.result == Result::schemaRefused) {
            EXPECT_NE(written.complaint.find("maxLength"), std::string::npos) << written.complaint;
        }
        EXPECT_EQ(memory.files[kOut], "old");
        EXPECT_EQ(memory.files.size(), 2u);
    }
}

// The countries and territories of the SEPA schemes by their IBANs' first letters: the EU's, the
// EEA's, those admitted besides (the latest among them too), and none else.
TEST(SepaStream, OnlyIbansOfTheSchemesCountriesGo) {
    const struct {
        const char* iban;
        bool goes;
    } cases[] = {
        {"BG80BNBG96611020345678", true},
        {"DE89370400440532013000", true},
        {"CH9300762011623852957", true},
        {"GB29NWBK60161331926819", true},
        {"GI75NWBK000000007099453", true},
        {"AL47212110090000000235698741", true},
        {"ME94505012000000123456", true},
        {"RS35260005601001611379", true},
        {"VA59001123000012345678", true},
        {"TR330006100519786457841326", false},
        {"RU4204452522540702810400000000001", false},
        {"UA263220010000026201234567890", false},
        {"XK051212012345678906", false},
        {"BA391290079401028494", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.iban);
        SepaPayment payment;
        payment.row = 7;
        payment.amount = 100;
        payment.name = "A";
        payment.iban = c.iban;
        const std::optional<SepaRowProblem> problem = rowProblem(payment, PainVersion::v09);
        EXPECT_EQ(!problem.has_value(), c.goes);
        if (c.goes) continue;
        EXPECT_EQ(problem, SepaRowProblem::country);
        const SepaRowFault fault = sepaRowFault(*problem, payment);
        EXPECT_EQ(fault.country + " " + std::to_string(fault.row), std::string(c.iban, 2) + " 7");
    }
}

// Ids a list gives in an E2E field are checked as the rows are read: one given twice is refused
// at its second row, naming the first, by the review and the write alike; and they are written
// as given.
TEST(SepaStream, AnE2EFieldsIdsAreWrittenAsGivenAndOnceEach) {
    const settings::FormatDefinition format =
        testing::delimitedFormat("DP", ';', {"IBAN", "NAME", "SUM", "e2e"});
    const auto rowWith = [](const std::string& id) {
        return "BG80BNBG96611020345678;A;1.00;" + id + "\r\n";
    };
    const struct {
        const char* what;
        std::string rows;
        std::int64_t faultRow;  // 0: written
        std::int64_t earlierRow;
    } cases[] = {
        {"each once", rowWith("X-1") + rowWith("X-2") + rowWith("X-3"), 0, 0},
        {"the first again", rowWith("X-1") + rowWith("X-2") + rowWith("X-1"), 3, 1},
        {"the next one again", rowWith("X-1") + rowWith("X-2") + rowWith("X-2"), 3, 2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem fs;
        fs.files[kList] = c.rows;
        const processing::ScanResult scan = processing::scanPaymentFile(fs, kList, &format, ';');
        const SepaList list{kList,
                            &format,
                            ';',
                            scan.stamp,
                            scan.controlData.recordCount,
                            scan.controlData.totalSum};
        const SepaReview review = reviewSepaList(fs, list, PainVersion::v09);
        const SepaWritten written = writeSepaFile(fs, kOut, list, fileData(PainVersion::v09));
        for (const std::optional<SepaRowFault>& fault : {review.fault, written.fault}) {
            ASSERT_EQ(fault.has_value(), c.faultRow != 0);
            if (!fault) continue;
            EXPECT_EQ(fault->problem, SepaRowProblem::repeatedEndToEndId);
            EXPECT_EQ(fault->row, c.faultRow);
            EXPECT_EQ(fault->earlierRow, c.earlierRow);
        }
        if (c.faultRow != 0) {
            EXPECT_EQ(fs.files.count(kOut), 0u);
            continue;
        }
        ASSERT_EQ(written.result, SepaWritten::Result::ok);
        for (const char* id : {"X-1", "X-2", "X-3"})
            EXPECT_NE(fs.files[kOut].find(std::string("<EndToEndId>") + id + "</EndToEndId>"),
                      std::string::npos);
    }
}

// A row the file cannot carry is refused as it is read, by its row, and so is a reading that runs
// out of memory: as such, not as a document its schema refuses.
TEST(SepaStream, RowFaultsAndALackOfMemoryAreToldAsSuch) {
    const struct {
        const char* what;
        std::string thirdRow;
        PainVersion version;
        SepaRowProblem problem;
    } cases[] = {
        {"no name left in Latin letters",
         "BG80BNBG96611020345678;" + std::string("«»"_cp) + ";1.00;\r\n", PainVersion::v09,
         SepaRowProblem::noName},
        {"an amount over the rules' limit", "BG80BNBG96611020345678;A;1000000000.00;\r\n",
         PainVersion::v09, SepaRowProblem::amountOutOfRange},
        {"a test BIC in .03", "BG80BNBG96611020345678;A;1.00;;BNBGBG01\r\n", PainVersion::v03,
         SepaRowProblem::bic},
        {"an IBAN of a country outside the schemes", "TR330006100519786457841326;A;1.00;\r\n",
         PainVersion::v09, SepaRowProblem::country},
        {"a budget account", "BG21BNBG96618000123457;A;1.00;\r\n", PainVersion::v09,
         SepaRowProblem::budgetAccount},
        {"a budget account written in groups", "BG21 BNBG 9661 8000 1234 57;A;1.00;\r\n",
         PainVersion::v09, SepaRowProblem::budgetAccount},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem fs;
        fs.files[kList] = row(1) + "\r\n" + row(2) + c.thirdRow + row(4);
        const SepaList list = checked(fs);
        const SepaWritten written = writeSepaFile(fs, kOut, list, fileData(c.version));
        EXPECT_EQ(written.result, SepaWritten::Result::listError);
        EXPECT_EQ(written.listError, SepaListError::rowFault);
        ASSERT_TRUE(written.fault.has_value());
        EXPECT_EQ(written.fault->problem, c.problem);
        EXPECT_EQ(written.fault->row, 3);
        const SepaReview review = reviewSepaList(fs, list, c.version);
        EXPECT_EQ(review.error, SepaListError::rowFault);
        ASSERT_TRUE(review.fault.has_value());
        EXPECT_EQ(review.fault->row, 3);
        EXPECT_EQ(review.names.shown.size(), 4u) << "the names are read to the end";
        EXPECT_EQ(fs.files.size(), 1u);
    }

    testing::MemoryFileSystem memory;
    memory.files[kList] = row(1);
    const SepaList list = checked(memory);
    StarvedFileSystem starved(memory);
    const SepaWritten written = writeSepaFile(starved, kOut, list, fileData(PainVersion::v09));
    EXPECT_EQ(written.result, SepaWritten::Result::listError);
    EXPECT_EQ(written.listError, SepaListError::outOfMemory);
    EXPECT_EQ(reviewSepaList(starved, list, PainVersion::v09).error, SepaListError::outOfMemory);
    EXPECT_EQ(memory.files.size(), 1u);
}

TEST(SepaStream, TellsWhichNamesLoseMoreThanTheirLetters) {
    const struct {
        std::string written;
        bool loses;
    } cases[] = {
        {"Ivan Petrov", false},
        {"Щерю   Янев"_cp, false},        // blanks run together
        {"Строй \"Бор\" ЕООД"_cp, true},  // quotes dropped
        {"Иван & син"_cp, true},          // & sent as +
        {std::string(70, 'a'), false},
        {std::string(71, 'a'), true},                        // cut
        {std::string(70, 'a') + " b", true},                 // cut at a blank
        {std::string(69, 'a') + std::string("ж"_cp), true},  // cut within the letter's spelling
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.written);
        EXPECT_EQ(nameLosesCharacters(c.written, sepaText(c.written, kMaxSepaName)), c.loses);
    }
}

// A name over 70 or a text over 140 characters once in Latin letters is cut, and the payment says
// so; one that fits exactly, blanks run together, is not. Past the names' bound a row whose text
// was cut stays in sight, and one left out is counted.
TEST(SepaStream, TellsWhichNamesAndTextsTheFileCuts) {
    const std::string zh35(35, "ж"_cp.view()[0]);  // 70 Latin letters
    const struct {
        const char* what;
        std::string name;
        std::string reason;
        bool nameCut;
        bool remittanceCut;
    } cases[] = {
        {"both within", "Ivan", "Zaplata", false, false},
        {"a name of 70 once in Latin letters", zh35, "", false, false},
        {"a name of 71", zh35 + "a", "", true, false},
        {"a name that shrinks within by its blanks", "Ivan" + std::string(80, ' ') + "Petrov", "",
         false, false},
        {"a text of 140", "Ivan", zh35 + zh35, false, false},
        {"a text of 141, its invoice number lost", "Ivan", zh35 + zh35 + "1", false, true},
        {"a text cut at a blank", "Ivan", zh35 + zh35 + " No 12", false, true},
        {"a name cut at a blank", zh35 + " Petrov", "", true, false},
        {"both over", zh35 + zh35, zh35 + zh35 + zh35, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem fs;
        fs.files[kList] = "BG80BNBG96611020345678;" + c.name + ";1.00;" + c.reason + "\r\n";
        const std::vector<SepaPayment> payments = paymentsOf(fs);
        ASSERT_EQ(payments.size(), 1u);
        EXPECT_EQ(payments[0].nameCut, c.nameCut);
        EXPECT_EQ(payments[0].remittanceCut, c.remittanceCut);
        EXPECT_LE(payments[0].name.size(), kMaxSepaName);
        EXPECT_LE(payments[0].remittance.size(), kMaxSepaRemittance);
        const SepaReview review = reviewSepaList(fs, checked(fs), PainVersion::v09);
        ASSERT_EQ(review.names.shown.size(), 1u);
        EXPECT_EQ(review.names.shown[0].nameCut, c.nameCut);
        EXPECT_EQ(review.names.shown[0].remittanceCut, c.remittanceCut);
        EXPECT_EQ(review.names.shown[0].remittance, payments[0].remittance);
    }

    // A thousand rows that fit, one more, a thousand and three whose text was cut.
    SepaNames kept;
    for (std::int64_t i = 1; i <= 2004; ++i) {
        SepaPayment p;
        p.row = i;
        p.writtenName = p.name = "Ivan";
        p.remittanceCut = i > 1001;
        kept.add(p);
    }
    ASSERT_EQ(kept.shown.size(), SepaNames::kShown);
    EXPECT_EQ(kept.shown.front().row, 1002);
    EXPECT_TRUE(kept.shown.front().remittanceCut);
    EXPECT_EQ(kept.leftOut, 1004);
    EXPECT_EQ(kept.cutsLeftOut, 3);
}

// Up to its bound every row's names are kept; past it only those that lose characters, and the
// count of the rest, of them those that lose characters too.
TEST(SepaStream, KeepsTheNamesWithinItsBound) {
    const auto names = [](std::int64_t rows, std::int64_t everyLosing) {
        SepaNames kept;
        for (std::int64_t i = 1; i <= rows; ++i) {
            SepaPayment p;
            p.row = i;
            p.writtenName = i % everyLosing == 0 ? std::string("A \"B\"") : std::string("Иван"_cp);
            p.name = sepaText(p.writtenName, kMaxSepaName);
            kept.add(p);
        }
        return kept;
    };
    const struct {
        std::int64_t rows;
        std::int64_t everyLosing;
        std::size_t shown;
        std::int64_t firstShown;
        std::int64_t leftOut;
        std::int64_t changedLeftOut;  // of those left out, the rows that lose characters
    } cases[] = {
        {3, 2, 3, 1, 0, 0},
        {1000, 7, 1000, 1, 0, 0},
        {1001, 7, 143, 7, 858, 0},
        {100000, 3, 1000, 3, 99000, 32333},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.rows);
        const SepaNames kept = names(c.rows, c.everyLosing);
        EXPECT_EQ(kept.shown.size(), c.shown);
        EXPECT_EQ(kept.shown.front().row, c.firstShown);
        EXPECT_EQ(kept.leftOut, c.leftOut);
        EXPECT_EQ(kept.changedLeftOut, c.changedLeftOut);
        EXPECT_EQ(static_cast<std::int64_t>(kept.shown.size()) + kept.leftOut, c.rows);
    }
}

// The file takes no permission its list does not have.
TEST(SepaStream, TheFileIsNoMoreOpenThanItsList) {
    testing::TempDir dir;
    const std::string list = dir.file(kList);
    const std::string out = dir.file(kOut);
    for (const auto mode :
         {std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
          std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
              std::filesystem::perms::group_read}) {
        std::filesystem::remove(out);
        testing::writeFileBytes(list, row(1));
        std::filesystem::permissions(list, mode);
        fileio::FileSystem& fs = fileio::standardFileSystem();
        const processing::ScanResult scan = processing::scanPaymentFile(fs, list, &kFormat, ';');
        const SepaList scanned{list, &kFormat, ';', scan.stamp, 1, scan.controlData.totalSum};
        SepaFileData data = fileData(PainVersion::v09);
        data.listPath = list;
        ASSERT_EQ(writeSepaFile(fs, out, scanned, data, {}, filePermissions(fs, list)).result,
                  SepaWritten::Result::ok);
        const auto perms = std::filesystem::status(out).permissions();
        EXPECT_EQ(perms & ~mode, std::filesystem::perms::none);
    }
}

}  // namespace
}  // namespace velcor::output
