#pragma once

// The only door from BulkPaymentDialog to a screen. Two hosts realise it:
//  - QtDialogHost (app/gui): the Qt widgets of the main window;
//  - HeadlessDialogHost and ScriptedDialogHost (tests/support): controls held in memory and a
//    record of what was shown, with a pinned clock, which the tests script and inspect.
// Every text is Windows-1251; a host converts at its own edge. What both screens must do alike
// (the limits, the sorted format-kind list) is read from the control table.

#include "processing/DateTime.h"
#include "processing/RowFindings.h"
#include "session/ListSession.h"
#include "session/LongWork.h"
#include "session/SepaValues.h"
#include "window/ControlIds.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::window {

using session::LongWork;
using session::readingListText;
using session::SepaExportAnswer;
using session::SepaName;
using session::SepaOutcome;
using session::stopWorkText;
using session::WorkProgress;
using session::writingListText;

class DialogHost {
  public:
    virtual ~DialogHost() = default;

    // Edits (and the read-only edits): text, length limit, and the operator's modified flag.
    virtual std::string controlText(ControlId id) = 0;
    virtual void setControlText(ControlId id, std::string_view text) = 0;  // clears the flag
    virtual void setEditLimit(ControlId id, int limit) = 0;
    // True when the operator changed the edit's text since it was last set or the flag cleared.
    virtual bool isModified(ControlId id) = 0;
    virtual void clearModified(ControlId id) = 0;
    virtual void focusAndSelectAll(ControlId id) = 0;

    // Drop-down lists: an entry goes where entryPosition (ControlTable.h) puts it, and adding
    // never changes which entry is selected; selection -1 means none, and selecting a position
    // past the end leaves the list without a selection.
    virtual void addListEntry(ControlId id, std::string_view text) = 0;
    virtual int listSelection(ControlId id) = 0;
    virtual void setListSelection(ControlId id, int position) = 0;

    // The date picker.
    virtual processing::LocalDateTime dateValue(ControlId id) = 0;
    virtual void setDateValue(ControlId id, const processing::LocalDateTime& value) = 0;

    // The check box (the operator cannot change it).
    virtual void setChecked(ControlId id, bool checked) = 0;
    // Whether the operator may change a control's value (the date picker): a read-only control
    // still shows its value.
    virtual void setReadOnly(ControlId id, bool readOnly) = 0;

    // Modal message box: exclamation icon, OK, the application's name as caption.
    virtual void showMessage(std::string_view text) = 0;
    // The same box with `detail` below the text, in smaller words: what the operator can do
    // about it. A host without room for it shows the text alone.
    virtual void showMessage(std::string_view text, std::string_view detail) {
        (void)detail;
        showMessage(text);
    }
    // Modal confirmation of work done: information icon, OK, `detail` below the text.
    virtual void showInformation(std::string_view text, std::string_view detail) = 0;
    // The save question: Yes/No, No the default, stop icon. True only for Yes.
    virtual bool askYesNo(std::string_view text) = 0;
    // Whether to go on in spite of a warning: Yes/No, No the default, warning icon. True only for
    // Yes.
    virtual bool askToGoOn(std::string_view text) = 0;
    // Whether to do what `text` sums up (a file about to be written): Yes/No, Yes the default,
    // question icon. True only for Yes. A host without the box asks as askToGoOn does.
    virtual bool askToConfirm(std::string_view text) { return askToGoOn(text); }
    // The question about a value date the bank may refuse: "Да" goes on, "Не" (the default)
    // stops, and, where `nextBankDay` names one, a third answer with that text takes the next
    // bank day instead. A host without the third answer asks as askToGoOn does.
    virtual session::DateAnswer askAboutValueDate(std::string_view text,
                                                  const std::optional<std::string>& nextBankDay) {
        (void)nextBankDay;
        return askToGoOn(text) ? session::DateAnswer::goOn : session::DateAnswer::stop;
    }
    // The open-file dialog with `suggestedName` in its name box; the file must exist and the
    // process's current folder stays as it is. The full path, or nothing when cancelled.
    virtual std::optional<std::string> chooseOpenFile(std::string_view suggestedName) = 0;
    // Shows HTML in the report window, modally.
    virtual void showReport(std::string_view html) = 0;
    // "Отговор от банката (pain.002)…": the open dialog for the bank's status report, then the
    // window of its payments not accepted. A host without them does nothing.
    virtual void showBankAnswer() {}
    // The SEPA export's dialog: the rows' names as written and as sent (those the review kept,
    // and how many it left out), the file's version, instant, category purpose, the payer's EIK
    // and batch booking, then the save dialog proposing `suggestedPath`. The answer, or nothing
    // when cancelled (a host without the dialog always cancels).
    virtual std::optional<SepaExportAnswer> chooseSepaExport(const SepaOutcome& review,
                                                             std::string_view suggestedPath) {
        (void)review;
        (void)suggestedPath;
        return std::nullopt;
    }
    // Shows the row findings of the list at `listPath` in the report window, modally: `html`, their
    // message list, as showReport shows it, and beside it the findings themselves as a table (a
    // host without the table shows only the message list).
    virtual void showRowFindings(std::string_view html, const processing::RowFindings& findings,
                                 std::string_view listPath) {
        (void)findings;
        (void)listPath;
        showReport(html);
    }
    // How many row findings of a list the host's screen can show: a scan keeps no more.
    virtual std::int64_t rowFindingsShown() { return processing::kMaxRowMessages; }
    // Shows the processing report of the list at `listPath`, modally; a host that offers to save
    // the report proposes a place beside the list. Without that, as any report.
    virtual void showProcessingReport(std::string_view html, std::string_view listPath) {
        (void)listPath;
        showReport(html);
    }
    // Ends the dialog with the given result (kCancelResult: cancelled).
    virtual void endDialog(int result) = 0;

    // Runs long work (LongWork.h), which `what` names, and returns once it has ended. A screen may
    // run it on another thread meanwhile, keep itself painted, show how far it has come and let
    // the operator stop it; without a screen it simply runs, unwatched.
    virtual void runLongWork(std::string_view /*what*/, const LongWork& work) { work({}); }

    // The current local date and time (a host may pin it, e.g. in tests).
    virtual processing::LocalDateTime now() { return processing::currentLocalDateTime(); }
};

}  // namespace velcor::window
