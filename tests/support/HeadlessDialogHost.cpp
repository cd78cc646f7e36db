#include "support/HeadlessDialogHost.h"

#include "window/ControlTable.h"

namespace velcor::window {

std::string HeadlessDialogHost::controlText(ControlId id) { return edits_[id].text; }

void HeadlessDialogHost::setControlText(ControlId id, std::string_view text) {
    Edit& edit = edits_[id];
    edit.text = std::string(text);
    edit.modified = false;
}

void HeadlessDialogHost::setEditLimit(ControlId id, int limit) { edits_[id].limit = limit; }

bool HeadlessDialogHost::isModified(ControlId id) { return edits_[id].modified; }

void HeadlessDialogHost::clearModified(ControlId id) { edits_[id].modified = false; }

void HeadlessDialogHost::focusAndSelectAll(ControlId id) { focused_ = id; }

void HeadlessDialogHost::addListEntry(ControlId id, std::string_view text) {
    List& list = lists_[id];
    const std::size_t position = entryPosition(id, list.entries, text);
    list.entries.insert(list.entries.begin() + static_cast<std::ptrdiff_t>(position),
                        std::string(text));
    // The selected entry stays selected where it has moved to.
    if (list.selection >= 0 && position <= static_cast<std::size_t>(list.selection))
        ++list.selection;
}

int HeadlessDialogHost::listSelection(ControlId id) { return lists_[id].selection; }

void HeadlessDialogHost::setListSelection(ControlId id, int position) {
    List& list = lists_[id];
    // As a drop-down list does: a position past the end leaves no selection.
    list.selection =
        position >= 0 && static_cast<std::size_t>(position) < list.entries.size() ? position : -1;
}

processing::LocalDateTime HeadlessDialogHost::dateValue(ControlId id) {
    const auto it = dates_.find(id);
    return it != dates_.end() ? it->second : now();
}

void HeadlessDialogHost::setDateValue(ControlId id, const processing::LocalDateTime& value) {
    dates_[id] = value;
}

void HeadlessDialogHost::setChecked(ControlId id, bool checked) { checks_[id] = checked; }

void HeadlessDialogHost::setReadOnly(ControlId id, bool readOnly) { readOnly_[id] = readOnly; }

bool HeadlessDialogHost::isReadOnly(ControlId id) const {
    const auto found = readOnly_.find(id);
    return found != readOnly_.end() && found->second;
}

void HeadlessDialogHost::showMessage(std::string_view text) {
    events_.push_back({EventKind::message, std::string(text), {}});
}

void HeadlessDialogHost::showMessage(std::string_view text, std::string_view detail) {
    events_.push_back({EventKind::message, std::string(text), std::string(detail)});
}

void HeadlessDialogHost::showInformation(std::string_view text, std::string_view detail) {
    events_.push_back({EventKind::information, std::string(text), std::string(detail)});
}

std::vector<std::string> HeadlessDialogHost::confirmations() const {
    std::vector<std::string> out;
    for (const Event& event : events_)
        if (event.kind == EventKind::information) out.push_back(event.text + "\n" + event.detail);
    return out;
}

bool HeadlessDialogHost::askYesNo(std::string_view text) {
    events_.push_back({EventKind::question, std::string(text), {}});
    return yesAnswer;
}

bool HeadlessDialogHost::askToConfirm(std::string_view text) {
    events_.push_back({EventKind::question, std::string(text), {}});
    return confirmAnswer;
}

bool HeadlessDialogHost::askToGoOn(std::string_view text) {
    events_.push_back({EventKind::question, std::string(text), {}});
    return goOnAnswer;
}

session::DateAnswer HeadlessDialogHost::askAboutValueDate(
    std::string_view text, const std::optional<std::string>& nextBankDay) {
    nextBankDaysOffered.push_back(nextBankDay.value_or(std::string()));
    if (nextBankDayAnswer && nextBankDay) {
        events_.push_back({EventKind::question, std::string(text), {}});
        return session::DateAnswer::nextBankDay;
    }
    return askToGoOn(text) ? session::DateAnswer::goOn : session::DateAnswer::stop;
}

std::optional<std::string> HeadlessDialogHost::chooseOpenFile(std::string_view suggestedName) {
    suggestedNames_.emplace_back(suggestedName);
    return openFileAnswer;
}

void HeadlessDialogHost::showReport(std::string_view html) {
    events_.push_back({EventKind::report, std::string(html), {}});
}

void HeadlessDialogHost::showRowFindings(std::string_view html,
                                         const processing::RowFindings& findings,
                                         std::string_view listPath) {
    showReport(html);
    shownFindings_.push_back({findings, std::string(listPath)});
}

void HeadlessDialogHost::endDialog(int result) { endResult_ = result; }

void HeadlessDialogHost::type(ControlId id, std::string_view text) {
    Edit& edit = edits_[id];
    edit.text = std::string(text);
    edit.modified = true;
}

std::string HeadlessDialogHost::shownText(ControlId id) const {
    const auto it = edits_.find(id);
    return it != edits_.end() ? it->second.text : std::string();
}

int HeadlessDialogHost::editLimit(ControlId id) const {
    const auto it = edits_.find(id);
    return it != edits_.end() ? it->second.limit : 0;
}

bool HeadlessDialogHost::isChecked(ControlId id) const {
    const auto it = checks_.find(id);
    return it != checks_.end() && it->second;
}

const std::vector<std::string>& HeadlessDialogHost::listEntries(ControlId id) const {
    static const std::vector<std::string> kNone;
    const auto it = lists_.find(id);
    return it != lists_.end() ? it->second.entries : kNone;
}

std::optional<std::string> HeadlessDialogHost::selectedEntryText(ControlId id) const {
    const auto it = lists_.find(id);
    if (it == lists_.end() || it->second.selection < 0) return std::nullopt;
    return it->second.entries[static_cast<std::size_t>(it->second.selection)];
}

std::vector<std::string> HeadlessDialogHost::texts(EventKind kind) const {
    std::vector<std::string> out;
    for (const Event& event : events_)
        if (event.kind == kind) out.push_back(event.text);
    return out;
}

}  // namespace velcor::window
