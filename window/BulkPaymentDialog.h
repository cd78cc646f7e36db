#pragma once

// The logic of the main window: its state and every operator flow, written against DialogHost.

#include "fileio/FileSystem.h"
#include "processing/Scan.h"
#include "processing/WorkingState.h"
#include "window/ControlIds.h"
#include "window/DialogHost.h"
#include "window/Messages.h"

#include <string>
#include <string_view>
#include <vector>

namespace velcor::window {

class BulkPaymentDialog {
  public:
    // `settingsPath` is omp.ini (in the current folder for the window; the CLI may name another).
    BulkPaymentDialog(DialogHost& host, fileio::FileSystem& fs,
                      std::string settingsPath = "omp.ini");

    // Runs once the controls exist. False when the settings cannot be loaded: the dialog has
    // then been ended with the cancel result.
    bool initialise();

    // Operator actions.
    void browseInputFile();    // "..."
    void changePaymentType();  // selection change of the payment-type list
    bool prepareFile();  // "Подготовка" or Enter; true when this call wrote the list
    bool showReport();   // "Печат"; true when a report was shown

    // Called once the dialog has ended, before it goes away: may ask the save question and
    // rewrite [CLIENT] in the settings file.
    void saveSettings();

    // Routes a command or selection change from the host: 1003, 16, 1013, 2; 1004.
    void onCommand(ControlId id);

    // What a caller without a screen does, as the operator would.
    // Picks the entry at `position` of the payment-type list (-1: none) and handles the change.
    void selectPaymentType(int position);
    // Sets the value date, keeping its time of day, and shows it in the date picker. False, and
    // nothing changed, while a prepared list is open: its value date is its header's.
    bool setPaymentDate(int day, int month, int year);

    // The state as it stands, for reading.
    const processing::WorkingState& state() const { return state_; }
    // The selected position of the payment-type list, -1 for none.
    int selectedPaymentType() const;

  private:
    // Shows the state in the controls / takes the controls back into the state; false when a
    // value broke its edit's limit (after the limit message).
    void updateControls();
    bool readControls();
    // The member an edit exchanges its text with; nullptr for a control without one.
    std::string* editMember(ControlId id);
    // Writes one value into an edit unless the operator has typed into it since it was last
    // filled or taken over; that text wins and reaches the state at the next readControls().
    void showInEdit(ControlId id, const std::string& value);
    // Takes one edit into `member`; false (after the limit message) when it is too long.
    bool takeEdit(ControlId id, std::string& member);

    const settings::FormatDefinition* selectedFormat() const;
    // Sets the delimiter text of `format` and answers its position in the format-kind list.
    int takeFormatKind(const settings::FormatDefinition* format);
    // The character the rows of a delimited list are split at.
    char rowDelimiter(const settings::FormatDefinition* format) const;

    // The scan of the chosen list: controls into the state, the list read, its findings told,
    // the state shown. True when the list is correct.
    bool scanList();
    // What a scan found, taken into the state; the part after the reading of scanList().
    bool takeScan(processing::ScanResult& result);
    // The scanned control data; a prepared list's must equal its header's.
    bool takeControlData(const processing::ControlData& scanned);
    // The scan of the browse and payment-type flows, with what follows it in both.
    void scanChosenFile();

    // The pattern of the day's lists of the selected type that the open-file dialog suggests.
    std::string suggestedFileName() const;
    // The name rules of a chosen list; false after their message. A name that passes them
    // gives the value date.
    bool nameRulesPass(std::string_view path);

    // Shows whether the open list is prepared: the tick, and the date picker read-only, since a
    // prepared list's value date is the one its header states.
    void showPrepared();

    // The checks of the payer values that "Подготовка" makes before it writes.
    bool payerValuesPass(const settings::FormatDefinition* format);
    // Whether the payer values that the header of `format`'s layout carries are free of ";" and
    // line breaks; otherwise shows the message naming the first such edit and focuses it.
    bool payerValuesFitTheHeader(const settings::FormatDefinition* format);
    // Whether the file under inputPath is still the one the last successful scan read.
    bool scannedFileUnchanged();
    // Writes the prepared list; false after the message that says why it was not written.
    bool writePreparedList(const settings::FormatDefinition* format);

    void showMessage(Message message) { host_.showMessage(messageText(message)); }

    DialogHost& host_;
    fileio::FileSystem& fs_;
    std::string settingsPath_;
    processing::WorkingState state_;
    std::vector<std::string> paymentTypeEntries_;  // the entry texts of the payment-type list
};

}  // namespace velcor::window
