#include "output/SepaSchema.h"

#include "output/XmlInput.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <new>

#if defined(VELCOR_SEPA_VALIDATION)
#include <libxml/parser.h>
#include <libxml/xmlerror.h>
#include <libxml/xmlreader.h>
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

using xml::ErrorPointer;

// The first complaints of a parse or a validation, collected instead of printed, and whether
// any of them was a lack of memory.
struct Complaints {
    static constexpr int kKept = 3;
    std::string text;
    int count = 0;
    bool outOfMemory = false;

    static void collect(void* data, ErrorPointer error) {
        auto* complaints = static_cast<Complaints*>(data);
        if (error == nullptr) return;
        if (error->code == XML_ERR_NO_MEMORY) complaints->outOfMemory = true;
        if (complaints->count++ >= kKept) return;
        try {
            std::string message = error->message != nullptr ? error->message : "";
            while (!message.empty() && (message.back() == '\n' || message.back() == ' '))
                message.pop_back();
            if (!complaints->text.empty()) complaints->text += "; ";
            if (error->line > 0) complaints->text += "line " + std::to_string(error->line) + ": ";
            complaints->text += message;
        } catch (const std::bad_alloc&) {
            // Called from C: nothing may be thrown through libxml2.
            complaints->outOfMemory = true;
        }
    }
};

// Each schema is parsed once and kept for the life of the process.
xmlSchemaPtr schemaOf(PainVersion version) {
    static xmlSchemaPtr parsed[2] = {nullptr, nullptr};
    return version == PainVersion::v03 ? xml::parsedSchema(parsed[1], detail::kPain001v03Schema,
                                                           detail::kPain001v03SchemaSize)
                                       : xml::parsedSchema(parsed[0], detail::kPain001v09Schema,
                                                           detail::kPain001v09SchemaSize);
}

// No network, and no entity or DTD taken in (neither XML_PARSE_NOENT nor XML_PARSE_DTDLOAD): the
// document is the program's own, and nothing in it may reach out.
constexpr int kParseOptions = XML_PARSE_NONET;

// Reads the whole document through `reader`, validating it as it goes; frees the reader.
SchemaVerdict validateReader(xmlSchemaPtr schema, xmlTextReaderPtr reader, Complaints& complaints) {
    SchemaVerdict verdict;
    const xmlSchemaValidCtxtPtr validator = xmlSchemaNewValidCtxt(schema);
    int read = -1;
    bool valid = false;
    if (validator != nullptr) {
        xmlSchemaSetValidStructuredErrors(validator, &Complaints::collect, &complaints);
        if (xmlTextReaderSchemaValidateCtxt(reader, validator, 0) == 0) {
            do {
                read = xmlTextReaderRead(reader);
            } while (read == 1);
            valid = read == 0 && xmlTextReaderIsValid(reader) == 1;
        }
    }
    // The reader ends its validation before the validator goes.
    xmlFreeTextReader(reader);
    if (validator != nullptr) xmlSchemaFreeValidCtxt(validator);
    if (validator == nullptr || complaints.outOfMemory) {
        verdict.result = SchemaVerdict::Result::outOfMemory;
        return verdict;
    }
    if (valid) return verdict;
    verdict.result = SchemaVerdict::Result::invalid;
    if (!complaints.text.empty())
        verdict.complaint = complaints.text;
    else
        verdict.complaint = read < 0 ? "not well-formed XML" : "not valid";
    return verdict;
}

}  // namespace

bool sepaValidationAvailable() { return true; }

SchemaVerdict validateSepaStream(PainVersion version, fileio::ReadFile& file) {
    const xmlSchemaPtr schema = schemaOf(version);
    if (schema == nullptr) return {SchemaVerdict::Result::invalid, "the schema cannot be read"};
    Complaints complaints;
    const xmlTextReaderPtr reader = xmlReaderForIO(&xml::readDocument, &xml::keepOpen, &file,
                                                   "sepa.xml", nullptr, kParseOptions);
    if (reader == nullptr) return {SchemaVerdict::Result::outOfMemory, {}};
    // The document's own parse errors go to the same collection, never to the standard error.
    xmlTextReaderSetStructuredErrorHandler(reader, &Complaints::collect, &complaints);
    return validateReader(schema, reader, complaints);
}

std::optional<std::string> schemaViolation(PainVersion version, std::string_view xml) {
    fileio::BytesReadFile file(xml);
    SchemaVerdict verdict = validateSepaStream(version, file);
    switch (verdict.result) {
        case SchemaVerdict::Result::valid:
            return std::nullopt;
        case SchemaVerdict::Result::outOfMemory:
            return std::string("out of memory");
        case SchemaVerdict::Result::invalid:
            break;
    }
    return std::move(verdict.complaint);
}

#else

// A build without libxml2 (the Windows cross-build) has no validation, and so no SEPA export.
bool sepaValidationAvailable() { return false; }

SchemaVerdict validateSepaStream(PainVersion, fileio::ReadFile&) {
    return {SchemaVerdict::Result::invalid, "this build has no schema validation"};
}

std::optional<std::string> schemaViolation(PainVersion, std::string_view) {
    return std::string("this build has no schema validation");
}

#endif

}  // namespace velcor::output
