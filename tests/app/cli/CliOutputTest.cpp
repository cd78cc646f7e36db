#include "app/cli/CliOutput.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>

namespace velcor::app::cli {
namespace {

using namespace velcor::text::literals;

// A list opened with two findings, one message and a report: the JSON object names each as a
// value of its own kind, never a screen's text.
TEST(CliJson, FormatTwoNamesEachValueOnce) {
    session::ListState state;
    state.inputPath = "/l/O081206P.1DP";
    state.paymentDate = {2006, 12, 8, 10, 0, 0, true};
    state.payerIban = "BG48BNBG96618000123456";
    state.payerName = "Фирма „Юг“"_cp;
    state.filePrepared = true;
    session::Result opened;
    opened.messages.push_back(session::shownMessage(session::Message::notValid));
    processing::RowFindings findings;
    findings.add(processing::FindingKind::bicMismatch, 3, "BIC %s", "\"x\"");
    findings.add(processing::FindingKind::zeroSum, 4, "%s", "Нулева сума на ред: 4"_cp.c_str());
    opened.findings = findings;
    session::Result reported;
    reported.report = "<p>R&amp;</p>";
    reported.reportFields =
        output::ReportFields{"O081206P.1DP",       state.paymentDate, "Петък"_cp, '1',       "[DP]",
                             "С разделител(;)"_cp, "     1400.00",    "4",        "42C4757F"};
    RunResult run{
        state, "DP",        "[DP] // main", {opened, reported}, {"     1400.00", "4", "42C4757F"},
        0,     std::nullopt};
    std::ostringstream out;
    writeJson(out, run);
    EXPECT_EQ(out.str(),
              "{\"format\": 2, \"file\": \"/l/O081206P.1DP\", \"paymentType\": \"DP\", "
              "\"paymentTypeEntry\": \"[DP] // main\", \"budgetRules\": \"2006\", "
              "\"valid\": false, \"prepared\": true, "
              "\"unprepared\": false, \"total\": \"1400.00\", \"count\": 4, \"controlCode\": "
              "\"42C4757F\", "
              "\"paymentDate\": \"08.12.2006\", \"payer\": {\"iban\": \"BG48BNBG96618000123456\", "
              "\"bic\": null, \"name\": \"Фирма „Юг“\", \"kind\": null, \"code\": null}, "
              "\"rowFindings\": [{\"row\": 3, \"kind\": \"bic-mismatch\", \"text\": \"BIC "
              "\\\"x\\\"\"}, {\"row\": 4, \"kind\": \"zero-sum\", \"text\": \"Нулева сума на ред: "
              "4\"}], \"rowFindingsLeftOut\": 0, \"messages\": [{\"kind\": \"not-valid\", "
              "\"text\": \"Файлът не е коректен!\"}], \"warnings\": [], \"report\": {\"html\": "
              "\"<p>R&amp;</p>\", "
              "\"fields\": {\"fileName\": \"O081206P.1DP\", \"date\": \"08.12.2006\", "
              "\"weekday\": \"Петък\", \"sequence\": \"1\", \"paymentType\": \"[DP]\", "
              "\"format\": \"С разделител(;)\", \"total\": \"1400.00\", \"count\": \"4\", "
              "\"controlCode\": \"42C4757F\"}}, \"error\": null, \"exitCode\": 0}\n");
}

// Figures the window does not show, and no payment type, are null rather than empty.
TEST(CliJson, WhatIsNotShownIsNull) {
    session::ListState state;
    state.paymentDate.valid = false;
    RunResult run{state, std::nullopt, std::nullopt, {session::Result{}}, {}, 2, "грешка"};
    std::ostringstream out;
    writeJson(out, run);
    for (const char* part :
         {"\"paymentType\": null", "\"paymentTypeEntry\": null", "\"total\": null",
          "\"count\": null", "\"controlCode\": null", "\"paymentDate\": null",
          "\"rowFindings\": []", "\"report\": null", "\"error\": \"грешка\", \"exitCode\": 2}"})
        EXPECT_NE(out.str().find(part), std::string::npos) << part << "\n" << out.str();
    EXPECT_EQ(errorJson("x", 2, {session::limitMessage(22)}),
              "{\"format\": 2, \"error\": \"x\", \"exitCode\": 2, \"messages\": [{\"kind\": "
              "\"length-limit\", \"text\": \"Please enter no more than 22 characters.\"}]}\n");
}

TEST(CliJson, StringsStayValidJsonAndTerminalsSeeNoControlCharacters) {
    const struct {
        std::string utf8;
        std::string json;
        std::string terminal;
    } cases[] = {
        {"plain", "\"plain\"", "plain"},
        {"a\"b\\c", "\"a\\\"b\\\\c\"", "a\"b\\c"},
        {"\n\r\t", "\"\\n\\r\\t\"", "\\x0a\\x0d\\x09"},
        {"\x1b[2J\x7f", "\"\\u001b[2J\\u007f\"", "\\x1b[2J\\x7f"},
        {"\xc2\x98", "\"\\u0098\"", "\\xc2\\x98"},         // a C1 control character
        {"\xff\xd0", "\"\\ufffd\\ufffd\"", "\\xff\\xd0"},  // no UTF-8
        {"Юг", "\"Юг\"", "Юг"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(jsonUtf8String(c.utf8), c.json) << c.utf8;
        EXPECT_EQ(terminalText(c.utf8), c.terminal) << c.utf8;
    }
}

}  // namespace
}  // namespace velcor::app::cli
