#pragma once

// A window run on copies of the example settings and lists, with a file system the tests can
// make fail step by step, and the rows the property tests build their lists from.

#include "support/FaultyFileSystem.h"
#include "support/ScriptedDialogHost.h"
#include "support/TestSupport.h"
#include "window/BulkPaymentDialog.h"
#include "window/ControlIds.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::hardening {

// The day the example lists' names belong to.
inline constexpr processing::LocalDateTime kListDay{2006, 12, 8, 10, 0, 0, true};

inline std::string exampleBytes(std::string_view name) {
    return testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/" + std::string(name));
}

// omp.ini and one list copied from the examples into a fresh folder, and the window on them.
struct Session {
    explicit Session(std::string_view listName = "O081206P.1DP")
        : settingsPath(dir.file("omp.ini")), listPath(dir.file(listName)) {
        testing::writeFileBytes(settingsPath, exampleBytes("omp.ini"));
        testing::writeFileBytes(listPath, exampleBytes(listName));
        dialog = std::make_unique<window::BulkPaymentDialog>(host, fs, settingsPath);
        initialised = dialog->initialise().done;
    }
    // "..." with the list chosen.
    void browse() {
        host.openFileAnswer = listPath;
        dialog->onCommand(window::idBrowse);
    }
    // The operator picks the payment type at `position` (0 DP, 1 FX, 2 SB).
    void selectType(int position) {
        host.setListSelection(window::idPaymentType, position);
        dialog->onCommand(window::idPaymentType);
    }
    std::vector<std::string> messages() const { return host.messages(); }
    const session::ListState& state() const { return dialog->state(); }
    std::string listBytes() const { return testing::readFileBytes(listPath); }

    testing::TempDir dir;
    std::string settingsPath;
    std::string listPath;
    testing::ScriptedDialogHost host{kListDay};
    testing::FaultyFileSystem fs;
    std::unique_ptr<window::BulkPaymentDialog> dialog;
    bool initialised = false;
};

}  // namespace velcor::hardening
