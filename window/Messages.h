#pragma once

// Every message box text of the system (Windows-1251), and the reading of the lower layers'
// result kinds as those texts: settings and processing report what happened, the window tells
// the operator.

#include "processing/Scan.h"
#include "settings/Settings.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::window {

enum class Message {
    notStartingWithO,  // "Файлът не започва с 'О'!"
    badDateInName,     // "Невалидна дата в името на файла!"
    readError,         // "Грешка при четене на файла!"
    outOfMemory,  // "Няма достатъчно памет за обработка на файла!"
    wrongControlCode,     // "Грешен контролен код!"
    wrongTotal,           // "Грешнa сума!"
    wrongCount,           // "Грешен брой записи!"
    alreadyPrepared,      // "Файлът вече е обработен!"
    notValid,             // "Файлът не е коректен!"
    noPaymentType,        // "Не е избран вид плащане!"
    badPayerIban,         // "Грешен IBAN на платеца!"
    wrongBudgetUnitCode,  // "Грешен код на бюджетен разпоредител!"
    badBic,               // "Грешен BIC!"
    noPayerName,  // "Не е въведено наименование на наредителя!"
    openForWriteFailed,  // "Грешка при отваряне на файла за запис"
    writeFailed,         // "Грешка при запис във файлa!"
    saveQuestion,  // "Да се запишат ли данните за фирмата в INI файла?"
    pathNotUsable,  // the chosen path holds characters Windows-1251 cannot spell
};

std::string_view messageText(Message message);

// "Please enter no more than %1 characters." with the limit in place of %1.
std::string limitMessage(int limit);
// A payer value the header carries holds ";" or a line break; `field` names its edit.
std::string headerBreakingCharacterMessage(std::string_view field);

// What the operator is told of a scan that ended early: the message for its error kind (the
// list's path where the message names it). Nothing for a scan without an error.
std::optional<std::string> scanErrorMessage(const processing::ScanResult& result,
                                            std::string_view path);

// What the operator is told of a load of the settings file at `path` that failed; nothing for
// a file that cannot be read, which the window only answers by closing.
std::optional<std::string> loadErrorMessage(const settings::LoadResult& result,
                                            std::string_view path);

// What the operator is told of a save that failed; nothing after a save that worked.
std::optional<std::string_view> saveErrorMessage(settings::SaveResult result);

}  // namespace velcor::window
