#include "window/WindowSetup.h"

namespace velcor::window::test {

std::string standardSettings(std::string_view clientBlock) {
    std::string settings = clientBlock.empty() ? std::string(
                                                     "[CLIENT]\r\n"
                                                     "BIC = BNBGBGSD\r\n"
                                                     "IBAN = BG48BNBG96618000123456\r\n"
                                                     "NAME = Firma OOD\r\n"
                                                     "CODE = 1234563\r\n")
                                               : std::string(clientBlock);
    settings +=
        "[SB]\r\n"
        "FORMAT = DELIMITED(;)\r\n"
        "IBAN = 1\r\n"
        "BIC = 2\r\n"
        "SUM = 3\r\n"
        "PAYMENT_SEBRA = 4\r\n"
        "[DP] // main\r\n"
        "FORMAT = DELIMITED(;)\r\n"
        "IBAN = 1\r\n"
        "BIC = 2\r\n"
        "NAME = 3\r\n"
        "SUM = 4\r\n"
        "[FX]\r\n"
        "IBAN = 1,1,22\r\n"
        "SUM = 2,23,32\r\n";
    return settings;
}

WindowSetup::WindowSetup(const std::string& settings) : settingsPath(dir.file("omp.ini")) {
    testing::writeFileBytes(settingsPath, settings);
    dialog = std::make_unique<BulkPaymentDialog>(host, fs, settingsPath);
    initialised = dialog->initialise().done;
}

std::string WindowSetup::writeList(std::string_view name, std::string_view bytes) {
    const std::string path = dir.file(name);
    testing::writeFileBytes(path, bytes);
    return path;
}

void WindowSetup::browse(const std::string& path) {
    host.openFileAnswer = path;
    dialog->onCommand(idBrowse);
}

void WindowSetup::selectType(int position) {
    host.setListSelection(idPaymentType, position);
    dialog->onCommand(idPaymentType);
}

}  // namespace velcor::window::test
