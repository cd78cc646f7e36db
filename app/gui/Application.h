#pragma once

// Start-up of the window program: the main window with its logic, run modally; the program ends
// when it closes.

#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "fileio/FileSystem.h"
#include "window/BulkPaymentDialog.h"

#include <optional>
#include <string>

class QTranslator;

namespace velcor::app {

// One run of the main window: its widgets, their host and the window logic, wired together.
class MainWindowSession {
  public:
    MainWindowSession(fileio::FileSystem& fs, std::string settingsPath);

    MainWindow& window() { return window_; }
    QtDialogHost& host() { return host_; }
    window::BulkPaymentDialog& dialog() { return dialog_; }

    // Initialises the window and, when the settings loaded, runs it modally until it is closed;
    // then the payer data may be saved. False when the settings could not be loaded.
    bool run();

  private:
    // Beside the choice of rules for payments to the budget: whether newer ones exist than those
    // the list open was checked by.
    void showBudgetRulesHint();

    MainWindow window_;
    QtDialogHost host_;
    window::BulkPaymentDialog dialog_;
};

// Loads Qt's own texts in Bulgarian (the buttons of message boxes, the file and print dialogs)
// into `translator` and installs it; false when the translation is not to be found, and Qt's
// English texts stay.
bool installQtTranslation(QTranslator& translator);

// The program's name, the executable's file name without extension, as its lines on the standard
// error stream begin.
std::string programName(int argc, char** argv);

// Why the program cannot start on `settingsPath` (Windows-1251) in the current folder, shown as
// `folder` (as the system spells it): the line for the standard error stream, after the program's
// name, in UTF-8; a missing file adds a line on how to start from the desktop menu's launcher,
// where it has one. Nothing when the file can be opened for reading.
std::optional<std::string> settingsStartProblem(fileio::FileSystem& fs,
                                                const std::string& settingsPath,
                                                const std::string& folder);

// Whether the program can reach a screen to show a window on: on Windows always, elsewhere when
// the environment names a display or a Qt platform. Without one, making the application object
// would end the process.
bool screenReachable();

// Shows why the program cannot start (`problem`, UTF-8, as the standard error stream has it) in
// a message box, modally; the application object must exist.
void showStartProblem(const std::string& problem);

// One session on `settingsPath` once the application object exists: the program's exit status,
// 0 when the window ran, 1 when the settings did not load (their message box, if any, was shown).
int runSession(fileio::FileSystem& fs, const std::string& settingsPath);

// The program on "omp.ini" in the current folder: a line on the standard error stream and exit
// status 1 when it is missing or unreadable, else the application object and one session.
int runApplication(int argc, char** argv);

}  // namespace velcor::app
