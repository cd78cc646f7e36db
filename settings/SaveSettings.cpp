#include "settings/Settings.h"

#include "settings/SettingsLines.h"

#include "text/Text.h"

namespace velcor::settings {

bool saveWanted(bool filePrepared, const ClientData& flags, const PayerValues& payer) {
    if (!filePrepared) return false;
    return (flags.bicWasEmpty && !payer.payerBic.empty()) ||
           (flags.ibanWasEmpty && !payer.payerIban.empty()) || flags.nameWasEmpty ||
           (flags.codeWasEmpty && !payer.budgetUnitCode.empty());
}

namespace {

// The [CLIENT] block as the bank's customers know it, blanks before "=" included. Built by
// appending rather than into a fixed buffer, so that values of any length are written whole.
std::string clientBlock(const PayerValues& payer) {
    std::string block;
    block.reserve(64 + payer.payerBic.size() + payer.payerIban.size() + payer.payerName.size() +
                  payer.budgetUnitCode.size());
    block.append("[CLIENT]\r\nBIC = ").append(payer.payerBic);
    block.append("\r\nIBAN = ").append(payer.payerIban);
    block.append("\r\nNAME= ").append(payer.payerName);
    block.append("\r\nCODE= ").append(payer.budgetUnitCode);
    block.append("\r\n\r\n");
    return block;
}

// The length of the lines at the start of the remainder that stood before any section header.
// They must stay in front of [CLIENT]: behind it they would be read as part of [CLIENT] on the
// next load, dropped by the next save, and a stray "NAME = ..." among them would even replace
// the payer's name.
std::size_t leadingLinesLength(std::string_view remainder) {
    detail::LinePieces pieces(remainder);
    std::size_t length = 0;
    while (const auto line = pieces.next()) {
        if (detail::isSectionHeader(detail::seenText(*line))) break;
        length += line->size();
    }
    return length;
}

// Whether the bytes of a save load back to what the save keeps: the formats and payment types
// that the remainder gives, and the payer's values. A value loads without the white space at its
// ends, which is no change; a line break or "//" in it, or a line longer than the loader reads
// at once, would change it or even add a section.
bool loadsBackTheSame(std::string_view saved, std::string_view remainder,
                      const PayerValues& payer) {
    LoadedSettings kept;
    LoadedSettings reloaded;
    if (!parseSettings(remainder, kept).ok() || !parseSettings(saved, reloaded).ok()) return false;
    const ClientData& client = reloaded.client;
    return reloaded.formats == kept.formats && reloaded.entryTexts == kept.entryTexts &&
           client.bic == text::trimWhitespace(payer.payerBic) &&
           client.iban == text::trimWhitespace(payer.payerIban) &&
           client.name == text::trimWhitespace(payer.payerName) &&
           client.code == text::trimWhitespace(payer.budgetUnitCode);
}

}  // namespace

SaveResult writeSettings(fileio::FileSystem& fs, const std::string& path, const PayerValues& payer,
                         std::string_view iniRemainder) {
    // Even with nothing outside [CLIENT] the payer's data is written: the operator asked for it.
    const std::string block = clientBlock(payer);
    const std::string_view leading = iniRemainder.substr(0, leadingLinesLength(iniRemainder));
    const std::string_view rest = iniRemainder.substr(leading.size());
    // A last leading line without its line end would swallow the [CLIENT] header.
    const std::string_view separator =
        leading.empty() || leading.ends_with('\n') ? std::string_view() : "\r\n";

    // Checked before anything is touched: a file the next start refuses, or reads otherwise,
    // would cost the operator the payment types or the payer's data.
    std::string saved;
    saved.reserve(iniRemainder.size() + separator.size() + block.size());
    saved.append(leading).append(separator).append(block).append(rest);
    if (!loadsBackTheSame(saved, iniRemainder, payer)) return SaveResult::writeFailed;

    // The backup is best effort: a missing old backup or a failed copy does not stop the save.
    const std::string backup = path + ".bak";
    fs.remove(backup);
    fs.copy(path, backup);

    switch (fileio::replaceFile(fs, path, {leading, separator, block, rest}).result) {
        case fileio::ReplaceResult::ok:
            return SaveResult::ok;
        case fileio::ReplaceResult::openFailed:
            return SaveResult::openFailed;
        case fileio::ReplaceResult::writeFailed:
            break;
    }
    return SaveResult::writeFailed;
}

}  // namespace velcor::settings
