#include "app/cli/CliProgress.h"

#include <string>

namespace velcor::app::cli {

namespace {

constexpr int kCells = 40;
// "[" + the cells + "] " + "100%": what one drawing covers, and an erasing blanks.
constexpr std::size_t kWidth = kCells + 7;

}  // namespace

ProgressBar::ProgressBar(const ProgressTerminal& terminal)
    : stream_(*terminal.stream), due_(std::chrono::steady_clock::now() + terminal.delay) {}

ProgressBar::~ProgressBar() {
    if (drawn_ < 0) return;
    stream_ << '\r' << std::string(kWidth, ' ') << '\r' << std::flush;
}

bool ProgressBar::report(std::uint64_t done, std::uint64_t total) {
    // A file whose size the system did not give has no share to show.
    if (total == 0) return true;
    const auto percent = static_cast<int>((done < total ? done : total) * 100 / total);
    if (percent == drawn_) return true;
    if (drawn_ < 0 && std::chrono::steady_clock::now() < due_) return true;
    drawn_ = percent;
    const int full = percent * kCells / 100;
    std::string line = "\r[";
    line.append(static_cast<std::size_t>(full), '#');
    line.append(static_cast<std::size_t>(kCells - full), '-');
    line += "] ";
    const std::string number = std::to_string(percent);
    line.append(3 - number.size(), ' ');
    line += number + "%";
    stream_ << line << std::flush;
    return true;
}

session::WorkRunner progressRunner(const ProgressTerminal& terminal) {
    return [terminal](std::string_view, const session::LongWork& work) {
        if (terminal.stream == nullptr) return work({});
        ProgressBar bar(terminal);
        work([&bar](std::uint64_t done, std::uint64_t total) { return bar.report(done, total); });
    };
}

}  // namespace velcor::app::cli
