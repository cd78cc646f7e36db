#include "app/cli/CliOptions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velcor::app::cli {
namespace {

struct ParseCase {
    std::vector<const char*> arguments;  // after the program's name
    std::string error;                   // empty: parsed
    std::string described = {};          // of the options parsed, see describe()
};

// The options as one line: command, list, then every option given.
std::string describe(const CliOptions& o) {
    const char* commands[] = {"check", "prepare", "report"};
    std::string out = std::string(commands[static_cast<int>(o.command)]) + " " + o.list;
    const auto add = [&](const char* name, const std::optional<std::string>& value) {
        if (value) out += std::string(" ") + name + "=" + *value;
    };
    if (o.ini != "omp.ini") out += " ini=" + o.ini;
    add("type", o.type);
    add("date", o.date);
    add("iban", o.iban);
    add("bic", o.bic);
    add("name", o.name);
    add("kind", o.kind);
    add("code", o.code);
    add("pdf", o.pdf);
    add("budget-rules", o.budgetRules);
    if (o.json) out += " json";
    if (o.help) out += " help";
    if (o.version) out += " version";
    return out;
}

TEST(CliOptions, ParsesEachFormAndRefusesWithAReason) {
    const ParseCase cases[] = {
        {{"check", "L"}, "", "check L"},
        {{"--json", "prepare", "L", "--ini", "x.ini"}, "", "prepare L ini=x.ini json"},
        {{"--type=SB", "--date", "08122006", "check", "L"}, "", "check L type=SB date=08122006"},
        {{"--iban", "I", "--bic=B", "--name", "N", "--kind", "101", "--code", "C", "check", "L"},
         "",
         "check L iban=I bic=B name=N kind=101 code=C"},
        {{"report", "--pdf", "r.pdf", "L"}, "", "report L pdf=r.pdf"},
        {{"--budget-rules", "2023", "check", "L"}, "", "check L budget-rules=2023"},
        {{"--budget-rules=2006", "prepare", "L"}, "", "prepare L budget-rules=2006"},
        {{"--budget-rules", "2024", "check", "L"}, "--budget-rules иска 2006 или 2023"},
        {{"--budget-rules=", "check", "L"}, "--budget-rules иска 2006 или 2023"},
        // After "--" a name that begins with a hyphen is a list.
        {{"check", "--", "-L"}, "", "check -L"},
        {{"-h"}, "", "check  help"},
        {{"--version", "--bogus"}, "непозната опция --bogus"},
        {{}, "нужни са команда и списък"},
        {{"check"}, "нужни са команда и списък"},
        {{"list", "L"}, "непозната команда list"},
        {{"check", "L", "M"}, "излишен аргумент M"},
        {{"check", "L", "--ini"}, "опцията --ini иска стойност"},
        {{"check", "--pdf", "r.pdf", "L"}, "--pdf е само за командата report"},
        {{"report", "--pdf=", "L"}, "--pdf иска име на файл"},
        {{"--date", "31022007", "check", "L"}, "--date иска истинска дата във вида ДДММГГГГ"},
        {{"--date", "8122006", "check", "L"}, "--date иска истинска дата във вида ДДММГГГГ"},
        // The first error is told, and a --json after it still shapes its report.
        {{"--x", "--y", "--json"}, "непозната опция --x", "check  json"},
    };
    for (const ParseCase& c : cases) {
        std::vector<const char*> argv{"velcor-cli"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        CliOptions options;
        std::string error;
        const bool parsed =
            parseCliOptions(static_cast<int>(argv.size()), argv.data(), options, error);
        SCOPED_TRACE(c.described + " / " + c.error);
        EXPECT_EQ(parsed, c.error.empty());
        EXPECT_EQ(error, c.error);
        if (!c.described.empty()) {
            EXPECT_EQ(describe(options), c.described);
        }
    }
}

TEST(CliOptions, TheUsageNamesEveryOptionWithinItsWidth) {
    const std::string usage = cliUsage();
    for (const char* option :
         {"--ini", "--type", "--date", "--iban", "--bic", "--name", "--kind", "--code", "--json",
          "--pdf", "--budget-rules", "--help", "-h", "--version"})
        EXPECT_NE(usage.find(option), std::string::npos) << option;
    // Lines are measured in characters, the Cyrillic ones too.
    for (std::size_t start = 0; start < usage.size();) {
        const std::size_t end = usage.find('\n', start);
        std::size_t characters = 0;
        for (std::size_t i = start; i < end; ++i)
            if ((static_cast<unsigned char>(usage[i]) & 0xC0) != 0x80) ++characters;
        EXPECT_LE(characters, 89u) << usage.substr(start, end - start);
        start = end + 1;
    }
}

}  // namespace
}  // namespace velcor::app::cli
