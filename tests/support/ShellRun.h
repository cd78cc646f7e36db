#pragma once

// Programs run as from a terminal: command lines through a POSIX shell, in a folder of copies of
// the examples, with what they wrote and their exit status. velcor-cli's end-to-end tests and
// those of the window program's start share it.

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <string>

namespace velcor::testing {

struct CliRun {
    int status = -1;  // -1: ended by a signal
    std::string out;
    std::string err;
};

inline std::string quoted(const std::string& text) {
    std::string out = "'";
    for (const char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

// Each test works on copies of the examples, so the committed files never change.
class ExamplesShell : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const auto& entry : std::filesystem::directory_iterator(VELCOR_EXAMPLES_DIR))
            std::filesystem::copy_file(entry.path(), dir.path() / entry.path().filename());
    }

    // Runs a shell command line in the folder of the copies.
    CliRun runShell(const std::string& commandLine) {
        const std::string errFile = (dir.path() / "stderr.txt").string();
        const std::string command =
            "cd " + quoted(dir.path().string()) + " && " + commandLine + " 2>" + quoted(errFile);
        CliRun result;
        FILE* pipe = popen(command.c_str(), "r");
        if (pipe == nullptr) return result;
        std::array<char, 4096> buffer;
        std::size_t n;
        while ((n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0)
            result.out.append(buffer.data(), n);
        const int status = pclose(pipe);
        result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        result.err = readFileBytes(errFile);
        std::filesystem::remove(errFile);
        return result;
    }

    CliRun run(const std::string& arguments) {
        return runShell(quoted(VELCOR_CLI) + " " + arguments);
    }

    std::string file(const char* name) { return readFileBytes(dir.path() / name); }

    // A file or folder only root can read past.
    void lock(const char* name) {
        std::filesystem::permissions(dir.path() / name, std::filesystem::perms::none);
    }

    TempDir dir;
};

}  // namespace velcor::testing
