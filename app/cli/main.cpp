// velcor-cli: the window's logic for scripts. It opens a payment list as the window's "..." does,
// through a host without a screen, and then checks, prepares or reports it.

#include "app/cli/CliOptions.h"
#include "app/cli/CliOutput.h"
#include "fileio/FileSystem.h"
#include "text/Text.h"
#include "window/BulkPaymentDialog.h"
#include "window/ControlIds.h"
#include "window/HeadlessHost.h"

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>

namespace {

using namespace velcor;
using app::cli::CliOptions;
using app::cli::Command;

constexpr int kUsageError = 2;

int fail(const std::string& message) {
    std::cerr << "velcor-cli: " << message << '\n';
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
    if (!list) return fail("the list's path cannot be written in Windows-1251: " + options.list);
    if (!ini) return fail("the settings path cannot be written in Windows-1251: " + options.ini);
    const std::optional<std::string> type = options.type ? toCp1251(*options.type) : "DP";
    if (!type) return fail("--type cannot be written in Windows-1251: " + *options.type);
    std::optional<std::string> typedTexts[std::size(typed)];
    for (std::size_t i = 0; i < std::size(typed); ++i) {
        if (!typed[i].value) continue;
        typedTexts[i] = toCp1251(*typed[i].value);
        if (!typedTexts[i])
            return fail("a payer value cannot be written in Windows-1251: " + *typed[i].value);
    }

    window::HeadlessHost host;
    window::BulkPaymentDialog dialog(host, fileio::standardFileSystem(), *ini);
    if (!dialog.initialise()) {
        for (const std::string& message : host.texts(window::HeadlessHost::EventKind::message))
            std::cerr << text::toUtf8(message) << '\n';
        return fail("cannot load the settings from " + options.ini);
    }

    int position = -1;
    for (std::size_t i = 0; i < dialog.formats.size(); ++i) {
        if (dialog.formats[i].name == *type) {
            position = static_cast<int>(i);
            break;
        }
    }
    if (position < 0 && options.type) {
        std::string names;
        for (const settings::FormatDefinition& format : dialog.formats)
            names += (names.empty() ? "" : ", ") + text::toUtf8(format.name);
        return fail("no payment type named " + *options.type + " (the settings have: " + names +
                    ")");
    }
    if (position >= 0 && position != host.listSelection(window::idPaymentType)) {
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

    app::cli::RunResult result{dialog, host, std::nullopt, std::nullopt};
    int status = 1;
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
    if (options.json)
        app::cli::writeJson(std::cout, result);
    else
        app::cli::writeHuman(std::cout, result);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    CliOptions options;
    std::string error;
    if (!app::cli::parseCliOptions(argc, argv, options, error)) {
        std::cerr << "velcor-cli: " << error << "\n" << app::cli::cliUsage();
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
