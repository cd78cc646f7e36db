// What a bank may ask of a SEPA file beyond the payments: the payer's EIK as the initiating
// party's id, batch booking, and a row's creditor reference in place of its text; each where its
// version's schema wants it, and a reference or id that fails its check refused.

#include "output/SepaExport.h"
#include "output/SepaSchema.h"
#include "processing/Scan.h"
#include "support/ListFormats.h"
#include "support/MemoryFileSystem.h"
#include "support/SepaFileReader.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace velcor::output {
namespace {

using namespace text::literals;

constexpr const char* kList = "O150126P.1DP";
constexpr const char* kOut = "out.xml";

const settings::FormatDefinition kFormat =
    testing::delimitedFormat("DP", ';', {"IBAN", "NAME", "SUM", "REASON", "rf"});

SepaFileData fileData(PainVersion version, std::string initiatorId = {},
                      std::optional<bool> batchBooking = {}) {
    SepaFileData data;
    data.choices = {version, false, "", std::move(initiatorId), batchBooking};
    data.payer = {"BG48 BNBG 9661 8000 1234 56", "BNBGBGSD", "Фирма ООД"_cp};
    data.executionDate = {2026, 1, 15};
    data.created = {2026, 1, 14, 9, 30, 5};
    data.unique = 0xABCDEF123456ull;
    data.listPath = kList;
    return data;
}

SepaList checked(fileio::FileSystem& fs) {
    const processing::ScanResult scan = processing::scanPaymentFile(fs, kList, &kFormat, ';');
    EXPECT_TRUE(scan.rowFindings.empty())
        << (scan.rowFindings.kept.empty() ? "" : scan.rowFindings.kept[0].text);
    return {
        kList, &kFormat, ';', scan.stamp, scan.controlData.recordCount, scan.controlData.totalSum};
}

std::string row(const std::string& reason, const std::string& reference) {
    return "BG80BNBG96611020345678;Ivan Petrov;12.50;" + reason + ";" + reference + "\r\n";
}

// The file written of `rows`, validated by the export and again by the test's reader.
std::optional<testing::SepaFileRead> written(testing::MemoryFileSystem& fs, const std::string& rows,
                                             const SepaFileData& data) {
    fs.files[kList] = rows;
    const SepaWritten result = writeSepaFile(fs, kOut, checked(fs), data);
    EXPECT_EQ(result.result, SepaWritten::Result::ok) << result.complaint;
    EXPECT_FALSE(schemaViolation(data.choices.version, fs.files[kOut]));
    auto file = testing::readSepaFile(fs.files[kOut]);
    if (file) {
        EXPECT_EQ(testing::sepaRuleFaults(*file), std::vector<std::string>{});
    }
    return file;
}

TEST(SepaHeader, TheInitiatorsIdAndBatchBookingAreWrittenOnlyWhenGiven) {
    const struct {
        const char* what;
        std::string initiatorId;
        std::optional<bool> batchBooking;
        std::string idWritten;  // empty: no Id element
        std::string booking;    // empty: no BtchBookg element
    } cases[] = {
        {"neither", "", std::nullopt, "", ""},
        {"an EIK of nine digits", "831641791", std::nullopt, "831641791", ""},
        {"one of thirteen, grouped", "121234566-123 7", std::nullopt, "1212345661237", ""},
        {"batch booking asked for", "", true, "", "true"},
        {"batch booking refused, with an EIK", "175042338", false, "175042338", "false"},
    };
    for (const PainVersion version : {PainVersion::v09, PainVersion::v03}) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(c.what) + " " + std::string(painVersionName(version)));
            testing::MemoryFileSystem fs;
            const auto file = written(fs, row("Zaplata", "") + row("Bonus", ""),
                                      fileData(version, c.initiatorId, c.batchBooking));
            ASSERT_TRUE(file.has_value());
            EXPECT_EQ(file->initiatingName, "Firma OOD");
            EXPECT_EQ(file->initiatingId, c.idWritten);
            EXPECT_EQ(file->initiatingIds, c.idWritten.empty() ? 0 : 1);
            EXPECT_EQ(file->batchBooking, c.booking);
        }
    }
}

TEST(SepaHeader, AnInitiatorsIdMustBeAnEikWithItsCheckDigits) {
    const struct {
        const char* id;
        bool taken;
    } cases[] = {
        {"831641791", true},
        {"123456786", true},
        {"831 641 791", true},
        {"1212345661237", true},
        {"831641792", false},      // the check digit wrong
        {"1212345661238", false},  // the thirteenth wrong
        // Its thirteenth right, its ninth not: the register check alone would take it.
        {"1212345671239", false},
        {"83164179", false},
        {"8316417910", false},
        {"BG831641791", false},
        {"83164179l", false},
        {"", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(isInitiatorId(c.id), c.taken);
    }
}

TEST(SepaHeader, ACreditorReferenceIsCheckedByIts97Remainder) {
    const struct {
        const char* text;
        std::string compact;
        bool valid;
    } cases[] = {
        {"RF18539007547034", "RF18539007547034", true},
        {"RF18 5390 0754 7034", "RF18539007547034", true},  // as printed, in groups of four
        {"rf18 5390 0754 7034", "RF18539007547034", true},
        {"RF47abc123", "RF47ABC123", true},
        {"RF741", "RF741", true},
        {"RF18000000000539007547034", "RF18000000000539007547034", true},
        {"RF47AAAAAAAAAAAAAAAAAAAAA", "RF47AAAAAAAAAAAAAAAAAAAAA", true},
        {"RF47AAAAAAAAAAAAAAAAAAAAAA", "RF47AAAAAAAAAAAAAAAAAAAAAA", false},  // 22 after RF47
        {"RF19539007547034", "RF19539007547034", false},
        {"RF81539007547034", "RF81539007547034", false},  // two digits swapped
        {"RF18539007547043", "RF18539007547043", false},
        {"RF18", "RF18", false},
        {"RX18539007547034", "RX18539007547034", false},
        {"18539007547034", "18539007547034", false},
        {"RF1A539007547034", "RF1A539007547034", false},
        {"RF18-5390-0754-7034", "RF18-5390-0754-7034", false},
        // Check digits that a remainder of 1 allows but none computes: 00, 01 and 99 read by 97
        // as 97, 98 and 02 do.
        {"RF9772", "RF9772", true},
        {"RF0072", "RF0072", false},
        {"RF9854", "RF9854", true},
        {"RF0154", "RF0154", false},
        {"RF0236", "RF0236", true},
        {"RF9936", "RF9936", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(compactCreditorReference(c.text), c.compact);
        EXPECT_EQ(isCreditorReference(compactCreditorReference(c.text)), c.valid);
    }
}

// A row's reference goes as the structured remittance, and its text is not sent then; the review
// tells of the text kept out. A row without one sends its text as before.
TEST(SepaHeader, AReferenceTakesTheTextsPlaceInBothVersions) {
    const std::string rows = row("Faktura 17", "rf18 5390 0754 7034") + row("", "RF47ABC123") +
                             row("Zaplata", "") + row("", "");
    const struct {
        std::string reference;
        std::string remittance;
        int structured;
        int unstructured;
        bool dropped;
    } expected[] = {
        {"RF18539007547034", "", 1, 0, true},
        {"RF47ABC123", "", 1, 0, false},
        {"", "Zaplata", 0, 1, false},
        {"", "", 0, 0, false},
    };
    for (const PainVersion version : {PainVersion::v09, PainVersion::v03}) {
        SCOPED_TRACE(painVersionName(version));
        testing::MemoryFileSystem fs;
        const auto file = written(fs, rows, fileData(version));
        ASSERT_TRUE(file.has_value());
        ASSERT_EQ(file->transactions.size(), std::size(expected));
        const SepaReview review = reviewSepaList(fs, checked(fs), version);
        ASSERT_EQ(review.names.shown.size(), std::size(expected));
        for (std::size_t i = 0; i < std::size(expected); ++i) {
            SCOPED_TRACE(i + 1);
            const testing::SepaFileRead::Transaction& t = file->transactions[i];
            EXPECT_EQ(t.reference, expected[i].reference);
            EXPECT_EQ(t.referenceType, expected[i].reference.empty() ? "" : "SCOR");
            EXPECT_EQ(t.remittance, expected[i].remittance);
            EXPECT_EQ(t.structured, expected[i].structured);
            EXPECT_EQ(t.unstructured, expected[i].unstructured);
            EXPECT_EQ(review.names.shown[i].creditorReference, expected[i].reference);
            EXPECT_EQ(review.names.shown[i].remittanceDropped, expected[i].dropped);
        }
    }
}

// A reference that fails its check stops the file at its row, by the review and the write alike.
TEST(SepaHeader, ARowWithABadReferenceIsARowFault) {
    const struct {
        const char* what;
        std::string reference;
    } cases[] = {
        {"a wrong check digit", "RF19539007547034"},
        {"too long", "RF47AAAAAAAAAAAAAAAAAAAAAA"},
        {"no RF", "539007547034"},
        {"Cyrillic letters", std::string("RF18 АБВ"_cp)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem fs;
        fs.files[kList] = row("A", "RF741") + row("B", c.reference) + row("C", "");
        const SepaList list = checked(fs);
        const SepaReview review = reviewSepaList(fs, list, PainVersion::v09);
        const SepaWritten write = writeSepaFile(fs, kOut, list, fileData(PainVersion::v03));
        for (const std::optional<SepaRowFault>& fault : {review.fault, write.fault}) {
            ASSERT_TRUE(fault.has_value());
            EXPECT_EQ(fault->problem, SepaRowProblem::creditorReference);
            EXPECT_EQ(fault->row, 2);
        }
        EXPECT_EQ(write.listError, SepaListError::rowFault);
        EXPECT_EQ(fs.files.count(kOut), 0u);
    }
}

// Past the names' bound, a row whose text its reference kept out stays in sight, and one left
// out is counted apart from the cuts.
TEST(SepaHeader, RowsWhoseTextIsKeptOutAreCountedPastTheBound) {
    SepaNames kept;
    for (std::int64_t i = 1; i <= 2003; ++i) {
        SepaPayment p;
        p.row = i;
        p.writtenName = p.name = "Ivan";
        p.remittanceDropped = i > 1001;
        kept.add(p);
    }
    ASSERT_EQ(kept.shown.size(), SepaNames::kShown);
    EXPECT_EQ(kept.shown.front().row, 1002);
    EXPECT_EQ(kept.leftOut, 1003);
    EXPECT_EQ(kept.droppedLeftOut, 2);
    EXPECT_EQ(kept.cutsLeftOut, 0);
}

}  // namespace
}  // namespace velcor::output
