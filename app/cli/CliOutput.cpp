#include "app/cli/CliOutput.h"

#include "text/Text.h"
#include "window/ControlIds.h"
#include "window/ControlTable.h"

namespace velcor::app::cli {

namespace {

std::string unescapeHtml(std::string_view text) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}};
    std::string out;
    for (std::size_t i = 0; i < text.size();) {
        bool replaced = false;
        for (const auto& [entity, c] : kEntities) {
            if (text.substr(i, entity.size()) == entity) {
                out += c;
                i += entity.size();
                replaced = true;
                break;
            }
        }
        if (!replaced) out += text[i++];
    }
    return out;
}

std::string jsonStringOrNull(const std::optional<std::string>& text) {
    return text ? jsonString(*text) : "null";
}

std::string jsonList(const std::vector<std::string>& items) {
    std::string out = "[";
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) out += ", ";
        out += jsonString(items[i]);
    }
    return out + "]";
}

std::optional<std::string> dateText(const processing::LocalDateTime& date) {
    if (!date.valid || !processing::isValidDate(date.day, date.month, date.year))
        return std::nullopt;
    return text::format("%02d.%02d.%04d", date.day, date.month, date.year);
}

}  // namespace

std::vector<std::string> splitRowMessages(std::string_view rowMessages) {
    std::vector<std::string> out;
    while (!rowMessages.empty()) {
        const std::size_t end = rowMessages.find("<BR>");
        out.push_back(unescapeHtml(rowMessages.substr(0, end)));
        if (end == std::string_view::npos) break;
        rowMessages.remove_prefix(end + 4);
    }
    return out;
}

std::string jsonString(std::string_view cp1251) {
    const std::string utf8 = text::toUtf8(cp1251);
    std::string out = "\"";
    for (const char c : utf8) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (c == '\n') {
            out += "\\n";
        } else if (c == '\r') {
            out += "\\r";
        } else if (c == '\t') {
            out += "\\t";
        } else if (byte < 0x20) {
            out += text::format("\\u%04x", byte);
        } else {
            out += c;
        }
    }
    return out + "\"";
}

void writeJson(std::ostream& out, const RunResult& run) {
    const window::BulkPaymentDialog& d = run.dialog;
    window::HeadlessHost& host = run.host;
    out << "{\"file\": " << jsonString(d.inputPath)
        << ", \"paymentType\": " << jsonStringOrNull(host.selectedEntryText(window::idPaymentType))
        << ", \"valid\": " << (d.fileInvalid ? "false" : "true")
        << ", \"prepared\": " << (d.filePrepared ? "true" : "false")
        << ", \"total\": " << jsonString(host.controlText(window::idTotal))
        << ", \"count\": " << jsonString(host.controlText(window::idCount))
        << ", \"controlCode\": " << jsonString(host.controlText(window::idControlCode))
        << ", \"paymentDate\": " << jsonStringOrNull(dateText(d.paymentDate))
        << ", \"payer\": {\"iban\": " << jsonString(d.payerIban)
        << ", \"bic\": " << jsonString(d.payerBic) << ", \"name\": " << jsonString(d.payerName)
        << ", \"kind\": " << jsonString(d.paymentKindCode)
        << ", \"code\": " << jsonString(d.budgetUnitCode) << "}"
        << ", \"rowMessages\": " << jsonList(splitRowMessages(d.rowMessages))
        << ", \"messages\": " << jsonList(host.texts(window::HeadlessHost::EventKind::message))
        << ", \"report\": " << jsonStringOrNull(run.report) << "}\n";
}

void writeHuman(std::ostream& out, const RunResult& run) {
    window::HeadlessHost& host = run.host;
    // Message boxes and the report window's row messages, in the order they appeared.
    const auto& events = host.events();
    for (std::size_t i = 0; i < events.size(); ++i) {
        const window::HeadlessHost::Event& event = events[i];
        if (event.kind == window::HeadlessHost::EventKind::message) {
            out << text::toUtf8(event.text) << '\n';
        } else if (event.kind == window::HeadlessHost::EventKind::report && run.reportEvent != i) {
            for (const std::string& line : splitRowMessages(event.text))
                out << text::toUtf8(line) << '\n';
        }
    }
    // The same labels as the window's, so that the two read alike.
    const auto line = [&](int id, std::string_view value) {
        out << text::toUtf8(window::controlInfo(id)->label) << ' ' << text::toUtf8(value) << '\n';
    };
    line(window::idPaymentType, host.selectedEntryText(window::idPaymentType).value_or(""));
    line(window::idTotal, text::trimBlanks(host.controlText(window::idTotal)));
    line(window::idCount, host.controlText(window::idCount));
    line(window::idControlCode, host.controlText(window::idControlCode));
    if (run.dialog.filePrepared)
        out << text::toUtf8(window::controlInfo(window::idPrepared)->text) << '\n';
    if (run.report) out << text::toUtf8(*run.report) << '\n';
}

}  // namespace velcor::app::cli
