// velcor-cli's process: its arguments as UTF-8, a console that shows UTF-8, standard streams that
// stay what they are, and the output flushed and checked at the end. The work itself is
// CliRun's, which runs in-process as well.

#include "app/cli/CliRun.h"
#include "fileio/FileSystem.h"
#include "session/Messages.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

using namespace velcor;
using namespace velcor::text::literals;

constexpr auto kOutputNotWritten = "не може да се пише в стандартния изход"_cp;

// The arguments in UTF-8. Windows hands main() its argv in the ANSI code page, which loses every
// letter the page lacks (Cyrillic on a western system): there they come from the command line as
// the system keeps it, in UTF-16.
std::vector<std::string> utf8Arguments([[maybe_unused]] int argc, [[maybe_unused]] char** argv) {
    std::vector<std::string> arguments;
#if defined(_WIN32)
    int count = 0;
    wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
    if (wide != nullptr) {
        for (int i = 0; i < count; ++i) {
            const int size =
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
            std::string utf8(static_cast<std::size_t>(size > 0 ? size : 1), '\0');
            if (size > 0)
                WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, utf8.data(), size, nullptr, nullptr);
            utf8.pop_back();  // the terminating NUL
            arguments.push_back(std::move(utf8));
        }
        LocalFree(wide);
        return arguments;
    }
#endif
    arguments.assign(argv, argv + argc);
    return arguments;
}

#if defined(_WIN32)
// velcor-cli writes UTF-8. A console shows text in its own code page, so for the run it is told
// to take UTF-8, and set back afterwards; a file or a pipe gets the bytes as they are.
class Utf8Console {
  public:
    Utf8Console() : previous_(GetConsoleOutputCP()) {
        if (previous_ != 0 && previous_ != CP_UTF8) SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console() {
        if (previous_ != 0 && previous_ != CP_UTF8) SetConsoleOutputCP(previous_);
    }
    Utf8Console(const Utf8Console&) = delete;
    Utf8Console& operator=(const Utf8Console&) = delete;

  private:
    UINT previous_;  // 0 without a console
};
#endif

// A standard stream the caller closed stays unusable, yet its number is taken: /dev/null opened
// the wrong way round fails every write as the closed stream would, and no file opened later (a
// list, the prepared file's temporary) can get that number and receive the output.
void holdClosedStandardStreams() {
#if !defined(_WIN32)
    for (int fd = 0; fd <= 2; ++fd)
        if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF)
            (void)::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
#endif
}

// Whether standard error is a terminal, where a progress bar can be drawn and erased again; a file
// or a pipe would keep every drawing of it.
bool errorStreamIsTerminal() {
#if defined(_WIN32)
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
#else
    return ::isatty(STDERR_FILENO) != 0;
#endif
}

// The output counts once it has reached its reader: a full disk or a closed pipe fails the run,
// whatever the command did.
int finishOutput(int status) {
    errno = 0;
    std::cout.flush();
    const bool written = std::fflush(stdout) == 0 && std::cout.good() && std::ferror(stdout) == 0;
    const int error = errno;
    if (written) return status;
    std::cerr << "velcor-cli: " << text::toUtf8(kOutputNotWritten);
    if (error != 0)
        std::cerr << ": "
                  << text::toUtf8(
                         session::fileReason(std::error_code(error, std::generic_category())));
    std::cerr << '\n';
    return app::cli::kOutputError;
}

}  // namespace

int main(int argc, char** argv) {
    holdClosedStandardStreams();
#if defined(_WIN32)
    const Utf8Console console;
#else
    // A reader that went away is a failed write to report, not a reason to die without a word.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    app::cli::ProgressTerminal progress;
    if (errorStreamIsTerminal()) progress.stream = &std::cerr;
    const int status = app::cli::runCommandLine(utf8Arguments(argc, argv), std::cout, std::cerr,
                                                fileio::standardFileSystem(), progress);
    return finishOutput(status);
}
