#pragma once

// Control ids of the main window, shared by the logic and every host that realises it.

namespace velcor::window {

enum ControlId : int {
    idCancel = 2,              // "Изход"
    idPrepare = 16,            // "Подготовка", the default button
    idInputPath = 1002,        // edit, "Избор на файл:"
    idBrowse = 1003,           // "..."
    idPaymentType = 1004,      // drop-down list, "Вид плащане:"
    idFormatKind = 1005,       // drop-down list, disabled, "Формат на файла:"
    idPaymentDate = 1006,      // date picker, "Дата на МП:"
    idPayerIban = 1007,        // edit, limit 22
    idPayerName = 1008,        // edit, limit 35
    idPayerBic = 1009,         // edit, limit 8
    idTotal = 1010,            // read-only edit, "Обща сума:"
    idCount = 1011,            // read-only edit, "Брой:"
    idControlCode = 1012,      // read-only edit, "Контролен код:"
    idPrint = 1013,            // "Печат"
    idPaymentKindCode = 1014,  // edit, limit 6
    idBudgetUnitCode = 1015,   // edit, limit 10
    idDelimiter = 1016,        // read-only edit, limit 1
    idPrepared = 1017,         // check box "Файлът е подготвен"
    idUndoPrepare = 32771,     // context-menu command "Отмяна на подготовката"
    // No control: the context menu's "Запис като SEPA XML...", a command as the buttons' are.
    idSepaExport = 40001,
    // No control either: "Отговор от банката (pain.002)…", which reads the bank's answer to a
    // SEPA file written before.
    idBankAnswer = 40002,
};

// A dialog ended by its cancel button answers with that button's id.
inline constexpr int kCancelResult = idCancel;

// The system-menu command that opens the About box. System-menu commands are numbers of their own,
// not control ids (the system keeps their low four bits): 16 is the first one free.
inline constexpr int kAboutCommand = 16;

}  // namespace velcor::window
