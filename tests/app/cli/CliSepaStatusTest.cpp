// velcor-cli status: a list exported as a SEPA file on the real file system, then answered by
// status reports of every kind (each checked by xmllint against the shipped schema where it is
// installed), read back with the rows, texts, exit statuses and rejected lists they must give.

#include "app/cli/CliRun.h"
#include "output/PrepareHistory.h"
#include "output/SepaRecord.h"
#include "support/SepaFileReader.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace velcor::app::cli {
namespace {

// One payment as a report answers it.
struct Tx {
    int row;  // 1..4 of the example list; 0: an id the export never wrote
    std::string status;
    std::string reason;  // empty: none
    std::string text;    // AddtlInf; empty: none
    std::string amount;  // OrgnlTxRef's; empty: none
    std::string iban;    // OrgnlTxRef's; empty: none
};

// The tables of reports name only the fields a case sets; the rest keep their defaults.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

struct Report {
    std::string version = "10";  // "10" or "03"
    std::string groupStatus;     // empty: none
    std::string groupReason;
    std::vector<Tx> txs;
    std::string count;      // OrgnlNbOfTxs; empty: none
    std::string messageId;  // empty: the export's
    std::string prolog;     // before the root element
};

class CliSepaStatus : public ::testing::Test {
  protected:
    CliSepaStatus() {
        const std::string examples = VELCOR_EXAMPLES_DIR;
        list = dir.file("O150126P.1DP");
        original = testing::readFileBytes(examples + "/O081206P.1DP");
        testing::writeFileBytes(list, original);
        testing::writeFileBytes(dir.file("omp.ini"), testing::readFileBytes(examples + "/omp.ini"));
    }

    int run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "velcor-cli");
        out.str("");
        err.str("");
        return runCommandLine(arguments, out, err, fileio::standardFileSystem());
    }

    // Exports the list in `version` ("09" or "03"); its message id and end-to-end ids.
    void exportList(const std::string& version = "09") {
        ASSERT_EQ(run({"sepa", "--ini", dir.file("omp.ini"), "--pain", version, "--out",
                       dir.file("list.xml"), list}),
                  0)
            << err.str();
        const auto file = testing::readSepaFile(testing::readFileBytes(dir.file("list.xml")));
        ASSERT_TRUE(file.has_value());
        messageId = file->messageId;
        ids.clear();
        for (const auto& tx : file->transactions) ids.push_back(tx.endToEndId);
    }

    std::string reportXml(const Report& r) const {
        const bool v10 = r.version == "10";
        std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n" + r.prolog;
        xml += "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.002.001." + r.version +
               "\"><CstmrPmtStsRpt><GrpHdr><MsgId>BANK-1</MsgId>"
               "<CreDtTm>2026-01-16T10:00:00</CreDtTm></GrpHdr><OrgnlGrpInfAndSts><OrgnlMsgId>" +
               (r.messageId.empty() ? messageId : r.messageId) + "</OrgnlMsgId><OrgnlMsgNmId>" +
               (v10 ? "pain.001.001.09" : "pain.001.001.03") + "</OrgnlMsgNmId>";
        if (!r.count.empty()) xml += "<OrgnlNbOfTxs>" + r.count + "</OrgnlNbOfTxs>";
        if (!r.groupStatus.empty()) xml += "<GrpSts>" + r.groupStatus + "</GrpSts>";
        if (!r.groupReason.empty())
            xml += "<StsRsnInf><Rsn><Cd>" + r.groupReason + "</Cd></Rsn></StsRsnInf>";
        xml += "</OrgnlGrpInfAndSts>";
        if (!r.txs.empty()) {
            xml += "<OrgnlPmtInfAndSts><OrgnlPmtInfId>" + messageId + "-1</OrgnlPmtInfId>";
            for (const Tx& tx : r.txs) {
                const std::string id = tx.row == 0 ? std::string("NOT-WRITTEN-HERE")
                                                   : ids[static_cast<std::size_t>(tx.row - 1)];
                xml += "<TxInfAndSts><OrgnlEndToEndId>" + id + "</OrgnlEndToEndId><TxSts>" +
                       tx.status + "</TxSts>";
                if (!tx.reason.empty() || !tx.text.empty()) {
                    xml += "<StsRsnInf>";
                    if (!tx.reason.empty()) xml += "<Rsn><Cd>" + tx.reason + "</Cd></Rsn>";
                    if (!tx.text.empty()) xml += "<AddtlInf>" + tx.text + "</AddtlInf>";
                    xml += "</StsRsnInf>";
                }
                if (!tx.amount.empty() || !tx.iban.empty()) {
                    xml += "<OrgnlTxRef>";
                    if (!tx.amount.empty())
                        xml += "<Amt><InstdAmt Ccy=\"EUR\">" + tx.amount + "</InstdAmt></Amt>";
                    if (!tx.iban.empty())
                        xml += "<CdtrAcct><Id><IBAN>" + tx.iban + "</IBAN></Id></CdtrAcct>";
                    xml += "</OrgnlTxRef>";
                }
                xml += "</TxInfAndSts>";
            }
            xml += "</OrgnlPmtInfAndSts>";
        }
        return xml + "</CstmrPmtStsRpt></Document>\n";
    }

    // Writes the report and, where xmllint is installed, has it say whether the schema takes it.
    std::string writeReport(const Report& r, bool mustBeValid = true) {
        const std::string path = dir.file("report.xml");
        testing::writeFileBytes(path, reportXml(r));
        if (mustBeValid && std::string(VELCOR_XMLLINT) != "") {
            const std::string command = std::string(VELCOR_XMLLINT) + " --noout --schema '" +
                                        VELCOR_SCHEMA_DIR + "/pain.002.001." + r.version +
                                        ".xsd' '" + path + "' 2>/dev/null";
            EXPECT_EQ(std::system(command.c_str()), 0) << reportXml(r);
        }
        return path;
    }

    // The rows of the original list, by their numbers, as it held them.
    std::string rows(std::vector<int> numbers) const {
        std::vector<std::string> lines;
        std::size_t start = 0;
        while (start < original.size()) {
            const std::size_t lf = original.find('\n', start);
            lines.push_back(original.substr(start, lf - start + 1));
            start = lf + 1;
        }
        std::string rows;
        for (const int n : numbers) rows += lines[static_cast<std::size_t>(n - 1)];
        return rows;
    }

    bool printed(const std::string& text) const {
        return out.str().find(text) != std::string::npos;
    }

    testing::TempDir dir;
    std::string list;
    std::string original;
    std::string messageId;
    std::vector<std::string> ids;
    std::ostringstream out;
    std::ostringstream err;
};

// Reports of every kind, in both versions: the exit status, the lines told and the rows the
// rejected list holds, byte for byte as the list held them.
TEST_F(CliSepaStatus, EveryKindOfReportTellsItsPaymentsAndWritesTheRejectedRows) {
    struct Case {
        const char* what;
        Report report;
        int exitCode;
        std::vector<std::string> lines;  // printed, in this order
        std::vector<int> rejectedRows;   // the rejected list's; none: not written
        std::string json = {};           // a piece of the JSON object
    };
    const std::vector<Case> cases = {
        {"all accepted", {"10", "ACCP", "", {}, "4"}, 0, {"приет след проверка на профила"}, {}},
        {"rejected by its date, .03 (whose schema knows only RJCT for a group)",
         {"03", "RJCT", "DT01", {}, "4"},
         1,
         {"отхвърлен (RJCT)", "Причина: DT01 невалидна дата"},
         {1, 2, 3, 4}},
        {"all rejected with a group reason",
         {"10", "RJCT", "FF01", {}, "4"},
         1,
         {"отхвърлен (RJCT)", "Причина: FF01 невалиден формат на файла",
          "Ред 1: Ivan Petrov, BG80BNBG96611020345678, 1250.00 EUR: отхвърлен (RJCT)",
          "Ред 4: Agro AD"},
         {1, 2, 3, 4}},
        {"partly: two rejected by account and funds, the rest accepted",
         {"10",
          "PART",
          "",
          {{2, "RJCT", "AC04", "", "830.45", "BG95UNCR70001523456789"},
           {4, "RJCT", "AM04", "NO FUNDS ON 16.01", "", ""}}},
         1,
         {"частично приет (PART)", "Приети: 2, отхвърлени: 2, в обработка: 0",
          "Ред 2: Maria Ivanova, BG95UNCR70001523456789, 830.45 EUR: отхвърлен (RJCT); AC04 "
          "закрита сметка",
          "Ред 4: Agro AD, BG72RZBB91551012345678, 95.60 EUR: отхвърлен (RJCT); AM04 "
          "недостатъчна наличност; NO FUNDS ON 16.01"},
         {2, 4},
         "\"accepted\": 2, \"rejected\": 2, \"pending\": 0, \"payments\": [{\"row\": 2, "
         "\"endToEndId\": \"O150126P.1DP-"},
        {"pending with the regulatory and narrative classes",
         {"10",
          "PDNG",
          "",
          {{1, "PDNG", "RR04", "", "", ""}, {3, "RJCT", "NARR", "CHECK NAME", "", ""}}},
         1,
         {"в обработка (PDNG); RR04 регулаторна причина",
          "Ред 3: Stroy EOOD, BG21STSA93000012345678, 4100.10 EUR: отхвърлен (RJCT); NARR",
          "Ред 2: Maria Ivanova, BG95UNCR70001523456789, 830.45 EUR: в обработка (PDNG) "
          "(състоянието на файла)"},
         {3}},
        {"a code the list does not describe",
         {"10", "RJCT", "ZZ99", {}},
         1,
         {"ZZ99 код без описание"},
         {1, 2, 3, 4}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        exportList(c.report.version == "10" ? "09" : "03");
        const std::string report = writeReport(c.report);
        const std::string rejected = dir.file("rejected.1DP");
        std::filesystem::remove(rejected);
        EXPECT_EQ(run({"status", "--rejected-list", rejected, report}), c.exitCode) << err.str();
        std::size_t at = 0;
        for (const std::string& line : c.lines) {
            const std::size_t found = out.str().find(line, at);
            EXPECT_NE(found, std::string::npos) << line << "\n" << out.str();
            if (found != std::string::npos) at = found;
        }
        if (c.rejectedRows.empty()) {
            EXPECT_FALSE(std::filesystem::exists(rejected));
        } else {
            EXPECT_EQ(testing::readFileBytes(rejected), rows(c.rejectedRows));
        }
        EXPECT_EQ(run({"--json", "status", report}), c.exitCode);
        EXPECT_TRUE(printed("\"command\": \"status\"")) << out.str();
        EXPECT_TRUE(printed("\"exitCode\": " + std::to_string(c.exitCode) + "}")) << out.str();
        EXPECT_TRUE(printed(c.json)) << out.str();
        if (!c.rejectedRows.empty()) {
            EXPECT_TRUE(
                printed("\"status\": \"RJCT\", \"state\": \"rejected\", "
                        "\"statusText\": \"отхвърлен (RJCT)\""))
                << out.str();
        }
    }
}

// What does not agree with the export is said, and the run does not end as all accepted.
TEST_F(CliSepaStatus, MismatchesAreSaid) {
    struct Case {
        const char* what;
        Report report;
        std::string line;
    };
    const std::vector<Case> cases = {
        {"an id the export did not write",
         {"10", "PART", "", {{0, "RJCT", "AC01", "", "", ""}}},
         "Несъответствие: плащане NOT-WRITTEN-HERE не е във файла."},
        {"another amount",
         {"10", "ACCP", "", {{1, "ACCP", "", "", "1250.01", ""}}},
         "сумата в отговора е 1250.01, във файла 1250.00."},
        {"another IBAN",
         {"10", "ACCP", "", {{1, "ACCP", "", "", "", "BG95UNCR70001523456789"}}},
         "IBAN в отговора е BG95UNCR70001523456789, във файла BG80BNBG96611020345678."},
        {"another count",
         {"10", "ACCP", "", {}, "5"},
         "броят плащания в отговора е 5, във файла 4."},
    };
    exportList();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(run({"status", writeReport(c.report)}), 1);
        EXPECT_TRUE(printed(c.line)) << out.str();
    }
}

// Input that is no status report of a known export is told in words, ends with 2 and writes
// nothing.
TEST_F(CliSepaStatus, BadInputIsToldAndChangesNothing) {
    exportList();
    const std::string lol =
        "<!DOCTYPE Document [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]>\n";
    struct Case {
        const char* what;
        std::string bytes;  // empty: the report of `report`
        Report report;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"a SEPA payment file",
         testing::readFileBytes(dir.file("list.xml")),
         {},
         "е SEPA платежен файл (urn:iso:std:iso:20022:tech:xsd:pain.001.001.09)"},
        {"another document",
         "<?xml version=\"1.0\"?><html xmlns=\"x:y\"/>",
         {},
         "не е отговор на банката (pain.002): документът е x:y"},
        {"another version",
         "<Document xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.002.001.12\"/>",
         {},
         "версия, която програмата не познава (urn:iso:std:iso:20022:tech:xsd:pain.002.001.12)"},
        {"cut short", "", {"10", "ACCP", "", {}, "4"}, "не е цял и правилен XML документ"},
        {"an external entity",
         "",
         {"10", "ACCP", "", {}, "", "", "<!DOCTYPE Document SYSTEM \"file:///etc/passwd\">\n"},
         "съдържа декларация DOCTYPE"},
        {"nested entities", "", {"10", "ACCP", "", {}, "", "", lol}, "съдържа декларация DOCTYPE"},
        {"an unknown export",
         "",
         {"10", "ACCP", "", {}, "", "VC20990101000000-000000000000"},
         "не е записан с тази програма от този потребител"},
        {"a payment twice",
         "",
         {"10", "PART", "", {{1, "RJCT", "AC01", "", "", ""}, {1, "RJCT", "AC01", "", "", ""}}},
         "съдържа плащането"},
        {"not valid under the schema",
         "",
         {"10", "XXXXX", "", {}, ""},
         "не отговаря на схемата на pain.002.001.10"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string report = dir.file("bad.xml");
        std::string bytes = c.bytes.empty() ? reportXml(c.report) : c.bytes;
        if (std::string(c.what) == "cut short") bytes.resize(bytes.size() / 2);
        testing::writeFileBytes(report, bytes);
        const std::string rejected = dir.file("rejected.1DP");
        EXPECT_EQ(run({"status", "--rejected-list", rejected, report}), 2) << out.str();
        EXPECT_NE(err.str().find(c.error), std::string::npos) << err.str();
        EXPECT_EQ(out.str(), "");
        EXPECT_FALSE(std::filesystem::exists(rejected));
        EXPECT_EQ(run({"--json", "status", report}), 2);
        EXPECT_TRUE(printed("\"exitCode\": 2")) << out.str();
    }
}

// The rejected list never replaces a file; a record let go is told as such.
TEST_F(CliSepaStatus, TheRejectedListNeverReplacesAFileAndARecordLetGoIsTold) {
    exportList();
    const std::string report = writeReport({"10", "RJCT", "AC06", {}, "4"});
    const std::string taken = dir.file("taken.1DP");
    testing::writeFileBytes(taken, "mine");
    EXPECT_EQ(run({"status", "--rejected-list", taken, report}), 3);
    EXPECT_NE(err.str().find("вече съществува и не се презаписва"), std::string::npos) << err.str();
    EXPECT_EQ(testing::readFileBytes(taken), "mine");

#ifndef _WIN32
    // Like every file written beside a list, the new list is no more open than the list.
    std::filesystem::permissions(list, std::filesystem::perms::owner_read |
                                           std::filesystem::perms::owner_write |
                                           std::filesystem::perms::group_read);
    const std::string fresh = dir.file("fresh.1DP");
    EXPECT_EQ(run({"status", "--rejected-list", fresh, report}), 1);
    EXPECT_EQ(std::filesystem::status(fresh).permissions() & std::filesystem::perms::all,
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                  std::filesystem::perms::group_read);
#endif

    const std::string folder = *output::userPrepareHistoryFolder();
    output::pruneSepaRecords(fileio::standardFileSystem(), folder, {std::chrono::seconds(0), 0});
    EXPECT_EQ(run({"status", report}), 2);
    EXPECT_NE(err.str().find("чийто запис вече е изтрит"), std::string::npos) << err.str();
}

}  // namespace
}  // namespace velcor::app::cli
