#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace velcor::cli::test {
namespace {

struct CliRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Each test works on copies of the examples, so the committed files never change.
class CliEndToEnd : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& entry : std::filesystem::directory_iterator(VELCOR_EXAMPLES_DIR))
            std::filesystem::copy_file(entry.path(), dir.path() / entry.path().filename());
    }

    CliRun run(const std::string& arguments) {
        const std::string errFile = (dir.path() / "stderr.txt").string();
        const std::string command = "cd " + quoted(dir.path().string()) + " && " +
                                    quoted(VELCOR_CLI) + " " + arguments + " 2>" + quoted(errFile);
        CliRun result;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return result;
        std::array<char, 4096> buffer;
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            result.out.append(buffer.data(), n);
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = testing::readFileBytes(errFile);
        std::filesystem::remove(errFile);
        return result;
    }

    std::string file(const char* name) { return testing::readFileBytes(dir.path() / name); }

    testing::TempDir dir;
};

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

TEST_F(CliEndToEnd, ExitStatusOfEachCommand) {
    struct Case {
        std::string arguments;
        int status;
        std::vector<std::string> output;  // parts the JSON must hold
    } cases[] = {
        {"--json check O081206P.1DP", 0, {"\"valid\": true", "\"count\": \"4\""}},
        {"--json check O081206P.2DP",
         1,
         {"\"valid\": false", "\"count\": \"8\"", "Нулева сума на ред: 7\"",
          "Няма разделител (;)  на ред: 2\""}},
        {"--json --type SB check O081206P.1SB", 0, {"\"paymentType\": \"[SB]\""}},
        {"--json --type FX check O081206P.1FX", 0, {"\"total\": \"     2080.45\""}},
        {"--json report O081206P.3DP", 0, {"\"prepared\": true", "Петък, 08.12.2006"}},
        {"--json report O081206P.1DP", 1, {"\"report\": null"}},
        {"--json prepare O081206P.3DP", 1, {"\"messages\": [\"Файлът вече е обработен!\"]"}},
        {"--json prepare O081206P.2DP", 1, {"\"messages\": [\"Файлът не е коректен!\"]"}},
        {"--json --iban BG48BNBG961180001234567 prepare O081206P.1DP",
         1,
         {"Please enter no more than 22 characters.", "\"prepared\": false"}},
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

TEST_F(CliEndToEnd, JsonHasEveryKeyOnce) {
    const CliRun r = run("--json --kind 101 check O081206P.1DP");
    ASSERT_EQ(r.status, 0);
    ASSERT_EQ(r.out.front(), '{');
    ASSERT_EQ(r.out.back(), '\n');
    for (const char* key : {"file", "paymentType", "valid", "prepared", "total", "count",
                            "controlCode", "paymentDate", "payer", "iban", "bic", "name", "kind",
                            "code", "rowMessages", "messages", "report"}) {
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

TEST_F(CliEndToEnd, UsageSettingsAndEncodingErrorsExitTwo) {
    struct Case {
        std::string arguments;
        std::string error;
    } cases[] = {
        {"", "a command and a list are needed"},
        {"list O081206P.1DP", "unknown command"},
        {"--bogus check O081206P.1DP", "unknown option"},
        {"--date 31022007 check O081206P.1DP", "--date"},
        {"--type XX check O081206P.1DP", "DP, FX, SB"},
        {"--ini nowhere.ini check O081206P.1DP", "nowhere.ini"},
        {"--name 名 check O081206P.1DP", "Windows-1251"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments);
        const CliRun r = run(c.arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(contains(r.err, c.error)) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(run("--help").status, 0);
    const CliRun version = run("--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(contains(version.out, "velcor-cli 1.0")) << version.out;
}

}  // namespace
}  // namespace velcor::cli::test
