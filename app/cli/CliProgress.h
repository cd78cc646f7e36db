#pragma once

// velcor-cli's progress bar, for a list that takes a while to read or to write back: on standard
// error when that is a terminal, drawn once the work has gone on for half a second and erased
// when it ends, before anything else is printed.

#include "session/ListSession.h"
#include "session/LongWork.h"

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string_view>

namespace velcor::app::cli {

// Where the bar is drawn: nowhere without a stream.
struct ProgressTerminal {
    std::ostream* stream = nullptr;
    std::chrono::milliseconds delay{500};  // work shorter than this draws nothing
};

// One bar for one piece of work, erased when it goes.
class ProgressBar {
  public:
    explicit ProgressBar(const ProgressTerminal& terminal);
    ~ProgressBar();
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    // The work's report (session::WorkProgress): draws the share read once it is due and whenever
    // it has grown by a percent. Never asks the work to stop.
    bool report(std::uint64_t done, std::uint64_t total);

  private:
    std::ostream& stream_;
    std::chrono::steady_clock::time_point due_;
    int drawn_ = -1;  // the percent on the terminal; -1: nothing drawn
};

// How velcor-cli runs the session's long work: with a bar on `terminal`, or unwatched.
session::WorkRunner progressRunner(const ProgressTerminal& terminal);

}  // namespace velcor::app::cli
