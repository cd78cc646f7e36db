#include "app/cli/CliProgress.h"
#include "app/cli/CliRun.h"

#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace velcor::app::cli {
namespace {

using namespace std::chrono_literals;

// What a terminal shows of `bytes`: a CR takes the cursor back to the start of its line, where
// what follows overwrites what stood there; trailing blanks show nothing.
std::string visible(const std::string& bytes) {
    std::vector<std::string> lines(1);
    std::size_t column = 0;
    for (const char c : bytes) {
        if (c == '\r') {
            column = 0;
        } else if (c == '\n') {
            lines.emplace_back();
            column = 0;
        } else {
            std::string& line = lines.back();
            if (column < line.size())
                line[column] = c;
            else
                line += c;
            ++column;
        }
    }
    std::string shown;
    for (std::string& line : lines) {
        line.erase(line.find_last_not_of(' ') + 1);
        shown += (shown.empty() ? "" : "\n") + line;
    }
    return shown;
}

// Drawn once due, the bar shows each new percent once and leaves nothing when it goes; before it
// is due, or for a file of no known size, it writes nothing.
TEST(ProgressBar, ShowsTheShareReadOnceDueAndLeavesNothingBehind) {
    const struct {
        std::chrono::milliseconds delay;
        std::uint64_t total;
        std::size_t drawings;
    } cases[] = {{0ms, 400, 4}, {std::chrono::hours(1), 400, 0}, {0ms, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.drawings);
        std::ostringstream terminal;
        {
            ProgressBar bar({&terminal, c.delay});
            for (const std::uint64_t done : {0u, 100u, 100u, 150u, 400u})
                EXPECT_TRUE(bar.report(done, c.total));
            const std::string drawn = terminal.str();
            EXPECT_EQ(static_cast<std::size_t>(std::count(drawn.begin(), drawn.end(), '%')),
                      c.drawings);
            if (c.drawings > 0) {
                EXPECT_EQ(visible(drawn).substr(visible(drawn).size() - 4), "100%");
            }
        }
        EXPECT_EQ(visible(terminal.str()), "");
        if (c.drawings == 0) {
            EXPECT_EQ(terminal.str(), "");
        }
    }
}

// On a terminal that is the error stream too, each piece of long work draws its bar and erases it
// before anything is printed there; under --json nothing is drawn.
TEST(ProgressBar, IsGoneBeforeTheRunPrintsAndNeverMeetsJson) {
    testing::MemoryFileSystem fs;
    const std::string list = std::filesystem::absolute("O081206P.1DP").lexically_normal().string();
    fs.files[list] = testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/O081206P.1DP");
    fs.files["omp.ini"] = testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/omp.ini");
    const struct {
        std::vector<std::string> arguments;
        std::size_t bars;       // erased drawings: one for each reading of the list
        std::string errorSeen;  // what the terminal shows in the end
    } cases[] = {
        {{"check", "O081206P.1DP"}, 1, ""},
        {{"report", "O081206P.1DP"}, 1, "velcor-cli: Няма отчет: файлът не е подготвен\n"},
        // The list's date has gone by: the warning comes after both bars are gone.
        // The copy kept to undo it is a bar of its own where it is copied, not linked.
        {{"--kind", "101", "prepare", "O081206P.1DP"},
         3,
         "velcor-cli: предупреждение: Датата на МП (08.12.2006) е в миналото.\n"},
        {{"--json", "check", "O081206P.1DP"}, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        std::vector<std::string> arguments{"velcor-cli"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        std::ostringstream out;
        std::ostringstream err;
        runCommandLine(arguments, out, err, fs, {&err, 0ms});
        const std::string written = err.str();
        std::size_t whole = 0;
        for (auto at = written.find("100%"); at != std::string::npos;
             at = written.find("100%", at + 1))
            ++whole;
        EXPECT_EQ(whole, c.bars);
        EXPECT_EQ(visible(written), c.errorSeen);
        EXPECT_EQ(out.str().find('\r'), std::string::npos);
    }
}

}  // namespace
}  // namespace velcor::app::cli
