#pragma once

// A reader of SEPA credit-transfer files apart from the writer: libxml2's parser and XPath read
// what a bank would, and the rules a bank holds a file to (EPC implementation guidelines) are
// checked here again from the text, for the tests and the fuzz target.

#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xpath.h>
#include <libxml/xpathInternals.h>

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace velcor::testing {

struct SepaFileRead {
    std::string namespaceUri;
    std::string messageId, paymentInformationId, headerCount, headerSum, blockCount, blockSum;
    std::string method, serviceLevel, localInstrument, categoryPurpose, chargeBearer;
    std::string executionDate;  // of .03, or the Dt of .09
    std::string initiatingName, debtorName, debtorIban, debtorBic;
    std::string initiatingId;  // InitgPty/Id/OrgId/Othr/Id
    int initiatingIds = 0;     // InitgPty/Id elements
    std::string batchBooking;  // empty: none
    struct Transaction {
        std::string endToEndId, amount, currency, name, iban, bic, remittance;
        int agents = 0;  // creditor agents
        // The structured remittance's creditor reference, its type's code, and how many
        // structured and free texts the transaction has.
        std::string reference, referenceType;
        int structured = 0, unstructured = 0;
    };
    std::vector<Transaction> transactions;
    int postalAddresses = 0;
};

namespace detail {

class XPathReader {
  public:
    explicit XPathReader(xmlDocPtr document) : context_(xmlXPathNewContext(document)) {
        const xmlNodePtr root = xmlDocGetRootElement(document);
        if (root != nullptr && root->ns != nullptr && root->ns->href != nullptr) {
            uri_ = reinterpret_cast<const char*>(root->ns->href);
            xmlXPathRegisterNs(context_, reinterpret_cast<const xmlChar*>("p"), root->ns->href);
        }
    }
    ~XPathReader() { xmlXPathFreeContext(context_); }
    XPathReader(const XPathReader&) = delete;
    XPathReader& operator=(const XPathReader&) = delete;

    const std::string& uri() const { return uri_; }
    // The nodes `path` finds from `node` (nullptr: the document).
    std::vector<xmlNodePtr> nodes(const std::string& path, xmlNodePtr node = nullptr) {
        std::vector<xmlNodePtr> found;
        const auto* expression = reinterpret_cast<const xmlChar*>(path.c_str());
        xmlXPathObjectPtr result = node != nullptr ? xmlXPathNodeEval(node, expression, context_)
                                                   : xmlXPathEvalExpression(expression, context_);
        if (result != nullptr && result->nodesetval != nullptr)
            for (int i = 0; i < result->nodesetval->nodeNr; ++i)
                found.push_back(result->nodesetval->nodeTab[i]);
        xmlXPathFreeObject(result);
        return found;
    }
    // The text of the first node `path` finds; empty for none.
    std::string text(const std::string& path, xmlNodePtr node = nullptr) {
        const std::vector<xmlNodePtr> found = nodes(path, node);
        if (found.empty()) return {};
        xmlChar* content = xmlNodeGetContent(found.front());
        std::string value = content != nullptr ? reinterpret_cast<const char*>(content) : "";
        xmlFree(content);
        return value;
    }

  private:
    xmlXPathContextPtr context_;
    std::string uri_;
};

}  // namespace detail

// The file's values; nothing when it is no XML document.
inline std::optional<SepaFileRead> readSepaFile(const std::string& xml) {
    xmlDocPtr document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "sepa.xml",
                                       nullptr, XML_PARSE_NONET | XML_PARSE_NOERROR);
    if (document == nullptr) return std::nullopt;
    SepaFileRead file;
    {
        detail::XPathReader x(document);
        file.namespaceUri = x.uri();
        const std::string header = "/p:Document/p:CstmrCdtTrfInitn/p:GrpHdr/p:";
        const std::string block = "/p:Document/p:CstmrCdtTrfInitn/p:PmtInf/p:";
        file.messageId = x.text(header + "MsgId");
        file.headerCount = x.text(header + "NbOfTxs");
        file.headerSum = x.text(header + "CtrlSum");
        file.initiatingName = x.text(header + "InitgPty/p:Nm");
        file.initiatingId = x.text(header + "InitgPty/p:Id/p:OrgId/p:Othr/p:Id");
        file.initiatingIds = static_cast<int>(x.nodes(header + "InitgPty/p:Id").size());
        file.batchBooking = x.text(block + "BtchBookg");
        file.paymentInformationId = x.text(block + "PmtInfId");
        file.method = x.text(block + "PmtMtd");
        file.blockCount = x.text(block + "NbOfTxs");
        file.blockSum = x.text(block + "CtrlSum");
        file.serviceLevel = x.text(block + "PmtTpInf/p:SvcLvl/p:Cd");
        file.localInstrument = x.text(block + "PmtTpInf/p:LclInstrm/p:Cd");
        file.categoryPurpose = x.text(block + "PmtTpInf/p:CtgyPurp/p:Cd");
        file.chargeBearer = x.text(block + "ChrgBr");
        file.executionDate = x.text(block + "ReqdExctnDt/p:Dt");
        if (file.executionDate.empty()) file.executionDate = x.text(block + "ReqdExctnDt");
        file.debtorName = x.text(block + "Dbtr/p:Nm");
        file.debtorIban = x.text(block + "DbtrAcct/p:Id/p:IBAN");
        file.debtorBic = x.text(block + "DbtrAgt/p:FinInstnId/*");
        for (const xmlNodePtr node : x.nodes(block + "CdtTrfTxInf")) {
            SepaFileRead::Transaction t;
            t.endToEndId = x.text("p:PmtId/p:EndToEndId", node);
            t.amount = x.text("p:Amt/p:InstdAmt", node);
            t.currency = x.text("p:Amt/p:InstdAmt/@Ccy", node);
            t.name = x.text("p:Cdtr/p:Nm", node);
            t.iban = x.text("p:CdtrAcct/p:Id/p:IBAN", node);
            t.agents = static_cast<int>(x.nodes("p:CdtrAgt", node).size());
            t.bic = x.text("p:CdtrAgt/p:FinInstnId/*", node);
            t.remittance = x.text("p:RmtInf/p:Ustrd", node);
            const std::string reference = "p:RmtInf/p:Strd/p:CdtrRefInf/";
            t.reference = x.text(reference + "p:Ref", node);
            t.referenceType = x.text(reference + "p:Tp/p:CdOrPrtry/p:Cd", node);
            t.structured = static_cast<int>(x.nodes("p:RmtInf/p:Strd", node).size());
            t.unstructured = static_cast<int>(x.nodes("p:RmtInf/p:Ustrd", node).size());
            file.transactions.push_back(t);
        }
        file.postalAddresses = static_cast<int>(x.nodes("//p:PstlAdr").size());
    }
    xmlFreeDoc(document);
    return file;
}

// An amount of the file in cents: digits, a full stop and two decimals; nothing otherwise.
inline std::optional<std::int64_t> sepaCents(const std::string& amount) {
    const std::size_t point = amount.find('.');
    if (point == std::string::npos || point == 0 || point > 16 || amount.size() != point + 3)
        return std::nullopt;
    std::int64_t cents = 0;
    for (std::size_t i = 0; i < amount.size(); ++i) {
        if (i == point) continue;
        if (amount[i] < '0' || amount[i] > '9') return std::nullopt;
        cents = cents * 10 + (amount[i] - '0');
    }
    return cents;
}

// Whether `text` holds only the SEPA basic character set.
inline bool inSepaSet(const std::string& text) {
    for (const char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              std::string("/-?:().,'+ ").find(c) != std::string::npos))
            return false;
    return true;
}

// What a bank would refuse the file for: the EPC rules on ids, names, texts and amounts, and
// counts and sums that do not add up. Empty for a file it takes.
inline std::vector<std::string> sepaRuleFaults(const SepaFileRead& file) {
    std::vector<std::string> faults;
    const auto id = [&](const std::string& what, const std::string& value) {
        if (value.empty() || value.size() > 35 || !inSepaSet(value) || value.front() == '/' ||
            value.back() == '/' || value.find("//") != std::string::npos)
            faults.push_back(what + " breaks the id rules: \"" + value + "\"");
    };
    const auto name = [&](const std::string& what, const std::string& value) {
        if (value.empty() || value.size() > 70 || !inSepaSet(value))
            faults.push_back(what + " is no SEPA name: \"" + value + "\"");
    };
    id("MsgId", file.messageId);
    id("PmtInfId", file.paymentInformationId);
    name("Dbtr", file.debtorName);
    std::set<std::string> endToEndIds;
    std::int64_t sum = 0;
    for (const SepaFileRead::Transaction& t : file.transactions) {
        id("EndToEndId", t.endToEndId);
        if (!endToEndIds.insert(t.endToEndId).second)
            faults.push_back("EndToEndId twice: " + t.endToEndId);
        name("Cdtr", t.name);
        if (t.remittance.size() > 140 || !inSepaSet(t.remittance))
            faults.push_back("Ustrd is no SEPA text: " + t.remittance);
        // One remittance of either kind, and a structured one as the EPC rules fill it.
        if (t.structured + t.unstructured > 1)
            faults.push_back("more than one remittance: " + t.endToEndId);
        if (t.structured != 0 && (t.referenceType != "SCOR" || t.reference.empty() ||
                                  t.reference.size() > 35 || !inSepaSet(t.reference)))
            faults.push_back("a structured remittance out of the rules: " + t.reference);
        const std::optional<std::int64_t> cents = sepaCents(t.amount);
        if (!cents || *cents < 1 || *cents > 99999999999LL || t.currency != "EUR")
            faults.push_back("amount out of the rules: " + t.amount + " " + t.currency);
        else
            sum += *cents;
    }
    const std::string count = std::to_string(file.transactions.size());
    if (file.headerCount != count || file.blockCount != count)
        faults.push_back("NbOfTxs " + file.headerCount + "/" + file.blockCount + ", not " + count);
    if (sepaCents(file.headerSum) != sum || sepaCents(file.blockSum) != sum)
        faults.push_back("CtrlSum " + file.headerSum + "/" + file.blockSum + " is not the sum");
    if (file.postalAddresses != 0) faults.push_back("a postal address");
    return faults;
}

}  // namespace velcor::testing
