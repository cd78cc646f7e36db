#include "window/HeadlessHost.h"

namespace velcor::window {

std::string HeadlessHost::controlText(int id) { return edits_[id].text; }

void HeadlessHost::setControlText(int id, std::string_view text) {
    Edit& edit = edits_[id];
    edit.text = std::string(text);
    edit.modified = false;
}

void HeadlessHost::setEditLimit(int id, int limit) { edits_[id].limit = limit; }

bool HeadlessHost::isModified(int id) { return edits_[id].modified; }

void HeadlessHost::clearModified(int id) { edits_[id].modified = false; }

void HeadlessHost::focusAndSelectAll(int id) { focused_ = id; }

void HeadlessHost::addListEntry(int id, std::string_view text) {
    lists_[id].entries.emplace_back(text);
}

int HeadlessHost::listSelection(int id) { return lists_[id].selection; }

void HeadlessHost::setListSelection(int id, int position) {
    List& list = lists_[id];
    // As a drop-down list does: a position past the end leaves no selection.
    list.selection =
        position >= 0 && static_cast<std::size_t>(position) < list.entries.size() ? position : -1;
}

processing::LocalDateTime HeadlessHost::dateValue(int id) {
    const auto it = dates_.find(id);
    return it != dates_.end() ? it->second : now();
}

void HeadlessHost::setDateValue(int id, const processing::LocalDateTime& value) {
    dates_[id] = value;
}

void HeadlessHost::setChecked(int id, bool checked) { checks_[id] = checked; }

void HeadlessHost::showMessage(std::string_view text) {
    events_.push_back({EventKind::message, std::string(text)});
}

bool HeadlessHost::askYesNo(std::string_view text) {
    events_.push_back({EventKind::question, std::string(text)});
    return yesAnswer;
}

std::optional<std::string> HeadlessHost::chooseOpenFile(std::string_view suggestedName) {
    suggestedNames_.emplace_back(suggestedName);
    return openFileAnswer;
}

void HeadlessHost::showReport(std::string_view html) {
    events_.push_back({EventKind::report, std::string(html)});
}

void HeadlessHost::endDialog(int result) { endResult_ = result; }

processing::LocalDateTime HeadlessHost::now() { return pinnedNow ? *pinnedNow : DialogHost::now(); }

void HeadlessHost::type(int id, std::string_view text) {
    Edit& edit = edits_[id];
    edit.text = std::string(text);
    edit.modified = true;
}

void HeadlessHost::pickDate(int id, const processing::LocalDateTime& value) { dates_[id] = value; }

int HeadlessHost::editLimit(int id) const {
    const auto it = edits_.find(id);
    return it != edits_.end() ? it->second.limit : 0;
}

bool HeadlessHost::isChecked(int id) const {
    const auto it = checks_.find(id);
    return it != checks_.end() && it->second;
}

const std::vector<std::string>& HeadlessHost::listEntries(int id) const {
    static const std::vector<std::string> kNone;
    const auto it = lists_.find(id);
    return it != lists_.end() ? it->second.entries : kNone;
}

std::optional<std::string> HeadlessHost::selectedEntryText(int id) const {
    const auto it = lists_.find(id);
    if (it == lists_.end() || it->second.selection < 0) return std::nullopt;
    return it->second.entries[static_cast<std::size_t>(it->second.selection)];
}

std::vector<std::string> HeadlessHost::texts(EventKind kind) const {
    std::vector<std::string> out;
    for (const Event& event : events_)
        if (event.kind == kind) out.push_back(event.text);
    return out;
}

}  // namespace velcor::window
