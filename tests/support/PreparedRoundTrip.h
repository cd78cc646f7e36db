#pragma once

// The property every fuzz target holds its input to, through a list made of it: a list the window
// accepts is prepared as "Подготовка" prepares it, and then
//  - the prepared file, read as a bank reads it by a reader of its own (neither the writer nor the
//    scan), is one header line and one checked row per data line, with no byte a bank refuses,
//    and its header states that many rows and their control code;
//  - opened again, it is recognised as prepared with the same count, total and control code.

#include "support/HeadlessDialogHost.h"
#include "support/MemoryFileSystem.h"
#include "text/Text.h"
#include "window/BulkPaymentDialog.h"
#include "window/ControlIds.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::testing {

// The example settings' payment types (DP delimited, FX fixed-length, SB budget) with payer data
// that passes every check.
inline constexpr std::string_view kRoundTripSettings =
    "[CLIENT]\r\nBIC = BNBGBGSD\r\nIBAN = BG48BNBG96618000123456\r\nNAME = PAYER\r\n"
    "CODE = 1234563\r\n\r\n"
    "[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nBIC = 2\r\nNAME = 3\r\nEGN = 4\r\n"
    "BULSTAT = 5\r\nSUM = 6\r\nPAYMENT = 7\r\n\r\n"
    "[FX]\r\nIBAN = 1,1,22\r\nBIC = 2,23,30\r\nNAME = 3,31,50\r\nSUM = 4,51,62\r\n\r\n"
    "[SB]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nBIC = 2\r\nNAME = 3\r\nSUM = 4\r\n"
    "PAYMENT = 5\r\nPAYMENT_SEBRA = 6\r\n";

// Good rows of lists of those types: delimited, fixed-length and budget.
inline constexpr std::string_view kRoundTripDelimitedRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan Petrov;7523169263;;1250.00;\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Firma;;831642181;830.45;101\r\n";
inline constexpr std::string_view kRoundTripFixedRows =
    "BG80BNBG96611020345678BNBGBGSDIvan Petrov              1250.00\r\n"
    "BG95UNCR70001523456789UNCRBGSFMaria                     830.45\r\n";
inline constexpr std::string_view kRoundTripSebraRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan Petrov;1250.00;;123\r\n"
    "BG56BNBG96618020345678;BNBGBGSD;NAP;830.45;110000;456\r\n";

// The payer values typed into the window before the list is opened; none: as the settings hold.
using TypedPayer = session::TypedPayerValues;

// CRC-32 bit by bit, and the control code the header writes of it (its bytes from the least
// significant, in upper-case hexadecimal): apart from the system's table-driven one.
inline std::string controlCodeModel(std::string_view bytes) {
    std::uint32_t crc = 0xFFFFFFFF;
    for (const char c : bytes) {
        if (c == '\r' || c == '\n') continue;
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc = ~crc;
    return text::format("%02X%02X%02X%02X", crc & 0xFF, (crc >> 8) & 0xFF, (crc >> 16) & 0xFF,
                        crc >> 24);
}

// What a bank reading `file` would find wrong with it, or nothing; `rowsChecked` is how many rows
// the scan checked before it was written.
inline std::optional<std::string> preparedFileFault(std::string_view file,
                                                    std::int64_t rowsChecked) {
    const std::size_t headerEnd = file.find("\r\n");
    if (!file.starts_with("OMP") || headerEnd == std::string_view::npos) return "no header line";
    std::vector<std::string_view> values;
    for (std::string_view rest = file.substr(0, headerEnd);;) {
        const std::size_t semicolon = rest.find(';');
        values.push_back(rest.substr(0, semicolon));
        if (semicolon == std::string_view::npos) break;
        rest.remove_prefix(semicolon + 1);
    }
    if (values.size() < 9) return "a header of fewer than eight values";
    for (const char c : file.substr(0, headerEnd))
        if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7F')
            return "a control byte in the header";

    std::int64_t lines = 0;
    for (std::string_view rows = file.substr(headerEnd + 2); !rows.empty();) {
        const std::size_t end = rows.find('\n');
        std::string_view line = rows.substr(0, end);
        rows.remove_prefix(end == std::string_view::npos ? rows.size() : end + 1);
        if (line.ends_with('\r')) line.remove_suffix(1);  // a CR LF line end
        if (line.size() > 4094) return "a data line longer than 4094 bytes";
        for (const char c : line)
            if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == '\x7F')
                return "a control byte in a data line";
        if (line.find_first_not_of(" \t") == std::string_view::npos) return "a blank data line";
        ++lines;
    }
    if (lines != rowsChecked) return "data lines that are not one checked row each";
    if (text::trimBlanks(values[6]) != std::to_string(lines)) return "a header count of other rows";
    if (text::trimBlanks(values[7]) != controlCodeModel(file.substr(headerEnd + 2)))
        return "a header control code of other bytes";
    const std::string_view total = text::trimBlanks(values[5]);
    if (total.size() < 4 || total.find_first_not_of("0123456789.") != std::string_view::npos ||
        total[total.size() - 3] != '.')
        return "a header total that is no amount";
    return std::nullopt;
}

// Runs `list` through the window's logic as the operator would: the settings `settings`, the
// payment type at `position`, the payer values typed, the list chosen (named O081206P.1DP), then
// "Подготовка" and the list chosen again. `require(condition, what)` is called for each part of
// the property. Returns whether a prepared file was written.
template <typename Require>
bool preparedRoundTrip(std::string_view settings, int position, std::string_view list,
                       const TypedPayer& payer, Require&& require) {
    const std::string path = "O081206P.1DP";
    MemoryFileSystem fs;
    fs.files["omp.ini"] = std::string(settings);
    fs.files[path] = std::string(list);
    window::HeadlessDialogHost host;
    window::BulkPaymentDialog dialog(host, fs, "omp.ini");
    if (!dialog.initialise().done) return false;
    dialog.choosePaymentType(position);
    dialog.typePayerValues(payer);
    dialog.openList(path);
    if (!dialog.state().fileValid || dialog.state().filePrepared) return false;
    const session::ListState first = dialog.state();
    if (!dialog.prepare().done) {
        require(fs.files[path] == list, "a list that was not prepared changed");
        return false;
    }

    const std::optional<std::string> fault = preparedFileFault(fs.files[path], first.recordCount);
    require(!fault, fault ? fault->c_str() : "");
    dialog.openList(path);
    const session::ListState& again = dialog.state();
    require(again.fileValid && again.filePrepared, "a prepared list fails its own check");
    require(again.countText == first.countText, "the count changed");
    require(again.totalText == first.totalText, "the total changed");
    require(again.controlCodeText == first.controlCodeText, "the control code changed");
    return true;
}

}  // namespace velcor::testing
