#include "app/cli/CliStatus.h"

#include "app/cli/CliOutput.h"
#include "output/StatusReport.h"
#include "session/StatusTexts.h"
#include "text/Cp1251.h"
#include "text/Text.h"

namespace velcor::app::cli {

using namespace text::literals;

namespace {

constexpr auto kNoDataFolder =
    "няма папка с данни на потребителя, в която да са записите за SEPA файловете"_cp;
constexpr auto kNotCp1251 = "името на файла съдържа знаци извън Windows-1251: "_cp;

std::string utf8(std::string_view cp1251) { return text::toUtf8(cp1251); }

std::string amountJson(processing::Cents cents) {
    return text::format("%lld.%02lld", static_cast<long long>(cents / 100),
                        static_cast<long long>(cents % 100));
}

std::string stateName(output::PaymentState state) {
    switch (state) {
        case output::PaymentState::accepted:
            return "accepted";
        case output::PaymentState::pending:
            return "pending";
        case output::PaymentState::rejected:
            return "rejected";
        case output::PaymentState::partly:
            return "partly";
        case output::PaymentState::unknown:
            break;
    }
    return "unknown";
}

std::string mismatchName(output::StatusMismatchKind kind) {
    switch (kind) {
        case output::StatusMismatchKind::unknownEndToEndId:
            return "unknown-end-to-end-id";
        case output::StatusMismatchKind::amountDiffers:
            return "amount-differs";
        case output::StatusMismatchKind::ibanDiffers:
            return "iban-differs";
        case output::StatusMismatchKind::countDiffers:
            return "count-differs";
        case output::StatusMismatchKind::statusCountsDiffer:
            return "status-counts-differ";
        case output::StatusMismatchKind::versionDiffers:
            return "version-differs";
    }
    return {};
}

std::string reasonsJson(const std::vector<std::string>& codes) {
    std::string out = "[";
    for (std::size_t i = 0; i < codes.size(); ++i) {
        if (i > 0) out += ", ";
        out += "{\"code\": " + jsonString(codes[i]) + ", \"text\": " +
               jsonString(output::statusReasonText(codes[i]).value_or(std::string())) + "}";
    }
    return out + "]";
}

std::string paymentJson(const output::PaymentStatusLine& line) {
    return "{\"row\": " + std::to_string(line.row) +
           ", \"endToEndId\": " + jsonString(line.endToEndId) +
           ", \"name\": " + jsonString(line.name) + ", \"iban\": " + jsonString(line.iban) +
           ", \"amount\": \"" + amountJson(line.amount) +
           "\", \"status\": " + jsonString(line.status) + ", \"state\": \"" +
           stateName(line.state) +
           "\", \"statusText\": " + jsonString(session::statusCodeText(line.status, line.state)) +
           ", \"reasons\": " + reasonsJson(line.reasons) +
           ", \"additionalText\": " + jsonString(line.additionalText) +
           ", \"listed\": " + (line.listed ? "true" : "false") + "}";
}

// The object's members that tell the report, before its payments.
std::string headJson(const output::StatusReport& report) {
    const processing::LocalDateTime& date = report.exported.executionDate;
    return "\"messageId\": " + jsonString(report.messageId) +
           ", \"originalMessageId\": " + jsonString(report.originalMessageId) +
           ", \"version\": \"" + std::string(output::statusVersionName(report.version)) +
           "\", \"list\": " + jsonString(report.exported.listPath) + ", \"valueDate\": \"" +
           text::format("%02d.%02d.%04d", date.day, date.month, date.year) +
           "\", \"count\": " + std::to_string(report.exported.count) + ", \"total\": \"" +
           amountJson(report.exported.total) +
           "\", \"groupStatus\": " + jsonString(report.groupStatus) + ", \"groupState\": \"" +
           stateName(report.groupState) + "\", \"groupText\": " +
           jsonString(session::statusCodeText(report.groupStatus, report.groupState)) +
           ", \"groupReasons\": " + reasonsJson(report.groupReasons) +
           ", \"groupAdditionalText\": " + jsonString(report.groupText) +
           ", \"accepted\": " + std::to_string(report.accepted) +
           ", \"rejected\": " + std::to_string(report.rejected) +
           ", \"pending\": " + std::to_string(report.pending);
}

int exitCodeOf(const output::StatusReport& report) {
    if (!report.ok())
        return report.error == output::StatusReportError::outOfMemory ? kStatusNotAccepted
                                                                      : kStatusBadInput;
    using List = output::StatusReport::RejectedList;
    if (report.rejectedList == List::exists || report.rejectedList == List::openFailed ||
        report.rejectedList == List::writeFailed)
        return kStatusOutputError;
    if (report.rejected + report.pending > 0 || !report.mismatches.empty())
        return kStatusNotAccepted;
    return kStatusAccepted;
}

}  // namespace

int runStatus(const CliOptions& options, std::ostream& out, std::ostream& err,
              fileio::FileSystem& fs, const std::optional<std::string>& recordsFolder) {
    const bool json = options.json;
    const auto refuse = [&](const std::string& error) {
        if (json)
            out << errorJson(error, kStatusBadInput, {});
        else
            err << "velcor-cli: " << terminalText(error) << '\n';
        return kStatusBadInput;
    };
    std::string path;
    if (!text::fromUtf8(options.list, path)) return refuse(utf8(kNotCp1251) + options.list);
    std::optional<std::string> rejectedPath;
    if (options.rejectedList) {
        rejectedPath.emplace();
        if (!text::fromUtf8(*options.rejectedList, *rejectedPath))
            return refuse(utf8(kNotCp1251) + *options.rejectedList);
    }
    if (!recordsFolder) return refuse(utf8(kNoDataFolder));

    output::StatusReadOptions read;
    read.rejectedListPath = rejectedPath;
    bool begun = false;
    read.checked = [&](const output::StatusReport& report) {
        begun = true;
        if (json) {
            out << "{\"format\": " << kJsonFormat << ", \"command\": \"status\", "
                << headJson(report) << ", \"payments\": [";
        } else {
            out << terminalText(utf8(session::groupStatusLine(report))) << '\n'
                << terminalText(utf8(session::statusCountsText(report))) << '\n';
        }
    };
    bool first = true;
    read.payments = [&](const output::PaymentStatusLine& line) {
        if (json) {
            out << (first ? "" : ", ") << paymentJson(line);
            first = false;
        } else {
            out << terminalText(utf8(session::paymentStatusText(line))) << '\n';
        }
    };
    const output::StatusReport report = output::readStatusReport(fs, path, *recordsFolder, read);
    const int exitCode = exitCodeOf(report);
    const std::string error = utf8(session::statusErrorText(report, path));
    const std::string rejected =
        rejectedPath ? utf8(session::rejectedListText(report, *rejectedPath)) : std::string();
    if (!begun) return refuse(error);
    if (json) {
        out << "], \"paymentsLeftOut\": 0, \"mismatches\": [";
        for (std::size_t i = 0; i < report.mismatches.size(); ++i)
            out << (i > 0 ? ", " : "") << "{\"kind\": \"" << mismatchName(report.mismatches[i].kind)
                << "\", \"text\": " << jsonString(session::mismatchText(report.mismatches[i]))
                << "}";
        out << "], \"mismatchesLeftOut\": " << report.mismatchesLeftOut
            << ", \"rejectedList\": " << (rejected.empty() ? "null" : jsonUtf8String(rejected))
            << ", \"error\": " << (error.empty() ? "null" : jsonUtf8String(error))
            << ", \"exitCode\": " << exitCode << "}\n";
        return exitCode;
    }
    for (const output::StatusMismatch& mismatch : report.mismatches)
        out << terminalText(utf8(session::mismatchText(mismatch))) << '\n';
    if (!rejected.empty())
        (exitCode == kStatusOutputError ? err : out) << terminalText(rejected) << '\n';
    if (!error.empty()) err << "velcor-cli: " << terminalText(error) << '\n';
    return exitCode;
}

}  // namespace velcor::app::cli
