#pragma once

// Row findings as one text, each followed by "<BR>", so that a test states a row's findings in
// the order they were found in one string.

#include "processing/RowFindings.h"

#include <string>

namespace velcor::testing {

inline std::string joinedTexts(const processing::RowFindings& findings) {
    std::string joined;
    for (const processing::RowFinding& finding : findings.kept) joined += finding.text + "<BR>";
    return joined;
}

}  // namespace velcor::testing
