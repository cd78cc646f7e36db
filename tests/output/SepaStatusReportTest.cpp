// The bank's status report read against a record written in memory: which payments it counts as
// accepted, rejected or pending (also those it does not list), what it tells of them, and the
// input it refuses.

#include "output/StatusReport.h"
#include "support/FaultyFileSystem.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace velcor::output {
namespace {

constexpr const char* kFolder = "/data";
constexpr const char* kId = "VC20260115100000-0000000000AB";
constexpr const char* kReport = "/report.xml";

void writeRecord(fileio::FileSystem& fs) {
    SepaRecorder recorder(fs, kFolder);
    ASSERT_TRUE(recorder.begin(
        {kId, PainVersion::v09, "/O150126P.1DP", {2026, 1, 15, 0, 0, 0, true}, 3, 6000}));
    for (int row = 1; row <= 3; ++row)
        ASSERT_TRUE(recorder.add({"ID-" + std::to_string(row), row, row * 1000,
                                  "Name " + std::to_string(row), "BG80BNBG96611020345678",
                                  "row " + std::to_string(row) + "\n"}));
    ASSERT_TRUE(recorder.finish({1, {}}, false));
    ASSERT_TRUE(recorder.place());
}

// A report of the record's export: the group's part, then the block's (empty: no block).
std::string report(const std::string& group, const std::string& block,
                   const std::string& version = "10") {
    std::string xml =
        "<?xml version=\"1.0\"?><Document "
        "xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.002.001." +
        version +
        "\"><CstmrPmtStsRpt><GrpHdr><MsgId>B1</MsgId><CreDtTm>2026-01-16T10:00:00"
        "</CreDtTm></GrpHdr><OrgnlGrpInfAndSts><OrgnlMsgId>" +
        std::string(kId) + "</OrgnlMsgId><OrgnlMsgNmId>pain.001.001.09</OrgnlMsgNmId>" + group +
        "</OrgnlGrpInfAndSts>";
    if (!block.empty())
        xml +=
            "<OrgnlPmtInfAndSts><OrgnlPmtInfId>P1</OrgnlPmtInfId>" + block + "</OrgnlPmtInfAndSts>";
    return xml + "</CstmrPmtStsRpt></Document>";
}

std::string tx(int row, const std::string& status, const std::string& rest = "") {
    return "<TxInfAndSts><OrgnlEndToEndId>ID-" + std::to_string(row) + "</OrgnlEndToEndId><TxSts>" +
           status + "</TxSts>" + rest + "</TxInfAndSts>";
}

// Which payments count as what, listed or not, and which are told (by row).
TEST(SepaStatusReport, PaymentsCountByTheirOwnStatusOrTheirGroups) {
    struct Case {
        const char* what;
        std::string xml;
        std::int64_t accepted, rejected, pending;
        PaymentState groupState;
        std::vector<std::int64_t> told;  // rows, in the order told
    };
    const std::vector<Case> cases = {
        {"a group accepted",
         report("<GrpSts>ACSC</GrpSts>", ""),
         3,
         0,
         0,
         PaymentState::accepted,
         {}},
        {"a group rejected: every row, none listed",
         report("<GrpSts>RJCT</GrpSts>", ""),
         0,
         3,
         0,
         PaymentState::rejected,
         {1, 2, 3}},
        {"partly: the rows not listed are accepted",
         report("<GrpSts>PART</GrpSts>", tx(2, "RJCT")),
         2,
         1,
         0,
         PaymentState::partly,
         {2}},
        {"the block's status for those not listed",
         report("", "<PmtInfSts>RCVD</PmtInfSts>" + tx(3, "RJCT") + tx(1, "ACCP")),
         1,
         1,
         1,
         PaymentState::partly,
         {3, 2}},
        {"no status anywhere: not known to be accepted",
         report("", tx(1, "ACCP")),
         1,
         0,
         2,
         PaymentState::pending,
         {2, 3}},
        {"all listed, no group status",
         report("", tx(1, "ACCP") + tx(2, "ACWC") + tx(3, "ACSP")),
         3,
         0,
         0,
         PaymentState::accepted,
         {}},
        {"a code not in the list is not taken for accepted",
         report("<GrpSts>ACCP</GrpSts>", tx(1, "ZZZZ")),
         2,
         0,
         1,
         PaymentState::accepted,
         {1}},
        {"cancelled and blocked",
         report("", tx(1, "CANC") + tx(2, "BLCK") + tx(3, "ACCC")),
         1,
         1,
         1,
         PaymentState::partly,
         {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem fs;
        writeRecord(fs);
        fs.files[kReport] = c.xml;
        std::vector<std::int64_t> told;
        StatusReadOptions options;
        options.payments = [&](const PaymentStatusLine& line) { told.push_back(line.row); };
        const StatusReport read = readStatusReport(fs, kReport, kFolder, options);
        ASSERT_EQ(read.error, StatusReportError::none) << read.complaint;
        EXPECT_EQ(read.accepted, c.accepted);
        EXPECT_EQ(read.rejected, c.rejected);
        EXPECT_EQ(read.pending, c.pending);
        EXPECT_EQ(read.groupState, c.groupState);
        EXPECT_EQ(told, c.told);
        EXPECT_EQ(read.payments.size(), c.told.size());
    }
}

// What a payment's line carries: its record's values, the reasons and the bank's text; amounts
// compared to the cent whatever their digits.
TEST(SepaStatusReport, ALineCarriesTheRecordsValuesTheReasonsAndTheText) {
    testing::MemoryFileSystem fs;
    writeRecord(fs);
    fs.files[kReport] = report(
        "<GrpSts>PART</GrpSts>",
        tx(2, "RJCT",
           "<StsRsnInf><Rsn><Cd>AC04</Cd></Rsn><AddtlInf>ONE</AddtlInf><AddtlInf>TWO "
           "\xD0\x9F</AddtlInf></StsRsnInf><StsRsnInf><Rsn><Prtry>BANK7</Prtry></Rsn></StsRsnInf>"
           "<OrgnlTxRef><Amt><InstdAmt Ccy=\"EUR\">20.000</InstdAmt></Amt></OrgnlTxRef>") +
            tx(3, "ACCP",
               "<OrgnlTxRef><Amt><InstdAmt Ccy=\"EUR\">30.001</InstdAmt></Amt></OrgnlTxRef>") +
            tx(1, "ACCP",
               "<OrgnlTxRef><Amt><InstdAmt Ccy=\"USD\">10</InstdAmt></Amt></OrgnlTxRef>"));
    const StatusReport read = readStatusReport(fs, kReport, kFolder);
    ASSERT_EQ(read.error, StatusReportError::none) << read.complaint;
    ASSERT_EQ(read.payments.size(), 1u);
    const PaymentStatusLine& line = read.payments[0];
    EXPECT_EQ(line.row, 2);
    EXPECT_EQ(line.name, "Name 2");
    EXPECT_EQ(line.amount, 2000);
    EXPECT_EQ(line.status, "RJCT");
    EXPECT_EQ(line.state, PaymentState::rejected);
    EXPECT_EQ(line.reasons, (std::vector<std::string>{"AC04", "BANK7"}));
    EXPECT_EQ(line.additionalText, "ONE TWO \xCF");  // UTF-8 П as Windows-1251
    // 20.000 is the amount written; 30.001 and an amount in dollars are not.
    ASSERT_EQ(read.mismatches.size(), 2u);
    EXPECT_EQ(read.mismatches[0].kind, StatusMismatchKind::amountDiffers);
    EXPECT_EQ(read.mismatches[0].row, 3);
    EXPECT_EQ(read.mismatches[0].exported, "30.00");
    EXPECT_EQ(read.mismatches[1].row, 1);
}

TEST(SepaStatusReport, CountsThatDoNotAddUpAreMismatches) {
    struct Case {
        const char* what;
        std::string xml;
        std::vector<StatusMismatchKind> kinds;
    };
    const std::vector<Case> cases = {
        {"the group's count",
         report("<OrgnlNbOfTxs>2</OrgnlNbOfTxs><GrpSts>ACCP</GrpSts>", ""),
         {StatusMismatchKind::countDiffers}},
        {"the block's count",
         report("<GrpSts>ACCP</GrpSts>", "<OrgnlNbOfTxs>4</OrgnlNbOfTxs>"),
         {StatusMismatchKind::countDiffers}},
        {"counts per status that miss a payment",
         report("<GrpSts>PART</GrpSts><NbOfTxsPerSts><DtldNbOfTxs>1</DtldNbOfTxs><DtldSts>RJCT"
                "</DtldSts></NbOfTxsPerSts><NbOfTxsPerSts><DtldNbOfTxs>1</DtldNbOfTxs><DtldSts>ACCP"
                "</DtldSts></NbOfTxsPerSts>",
                tx(1, "RJCT")),
         {StatusMismatchKind::statusCountsDiffer}},
        {"more listed of a status than counted",
         report("<GrpSts>PART</GrpSts><NbOfTxsPerSts><DtldNbOfTxs>1</DtldNbOfTxs><DtldSts>RJCT"
                "</DtldSts></NbOfTxsPerSts><NbOfTxsPerSts><DtldNbOfTxs>2</DtldNbOfTxs><DtldSts>ACCP"
                "</DtldSts></NbOfTxsPerSts>",
                tx(1, "RJCT") + tx(2, "RJCT")),
         {StatusMismatchKind::statusCountsDiffer}},
        {"counts that agree",
         report("<OrgnlNbOfTxs>3</OrgnlNbOfTxs><GrpSts>ACCP</GrpSts>", ""),
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        testing::MemoryFileSystem fs;
        writeRecord(fs);
        fs.files[kReport] = c.xml;
        const StatusReport read = readStatusReport(fs, kReport, kFolder);
        ASSERT_EQ(read.error, StatusReportError::none) << read.complaint;
        std::vector<StatusMismatchKind> kinds;
        for (const StatusMismatch& m : read.mismatches) kinds.push_back(m.kind);
        EXPECT_EQ(kinds, c.kinds);
    }
}

// A file of 2 GB is refused before it is read; one that cannot be read says so.
TEST(SepaStatusReport, AHugeOrUnreadableReportIsRefused) {
    testing::TempDir dir;
    const std::string huge = dir.file("huge.xml");
    testing::writeFileBytes(huge, "<");
    std::filesystem::resize_file(huge, std::uintmax_t{2} << 30);
    EXPECT_EQ(readStatusReport(fileio::standardFileSystem(), huge, kFolder).error,
              StatusReportError::tooLarge);

    testing::MemoryFileSystem memory;
    writeRecord(memory);
    memory.files[kReport] = report("<GrpSts>ACCP</GrpSts>", "");
    testing::FaultyFileSystem fs(memory);
    fs.failFromCall(testing::FaultyFileSystem::Step::read);
    EXPECT_EQ(readStatusReport(fs, kReport, kFolder).error, StatusReportError::readError);
    EXPECT_EQ(readStatusReport(memory, "/missing.xml", kFolder).error,
              StatusReportError::cannotOpen);
    memory.files.erase(*sepaRecordPath(kFolder, kId));
    EXPECT_EQ(readStatusReport(memory, kReport, kFolder).error, StatusReportError::unknownExport);
}

TEST(SepaStatusReport, EveryStatusCodeOfTheListHasItsTextAndState) {
    for (const char* code : {"ACCC", "ACCP", "ACSC", "ACSP", "ACTC", "ACWC", "ACWP", "ACFC"}) {
        EXPECT_EQ(paymentStatusText(code).state, PaymentState::accepted) << code;
        EXPECT_FALSE(paymentStatusText(code).text.empty()) << code;
    }
    EXPECT_EQ(paymentStatusText("RJCT").state, PaymentState::rejected);
    EXPECT_EQ(paymentStatusText("PART").state, PaymentState::partly);
    for (const char* code : {"PDNG", "RCVD", "PATC", "BLCK", "PRES"})
        EXPECT_EQ(paymentStatusText(code).state, PaymentState::pending) << code;
    EXPECT_FALSE(paymentStatusText("XXXX").known);
    for (const char* code :
         {"AC01", "AC04", "AC06", "AG01", "AM04", "AM05", "BE04", "FF01", "MD07", "MS02",
          "MS03", "RC01", "RR01", "RR02", "RR03", "RR04", "DT01", "CNOR", "DNOR", "NARR"})
        EXPECT_TRUE(statusReasonText(code).has_value()) << code;
    EXPECT_FALSE(statusReasonText("ZZ99").has_value());
}

}  // namespace
}  // namespace velcor::output
