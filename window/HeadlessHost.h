#pragma once

// A DialogHost without a screen: the controls are values in memory, message boxes and report
// windows are recorded in the order they appear, and the answers of the dialogs are set before
// the logic runs. velcor-cli drives the window's logic through it; tests build on it.

#include "window/DialogHost.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::window {

class HeadlessHost : public DialogHost {
  public:
    // What appeared in front of the operator, in order.
    enum class EventKind { message, question, report };
    struct Event {
        EventKind kind;
        std::string text;
    };

    std::string controlText(int id) override;
    void setControlText(int id, std::string_view text) override;
    void setEditLimit(int id, int limit) override;
    bool isModified(int id) override;
    void clearModified(int id) override;
    void focusAndSelectAll(int id) override;
    void addListEntry(int id, std::string_view text) override;
    int listSelection(int id) override;
    void setListSelection(int id, int position) override;
    processing::LocalDateTime dateValue(int id) override;
    void setDateValue(int id, const processing::LocalDateTime& value) override;
    void setChecked(int id, bool checked) override;
    void showMessage(std::string_view text) override;
    bool askYesNo(std::string_view text) override;
    std::optional<std::string> chooseOpenFile(std::string_view suggestedName) override;
    void showReport(std::string_view html) override;
    void endDialog(int result) override;
    processing::LocalDateTime now() override;

    // The operator types `text` into an edit (replacing its text): the edit is marked modified.
    // The length limit is not applied, so a pasted or scripted value can exceed it.
    void type(int id, std::string_view text);
    // The operator picks a date in the date picker.
    void pickDate(int id, const processing::LocalDateTime& value);

    // Answers given to the logic.
    std::optional<std::string> openFileAnswer;  // the chosen file; nothing: cancelled
    bool yesAnswer = false;                     // the answer to the save question
    std::optional<processing::LocalDateTime> pinnedNow;

    // What the logic left behind.
    int editLimit(int id) const;
    bool isChecked(int id) const;
    const std::vector<std::string>& listEntries(int id) const;
    // The selected entry's text, or nothing when the list has no selection.
    std::optional<std::string> selectedEntryText(int id) const;
    const std::vector<Event>& events() const { return events_; }
    std::vector<std::string> texts(EventKind kind) const;
    void clearEvents() { events_.clear(); }
    const std::vector<std::string>& suggestedNames() const { return suggestedNames_; }
    int focusedControl() const { return focused_; }
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

    std::map<int, Edit> edits_;
    std::map<int, List> lists_;
    std::map<int, processing::LocalDateTime> dates_;
    std::map<int, bool> checks_;
    std::vector<Event> events_;
    std::vector<std::string> suggestedNames_;
    int focused_ = 0;
    std::optional<int> endResult_;
};

}  // namespace velcor::window
