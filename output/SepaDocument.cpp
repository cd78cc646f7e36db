#include "output/SepaDocument.h"

#include "checks/Bic.h"
#include "checks/Iban.h"
#include "output/Transliteration.h"
#include "text/Text.h"

#include <algorithm>
#include <initializer_list>
#include <string_view>
#include <utility>

namespace velcor::output {

namespace {

// Escapes the characters XML reserves; the SEPA set leaves none of them but the apostrophe,
// which needs none in element text, so this only guards the file's form.
std::string xmlText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        if (c == '&')
            out += "&amp;";
        else if (c == '<')
            out += "&lt;";
        else if (c == '>')
            out += "&gt;";
        else
            out += c;
    }
    return out;
}

std::string isoDate(const processing::LocalDateTime& date) {
    return text::format("%04d-%02d-%02d", date.year, date.month, date.day);
}

// Writes the document with two blanks per level.
class XmlWriter {
  public:
    void open(std::string_view name, std::string_view attributes = {}) {
        indent();
        append({"<", name, attributes, ">\n"});
        ++depth_;
    }
    void close(std::string_view name) {
        --depth_;
        indent();
        append({"</", name, ">\n"});
    }
    void element(std::string_view name, std::string_view value) {
        indent();
        append({"<", name, ">", xmlText(value), "</", name, ">\n"});
    }
    void raw(std::string_view line) {
        indent();
        append({line, "\n"});
    }
    // <outer><inner>value</inner></outer>
    void nested(std::string_view outer, std::string_view inner, std::string_view value) {
        open(outer);
        element(inner, value);
        close(outer);
    }
    std::string take() { return std::move(out_); }

  private:
    // Appended in place: also spares GCC 12 its false overlap warning on "<" + std::string(...).
    void append(std::initializer_list<std::string_view> pieces) {
        for (std::string_view piece : pieces) out_ += piece;
    }
    void indent() { out_.append(static_cast<std::size_t>(depth_) * 2, ' '); }
    std::string out_;
    int depth_ = 0;
};

void writeAgent(XmlWriter& xml, std::string_view element, std::string_view bic,
                PainVersion version) {
    xml.open(element);
    xml.nested("FinInstnId", version == PainVersion::v03 ? "BIC" : "BICFI", bic);
    xml.close(element);
}

void writeAccount(XmlWriter& xml, std::string_view element, std::string_view iban) {
    xml.open(element);
    xml.nested("Id", "IBAN", iban);
    xml.close(element);
}

void writeTransaction(XmlWriter& xml, const SepaTransaction& t, PainVersion version) {
    xml.open("CdtTrfTxInf");
    xml.nested("PmtId", "EndToEndId", t.endToEndId);
    xml.open("Amt");
    xml.raw("<InstdAmt Ccy=\"EUR\">" + sepaAmount(t.amount) + "</InstdAmt>");
    xml.close("Amt");
    // Within the EEA the creditor's bank is found from the IBAN: a row without a BIC names none.
    if (!t.creditorBic.empty()) writeAgent(xml, "CdtrAgt", t.creditorBic, version);
    xml.nested("Cdtr", "Nm", t.creditorName);
    writeAccount(xml, "CdtrAcct", t.creditorIban);
    if (!t.remittance.empty()) xml.nested("RmtInf", "Ustrd", t.remittance);
    xml.close("CdtTrfTxInf");
}

}  // namespace

std::string sepaAmount(processing::Cents cents) { return processing::formatCents(cents, 0); }

std::string sepaDocument(const SepaMessage& message) {
    processing::Cents sum = 0;
    for (const SepaTransaction& t : message.transactions) sum += t.amount;
    const std::string count = std::to_string(message.transactions.size());
    const processing::LocalDateTime& c = message.created;
    const std::string created = text::format("%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month,
                                             c.day, c.hour, c.minute, c.second);

    XmlWriter xml;
    xml.raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    xml.open("Document", " xmlns=\"urn:iso:std:iso:20022:tech:xsd:" +
                             std::string(painVersionName(message.version)) + "\"");
    xml.open("CstmrCdtTrfInitn");
    xml.open("GrpHdr");
    xml.element("MsgId", message.messageId);
    xml.element("CreDtTm", created);
    xml.element("NbOfTxs", count);
    xml.element("CtrlSum", sepaAmount(sum));
    xml.nested("InitgPty", "Nm", message.debtorName);
    xml.close("GrpHdr");

    xml.open("PmtInf");
    xml.element("PmtInfId", message.paymentInformationId);
    xml.element("PmtMtd", "TRF");
    xml.element("NbOfTxs", count);
    xml.element("CtrlSum", sepaAmount(sum));
    xml.open("PmtTpInf");
    xml.nested("SvcLvl", "Cd", "SEPA");
    if (message.instant) xml.nested("LclInstrm", "Cd", "INST");
    if (!message.categoryPurpose.empty()) xml.nested("CtgyPurp", "Cd", message.categoryPurpose);
    xml.close("PmtTpInf");
    // .09 lets the date carry a time of day; it carries none here.
    if (message.version == PainVersion::v03)
        xml.element("ReqdExctnDt", isoDate(message.executionDate));
    else
        xml.nested("ReqdExctnDt", "Dt", isoDate(message.executionDate));
    xml.nested("Dbtr", "Nm", message.debtorName);
    writeAccount(xml, "DbtrAcct", message.debtorIban);
    writeAgent(xml, "DbtrAgt", message.debtorBic, message.version);
    xml.element("ChrgBr", "SLEV");
    for (const SepaTransaction& t : message.transactions) writeTransaction(xml, t, message.version);
    xml.close("PmtInf");
    xml.close("CstmrCdtTrfInitn");
    xml.close("Document");
    return xml.take();
}

std::string sepaMessageId(const processing::LocalDateTime& created, std::uint64_t unique) {
    return text::format("VC%04d%02d%02d%02d%02d%02d-%012llX", created.year, created.month,
                        created.day, created.hour, created.minute, created.second,
                        static_cast<unsigned long long>(unique & 0xFFFFFFFFFFFFull));
}

std::string sepaEndToEndId(std::string_view listPath, std::int64_t row, std::int64_t lastRow) {
    const std::size_t slash = listPath.find_last_of("/\\");
    const std::string_view fileName =
        slash == std::string_view::npos ? listPath : listPath.substr(slash + 1);
    // Only letters, digits, "." and "-": no "/" that the rules restrict, no blank a bank frowns at.
    std::string name;
    for (const char c : transliterate(fileName)) {
        const bool alphanumeric =
            (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
        if (alphanumeric || c == '.' || c == '-')
            name += c;
        else if (c == ' ' || c == '_')
            name += '-';
    }
    const std::string number = std::to_string(row);
    if (name.empty()) return number;
    const std::size_t room = kMaxSepaId - 1 - std::to_string(std::max(row, lastRow)).size();
    if (name.size() > room) name.resize(room);
    return name + "-" + number;
}

std::string compactIban(std::string_view text) {
    char compact[kMaxIban + 2] = {};
    const std::size_t length = checks::CompactIbanStart(text, compact, kMaxIban + 1);
    return std::string(compact, length);
}

bool isSepaIban(std::string_view compact) {
    if (compact.size() < 5 || compact.size() > kMaxIban) return false;
    for (std::size_t i = 0; i < compact.size(); ++i) {
        const char c = compact[i];
        const bool letter = c >= 'A' && c <= 'Z';
        const bool digit = c >= '0' && c <= '9';
        if (i < 2 ? !letter : i < 4 ? !digit : !(letter || digit)) return false;
    }
    return true;
}

bool isSepaBic(std::string_view bic, PainVersion version) {
    if (!checks::CheckBic(bic)) return false;
    return version != PainVersion::v03 || (bic[6] != '0' && bic[6] != '1' && bic[7] != 'O');
}

bool isCategoryPurposeCode(std::string_view code) {
    if (code.size() != 4) return false;
    for (const char c : code)
        if (c < 'A' || c > 'Z') return false;
    return true;
}

}  // namespace velcor::output
