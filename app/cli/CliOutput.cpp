#include "app/cli/CliOutput.h"

#include "checks/Bic.h"
#include "checks/Iban.h"
#include "output/SepaDocument.h"
#include "processing/BudgetUnitCode.h"
#include "processing/CheckText.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <algorithm>

namespace velcor::app::cli {

namespace {

// The length of the well-formed UTF-8 sequence that `text` begins with; 0 when it begins with
// none.
std::size_t sequenceLength(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text.front());
    const std::size_t length = lead < 0x80                    ? 1
                               : lead >= 0xC2 && lead <= 0xDF ? 2
                               : lead >= 0xE0 && lead <= 0xEF ? 3
                               : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                              : 0;
    if (length == 0 || length > text.size()) return 0;
    for (std::size_t k = 1; k < length; ++k)
        if ((static_cast<unsigned char>(text[k]) & 0xC0) != 0x80) return 0;
    return length;
}

// Whether a UTF-8 sequence is a control character: C0, DEL, or C1 (U+0080 to U+009F, which
// Windows-1251's byte 0x98 becomes).
bool isControl(std::string_view sequence) {
    const auto lead = static_cast<unsigned char>(sequence.front());
    if (sequence.size() == 1) return lead < 0x20 || lead == 0x7F;
    return sequence.size() == 2 && lead == 0xC2 && static_cast<unsigned char>(sequence[1]) < 0xA0;
}

std::string jsonStringOrNull(const std::optional<std::string>& text) {
    return text ? jsonString(*text) : "null";
}

std::string dateText(int day, int month, int year) {
    return text::format("%02d.%02d.%04d", day, month, year);
}

std::optional<std::string> dateText(const processing::LocalDateTime& date) {
    if (!date.valid || !processing::isValidDate(date.day, date.month, date.year))
        return std::nullopt;
    return dateText(date.day, date.month, date.year);
}

std::string jsonMessages(const std::vector<session::ShownMessage>& messages) {
    std::string out = "[";
    for (std::size_t i = 0; i < messages.size(); ++i) {
        if (i > 0) out += ", ";
        out += "{\"kind\": " + jsonUtf8String(session::messageKindName(messages[i].kind)) +
               ", \"text\": " + jsonString(messages[i].text) + "}";
    }
    return out + "]";
}

// A shown figure: nothing for an empty control.
std::optional<std::string> shownValue(std::string_view text) {
    const std::string_view value = text::trimBlanks(text);
    if (value.empty()) return std::nullopt;
    return std::string(value);
}

// The value date's question is the window's: velcor-cli tells it as a warning instead.
bool asked(const session::ShownMessage& message) {
    return message.kind == session::Message::valueDateQuestion;
}

std::string jsonWarnings(const RunResult& run) {
    std::string out = "[";
    // Told once, of the run's end: the list and the value date it was left with.
    if (const auto hint = session::budgetRulesHint(run.state))
        out += "{\"kind\": \"budget-rules\", \"text\": " + jsonString(*hint) + "}";
    for (const session::Result& outcome : run.results) {
        if (outcome.valueDateWarning) {
            if (out.size() > 1) out += ", ";
            out += "{\"kind\": \"value-date\", \"reason\": " +
                   jsonUtf8String(
                       processing::valueDateProblemName(outcome.valueDateWarning->problem)) +
                   ", \"text\": " + jsonString(outcome.valueDateWarning->text) + "}";
        }
        if (!outcome.sepa) continue;
        // A row whose name or text the SEPA file cuts: "row" names it (null for those left out).
        for (const session::SepaCutWarning& cut : session::sepaCutWarnings(*outcome.sepa)) {
            if (out.size() > 1) out += ", ";
            out += "{\"kind\": " + jsonUtf8String(cut.kind) +
                   ", \"row\": " + (cut.row > 0 ? std::to_string(cut.row) : "null") +
                   ", \"text\": " + jsonString(cut.text) + "}";
        }
    }
    return out + "]";
}

std::string jsonReport(const session::Result& outcome) {
    const output::ReportFields& f = *outcome.reportFields;
    std::string out = "{\"html\": " + jsonString(*outcome.report) + ", \"fields\": {";
    out += "\"fileName\": " + jsonString(f.fileName);
    out += ", \"date\": " +
           (f.date ? jsonString(dateText(f.date->day, f.date->month, f.date->year)) : "null");
    out += ", \"weekday\": " + (f.date ? jsonString(f.weekday) : "null");
    out += ", \"sequence\": " + jsonString(std::string(1, f.sequenceDigit));
    out += ", \"paymentType\": " + jsonString(f.paymentType);
    out += ", \"format\": " + jsonString(f.formatDescription);
    out += ", \"total\": " + jsonStringOrNull(shownValue(f.total));
    out += ", \"count\": " + jsonStringOrNull(shownValue(f.count));
    out += ", \"controlCode\": " + jsonStringOrNull(shownValue(f.controlCode));
    return out + "}}";
}

// The payer's values in effect after the run, trimmed: those the list's header holds or a
// prepare would write (the IBAN, the kind code where the IBAN is a budget account, and the name;
// for the budget type SB the BIC, the budget-unit code and the name), or for the sepa command
// those the file names its debtor by (IBAN, BIC, name). A value with no place there, or that its
// check refuses, went nowhere: null.
std::string jsonPayer(const RunResult& run) {
    const session::ListState& d = run.state;
    const settings::FormatDefinition* format =
        d.paymentType >= 0 && static_cast<std::size_t>(d.paymentType) < d.formats.size()
            ? &d.formats[static_cast<std::size_t>(d.paymentType)]
            : nullptr;
    const bool sebra = settings::isSebraType(format);
    const bool sepa = run.sepa.has_value();
    const auto trimmed = [](const std::string& value) {
        return std::string(text::trimBlanks(value));
    };
    const std::string iban = trimmed(d.payerIban);
    const std::string bic = trimmed(d.payerBic);
    const std::string name = trimmed(d.payerName);
    const std::string kind = trimmed(d.paymentKindCode);
    const std::string code = trimmed(d.budgetUnitCode);
    char reason[processing::kReasonBufferSize] = {};
    const bool ibanPasses = checks::CheckIban(iban.c_str(), reason, sizeof reason) != 0;
    const auto value = [](bool inEffect, const std::string& text) {
        return inEffect && !text.empty() ? jsonString(text) : std::string("null");
    };
    const bool bicPasses = sepa ? checks::CheckBic(bic) : bic.size() == 8 && checks::CheckBic(bic);
    return "{\"iban\": " + value((sepa || !sebra) && ibanPasses, iban) +
           ", \"bic\": " + value((sepa || sebra) && bicPasses, bic) +
           ", \"name\": " + value(true, name) + ", \"kind\": " +
           value(!sepa && !sebra && processing::hasBudgetAccountDigit(d.payerIban), kind) +
           ", \"code\": " +
           value(!sepa && sebra && processing::CheckBudgetUnitCode(code.c_str()), code) + "}";
}

// The SEPA export's outcome: the last that has one.
const session::SepaOutcome* sepaOutcome(const RunResult& run) {
    for (auto it = run.results.rbegin(); it != run.results.rend(); ++it)
        if (it->sepa) return &*it->sepa;
    return nullptr;
}

// The file written by the sepa command, or null.
std::string jsonSepa(const RunResult& run) {
    const session::SepaOutcome* sepa = sepaOutcome(run);
    if (sepa == nullptr || !sepa->path) return "null";
    const output::SepaChoices& choices = run.sepa->choices;
    std::string out = "{\"path\": " + jsonString(*sepa->path);
    out += ", \"version\": " + jsonUtf8String(output::painVersionName(sepa->version));
    out += ", \"instant\": " + std::string(choices.instant ? "true" : "false");
    out += ", \"purpose\": " + (choices.categoryPurpose.empty()
                                    ? std::string("null")
                                    : jsonUtf8String(choices.categoryPurpose));
    out +=
        ", \"initiatorId\": " + (choices.initiatorId.empty()
                                     ? std::string("null")
                                     : jsonString(output::compactInitiatorId(choices.initiatorId)));
    out += ", \"batchBooking\": " + std::string(!choices.batchBooking   ? "null"
                                                : *choices.batchBooking ? "true"
                                                                        : "false");
    out += ", \"count\": " + std::to_string(sepa->count);
    out += ", \"total\": " + jsonUtf8String(output::sepaAmount(sepa->total));
    if (run.sepa->names) {
        out += ", \"names\": [";
        for (std::size_t i = 0; i < sepa->names.size(); ++i) {
            const session::SepaName& name = sepa->names[i];
            out += (i > 0 ? ", " : "") + std::string("{\"row\": ") + std::to_string(name.row) +
                   ", \"written\": " + jsonString(name.written) +
                   ", \"sent\": " + jsonString(name.sent) +
                   ", \"remittance\": " + jsonString(name.remittance) + ", \"reference\": " +
                   (name.reference.empty() ? std::string("null") : jsonString(name.reference)) +
                   "}";
        }
        out += "]";
    }
    return out + "}";
}

}  // namespace

std::string jsonString(std::string_view cp1251) { return jsonUtf8String(text::toUtf8(cp1251)); }

std::string jsonUtf8String(std::string_view utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = sequenceLength(utf8.substr(i));
        if (length == 0) {
            out += "\\ufffd";
            ++i;
            continue;
        }
        const std::string_view sequence = utf8.substr(i, length);
        i += length;
        const char c = sequence[0];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (isControl(sequence)) {
            // A C1 character's code point is the second byte of its encoding.
            out += text::format("\\u%04x", static_cast<unsigned char>(sequence.back()));
        } else {
            out += sequence;
        }
    }
    return out + "\"";
}

std::string terminalText(std::string_view utf8) {
    std::string out;
    for (std::size_t i = 0; i < utf8.size();) {
        const std::size_t length = sequenceLength(utf8.substr(i));
        if (length != 0 && !isControl(utf8.substr(i, length))) {
            out += utf8.substr(i, length);
            i += length;
            continue;
        }
        for (const std::size_t end = i + std::max<std::size_t>(length, 1); i < end; ++i)
            out += text::format("\\x%02x", static_cast<unsigned char>(utf8[i]));
    }
    return out;
}

void writeJson(std::ostream& out, const RunResult& run) {
    const session::ListState& d = run.state;
    const Figures& shown = run.figures;
    std::vector<session::ShownMessage> messages;
    std::string findings = "[";
    std::int64_t leftOut = 0;
    const session::Result* reported = nullptr;
    for (const session::Result& outcome : run.results) {
        for (const session::ShownMessage& message : outcome.messages)
            if (!asked(message)) messages.push_back(message);
        if (outcome.findings) {
            for (const processing::RowFinding& finding : outcome.findings->kept) {
                if (findings.size() > 1) findings += ", ";
                findings += "{\"row\": " + std::to_string(finding.row) + ", \"kind\": " +
                            jsonUtf8String(processing::findingKindName(finding.kind)) +
                            ", \"text\": " + jsonString(finding.text) + "}";
            }
            leftOut += outcome.findings->leftOut();
        }
        if (outcome.report) reported = &outcome;
    }
    findings += "]";
    const std::optional<std::string> count = shownValue(shown.count);
    out << "{\"format\": " << kJsonFormat << ", \"file\": " << jsonString(d.inputPath)
        << ", \"paymentType\": " << jsonStringOrNull(run.paymentType)
        << ", \"paymentTypeEntry\": " << jsonStringOrNull(run.paymentTypeEntry)
        << ", \"budgetRules\": " << jsonUtf8String(processing::budgetRulesName(d.budgetRules))
        << ", \"valid\": " << (d.fileValid ? "true" : "false")
        << ", \"prepared\": " << (d.filePrepared ? "true" : "false")
        << ", \"unprepared\": " << (run.unprepared ? "true" : "false")
        << ", \"total\": " << jsonStringOrNull(shownValue(shown.total))
        << ", \"count\": " << count.value_or("null")
        << ", \"controlCode\": " << jsonStringOrNull(shownValue(shown.controlCode))
        << ", \"paymentDate\": " << jsonStringOrNull(dateText(d.paymentDate))
        << ", \"payer\": " << jsonPayer(run) << ", \"rowFindings\": " << findings
        << ", \"rowFindingsLeftOut\": " << leftOut << ", \"messages\": " << jsonMessages(messages)
        << ", \"warnings\": " << jsonWarnings(run)
        << ", \"report\": " << (reported != nullptr ? jsonReport(*reported) : "null");
    // Only the sepa command's object tells of a SEPA file.
    if (run.sepa) out << ", \"sepa\": " << jsonSepa(run);
    out << ", \"error\": " << (run.error ? jsonUtf8String(*run.error) : "null")
        << ", \"exitCode\": " << run.exitCode << "}\n";
}

namespace {

using namespace velcor::text::literals;

constexpr auto kSepaName = "ред %lld: %s -> %s"_cp;
constexpr auto kSepaWritten = "SEPA файл: %s (%s, плащания: %lld, сума: %s EUR)"_cp;

// The names as written and as sent, with --names, and the file written.
void writeHumanSepa(std::ostream& out, const RunResult& run) {
    const session::SepaOutcome* sepa = sepaOutcome(run);
    if (sepa == nullptr) return;
    const auto show = [](std::string_view cp1251) { return terminalText(text::toUtf8(cp1251)); };
    if (run.sepa->names)
        for (const session::SepaName& name : sepa->names)
            out << show(text::format(kSepaName.c_str(), static_cast<long long>(name.row),
                                     name.written.c_str(), name.sent.c_str()))
                << '\n';
    if (sepa->path)
        out << show(text::format(kSepaWritten.c_str(), sepa->path->c_str(),
                                 std::string(output::painVersionName(sepa->version)).c_str(),
                                 static_cast<long long>(sepa->count),
                                 output::sepaAmount(sepa->total).c_str()))
            << '\n';
}

}  // namespace

void writeHuman(std::ostream& out, const RunResult& run) {
    // Every text may carry bytes of a list, a path or omp.ini.
    const auto show = [](std::string_view cp1251) { return terminalText(text::toUtf8(cp1251)); };
    // Message boxes and the report window's row findings, in the order they appeared.
    const std::string* report = nullptr;
    for (const session::Result& outcome : run.results) {
        for (const session::ShownMessage& message : outcome.messages)
            if (!asked(message)) out << show(message.text) << '\n';
        if (outcome.findings) {
            for (const processing::RowFinding& finding : outcome.findings->kept)
                out << show(finding.text) << '\n';
            if (const auto line = session::leftOutFindingsLine(*outcome.findings))
                out << show(*line) << '\n';
        }
        if (outcome.report) report = &*outcome.report;
    }
    const Figures& shown = run.figures;
    // The same labels as the window's, so that the two read alike.
    const auto line = [&](std::string_view label, std::string_view value) {
        out << show(label) << ' ' << show(value) << '\n';
    };
    line(session::paymentTypeLabel(), run.paymentTypeEntry.value_or(""));
    line(std::string(processing::budgetRulesLabel()) + ":",
         processing::budgetRulesText(run.state.budgetRules));
    line(session::totalLabel(), text::trimBlanks(shown.total));
    line(session::countLabel(), shown.count);
    line(session::controlCodeLabel(), shown.controlCode);
    if (run.state.filePrepared) out << show(session::preparedText()) << '\n';
    if (report != nullptr) out << show(*report) << '\n';
    if (run.sepa) writeHumanSepa(out, run);
}

void writeWarnings(std::ostream& err, const RunResult& run) {
    const auto warn = [&err](std::string_view cp1251) {
        err << "velcor-cli: предупреждение: " << terminalText(text::toUtf8(cp1251)) << '\n';
    };
    if (const auto hint = session::budgetRulesHint(run.state)) warn(*hint);
    for (const session::Result& outcome : run.results) {
        if (outcome.valueDateWarning) warn(outcome.valueDateWarning->text);
        if (outcome.sepa)
            for (const session::SepaCutWarning& cut : session::sepaCutWarnings(*outcome.sepa))
                warn(cut.text);
    }
}

std::string errorJson(std::string_view error, int exitCode,
                      const std::vector<session::ShownMessage>& messages) {
    return "{\"format\": " + std::to_string(kJsonFormat) + ", \"error\": " + jsonUtf8String(error) +
           ", \"exitCode\": " + std::to_string(exitCode) +
           ", \"messages\": " + jsonMessages(messages) + "}\n";
}

}  // namespace velcor::app::cli
