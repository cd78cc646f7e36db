#include "app/cli/CliOutput.h"

#include "text/Text.h"
#include "window/ControlIds.h"
#include "window/ControlTable.h"

#include <algorithm>

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
    const processing::WorkingState& d = run.state;
    const window::HeadlessDialogHost& host = run.host;
    out << "{\"file\": " << jsonString(d.inputPath)
        << ", \"paymentType\": " << jsonStringOrNull(host.selectedEntryText(window::idPaymentType))
        << ", \"valid\": " << (d.fileInvalid ? "false" : "true")
        << ", \"prepared\": " << (d.filePrepared ? "true" : "false")
        << ", \"total\": " << jsonString(host.shownText(window::idTotal))
        << ", \"count\": " << jsonString(host.shownText(window::idCount))
        << ", \"controlCode\": " << jsonString(host.shownText(window::idControlCode))
        << ", \"paymentDate\": " << jsonStringOrNull(dateText(d.paymentDate))
        << ", \"payer\": {\"iban\": " << jsonString(d.payerIban)
        << ", \"bic\": " << jsonString(d.payerBic) << ", \"name\": " << jsonString(d.payerName)
        << ", \"kind\": " << jsonString(d.paymentKindCode)
        << ", \"code\": " << jsonString(d.budgetUnitCode) << "}"
        << ", \"rowMessages\": " << jsonList(splitRowMessages(d.rowMessages))
        << ", \"messages\": " << jsonList(host.messages())
        << ", \"report\": " << jsonStringOrNull(run.report)
        << ", \"error\": " << (run.error ? jsonUtf8String(*run.error) : "null")
        << ", \"exitCode\": " << run.exitCode << "}\n";
}

void writeHuman(std::ostream& out, const RunResult& run) {
    const window::HeadlessDialogHost& host = run.host;
    // Every text may carry bytes of a list, a path or omp.ini.
    const auto show = [](std::string_view cp1251) { return terminalText(text::toUtf8(cp1251)); };
    // Message boxes and the report window's row messages, in the order they appeared.
    const auto& events = host.events();
    for (std::size_t i = 0; i < events.size(); ++i) {
        const window::HeadlessDialogHost::Event& event = events[i];
        if (event.kind == window::HeadlessDialogHost::EventKind::message) {
            out << show(event.text) << '\n';
        } else if (event.kind == window::HeadlessDialogHost::EventKind::report &&
                   run.reportEvent != i) {
            for (const std::string& line : splitRowMessages(event.text)) out << show(line) << '\n';
        }
    }
    // The same labels as the window's, so that the two read alike.
    const auto line = [&](window::ControlId id, std::string_view value) {
        out << show(window::controlInfo(id)->label) << ' ' << show(value) << '\n';
    };
    line(window::idPaymentType, host.selectedEntryText(window::idPaymentType).value_or(""));
    line(window::idTotal, text::trimBlanks(host.shownText(window::idTotal)));
    line(window::idCount, host.shownText(window::idCount));
    line(window::idControlCode, host.shownText(window::idControlCode));
    if (run.state.filePrepared) out << show(window::controlInfo(window::idPrepared)->text) << '\n';
    if (run.report) out << show(*run.report) << '\n';
}

std::string errorJson(std::string_view error, int exitCode,
                      const std::vector<std::string>& messages) {
    return "{\"error\": " + jsonUtf8String(error) + ", \"exitCode\": " + std::to_string(exitCode) +
           ", \"messages\": " + jsonList(messages) + "}\n";
}

}  // namespace velcor::app::cli
