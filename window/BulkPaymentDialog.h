#pragma once

// The logic of the main window: its state and every operator flow, written against DialogHost.

#include "fileio/FileSystem.h"
#include "processing/WorkingState.h"
#include "window/DialogHost.h"

#include <string>
#include <vector>

namespace velcor::window {

class BulkPaymentDialog : public processing::WorkingState, private processing::ScanHost {
  public:
    // `settingsPath` is omp.ini (in the current folder for the window; the CLI may name another).
    BulkPaymentDialog(DialogHost& host, fileio::FileSystem& fs,
                      std::string settingsPath = "omp.ini");

    // Runs once the controls exist. False when the settings cannot be loaded: the dialog has
    // then been ended with the cancel result.
    bool initialise();

    // Shows the state in the controls / takes the controls back into the state.
    void updateControls() override;
    bool readControls() override;

    // Operator actions.
    void browseInputFile();    // "..."
    void changePaymentType();  // selection change of the payment-type list
    void prepareFile();        // "Подготовка" or Enter
    void showReport();         // "Печат"

    // Called once the dialog has ended, before it goes away: may ask the save question and
    // rewrite [CLIENT] in the settings file.
    void saveSettings();

    // Routes a command or selection change from the host: 1003, 16, 1013, 2; 1004.
    void onCommand(int id);

  private:
    void showMessage(std::string_view text) override;
    int selectedPaymentType() override;

    // The scan of the browse and payment-type flows, with what follows it in both.
    bool scanChosenFile();
    // Whether the file under inputPath is still the one the last successful scan read.
    bool scannedFileUnchanged();
    // Writes one value into an edit unless the operator has typed into it since it was last
    // filled or taken over; that text wins and reaches the state at the next readControls().
    void showInEdit(int id, const std::string& value);
    // Takes one edit into `member`; false (after the limit message) when it is too long.
    bool takeEdit(int id, std::string& member);
    // Whether the payer values that the header of `format`'s layout carries are free of ";" and
    // line breaks; otherwise shows the message naming the first such edit and focuses it.
    bool payerValuesFitTheHeader(const settings::FormatDefinition* format);

    DialogHost& host_;
    fileio::FileSystem& fs_;
    std::string settingsPath_;
    std::vector<std::string> paymentTypeEntries_;  // the entry texts of the payment-type list
};

}  // namespace velcor::window
