// velcor-cli: the window's logic for scripts. It opens a payment list as the window's "..." does,
// through a host without a screen, and then checks, prepares or reports it.

#include "app/cli/CliOptions.h"
#include "app/cli/CliOutput.h"
#include "app/cli/FileReason.h"
#if defined(VELCOR_CLI_PDF)
#include "app/cli/ReportPdf.h"
#endif
#include "fileio/FileSystem.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/BulkPaymentDialog.h"
#include "window/ControlIds.h"
#include "window/HeadlessHost.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#if !defined(_WIN32)
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

int run(const CliOptions& options) {
    struct Typed {
        const std::optional<std::string>& value;
        int id;
    };
    const Typed typed[] = {{options.iban, window::idPayerIban},
                           {options.bic, window::idPayerBic},
                           {options.name, window::idPayerName},
                           {options.kind, window::idPaymentKindCode},
                           {options.code, window::idBudgetUnitCode}};

    // Every text goes in as Windows-1251 before anything runs, so that a bad argument changes
    // nothing.
    std::error_code ec;
    // Normalised, so that "./" or "../" in the argument puts no full stop in front of the file
    // name, where it would turn the name rules off.
    const std::filesystem::path absoluteList =
        std::filesystem::absolute(options.list, ec).lexically_normal();
    const std::optional<std::string> list = toCp1251(ec ? options.list : absoluteList.string());
    const std::optional<std::string> ini = toCp1251(options.ini);
    const bool json = options.json;
    if (!list)
        return fail(json, "the list's path cannot be written in Windows-1251: " + options.list);
    if (!ini)
        return fail(json, "the settings path cannot be written in Windows-1251: " + options.ini);
    const std::optional<std::string> pdf = options.pdf ? toCp1251(*options.pdf) : std::nullopt;
    if (options.pdf && !pdf)
        return fail(json, "the PDF's path cannot be written in Windows-1251: " + *options.pdf);
#if !defined(VELCOR_CLI_PDF)
    if (pdf) return fail(json, "--pdf needs a velcor-cli built with the window");
#endif
    const std::optional<std::string> type = options.type ? toCp1251(*options.type) : "DP";
    if (!type) return fail(json, "--type cannot be written in Windows-1251: " + *options.type);
    std::optional<std::string> typedTexts[std::size(typed)];
    for (std::size_t i = 0; i < std::size(typed); ++i) {
        if (!typed[i].value) continue;
        typedTexts[i] = toCp1251(*typed[i].value);
        if (!typedTexts[i])
            return fail(json,
                        "a payer value cannot be written in Windows-1251: " + *typed[i].value);
    }

    window::HeadlessHost host;
    window::BulkPaymentDialog dialog(host, fileio::standardFileSystem(), *ini);
    if (!dialog.initialise()) {
        std::string error = "cannot load the settings from " + options.ini;
        if (const auto reason = app::cli::unreadableFileReason(options.ini))
            error += ": " + text::toUtf8(*reason);
        return fail(json, error, host.texts(window::HeadlessHost::EventKind::message));
    }

    int position = -1;
    for (std::size_t i = 0; i < dialog.formats.size(); ++i) {
        if (dialog.formats[i].name == *type) {
            position = static_cast<int>(i);
            break;
        }
    }
    // Without a payment type no row would be checked and no header could name a layout: nothing
    // runs, whatever the command.
    if (position < 0) {
        std::string names;
        for (const settings::FormatDefinition& format : dialog.formats)
            names += (names.empty() ? "" : ", ") + text::toUtf8(format.name);
        const std::string wanted = options.type ? "named " + *options.type
                                                : "to select: no DP, the default, and no --type";
        return fail(json, "no payment type " + wanted +
                              (names.empty() ? " (the settings have none)"
                                             : " (the settings have: " + names + ")"));
    }
    if (position != host.listSelection(window::idPaymentType)) {
        host.setListSelection(window::idPaymentType, position);
        dialog.changePaymentType();
    }
    for (std::size_t i = 0; i < std::size(typed); ++i)
        if (typedTexts[i]) host.type(typed[i].id, *typedTexts[i]);

    host.openFileAnswer = *list;
    dialog.browseInputFile();

    if (options.date) {
        const auto date = app::cli::parseCliDate(*options.date);
        dialog.paymentDate.day = date->day;
        dialog.paymentDate.month = date->month;
        dialog.paymentDate.year = date->year;
        dialog.paymentDate.valid = true;
        host.setDateValue(window::idPaymentDate, dialog.paymentDate);
    }

    app::cli::RunResult result{dialog, host, std::nullopt, std::nullopt, kFailure, std::nullopt};
    int status = kFailure;
    switch (options.command) {
        case Command::check:
            status = dialog.fileInvalid ? 1 : 0;
            break;
        case Command::prepare: {
            const bool preparedBefore = dialog.filePrepared;
            dialog.prepareFile();
            status = !preparedBefore && dialog.filePrepared ? 0 : 1;
            break;
        }
        case Command::report: {
            const std::size_t before = host.events().size();
            dialog.showReport();
            if (host.events().size() > before &&
                host.events().back().kind == window::HeadlessHost::EventKind::report) {
                result.report = host.events().back().text;
                result.reportEvent = host.events().size() - 1;
                status = 0;
            }
            break;
        }
    }
    result.exitCode = status;
    if (status != 0) {
        // The window only says that it could not read the list; the system can say why.
        if (const auto reason =
                app::cli::unreadableFileReason(ec ? options.list : absoluteList.string()))
            result.error = options.list + ": " + text::toUtf8(*reason);
        else if (options.command == Command::report && !dialog.filePrepared)
            result.error = text::toUtf8(kNoReport);
    }
#if defined(VELCOR_CLI_PDF)
    // The report's PDF is output too: not written, the run fails as for the standard output.
    if (status == 0 && pdf && result.report) {
        if (const auto reason = app::cli::writeReportPdf(*result.report, *pdf, *options.pdf)) {
            result.error = "cannot write the PDF to " + *options.pdf + ": " + text::toUtf8(*reason);
            result.exitCode = status = kOutputError;
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
    return status;
}

// `json` is set as soon as the arguments are read, for a failure after that point.
int runCommandLine(int argc, char** argv, bool& json) {
    CliOptions options;
    std::string error;
    const bool parsed = app::cli::parseCliOptions(argc, argv, options, error);
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
#if !defined(_WIN32)
    // A reader that went away is a failed write to report, not a reason to die without a word.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    // Made before anything runs: once memory has run out, making them might fail too.
    const std::string outOfMemory = text::toUtf8(kOutOfMemory);
    const std::string outOfMemoryJson = app::cli::errorJson(outOfMemory, kFailure, {});
    bool json = false;
    int status = kFailure;
    try {
        status = runCommandLine(argc, argv, json);
    } catch (const std::bad_alloc&) {
        if (json)
            std::cout << outOfMemoryJson;
        else
            std::cerr << "velcor-cli: " << outOfMemory << '\n';
        status = kFailure;
    }
    return finishOutput(status);
}
