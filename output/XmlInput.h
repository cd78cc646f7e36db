#pragma once

// What reading XML with libxml2 takes alike for the SEPA file and the bank's answer to it: a
// schema built into the program, parsed once for the life of the process, and a document's bytes
// read through a ReadFile. Only in a build with the SEPA validation (libxml2).

#if defined(VELCOR_SEPA_VALIDATION)

#include <cstddef>

#include <libxml/xmlerror.h>
#include <libxml/xmlschemas.h>

namespace velcor::output::xml {

// libxml2 2.12 made the error it hands to a handler const.
#if LIBXML_VERSION >= 21200
using ErrorPointer = const xmlError*;
#else
using ErrorPointer = xmlErrorPtr;
#endif

// The schema of `size` bytes at `bytes`, parsed into `slot` the first time and kept there; null
// where it cannot be parsed. The parser's complaints are dropped: a schema of the program's own
// that fails to parse is told by the null.
xmlSchemaPtr parsedSchema(xmlSchemaPtr& slot, const unsigned char* bytes, std::size_t size);

// For xmlReaderForIO: the bytes of the fileio::ReadFile that `context` points to, -1 on a read
// error; and a close that leaves the file to its owner.
int readDocument(void* context, char* buffer, int size);
int keepOpen(void* context);

}  // namespace velcor::output::xml

#endif
