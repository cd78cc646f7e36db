#pragma once

// velcor-cli's work, callable in-process: the command line read, the window's logic run on a
// host without a screen through its intents, and the outcome printed. The process around it
// (arguments, console, standard streams) is main.cpp's.

#include "app/cli/CliOptions.h"
#include "app/cli/CliProgress.h"
#include "fileio/FileSystem.h"

#include <ostream>
#include <string>
#include <vector>

namespace velcor::app::cli {

inline constexpr int kFailure = 1;
inline constexpr int kUsageError = 2;
inline constexpr int kOutputError = 3;

// Runs the parsed options against `fs`, printing to `out` and `err` (UTF-8); the exit status.
// Long work draws its progress on `progress`, unless the output is JSON.
int run(const CliOptions& options, std::ostream& out, std::ostream& err, fileio::FileSystem& fs,
        const ProgressTerminal& progress = {});

// Reads the arguments (UTF-8, the program's name first) and runs them; usage errors, --help and
// --version are answered here, and running out of memory ends the run with its message.
int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   fileio::FileSystem& fs, const ProgressTerminal& progress = {});

}  // namespace velcor::app::cli
