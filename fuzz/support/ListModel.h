#pragma once

// What the fuzz targets and the hardening tests hold the scan against: the three kinds of list
// format the bank's customers use, a scan host that records what the operator would see, and an
// independent model of how a list's bytes become rows (text mode, 4094-byte pieces).

#include "processing/WorkingState.h"
#include "settings/Settings.h"
#include "text/Text.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::fuzz {

// The payment kinds of the example settings: a delimited list, a fixed-length list and a budget
// ("SB") list, in this order.
inline std::vector<settings::FormatDefinition> listFormats() {
    using settings::FieldDefinition;
    using settings::FormatDefinition;
    FormatDefinition delimited{"DP", true, ';', {}};
    for (const char* name : {"IBAN", "BIC", "NAME", "EGN", "BULSTAT", "SUM", "PAYMENT"})
        delimited.fields.push_back(FieldDefinition{name, 0, 0, 0});
    FormatDefinition fixed{"FX",
                           false,
                           ' ',
                           {FieldDefinition{"IBAN", 1, 1, 22}, FieldDefinition{"BIC", 2, 23, 30},
                            FieldDefinition{"NAME", 3, 31, 50}, FieldDefinition{"SUM", 4, 51, 62}}};
    FormatDefinition budget{"SB", true, ';', {}};
    for (const char* name : {"IBAN", "BIC", "NAME", "SUM", "PAYMENT", "PAYMENT_SEBRA"})
        budget.fields.push_back(FieldDefinition{name, 0, 0, 0});
    return {delimited, fixed, budget};
}

// A scan host without a window: the controls already stand in the state.
class RecordingScanHost final : public processing::ScanHost {
  public:
    explicit RecordingScanHost(int selected) : selected_(selected) {}
    bool readControls() override { return true; }
    void updateControls() override {}
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    int selectedPaymentType() override { return selected_; }

    std::vector<std::string> messages;

  private:
    int selected_;
};

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

// The rows a scan must keep: every non-blank piece after a prepared list's "OMP" header, as read.
// A blank piece of a row cut into pieces is kept whole: it belongs to that row.
inline std::string expectedRows(std::string_view bytes) {
    const std::string text = textModeView(bytes);
    const std::vector<std::string_view> pieces = linePieces(text);
    std::string rows;
    bool rowOpen = false;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        const std::string_view piece = pieces[i];
        if (i == 0 && piece.starts_with("OMP")) continue;
        const bool endsLine = piece.ends_with('\n');
        if (text::trimBlanks(piece).empty() && !rowOpen) continue;
        rows += piece;
        rowOpen = !endsLine;
    }
    return rows;
}

}  // namespace velcor::fuzz
