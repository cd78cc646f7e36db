#pragma once

// The presenter of the main window: every operator intent runs the list session's operation and
// shows its result through DialogHost, asks the session's questions, and exchanges the edits with
// the session's state. Each intent answers with an Outcome; the host has shown the same.

#include "fileio/FileSystem.h"
#include "output/SepaExport.h"
#include "session/ListSession.h"
#include "session/Messages.h"
#include "window/ControlIds.h"
#include "window/DialogHost.h"
#include "window/Outcome.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::window {

using session::ListState;
using session::Message;
using session::ShownMessage;
using session::TypedPayerValues;
using WorkingState = session::ListState;

class BulkPaymentDialog {
  public:
    // `settingsPath` is omp.ini (in the current folder for the window; a test may name another).
    BulkPaymentDialog(DialogHost& host, fileio::FileSystem& fs,
                      std::string settingsPath = "omp.ini");

    // Keeps a copy of each list that "Подготовка" rewrites in the history at `folder`
    // (Windows-1251), so that "Отмяна на подготовката" can put it back; with no folder (the
    // environment names none) "Подготовка" writes nothing. Without this call no copy is kept and
    // no prepare can be undone. `cap` bounds what the history keeps.
    void keepPreparesIn(std::optional<std::string> folder,
                        const output::HistoryCap& cap = output::HistoryCap()) {
        session_.keepPreparesIn(std::move(folder), cap);
    }

    // Runs once the controls exist. Not done when the settings cannot be loaded: the dialog has
    // then been ended with the cancel result.
    Outcome initialise();

    // Operator intents.
    // Opens the list at `path` as "..." does once its dialog has answered: name rules, value date
    // from the name, scan.
    Outcome openList(const std::string& path);
    // Picks the entry at `position` of the payment-type list (-1: none) and handles the change.
    Outcome choosePaymentType(int position);
    // Picks the rules rows to the budget are checked by; the list open is checked again by them,
    // as after a change of the payment type. Done when no list is open or it passes.
    Outcome chooseBudgetRules(processing::BudgetRules rules);
    // Windows-1251: the line that says that newer rules for payments to the budget exist than
    // those the list open was checked by, for the value date the date picker shows; nothing when
    // none do.
    std::optional<std::string> budgetRulesHint() const {
        return session::budgetRulesHint(session_.state(), host_.dateValue(idPaymentDate));
    }
    // Types the given values into the payer edits, as the operator would; they are taken over
    // at the next scan or "Подготовка".
    Outcome typePayerValues(const TypedPayerValues& values);
    // Sets the value date, keeping its time of day, and shows it in the date picker. Not done,
    // and nothing changed, while a prepared list is open: its value date is its header's.
    Outcome setValueDate(int day, int month, int year);
    Outcome prepare();  // "Подготовка"; done when this call wrote the list
    // "Печат"; done when a report was built and shown. A list that failed its check has none:
    // what is wrong with it is shown again instead.
    Outcome buildReport();
    // "Запис като SEPA XML...", before its dialog: whether the checked list can go into a SEPA
    // file, after the message that says why not, with its rows' names as written and as they
    // will be sent. Done when it can.
    Outcome reviewSepaExport();
    // Writes the checked list as a SEPA credit-transfer file at `path`, with the operator's
    // choices, after the checks of the review and those of the version. Done when written.
    Outcome exportSepa(const output::SepaChoices& choices, const std::string& path);
    // Whether "Запис като SEPA XML..." is enabled: a list is checked clean.
    bool sepaExportAvailable() const { return session_.state().fileValid; }
    std::string suggestedSepaPath() const { return session_.suggestedSepaPath(); }
    // The operator changed the text of the path edit: the figures, the tick and all the session
    // knew of the list shown are forgotten, so that nothing is prepared or reported for a list
    // other than the one the edit names.
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
    const ListState& state() const { return session_.state(); }
    // The text of the payment-type entry at `position`, nothing for no entry there.
    std::optional<std::string_view> paymentTypeText(int position) const {
        return session_.paymentTypeText(position);
    }

  private:
    // What the window showed before an intent that the operator may stop, put back when they do.
    struct Before {
        ShownFigures shown;
        std::string pathText;
        processing::LocalDateTime pickerDate;
        int formatKind = 0;
    };
    Before keepBefore();
    void putBack(const Before& before);

    // The intents' flows, shared by the commands and the intents above.
    void browseInputFile();
    void openListFlow(const std::string& path);
    void openTypedList();
    void changePaymentType(int position);
    void changeBudgetRules(processing::BudgetRules rules);
    bool prepareFlow();
    bool reportFlow();
    bool exportSepaFlow(const output::SepaChoices& choices, const std::string& path);
    void sepaMenuFlow();
    bool undoFlow();
    void forgetList();

    // The payer edits and the date picker, handed to the session before an operation; and, after
    // it, the edits whose values the session took over are no longer the operator's own.
    void handOverEdits();
    void markTakenOver();
    // Shows a session result: its messages, the findings between them, the focus.
    void present(const session::Result& result);
    // Shows the information box of work done on the list at `path`, with `figures` (none: the
    // file alone) in `currency`.
    void confirm(const ShownMessage& message, std::string_view path,
                 const processing::ControlData* figures, std::string_view currency);
    // The figures of the list open, when it passed its check, in the currency of its value date.
    void confirmWithList(const ShownMessage& message);
    // Once for each list opened: a list whose own value date (of its name or its header) is
    // before the euro, given one in euro (`date`), must then hold its amounts in euro.
    void tellAmountsInEuro(const processing::LocalDateTime& date);
    // Asks the value-date question of a result that stopped at it; the operator's answer.
    session::DateAnswer askAboutDate(const session::Result& result);

    // Shows the state in the controls.
    void updateControls();
    void showInEdit(ControlId id, const std::string& value);
    // Writes a text into a control; what the three figures show is kept for the outcome.
    void showText(ControlId id, std::string_view value);
    void showFigures(const processing::ControlData& figures);
    // The figures a result counted, when a payment type is chosen: without one nothing is shown.
    void showCountedFigures(const session::Result& result);
    // With a list open and no payment type chosen, the focus goes to the type box.
    void askForPaymentType();
    void clearFigures();
    int formatKindPosition() const;
    // Shows whether the open list is prepared: the tick, and the date picker read-only, since a
    // prepared list's value date is the one its header states.
    void showPrepared();

    // Starts an outcome for an intent, unless one is running (an intent inside another adds to
    // that one's), and finishes it with the state as it then stands.
    class Recording;

    DialogHost& host_;
    session::ListSession session_;
    ShownFigures shown_;
    Outcome* outcome_ = nullptr;  // the outcome of the intent running, if any
    // The value date the list open came with, and whether the note on euro was given for it.
    processing::LocalDateTime listDate_;
    bool euroTold_ = false;
};

}  // namespace velcor::window
