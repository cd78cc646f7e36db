#pragma once

// The command line of velcor-cli. Values stay as given (UTF-8); main converts them.

#include <optional>
#include <string>

namespace velcor::app::cli {

enum class Command { check, prepare, report, sepa, unprepare, status };

struct CliOptions {
    std::string ini = "omp.ini";
    std::optional<std::string> type;
    std::optional<std::string> date;  // DDMMYYYY
    std::optional<std::string> iban;
    std::optional<std::string> bic;
    std::optional<std::string> name;
    std::optional<std::string> kind;
    std::optional<std::string> code;
    std::optional<std::string> pdf;  // report: where the report's PDF goes
    // sepa: the file's version ("09" or "03"), SEPA instant, the category purpose, the names
    // printed, and where the file goes (default: the list's path with ".xml").
    std::optional<std::string> pain;
    bool instant = false;
    std::optional<std::string> purpose;
    // sepa: the payer's EIK/BULSTAT as the initiating party's id; batch booking "yes" or "no".
    std::optional<std::string> initiatorId;
    std::optional<std::string> batchBooking;
    bool names = false;
    std::optional<std::string> out;
    // status: where the rows the bank rejected go, as the list held them.
    std::optional<std::string> rejectedList;
    bool json = false;
    bool strictDate = false;  // prepare refuses a value date the bank may refuse
    // The rules rows to the budget are checked by: "2006" (the default) or "2023".
    std::optional<std::string> budgetRules;
    bool help = false;
    bool version = false;
    Command command = Command::check;
    std::string list;  // status: the bank's report
};

// Fills `out` from the arguments; false with a reason in `error` for a usage error.
bool parseCliOptions(int argc, const char* const* argv, CliOptions& out, std::string& error);

// Day, month and year of a DDMMYYYY text that names a real date.
struct CliDate {
    int day;
    int month;
    int year;
};
std::optional<CliDate> parseCliDate(const std::string& text);

// The help text, its synopsis made from the same table of options that the parsing reads.
std::string cliUsage();

}  // namespace velcor::app::cli
