// velcor-cli: the window's logic for scripts. It opens a payment list as the window's "..." does,
// through a host without a screen, and then checks, prepares or reports it.

#include "app/cli/CliOptions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/FileReason.h"
#include "fileio/HostPath.h"
#if defined(VELCOR_CLI_PDF)
#include "app/cli/ReportPdf.h"
#endif
#include "fileio/FileSystem.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/BulkPaymentDialog.h"
#include "window/ControlIds.h"
#include "window/HeadlessDialogHost.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
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
#endif

namespace {

using namespace velcor;
using namespace velcor::text::literals;
using app::cli::CliOptions;
using app::cli::Command;

constexpr int kFailure = 1;
constexpr int kUsageError = 2;
constexpr int kOutputError = 3;

constexpr auto kOutOfMemory = "Няма достатъчно памет!"_cp;
constexpr auto kNoReport = "Няма отчет: файлът не е подготвен"_cp;
constexpr auto kPdfOverOwnFile = "--pdf не може да замени списъка или файла с настройките: "_cp;
constexpr auto kPdfOverOtherFile = "--pdf не заменя файл, който не е PDF: "_cp;
constexpr auto kNameNotCp1251 = "името на списъка съдържа знаци извън Windows-1251: "_cp;
constexpr auto kFolderNotCp1251 = "папката на списъка съдържа знаци извън Windows-1251: "_cp;
constexpr auto kDateOfPreparedList =
    "--date не се приема за подготвен файл: датата му е тази в заглавния ред"_cp;

// An error of velcor-cli's own (usage, settings, encoding): the message boxes shown and a line on
// the standard error stream, or under --json one object on the standard output.
int fail(bool json, const std::string& error, const std::vector<std::string>& messages = {}) {
    if (json) {
        std::cout << app::cli::errorJson(error, kUsageError, messages);
        return kUsageError;
    }
    for (const std::string& message : messages)
        std::cerr << app::cli::terminalText(text::toUtf8(message)) << '\n';
    std::cerr << "velcor-cli: " << app::cli::terminalText(error) << '\n';
    return kUsageError;
}

// The Windows-1251 spelling of an argument; nothing when the code page cannot hold it.
std::optional<std::string> toCp1251(const std::string& utf8) {
    std::string out;
    if (!text::fromUtf8(utf8, out)) return std::nullopt;
    return out;
}

// The arguments as the window's logic takes them: Windows-1251.
struct Arguments {
    std::string listHostPath;  // the list's absolute path as the system spells it
    std::string list;
    std::string ini;
    std::optional<std::string> pdf;
    std::string type;
    std::vector<std::pair<window::ControlId, std::string>> typed;  // the payer options given
};

// Every text goes in as Windows-1251 before anything runs, so that a bad argument changes
// nothing. Why not, when one cannot.
std::optional<std::string> convertArguments(const CliOptions& options, Arguments& out) {
    // Normalised, so that "./" or "../" in the argument puts no full stop in front of the file
    // name, where it would turn the name rules off.
    std::error_code ec;
    const std::filesystem::path absoluteList =
        std::filesystem::absolute(fileio::pathFromUtf8(options.list), ec).lexically_normal();
    out.listHostPath = ec ? options.list : fileio::utf8FromPath(absoluteList);
    const std::optional<std::string> list = toCp1251(out.listHostPath);
    const std::optional<std::string> ini = toCp1251(options.ini);
    if (!list) {
        // Say which part cannot be spelled: a list in a folder named in another script is not
        // helped by renaming the list.
        const std::filesystem::path host = fileio::pathFromUtf8(out.listHostPath);
        if (toCp1251(fileio::utf8FromPath(host.filename())))
            return text::toUtf8(kFolderNotCp1251) + fileio::utf8FromPath(host.parent_path());
        return text::toUtf8(kNameNotCp1251) + options.list;
    }
    if (!ini) return "the settings path cannot be written in Windows-1251: " + options.ini;
    out.list = *list;
    out.ini = *ini;
    if (options.pdf) {
        out.pdf = toCp1251(*options.pdf);
        if (!out.pdf) return "the PDF's path cannot be written in Windows-1251: " + *options.pdf;
#if !defined(VELCOR_CLI_PDF)
        return std::string("--pdf needs a velcor-cli built with the window");
#endif
    }
    const std::optional<std::string> type =
        options.type ? toCp1251(*options.type) : std::string(settings::kDefaultTypeName);
    if (!type) return "--type cannot be written in Windows-1251: " + *options.type;
    out.type = *type;
    const std::pair<const std::optional<std::string>&, window::ControlId> payer[] = {
        {options.iban, window::idPayerIban},
        {options.bic, window::idPayerBic},
        {options.name, window::idPayerName},
        {options.kind, window::idPaymentKindCode},
        {options.code, window::idBudgetUnitCode}};
    for (const auto& [value, id] : payer) {
        if (!value) continue;
        const std::optional<std::string> typed = toCp1251(*value);
        if (!typed) return "a payer value cannot be written in Windows-1251: " + *value;
        out.typed.emplace_back(id, *typed);
    }
    return std::nullopt;
}

// Why the report's PDF may not go to the file the arguments name: it is the list or the settings
// (under any name or link), or an existing file that is no PDF, which the report would replace.
std::optional<std::string> pdfTargetRefusal(const CliOptions& options, const Arguments& args) {
    if (!options.pdf) return std::nullopt;
    const std::filesystem::path target = fileio::pathFromUtf8(*options.pdf);
    std::error_code ec;
    if (!std::filesystem::exists(target, ec)) return std::nullopt;
    for (const std::string& own : {args.listHostPath, options.ini}) {
        if (std::filesystem::equivalent(target, fileio::pathFromUtf8(own), ec))
            return text::toUtf8(kPdfOverOwnFile) + *options.pdf;
    }
    if (!std::filesystem::is_regular_file(target, ec)) return std::nullopt;
    // A file that cannot be read is left to the write, which says why it fails.
    char start[5] = {};
    std::ifstream file(target, std::ios::binary);
    if (file && (!file.read(start, sizeof start) || std::string_view(start, 5) != "%PDF-"))
        return text::toUtf8(kPdfOverOtherFile) + *options.pdf;
    return std::nullopt;
}

// Why nothing can run: the error and the window's messages shown before it.
struct Refusal {
    std::string error;
    std::vector<std::string> messages;
};

// The position of the first payment type named `type`; -1 for none.
int positionOf(const window::BulkPaymentDialog& dialog, const std::string& type) {
    const std::vector<settings::FormatDefinition>& formats = dialog.state().formats;
    for (std::size_t i = 0; i < formats.size(); ++i)
        if (formats[i].name == type) return static_cast<int>(i);
    return -1;
}

// Why there is no payment type to select, with the names there are.
std::string noPaymentTypeError(const window::BulkPaymentDialog& dialog, const CliOptions& options) {
    std::string names;
    for (const settings::FormatDefinition& format : dialog.state().formats)
        names += (names.empty() ? "" : ", ") + text::toUtf8(format.name);
    const std::string wanted =
        options.type ? "named " + *options.type : "to select: no DP, the default, and no --type";
    return "no payment type " + wanted +
           (names.empty() ? " (the settings have none)" : " (the settings have: " + names + ")");
}

// Opens the list as the window's "..." does, after the settings, the payment type and the payer
// options, each as the operator would give them. Why not, when nothing can run.
std::optional<Refusal> openList(window::BulkPaymentDialog& dialog, window::HeadlessDialogHost& host,
                                const CliOptions& options, const Arguments& args) {
    if (!dialog.initialise()) {
        std::string error = "cannot load the settings from " + options.ini;
        if (const auto reason = app::cli::unreadableFileReason(options.ini))
            error += ": " + text::toUtf8(*reason);
        return Refusal{error, host.messages()};
    }
    // Without a payment type no row would be checked and no header could name a layout: nothing
    // runs, whatever the command.
    const int position = positionOf(dialog, args.type);
    if (position < 0) return Refusal{noPaymentTypeError(dialog, options), {}};
    if (position != dialog.selectedPaymentType()) dialog.selectPaymentType(position);
    for (const auto& [id, value] : args.typed) host.type(id, value);

    host.openFileAnswer = args.list;
    dialog.browseInputFile();
    if (options.date) {
        const auto date = app::cli::parseCliDate(*options.date);
        // A prepared list's value date is its header's: another one would be printed in its
        // report and would not be the date the bank reads.
        if (!dialog.setPaymentDate(date->day, date->month, date->year))
            return Refusal{text::toUtf8(kDateOfPreparedList), host.messages()};
    }
    return std::nullopt;
}

// Checks, prepares or reports the opened list: the exit status, and the report it built.
int runCommand(Command command, window::BulkPaymentDialog& dialog,
               const window::HeadlessDialogHost& host, app::cli::RunResult& result) {
    switch (command) {
        case Command::check:
            return dialog.state().fileInvalid ? kFailure : 0;
        case Command::prepare:
            return dialog.prepareFile() ? 0 : kFailure;
        case Command::report:
            if (!dialog.showReport()) return kFailure;
            result.report = host.events().back().text;
            result.reportEvent = host.events().size() - 1;
            return 0;
    }
    return kFailure;
}

int run(const CliOptions& options) {
    const bool json = options.json;
    Arguments args;
    if (const auto error = convertArguments(options, args)) return fail(json, *error);
    if (const auto error = pdfTargetRefusal(options, args)) return fail(json, *error);

    window::HeadlessDialogHost host;
    window::BulkPaymentDialog dialog(host, fileio::standardFileSystem(), args.ini);
    if (const auto refusal = openList(dialog, host, options, args))
        return fail(json, refusal->error, refusal->messages);

    app::cli::RunResult result{dialog.state(), host,     std::nullopt,
                               std::nullopt,   kFailure, std::nullopt};
    result.exitCode = runCommand(options.command, dialog, host, result);
    if (result.exitCode != 0) {
        // The window only says that it could not read the list; the system can say why.
        if (const auto reason = app::cli::unreadableFileReason(args.listHostPath))
            result.error = options.list + ": " + text::toUtf8(*reason);
        else if (options.command == Command::report && !dialog.state().filePrepared)
            result.error = text::toUtf8(kNoReport);
    }
#if defined(VELCOR_CLI_PDF)
    // The report's PDF is output too: not written, the run fails as for the standard output.
    if (result.exitCode == 0 && args.pdf && result.report) {
        if (const auto reason = app::cli::writeReportPdf(*result.report, *args.pdf, *options.pdf)) {
            result.error = "cannot write the PDF to " + *options.pdf + ": " + text::toUtf8(*reason);
            result.exitCode = kOutputError;
        }
    }
#endif
    // Built whole before any of it is written, so that running out of memory on the way leaves
    // no half an object on the standard output.
    std::ostringstream out;
    if (json)
        app::cli::writeJson(out, result);
    else
        app::cli::writeHuman(out, result);
    std::cout << out.str();
    if (!json && result.error)
        std::cerr << "velcor-cli: " << app::cli::terminalText(*result.error) << '\n';
    return result.exitCode;
}

// `json` is set as soon as the arguments are read, for a failure after that point.
int runCommandLine(const std::vector<std::string>& arguments, bool& json) {
    std::vector<const char*> argv;
    for (const std::string& argument : arguments) argv.push_back(argument.c_str());
    CliOptions options;
    std::string error;
    const bool parsed =
        app::cli::parseCliOptions(static_cast<int>(argv.size()), argv.data(), options, error);
    json = options.json;
    if (!parsed) {
        fail(json, error);
        if (!json) std::cerr << app::cli::cliUsage();
        return kUsageError;
    }
    if (options.help) {
        std::cout << app::cli::cliUsage();
        return 0;
    }
    if (options.version) {
        std::cout << "velcor-cli " << VELCOR_VERSION << '\n';
        return 0;
    }
    return run(options);
}

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

// The output counts once it has reached its reader: a full disk or a closed pipe fails the run,
// whatever the command did.
int finishOutput(int status) {
    errno = 0;
    std::cout.flush();
    const bool written = std::fflush(stdout) == 0 && std::cout.good() && std::ferror(stdout) == 0;
    const int error = errno;
    if (written) return status;
    std::cerr << "velcor-cli: cannot write to the standard output";
    if (error != 0)
        std::cerr << ": "
                  << text::toUtf8(app::cli::systemErrorText(
                         std::error_code(error, std::generic_category())));
    std::cerr << '\n';
    return kOutputError;
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
    // Made before anything runs: once memory has run out, making them might fail too.
    const std::string outOfMemory = text::toUtf8(kOutOfMemory);
    const std::string outOfMemoryJson = app::cli::errorJson(outOfMemory, kFailure, {});
    bool json = false;
    int status = kFailure;
    try {
        status = runCommandLine(utf8Arguments(argc, argv), json);
    } catch (const std::bad_alloc&) {
        if (json)
            std::cout << outOfMemoryJson;
        else
            std::cerr << "velcor-cli: " << outOfMemory << '\n';
        status = kFailure;
    }
    return finishOutput(status);
}
