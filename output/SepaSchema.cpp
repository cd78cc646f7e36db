#include "output/SepaSchema.h"

#include <climits>
#include <cstddef>

#if defined(VELCOR_SEPA_VALIDATION)
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

// The schemas' bytes, generated from resources/iso20022/ by cmake/EmbedFile.cmake.
namespace velcor::output::detail {
extern const unsigned char kPain001v09Schema[];
extern const std::size_t kPain001v09SchemaSize;
extern const unsigned char kPain001v03Schema[];
extern const std::size_t kPain001v03SchemaSize;
}  // namespace velcor::output::detail
#endif

namespace velcor::output {

std::string_view painVersionName(PainVersion version) {
    return version == PainVersion::v03 ? "pain.001.001.03" : "pain.001.001.09";
}

#if defined(VELCOR_SEPA_VALIDATION)

namespace {

// libxml2 2.12 made the error it hands to a handler const.
#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError*;
#else
using ErrorPointer = xmlErrorPtr;
#endif

// The first complaints of a parse or a validation, collected instead of printed.
struct Complaints {
    static constexpr int kKept = 3;
    std::string text;
    int count = 0;

    static void collect(void* data, ErrorPointer error) {
        auto* complaints = static_cast<Complaints*>(data);
        if (error == nullptr || complaints->count++ >= kKept) return;
        std::string message = error->message != nullptr ? error->message : "";
        while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
            message.pop_back();
        if (!complaints->text.empty()) complaints->text += "; ";
        if (error->line > 0) complaints->text += "line " + std::to_string(error->line) + ": ";
        complaints->text += message;
    }
};

// Each schema is parsed once and kept for the life of the process.
xmlSchemaPtr schemaOf(PainVersion version) {
    static xmlSchemaPtr parsed[2] = {nullptr, nullptr};
    const bool v03 = version == PainVersion::v03;
    xmlSchemaPtr& schema = parsed[v03 ? 1 : 0];
    if (schema != nullptr) return schema;
    const unsigned char* bytes = v03 ? detail::kPain001v03Schema : detail::kPain001v09Schema;
    const std::size_t size = v03 ? detail::kPain001v03SchemaSize : detail::kPain001v09SchemaSize;
    xmlInitParser();
    xmlSchemaParserCtxtPtr parser =
        xmlSchemaNewMemParserCtxt(reinterpret_cast<const char*>(bytes), static_cast<int>(size));
    if (parser == nullptr) return nullptr;
    Complaints ignored;
    xmlSchemaSetParserStructuredErrors(parser, &Complaints::collect, &ignored);
    schema = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    return schema;
}

}  // namespace

bool sepaValidationAvailable() { return true; }

std::optional<std::string> schemaViolation(PainVersion version, std::string_view xml) {
    const xmlSchemaPtr schema = schemaOf(version);
    if (schema == nullptr) return std::string("the schema cannot be read");
    if (xml.size() > static_cast<std::size_t>(INT_MAX)) return std::string("the file is too big");

    Complaints complaints;
    // The document's own parse errors go to the same collection, never to the standard error.
    xmlSetStructuredErrorFunc(&complaints, &Complaints::collect);
    const xmlDocPtr document = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "sepa.xml",
                                             nullptr, XML_PARSE_NONET);
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    if (document == nullptr)
        return complaints.text.empty() ? std::string("not well-formed XML") : complaints.text;

    const xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(schema);
    int result = -1;
    if (validator != nullptr) {
        xmlSchemaSetValidStructuredErrors(validator, &Complaints::collect, &complaints);
        result = xmlSchemaValidateDoc(validator, document);
        xmlSchemaFreeValidCtxt(validator);
    }
    xmlFreeDoc(document);
    if (result == 0) return std::nullopt;
    return complaints.text.empty() ? std::string("not valid") : complaints.text;
}

#else

// A build without libxml2 (the Windows cross-build) has no validation, and so no SEPA export.
bool sepaValidationAvailable() { return false; }

std::optional<std::string> schemaViolation(PainVersion, std::string_view) {
    return std::string("this build has no schema validation");
}

#endif

}  // namespace velcor::output
