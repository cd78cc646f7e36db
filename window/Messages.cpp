#include "window/Messages.h"

#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/ControlTable.h"

namespace velcor::window {

using namespace velcor::text::literals;

namespace {

constexpr auto kNotStartingWithO = "Файлът не започва с 'О'!"_cp;
constexpr auto kBadDateInName = "Невалидна дата в името на файла!"_cp;
constexpr auto kCannotRead = "Не може да се прочете файл: "_cp;
constexpr auto kReadError = "Грешка при четене на файла!"_cp;
constexpr auto kOutOfMemory = "Няма достатъчно памет за обработка на файла!"_cp;
constexpr auto kSavedAsUtf8 =
    "Файлът %s е записан в UTF-8. Запишете го с кодировка Windows-1251 (Кирилица) и опитайте "
    "отново."_cp;
constexpr auto kNoPayments = "Файлът не съдържа плащания!"_cp;
constexpr auto kNotAHeader =
    "Първият ред започва с OMP, но не е пълен заглавен ред на подготвен файл!"_cp;
constexpr auto kWrongControlCode = "Грешен контролен код!"_cp;
constexpr auto kWrongTotal = "Грешнa сума!"_cp;  // the "a" is Latin, as the message always had it
constexpr auto kWrongCount = "Грешен брой записи!"_cp;
constexpr auto kAlreadyPrepared = "Файлът вече е обработен!"_cp;
constexpr auto kNotValid = "Файлът не е коректен!"_cp;
constexpr auto kNoPaymentType = "Не е избран вид плащане!"_cp;
constexpr auto kBadPayerIban = "Грешен IBAN на платеца!"_cp;
constexpr auto kWrongBudgetUnitCode = "Грешен код на бюджетен разпоредител!"_cp;
constexpr auto kBadBic = "Грешен BIC!"_cp;
constexpr auto kNoPayerName = "Не е въведено наименование на наредителя!"_cp;
// Both write failures keep a Latin "a" before the "!" where a Cyrillic one would stand.
constexpr auto kOpenForWriteFailed = "Грешка при отваряне на файла за запис"_cp;
constexpr auto kWriteFailed = "Грешка при запис във файлa!"_cp;
constexpr auto kSaveQuestion = "Да се запишат ли данните за фирмата в INI файла?"_cp;
constexpr auto kHeaderBreakingCharacter =
    "Недопустим знак (точка и запетая, нов ред или друг управляващ знак) в полето „%s“!"_cp;
constexpr auto kBadFieldDefinition = "Некоректна дефиниция за поле: %s от секция: %s"_cp;
constexpr auto kIniOpenForWriteFailed = "Грешка при отваряне на INI файла за запис"_cp;
constexpr auto kIniWriteFailed = "Грешка при запис в INI файлa!"_cp;
// A chosen path that Windows-1251 cannot spell would reach the files under another name.
constexpr auto kPathNotUsable =
    "Пътят до файла съдържа знаци, които програмата не може да използва!"_cp;

std::string savedAsUtf8Message(std::string_view path) {
    return text::format(kSavedAsUtf8.c_str(), std::string(path).c_str());
}

}  // namespace

std::string_view messageText(Message message) {
    switch (message) {
        case Message::notStartingWithO:
            return kNotStartingWithO;
        case Message::badDateInName:
            return kBadDateInName;
        case Message::readError:
            return kReadError;
        case Message::outOfMemory:
            return kOutOfMemory;
        case Message::wrongControlCode:
            return kWrongControlCode;
        case Message::wrongTotal:
            return kWrongTotal;
        case Message::wrongCount:
            return kWrongCount;
        case Message::alreadyPrepared:
            return kAlreadyPrepared;
        case Message::notValid:
            return kNotValid;
        case Message::noPaymentType:
            return kNoPaymentType;
        case Message::badPayerIban:
            return kBadPayerIban;
        case Message::wrongBudgetUnitCode:
            return kWrongBudgetUnitCode;
        case Message::badBic:
            return kBadBic;
        case Message::noPayerName:
            return kNoPayerName;
        case Message::openForWriteFailed:
            return kOpenForWriteFailed;
        case Message::writeFailed:
            return kWriteFailed;
        case Message::saveQuestion:
            return kSaveQuestion;
        case Message::pathNotUsable:
            return kPathNotUsable;
    }
    return {};
}

std::string limitMessage(int limit) {
    std::string message(limitMessageTemplate());
    message.replace(message.find("%1"), 2, std::to_string(limit));
    return message;
}

std::string headerBreakingCharacterMessage(std::string_view field) {
    return text::format(kHeaderBreakingCharacter.c_str(), std::string(field).c_str());
}

std::optional<std::string> scanErrorMessage(const processing::ScanResult& result,
                                            std::string_view path) {
    switch (result.error) {
        case processing::ScanError::none:
            return std::nullopt;
        case processing::ScanError::cannotOpen:
            return std::string(kCannotRead.view()) + std::string(path);
        case processing::ScanError::headerRefused:
            if (!result.header) return std::nullopt;
            switch (result.header->refusal) {
                case processing::HeaderRefusal::payerIban:
                    // A refused payer IBAN is told in the words of the IBAN check.
                    return result.header->ibanReason;
                case processing::HeaderRefusal::budgetUnitCode:
                    return std::string(kWrongBudgetUnitCode.view());
                case processing::HeaderRefusal::notAHeader:
                case processing::HeaderRefusal::none:
                    break;
            }
            return std::string(kNotAHeader.view());
        case processing::ScanError::readError:
            return std::string(kReadError.view());
        case processing::ScanError::savedAsUtf8:
            return savedAsUtf8Message(path);
        case processing::ScanError::noPayments:
            return std::string(kNoPayments.view());
        case processing::ScanError::outOfMemory:
            return std::string(kOutOfMemory.view());
    }
    return std::nullopt;
}

std::optional<std::string> loadErrorMessage(const settings::LoadResult& result,
                                            std::string_view path) {
    switch (result.error) {
        case settings::LoadError::none:
        case settings::LoadError::cannotRead:
            return std::nullopt;
        case settings::LoadError::savedAsUtf8:
            return savedAsUtf8Message(path);
        case settings::LoadError::badFieldDefinition:
            return text::format(kBadFieldDefinition.c_str(), result.fieldName.c_str(),
                                result.sectionName.c_str());
    }
    return std::nullopt;
}

std::optional<std::string_view> saveErrorMessage(settings::SaveResult result) {
    switch (result) {
        case settings::SaveResult::ok:
            return std::nullopt;
        case settings::SaveResult::openFailed:
            return kIniOpenForWriteFailed.view();
        case settings::SaveResult::writeFailed:
            return kIniWriteFailed.view();
    }
    return std::nullopt;
}

}  // namespace velcor::window
