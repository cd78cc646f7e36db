#pragma once

// A scan with the rows it hands on collected, as a prepared file would hold them after its
// header: what tests compare with the rows a list should keep.

#include "processing/Scan.h"

#include <string>
#include <string_view>

namespace velcor::testing {

struct ScanWithRows : processing::ScanResult {
    std::string acceptedLines;
};

inline ScanWithRows scanKeepingRows(fileio::FileSystem& fs, const std::string& path,
                                    const settings::FormatDefinition* format, char delimiter) {
    ScanWithRows out;
    std::string rows;
    static_cast<processing::ScanResult&>(out) =
        processing::scanPaymentFile(fs, path, format, delimiter, [&](std::string_view piece) {
            rows += piece;
            return true;
        });
    out.acceptedLines = std::move(rows);
    return out;
}

}  // namespace velcor::testing
