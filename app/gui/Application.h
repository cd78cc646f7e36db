#pragma once

// Start-up of the window program: the main window with its logic, run modally; the program ends
// when it closes.

#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "fileio/FileSystem.h"
#include "window/BulkPaymentDialog.h"

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
    MainWindow window_;
    QtDialogHost host_;
    window::BulkPaymentDialog dialog_;
};

// Loads Qt's own texts in Bulgarian (the buttons of message boxes, the file and print dialogs)
// into `translator` and installs it; false when the translation is not to be found, and Qt's
// English texts stay.
bool installQtTranslation(QTranslator& translator);

// The program: the application object, then one session on "omp.ini" in the current folder.
int runApplication(int argc, char** argv);

}  // namespace velcor::app
