#include "app/cli/CliOptions.h"

#include "processing/DateTime.h"

#include <string_view>
#include <utility>

namespace velcor::app::cli {

const char* cliUsage() {
    return "Usage: velcor-cli [--ini FILE] [--type NAME] [--date DDMMYYYY] [--iban X] [--bic X]\n"
           "                  [--name X] [--kind X] [--code X] [--json] (check|prepare|report) "
           "LIST\n"
           "       velcor-cli [options] report --pdf FILE LIST\n"
           "\n"
           "Opens LIST as the window's \"...\" does, with the settings of FILE (default omp.ini)\n"
           "and the payment type NAME (default DP), then:\n"
           "  check    exits 0 when the list is valid\n"
           "  prepare  writes the prepared file over LIST; exits 0 when this run wrote it\n"
           "  report   prints the processing report of a prepared LIST; exits 0 when built;\n"
           "           with --pdf also writes it to FILE as the report window's PDF\n"
           "Payer options are typed into the window's edits before the list is opened.\n"
           "--json prints one JSON object, for errors too. Exit status 1 otherwise (and when\n"
           "memory runs out), 2 for usage, settings or encoding errors, 3 when the output (or\n"
           "the PDF) could not be written.\n";
}

bool parseCliOptions(int argc, const char* const* argv, CliOptions& out, std::string& error) {
    struct Valued {
        std::string_view name;
        std::optional<std::string>* target;
    };
    std::optional<std::string> ini;
    const Valued valued[] = {{"--ini", &ini},       {"--type", &out.type}, {"--date", &out.date},
                             {"--iban", &out.iban}, {"--bic", &out.bic},   {"--name", &out.name},
                             {"--kind", &out.kind}, {"--code", &out.code}, {"--pdf", &out.pdf}};
    std::optional<std::string> command;
    std::optional<std::string> list;
    // The first error is the one told; the arguments after it are still read, so that a --json
    // anywhere on the line shapes the report of that error too.
    error.clear();
    const auto refuse = [&error](std::string reason) {
        if (error.empty()) error = std::move(reason);
    };
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--help" || arg == "-h") {
                out.help = true;
                continue;
            }
            if (arg == "--version") {
                out.version = true;
                continue;
            }
            if (arg == "--json") {
                out.json = true;
                continue;
            }
            bool known = false;
            for (const Valued& option : valued) {
                const std::string prefix = std::string(option.name) + "=";
                if (arg == option.name) {
                    if (i + 1 >= argc) {
                        refuse("option " + std::string(arg) + " needs a value");
                        return false;
                    }
                    *option.target = argv[++i];
                    known = true;
                } else if (arg.substr(0, prefix.size()) == prefix) {
                    *option.target = std::string(arg.substr(prefix.size()));
                    known = true;
                }
                if (known) break;
            }
            if (!known) refuse("unknown option " + std::string(arg));
            continue;
        }
        if (!command) {
            command = std::string(arg);
        } else if (!list) {
            list = std::string(arg);
        } else {
            refuse("unexpected argument " + std::string(arg));
        }
    }
    if (!error.empty()) return false;
    if (ini) out.ini = *ini;
    if (out.help || out.version) return true;
    if (!command || !list) {
        error = "a command and a list are needed";
        return false;
    }
    if (*command == "check") {
        out.command = Command::check;
    } else if (*command == "prepare") {
        out.command = Command::prepare;
    } else if (*command == "report") {
        out.command = Command::report;
    } else {
        error = "unknown command " + *command;
        return false;
    }
    out.list = *list;
    if (out.pdf && out.command != Command::report) {
        error = "--pdf goes with the report command";
        return false;
    }
    if (out.pdf && out.pdf->empty()) {
        error = "--pdf needs a file name";
        return false;
    }
    if (out.date && !parseCliDate(*out.date)) {
        error = "--date needs a real date written DDMMYYYY";
        return false;
    }
    return true;
}

std::optional<CliDate> parseCliDate(const std::string& text) {
    if (text.size() != 8) return std::nullopt;
    for (const char c : text)
        if (c < '0' || c > '9') return std::nullopt;
    const CliDate date{std::stoi(text.substr(0, 2)), std::stoi(text.substr(2, 2)),
                       std::stoi(text.substr(4, 4))};
    if (!processing::isValidDate(date.day, date.month, date.year)) return std::nullopt;
    return date;
}

}  // namespace velcor::app::cli
