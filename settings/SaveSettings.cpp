#include "settings/Settings.h"

#include "text/Cp1251.h"

namespace velcor::settings {

using namespace velcor::text::literals;

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

}  // namespace

bool writeSettings(fileio::FileSystem& fs, const std::string& path, const PayerValues& payer,
                   std::string_view iniRemainder, const ShowMessage& showMessage) {
    // The backup is best effort: a missing old backup or a failed copy does not stop the save.
    const std::string backup = path + ".bak";
    fs.remove(backup);
    fs.copy(path, backup);

    // Even with nothing outside [CLIENT] the payer's data is written: the operator asked for it.
    const std::string block = clientBlock(payer);
    switch (fileio::replaceFile(fs, path, {block, iniRemainder})) {
        case fileio::ReplaceResult::ok:
            return true;
        case fileio::ReplaceResult::openFailed:
            showMessage("Грешка при отваряне на INI файла за запис"_cp.view());
            return false;
        case fileio::ReplaceResult::writeFailed:
            break;
    }
    showMessage("Грешка при запис в INI файлa!"_cp.view());
    return false;
}

}  // namespace velcor::settings
