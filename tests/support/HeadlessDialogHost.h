#pragma once

// A DialogHost without a screen: the controls are values in memory, message boxes and report
// windows are recorded in the order they appear, and the answers of the dialogs are set before
// the logic runs. velcor-cli drives the window's logic through it; the tests' scripted host
// builds on it.

#include "window/DialogHost.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::window {

class HeadlessDialogHost : public DialogHost {
  public:
    // What appeared in front of the operator, in order.
    enum class EventKind { message, question, report, information };
    struct Event {
        EventKind kind;
        std::string text;
        std::string detail = {};  // what a message box says below its text
    };

    std::string controlText(ControlId id) override;
    void setControlText(ControlId id, std::string_view text) override;
    void setEditLimit(ControlId id, int limit) override;
    bool isModified(ControlId id) override;
    void clearModified(ControlId id) override;
    void focusAndSelectAll(ControlId id) override;
    void addListEntry(ControlId id, std::string_view text) override;
    int listSelection(ControlId id) override;
    void setListSelection(ControlId id, int position) override;
    processing::LocalDateTime dateValue(ControlId id) override;
    void setDateValue(ControlId id, const processing::LocalDateTime& value) override;
    void setChecked(ControlId id, bool checked) override;
    void setReadOnly(ControlId id, bool readOnly) override;
    void showMessage(std::string_view text) override;
    void showMessage(std::string_view text, std::string_view detail) override;
    void showInformation(std::string_view text, std::string_view detail) override;
    bool askYesNo(std::string_view text) override;
    bool askToGoOn(std::string_view text) override;
    bool askToConfirm(std::string_view text) override;
    // Asked as askToGoOn, the next bank day offered recorded; nextBankDayAnswer takes it.
    session::DateAnswer askAboutValueDate(std::string_view text,
                                          const std::optional<std::string>& nextBankDay) override;
    std::optional<std::string> chooseOpenFile(std::string_view suggestedName) override;
    void showReport(std::string_view html) override;
    // Recorded as a report of `html`, with the findings and the list they were shown with.
    void showRowFindings(std::string_view html, const processing::RowFindings& findings,
                         std::string_view listPath) override;
    std::int64_t rowFindingsShown() override { return rowFindingsShownAnswer; }
    void endDialog(int result) override;

    // The operator types `text` into an edit (replacing its text): the edit is marked modified.
    // The length limit is not applied, so a pasted or scripted value can exceed it.
    void type(ControlId id, std::string_view text);

    // Answers given to the logic.
    std::optional<std::string> openFileAnswer;  // the chosen file; nothing: cancelled
    bool yesAnswer = false;                     // the answer to the save question
    // The answer to a warning's question: a run without a screen goes on unless told otherwise.
    bool goOnAnswer = true;
    bool confirmAnswer = true;  // the confirmation before a file is written
    // Whether the value-date question is answered with its next bank day, where it offers one.
    bool nextBankDayAnswer = false;
    // The next bank day each value-date question offered (empty: none), in order.
    std::vector<std::string> nextBankDaysOffered;
    // How many row findings the screen can show (velcor-cli prints the message list's share).
    std::int64_t rowFindingsShownAnswer = processing::kMaxRowMessages;

    // The record of what was shown.
    std::string shownText(ControlId id) const;
    int editLimit(ControlId id) const;
    bool isChecked(ControlId id) const;
    bool isReadOnly(ControlId id) const;
    const std::vector<std::string>& listEntries(ControlId id) const;
    // The selected entry's text, or nothing when the list has no selection.
    std::optional<std::string> selectedEntryText(ControlId id) const;
    const std::vector<Event>& events() const { return events_; }
    std::vector<std::string> texts(EventKind kind) const;
    std::vector<std::string> messages() const { return texts(EventKind::message); }
    std::vector<std::string> reports() const { return texts(EventKind::report); }
    std::vector<std::string> questions() const { return texts(EventKind::question); }
    // The confirmations of work done: each its text, a line break and its detail.
    std::vector<std::string> confirmations() const;
    void clearEvents() { events_.clear(); }
    const std::vector<std::string>& suggestedNames() const { return suggestedNames_; }
    int focusedControl() const { return focused_; }
    // The row findings shown as values, in order, each with the list they were found in.
    struct ShownFindings {
        processing::RowFindings findings;
        std::string listPath;
    };
    const std::vector<ShownFindings>& shownFindings() const { return shownFindings_; }
    std::optional<int> endResult() const { return endResult_; }

  private:
    struct Edit {
        std::string text;
        int limit = 0;
        bool modified = false;
    };
    struct List {
        std::vector<std::string> entries;
        int selection = -1;
    };

    std::map<ControlId, Edit> edits_;
    std::map<ControlId, List> lists_;
    std::map<ControlId, processing::LocalDateTime> dates_;
    std::map<ControlId, bool> checks_;
    std::map<ControlId, bool> readOnly_;
    std::vector<Event> events_;
    std::vector<ShownFindings> shownFindings_;
    std::vector<std::string> suggestedNames_;
    int focused_ = 0;
    std::optional<int> endResult_;
};

}  // namespace velcor::window
