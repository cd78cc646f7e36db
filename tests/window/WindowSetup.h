#pragma once

// What the window tests run the dialog on: the scripted host, a pinned "now", and a folder with a
// settings file and payment lists.

#include "support/FaultyFileSystem.h"
#include "support/ScriptedDialogHost.h"
#include "support/TestSupport.h"
#include "window/BulkPaymentDialog.h"
#include "window/ControlIds.h"

#include <memory>
#include <string>
#include <string_view>

namespace velcor::window::test {

// 8 December 2006, the day the example file names below belong to.
inline constexpr processing::LocalDateTime kToday{2006, 12, 8, 10, 30, 0, true};

// Payer IBANs with real check digits: the first has 8 as its 13th character (a budget account).
inline constexpr std::string_view kBudgetIban = "BG48BNBG96618000123456";
inline constexpr std::string_view kPlainIban = "BG80BNBG96611020345678";

// The settings the tests usually load: SB first, then a delimited DP, then a fixed-length FX.
std::string standardSettings(std::string_view clientBlock = {});

// A folder with omp.ini, a host, a file system that can be made to fail, and the dialog.
class WindowSetup {
  public:
    explicit WindowSetup(const std::string& settings);
    // Writes a payment list (bytes as given) into the folder; returns its path.
    std::string writeList(std::string_view name, std::string_view bytes);
    // "..." with `path` chosen in the file dialog.
    void browse(const std::string& path);
    // Selects a payment type as the operator does.
    void selectType(int position);
    const WorkingState& state() const { return dialog->state(); }

    testing::TempDir dir;
    std::string settingsPath;
    testing::ScriptedDialogHost host{kToday};
    testing::FaultyFileSystem fs;
    std::unique_ptr<BulkPaymentDialog> dialog;
    bool initialised = false;
};

}  // namespace velcor::window::test
