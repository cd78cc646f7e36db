#include "output/StatusReport.h"

#include "output/SepaExport.h"
#include "output/XmlInput.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <new>
#include <utility>

#if defined(VELCOR_SEPA_VALIDATION)
#include <libxml/parser.h>
#include <libxml/parserInternals.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>
#include <libxml/xmlschemas.h>

// The schemas' and code lists' bytes, generated from resources/iso20022/ by
// cmake/EmbedFile.cmake.
namespace velcor::output::detail {
extern const unsigned char kPain002v10Schema[];
extern const std::size_t kPain002v10SchemaSize;
extern const unsigned char kPain002v03Schema[];
extern const std::size_t kPain002v03SchemaSize;
extern const unsigned char kPaymentStatusCodes[];
extern const std::size_t kPaymentStatusCodesSize;
extern const unsigned char kStatusReasons[];
extern const std::size_t kStatusReasonsSize;
}  // namespace velcor::output::detail
#endif

namespace velcor::output {

using namespace text::literals;

namespace {

constexpr auto kNoDescription = "код без описание"_cp;

struct CodeEntry {
    PaymentState state = PaymentState::unknown;
    std::string text;
};

#if defined(VELCOR_SEPA_VALIDATION)
PaymentState stateNamed(std::string_view name) {
    if (name == "accepted") return PaymentState::accepted;
    if (name == "pending") return PaymentState::pending;
    if (name == "rejected") return PaymentState::rejected;
    if (name == "partly") return PaymentState::partly;
    return PaymentState::unknown;
}

// A code list's lines, '#' lines aside: the code, then (for the status codes) its state, its ISO
// name and its Bulgarian text (UTF-8 in the file, Windows-1251 here).
std::map<std::string, CodeEntry, std::less<>> codeList(std::string_view bytes, bool withState) {
    std::map<std::string, CodeEntry, std::less<>> list;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        std::string_view line = bytes.substr(0, lf);
        bytes.remove_prefix(lf == std::string_view::npos ? bytes.size() : lf + 1);
        if (line.empty() || line.front() == '#') continue;
        std::vector<std::string_view> fields;
        for (std::size_t start = 0;;) {
            const std::size_t tab = line.find('\t', start);
            fields.push_back(line.substr(start, tab == std::string_view::npos ? tab : tab - start));
            if (tab == std::string_view::npos) break;
            start = tab + 1;
        }
        if (fields.size() != (withState ? 4u : 3u)) continue;
        CodeEntry entry;
        if (withState) entry.state = stateNamed(fields[1]);
        text::fromUtf8(fields.back(), entry.text);
        list.emplace(std::string(fields[0]), std::move(entry));
    }
    return list;
}

std::string_view embedded(const unsigned char* bytes, std::size_t size) {
    return {reinterpret_cast<const char*>(bytes), size};
}
const std::map<std::string, CodeEntry, std::less<>>& statusCodes() {
    static const auto list =
        codeList(embedded(detail::kPaymentStatusCodes, detail::kPaymentStatusCodesSize), true);
    return list;
}
const std::map<std::string, CodeEntry, std::less<>>& reasonCodes() {
    static const auto list =
        codeList(embedded(detail::kStatusReasons, detail::kStatusReasonsSize), false);
    return list;
}
#else
const std::map<std::string, CodeEntry, std::less<>>& statusCodes() {
    static const std::map<std::string, CodeEntry, std::less<>> none;
    return none;
}
const std::map<std::string, CodeEntry, std::less<>>& reasonCodes() { return statusCodes(); }
#endif

}  // namespace

StatusCodeText paymentStatusText(std::string_view code) {
    const auto& list = statusCodes();
    const auto at = list.find(code);
    if (at == list.end()) return {PaymentState::unknown, std::string(kNoDescription), false};
    return {at->second.state, at->second.text, true};
}

std::optional<std::string> statusReasonText(std::string_view code) {
    const auto& list = reasonCodes();
    const auto at = list.find(code);
    if (at == list.end()) return std::nullopt;
    return at->second.text;
}

std::string_view statusVersionName(StatusVersion version) {
    return version == StatusVersion::v03 ? "pain.002.001.03" : "pain.002.001.10";
}

#if !defined(VELCOR_SEPA_VALIDATION)

StatusReport readStatusReport(fileio::FileSystem&, const std::string&, const std::string&,
                              const StatusReadOptions&) {
    StatusReport report;
    report.error = StatusReportError::noValidation;
    return report;
}

#else

namespace {

using xml::ErrorPointer;

constexpr std::string_view kNamespaceStart = "urn:iso:std:iso:20022:tech:xsd:";
// Text a leaf holds beyond this is not kept: the schema allows 140 characters at most.
constexpr std::size_t kTextLimit = 4096;

// The first complaints of a parse or a validation, and whether memory ran out.
struct Complaints {
    std::string text;       // the validator's
    std::string malformed;  // the parser's
    int counts[2] = {0, 0};
    bool outOfMemory = false;

    static void collect(void* data, ErrorPointer error) {
        auto* complaints = static_cast<Complaints*>(data);
        if (error == nullptr) return;
        if (error->code == XML_ERR_NO_MEMORY) complaints->outOfMemory = true;
        const bool validator = error->domain == XML_FROM_SCHEMASV;
        if (complaints->counts[validator ? 0 : 1]++ >= 3) return;
        try {
            std::string message = error->message != nullptr ? error->message : "";
            while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
                message.pop_back();
            std::string& text = validator ? complaints->text : complaints->malformed;
            if (!text.empty()) text += "; ";
            if (error->line > 0) {
                text += "line ";
                text += std::to_string(error->line);
                text += ": ";
            }
            text += message;
        } catch (const std::bad_alloc&) {
            complaints->outOfMemory = true;
        }
    }
};

// Nothing outside the report is ever loaded: no DTD, no entity, no schema it names.
xmlParserInputPtr refuseLoad(const char*, const char*, xmlParserCtxtPtr) { return nullptr; }

// libxml2's few complaints outside any context (an encoding it cannot convert, a schema feature
// it lacks) are told by the outcome, never on the standard error.
void ignoreComplaint(void*, const char*, ...) {}

xmlSchemaPtr schemaOf(StatusVersion version) {
    static xmlSchemaPtr parsed[2] = {nullptr, nullptr};
    return version == StatusVersion::v03 ? xml::parsedSchema(parsed[1], detail::kPain002v03Schema,
                                                             detail::kPain002v03SchemaSize)
                                         : xml::parsedSchema(parsed[0], detail::kPain002v10Schema,
                                                             detail::kPain002v10SchemaSize);
}

// No network, no entity substituted, no DTD loaded; a DOCTYPE is refused before anything else.
constexpr int kParseOptions = XML_PARSE_NONET;

std::string utf8Text(const xmlChar* value) {
    return value != nullptr ? std::string(reinterpret_cast<const char*>(value)) : std::string();
}

std::string cp1251(std::string_view utf8) {
    std::string out;
    if (text::fromUtf8(utf8, out)) return out;
    // A character Windows-1251 lacks is shown as a question mark.
    out.clear();
    for (std::size_t i = 0; i < utf8.size();) {
        std::size_t length = 1;
        const auto lead = static_cast<unsigned char>(utf8[i]);
        if (lead >= 0xF0)
            length = 4;
        else if (lead >= 0xE0)
            length = 3;
        else if (lead >= 0xC0)
            length = 2;
        std::string one;
        if (i + length <= utf8.size() && text::fromUtf8(utf8.substr(i, length), one))
            out += one;
        else
            out += '?';
        i += length;
    }
    return out;
}

// What a report gives a group, its block of payments or one payment.
struct StatusInfo {
    std::string status;
    std::vector<std::string> reasons;
    std::string text;  // UTF-8
    std::optional<std::int64_t> count;
    std::vector<std::pair<std::string, std::int64_t>> perStatus;
    std::int64_t detailed = 0;
    std::string detailedStatus;
    void clear() { *this = {}; }
};

struct TxInfo {
    std::string endToEndId;
    bool hasEndToEndId = false;
    StatusInfo info;
    std::string amount;  // OrgnlTxRef/Amt/InstdAmt
    std::string currency;
    std::string iban;  // OrgnlTxRef/CdtrAcct/Id/IBAN
};

// What ended a reading of the report before its end.
enum class Stop { none, doctype, notXml, invalid, outOfMemory, readError, byReceiver };

// Reads a report through once, handing what it finds to its receivers as each part ends.
class ReportReader {
  public:
    std::function<bool(const std::string& messageId, const std::string& originalId,
                       const std::string& originalName, const StatusInfo& group)>
        onGroup;
    std::function<bool(const StatusInfo& block, const TxInfo& tx)> onTx;
    std::function<void(const StatusInfo& block)> onBlockEnd;

    Stop read(fileio::ReadFile& file, xmlSchemaPtr schema, std::string& complaint) {
        Complaints complaints;
        xmlTextReaderPtr reader = xmlReaderForIO(&xml::readDocument, &xml::keepOpen, &file,
                                                 "report.xml", nullptr, kParseOptions);
        if (reader == nullptr) return Stop::outOfMemory;
        xmlTextReaderSetStructuredErrorHandler(reader, &Complaints::collect, &complaints);
        xmlSchemaValidCtxtPtr validator = nullptr;
        Stop stop = Stop::none;
        if (schema != nullptr) {
            validator = xmlSchemaNewValidCtxt(schema);
            if (validator == nullptr) stop = Stop::outOfMemory;
            if (validator != nullptr) {
                xmlSchemaSetValidStructuredErrors(validator, &Complaints::collect, &complaints);
                if (xmlTextReaderSchemaValidateCtxt(reader, validator, 0) != 0)
                    stop = Stop::outOfMemory;
            }
        }
        int result = 1;
        try {
            while (stop == Stop::none && (result = xmlTextReaderRead(reader)) == 1) {
                // What the validator refused is not read on: no part of an invalid report is
                // matched with the export.
                if (complaints.counts[0] > 0) {
                    stop = Stop::invalid;
                    break;
                }
                stop = node(reader);
            }
        } catch (const std::bad_alloc&) {
            stop = Stop::outOfMemory;
        }
        if (stop == Stop::none) {
            if (complaints.outOfMemory)
                stop = Stop::outOfMemory;
            else if (result < 0)
                stop = Stop::notXml;
            else if (schema != nullptr && xmlTextReaderIsValid(reader) != 1)
                stop = Stop::invalid;
        }
        xmlFreeTextReader(reader);
        if (validator != nullptr) xmlSchemaFreeValidCtxt(validator);
        // The reading stops only where the document is not well-formed; the validator's
        // complaints are told of a whole document.
        complaint = stop == Stop::notXml ? (complaints.malformed.empty() ? "not well-formed XML"
                                                                         : complaints.malformed)
                                         : complaints.text;
        if (stop == Stop::notXml && readFailed) stop = Stop::readError;
        return stop;
    }

    bool readFailed = false;
    std::string rootNamespace;
    std::string rootName;

  private:
    std::vector<std::string> path_;
    std::string text_;
    std::string messageId_, originalId_, originalName_;
    StatusInfo group_, block_;
    TxInfo tx_;

    bool at(std::size_t index, std::string_view name) const {
        return path_.size() > index && path_[index] == name;
    }

    // The leaf `name` that ended under `owner`, at `depth` below the owner's element.
    void statusLeaf(StatusInfo& owner, std::size_t depth) {
        const std::string& name = path_.back();
        const std::size_t size = path_.size();
        if (size == depth + 1) {
            if (name == "GrpSts" || name == "PmtInfSts" || name == "TxSts")
                owner.status = text_;
            else if (name == "OrgnlNbOfTxs")
                owner.count = number(text_);
        } else if (size == depth + 2 && path_[depth] == "StsRsnInf" && name == "AddtlInf") {
            if (!owner.text.empty()) owner.text += ' ';
            if (owner.text.size() < kTextLimit) owner.text += text_;
        } else if (size == depth + 3 && path_[depth] == "StsRsnInf" && path_[depth + 1] == "Rsn" &&
                   (name == "Cd" || name == "Prtry")) {
            if (owner.reasons.size() < 16) owner.reasons.push_back(text_);
        } else if (size == depth + 2 && path_[depth] == "NbOfTxsPerSts") {
            if (name == "DtldNbOfTxs") owner.detailed = number(text_).value_or(-1);
            if (name == "DtldSts") owner.detailedStatus = text_;
        }
    }

    static std::optional<std::int64_t> number(const std::string& digits) {
        if (digits.empty() || digits.size() > 15) return std::nullopt;
        std::int64_t value = 0;
        for (const char c : digits) {
            if (c < '0' || c > '9') return std::nullopt;
            value = value * 10 + (c - '0');
        }
        return value;
    }

    Stop elementEnd() {
        const std::size_t size = path_.size();
        const std::string& name = path_.back();
        if (size == 4 && at(2, "GrpHdr") && name == "MsgId") messageId_ = text_;
        if (at(2, "OrgnlGrpInfAndSts")) {
            if (size == 4 && name == "OrgnlMsgId") originalId_ = text_;
            if (size == 4 && name == "OrgnlMsgNmId") originalName_ = text_;
            if (size == 4 && name == "NbOfTxsPerSts")
                group_.perStatus.emplace_back(group_.detailedStatus, group_.detailed);
            statusLeaf(group_, 3);
            if (size == 3) {
                if (onGroup && !onGroup(messageId_, originalId_, originalName_, group_))
                    return Stop::byReceiver;
            }
        } else if (at(2, "OrgnlPmtInfAndSts")) {
            if (at(3, "TxInfAndSts")) {
                if (size == 5 && name == "OrgnlEndToEndId") {
                    tx_.endToEndId = text_;
                    tx_.hasEndToEndId = true;
                }
                if (size == 7 && at(4, "OrgnlTxRef") && at(5, "Amt") && name == "InstdAmt")
                    tx_.amount = text_;
                if (size == 8 && at(4, "OrgnlTxRef") && at(5, "CdtrAcct") && at(6, "Id") &&
                    name == "IBAN")
                    tx_.iban = text_;
                statusLeaf(tx_.info, 4);
                if (size == 4) {
                    if (onTx && !onTx(block_, tx_)) return Stop::byReceiver;
                    tx_ = {};
                }
            } else {
                if (size == 4 && name == "NbOfTxsPerSts")
                    block_.perStatus.emplace_back(block_.detailedStatus, block_.detailed);
                statusLeaf(block_, 3);
                if (size == 3) {
                    if (onBlockEnd) onBlockEnd(block_);
                    block_.clear();
                }
            }
        }
        return Stop::none;
    }

    Stop node(xmlTextReaderPtr reader) {
        switch (xmlTextReaderNodeType(reader)) {
            case XML_READER_TYPE_DOCUMENT_TYPE:
                return Stop::doctype;
            case XML_READER_TYPE_ENTITY_REFERENCE:
            case XML_READER_TYPE_ENTITY:
                return Stop::doctype;
            case XML_READER_TYPE_ELEMENT: {
                if (path_.empty()) {
                    rootNamespace = utf8Text(xmlTextReaderConstNamespaceUri(reader));
                    rootName = utf8Text(xmlTextReaderConstLocalName(reader));
                    if (!onGroup) return Stop::byReceiver;  // only the root was asked for
                }
                path_.push_back(utf8Text(xmlTextReaderConstLocalName(reader)));
                text_.clear();
                if (path_.back() == "InstdAmt") {
                    xmlChar* currency =
                        xmlTextReaderGetAttribute(reader, reinterpret_cast<const xmlChar*>("Ccy"));
                    tx_.currency = utf8Text(currency);
                    xmlFree(currency);
                }
                if (xmlTextReaderIsEmptyElement(reader) == 1) {
                    const Stop stop = elementEnd();
                    path_.pop_back();
                    return stop;
                }
                return Stop::none;
            }
            case XML_READER_TYPE_END_ELEMENT: {
                if (path_.empty()) return Stop::none;
                const Stop stop = elementEnd();
                path_.pop_back();
                text_.clear();
                return stop;
            }
            case XML_READER_TYPE_TEXT:
            case XML_READER_TYPE_CDATA:
            case XML_READER_TYPE_SIGNIFICANT_WHITESPACE:
                if (text_.size() < kTextLimit) text_ += utf8Text(xmlTextReaderConstValue(reader));
                return Stop::none;
            default:
                return Stop::none;
        }
    }
};

// A report file watched for its read failing.
class WatchedFile final : public fileio::ReadFile {
  public:
    WatchedFile(fileio::ReadFile& file, ReportReader& reader) : file_(file), reader_(reader) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::ptrdiff_t got = file_.read(buffer, size);
        if (got < 0) reader_.readFailed = true;
        return got;
    }

  private:
    fileio::ReadFile& file_;
    ReportReader& reader_;
};

// The amount of an InstdAmt ("123.4", "123.45", "123.450") in cents; nothing for one that is
// not a whole number of cents.
std::optional<processing::Cents> centsOf(std::string_view text) {
    const std::size_t dot = text.find('.');
    const std::string_view whole = text.substr(0, dot);
    std::string_view fraction = dot == std::string_view::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || whole.size() > 15) return std::nullopt;
    processing::Cents cents = 0;
    for (const char c : whole) {
        if (c < '0' || c > '9') return std::nullopt;
        cents = cents * 10 + (c - '0');
    }
    for (std::size_t i = 0; i < fraction.size(); ++i) {
        const char c = fraction[i];
        if (c < '0' || c > '9' || (i >= 2 && c != '0')) return std::nullopt;
    }
    const auto digit = [&](std::size_t i) { return i < fraction.size() ? fraction[i] - '0' : 0; };
    return cents * 100 + digit(0) * 10 + digit(1);
}

std::string amountText(processing::Cents cents) {
    return text::format("%lld.%02lld", static_cast<long long>(cents / 100),
                        static_cast<long long>(cents % 100));
}

std::string compactUpper(std::string_view iban) {
    std::string out;
    for (const char c : iban)
        if (c != ' ') out += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    return out;
}

// The state per payment of the export, a byte each.
// 4 added: not listed, and not accepted.
constexpr std::uint8_t unlisted = 0;
constexpr std::uint8_t seenAccepted = 1;
constexpr std::uint8_t seenPending = 2;
constexpr std::uint8_t seenRejected = 3;

PaymentState listedState(PaymentState state) {
    // A payment given a group's code "partly" or an unknown code is not known to be accepted.
    return state == PaymentState::partly || state == PaymentState::unknown ? PaymentState::pending
                                                                           : state;
}

// Everything the reading of one report needs, and what it made of it.
class Matching {
  public:
    Matching(fileio::FileSystem& fs, const std::string& path, const std::string& folder,
             const StatusReadOptions& options, StatusReport& report)
        : fs_(fs), path_(path), folder_(folder), options_(options), report_(report) {}

    void run();

  private:
    bool openReport(std::unique_ptr<fileio::ReadFile>& file) {
        file = fs_.openRead(path_, report_.cause);
        if (!file) report_.error = StatusReportError::cannotOpen;
        return file != nullptr;
    }
    bool stopped(Stop stop, const std::string& complaint);
    bool peek();
    bool check();
    void emit();
    void mismatch(StatusMismatchKind kind, std::string id, std::int64_t row, std::string reported,
                  std::string exported) {
        if (report_.mismatches.size() >= StatusReport::kShown) {
            ++report_.mismatchesLeftOut;
            return;
        }
        report_.mismatches.push_back(
            {kind, cp1251(id), row, cp1251(reported), std::move(exported)});
    }
    PaymentStatusLine lineOf(const SepaRecordRow& row, const std::string& status,
                             const StatusInfo& info, bool listed) const {
        PaymentStatusLine line;
        line.row = row.row;
        line.endToEndId = row.endToEndId;
        line.name = row.name;
        line.iban = row.iban;
        line.amount = row.amount;
        line.status = status;
        line.state = listedState(paymentStatusText(status).state);
        for (const std::string& reason : info.reasons) line.reasons.push_back(cp1251(reason));
        line.additionalText = cp1251(info.text);
        line.listed = listed;
        return line;
    }
    void tell(const PaymentStatusLine& line) {
        if (options_.payments) options_.payments(line);
        if (report_.payments.size() < StatusReport::kShown)
            report_.payments.push_back(line);
        else
            ++report_.paymentsLeftOut;
    }
    void writeRejectedList();

    fileio::FileSystem& fs_;
    const std::string& path_;
    const std::string& folder_;
    const StatusReadOptions& options_;
    StatusReport& report_;
    std::unique_ptr<SepaRecord> record_;
    std::vector<std::uint8_t> seen_;
    StatusInfo group_;
    StatusInfo lastBlock_;
    std::string unlistedStatus_;  // the status of the payments the report does not list
    StatusInfo unlistedInfo_;
};

bool Matching::stopped(Stop stop, const std::string& complaint) {
    switch (stop) {
        case Stop::none:
        case Stop::byReceiver:
            return false;
        case Stop::doctype:
            report_.error = StatusReportError::doctype;
            break;
        case Stop::notXml:
            report_.error = StatusReportError::notXml;
            break;
        case Stop::invalid:
            report_.error = StatusReportError::invalid;
            break;
        case Stop::outOfMemory:
            report_.error = StatusReportError::outOfMemory;
            break;
        case Stop::readError:
            report_.error = StatusReportError::readError;
            report_.cause = std::make_error_code(std::errc::io_error);
            break;
    }
    report_.complaint = complaint;
    return true;
}

// The root element: its namespace names the message and its version.
bool Matching::peek() {
    std::unique_ptr<fileio::ReadFile> file;
    if (!openReport(file)) return false;
    ReportReader reader;
    WatchedFile watched(*file, reader);
    std::string complaint;
    const Stop stop = reader.read(watched, nullptr, complaint);
    if (stop == Stop::readError) report_.cause = file->error();
    if (stopped(stop, complaint)) return false;
    const std::string& ns = reader.rootNamespace;
    if (ns == std::string(kNamespaceStart) + "pain.002.001.10") {
        report_.version = StatusVersion::v10;
        return true;
    }
    if (ns == std::string(kNamespaceStart) + "pain.002.001.03") {
        report_.version = StatusVersion::v03;
        return true;
    }
    report_.complaint = cp1251(ns.empty() ? reader.rootName : ns);
    if (ns.starts_with(std::string(kNamespaceStart) + "pain.001."))
        report_.error = StatusReportError::paymentFile;
    else if (ns.starts_with(std::string(kNamespaceStart) + "pain.002."))
        report_.error = StatusReportError::unknownVersion;
    else
        report_.error = StatusReportError::otherXml;
    return false;
}

// Validates the report and matches it with its export: states, counts, mismatches, nothing told.
bool Matching::check() {
    const xmlSchemaPtr schema = schemaOf(report_.version);
    if (schema == nullptr) {
        report_.error = StatusReportError::outOfMemory;
        return false;
    }
    std::unique_ptr<fileio::ReadFile> file;
    if (!openReport(file)) return false;
    ReportReader reader;
    std::map<std::string, std::int64_t, std::less<>> listedPerStatus;
    reader.onGroup = [&](const std::string& messageId, const std::string& originalId,
                         const std::string& originalName, const StatusInfo& group) {
        report_.messageId = cp1251(messageId);
        report_.originalMessageId = cp1251(originalId);
        group_ = group;
        const std::optional<std::string> recordPath = sepaRecordPath(folder_, originalId);
        if (!recordPath) {
            report_.error = StatusReportError::unknownExport;
            return false;
        }
        record_ = std::make_unique<SepaRecord>(fs_, *recordPath);
        switch (record_->open()) {
            case SepaRecordError::none:
                break;
            case SepaRecordError::missing:
                report_.error = StatusReportError::unknownExport;
                return false;
            case SepaRecordError::letGo:
                report_.error = StatusReportError::exportLetGo;
                return false;
            case SepaRecordError::unreadable:
                report_.error = StatusReportError::recordUnreadable;
                report_.cause = record_->cause();
                return false;
            case SepaRecordError::damaged:
                report_.error = StatusReportError::recordDamaged;
                return false;
            case SepaRecordError::outOfMemory:
                report_.error = StatusReportError::outOfMemory;
                return false;
        }
        report_.exported = record_->header();
        seen_.assign(static_cast<std::size_t>(record_->payments()), unlisted);
        const std::string answered = std::string(painVersionName(report_.exported.version));
        const std::string expected =
            report_.version == StatusVersion::v10 ? "pain.001.001.09" : "pain.001.001.03";
        if (originalName != answered || answered != expected)
            mismatch(StatusMismatchKind::versionDiffers, {}, 0, originalName, answered);
        const std::int64_t count = record_->payments();
        if (group.count && *group.count != count)
            mismatch(StatusMismatchKind::countDiffers, {}, 0, std::to_string(*group.count),
                     std::to_string(count));
        std::int64_t detailed = 0;
        for (const auto& [status, n] : group.perStatus) detailed += n;
        if (!group.perStatus.empty() && detailed != count)
            mismatch(StatusMismatchKind::statusCountsDiffer, {}, 0, std::to_string(detailed),
                     std::to_string(count));
        return true;
    };
    reader.onTx = [&](const StatusInfo& block, const TxInfo& tx) {
        // The schema puts the group first; a document that does not is refused by it.
        if (!record_) return true;
        std::int64_t ordinal = 0;
        const std::optional<SepaRecordRow> row =
            tx.hasEndToEndId ? record_->find(tx.endToEndId, ordinal) : std::nullopt;
        if (!row) {
            mismatch(StatusMismatchKind::unknownEndToEndId, tx.endToEndId, 0, tx.endToEndId, {});
            return true;
        }
        std::uint8_t& seen = seen_[static_cast<std::size_t>(ordinal)];
        if (seen != unlisted) {
            report_.error = StatusReportError::duplicateEndToEndId;
            report_.duplicateId = cp1251(tx.endToEndId);
            return false;
        }
        const std::string& status = !tx.info.status.empty() ? tx.info.status
                                    : !block.status.empty() ? block.status
                                                            : group_.status;
        ++listedPerStatus[status];
        switch (listedState(paymentStatusText(status).state)) {
            case PaymentState::accepted:
                seen = seenAccepted;
                break;
            case PaymentState::rejected:
                seen = seenRejected;
                break;
            default:
                seen = seenPending;
        }
        if (!tx.amount.empty()) {
            const std::optional<processing::Cents> cents = centsOf(tx.amount);
            if (!cents || *cents != row->amount || (!tx.currency.empty() && tx.currency != "EUR"))
                mismatch(StatusMismatchKind::amountDiffers, tx.endToEndId, row->row, tx.amount,
                         amountText(row->amount));
        }
        if (!tx.iban.empty() && compactUpper(tx.iban) != row->iban)
            mismatch(StatusMismatchKind::ibanDiffers, tx.endToEndId, row->row, tx.iban, row->iban);
        return true;
    };
    reader.onBlockEnd = [&](const StatusInfo& block) {
        if (!record_) return;
        const std::int64_t count = record_->payments();
        if (block.count && *block.count != count)
            mismatch(StatusMismatchKind::countDiffers, {}, 0, std::to_string(*block.count),
                     std::to_string(count));
        std::int64_t detailed = 0;
        for (const auto& [status, n] : block.perStatus) detailed += n;
        if (!block.perStatus.empty() && detailed != count)
            mismatch(StatusMismatchKind::statusCountsDiffer, {}, 0, std::to_string(detailed),
                     std::to_string(count));
        lastBlock_ = block;
    };
    WatchedFile watched(*file, reader);
    std::string complaint;
    const Stop stop = reader.read(watched, schema, complaint);
    if (stop == Stop::readError) report_.cause = file->error();
    if (report_.error != StatusReportError::none) return false;
    if (stopped(stop, complaint)) return false;
    if (!record_) {
        report_.error = StatusReportError::invalid;
        return false;
    }
    // The detailed counts give at least as many of a status as the report lists.
    for (const StatusInfo* info : {&group_, &lastBlock_})
        for (const auto& [status, n] : info->perStatus)
            if (listedPerStatus[status] > n)
                mismatch(StatusMismatchKind::statusCountsDiffer, {}, 0,
                         status + " " + std::to_string(n), std::to_string(listedPerStatus[status]));

    // The payments the report does not list have their block's status, or their group's; of a
    // group partly accepted, those not listed are the accepted ones.
    unlistedInfo_ = !lastBlock_.status.empty() ? lastBlock_ : group_;
    unlistedStatus_ = unlistedInfo_.status;
    PaymentState unlistedState = paymentStatusText(unlistedStatus_).state;
    if (unlistedState == PaymentState::partly) unlistedState = PaymentState::accepted;
    unlistedState = listedState(unlistedState);
    for (std::uint8_t& seen : seen_) {
        const std::uint8_t state = seen != unlisted                          ? seen
                                   : unlistedState == PaymentState::accepted ? seenAccepted
                                   : unlistedState == PaymentState::rejected ? seenRejected
                                                                             : seenPending;
        if (state == seenAccepted) ++report_.accepted;
        if (state == seenRejected) ++report_.rejected;
        if (state == seenPending) ++report_.pending;
        if (seen == unlisted && state != seenAccepted) seen = static_cast<std::uint8_t>(state | 4);
    }
    report_.groupStatus = group_.status;
    report_.groupReasons.clear();
    for (const std::string& reason : group_.reasons) report_.groupReasons.push_back(cp1251(reason));
    report_.groupText = cp1251(group_.text);
    const std::int64_t all = static_cast<std::int64_t>(seen_.size());
    if (!group_.status.empty())
        report_.groupState = paymentStatusText(group_.status).state;
    else if (report_.accepted == all)
        report_.groupState = PaymentState::accepted;
    else if (report_.rejected == all)
        report_.groupState = PaymentState::rejected;
    else if (report_.rejected == 0)
        report_.groupState = PaymentState::pending;
    else
        report_.groupState = PaymentState::partly;
    return true;
}

// Tells every payment not accepted: those the report lists in its order, then those it gives
// only their group's status, in row order.
void Matching::emit() {
    if (report_.pending + report_.rejected == 0) return;
    std::unique_ptr<fileio::ReadFile> file;
    if (!openReport(file)) return;
    ReportReader reader;
    reader.onGroup = [](const std::string&, const std::string&, const std::string&,
                        const StatusInfo&) { return true; };
    reader.onTx = [&](const StatusInfo& block, const TxInfo& tx) {
        std::int64_t ordinal = 0;
        const std::optional<SepaRecordRow> row =
            tx.hasEndToEndId ? record_->find(tx.endToEndId, ordinal) : std::nullopt;
        if (!row) return true;
        const std::uint8_t seen = seen_[static_cast<std::size_t>(ordinal)];
        if (seen == seenAccepted) return true;
        const std::string& status = !tx.info.status.empty() ? tx.info.status
                                    : !block.status.empty() ? block.status
                                                            : group_.status;
        tell(lineOf(*row, status, tx.info.status.empty() ? block : tx.info, true));
        return true;
    };
    WatchedFile watched(*file, reader);
    std::string complaint;
    const Stop stop = reader.read(watched, nullptr, complaint);
    if (stopped(stop, complaint)) return;
    record_->forEach([&](std::int64_t ordinal, const SepaRecordRow& row) {
        if ((seen_[static_cast<std::size_t>(ordinal)] & 4) != 0)
            tell(lineOf(row, unlistedStatus_, unlistedInfo_, false));
        return true;
    });
}

// The rows rejected, as the list held them, in a new file.
void Matching::writeRejectedList() {
    const std::string& target = *options_.rejectedListPath;
    if (report_.rejected == 0) {
        report_.rejectedList = StatusReport::RejectedList::noneRejected;
        return;
    }
    if (fs_.stamp(target)) {
        report_.rejectedList = StatusReport::RejectedList::exists;
        return;
    }
    std::string tempPath;
    std::unique_ptr<fileio::WriteFile> file =
        fs_.createTemporaryBeside(target, tempPath, report_.rejectedCause);
    if (!file) {
        report_.rejectedList = StatusReport::RejectedList::openFailed;
        return;
    }
    bool written = true;
    const std::string lineEnd = record_->crlf() ? "\r\n" : "\n";
    std::string pendingEnd;
    const bool read = record_->forEach([&](std::int64_t ordinal, const SepaRecordRow& row) {
        const std::uint8_t seen = seen_[static_cast<std::size_t>(ordinal)];
        if ((seen & 3) != seenRejected) return true;
        // A last row that had no line end gets one when another row follows it.
        if (!pendingEnd.empty())
            written = written && file->write(pendingEnd.data(), pendingEnd.size());
        pendingEnd.clear();
        // The rows come as the scan read them, their CR LF made LF: the list's own end again.
        std::string_view line = row.line;
        const bool ended = line.ends_with('\n');
        if (ended) line.remove_suffix(1);
        written = written && file->write(line.data(), line.size());
        if (ended)
            written = written && file->write(lineEnd.data(), lineEnd.size());
        else
            pendingEnd = lineEnd;
        ++report_.rejectedRows;
        return written;
    });
    written = written && read && file->flush() && file->sync();
    const bool closed = file->close();
    if (!written || !closed) {
        report_.rejectedCause = file->error();
        file.reset();
        fs_.remove(tempPath);
        report_.rejectedList = StatusReport::RejectedList::writeFailed;
        report_.rejectedRows = 0;
        return;
    }
    file.reset();
    // A link under the new name fails where that name was taken meanwhile; a rename would
    // replace it.
    std::error_code linkCause;
    bool placed = fs_.hardLink(tempPath, target, linkCause);
    if (placed) {
        fs_.remove(tempPath);
    } else if (linkCause == std::errc::file_exists || fs_.stamp(target)) {
        fs_.remove(tempPath);
        report_.rejectedList = StatusReport::RejectedList::exists;
        report_.rejectedRows = 0;
        return;
    } else {
        placed = fs_.rename(tempPath, target, report_.rejectedCause);
    }
    if (!placed) {
        fs_.remove(tempPath);
        report_.rejectedList = StatusReport::RejectedList::writeFailed;
        report_.rejectedRows = 0;
        return;
    }
    // Payees and their accounts: no more open than the list they came from, and the user's
    // alone where that list is gone, as every file written beside a list.
    narrowPermissions(fs_, target, filePermissions(fs_, report_.exported.listPath).value_or(0600));
    report_.rejectedList = StatusReport::RejectedList::written;
}

void Matching::run() {
    const std::optional<fileio::FileStamp> stamp = fs_.stamp(path_);
    if (stamp && stamp->size > kMaxStatusReport) {
        report_.error = StatusReportError::tooLarge;
        return;
    }
    if (!peek() || !check()) return;
    if (options_.checked) options_.checked(report_);
    emit();
    if (report_.error != StatusReportError::none) return;
    if (options_.rejectedListPath) writeRejectedList();
}

}  // namespace

StatusReport readStatusReport(fileio::FileSystem& fs, const std::string& path,
                              const std::string& recordsFolder, const StatusReadOptions& options) {
    StatusReport report;
    xmlInitParser();
    xmlSetExternalEntityLoader(&refuseLoad);
    xmlSetGenericErrorFunc(nullptr, &ignoreComplaint);
    try {
        Matching(fs, path, recordsFolder, options, report).run();
    } catch (const std::bad_alloc&) {
        report = {};
        report.error = StatusReportError::outOfMemory;
    }
    return report;
}

#endif

}  // namespace velcor::output
