#pragma once

// The ISO 20022 schemas of the SEPA credit-transfer file (resources/iso20022/), built into the
// program, so that every file is validated against its version's schema before it is put in
// place, without any schema file read at run time.

#include "fileio/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::output {

// The versions of the customer credit transfer initiation a SEPA file is written in: .09, the
// SEPA schemes' version since 2024, and .03, which some banks still ask for.
enum class PainVersion { v09, v03 };

// "pain.001.001.09" or "pain.001.001.03": the message's name, its schema's file name without
// ".xsd" and the end of its namespace.
std::string_view painVersionName(PainVersion version);

// Whether this build can validate a SEPA file (it was built with libxml2). Without validation no
// SEPA file is ever written.
bool sepaValidationAvailable();

// What a validation found.
struct SchemaVerdict {
    enum class Result {
        valid,
        invalid,      // not well-formed, or not valid under the schema: `complaint` says why
        outOfMemory,  // the validator ran out of memory: nothing is known of the document
    };
    Result result = Result::valid;
    std::string complaint;  // libxml2's first complaints, in its words (English)
};

// Validates the UTF-8 document that `file` reads against the schema of `version`, as a stream:
// what it holds is never in memory at once. No network, no external entity, no DTD is taken.
SchemaVerdict validateSepaStream(PainVersion version, fileio::ReadFile& file);

// Why the UTF-8 document `xml` is not valid under the schema of `version`: libxml2's first
// complaints, in its words (English). Nothing when it is valid.
std::optional<std::string> schemaViolation(PainVersion version, std::string_view xml);

}  // namespace velcor::output
