#pragma once

// The main window's controls: ids, labels, kinds and limits, in tab order. The logic, the Qt
// window and the tests all read this one table.

#include "session/PayerValues.h"
#include "window/ControlIds.h"

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

namespace velcor::window {

enum class ControlKind {
    edit,          // editable single-line edit
    readOnlyEdit,  // edit the operator cannot change
    button,
    defaultButton,
    dropDownList,
    datePicker,
    checkBox,
};

struct ControlInfo {
    ControlId id;
    std::string_view label;  // static text in front of the control (Windows-1251), may be empty
    std::string_view text;   // a button's or check box's own text (Windows-1251)
    ControlKind kind;
    int limit;  // edit length limit, 0 for none
    bool enabled = true;
    bool sorted = false;  // a drop-down list that keeps its entries in order
};

// All controls with an id, in tab order.
std::span<const ControlInfo> controlsInTabOrder();

// The entry of one id; nullptr for an unknown id.
const ControlInfo* controlInfo(ControlId id);

// The order in which the state is exchanged with the controls (both directions).
std::span<const ControlId> exchangeOrder();

// Where a drop-down list puts a new entry among those it holds: at the end, or in a sorted list
// after the entries that sort before it or equal it (by their Windows-1251 bytes). Every host
// places entries so.
std::size_t entryPosition(ControlId id, std::span<const std::string> entries,
                          std::string_view entry);

// Whether an edit holds one of the payer's values that the prepared file's header carries
// (payer IBAN, BIC, name, payment kind code, budget-unit code).
bool holdsPayerValue(ControlId id);

using session::headerBreakingCharacters;

// A control's label as the name of its field in a message: without the closing ":" and with its
// line break as a blank ("Код на бюджетен разпоредител").
std::string fieldName(ControlId id);

// Texts of the window that are not tied to one control (Windows-1251).
std::string_view windowCaption();  // "Подготовка на файл за масово плащане"
std::string_view controlGroupCaption();  // "Данни за контрол:"
std::string_view formatKindDelimited();  // "с разделител", position 0 of the format-kind list
std::string_view formatKindFixed();      // "с фиксирана дължина", position 1
std::string_view aboutMenuText();        // "&About Velcor..."
std::string_view undoPrepareMenuText();  // "Отмяна на подготовката"
std::string_view aboutCaption();         // "About Velcor"
std::string_view aboutText();            // "Velcor Version 1.0"
std::string_view reportCaption();        // "Справка за масови плащания"
std::string_view sepaExportMenuText();   // "Запис като SEPA XML..."

// The window's menu bar: "Файл" with the window's commands and "Помощ" with the About box. Each
// entry runs the command of its id as the button or the context menu's entry does (kAboutEntry:
// opens the About box); an entry without a text is a separator. `shortcut` is a key sequence in
// its portable form ("Ctrl+O"), empty for none.
enum class MenuBarMenu { file, help };
inline constexpr int kAboutEntry = 0;
struct MenuBarEntry {
    MenuBarMenu menu;
    int command;
    std::string_view text;
    std::string_view shortcut;
};
std::span<const MenuBarEntry> menuBarEntries();
std::string_view menuBarTitle(MenuBarMenu menu);  // "Файл", "Помощ"

}  // namespace velcor::window
