#include "app/cli/CliRun.h"

#include "processing/BankCalendar.h"
#include "processing/DateTime.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace velcor::app::cli {
namespace {

// velcor-cli run in-process on a file system in memory, holding the example settings and lists
// under the names the run gives them.
class CliRun : public ::testing::Test {
  protected:
    CliRun() {
        for (const char* name : {"O081206P.1DP", "O081206P.2DP", "O081206P.3DP"})
            fs.files[listPath(name)] =
                testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/" + name);
        fs.files["omp.ini"] = testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/omp.ini");
    }
    // The run makes a list's path absolute before it opens it.
    static std::string listPath(const char* name) {
        return std::filesystem::absolute(name).lexically_normal().string();
    }
    int run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "velcor-cli");
        out.str("");
        err.str("");
        return runCommandLine(arguments, out, err, fs);
    }

    testing::MemoryFileSystem fs;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliRun, ChecksPreparesAndReportsOnTheFileSystemItIsGiven) {
    EXPECT_EQ(run({"check", "O081206P.1DP"}), 0);
    EXPECT_NE(out.str().find("Контролен код: 42C4757F\n"), std::string::npos) << out.str();
    EXPECT_EQ(err.str(), "");

    EXPECT_EQ(run({"--json", "check", "O081206P.2DP"}), 1);
    EXPECT_NE(out.str().find("\"kind\": \"wrong-egn\""), std::string::npos) << out.str();

    EXPECT_EQ(run({"--kind", "101", "prepare", "O081206P.1DP"}), 0);
    EXPECT_EQ(fs.files[listPath("O081206P.1DP")].substr(0, 45),
              "OMPDP;08122006;BG48BNBG96618000123456;   101;");
    EXPECT_EQ(run({"report", "O081206P.1DP"}), 0);
    EXPECT_NE(out.str().find("Проверил:"), std::string::npos);
}

// The first day after today that the bank takes, as --date spells it.
std::string nextBankDay() {
    const processing::LocalDateTime now = processing::currentLocalDateTime();
    std::chrono::sys_days day = std::chrono::sys_days{std::chrono::year_month_day{
        std::chrono::year{now.year}, std::chrono::month{static_cast<unsigned>(now.month)},
        std::chrono::day{static_cast<unsigned>(now.day)}}};
    for (;;) {
        day += std::chrono::days{1};
        const std::chrono::year_month_day ymd{day};
        const processing::CalendarDate date{static_cast<int>(ymd.year()),
                                            static_cast<int>(static_cast<unsigned>(ymd.month())),
                                            static_cast<int>(static_cast<unsigned>(ymd.day()))};
        if (processing::readValueDate(date, {now.year, now.month, now.day}).problem ==
            processing::ValueDateProblem::none)
            return text::format("%02d%02d%04d", date.day, date.month, date.year);
    }
}

// The window asks about a value date the bank may refuse; velcor-cli warns and prepares, or with
// --strict-date refuses.
// The JSON object's payer holds the values in effect after the command, trimmed: those the
// header holds or a prepare would write, or for sepa those the file names the debtor by; an
// option that went nowhere, or a value its check refused, is null.
TEST_F(CliRun, TheJsonPayerHoldsTheValuesInEffect) {
    fs.files[listPath("O081206P.1SB")] =
        testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/O081206P.1SB");
    const std::string name = "\"name\": \"Примерна фирма ООД\"";
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        std::string payer;
    } cases[] = {
        {"the kind code of a budget account, trimmed",
         {"--kind", " 101 ", "check", "O081206P.1DP"},
         "{\"iban\": \"BG48BNBG96618000123456\", \"bic\": null, " + name +
             ", \"kind\": \"101\", \"code\": null}"},
        {"a kind code with the budget type SB",
         {"--type", "SB", "--kind", "101", "check", "O081206P.1SB"},
         "{\"iban\": null, \"bic\": \"BNBGBGSD\", " + name +
             ", \"kind\": null, \"code\": \"1234563\"}"},
        {"an untrimmed budget-unit code",
         {"--type", "SB", "--code", " 70826640 ", "check", "O081206P.1SB"},
         "{\"iban\": null, \"bic\": \"BNBGBGSD\", " + name +
             ", \"kind\": null, \"code\": \"70826640\"}"},
        {"an IBAN a prepare refused",
         {"--iban", "BG00BNBG96618000123456", "prepare", "O081206P.1DP"},
         "{\"iban\": null, \"bic\": null, " + name + ", \"kind\": null, \"code\": null}"},
        {"a prepared list's header",
         {"check", "O081206P.3DP"},
         "{\"iban\": \"BG48BNBG96618000123456\", \"bic\": null, " + name +
             ", \"kind\": \"101\", \"code\": null}"},
        {"the SEPA file's debtor",
         {"--kind", "101", "sepa", "O081206P.1DP"},
         "{\"iban\": \"BG48BNBG96618000123456\", \"bic\": \"BNBGBGSD\", " + name +
             ", \"kind\": null, \"code\": null}"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.begin(), "--json");
        run(arguments);
        EXPECT_NE(out.str().find("\"payer\": " + c.payer + ", "), std::string::npos) << out.str();
    }
}

TEST_F(CliRun, AValueDateTheBankMayRefuseIsWarnedAboutOrRefused) {
    const std::string warning =
        "velcor-cli: предупреждение: Датата на МП (08.12.2006) е в миналото.\n";
    const std::string refusal =
        "velcor-cli: списъкът не е подготвен: --strict-date не приема тази дата на МП\n";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string error;  // the error stream
        std::string json;   // part of the output
    } cases[] = {
        {{"prepare"}, 0, warning, ""},
        {{"--strict-date", "prepare"}, 1, warning + refusal, ""},
        {{"--strict-date", "--date", nextBankDay(), "prepare"}, 0, "", ""},
        // A Tuesday of 2099 is no weekend or holiday, but far beyond the next three months.
        {{"--strict-date", "--date", "16062099", "prepare"},
         1,
         "velcor-cli: предупреждение: Датата на МП (16.06.2099) е след повече от 90 дни.\n" +
             refusal,
         ""},
        {{"--json", "prepare"},
         0,
         "",
         "\"messages\": [], \"warnings\": [{\"kind\": \"value-date\", \"reason\": "
         "\"in-the-past\", \"text\": \"Датата на МП (08.12.2006) е в миналото.\"}]"},
        {{"--json", "--strict-date", "prepare"},
         1,
         "",
         "\"error\": \"списъкът не е подготвен: --strict-date не приема тази дата на МП\""},
    };
    const std::string list = fs.files[listPath("O081206P.1DP")];
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        SCOPED_TRACE(::testing::PrintToString(arguments));
        fs.files[listPath("O081206P.1DP")] = list;
        arguments.push_back("O081206P.1DP");
        EXPECT_EQ(run(arguments), c.status);
        EXPECT_EQ(err.str(), c.error);
        EXPECT_NE(out.str().find(c.json), std::string::npos) << out.str();
        EXPECT_EQ(fs.files[listPath("O081206P.1DP")].starts_with("OMP"), c.status == 0);
    }
}

TEST_F(CliRun, FailuresSayWhyInTheirWordsAndExitAsDocumented) {
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string error;  // the line on the error stream
    } cases[] = {
        {{"check", "O081206P.9DP"}, 1, "velcor-cli: O081206P.9DP: няма такъв файл\n"},
        {{"report", "O081206P.1DP"}, 1, "velcor-cli: Няма отчет: файлът не е подготвен\n"},
        {{"--ini", "none.ini", "check", "O081206P.1DP"},
         2,
         "velcor-cli: не могат да се заредят настройките от none.ini: няма такъв файл\n"},
        {{"--date", "01012007", "check", "O081206P.3DP"},
         2,
         "velcor-cli: --date не се приема за подготвен файл: датата му е тази в заглавния ред\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.back());
        EXPECT_EQ(run(c.arguments), c.status);
        EXPECT_EQ(err.str(), c.error);
    }
    EXPECT_EQ(run({"--bogus"}), 2);
    EXPECT_EQ(err.str().rfind("velcor-cli: непозната опция --bogus\nУпотреба: ", 0), 0u);
    EXPECT_EQ(run({"--help"}), 0);
    EXPECT_EQ(out.str().rfind("Употреба: velcor-cli", 0), 0u);
}

// The copy it goes back to is kept by prepare in the user's folder, here the test program's own.
TEST_F(CliRun, UnpreparePutsBackWhatPrepareReplacedAndSaysWhenItCannot) {
    const std::string list = listPath("O081206P.1DP");
    const std::string original = fs.files[list];
    EXPECT_EQ(run({"--kind", "101", "prepare", "O081206P.1DP"}), 0);
    const std::string folder = std::filesystem::path(list).parent_path().string();
    EXPECT_EQ(fs.folderEntries(folder).size(), 3u) << "nothing is kept beside the list";
    EXPECT_EQ(run({"--json", "unprepare", "O081206P.1DP"}), 0);
    for (const char* part : {"\"prepared\": false, \"unprepared\": true",
                             "{\"kind\": \"prepare-undone\", \"text\": \"Подготовката е "
                             "отменена: файлът е върнат във вида си отпреди нея.\"}",
                             "\"controlCode\": \"42C4757F\"", "\"exitCode\": 0}"})
        EXPECT_NE(out.str().find(part), std::string::npos) << part << "\n" << out.str();
    EXPECT_EQ(fs.files[list], original);

    const struct {
        const char* list;
        std::string output;
    } refusals[] = {
        {"O081206P.1DP", "Подготовката на този файл вече е отменена!\n"},
        {"O081206P.3DP", "Няма запазена подготовка на този файл, която да може да се отмени!\n"},
    };
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.list);
        const std::string before = fs.files[listPath(r.list)];
        EXPECT_EQ(run({"unprepare", r.list}), 1);
        EXPECT_EQ(out.str().rfind(r.output, 0), 0u) << out.str();
        EXPECT_EQ(fs.files[listPath(r.list)], before);
    }
}

// A prepared list that no longer agrees with its header has no report: the run says why it
// failed its check once, and that there is no report.
TEST_F(CliRun, NoReportOfAPreparedListThatFailsItsOwnCheck) {
    std::string& bytes = fs.files[listPath("O081206P.3DP")];
    bytes.replace(bytes.find("1250.00"), 7, "1250.01");
    EXPECT_EQ(run({"report", "O081206P.3DP"}), 1);
    EXPECT_EQ(out.str().find("Проверил:"), std::string::npos) << out.str();
    EXPECT_NE(out.str().find("Грешен контролен код!"), std::string::npos) << out.str();
    EXPECT_EQ(out.str().find("Грешен контролен код!"), out.str().rfind("Грешен контролен код!"));
    EXPECT_EQ(err.str(), "velcor-cli: Няма отчет: подготвеният файл не минава проверката\n");
}

// --budget-rules: the rows to the budget checked by the rules chosen, the JSON naming them, and
// a list dated from 1 October 2023 checked by the older ones told once that newer ones exist.
TEST_F(CliRun, ChecksRowsToTheBudgetByTheRulesChosenAndWarnsOfNewerOnes) {
    // A budget account with the obligor's EGN and no code, and an "84" one with a BULSTAT and a
    // code; then a budget account with a code and no identifier.
    fs.files[listPath("O021023P.1DP")] =
        "BG56BNBG96618020345678;BNBGBGSD;Ivan;7501020018;;100.00;\r\n"
        "BG38BNBG96618420345678;BNBGBGSD;NAP;;831053674;50.00;123456\r\n";
    fs.files[listPath("O021023P.2DP")] = "BG56BNBG96618020345678;BNBGBGSD;Ivan;;;100.00;123456\r\n";
    const std::string hint =
        "{\"kind\": \"budget-rules\", \"text\": \"За дата на МП от 01.10.2023 важат новите "
        "правила за плащания към бюджета\"}";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::vector<std::string> parts;  // the JSON holds them
        bool warned;
    } cases[] = {
        {{"check", "O021023P.1DP"},
         1,
         {"\"budgetRules\": \"2006\"",
          "{\"row\": 1, \"kind\": \"no-budget-code\", \"text\": \"Липсва код за плащане на "
          "бюджетна сметка на ред: 1\"}",
          "\"rowFindingsLeftOut\": 0"},
         true},
        {{"--budget-rules", "2006", "check", "O021023P.2DP"},
         0,
         {"\"budgetRules\": \"2006\""},
         true},
        {{"--budget-rules", "2023", "check", "O021023P.1DP"},
         0,
         {"\"budgetRules\": \"2023\"", "\"valid\": true", "\"rowFindings\": []"},
         false},
        {{"--budget-rules", "2023", "check", "O021023P.2DP"},
         1,
         {"{\"row\": 1, \"kind\": \"no-obligor-id\", \"text\": \"Липсва идентификатор на "
          "задълженото лице на ред: 1\"}, {\"row\": 1, \"kind\": \"payment-code-not-allowed\", "
          "\"text\": \"Код за плащане се попълва само за сметки с 84 на позиции 13-14 на ред: "
          "1\"}]"},
         false},
        // A list with no row to the budget is checked alike by both, and is told nothing; nor are
        // older lists.
        {{"--date", "02102023", "check", "O081206P.1DP"}, 0, {"\"budgetRules\": \"2006\""}, false},
        {{"check", "O081206P.1DP"}, 0, {"\"budgetRules\": \"2006\""}, false},
        {{"--budget-rules", "2023", "check", "O081206P.1DP"},
         0,
         {"\"budgetRules\": \"2023\""},
         false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> arguments = c.arguments;
        arguments.insert(arguments.begin(), "--json");
        SCOPED_TRACE(arguments.back() + " " + arguments[1] + " " + arguments[2]);
        EXPECT_EQ(run(arguments), c.status) << out.str();
        for (const std::string& part : c.parts)
            EXPECT_NE(out.str().find(part), std::string::npos) << part << "\n" << out.str();
        const std::size_t warning = out.str().find(hint);
        EXPECT_EQ(warning != std::string::npos, c.warned) << out.str();
        if (c.warned) {
            EXPECT_EQ(out.str().find(hint, warning + 1), std::string::npos) << "once";
        }

        // The same run for a person: the rules named among the figures, the hint on the error
        // stream once.
        EXPECT_EQ(run(c.arguments), c.status);
        const bool newer =
            std::find(c.arguments.begin(), c.arguments.end(), "2023") != c.arguments.end();
        EXPECT_NE(out.str().find(newer ? "Правила за плащания към бюджета: от 01.10.2023\n"
                                       : "Правила за плащания към бюджета: до 30.09.2023\n"),
                  std::string::npos)
            << out.str();
        const std::string line =
            "velcor-cli: предупреждение: За дата на МП от 01.10.2023 важат новите правила за "
            "плащания към бюджета\n";
        const std::size_t at = err.str().find(line);
        EXPECT_EQ(at != std::string::npos, c.warned) << err.str();
        if (c.warned) {
            EXPECT_EQ(err.str().find(line, at + 1), std::string::npos) << err.str();
        }
    }
}

}  // namespace
}  // namespace velcor::app::cli
