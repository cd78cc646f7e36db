#pragma once

// An independent model of how a list's bytes become rows (text mode, 4094-byte pieces), which the
// fuzz targets and the hardening tests hold the scan against.

#include "text/Text.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::testing {

// The text as a program reading the file in text mode sees it: nothing from the first 0x1A on,
// and each CR LF pair read as one LF.
inline std::string textModeView(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text += bytes[i];
    }
    return text;
}

// The line pieces of a text: each ends after its LF or after 4094 bytes.
inline std::vector<std::string_view> linePieces(std::string_view text) {
    std::vector<std::string_view> pieces;
    while (!text.empty()) {
        std::size_t size = text.find('\n');
        size = size == std::string_view::npos ? text.size() : size + 1;
        if (size > 4094) size = 4094;
        pieces.push_back(text.substr(0, size));
        text.remove_prefix(size);
    }
    return pieces;
}

// The rows a scan must keep: every non-blank piece after a prepared list's "OMP" header, as read;
// a piece of blanks, TABs, line ends and `delimiter` alone is blank. A blank piece of a row cut
// into pieces is kept whole: it belongs to that row.
inline std::string expectedRows(std::string_view bytes, char delimiter = ' ') {
    const std::string text = textModeView(bytes);
    const std::vector<std::string_view> pieces = linePieces(text);
    std::string rows;
    bool rowOpen = false;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string_view piece = pieces[i];
        if (i == 0 && piece.starts_with("OMP")) continue;
        const bool endsLine = piece.ends_with('\n');
        const bool blank = piece.find_first_not_of(std::string{delimiter, ' ', '\t', '\r', '\n'}) ==
                           std::string_view::npos;
        if (blank && !rowOpen) continue;
        rows += piece;
        rowOpen = !endsLine;
    }
    return rows;
}

}  // namespace velcor::testing
