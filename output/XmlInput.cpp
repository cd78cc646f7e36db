#include "output/XmlInput.h"

#if defined(VELCOR_SEPA_VALIDATION)

#include "fileio/FileSystem.h"

#include <libxml/parser.h>

namespace velcor::output::xml {

namespace {

void dropComplaint(void*, ErrorPointer) {}

}  // namespace

xmlSchemaPtr parsedSchema(xmlSchemaPtr& slot, const unsigned char* bytes, std::size_t size) {
    if (slot != nullptr) return slot;
    xmlInitParser();
    xmlSchemaParserCtxtPtr parser =
        xmlSchemaNewMemParserCtxt(reinterpret_cast<const char*>(bytes), static_cast<int>(size));
    if (parser == nullptr) return nullptr;
    xmlSchemaSetParserStructuredErrors(parser, &dropComplaint, nullptr);
    slot = xmlSchemaParse(parser);
    xmlSchemaFreeParserCtxt(parser);
    return slot;
}

int readDocument(void* context, char* buffer, int size) {
    try {
        const std::ptrdiff_t got =
            static_cast<fileio::ReadFile*>(context)->read(buffer, static_cast<std::size_t>(size));
        return got < 0 ? -1 : static_cast<int>(got);
    } catch (...) {
        // Called from C: nothing may be thrown through libxml2.
        return -1;
    }
}

int keepOpen(void*) { return 0; }

}  // namespace velcor::output::xml

#endif
