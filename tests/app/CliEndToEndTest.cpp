#include "support/ShellRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velcor::cli::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kAddressSanitizer = true;
#else
constexpr bool kAddressSanitizer = false;
#endif
#else
constexpr bool kAddressSanitizer = false;
#endif

using testing::CliRun;
using testing::quoted;
using CliEndToEnd = testing::ExamplesShell;

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(CliEndToEnd, ExitStatusOfEachCommand) {
    struct Case {
        std::string arguments;
        int status;
        std::vector<std::string> output;  // parts the JSON must hold
    } cases[] = {
        {"--json check O081206P.1DP",
         0,
         {"{\"format\": 2, ", "\"valid\": true", "\"count\": 4", "\"total\": \"6276.15\"",
          "\"controlCode\": \"42C4757F\"", "\"error\": null, \"exitCode\": 0}"}},
        {"--json check O081206P.2DP",
         1,
         {"\"valid\": false", "\"count\": 8",
          "{\"row\": 7, \"kind\": \"zero-sum\", \"text\": \"Нулева сума на ред: 7\"}",
          "{\"row\": 2, \"kind\": \"no-delimiter\", \"text\": \"Няма разделител (;)  на ред: 2\"}",
          "\"rowFindingsLeftOut\": 0", "\"error\": null, \"exitCode\": 1}"}},
        {"--json --type SB check O081206P.1SB",
         0,
         {"\"paymentType\": \"SB\", \"paymentTypeEntry\": \"[SB]\""}},
        {"--json --type FX check O081206P.1FX", 0, {"\"total\": \"2080.45\""}},
        {"--json report O081206P.3DP",
         0,
         {"\"prepared\": true", "Петък, 08.12.2006", "\"fields\": {\"fileName\": \"O081206P.3DP\"",
          "\"date\": \"08.12.2006\", \"weekday\": \"Петък\", \"sequence\": \"0\"",
          "\"format\": \"С разделител(;)\", \"total\": \"6276.15\", \"count\": \"4\""}},
        {"--json report O081206P.1DP", 1, {"\"report\": null"}},
        {"--json prepare O081206P.3DP",
         1,
         {"\"messages\": [{\"kind\": \"already-prepared\", \"text\": \"Файлът вече е "
          "обработен!\"}]"}},
        {"--json prepare O081206P.2DP",
         1,
         {"\"messages\": [{\"kind\": \"not-valid\", \"text\": \"Файлът не е коректен!\"}]"}},
        {"--json --iban BG48BNBG961180001234567 prepare O081206P.1DP",
         1,
         {"{\"kind\": \"length-limit\", \"text\": \"Please enter no more than 22 characters.\"}",
          "\"prepared\": false"}},
        {"--json --date 15012007 check O081206P.1DP", 0, {"\"paymentDate\": \"15.01.2007\""}},
        {"--json check ./O081206P.1DP", 0, {"\"paymentDate\": \"08.12.2006\""}},
        {"--json check O081206P.9DP", 1, {"Не може да се прочете файл: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << r.err;
        for (const std::string& part : c.output) EXPECT_TRUE(contains(r.out, part)) << r.out;
    }
}

// --budget-rules picks the rules rows to the budget are checked by; the default ones warn, once
// and on the error stream, of a list dated from 1 October 2023 that holds such rows.
TEST_F(CliEndToEnd, BudgetRulesAreChosenNamedAndWarnedAbout) {
    testing::writeFileBytes(dir.path() / "O021023P.1DP",
                            "BG56BNBG96618020345678;BNBGBGSD;Ivan;7501020018;;100.00;\r\n");
    const std::string warning =
        "velcor-cli: предупреждение: За дата на МП от 01.10.2023 важат новите правила за "
        "плащания към бюджета\n";
    const struct {
        std::string arguments;
        int status;
        std::vector<std::string> output;  // parts the standard output must hold
        bool warned;
    } cases[] = {
        {"check O021023P.1DP",
         1,
         {"Липсва код за плащане на бюджетна сметка на ред: 1\n",
          "Правила за плащания към бюджета: до 30.09.2023\n"},
         true},
        {"--budget-rules 2023 check O021023P.1DP",
         0,
         {"Правила за плащания към бюджета: от 01.10.2023\n"},
         false},
        {"--json --budget-rules=2023 check O021023P.1DP",
         0,
         {"\"budgetRules\": \"2023\"", "\"valid\": true", "\"warnings\": []"},
         false},
        {"--json check O021023P.1DP",
         1,
         {"\"budgetRules\": \"2006\"", "\"warnings\": [{\"kind\": \"budget-rules\", "},
         false},  // in the JSON, not on the error stream
        {"--budget-rules 2024 check O021023P.1DP", 2, {}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, c.status) << r.out << r.err;
        for (const std::string& part : c.output) EXPECT_TRUE(contains(r.out, part)) << r.out;
        const std::size_t at = r.err.find(warning);
        EXPECT_EQ(at != std::string::npos, c.warned) << r.err;
        if (c.warned) {
            EXPECT_EQ(r.err.find(warning, at + 1), std::string::npos) << r.err;
        }
    }
    EXPECT_TRUE(contains(run("--budget-rules 2024 check O021023P.1DP").err,
                         "velcor-cli: --budget-rules иска 2006 или 2023\n"));
}

TEST_F(CliEndToEnd, JsonHasEveryKeyOnce) {
    const CliRun r = run("--json --kind 101 check O081206P.1DP");
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.out.front(), '{');
    ASSERT_EQ(r.out.back(), '\n');
    for (const char* key : {"format",      "file",
                            "paymentType", "paymentTypeEntry",
                            "valid",       "prepared",
                            "total",       "count",
                            "controlCode", "paymentDate",
                            "payer",       "iban",
                            "bic",         "name",
                            "kind",        "code",
                            "rowFindings", "rowFindingsLeftOut",
                            "messages",    "warnings",
                            "report",      "error",
                            "exitCode"}) {
        const std::string quotedKey = "\"" + std::string(key) + "\": ";
        const std::size_t at = r.out.find(quotedKey);
        EXPECT_NE(at, std::string::npos) << key;
        EXPECT_EQ(r.out.find(quotedKey, at + 1), std::string::npos) << key;
    }
    EXPECT_TRUE(contains(r.out, "\"kind\": \"101\""));
    EXPECT_TRUE(contains(r.out, "\"file\": \"" + (dir.path() / "O081206P.1DP").string() + "\""));
}

TEST_F(CliEndToEnd, PrepareWritesOnceAndTheResultIsRecognised) {
    const std::string before = file("O081206P.1DP");
    const CliRun first = run("--kind 101 prepare O081206P.1DP");
    EXPECT_EQ(first.status, 0) << first.out << first.err;
    const std::string written = file("O081206P.1DP");
    EXPECT_EQ(written.substr(0, 45), "OMPDP;08122006;BG48BNBG96618000123456;   101;");
    EXPECT_EQ(written.substr(written.find("\r\n") + 2).size(), before.size() - 4)
        << "the rows follow with LF line ends";
    EXPECT_EQ(run("check O081206P.1DP").status, 0);
    EXPECT_EQ(run("prepare O081206P.1DP").status, 1);
    EXPECT_EQ(file("O081206P.1DP"), written);
    EXPECT_EQ(file("omp.ini"),
              testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/omp.ini"))
        << "the CLI never writes the settings";
}

// Plain: a line on the standard error stream. --json (last, so that the arguments before it are
// read past the error): one object on the standard output and nothing on the error stream.
TEST_F(CliEndToEnd, UsageSettingsAndEncodingErrorsExitTwo) {
    std::filesystem::create_directory(dir.path() / "settings");
    std::filesystem::copy_file(dir.path() / "omp.ini", dir.path() / "locked.ini");
    lock("locked.ini");
    std::string noDp = file("omp.ini");
    noDp.replace(noDp.find("[DP]"), 4, "[DQ]");
    testing::writeFileBytes(dir.path() / "nodp.ini", noDp);
    testing::writeFileBytes(dir.path() / "notypes.ini", "[CLIENT]\r\nNAME = Firma\r\n");
    std::filesystem::create_directory(dir.path() / "Ελλάδα");
    std::filesystem::copy_file(dir.path() / "O081206P.1DP", dir.path() / "Ελλάδα" / "O081206P.1DP");
    std::filesystem::copy_file(dir.path() / "O081206P.1DP", dir.path() / "O081206P.名");
    struct Case {
        std::string arguments;
        std::string error;
        bool asRoot = true;  // root reads a file without permissions
    } cases[] = {
        {"", "нужни са команда и списък"},
        {"list O081206P.1DP", "непозната команда list"},
        {"--bogus check O081206P.1DP", "непозната опция --bogus"},
        {"--date 31022007 check O081206P.1DP", "--date"},
        {"--type XX check O081206P.1DP", "DP, FX, SB"},
        // No payment type to select: no list is opened, so none is rewritten either.
        {"--type XX prepare O081206P.1DP", "няма вид плащане XX"},
        {"--ini nodp.ini prepare O081206P.1DP", "няма вид плащане за избор: няма DP"},
        {"--ini nodp.ini check O081206P.1DP", "(в настройките има: DQ, FX, SB)"},
        {"--ini nodp.ini report O081206P.3DP", "няма вид плащане за избор"},
        {"--ini notypes.ini --type DP prepare O081206P.1DP", "(в настройките няма нито един)"},
        {"--ini nowhere.ini check O081206P.1DP",
         "не могат да се заредят настройките от nowhere.ini: няма такъв файл"},
        {"--ini settings check O081206P.1DP", "settings: това е папка"},
        {"--ini omp.ini/omp.ini check O081206P.1DP", "omp.ini: част от пътя не е папка"},
        {"--ini locked.ini check O081206P.1DP", "locked.ini: няма права за достъп", false},
        {"--name 名 check O081206P.1DP", "Windows-1251"},
        // Which part of the list's path cannot be spelled: its folder, or its own name.
        {"check Ελλάδα/O081206P.1DP", "папката на списъка съдържа знаци извън Windows-1251: " +
                                          (dir.path() / "Ελλάδα").string()},
        {"check O081206P.名", "името на списъка съдържа знаци извън Windows-1251: O081206P.名"},
        // A prepared list's value date is its header's.
        {"--date 15012007 report O081206P.3DP", "--date не се приема за подготвен файл"},
    };
    for (const Case& c : cases) {
        if (!c.asRoot && ::geteuid() == 0) continue;
        SCOPED_TRACE(c.arguments);
        const CliRun plain = run(c.arguments);
        EXPECT_EQ(plain.status, 2);
        EXPECT_EQ(plain.err.rfind("velcor-cli: ", 0), 0u) << plain.err;
        EXPECT_TRUE(contains(plain.err, c.error)) << plain.err;
        EXPECT_TRUE(plain.out.empty());

        const CliRun json = run(c.arguments + " --json");
        EXPECT_EQ(json.status, 2);
        EXPECT_EQ(json.out.rfind("{\"format\": 2, \"error\": \"", 0), 0u) << json.out;
        EXPECT_TRUE(contains(json.out, c.error)) << json.out;
        EXPECT_TRUE(contains(json.out, "\"exitCode\": 2, \"messages\": [")) << json.out;
        EXPECT_EQ(json.out.find('\n'), json.out.size() - 1) << json.out;
        EXPECT_TRUE(json.err.empty()) << json.err;
    }
    for (const char* list : {"O081206P.1DP", "O081206P.3DP"})
        EXPECT_EQ(file(list),
                  testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/" + list));
    EXPECT_EQ(run("--help").status, 0);
    const CliRun version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(contains(version.out, "velcor-cli 1.0")) << version.out;
}

// Where the window only says that it could not read the list, or shows nothing, velcor-cli says
// why: on the standard error stream, or under --json as the object's error.
TEST_F(CliEndToEnd, FailedRunSaysWhy) {
    std::filesystem::create_directory(dir.path() / "O081206P.7DP");
    std::filesystem::copy_file(dir.path() / "O081206P.1DP", dir.path() / "O081206P.8DP");
    lock("O081206P.8DP");
    struct Case {
        std::string arguments;
        std::string error;
        bool asRoot = true;
    } cases[] = {
        {"check O081206P.9DP", "O081206P.9DP: няма такъв файл"},
        {"report O081206P.7DP", "O081206P.7DP: това е папка"},
        {"check O081206P.8DP", "O081206P.8DP: няма права за достъп", false},
        {"report O081206P.1DP", "Няма отчет: файлът не е подготвен"},
    };
    for (const Case& c : cases) {
        if (!c.asRoot && ::geteuid() == 0) continue;
        SCOPED_TRACE(c.arguments);
        const CliRun plain = run(c.arguments);
        EXPECT_EQ(plain.status, 1);
        EXPECT_EQ(plain.err, "velcor-cli: " + c.error + "\n");
        const CliRun json = run("--json " + c.arguments);
        EXPECT_EQ(json.status, 1);
        EXPECT_TRUE(contains(json.out, "\"error\": \"" + c.error + "\", \"exitCode\": 1}"))
            << json.out;
        EXPECT_TRUE(json.err.empty()) << json.err;
    }
}

// Bytes of a path or of omp.ini reach the terminal as text: \xNN in plain output (C0, DEL, C1),
// \u00NN in JSON.
TEST_F(CliEndToEnd, ControlCharactersAreNotPassedToTheTerminal) {
    testing::writeFileBytes(dir.path() / "bad.ini",
                            "[DP]\nIBAN = 1,1,22\nN\x1b"
                            "AME = 2,5,0\n");
    struct Case {
        std::string arguments;
        int status;
        std::string shown;
    } cases[] = {
        {"check 'O081206P.\x1b[2J\x07\x7f\xc2\x98'", 1, "O081206P.\\x1b[2J\\x07\\x7f\\xc2\\x98"},
        {"--ini bad.ini check O081206P.1DP", 2, "поле: N\\x1bAME от секция: DP"},
        {"--json check 'O081206P.\x1b[2J\x07\x7f\xc2\x98'", 1,
         "O081206P.\\u001b[2J\\u0007\\u007f\\u0098"},
        {"--json --ini bad.ini check O081206P.1DP", 2, "поле: N\\u001bAME от секция: DP"},
    };
    const auto terminalSafe = [](const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const auto byte = static_cast<unsigned char>(text[i]);
            const bool c1 = byte == 0xC2 && i + 1 < text.size() &&
                            static_cast<unsigned char>(text[i + 1]) < 0xA0;
            if ((byte < 0x20 && byte != '\n') || byte == 0x7F || c1) return false;
        }
        return true;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(contains(r.out + r.err, c.shown)) << r.out << r.err;
        EXPECT_TRUE(terminalSafe(r.out)) << r.out;
        EXPECT_TRUE(terminalSafe(r.err)) << r.err;
    }
}

// Output that never reached its reader fails the run (exit 3), even when the command itself
// succeeded; a closed pipe is no reason to die of SIGPIPE.
TEST_F(CliEndToEnd, FailedOutputExitsThree) {
    int closedPipe[2];
    ASSERT_EQ(::pipe(closedPipe), 0);
    ::close(closedPipe[0]);
    const std::string toClosedPipe = ">&" + std::to_string(closedPipe[1]);
    struct Case {
        std::string redirection;
        std::string reason;
    } cases[] = {
        {">/dev/full", "няма място на устройството"},
        {toClosedPipe, "изходът е затворен"},
        {">&-", "изходът е затворен"},
    };
    for (const Case& c : cases) {
        for (const char* arguments : {"check O081206P.1DP", "--json report O081206P.3DP"}) {
            SCOPED_TRACE(std::string(arguments) + " " + c.redirection);
            const CliRun r = run(arguments + (" " + c.redirection));
            EXPECT_EQ(r.status, 3);
            EXPECT_EQ(r.err,
                      "velcor-cli: не може да се пише в стандартния изход: " + c.reason + "\n");
        }
    }
    ::close(closedPipe[1]);
}

// report --pdf writes the report window's PDF with no display, replacing the file in one step: a
// PDF that cannot be written fails the run (exit 3, as for the standard output) and leaves what
// was there; no report, no PDF.
TEST_F(CliEndToEnd, ReportPdfIsWrittenWholeOrNotAtAll) {
#ifndef VELCOR_GUI
    GTEST_SKIP() << "velcor-cli built without the window writes no PDF";
#endif
    testing::writeFileBytes(dir.path() / "old.pdf", "%PDF-1.4 old");
    testing::writeFileBytes(dir.path() / "notes.txt", "notes");
    std::filesystem::create_symlink("O081206P.3DP", dir.path() / "list-link");
    std::filesystem::create_directory(dir.path() / "folder.pdf");
    const std::string ownFile =
        "velcor-cli: --pdf не може да замени списъка или файла с настройките";
    struct Case {
        std::string arguments;
        int status;
        std::string error;  // part of the standard error stream; none when empty
    } cases[] = {
        {"report --pdf old.pdf O081206P.3DP", 0, ""},
        {"report --pdf missing/report.pdf O081206P.3DP", 3,
         "velcor-cli: PDF файлът не може да се запише в missing/report.pdf: няма такъв файл\n"},
        {"report --pdf folder.pdf O081206P.3DP", 3,
         "velcor-cli: PDF файлът не може да се запише в folder.pdf: това е папка\n"},
        {"report --pdf none.pdf O081206P.1DP", 1, "Няма отчет: файлът не е подготвен"},
        {"check --pdf none.pdf O081206P.1DP", 2, "--pdf е само за командата report"},
        // Never over the list, the settings or a file that is no PDF, whatever its name.
        {"report --pdf O081206P.3DP O081206P.3DP", 2, ownFile},
        {"report --pdf list-link O081206P.3DP", 2, ownFile},
        {"report --pdf omp.ini O081206P.3DP", 2, ownFile},
        {"report --pdf notes.txt O081206P.3DP", 2,
         "--pdf не заменя файл, който не е PDF: notes.txt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun r = runShell("env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY " +
                                  quoted(VELCOR_CLI) + " " + c.arguments);
        EXPECT_EQ(r.status, c.status);
        EXPECT_TRUE(c.error.empty() ? r.err.empty() : contains(r.err, c.error)) << r.err;
        // The report is printed as ever, whether its PDF could be written or not.
        if (c.status != 2) {
            EXPECT_EQ(contains(r.out, "Проверил:"), c.status != 1) << r.out;
        }
    }
    EXPECT_EQ(file("old.pdf").substr(0, 5), "%PDF-");
    EXPECT_NE(file("old.pdf"), "%PDF-1.4 old");
    EXPECT_EQ(file("notes.txt"), "notes");
    for (const char* own : {"O081206P.3DP", "omp.ini"})
        EXPECT_EQ(file(own), testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/" + own));
    EXPECT_TRUE(std::filesystem::is_symlink(dir.path() / "list-link"));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "none.pdf"));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path() / "folder.pdf"));
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        EXPECT_NE(entry.path().filename().string()[0], '.') << "a temporary file was left";

    const CliRun json = run("--json report --pdf missing/report.pdf O081206P.3DP");
    EXPECT_EQ(json.status, 3);
    EXPECT_TRUE(contains(json.out,
                         "\"error\": \"PDF файлът не може да се запише в missing/report.pdf: "
                         "няма такъв файл\", \"exitCode\": 3}"))
        << json.out;
    EXPECT_EQ(json.err, "");
}

// Settings larger than the memory allowed: both programs end with a message and exit 1, never an
// abort.
// "Подготовка" killed at any moment leaves the list whole: as it was, or prepared entire. The
// rows are read from the list again while the new file is written beside it, and only a complete
// file replaces the list.
TEST_F(CliEndToEnd, APrepareKilledAtAnyMomentLeavesTheListWhole) {
    std::string list;
    const std::string rows = file("O081206P.1DP");
    while (list.size() < (6u << 20)) list += rows;
    testing::writeFileBytes(dir.path() / "O081206P.5DP", list);
    const auto entries = [&] {
        std::vector<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::filesystem::path> before = entries();
    ASSERT_EQ(run("--kind 101 prepare O081206P.5DP").status, 0);
    // The copy it keeps goes to the user's data folder (the test program's own), never beside it.
    EXPECT_EQ(entries(), before);
    const std::string prepared = file("O081206P.5DP");
    int killedWhileWriting = 0;
    for (int delayMs = 0; delayMs <= 450; delayMs += 30) {
        testing::writeFileBytes(dir.path() / "O081206P.5DP", list);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::chdir(dir.path().c_str()) != 0) ::_exit(127);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::execl(VELCOR_CLI, VELCOR_CLI, "--kind", "101", "prepare", "O081206P.5DP", nullptr);
            ::_exit(127);
        }
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string after = file("O081206P.5DP");
        EXPECT_TRUE(after == list || after == prepared) << "killed after " << delayMs << " ms";
        if (WIFSIGNALED(status) && after == list) ++killedWhileWriting;
        // What a killed run leaves is a hidden temporary file, never a list.
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".")) std::filesystem::remove(entry.path());
        }
    }
    EXPECT_GT(killedWhileWriting, 0) << "no run was killed before it finished";
}

// As for prepare: whenever the run dies, the list is whole, the prepared file or the original.
TEST_F(CliEndToEnd, AnUnprepareKilledAtAnyMomentLeavesTheListWhole) {
    std::string list;
    const std::string rows = file("O081206P.1DP");
    while (list.size() < (6u << 20)) list += rows;
    testing::writeFileBytes(dir.path() / "O081206P.5DP", list);
    const auto entries = [&] {
        std::vector<std::filesystem::path> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
            names.push_back(entry.path());
        std::sort(names.begin(), names.end());
        return names;
    };
    const std::vector<std::filesystem::path> before = entries();
    ASSERT_EQ(run("--kind 101 prepare O081206P.5DP").status, 0);
    // The copy it keeps goes to the user's data folder (the test program's own), never beside it.
    EXPECT_EQ(entries(), before);
    std::string prepared = file("O081206P.5DP");
    int killedWhileWriting = 0;
    bool entryUsed = false;
    for (int delayMs = 0; delayMs <= 450; delayMs += 30) {
        // An undo that ran to its end used its entry up: the list is prepared again for the next.
        if (entryUsed) {
            testing::writeFileBytes(dir.path() / "O081206P.5DP", list);
            ASSERT_EQ(run("--kind 101 prepare O081206P.5DP").status, 0);
            prepared = file("O081206P.5DP");
            entryUsed = false;
        }
        // The kept entry goes with the prepared file's content, whoever put it there.
        testing::writeFileBytes(dir.path() / "O081206P.5DP", prepared);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (::chdir(dir.path().c_str()) != 0) ::_exit(127);
            const int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::execl(VELCOR_CLI, VELCOR_CLI, "unprepare", "O081206P.5DP", nullptr);
            ::_exit(127);
        }
        ::usleep(static_cast<useconds_t>(delayMs) * 1000);
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        const std::string after = file("O081206P.5DP");
        EXPECT_TRUE(after == list || after == prepared) << "killed after " << delayMs << " ms";
        if (WIFSIGNALED(status) && after == prepared) ++killedWhileWriting;
        entryUsed = !WIFSIGNALED(status) || after == list;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name.starts_with(".")) std::filesystem::remove(entry.path());
        }
    }
    EXPECT_GT(killedWhileWriting, 0) << "no run was killed before it finished";
    // What the killed runs left does not stand in the way of the next.
    if (entryUsed) {
        testing::writeFileBytes(dir.path() / "O081206P.5DP", list);
        ASSERT_EQ(run("--kind 101 prepare O081206P.5DP").status, 0);
        prepared = file("O081206P.5DP");
    }
    testing::writeFileBytes(dir.path() / "O081206P.5DP", prepared);
    const CliRun undone = run("--json unprepare O081206P.5DP");
    EXPECT_EQ(undone.status, 0) << undone.err;
    EXPECT_TRUE(contains(undone.out, "\"prepared\": false, \"unprepared\": true")) << undone.out;
    EXPECT_TRUE(file("O081206P.5DP") == list);
}

// A list prepared through a linked folder is undone from its real path and the other way round:
// the kept prepare is found by the file the path names.
TEST_F(CliEndToEnd, UnprepareFindsAPrepareMadeThroughALink) {
    const struct {
        const char* what;
        const char* prepared;
        const char* undone;
    } cases[] = {
        {"through a linked folder, then the real path", "link/O081206P.1DP", "real/O081206P.1DP"},
        {"the real path, then through a linked folder", "real/O081206P.1DP", "link/O081206P.1DP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(runShell("rm -rf real link && mkdir real && cp O081206P.1DP real/ && "
                           "ln -s real link")
                      .status,
                  0);
        const std::string original = file("real/O081206P.1DP");
        ASSERT_EQ(run(std::string("--kind 101 prepare ") + c.prepared).status, 0);
        ASSERT_NE(file("real/O081206P.1DP"), original);
        const CliRun undone = run(std::string("--json unprepare ") + c.undone);
        EXPECT_EQ(undone.status, 0) << undone.out << undone.err;
        EXPECT_TRUE(contains(undone.out, "\"unprepared\": true")) << undone.out;
        EXPECT_EQ(file("real/O081206P.1DP"), original);
    }
}

TEST_F(CliEndToEnd, RunningOutOfMemoryEndsWithAMessage) {
    if (kAddressSanitizer) GTEST_SKIP() << "AddressSanitizer cannot start under a memory limit";
    std::filesystem::resize_file(dir.path() / "omp.ini", std::uintmax_t{1} << 30);
    const std::string limit = "ulimit -v 300000 && ";
    struct Case {
        std::string commandLine;
        std::string out;
        std::string err;
    } cases[] = {
        {limit + quoted(VELCOR_CLI) + " check O081206P.1DP", "",
         "velcor-cli: Няма достатъчно памет!\n"},
        {limit + quoted(VELCOR_CLI) + " --json check O081206P.1DP",
         "{\"format\": 2, \"error\": \"Няма достатъчно памет!\", \"exitCode\": 1, \"messages\": "
         "[]}\n",
         ""},
#if defined(VELCOR_GUI)
        // The window would wait for its operator: a run past the time limit fails as well.
        {limit + "QT_QPA_PLATFORM=offscreen timeout 60 " + quoted(VELCOR_GUI), "",
         "velcor: Няма достатъчно памет!\n"},
#endif
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.commandLine);
        const CliRun r = runShell(c.commandLine);
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.out, c.out);
        EXPECT_TRUE(contains(r.err, c.err)) << r.err;
    }
}

}  // namespace
}  // namespace velcor::cli::test
