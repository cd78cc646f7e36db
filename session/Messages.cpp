#include "session/Messages.h"

#include "fileio/FileError.h"
#include "output/CategoryPurpose.h"
#include "output/SepaSchema.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <algorithm>
#include <system_error>
#include <utility>

namespace velcor::session {

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
constexpr auto kBadFieldNumbering = "Некоректна номерация на полетата в секция: %s"_cp;
constexpr auto kRepeatedField = "Полето %s е определено повече от веднъж в секция: %s"_cp;
constexpr auto kIniOpenForWriteFailed = "Грешка при отваряне на INI файла за запис"_cp;
constexpr auto kIniWriteFailed = "Грешка при запис в INI файлa!"_cp;
constexpr auto kSepaRowMessages =
    "Списъкът има съобщения за грешни редове: SEPA файл се съставя само от коректен списък!"_cp;
constexpr auto kSepaBudgetType =
    "Плащанията към бюджета (вид SB) не се записват като SEPA файл: за тях още няма обявено "
    "съответствие с pain.001!"_cp;
constexpr auto kSepaBeforeEuro =
    "Датата на МП е преди 01.01.2026: тогава сумите са в лева, а SEPA файлът е в евро!"_cp;
constexpr auto kSepaBadPurpose =
    "Категорията на плащането трябва да е код от списъка ExternalCategoryPurpose1Code на ISO "
    "20022 (например SALA)!"_cp;
constexpr auto kSepaBadInitiatorId =
    "В полето „ЕИК/БУЛСТАТ на наредителя“ трябва да е ЕИК/БУЛСТАТ от 9 или 13 цифри с верни "
    "контролни цифри!"_cp;
constexpr auto kSepaOverOwnFile =
    "SEPA файлът не може да замени списъка или файла с настройките!"_cp;
constexpr auto kPdfOverOwnFile = "PDF файлът не може да замени списъка или файла с настройките!"_cp;
// A file of another kind may be a list or a bank file of the operator's: it is never replaced.
constexpr auto kSepaRecordNotKept =
    "SEPA файлът не е записан: записът за отговора на банката не може да се запише в %s (%s)!"_cp;
constexpr auto kSepaRecordNotPlaced =
    "SEPA файлът е записан, но записът за отговора на банката не може да се запише в %s (%s): "
    "отговорът на банката за този файл няма да може да се прочете."_cp;
constexpr auto kTargetOfOtherKind =
    "Файлът %s съществува и не е %s: не се заменя. Изберете друго име!"_cp;
constexpr auto kSepaFileKind = "SEPA файл"_cp;
constexpr auto kPdfFileKind = "PDF файл"_cp;
constexpr auto kPayerBicOtherBank =
    "BIC на платеца (%s) е на друга банка, не на банката на IBAN на платеца (%s)!"_cp;
constexpr auto kSepaNoValidation =
    "Тази версия на програмата не може да провери SEPA файл по схемата му и затова не го "
    "записва!"_cp;
constexpr auto kSepaSchemaRefused =
    "Съставеният SEPA файл не отговаря на схемата %s и не е записан!"_cp;
constexpr auto kSepaAmountOutOfRange =
    "Сума извън границите за SEPA (от 0.01 до 999999999.99 евро) на ред: %lld"_cp;
constexpr auto kSepaNoName =
    "Няма име на получателя, което да се изпише с латински букви, на ред: %lld"_cp;
constexpr auto kSepaCreditorIban = "IBAN на получателя не е във вида за SEPA на ред: %lld"_cp;
constexpr auto kSepaCreditorCountry =
    "IBAN на получателя е от държава извън SEPA (%s) на ред: %lld"_cp;
constexpr auto kSepaCreditorBic = "BIC на получателя не е във вида за %s на ред: %lld"_cp;
constexpr auto kSepaEndToEndId =
    "Стойността в полето E2E не е от 1 до 35 знака от набора за SEPA (без / в началото, в края "
    "или два поред) на ред: %lld"_cp;
constexpr auto kSepaRepeatedEndToEndId =
    "Стойността в полето E2E повтаря тази от ред %lld на ред: %lld"_cp;
constexpr auto kSepaCreditorReference =
    "Стойността в полето RF не е референция по ISO 11649 (RF, две контролни цифри и до 21 букви "
    "или цифри) на ред: %lld"_cp;
constexpr auto kSepaBudgetAccount =
    "Плащане към бюджетна сметка не се записва в SEPA файл: за кода за плащане и задълженото "
    "лице още няма обявено съответствие с pain.001, на ред: %lld"_cp;
// A chosen path that Windows-1251 cannot spell would reach the files under another name.
constexpr auto kPathNotUsable =
    "Пътят до файла съдържа знаци, които програмата не може да използва!"_cp;
// Without a copy of the list as it was, a payer value typed wrong would stay in the bank file
// for good: nothing is written then.
constexpr auto kNoHistoryFolder =
    "Файлът не е подготвен: няма папка, в която да се запази копието му за отмяна на "
    "подготовката!"_cp;
constexpr auto kHistoryNotKept =
    "Файлът не е подготвен: копието му за отмяна на подготовката не може да се запише в %s "
    "(%s)!"_cp;
constexpr auto kPrepareUndone =
    "Подготовката е отменена: файлът е върнат във вида си отпреди нея."_cp;
constexpr auto kNothingToUndo =
    "Няма запазена подготовка на този файл, която да може да се отмени!"_cp;
constexpr auto kChangedSincePrepare =
    "Файлът е променен след подготовката и не може да бъде върнат!"_cp;
constexpr auto kReportNeedsPrepare =
    "Справката се съставя за подготвен файл: натиснете „Подготовка“."_cp;
constexpr auto kPrepareDone = "Файлът е подготвен."_cp;
constexpr auto kSepaWritten = "SEPA файлът е записан."_cp;
constexpr auto kFileLine = "Файл: "_cp;
constexpr auto kAmountsInEuro =
    "С дата на МП след 31.12.2025 сумите в списъка трябва да са в евро, а не в лева!"_cp;
constexpr auto kAlreadyUndone = "Подготовката на този файл вече е отменена!"_cp;
constexpr auto kKeptCopyDamaged =
    "Запазеното копие на файла липсва или е повредено (%s): файлът не е върнат!"_cp;
constexpr auto kSepaNameCut =
    "Името на получателя е по-дълго от 70 знака на латиница и във файла е съкратено на ред: "
    "%lld"_cp;
constexpr auto kSepaRemittanceCut =
    "Основанието е по-дълго от 140 знака на латиница и във файла е съкратено (краят му се губи) "
    "на ред: %lld"_cp;
constexpr auto kSepaCutsLeftOut =
    "Още %lld реда със съкратено име или основание не са показани."_cp;
// The EPC rules let a transaction carry a structured or a free text, not both.
constexpr auto kSepaRemittanceDropped =
    "Основанието не се изпраща: във файла вместо него е референцията от полето RF на ред: %lld"_cp;
constexpr auto kSepaDroppedLeftOut =
    "Още %lld реда, чието основание е заменено от референцията RF, не са показани."_cp;
constexpr auto kAlreadyPreparedHint =
    "Ако подготовката е направена с тази програма, тя може да се отмени от меню „Файл“, команда "
    "„Отмяна на подготовката“ (Ctrl+Z)."_cp;
constexpr auto kKeptCopyLetGo =
    "Подготовката на този файл не може да бъде отменена: копието му отпреди нея е изтрито, за да "
    "не надхвърля папката за отмяна %s (пази най-много %s и копия до %d дни)."_cp;
constexpr auto kMoreRowMessages = "Показани са първите %lld съобщения; още %lld не са показани."_cp;

std::string savedAsUtf8Message(std::string_view path) {
    return text::format(kSavedAsUtf8.c_str(), std::string(path).c_str());
}

}  // namespace

std::string_view messageKindName(Message message) {
    switch (message) {
        case Message::notStartingWithO:
            return "not-starting-with-o";
        case Message::badDateInName:
            return "bad-date-in-name";
        case Message::readError:
            return "read-error";
        case Message::outOfMemory:
            return "out-of-memory";
        case Message::wrongControlCode:
            return "wrong-control-code";
        case Message::wrongTotal:
            return "wrong-total";
        case Message::wrongCount:
            return "wrong-count";
        case Message::alreadyPrepared:
            return "already-prepared";
        case Message::notValid:
            return "not-valid";
        case Message::noPaymentType:
            return "no-payment-type";
        case Message::badPayerIban:
            return "bad-payer-iban";
        case Message::wrongBudgetUnitCode:
            return "wrong-budget-unit-code";
        case Message::badBic:
            return "bad-bic";
        case Message::noPayerName:
            return "no-payer-name";
        case Message::openForWriteFailed:
            return "open-for-write-failed";
        case Message::writeFailed:
            return "write-failed";
        case Message::saveQuestion:
            return "save-question";
        case Message::pathNotUsable:
            return "path-not-usable";
        case Message::noPayments:
            return "no-payments";
        case Message::notAHeader:
            return "not-a-header";
        case Message::iniOpenForWriteFailed:
            return "ini-open-for-write-failed";
        case Message::iniWriteFailed:
            return "ini-write-failed";
        case Message::lengthLimit:
            return "length-limit";
        case Message::headerBreakingCharacter:
            return "header-breaking-character";
        case Message::cannotRead:
            return "cannot-read";
        case Message::savedAsUtf8:
            return "saved-as-utf8";
        case Message::headerIbanRefused:
            return "header-iban-refused";
        case Message::badFieldDefinition:
            return "bad-field-definition";
        case Message::sepaRowMessages:
            return "sepa-row-messages";
        case Message::sepaBudgetType:
            return "sepa-budget-type";
        case Message::sepaBeforeEuro:
            return "sepa-before-euro";
        case Message::sepaBadPurpose:
            return "sepa-bad-purpose";
        case Message::sepaBadInitiatorId:
            return "sepa-bad-initiator-id";
        case Message::sepaOverOwnFile:
            return "sepa-over-own-file";
        case Message::sepaNoValidation:
            return "sepa-no-validation";
        case Message::sepaSchemaRefused:
            return "sepa-schema-refused";
        case Message::sepaAmountOutOfRange:
            return "sepa-amount-out-of-range";
        case Message::sepaNoName:
            return "sepa-no-name";
        case Message::sepaCreditorIban:
            return "sepa-creditor-iban";
        case Message::sepaCreditorCountry:
            return "sepa-creditor-country";
        case Message::sepaCreditorBic:
            return "sepa-creditor-bic";
        case Message::sepaBudgetAccount:
            return "sepa-budget-account";
        case Message::sepaEndToEndId:
            return "sepa-end-to-end-id";
        case Message::sepaRepeatedEndToEndId:
            return "sepa-repeated-end-to-end-id";
        case Message::sepaCreditorReference:
            return "sepa-creditor-reference";
        case Message::valueDateQuestion:
            return "value-date-question";
        case Message::noHistoryFolder:
            return "no-history-folder";
        case Message::prepareUndone:
            return "prepare-undone";
        case Message::nothingToUndo:
            return "nothing-to-undo";
        case Message::changedSincePrepare:
            return "changed-since-prepare";
        case Message::alreadyUndone:
            return "already-undone";
        case Message::reportNeedsPrepare:
            return "report-needs-prepare";
        case Message::prepareDone:
            return "prepare-done";
        case Message::sepaWritten:
            return "sepa-written";
        case Message::amountsInEuro:
            return "amounts-in-euro";
        case Message::historyNotKept:
            return "history-not-kept";
        case Message::keptCopyDamaged:
            return "kept-copy-damaged";
        case Message::keptCopyLetGo:
            return "kept-copy-let-go";
        case Message::pdfOverOwnFile:
            return "pdf-over-own-file";
        case Message::targetOfOtherKind:
            return "target-of-other-kind";
        case Message::payerBicOtherBank:
            return "payer-bic-other-bank";
        case Message::sepaRecordNotKept:
            return "sepa-record-not-kept";
        case Message::sepaRecordNotPlaced:
            return "sepa-record-not-placed";
    }
    return {};
}

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
        case Message::noPayments:
            return kNoPayments;
        case Message::notAHeader:
            return kNotAHeader;
        case Message::iniOpenForWriteFailed:
            return kIniOpenForWriteFailed;
        case Message::iniWriteFailed:
            return kIniWriteFailed;
        case Message::sepaRowMessages:
            return kSepaRowMessages;
        case Message::sepaBudgetType:
            return kSepaBudgetType;
        case Message::sepaBeforeEuro:
            return kSepaBeforeEuro;
        case Message::sepaBadPurpose:
            return kSepaBadPurpose;
        case Message::sepaBadInitiatorId:
            return kSepaBadInitiatorId;
        case Message::sepaOverOwnFile:
            return kSepaOverOwnFile;
        case Message::sepaNoValidation:
            return kSepaNoValidation;
        case Message::noHistoryFolder:
            return kNoHistoryFolder;
        case Message::prepareUndone:
            return kPrepareUndone;
        case Message::nothingToUndo:
            return kNothingToUndo;
        case Message::changedSincePrepare:
            return kChangedSincePrepare;
        case Message::alreadyUndone:
            return kAlreadyUndone;
        case Message::reportNeedsPrepare:
            return kReportNeedsPrepare;
        case Message::prepareDone:
            return kPrepareDone;
        case Message::sepaWritten:
            return kSepaWritten;
        case Message::amountsInEuro:
            return kAmountsInEuro;
        case Message::lengthLimit:
        case Message::headerBreakingCharacter:
        case Message::cannotRead:
        case Message::savedAsUtf8:
        case Message::headerIbanRefused:
        case Message::badFieldDefinition:
        case Message::sepaSchemaRefused:
        case Message::sepaAmountOutOfRange:
        case Message::sepaNoName:
        case Message::sepaCreditorIban:
        case Message::sepaCreditorCountry:
        case Message::sepaCreditorBic:
        case Message::sepaBudgetAccount:
        case Message::sepaEndToEndId:
        case Message::sepaRepeatedEndToEndId:
        case Message::sepaCreditorReference:
        case Message::valueDateQuestion:
        case Message::historyNotKept:
        case Message::keptCopyDamaged:
        case Message::keptCopyLetGo:
        case Message::targetOfOtherKind:
        case Message::payerBicOtherBank:
        case Message::sepaRecordNotKept:
        case Message::sepaRecordNotPlaced:
            break;
        case Message::pdfOverOwnFile:
            return kPdfOverOwnFile;
    }
    return {};
}

std::string_view paymentTypeLabel() { return "Вид плащане:"_cp; }
std::string_view totalLabel() { return "Обща сума:"_cp; }
std::string_view countLabel() { return "Брой:"_cp; }
std::string_view controlCodeLabel() { return "Контролен код:"_cp; }
std::string_view preparedText() { return "Файлът е подготвен"_cp; }

std::string fileFiguresText(std::string_view path, const processing::ControlData* figures,
                            std::string_view currency) {
    std::string out(kFileLine.view());
    out += path;
    if (figures == nullptr) return out;
    out += '\n';
    out += countLabel();
    out += ' ';
    out += text::trimBlanks(figures->countText);
    out += '\n';
    out += totalLabel();
    out += ' ';
    out += text::trimBlanks(figures->totalText);
    out += ' ';
    out += currency;
    return out;
}

std::string_view alreadyPreparedHint() { return kAlreadyPreparedHint; }

ShownMessage shownMessage(Message message) { return {message, std::string(messageText(message))}; }

ShownMessage limitMessage(int limit) {
    std::string message("Please enter no more than %1 characters.");
    message.replace(message.find("%1"), 2, std::to_string(limit));
    return {Message::lengthLimit, message};
}

ShownMessage headerBreakingCharacterMessage(std::string_view field) {
    return {Message::headerBreakingCharacter,
            text::format(kHeaderBreakingCharacter.c_str(), std::string(field).c_str())};
}

ShownMessage sepaRowFaultMessage(const output::SepaRowFault& fault, output::PainVersion version) {
    const auto row = static_cast<long long>(fault.row);
    switch (fault.problem) {
        case output::SepaRowProblem::amountOutOfRange:
            return {Message::sepaAmountOutOfRange,
                    text::format(kSepaAmountOutOfRange.c_str(), row)};
        case output::SepaRowProblem::noName:
            return {Message::sepaNoName, text::format(kSepaNoName.c_str(), row)};
        case output::SepaRowProblem::iban:
            return {Message::sepaCreditorIban, text::format(kSepaCreditorIban.c_str(), row)};
        case output::SepaRowProblem::country:
            return {Message::sepaCreditorCountry,
                    text::format(kSepaCreditorCountry.c_str(), fault.country.c_str(), row)};
        case output::SepaRowProblem::endToEndId:
            return {Message::sepaEndToEndId, text::format(kSepaEndToEndId.c_str(), row)};
        case output::SepaRowProblem::repeatedEndToEndId:
            return {Message::sepaRepeatedEndToEndId,
                    text::format(kSepaRepeatedEndToEndId.c_str(),
                                 static_cast<long long>(fault.earlierRow), row)};
        case output::SepaRowProblem::budgetAccount:
            return {Message::sepaBudgetAccount, text::format(kSepaBudgetAccount.c_str(), row)};
        case output::SepaRowProblem::creditorReference:
            return {Message::sepaCreditorReference,
                    text::format(kSepaCreditorReference.c_str(), row)};
        case output::SepaRowProblem::bic:
            break;
    }
    return {Message::sepaCreditorBic,
            text::format(kSepaCreditorBic.c_str(),
                         std::string(output::painVersionName(version)).c_str(), row)};
}

ShownMessage sepaSchemaRefusedMessage(output::PainVersion version) {
    return {Message::sepaSchemaRefused,
            text::format(kSepaSchemaRefused.c_str(),
                         std::string(output::painVersionName(version)).c_str())};
}

ShownMessage cannotReadMessage(std::string_view path) {
    return {Message::cannotRead, std::string(kCannotRead.view()) + std::string(path)};
}

ShownMessage historyNotKeptMessage(std::string_view folder, std::string_view reason) {
    return {Message::historyNotKept,
            text::format(kHistoryNotKept.c_str(), std::string(folder).c_str(),
                         std::string(reason).c_str())};
}

ShownMessage sepaRecordMessage(bool placed, std::string_view folder, std::string_view reason) {
    return {placed ? Message::sepaRecordNotPlaced : Message::sepaRecordNotKept,
            text::format(placed ? kSepaRecordNotPlaced.c_str() : kSepaRecordNotKept.c_str(),
                         std::string(folder).c_str(), std::string(reason).c_str())};
}

ShownMessage targetOfOtherKindMessage(std::string_view path, bool sepa) {
    return {Message::targetOfOtherKind,
            text::format(kTargetOfOtherKind.c_str(), std::string(path).c_str(),
                         sepa ? kSepaFileKind.c_str() : kPdfFileKind.c_str())};
}

ShownMessage payerBicOtherBankMessage(std::string_view bic, std::string_view iban) {
    return {Message::payerBicOtherBank,
            text::format(kPayerBicOtherBank.c_str(), std::string(bic).c_str(),
                         std::string(iban).c_str())};
}

ShownMessage keptCopyDamagedMessage(std::string_view copyPath) {
    return {Message::keptCopyDamaged,
            text::format(kKeptCopyDamaged.c_str(), std::string(copyPath).c_str())};
}

ShownMessage keptCopyLetGoMessage(std::string_view folder, std::uint64_t maxBytes, int maxDays) {
    // In bytes below a megabyte, whole megabytes below a gigabyte, and gigabytes with one
    // decimal from there on.
    constexpr std::uint64_t kMb = std::uint64_t{1} << 20;
    std::string size;
    if (maxBytes >= 1024 * kMb)
        size = text::format("%.1f GB",
                            static_cast<double>(maxBytes) / static_cast<double>(1024 * kMb));
    else if (maxBytes >= kMb)
        size = text::format("%llu MB", static_cast<unsigned long long>(maxBytes / kMb));
    else
        size = text::format("%llu байта"_cp.c_str(), static_cast<unsigned long long>(maxBytes));
    return {
        Message::keptCopyLetGo,
        text::format(kKeptCopyLetGo.c_str(), std::string(folder).c_str(), size.c_str(), maxDays)};
}

std::optional<ShownMessage> scanErrorMessage(const processing::ScanResult& result,
                                             std::string_view path) {
    switch (result.error) {
        case processing::ScanError::none:
            return std::nullopt;
        case processing::ScanError::cannotOpen:
            return cannotReadMessage(path);
        case processing::ScanError::headerRefused:
            if (!result.header) return std::nullopt;
            switch (result.header->refusal) {
                case processing::HeaderRefusal::payerIban:
                    // A refused payer IBAN is told in the words of the IBAN check.
                    return ShownMessage{Message::headerIbanRefused, result.header->ibanReason};
                case processing::HeaderRefusal::budgetUnitCode:
                    return shownMessage(Message::wrongBudgetUnitCode);
                case processing::HeaderRefusal::notAHeader:
                case processing::HeaderRefusal::none:
                    break;
            }
            return shownMessage(Message::notAHeader);
        case processing::ScanError::readError:
            return shownMessage(Message::readError);
        case processing::ScanError::savedAsUtf8:
            return ShownMessage{Message::savedAsUtf8, savedAsUtf8Message(path)};
        case processing::ScanError::noPayments:
            return shownMessage(Message::noPayments);
        case processing::ScanError::rowsNotTaken:
            // Only a write that reads the list again hands its rows on.
            return shownMessage(Message::writeFailed);
        case processing::ScanError::outOfMemory:
            return shownMessage(Message::outOfMemory);
        case processing::ScanError::cancelled:
            return std::nullopt;  // the operator stopped the reading: there is nothing to tell
    }
    return std::nullopt;
}

std::optional<ShownMessage> loadErrorMessage(const settings::LoadResult& result,
                                             std::string_view path) {
    switch (result.error) {
        case settings::LoadError::none:
        case settings::LoadError::cannotRead:
            return std::nullopt;
        case settings::LoadError::savedAsUtf8:
            return ShownMessage{Message::savedAsUtf8, savedAsUtf8Message(path)};
        case settings::LoadError::badFieldDefinition:
            return ShownMessage{Message::badFieldDefinition,
                                text::format(kBadFieldDefinition.c_str(), result.fieldName.c_str(),
                                             result.sectionName.c_str())};
        case settings::LoadError::badFieldNumbering:
            return ShownMessage{
                Message::badFieldDefinition,
                text::format(kBadFieldNumbering.c_str(), result.sectionName.c_str())};
        case settings::LoadError::repeatedField:
            return ShownMessage{Message::badFieldDefinition,
                                text::format(kRepeatedField.c_str(), result.fieldName.c_str(),
                                             result.sectionName.c_str())};
    }
    return std::nullopt;
}

std::optional<ShownMessage> saveErrorMessage(settings::SaveResult result) {
    switch (result) {
        case settings::SaveResult::ok:
            return std::nullopt;
        case settings::SaveResult::openFailed:
            return shownMessage(Message::iniOpenForWriteFailed);
        case settings::SaveResult::writeFailed:
            return shownMessage(Message::iniWriteFailed);
    }
    return std::nullopt;
}

std::vector<SepaCutWarning> sepaCutWarnings(const SepaOutcome& outcome) {
    std::vector<SepaCutWarning> warnings;
    for (const SepaName& name : outcome.names) {
        const auto row = static_cast<long long>(name.row);
        if (name.nameCut)
            warnings.push_back(
                {"sepa-name-cut", name.row, text::format(kSepaNameCut.c_str(), row)});
        if (name.remittanceCut)
            warnings.push_back(
                {"sepa-remittance-cut", name.row, text::format(kSepaRemittanceCut.c_str(), row)});
        if (name.remittanceDropped)
            warnings.push_back({"sepa-remittance-dropped", name.row,
                                text::format(kSepaRemittanceDropped.c_str(), row)});
    }
    if (outcome.cutsLeftOut > 0)
        warnings.push_back(
            {"sepa-cuts-left-out", 0,
             text::format(kSepaCutsLeftOut.c_str(), static_cast<long long>(outcome.cutsLeftOut))});
    if (outcome.droppedLeftOut > 0)
        warnings.push_back({"sepa-dropped-left-out", 0,
                            text::format(kSepaDroppedLeftOut.c_str(),
                                         static_cast<long long>(outcome.droppedLeftOut))});
    return warnings;
}

namespace {

// The causes the operator can do something about, each with what to do.
enum class CauseKind { missing, denied, busy, full, other };

CauseKind causeKind(std::error_code error) {
#ifdef _WIN32
    // The system's own codes, which the standard library does not always map.
    if (error.category() == std::system_category()) {
        switch (error.value()) {
            case 2:  // ERROR_FILE_NOT_FOUND
            case 3:  // ERROR_PATH_NOT_FOUND
                return CauseKind::missing;
            case 5:   // ERROR_ACCESS_DENIED
            case 19:  // ERROR_WRITE_PROTECT
                return CauseKind::denied;
            case 32:    // ERROR_SHARING_VIOLATION
            case 33:    // ERROR_LOCK_VIOLATION
            case 1224:  // ERROR_USER_MAPPED_FILE
                return CauseKind::busy;
            case 39:   // ERROR_HANDLE_DISK_FULL
            case 112:  // ERROR_DISK_FULL
                return CauseKind::full;
            default:
                break;
        }
    }
#endif
    if (error == std::errc::no_such_file_or_directory || error == std::errc::not_a_directory)
        return CauseKind::missing;
    if (error == std::errc::permission_denied || error == std::errc::operation_not_permitted ||
        error == std::errc::read_only_file_system)
        return CauseKind::denied;
    if (error == std::errc::device_or_resource_busy || error == std::errc::text_file_busy)
        return CauseKind::busy;
    if (error == std::errc::no_space_on_device) return CauseKind::full;
    return CauseKind::other;
}

constexpr auto kHeldByAnother = "файлът е отворен от друга програма (напр. Excel)"_cp;
constexpr auto kCauseLine = "Причина: %s."_cp;
constexpr auto kNothingChanged = "Нищо не е променено."_cp;
constexpr auto kWhenMissing =
    "Проверете дали файлът не е преместен, преименуван или изтрит, и го изберете отново."_cp;
constexpr auto kWhenDenied =
    "Проверете дали файлът и папката му не са само за четене и дали имате право да пишете в тях, "
    "или копирайте списъка в папка, в която можете да пишете."_cp;
constexpr auto kWhenBusy = "Затворете файла в другата програма и опитайте отново."_cp;
constexpr auto kWhenFull = "Освободете място на диска и опитайте отново."_cp;
constexpr auto kWhenOther =
    "Опитайте отново; ако грешката се повтаря, копирайте списъка в друга папка."_cp;

}  // namespace

std::string fileReason(std::error_code error) {
    static const std::pair<std::errc, std::string_view> kTexts[] = {
        {std::errc::no_such_file_or_directory, "няма такъв файл"_cp},
        {std::errc::not_a_directory, "част от пътя не е папка"_cp},
        {std::errc::permission_denied, "няма права за достъп"_cp},
        {std::errc::operation_not_permitted, "няма права за достъп"_cp},
        {std::errc::read_only_file_system, "устройството е само за четене"_cp},
        {std::errc::is_a_directory, "това е папка"_cp},
        {std::errc::too_many_symbolic_link_levels, "твърде много символни връзки"_cp},
        {std::errc::filename_too_long, "твърде дълго име"_cp},
        {std::errc::no_space_on_device, "няма място на устройството"_cp},
        {std::errc::broken_pipe, "изходът е затворен"_cp},
        {std::errc::bad_file_descriptor, "изходът е затворен"_cp},
        {std::errc::io_error, "входно-изходна грешка"_cp},
    };
    if (error == fileio::FileError::notRegularFile)
        return std::string("това не е обикновен файл"_cp);
    for (const auto& [condition, words] : kTexts)
        if (error == condition) return std::string(words);
    switch (causeKind(error)) {
        case CauseKind::busy:
            return std::string(kHeldByAnother);
        case CauseKind::missing:
            return std::string("няма такъв файл"_cp);
        case CauseKind::denied:
            return std::string("няма права за достъп"_cp);
        case CauseKind::full:
            return std::string("няма място на устройството"_cp);
        case CauseKind::other:
            break;
    }
    return text::format("системна грешка %d"_cp.c_str(), error.value());
}

std::string fileProblemDetail(std::string_view path, std::error_code cause) {
    std::string detail;
    if (!path.empty()) detail += std::string(kFileLine.view()) + std::string(path) + "\n";
    detail += text::format(kCauseLine.c_str(), fileReason(cause).c_str()) + "\n";
    detail += std::string(kNothingChanged) + " ";
    switch (causeKind(cause)) {
        case CauseKind::missing:
            return detail + std::string(kWhenMissing);
        case CauseKind::denied:
            return detail + std::string(kWhenDenied);
        case CauseKind::busy:
            return detail + std::string(kWhenBusy);
        case CauseKind::full:
            return detail + std::string(kWhenFull);
        case CauseKind::other:
            break;
    }
    return detail + std::string(kWhenOther);
}

namespace {

constexpr auto kSepaConfirmQuestion = "Да се запише ли SEPA файлът?"_cp;
constexpr auto kSepaConfirmAccount = "Сметка на наредителя: %s"_cp;
constexpr auto kSepaConfirmDate = "Дата на изпълнение: %02d.%02d.%04d"_cp;
constexpr auto kSepaConfirmCount = "Брой преводи: %lld"_cp;
constexpr auto kSepaConfirmTotal = "Обща сума: %s EUR"_cp;
constexpr auto kSepaConfirmKind = "Вид на файла: %s"_cp;
constexpr auto kSepaConfirmVersion = "Версия: %s"_cp;
constexpr auto kSepaConfirmPurpose = "Категория на плащането: %s – %s"_cp;
constexpr auto kSepaConfirmNoPurpose = "Категория на плащането: не е посочена"_cp;
constexpr auto kSepaConfirmInstant = "Незабавен превод (SEPA Instant): %s"_cp;
constexpr auto kStandardVersion = "Стандартен (препоръчан)"_cp;
constexpr auto kOlderVersion = "За банки, които искат старата версия"_cp;

}  // namespace

std::string_view painVersionWords(output::PainVersion version) {
    return version == output::PainVersion::v09 ? kStandardVersion.view() : kOlderVersion.view();
}

std::string sepaConfirmationText(const SepaConfirmation& c) {
    const std::string version(output::painVersionName(c.choices.version));
    const output::CategoryPurpose* purpose = output::findCategoryPurpose(c.choices.categoryPurpose);
    std::string text = std::string(kSepaConfirmQuestion) + "\n\n";
    text += text::format(kSepaConfirmAccount.c_str(), c.debtorIban.c_str()) + "\n";
    text += text::format(kSepaConfirmDate.c_str(), c.valueDate.day, c.valueDate.month,
                         c.valueDate.year) +
            "\n";
    text += text::format(kSepaConfirmCount.c_str(), static_cast<long long>(c.count)) + "\n";
    text += text::format(kSepaConfirmTotal.c_str(), output::sepaAmount(c.total).c_str()) + "\n";
    text += text::format(kSepaConfirmKind.c_str(),
                         std::string(painVersionWords(c.choices.version)).c_str()) +
            "\n";
    text += text::format(kSepaConfirmVersion.c_str(), version.c_str()) + "\n";
    text += purpose ? text::format(kSepaConfirmPurpose.c_str(), std::string(purpose->code).c_str(),
                                   std::string(purpose->meaning).c_str())
                    : std::string(kSepaConfirmNoPurpose);
    text += "\n";
    text += text::format(kSepaConfirmInstant.c_str(),
                         c.choices.instant ? "да"_cp.c_str() : "не"_cp.c_str());
    return text;
}

std::optional<std::string> leftOutFindingsLine(const processing::RowFindings& findings) {
    if (findings.leftOut() == 0) return std::nullopt;
    return text::format(kMoreRowMessages.c_str(),
                        static_cast<long long>(processing::kMaxRowMessages),
                        static_cast<long long>(findings.leftOut()));
}

std::string rowFindingsHtml(const processing::RowFindings& findings) {
    std::string html;
    // A screen may keep more findings for its table; the message list names the first ones.
    const std::size_t listed =
        std::min(findings.kept.size(), static_cast<std::size_t>(processing::kMaxRowMessages));
    for (std::size_t i = 0; i < listed; ++i) html += findings.kept[i].text + "<BR>";
    if (const auto line = leftOutFindingsLine(findings)) html += *line + "<BR>";
    return html;
}

}  // namespace velcor::session
