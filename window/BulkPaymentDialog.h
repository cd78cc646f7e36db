#pragma once

// The logic of the main window: its state and every operator flow, written against DialogHost.
// Each operator intent answers with an Outcome; the host has shown the same on its screen.

#include "fileio/FileSystem.h"
#include "output/PrepareHistory.h"
#include "output/SepaExport.h"
#include "processing/Scan.h"
#include "window/ControlIds.h"
#include "window/DialogHost.h"
#include "window/Messages.h"
#include "window/Outcome.h"
#include "window/WorkingState.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::window {

// Payer values an operator types; nothing leaves an edit as it is.
struct TypedPayerValues {
    std::optional<std::string> iban;
    std::optional<std::string> bic;
    std::optional<std::string> name;
    std::optional<std::string> kindCode;
    std::optional<std::string> budgetUnitCode;
};

class BulkPaymentDialog {
  public:
    // `settingsPath` is omp.ini (in the current folder for the window; the CLI may name another).
    BulkPaymentDialog(DialogHost& host, fileio::FileSystem& fs,
                      std::string settingsPath = "omp.ini");

    // Keeps a copy of each list that "Подготовка" rewrites in the history at `folder`
    // (Windows-1251), so that "Отмяна на подготовката" can put it back; with no folder (the
    // environment names none) "Подготовка" writes nothing. Without this call no copy is kept and
    // no prepare can be undone.
    void keepPreparesIn(std::optional<std::string> folder);

    // Runs once the controls exist. Not done when the settings cannot be loaded: the dialog has
    // then been ended with the cancel result.
    Outcome initialise();

    // Operator intents.
    // Opens the list at `path` as "..." does once its dialog has answered: name rules, value date
    // from the name, scan.
    Outcome openList(const std::string& path);
    // Picks the entry at `position` of the payment-type list (-1: none) and handles the change.
    Outcome choosePaymentType(int position);
    // Types the given values into the payer edits, as the operator would; they reach the state
    // at the next scan or "Подготовка".
    Outcome typePayerValues(const TypedPayerValues& values);
    // Sets the value date, keeping its time of day, and shows it in the date picker. Not done,
    // and nothing changed, while a prepared list is open: its value date is its header's.
    Outcome setValueDate(int day, int month, int year);
    Outcome prepare();  // "Подготовка"; done when this call wrote the list
    // "Печат"; done when a report was built and shown. A list that failed on row findings has
    // none: its findings are shown again instead.
    Outcome buildReport();
    // "Запис като SEPA XML...", before its dialog: whether the checked list can go into a SEPA
    // file, after the message that says why not, with its rows' names as written and as they
    // will be sent. Done when it can.
    Outcome reviewSepaExport();
    // Writes the checked list as a SEPA credit-transfer file at `path`, with the operator's
    // choices, after the checks of the review and those of the version. Done when written.
    Outcome exportSepa(const output::SepaChoices& choices, const std::string& path);
    // Whether "Запис като SEPA XML..." is enabled: a list is checked clean.
    bool sepaExportAvailable() const { return state_.fileValid; }
    // Where the SEPA file goes unless the operator says otherwise: the list's path with ".xml".
    std::string suggestedSepaPath() const { return state_.inputPath + ".xml"; }
    // The operator changed the text of the path edit: the figures, the tick and all the logic
    // knew of the list shown are forgotten, so that nothing is prepared or reported for a list
    // other than the one the edit names. The window calls it on each change the operator makes;
    // velcor-cli, which types no path, never does.
    Outcome pathEdited();

    // "Отмяна на подготовката": puts the list back as it was before its last kept prepare, while
    // it is still what that prepare wrote, and opens it again as "..." does; done when it was put
    // back.
    Outcome undoPrepare();

    // The host's commands, each one of the intents above: 1003 "...", 1004 the payment-type
    // list's selection change, 16 "Подготовка", 1013 "Печат", 2 "Изход", and the context menu's
    // "Запис като SEPA XML..." (its review, the host's dialog, the export) and "Отмяна на
    // подготовката"; and 1002, Enter in the path edit, which opens the list typed there as "..."
    // opens a chosen one.
    void onCommand(ControlId id);

    // Called once the dialog has ended, before it goes away: may ask the save question and
    // rewrite [CLIENT] in the settings file.
    void saveSettings();

    // The state as it stands, for reading.
    const WorkingState& state() const { return state_; }
    // The text of the payment-type entry at `position`, nothing for no entry there.
    std::optional<std::string_view> paymentTypeText(int position) const;

  private:
    // "...": the open-file dialog, then openList's flow.
    void browseInputFile();
    // The selection change of the payment-type list, read from the host once.
    void changePaymentType();
    // The steps of "..." before its dialog: the path field taken, the value date today.
    void startBrowsing();
    // The steps of "..." after its dialog answered with `path`.
    void openChosenList(const std::string& path);
    // Enter in the path edit: "..." with the typed path for the dialog's answer.
    void openTypedList();
    // The list shown is no longer the one the path edit names: its figures, its tick and its
    // scan go.
    void forgetList();
    // The payment-type change for the position the state holds.
    void takePaymentType();
    bool prepareFile();
    bool showReport();
    // The SEPA export's steps (BulkPaymentDialogSepa.cpp): the menu entry's flow; the list's
    // payments for a file of `version`, or nothing after the message that says why not; the file
    // written, or false after the message that says why not.
    void exportSepaFlow();
    std::optional<std::vector<output::SepaPayment>> sepaPayments(output::PainVersion version);
    bool sepaPayerPasses(output::PainVersion version);
    bool writeSepa(const output::SepaChoices& choices, const std::string& path);

    // Shows the state in the controls / takes the controls back into the state; false when a
    // value broke its edit's limit (after the limit message).
    void updateControls();
    bool readControls();
    // The member an edit exchanges its text with; nullptr for a control without one.
    std::string* editMember(ControlId id);
    // Writes one value into an edit unless the operator has typed into it since it was last
    // filled or taken over; that text wins and reaches the state at the next readControls().
    void showInEdit(ControlId id, const std::string& value);
    // Writes a text into a control; what the three figures show is kept for the outcome.
    void showText(ControlId id, std::string_view value);
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
    // control bytes; otherwise shows the message naming the first such edit and focuses it.
    bool payerValuesFitTheHeader(const settings::FormatDefinition* format);
    // Whether the value date is one the bank takes, or the operator chose to go on with it when
    // asked; after "Не" the date picker has the focus.
    bool valueDateAccepted();
    // Whether the file under inputPath is still the one the last successful scan read.
    bool scannedFileUnchanged();
    // Writes the prepared list; false after the message that says why it was not written.
    bool writePreparedList(const settings::FormatDefinition* format);
    // Keeps the list as it is in the history before "Подготовка" replaces it; false after the
    // message that says why it could not be kept. Nothing is kept without a history.
    bool keepListAsItWas(std::optional<output::PendingPrepare>& pending);
    bool undoPrepareFile();

    // Shows a message box and keeps it for the outcome.
    void tell(ShownMessage message);
    void tell(Message message) { tell(shownMessage(message)); }
    // Shows the row findings of the last scan in the report window.
    void showFindings();
    // Keeps why a file could not be used for the outcome.
    void noteFileCause(std::error_code cause);

    // The window as it stood before a list was opened, or read again for another payment type;
    // put back when the operator stops the reading, as if the list had not been opened.
    struct Before {
        WorkingState state;
        ShownFigures shown;
        std::string pathText;
        processing::LocalDateTime pickerDate;
        int formatKind = 0;
    };
    Before keepBefore();
    // Puts the window back as it was, but for the payer values taken over when the reading
    // began: they are what the operator typed and still see.
    void putBack(Before before);
    // Keeps that the operator stopped the long work of the running intent.
    void noteCancelled();

    // Starts an outcome for an intent, unless one is running (an intent inside another adds to
    // that one's), and finishes it with the state as it then stands.
    class Recording;

    DialogHost& host_;
    fileio::FileSystem& fs_;
    std::string settingsPath_;
    WorkingState state_;
    std::vector<std::string> paymentTypeEntries_;  // the entry texts of the payment-type list
    ShownFigures shown_;
    Outcome* outcome_ = nullptr;  // the outcome of the intent running, if any
    bool cancelled_ = false;      // the reading of the list was stopped since keepBefore()
    bool historyWanted_ = false;
    std::optional<output::PrepareHistory> history_;  // none: no folder to keep it in
};

}  // namespace velcor::window
