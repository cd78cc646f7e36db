#include "window/ControlTable.h"

#include "session/Messages.h"
#include "session/PayerValues.h"
#include "text/Cp1251.h"

#include <algorithm>
#include <array>
#include <string>

namespace velcor::window {

using namespace velcor::text::literals;
using session::PayerField;
using session::payerFieldLabel;
using session::payerFieldLimit;

namespace {

constexpr auto kPathLabel = "Избор на файл:"_cp;
constexpr auto kBrowseText = "..."_cp;
constexpr auto kFormatKindLabel = "Формат на файла:"_cp;
constexpr auto kDelimiterLabel = "Разделител:"_cp;
constexpr auto kDateLabel = "Дата на МП:"_cp;
constexpr auto kPrepareText = "Подготовка"_cp;
constexpr auto kPrintText = "Печат"_cp;
constexpr auto kExitText = "Изход"_cp;

constexpr auto kCaption = "Подготовка на файл за масово плащане"_cp;
constexpr auto kGroup = "Данни за контрол:"_cp;
constexpr auto kDelimited = "с разделител"_cp;
constexpr auto kFixed = "с фиксирана дължина"_cp;
constexpr auto kReportCaption = "Справка за масови плащания"_cp;

const std::array<ControlInfo, 18> kControls = {{
    {idInputPath, kPathLabel, {}, ControlKind::edit, 0},
    {idBrowse, {}, kBrowseText, ControlKind::button, 0},
    {idFormatKind, kFormatKindLabel, {}, ControlKind::dropDownList, 0, false, true},
    {idDelimiter, kDelimiterLabel, {}, ControlKind::readOnlyEdit, 1},
    {idPaymentType, session::paymentTypeLabel(), {}, ControlKind::dropDownList, 0},
    {idPaymentDate, kDateLabel, {}, ControlKind::datePicker, 0},
    {idPayerIban,
     payerFieldLabel(PayerField::iban),
     {},
     ControlKind::edit,
     payerFieldLimit(PayerField::iban)},
    {idPayerBic,
     payerFieldLabel(PayerField::bic),
     {},
     ControlKind::edit,
     payerFieldLimit(PayerField::bic)},
    {idPayerName,
     payerFieldLabel(PayerField::name),
     {},
     ControlKind::edit,
     payerFieldLimit(PayerField::name)},
    {idPaymentKindCode,
     payerFieldLabel(PayerField::kindCode),
     {},
     ControlKind::edit,
     payerFieldLimit(PayerField::kindCode)},
    {idBudgetUnitCode,
     payerFieldLabel(PayerField::budgetUnitCode),
     {},
     ControlKind::edit,
     payerFieldLimit(PayerField::budgetUnitCode)},
    {idTotal, session::totalLabel(), {}, ControlKind::readOnlyEdit, 0},
    {idCount, session::countLabel(), {}, ControlKind::readOnlyEdit, 0},
    {idControlCode, session::controlCodeLabel(), {}, ControlKind::readOnlyEdit, 0},
    {idPrepared, {}, session::preparedText(), ControlKind::checkBox, 0},
    {idPrepare, {}, kPrepareText, ControlKind::defaultButton, 0},
    {idPrint, {}, kPrintText, ControlKind::button, 0},
    {idCancel, {}, kExitText, ControlKind::button, 0},
}};

constexpr std::array<ControlId, 14> kExchangeOrder = {
    idPaymentType, idPaymentDate, idFormatKind,      idInputPath,      idPayerIban,
    idPayerBic,    idPayerName,   idPaymentKindCode, idBudgetUnitCode, idDelimiter,
    idTotal,       idControlCode, idCount,           idPrepared,
};

}  // namespace

std::span<const ControlInfo> controlsInTabOrder() { return kControls; }

const ControlInfo* controlInfo(ControlId id) {
    for (const ControlInfo& info : controlsInTabOrder())
        if (info.id == id) return &info;
    return nullptr;
}

std::span<const ControlId> exchangeOrder() { return kExchangeOrder; }

std::size_t entryPosition(ControlId id, std::span<const std::string> entries,
                          std::string_view entry) {
    const ControlInfo* info = controlInfo(id);
    if (info == nullptr || !info->sorted) return entries.size();
    std::size_t position = 0;
    while (position < entries.size() && std::string_view(entries[position]) <= entry) ++position;
    return position;
}

bool holdsPayerValue(ControlId id) {
    return id == idPayerIban || id == idPayerBic || id == idPayerName || id == idPaymentKindCode ||
           id == idBudgetUnitCode;
}

std::string fieldName(ControlId id) {
    const ControlInfo* info = controlInfo(id);
    if (info == nullptr) return {};
    std::string name(info->label);
    if (name.ends_with(':')) name.pop_back();
    std::replace(name.begin(), name.end(), '\n', ' ');
    return name;
}

std::string_view windowCaption() { return kCaption; }
std::string_view controlGroupCaption() { return kGroup; }
std::string_view formatKindDelimited() { return kDelimited; }
std::string_view formatKindFixed() { return kFixed; }
std::string_view aboutMenuText() { return "&About Velcor..."; }
std::string_view undoPrepareMenuText() { return "Отмяна на подготовката"_cp; }
std::string_view aboutCaption() { return "About Velcor"; }
std::string_view aboutText() { return "Velcor Version 1.0"; }
std::string_view reportCaption() { return kReportCaption; }
std::string_view sepaExportMenuText() { return "Запис като SEPA XML..."_cp; }

namespace {

constexpr auto kFileMenu = "Файл"_cp;
constexpr auto kHelpMenu = "Помощ"_cp;
constexpr auto kOpenListEntry = "Отваряне на списък…"_cp;
constexpr auto kPrepareEntry = "Подготовка"_cp;
constexpr auto kUndoEntry = "Отмяна на подготовката"_cp;
constexpr auto kSepaEntry = "Запис като SEPA XML…"_cp;
constexpr auto kBankAnswerEntry = "Отговор от банката (pain.002)…"_cp;
constexpr auto kPrintEntry = "Печат…"_cp;
constexpr auto kExitEntry = "Изход"_cp;
constexpr auto kAboutEntryText = "За програмата"_cp;

constexpr MenuBarEntry kMenuBar[] = {
    {MenuBarMenu::file, idBrowse, kOpenListEntry, "Ctrl+O"},
    {MenuBarMenu::file, idBrowse, {}, {}},
    {MenuBarMenu::file, idPrepare, kPrepareEntry, {}},
    {MenuBarMenu::file, idUndoPrepare, kUndoEntry, "Ctrl+Z"},
    {MenuBarMenu::file, idUndoPrepare, {}, {}},
    {MenuBarMenu::file, idSepaExport, kSepaEntry, {}},
    {MenuBarMenu::file, idBankAnswer, kBankAnswerEntry, {}},
    {MenuBarMenu::file, idPrint, kPrintEntry, "Ctrl+P"},
    {MenuBarMenu::file, idPrint, {}, {}},
    {MenuBarMenu::file, idCancel, kExitEntry, {}},
    {MenuBarMenu::help, kAboutEntry, kAboutEntryText, {}},
};

}  // namespace

std::span<const MenuBarEntry> menuBarEntries() { return kMenuBar; }

std::string_view menuBarTitle(MenuBarMenu menu) {
    return menu == MenuBarMenu::file ? kFileMenu.view() : kHelpMenu.view();
}

}  // namespace velcor::window
