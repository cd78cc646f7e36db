#include "app/cli/CliOptions.h"

#include "output/SepaDocument.h"
#include "processing/BudgetRules.h"
#include "processing/DateTime.h"

#include <string_view>
#include <utility>
#include <vector>

namespace velcor::app::cli {

namespace {

// One option of the command line: what it is called, what it takes and where that goes.
struct Option {
    std::string_view name;
    std::string_view valueName;  // empty for an option without a value
    void (*take)(CliOptions& options, std::string value);
    bool inSynopsis = true;  // shown in the first line of the usage
    // The one command it goes with, which has a line of its own in the usage; empty for all.
    std::string_view command = {};
};

const Option kOptions[] = {
    {"--ini", "ФАЙЛ", [](CliOptions& o, std::string v) { o.ini = std::move(v); }},
    {"--type", "ВИД", [](CliOptions& o, std::string v) { o.type = std::move(v); }},
    {"--date", "ДДММГГГГ", [](CliOptions& o, std::string v) { o.date = std::move(v); }},
    {"--iban", "X", [](CliOptions& o, std::string v) { o.iban = std::move(v); }},
    {"--bic", "X", [](CliOptions& o, std::string v) { o.bic = std::move(v); }},
    {"--name", "X", [](CliOptions& o, std::string v) { o.name = std::move(v); }},
    {"--kind", "X", [](CliOptions& o, std::string v) { o.kind = std::move(v); }},
    {"--code", "X", [](CliOptions& o, std::string v) { o.code = std::move(v); }},
    {"--json", "", [](CliOptions& o, std::string) { o.json = true; }},
    {"--strict-date", "", [](CliOptions& o, std::string) { o.strictDate = true; }},
    {"--budget-rules", "2006|2023",
     [](CliOptions& o, std::string v) { o.budgetRules = std::move(v); }},
    {"--pdf", "ФАЙЛ", [](CliOptions& o, std::string v) { o.pdf = std::move(v); }, false, "report"},
    {"--pain", "09|03", [](CliOptions& o, std::string v) { o.pain = std::move(v); }, false, "sepa"},
    {"--instant", "", [](CliOptions& o, std::string) { o.instant = true; }, false, "sepa"},
    {"--purpose", "КОД", [](CliOptions& o, std::string v) { o.purpose = std::move(v); }, false,
     "sepa"},
    {"--initiator-id", "ЕИК", [](CliOptions& o, std::string v) { o.initiatorId = std::move(v); },
     false, "sepa"},
    {"--batch-booking", "yes|no",
     [](CliOptions& o, std::string v) { o.batchBooking = std::move(v); }, false, "sepa"},
    {"--names", "", [](CliOptions& o, std::string) { o.names = true; }, false, "sepa"},
    {"--out", "ФАЙЛ", [](CliOptions& o, std::string v) { o.out = std::move(v); }, false, "sepa"},
    {"--rejected-list", "ФАЙЛ", [](CliOptions& o, std::string v) { o.rejectedList = std::move(v); },
     false, "status"},
    {"--help", "", [](CliOptions& o, std::string) { o.help = true; }, false},
    {"-h", "", [](CliOptions& o, std::string) { o.help = true; }, false},
    {"--version", "", [](CliOptions& o, std::string) { o.version = true; }, false},
};

const Option* optionOf(std::string_view arg, std::optional<std::string>& inlineValue);

const Option& pdfOption() {
    std::optional<std::string> none;
    return *optionOf("--pdf", none);
}

// The synopsis is wrapped so that no line is longer than this.
constexpr std::size_t kUsageWidth = 89;

// The characters of a UTF-8 text, as a terminal lays them out: its bytes but continuation bytes.
std::size_t characters(std::string_view utf8) {
    std::size_t count = 0;
    for (const char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80 ? 1 : 0;
    return count;
}
constexpr std::string_view kUsageStart = "Употреба: velcor-cli";
constexpr std::string_view kContinuation = "                     ";

constexpr std::string_view kDescription =
    "Отваря СПИСЪК, както бутонът \"...\" на прозореца, с настройките от ФАЙЛ (по подразбиране\n"
    "omp.ini) и вида плащане ВИД (по подразбиране DP), и после:\n"
    "  check    завършва с 0, когато списъкът е коректен\n"
    "  prepare  записва подготвения файл върху СПИСЪК; 0, когато този път го е записал\n"
    "  report   показва отчета за обработката на подготвен СПИСЪК; 0, когато е съставен;\n"
    "           с --pdf го записва и във ФАЙЛ като PDF, както прозорецът на отчета\n"
    "  sepa     записва плащанията на коректен СПИСЪК като SEPA кредитен превод (ISO 20022\n"
    "           pain.001, по подразбиране .09) в СПИСЪК.xml или във ФАЙЛ на --out; 0, когато\n"
    "           го е записал; --names показва имената от списъка и както отиват във файла\n"
    "           --initiator-id ЕИК записва ЕИК на наредителя във файла (InitgPty);\n"
    "           --batch-booking yes|no иска общо (yes) или отделно (no) осчетоводяване\n"
    "  unprepare\n"
    "           връща СПИСЪК във вида отпреди последната му подготовка, докато той е точно\n"
    "           файлът, записан от нея; 0, когато е върнат\n"
    "  status   чете отговора на банката ОТГОВОР.xml (pain.002) за записан SEPA файл и показва\n"
    "           състоянието му и всяко неприето плащане; 0, когато всичко е прието, 1 при\n"
    "           отхвърлено или чакащо плащане или несъответствие, 2 когато файлът не е отговор\n"
    "           за известен SEPA файл; --rejected-list записва отхвърлените редове, както са\n"
    "           били в списъка, в нов ФАЙЛ (3, когато не може)\n"
    "Данните на наредителя се въвеждат в полетата на прозореца, преди списъкът да се отвори.\n"
    "Дата на МП, която банката може да не приеме (минала, събота или неделя, празник),\n"
    "prepare съобщава като предупреждение и продължава; с --strict-date отказва (код 1).\n"
    "Плащанията към бюджета се проверяват по правилата до 30.09.2023 (2006, по подразбиране:\n"
    "код за плащане) или с --budget-rules 2023 по тези от 01.10.2023 (идентификатор на\n"
    "задълженото лице; код за плащане само за сметки с 84 на позиции 13-14).\n"
    "--json извежда един JSON обект (формат 2), и при грешка. Иначе кодът на завършване е 1\n"
    "(и при липса на памет), 2 при грешка в командния ред, настройките или кодировката,\n"
    "3 когато изходът, PDF или SEPA файлът не може да се запише.\n";

// The option an argument names: "--name", or "--name=value" for an option with a value (then
// `inlineValue` is that value). nullptr for none.
const Option* optionOf(std::string_view arg, std::optional<std::string>& inlineValue) {
    for (const Option& option : kOptions) {
        if (arg == option.name) return &option;
        if (option.valueName.empty()) continue;
        if (arg.size() > option.name.size() && arg.starts_with(option.name) &&
            arg[option.name.size()] == '=') {
            inlineValue = std::string(arg.substr(option.name.size() + 1));
            return &option;
        }
    }
    return nullptr;
}

// The name of a command as the command line gives it.
std::string_view commandName(Command command) {
    switch (command) {
        case Command::check:
            return "check";
        case Command::prepare:
            return "prepare";
        case Command::report:
            return "report";
        case Command::sepa:
            return "sepa";
        case Command::unprepare:
            return "unprepare";
        case Command::status:
            return "status";
    }
    return {};
}

// What the arguments after the options name, and the checks that need them all.
bool takeCommand(const std::optional<std::string>& command, const std::optional<std::string>& list,
                 const std::vector<const Option*>& given, CliOptions& out, std::string& error) {
    if (!command || !list) {
        error = "нужни са команда и списък";
        return false;
    }
    if (*command == "check") {
        out.command = Command::check;
    } else if (*command == "prepare") {
        out.command = Command::prepare;
    } else if (*command == "report") {
        out.command = Command::report;
    } else if (*command == "sepa") {
        out.command = Command::sepa;
    } else if (*command == "unprepare") {
        out.command = Command::unprepare;
    } else if (*command == "status") {
        out.command = Command::status;
    } else {
        error = "непозната команда " + *command;
        return false;
    }
    out.list = *list;
    for (const Option* option : given) {
        if (option->command.empty() || option->command == commandName(out.command)) continue;
        error = std::string(option->name) + " е само за командата " + std::string(option->command);
        return false;
    }
    if (out.pdf && out.pdf->empty()) {
        error = "--pdf иска име на файл";
        return false;
    }
    if (out.pain && *out.pain != "09" && *out.pain != "03") {
        error = "--pain иска 09 или 03";
        return false;
    }
    if (out.purpose && !output::isCategoryPurposeCode(*out.purpose)) {
        error =
            "--purpose иска код от списъка ExternalCategoryPurpose1Code на ISO 20022, например "
            "SALA";
        return false;
    }
    if (out.initiatorId && !output::isInitiatorId(*out.initiatorId)) {
        error = "--initiator-id иска ЕИК/БУЛСТАТ от 9 или 13 цифри с верни контролни цифри";
        return false;
    }
    if (out.batchBooking && *out.batchBooking != "yes" && *out.batchBooking != "no") {
        error = "--batch-booking иска yes или no";
        return false;
    }
    if (out.rejectedList && out.rejectedList->empty()) {
        error = "--rejected-list иска име на файл";
        return false;
    }
    if (out.out && out.out->empty()) {
        error = "--out иска име на файл";
        return false;
    }
    if (out.budgetRules && !processing::budgetRulesNamed(*out.budgetRules)) {
        error = "--budget-rules иска 2006 или 2023";
        return false;
    }
    if (out.date && !parseCliDate(*out.date)) {
        error = "--date иска истинска дата във вида ДДММГГГГ";
        return false;
    }
    return true;
}

}  // namespace

std::string cliUsage() {
    std::string usage(kUsageStart);
    std::size_t lineStart = 0;
    const auto add = [&](std::string_view piece) {
        if (characters(std::string_view(usage).substr(lineStart)) + 1 + characters(piece) >
            kUsageWidth) {
            usage += '\n';
            lineStart = usage.size();
            usage += kContinuation;
        } else {
            usage += ' ';
        }
        usage += piece;
    };
    const auto newLine = [&](std::string_view start) {
        usage += '\n';
        lineStart = usage.size();
        usage += start;
    };
    const auto optional = [](const Option& option) {
        // Appended piece by piece: GCC 12 misreads "[" + std::string(...) as overlapping copies.
        std::string piece(1, '[');
        piece += option.name;
        if (!option.valueName.empty()) {
            piece += ' ';
            piece += option.valueName;
        }
        piece += ']';
        return piece;
    };
    for (const Option& option : kOptions)
        if (option.inSynopsis) add(optional(option));
    add("(check|prepare|report|sepa|unprepare)");
    add("СПИСЪК");
    newLine("          velcor-cli [опции] report " + std::string(pdfOption().name) + " " +
            std::string(pdfOption().valueName) + " СПИСЪК");
    newLine("          velcor-cli [опции] sepa");
    for (const Option& option : kOptions)
        if (option.command == "sepa") add(optional(option));
    add("СПИСЪК");
    newLine("          velcor-cli [--json] (status)");
    for (const Option& option : kOptions)
        if (option.command == "status") add(optional(option));
    add("ОТГОВОР.xml");
    newLine("          velcor-cli");
    // The options that stand alone: the rest of the table, so that every option is named.
    std::string_view separator = " ";
    for (const Option& option : kOptions) {
        if (option.inSynopsis || !option.command.empty()) continue;
        usage += std::string(separator) + std::string(option.name);
        separator = " | ";
    }
    return usage + "\n\n" + std::string(kDescription);
}

bool parseCliOptions(int argc, const char* const* argv, CliOptions& out, std::string& error) {
    std::optional<std::string> command;
    std::optional<std::string> list;
    // The first error is the one told; the arguments after it are still read, so that a --json
    // anywhere on the line shapes the report of that error too.
    error.clear();
    const auto refuse = [&error](std::string reason) {
        if (error.empty()) error = std::move(reason);
    };
    std::vector<const Option*> given;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
            continue;
        }
        if (optionsEnded || arg.size() <= 1 || arg[0] != '-') {
            if (!command)
                command = std::string(arg);
            else if (!list)
                list = std::string(arg);
            else
                refuse("излишен аргумент " + std::string(arg));
            continue;
        }
        std::optional<std::string> value;
        const Option* option = optionOf(arg, value);
        if (option == nullptr) {
            refuse("непозната опция " + std::string(arg));
            continue;
        }
        if (!option->valueName.empty() && !value) {
            if (i + 1 >= argc) {
                refuse("опцията " + std::string(arg) + " иска стойност");
                return false;
            }
            value = argv[++i];
        }
        option->take(out, value.value_or(std::string()));
        given.push_back(option);
    }
    if (!error.empty()) return false;
    if (out.help || out.version) return true;
    return takeCommand(command, list, given, out, error);
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
