#include "app/cli/CliRun.h"

#include "app/cli/CliStatus.h"

#include "app/cli/CliOutput.h"
#include "fileio/HostPath.h"
#include "output/PrepareHistory.h"
#include "output/SepaExport.h"
#if defined(VELCOR_CLI_PDF)
#include "app/cli/ReportPdf.h"
#endif
#include "session/ListSession.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <filesystem>
#include <fstream>
#include <new>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace velcor::app::cli {

namespace {

using namespace velcor::text::literals;

constexpr auto kOutOfMemory = "Няма достатъчно памет!"_cp;
constexpr auto kNoReport = "Няма отчет: файлът не е подготвен"_cp;
constexpr auto kNoReportOfFailedList = "Няма отчет: подготвеният файл не минава проверката"_cp;
constexpr auto kPdfOverOwnFile = "--pdf не може да замени списъка или файла с настройките: "_cp;
constexpr auto kPdfOverOtherFile = "--pdf не заменя файл, който не е PDF: "_cp;
constexpr auto kSepaOverOwnFile = "--out не може да замени списъка или файла с настройките: "_cp;
constexpr auto kSepaOverOtherFile = "--out не заменя файл, който не е SEPA файл (pain.001): "_cp;
constexpr auto kNameNotCp1251 = "името на списъка съдържа знаци извън Windows-1251: "_cp;
constexpr auto kFolderNotCp1251 = "папката на списъка съдържа знаци извън Windows-1251: "_cp;
constexpr auto kSettingsNotCp1251 = "пътят до настройките съдържа знаци извън Windows-1251: "_cp;
constexpr auto kPdfNotCp1251 = "пътят до PDF файла съдържа знаци извън Windows-1251: "_cp;
constexpr auto kSepaNotCp1251 = "пътят до SEPA файла съдържа знаци извън Windows-1251: "_cp;
constexpr auto kTypeNotCp1251 = "--type съдържа знаци извън Windows-1251: "_cp;
constexpr auto kPayerNotCp1251 = "данните на наредителя съдържат знаци извън Windows-1251: "_cp;
constexpr auto kPdfNeedsWindow = "--pdf иска velcor-cli, компилиран заедно с прозореца"_cp;
constexpr auto kDateOfPreparedList =
    "--date не се приема за подготвен файл: датата му е тази в заглавния ред"_cp;
constexpr auto kStrictDate = "списъкът не е подготвен: --strict-date не приема тази дата на МП"_cp;
constexpr auto kStrictDateSepa =
    "SEPA файлът не е записан: --strict-date не приема тази дата на МП"_cp;
constexpr auto kSettingsNotLoaded = "не могат да се заредят настройките от "_cp;
constexpr auto kNoTypeNamed = "няма вид плащане %s"_cp;
constexpr auto kNoTypeToSelect =
    "няма вид плащане за избор: няма DP, който се избира сам, и няма --type"_cp;
constexpr auto kTypesThereAre = " (в настройките има: %s)"_cp;
constexpr auto kNoTypesAtAll = " (в настройките няма нито един)"_cp;
#if defined(VELCOR_CLI_PDF)
constexpr auto kPdfNotWritten = "PDF файлът не може да се запише в %s: %s"_cp;
#endif

// A text of velcor-cli's own, in the output's UTF-8.
std::string utf8(std::string_view cp1251) { return text::toUtf8(cp1251); }

// An error of velcor-cli's own (usage, settings, encoding): the message boxes shown and a line on
// the error stream, or under --json one object on the output.
int fail(std::ostream& out, std::ostream& err, bool json, const std::string& error,
         const std::vector<session::ShownMessage>& messages = {}) {
    if (json) {
        out << errorJson(error, kUsageError, messages);
        return kUsageError;
    }
    for (const session::ShownMessage& message : messages)
        err << terminalText(text::toUtf8(message.text)) << '\n';
    err << "velcor-cli: " << terminalText(error) << '\n';
    return kUsageError;
}

// The Windows-1251 spelling of an argument; nothing when the code page cannot hold it.
std::optional<std::string> toCp1251(const std::string& utf8Text) {
    std::string out;
    if (!text::fromUtf8(utf8Text, out)) return std::nullopt;
    return out;
}

// The arguments as the session takes them: Windows-1251.
struct Arguments {
    std::string listHostPath;  // the list's absolute path as the system spells it
    std::string list;
    std::string ini;
    std::optional<std::string> pdf;
    std::optional<std::string> sepaOut;  // the SEPA file's absolute path, when --out names it
    std::string type;
    session::TypedPayerValues typed;  // the payer options given
};

// Every text goes in as Windows-1251 before anything runs, so that a bad argument changes
// nothing. Nothing when all of them can; otherwise the error that says which cannot.
std::optional<std::string> convertArguments(const CliOptions& options, Arguments& out) {
    // Normalised, so that "./" or "../" in the argument puts no full stop in front of the file
    // name, where it would turn the name rules off.
    const auto absolute = [](const std::string& utf8Path) {
        std::error_code ec;
        const std::filesystem::path path =
            std::filesystem::absolute(fileio::pathFromUtf8(utf8Path), ec).lexically_normal();
        return ec ? utf8Path : fileio::utf8FromPath(path);
    };
    out.listHostPath = absolute(options.list);
    const std::optional<std::string> list = toCp1251(out.listHostPath);
    const std::optional<std::string> ini = toCp1251(options.ini);
    if (!list) {
        // Say which part cannot be spelled: a list in a folder named in another script is not
        // helped by renaming the list.
        const std::filesystem::path host = fileio::pathFromUtf8(out.listHostPath);
        if (toCp1251(fileio::utf8FromPath(host.filename())))
            return utf8(kFolderNotCp1251) + fileio::utf8FromPath(host.parent_path());
        return utf8(kNameNotCp1251) + options.list;
    }
    if (!ini) return utf8(kSettingsNotCp1251) + options.ini;
    out.list = *list;
    out.ini = *ini;
    if (options.pdf) {
        out.pdf = toCp1251(*options.pdf);
        if (!out.pdf) return utf8(kPdfNotCp1251) + *options.pdf;
#if !defined(VELCOR_CLI_PDF)
        return utf8(kPdfNeedsWindow);
#endif
    }
    // Absolute as the list is, so that the export knows the list under either name.
    if (options.out) {
        out.sepaOut = toCp1251(absolute(*options.out));
        if (!out.sepaOut) return utf8(kSepaNotCp1251) + *options.out;
    }
    const std::optional<std::string> type =
        options.type ? toCp1251(*options.type) : std::string(settings::kDefaultTypeName);
    if (!type) return utf8(kTypeNotCp1251) + *options.type;
    out.type = *type;
    const std::pair<const std::optional<std::string>&, std::optional<std::string>&> payer[] = {
        {options.iban, out.typed.iban},
        {options.bic, out.typed.bic},
        {options.name, out.typed.name},
        {options.kind, out.typed.kindCode},
        {options.code, out.typed.budgetUnitCode}};
    for (const auto& [value, typed] : payer) {
        if (!value) continue;
        typed = toCp1251(*value);
        if (!typed) return utf8(kPayerNotCp1251) + *value;
    }
    return std::nullopt;
}

// Why a file written beside the list may not go where the arguments name it: the list or the
// settings (under any name or link), or an existing file of another kind that it would replace.
// The session's own gate, told as velcor-cli's usage errors before anything runs.
std::optional<std::string> targetError(fileio::FileSystem& fs, const CliOptions& options,
                                       const Arguments& args) {
    struct Target {
        session::TargetKind kind;
        std::optional<std::string> path;  // Windows-1251
        std::string named;                // as given (UTF-8)
        std::string_view overOwnFile;
        std::string_view overOtherFile;
    };
    const std::string sepaPath = args.sepaOut.value_or(args.list + ".xml");
    const Target targets[] = {
        {session::TargetKind::pdf, args.pdf, options.pdf.value_or(""), kPdfOverOwnFile,
         kPdfOverOtherFile},
        {session::TargetKind::sepaXml,
         options.command == Command::sepa ? std::optional<std::string>(sepaPath) : std::nullopt,
         options.out.value_or(text::toUtf8(sepaPath)), kSepaOverOwnFile, kSepaOverOtherFile}};
    for (const Target& target : targets) {
        if (!target.path) continue;
        const auto refusal =
            session::targetRefusal(fs, target.kind, *target.path, args.list, args.ini);
        if (!refusal) continue;
        return utf8(refusal->why == session::TargetRefusal::Why::ownFile ? target.overOwnFile
                                                                         : target.overOtherFile) +
               target.named;
    }
    return std::nullopt;
}

// The position of the first payment type named `type`; -1 for none.
int positionOf(const session::ListState& state, const std::string& type) {
    for (std::size_t i = 0; i < state.formats.size(); ++i)
        if (state.formats[i].name == type) return static_cast<int>(i);
    return -1;
}

// Why there is no payment type to select, with the names there are.
std::string noPaymentTypeError(const session::ListState& state, const CliOptions& options) {
    std::string names;
    for (const settings::FormatDefinition& format : state.formats)
        names += (names.empty() ? "" : ", ") + text::toUtf8(format.name);
    std::string error = options.type
                            ? text::format(utf8(kNoTypeNamed).c_str(), options.type->c_str())
                            : utf8(kNoTypeToSelect);
    return error + (names.empty() ? utf8(kNoTypesAtAll)
                                  : text::format(utf8(kTypesThereAre).c_str(), names.c_str()));
}

// Why nothing can run: the error and the messages told before it.
struct Refusal {
    std::string error;
    std::vector<session::ShownMessage> messages;
};

std::vector<session::ShownMessage> messagesOf(const std::vector<session::Result>& results) {
    std::vector<session::ShownMessage> messages;
    for (const session::Result& result : results)
        messages.insert(messages.end(), result.messages.begin(), result.messages.end());
    return messages;
}

// The figures a reading of the list gives: those it counted, or none.
void takeFigures(const session::Result& result, Figures& figures) {
    if (!result.counted) {
        figures = {};
        return;
    }
    figures = {result.counted->totalText, result.counted->countText,
               result.counted->controlCodeText};
}

// Opens the list as the window's "..." does, after the settings, the payment type and the payer
// options, each as the operator would give them. Why not, when nothing can run.
std::optional<Refusal> openList(session::ListSession& session, const CliOptions& options,
                                const Arguments& args, std::vector<session::Result>& results,
                                Figures& figures) {
    results.push_back(session.loadSettings());
    if (!results.back().done()) {
        std::string error = utf8(kSettingsNotLoaded) + options.ini;
        if (const std::error_code cause = results.back().cause)
            error += ": " + text::toUtf8(session::fileReason(cause));
        return Refusal{error, messagesOf(results)};
    }
    // Without a payment type no row would be checked and no header could name a layout: nothing
    // runs, whatever the command.
    const int position = positionOf(session.state(), args.type);
    if (position < 0) return Refusal{noPaymentTypeError(session.state(), options), {}};
    if (position != session.state().paymentType)
        results.push_back(session.choosePaymentType(position));
    session.typePayerValues(args.typed);
    // Chosen before the list is opened, so that it is read once, by these rules.
    if (options.budgetRules)
        session.chooseBudgetRules(*processing::budgetRulesNamed(*options.budgetRules));
    results.push_back(session.open(args.list));
    if (session.state().inputPath == args.list) takeFigures(results.back(), figures);
    if (options.date) {
        const auto date = parseCliDate(*options.date);
        // A prepared list's value date is its header's: another one would be printed in its
        // report and would not be the date the bank reads.
        results.push_back(session.setValueDate(date->day, date->month, date->year));
        if (!results.back().done()) return Refusal{utf8(kDateOfPreparedList), messagesOf(results)};
    }
    return std::nullopt;
}

output::SepaChoices sepaChoices(const CliOptions& options) {
    output::SepaChoices choices;
    if (options.pain == "03") choices.version = output::PainVersion::v03;
    choices.instant = options.instant;
    choices.categoryPurpose = options.purpose.value_or("");
    choices.initiatorId = options.initiatorId.value_or("");
    if (options.batchBooking) choices.batchBooking = *options.batchBooking == "yes";
    return choices;
}

// Why the SEPA file was not written, where the system said why: the list could not be read
// again, or the file could not be written.
std::optional<std::string> sepaError(const session::Result& result, const CliOptions& options,
                                     const Arguments& args) {
    if (!result.cause) return std::nullopt;
    const std::string reason = text::toUtf8(session::fileReason(result.cause));
    if (result.causePath == args.list) return options.list + ": " + reason;
    return options.out.value_or(text::toUtf8(args.list) + ".xml") + ": " + reason;
}

// Written: 0; the file could not be written: output error, as for the report's PDF; refused: 1.
int sepaExitCode(const session::Result& result, const Arguments& args) {
    if (result.done()) return 0;
    const bool output = result.kind == session::ResultKind::failed && result.causePath != args.list;
    return output ? kOutputError : kFailure;
}

}  // namespace

int run(const CliOptions& options, std::ostream& out, std::ostream& err, fileio::FileSystem& fs,
        const ProgressTerminal& progress) {
    const bool json = options.json;
    // The bank's answer needs no list, settings or session: only the export's record.
    if (options.command == Command::status) {
        const std::optional<std::string> folder = output::userPrepareHistoryFolder();
        return runStatus(options, out, err, fs, folder);
    }
    Arguments args;
    if (const auto error = convertArguments(options, args)) return fail(out, err, json, *error);
    if (const auto error = targetError(fs, options, args)) return fail(out, err, json, *error);

    session::ListSession session(fs, args.ini);
    // A bar in front of the JSON object would break it for whoever reads both streams as one.
    session.runWorkWith(progressRunner(json ? ProgressTerminal{} : progress));
    // As the window: a list is prepared only with a copy to undo it with, in the user's folder.
    session.keepPreparesIn(output::userPrepareHistoryFolder());
    // velcor-cli never asks: it goes on with a value date the bank may refuse, and warns.
    const session::DateAnswer dateAnswer =
        options.strictDate ? session::DateAnswer::stop : session::DateAnswer::goOn;
    std::vector<session::Result> results;
    Figures figures;
    if (const auto refusal = openList(session, options, args, results, figures))
        return fail(out, err, json, refusal->error, refusal->messages);

    // Why the list could not be read, as the reading that opened it was told.
    const std::error_code listCause = results.back().cause;
    RunResult result{session.state(), std::nullopt, std::nullopt, std::move(results),
                     figures,         kFailure,     std::nullopt};
    switch (options.command) {
        case Command::check:
            result.exitCode = session.state().fileValid ? 0 : kFailure;
            break;
        case Command::prepare:
            result.results.push_back(session.prepare(dateAnswer));
            result.exitCode = result.results.back().done() ? 0 : kFailure;
            break;
        case Command::report:
            result.results.push_back(session.report());
            // A list that failed its check has told what is wrong with it once already.
            result.results.back().messages.clear();
            result.results.back().findings.reset();
            result.exitCode = result.results.back().done() ? 0 : kFailure;
            break;
        case Command::sepa:
            result.results.push_back(
                session.exportSepa(sepaChoices(options),
                                   args.sepaOut.value_or(session.suggestedSepaPath()), dateAnswer));
            result.exitCode = sepaExitCode(result.results.back(), args);
            result.sepa = SepaRun{sepaChoices(options), options.names};
            break;
        case Command::unprepare:
            result.results.push_back(session.undo());
            result.unprepared = result.results.back().done();
            if (result.unprepared) takeFigures(result.results.back(), result.figures);
            result.exitCode = result.unprepared ? 0 : kFailure;
            break;
        case Command::status:
            break;
    }
    const int position = session.state().paymentType;
    if (const auto entry = session.paymentTypeText(position)) {
        result.paymentType =
            text::toUtf8(session.state().formats[static_cast<std::size_t>(position)].name);
        result.paymentTypeEntry = std::string(*entry);
    }
    const session::Result& last = result.results.back();
    if (result.exitCode != 0) {
        // The session only says that it could not read the list; the system said why.
        if (listCause)
            result.error = options.list + ": " + text::toUtf8(session::fileReason(listCause));
        else if (options.command == Command::report && !session.state().filePrepared)
            result.error = utf8(kNoReport);
        else if (options.command == Command::report)
            result.error = utf8(kNoReportOfFailedList);
        else if (options.command == Command::sepa && last.cause)
            result.error = sepaError(last, options, args);
        else if (options.strictDate && last.valueDateWarning)
            result.error =
                options.command == Command::sepa ? utf8(kStrictDateSepa) : utf8(kStrictDate);
    }
#if defined(VELCOR_CLI_PDF)
    // The report's PDF is output too: not written, the run fails as for the standard output.
    const std::optional<std::string>& report = last.report;
    if (result.exitCode == 0 && args.pdf && report) {
        if (const auto reason = writeReportPdf(fs, *report, *args.pdf)) {
            result.error = text::format(utf8(kPdfNotWritten).c_str(), options.pdf->c_str(),
                                        text::toUtf8(*reason).c_str());
            result.exitCode = kOutputError;
        } else {
            output::narrowPermissions(fs, *args.pdf, output::filePermissions(fs, args.list));
        }
    }
#endif
    // Built whole before any of it is written, so that running out of memory on the way leaves
    // no half an object on the output.
    std::ostringstream text;
    if (json)
        writeJson(text, result);
    else
        writeHuman(text, result);
    if (!json) writeWarnings(err, result);
    out << text.str();
    if (!json && result.error) err << "velcor-cli: " << terminalText(*result.error) << '\n';
    return result.exitCode;
}

int runCommandLine(const std::vector<std::string>& arguments, std::ostream& out, std::ostream& err,
                   fileio::FileSystem& fs, const ProgressTerminal& progress) {
    // Made before anything runs: once memory has run out, making them might fail too.
    const std::string outOfMemory = utf8(kOutOfMemory);
    const std::string outOfMemoryJson = errorJson(outOfMemory, kFailure, {});
    bool json = false;
    try {
        std::vector<const char*> argv;
        for (const std::string& argument : arguments) argv.push_back(argument.c_str());
        CliOptions options;
        std::string error;
        const bool parsed =
            parseCliOptions(static_cast<int>(argv.size()), argv.data(), options, error);
        // Set as soon as the arguments are read, for a failure after that point.
        json = options.json;
        if (!parsed) {
            fail(out, err, json, error);
            if (!json) err << cliUsage();
            return kUsageError;
        }
        if (options.help) {
            out << cliUsage();
            return 0;
        }
        if (options.version) {
            out << "velcor-cli " << VELCOR_VERSION << '\n';
            return 0;
        }
        return run(options, out, err, fs, progress);
    } catch (const std::bad_alloc&) {
        if (json)
            out << outOfMemoryJson;
        else
            err << "velcor-cli: " << outOfMemory << '\n';
        return kFailure;
    }
}

}  // namespace velcor::app::cli
