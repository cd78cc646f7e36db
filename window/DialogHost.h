#pragma once

// The only door from BulkPaymentDialog to a screen. The Qt window, velcor-cli and the tests'
// scripted fake each realise it. Every text is Windows-1251; a host converts at its own edge.

#include "processing/DateTime.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::window {

class DialogHost {
  public:
    virtual ~DialogHost() = default;

    // Edits (and the read-only edits): text, length limit, and the operator's modified flag.
    virtual std::string controlText(int id) = 0;
    virtual void setControlText(int id, std::string_view text) = 0;  // clears the modified flag
    virtual void setEditLimit(int id, int limit) = 0;
    // True when the operator changed the edit's text since it was last set or the flag cleared.
    virtual bool isModified(int id) = 0;
    virtual void clearModified(int id) = 0;
    virtual void focusAndSelectAll(int id) = 0;

    // Drop-down lists: entries appended at the next position; selection -1 means none, and
    // selecting a position past the end leaves the list without a selection.
    virtual void addListEntry(int id, std::string_view text) = 0;
    virtual int listSelection(int id) = 0;
    virtual void setListSelection(int id, int position) = 0;

    // The date picker.
    virtual processing::LocalDateTime dateValue(int id) = 0;
    virtual void setDateValue(int id, const processing::LocalDateTime& value) = 0;

    // The check box (the operator cannot change it).
    virtual void setChecked(int id, bool checked) = 0;

    // Modal message box: exclamation icon, OK, the application's name as caption.
    virtual void showMessage(std::string_view text) = 0;
    // The save question: Yes/No, No the default, stop icon. True only for Yes.
    virtual bool askYesNo(std::string_view text) = 0;
    // The open-file dialog with `suggestedName` in its name box; the file must exist and the
    // process's current folder stays as it is. The full path, or nothing when cancelled.
    virtual std::optional<std::string> chooseOpenFile(std::string_view suggestedName) = 0;
    // Shows HTML in the report window, modally.
    virtual void showReport(std::string_view html) = 0;
    // Ends the dialog with the given result (2 = cancel).
    virtual void endDialog(int result) = 0;

    // The current local date and time (a host may pin it, e.g. in tests).
    virtual processing::LocalDateTime now() { return processing::currentLocalDateTime(); }
};

}  // namespace velcor::window
