#include "output/SepaDocument.h"

#include "checks/Bic.h"
#include "checks/Iban.h"
#include "checks/PersonalIds.h"
#include "output/CategoryPurpose.h"
#include "output/Transliteration.h"
#include "text/Text.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace velcor::output {

namespace {

// Escapes the characters XML reserves; the SEPA set leaves none of them but the apostrophe,
// which needs none in element text, so this only guards the file's form.
void appendXmlText(std::string& out, std::string_view text) {
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
}

std::string isoDate(const processing::LocalDateTime& date) {
    return text::format("%04d-%02d-%02d", date.year, date.month, date.day);
}

// What the writer holds before it hands it on: large enough that the output is called seldom.
constexpr std::size_t kHeldBytes = 64 * 1024;

}  // namespace

// The document has two blanks of indent per level. Pieces are appended in place: this also spares
// GCC 12 its false overlap warning on "<" + std::string(...).
void SepaDocumentWriter::open(std::string_view name, std::string_view attributes) {
    indent();
    held_.append("<").append(name).append(attributes).append(">\n");
    ++depth_;
}

void SepaDocumentWriter::close(std::string_view name) {
    --depth_;
    indent();
    held_.append("</").append(name).append(">\n");
}

void SepaDocumentWriter::element(std::string_view name, std::string_view value) {
    indent();
    held_.append("<").append(name).append(">");
    appendXmlText(held_, value);
    held_.append("</").append(name).append(">\n");
}

void SepaDocumentWriter::raw(std::string_view line) {
    indent();
    held_.append(line).append("\n");
}

// <outer><inner>value</inner></outer>
void SepaDocumentWriter::nested(std::string_view outer, std::string_view inner,
                                std::string_view value) {
    open(outer);
    element(inner, value);
    close(outer);
}

void SepaDocumentWriter::agent(std::string_view name, std::string_view bic) {
    open(name);
    nested("FinInstnId", version_ == PainVersion::v03 ? "BIC" : "BICFI", bic);
    close(name);
}

void SepaDocumentWriter::account(std::string_view name, std::string_view iban) {
    open(name);
    nested("Id", "IBAN", iban);
    close(name);
}

bool SepaDocumentWriter::flushFull() {
    if (held_.size() < kHeldBytes) return true;
    const bool taken = out_(held_);
    held_.clear();
    return taken;
}

bool SepaDocumentWriter::begin(const SepaMessage& message, std::int64_t count,
                               processing::Cents sum) {
    version_ = message.version;
    const std::string countText = std::to_string(count);
    const std::string sumText = sepaAmount(sum);
    const processing::LocalDateTime& c = message.created;
    const std::string created = text::format("%04d-%02d-%02dT%02d:%02d:%02d", c.year, c.month,
                                             c.day, c.hour, c.minute, c.second);

    raw("<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
    open("Document", " xmlns=\"urn:iso:std:iso:20022:tech:xsd:" +
                         std::string(painVersionName(message.version)) + "\"");
    open("CstmrCdtTrfInitn");
    open("GrpHdr");
    element("MsgId", message.messageId);
    element("CreDtTm", created);
    element("NbOfTxs", countText);
    element("CtrlSum", sumText);
    open("InitgPty");
    element("Nm", message.debtorName);
    if (!message.initiatorId.empty()) {
        open("Id");
        open("OrgId");
        nested("Othr", "Id", message.initiatorId);
        close("OrgId");
        close("Id");
    }
    close("InitgPty");
    close("GrpHdr");

    open("PmtInf");
    element("PmtInfId", message.paymentInformationId);
    element("PmtMtd", "TRF");
    if (message.batchBooking) element("BtchBookg", *message.batchBooking ? "true" : "false");
    element("NbOfTxs", countText);
    element("CtrlSum", sumText);
    open("PmtTpInf");
    nested("SvcLvl", "Cd", "SEPA");
    if (message.instant) nested("LclInstrm", "Cd", "INST");
    if (!message.categoryPurpose.empty()) nested("CtgyPurp", "Cd", message.categoryPurpose);
    close("PmtTpInf");
    // .09 lets the date carry a time of day; it carries none here.
    if (message.version == PainVersion::v03)
        element("ReqdExctnDt", isoDate(message.executionDate));
    else
        nested("ReqdExctnDt", "Dt", isoDate(message.executionDate));
    nested("Dbtr", "Nm", message.debtorName);
    account("DbtrAcct", message.debtorIban);
    agent("DbtrAgt", message.debtorBic);
    element("ChrgBr", "SLEV");
    return flushFull();
}

bool SepaDocumentWriter::add(const SepaTransaction& t) {
    open("CdtTrfTxInf");
    nested("PmtId", "EndToEndId", t.endToEndId);
    open("Amt");
    indent();
    held_.append("<InstdAmt Ccy=\"EUR\">").append(sepaAmount(t.amount)).append("</InstdAmt>\n");
    close("Amt");
    // Within the EEA the creditor's bank is found from the IBAN: a row without a BIC names none.
    if (!t.creditorBic.empty()) agent("CdtrAgt", t.creditorBic);
    nested("Cdtr", "Nm", t.creditorName);
    account("CdtrAcct", t.creditorIban);
    if (!t.creditorReference.empty()) {
        open("RmtInf");
        open("Strd");
        open("CdtrRefInf");
        open("Tp");
        nested("CdOrPrtry", "Cd", "SCOR");
        close("Tp");
        element("Ref", t.creditorReference);
        close("CdtrRefInf");
        close("Strd");
        close("RmtInf");
    } else if (!t.remittance.empty()) {
        nested("RmtInf", "Ustrd", t.remittance);
    }
    close("CdtTrfTxInf");
    return flushFull();
}

bool SepaDocumentWriter::finish() {
    close("PmtInf");
    close("CstmrCdtTrfInitn");
    close("Document");
    const bool taken = held_.empty() || out_(held_);
    held_.clear();
    return taken;
}

std::string sepaAmount(processing::Cents cents) { return processing::formatCents(cents, 0); }

std::string sepaDocument(const SepaMessage& message) {
    processing::Cents sum = 0;
    for (const SepaTransaction& t : message.transactions) sum += t.amount;
    std::string document;
    SepaDocumentWriter writer([&](std::string_view bytes) {
        document += bytes;
        return true;
    });
    writer.begin(message, static_cast<std::int64_t>(message.transactions.size()), sum);
    for (const SepaTransaction& t : message.transactions) writer.add(t);
    writer.finish();
    return document;
}

std::string sepaMessageId(const processing::LocalDateTime& created, std::uint64_t unique) {
    return text::format("VC%04d%02d%02d%02d%02d%02d-%012llX", created.year, created.month,
                        created.day, created.hour, created.minute, created.second,
                        static_cast<unsigned long long>(unique & 0xFFFFFFFFFFFFull));
}

std::string sepaExportToken(std::uint64_t unique) {
    return text::format("%08llX", static_cast<unsigned long long>(unique & 0xFFFFFFFFull));
}

std::string sepaEndToEndId(std::string_view listPath, std::string_view token, std::int64_t row,
                           std::int64_t lastRow) {
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
    const std::string number = std::string(token) + "-" + std::to_string(row);
    if (name.empty()) return number;
    const std::size_t used = token.size() + 2 + std::to_string(std::max(row, lastRow)).size();
    if (used >= kMaxSepaId) return number;
    if (name.size() > kMaxSepaId - used) name.resize(kMaxSepaId - used);
    return name + "-" + number;
}

bool isSepaId(std::string_view id) {
    if (id.empty() || id.size() > kMaxSepaId) return false;
    if (id.front() == '/' || id.back() == '/' || id.find("//") != std::string_view::npos)
        return false;
    return std::all_of(id.begin(), id.end(), isSepaCharacter);
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

bool isBudgetAccount(std::string_view compact) {
    return compact.size() > 13 && compact.starts_with("BG") && compact[12] == '8';
}

bool isSepaBic(std::string_view bic, PainVersion version) {
    if (!checks::CheckBic(bic)) return false;
    return version != PainVersion::v03 || (bic[6] != '0' && bic[6] != '1' && bic[7] != 'O');
}

std::string compactCreditorReference(std::string_view text) {
    std::string compact;
    for (const char c : text) {
        if (c == ' ') continue;
        compact += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return compact;
}

bool isCreditorReference(std::string_view compact) {
    // "RF", two check digits and 1 to 21 characters.
    if (compact.size() < 5 || compact.size() > 25 || !compact.starts_with("RF")) return false;
    const auto digit = [](char c) { return c >= '0' && c <= '9'; };
    if (!digit(compact[2]) || !digit(compact[3])) return false;
    // What a remainder of 1 would also allow but the check digits are never computed as.
    const std::string_view check = compact.substr(2, 2);
    if (check == "00" || check == "01" || check == "99") return false;
    // The reference, then "RF" and the check digits, letters as 10 to 35, taken by 97 as read.
    unsigned remainder = 0;
    const auto take = [&](char c) {
        if (digit(c)) {
            remainder = (remainder * 10 + static_cast<unsigned>(c - '0')) % 97;
            return true;
        }
        if (c < 'A' || c > 'Z') return false;
        remainder = (remainder * 100 + static_cast<unsigned>(c - 'A' + 10)) % 97;
        return true;
    };
    for (const char c : compact.substr(4))
        if (!take(c)) return false;
    for (const char c : compact.substr(0, 4)) take(c);
    return remainder == 1;
}

std::string compactInitiatorId(std::string_view text) {
    std::string compact;
    for (const char c : text)
        if (c != ' ' && c != '-') compact += c;
    return compact;
}

bool isInitiatorId(std::string_view text) {
    const std::string digits = compactInitiatorId(text);
    if (digits.size() != 9 && digits.size() != 13) return false;
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    // The register check tests a 13-digit number's last digit only: its first nine are an EIK of
    // their own.
    return checks::CheckBulstat(digits) &&
           (digits.size() == 9 || checks::CheckBulstat(std::string_view(digits).substr(0, 9)));
}

bool isCategoryPurposeCode(std::string_view code) { return findCategoryPurpose(code) != nullptr; }

}  // namespace velcor::output
