#include "support/ShellRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace velcor::cli::test {
namespace {

using CliProgress = testing::ExamplesShell;

// What one run of velcor-cli with a pseudo-terminal for its output showed there and wrote to a
// file instead, and whether it was still at work when it was ended.
struct TerminalRun {
    std::string terminal;
    std::string errorFile;
    bool stillRunning = false;
};

// Runs velcor-cli in `folder` with `arguments`, its output on a pseudo-terminal and its standard
// error there too, or in a file; until the terminal shows `until` (or, without it, for `span`);
// then ends it.
TerminalRun runOnTerminal(const std::filesystem::path& folder,
                          const std::vector<std::string>& arguments, bool errorToFile,
                          const std::string& until, std::chrono::seconds span) {
    TerminalRun run;
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) return run;
    const std::string slaveName = ::ptsname(master);
    const std::string errorPath = (folder / "stderr.txt").string();
    std::vector<char*> argv{const_cast<char*>(VELCOR_CLI)};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    const pid_t child = ::fork();
    if (child == 0) {
        ::setsid();
        const int slave = ::open(slaveName.c_str(), O_RDWR);
        const int error =
            errorToFile ? ::open(errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600) : slave;
        ::dup2(slave, STDOUT_FILENO);
        ::dup2(error, STDERR_FILENO);
        ::close(master);
        if (::chdir(folder.c_str()) != 0) ::_exit(127);
        ::execv(VELCOR_CLI, argv.data());
        ::_exit(127);
    }
    const auto end = std::chrono::steady_clock::now() + span;
    while (std::chrono::steady_clock::now() < end &&
           (until.empty() || run.terminal.find(until) == std::string::npos)) {
        pollfd ready{master, POLLIN, 0};
        if (::poll(&ready, 1, 100) <= 0) continue;
        char buffer[4096];
        const ssize_t got = ::read(master, buffer, sizeof buffer);
        if (got <= 0) break;  // the child has gone
        run.terminal.append(buffer, static_cast<std::size_t>(got));
    }
    int status = 0;
    run.stillRunning = ::waitpid(child, &status, WNOHANG) == 0;
    ::kill(child, SIGTERM);
    ::waitpid(child, &status, 0);
    ::close(master);
    if (errorToFile) run.errorFile = testing::readFileBytes(errorPath);
    return run;
}

// A list that takes far longer than half a second to read: a bar on a terminal's standard error,
// none where standard error is a file, none with --json.
TEST_F(CliProgress, ABarOnlyOnATerminalAndNeverWithJson) {
    // A hole of many gigabytes: no disk space, and no machine reads it in half a second.
    std::error_code error;
    std::filesystem::resize_file(dir.path() / "O081206P.1DP", std::uintmax_t{64} << 30, error);
    if (error) GTEST_SKIP() << "no file of 64 GiB here: " << error.message();

    const TerminalRun shown =
        runOnTerminal(dir.path(), {"check", "O081206P.1DP"}, false, "%", std::chrono::seconds(60));
    EXPECT_NE(shown.terminal.find("\r["), std::string::npos) << shown.terminal;
    EXPECT_NE(shown.terminal.find("0%"), std::string::npos) << shown.terminal;

    const struct {
        std::vector<std::string> arguments;
        bool errorToFile;
    } none[] = {{{"--json", "check", "O081206P.1DP"}, false}, {{"check", "O081206P.1DP"}, true}};
    for (const auto& c : none) {
        SCOPED_TRACE(c.arguments.front() + (c.errorToFile ? " 2>file" : ""));
        const TerminalRun run =
            runOnTerminal(dir.path(), c.arguments, c.errorToFile, "", std::chrono::seconds(2));
        EXPECT_TRUE(run.stillRunning) << "it read for as long as a bar waits";
        EXPECT_EQ(run.terminal.find('%'), std::string::npos) << run.terminal;
        EXPECT_EQ(run.errorFile.find('%'), std::string::npos) << run.errorFile;
    }
}

}  // namespace
}  // namespace velcor::cli::test
