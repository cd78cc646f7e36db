#pragma once

// Every message box text of the system (Windows-1251), and the reading of the lower layers'
// result kinds as those texts: settings and processing report what happened, the window tells
// the operator.

#include "output/SepaExport.h"
#include "processing/Scan.h"
#include "session/SepaValues.h"
#include "settings/Settings.h"

#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velcor::session {

// Every message box of the window, by what it says. The first ones have a fixed text
// (messageText); the rest are made with the values they name.
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
    pathNotUsable,          // the chosen path holds characters Windows-1251 cannot spell
    noPayments,             // "Файлът не съдържа плащания!"
    notAHeader,             // a first line beginning with OMP that is no whole header
    iniOpenForWriteFailed,  // "Грешка при отваряне на INI файла за запис"
    iniWriteFailed,         // "Грешка при запис в INI файлa!"
    noHistoryFolder,        // no folder to keep the copy that would undo a prepare in
    prepareUndone,          // "Подготовката е отменена: ..."
    nothingToUndo,          // no kept prepare of the list
    changedSincePrepare,  // the list is not what its prepare wrote
    alreadyUndone,        // the list is as it was before its prepare
    reportNeedsPrepare,   // "Печат" on a list checked clean and not prepared
    prepareDone,          // "Файлът е подготвен." (the window's confirmation)
    sepaWritten,          // "SEPA файлът е записан." (the window's confirmation)
    amountsInEuro,        // a list from before 2026 given a value date in euro: its amounts must be
    // Made with values:
    lengthLimit,              // "Please enter no more than %1 characters."
    headerBreakingCharacter,  // a payer value holds ";" or a control byte; names its edit
    cannotRead,               // "Не може да се прочете файл: " and the path
    savedAsUtf8,              // a list or omp.ini saved in UTF-8, named
    headerIbanRefused,        // a prepared list's payer IBAN, in the IBAN check's words
    badFieldDefinition,       // a field line of omp.ini that lays out no column
    historyNotKept,           // the copy that would undo a prepare could not be kept; names why
    keptCopyDamaged,          // the copy a prepare kept is missing or damaged; names it
    keptCopyLetGo,  // the copy a prepare kept was let go to keep the undo folder within its cap
    // The SEPA export's, with a fixed text:
    sepaRowMessages,     // the list has row messages
    sepaBudgetType,      // the budget payment type SB has no SEPA form yet
    sepaBeforeEuro,      // a value date before 1 January 2026, when amounts were in leva
    sepaBadPurpose,      // a category purpose that is no code of ISO's list
    sepaBadInitiatorId,  // an initiating party's id that is no EIK/BULSTAT
    sepaOverOwnFile,     // the file would replace the list or the settings
    sepaNoValidation,    // a build without schema validation writes no SEPA file
    // and made with values:
    sepaSchemaRefused,       // the file its schema refuses; names the version
    sepaAmountOutOfRange,    // names the row
    sepaNoName,              // no creditor name in Latin letters; names the row
    sepaCreditorIban,        // names the row
    sepaCreditorCountry,     // an IBAN of a country outside SEPA; names the country and the row
    sepaCreditorBic,         // names the row and the version
    sepaBudgetAccount,       // a row to a budget account, which has no SEPA form yet; names the row
    sepaEndToEndId,          // an E2E value that is no identifier of the file; names the row
    sepaRepeatedEndToEndId,  // an E2E value given twice; names both rows
    sepaCreditorReference,   // an RF value that is no creditor reference; names the row
    valueDateQuestion,       // a value date the bank may refuse: go on? (ValueDateWarning.h)
    // The gate of every file written beside a list:
    pdfOverOwnFile,     // the report's PDF would replace the list or the settings
    targetOfOtherKind,  // an existing file of another kind would be replaced; names it
    payerBicOtherBank,  // the payer's BIC is not of the payer IBAN's bank; names both
    // The record a SEPA export leaves for the bank's answer; names the folder and why:
    sepaRecordNotKept,    // it could not be written, so neither was the file
    sepaRecordNotPlaced,  // the file was written, its record could not be put in place
};

// A message box as it was shown.
struct ShownMessage {
    Message kind;
    std::string text;  // Windows-1251
    friend bool operator==(const ShownMessage&, const ShownMessage&) = default;
};

// The kind as scripts read it: "not-valid", "wrong-control-code", ...
std::string_view messageKindName(Message message);

// The text of a message that has a fixed one; empty for the others.
std::string_view messageText(Message message);
// A message with a fixed text.
ShownMessage shownMessage(Message message);

// What a confirmation of the window says below its words: the file, the number of payments and
// their total with its currency, one a line ("Файл: ...", "Брой: ...", "Обща сума: ... EUR").
// Without figures (a list that did not pass its check) the file alone.
std::string fileFiguresText(std::string_view path, const processing::ControlData* figures,
                            std::string_view currency);

// What the window adds below "Файлът вече е обработен!": where a prepare is undone.
std::string_view alreadyPreparedHint();

// "Please enter no more than %1 characters." with the limit in place of %1.
ShownMessage limitMessage(int limit);
// A payer value the header carries holds ";" or a control byte; `field` names its edit.
ShownMessage headerBreakingCharacterMessage(std::string_view field);

// "Не може да се прочете файл: " and the path.
ShownMessage cannotReadMessage(std::string_view path);
// The copy that would undo a prepare could not be kept in `folder`, for `reason`.
ShownMessage historyNotKeptMessage(std::string_view folder, std::string_view reason);
// The record of a SEPA export not written to `folder` (before the file, or after it: `placed`).
ShownMessage sepaRecordMessage(bool placed, std::string_view folder, std::string_view reason);
// An existing file at `path` that is not a SEPA file (`sepa`) or a PDF would be replaced.
ShownMessage targetOfOtherKindMessage(std::string_view path, bool sepa);
// The payer's BIC names another bank than the payer's IBAN.
ShownMessage payerBicOtherBankMessage(std::string_view bic, std::string_view iban);
// The copy at `copyPath` that a prepare kept is missing or holds other bytes.
ShownMessage keptCopyDamagedMessage(std::string_view copyPath);
// The copy a prepare kept was let go, so that the undo folder `folder` keeps no more than
// `maxBytes` and no copy older than `maxDays` days.
ShownMessage keptCopyLetGoMessage(std::string_view folder, std::uint64_t maxBytes, int maxDays);

// What the operator is told of a scan that ended early: the message for its error kind (the
// list's path where the message names it). Nothing for a scan without an error.
std::optional<ShownMessage> scanErrorMessage(const processing::ScanResult& result,
                                             std::string_view path);

// What the operator is told of a load of the settings file at `path` that failed; nothing for
// a file that cannot be read, which the window only answers by closing.
std::optional<ShownMessage> loadErrorMessage(const settings::LoadResult& result,
                                             std::string_view path);

// What the operator is told of a save that failed; nothing after a save that worked.
std::optional<ShownMessage> saveErrorMessage(settings::SaveResult result);

// A row that a SEPA file of `version` cannot carry, named; the file its schema refused.
ShownMessage sepaRowFaultMessage(const output::SepaRowFault& fault, output::PainVersion version);
ShownMessage sepaSchemaRefusedMessage(output::PainVersion version);

// The warnings of a SEPA export whose rows lost the end of their name or text in the file, or
// their text to a creditor reference: one for each such row shown, in row order, and one for
// those left out of each kind.
struct SepaCutWarning {
    // "sepa-name-cut", "sepa-remittance-cut", "sepa-remittance-dropped", "sepa-cuts-left-out",
    // "sepa-dropped-left-out"
    std::string_view kind;
    std::int64_t row = 0;  // 0 for those left out
    std::string text;      // Windows-1251
};
std::vector<SepaCutWarning> sepaCutWarnings(const SepaOutcome& outcome);

// The question of the confirmation (Windows-1251), a line for each of its values.
std::string sepaConfirmationText(const SepaConfirmation& confirmation);

// The version of a SEPA file in words: "Стандартен (препоръчан)" for .09, "За банки, които
// искат старата версия" for .03.
std::string_view painVersionWords(output::PainVersion version);

// Why a file could not be used, in words for the operator: "няма такъв файл", "това е папка".
std::string fileReason(std::error_code cause);

// What the operator reads below a file's failure (Windows-1251): the file (`path`, Windows-1251;
// none when empty), why, that nothing was changed, and what to do about that cause.
std::string fileProblemDetail(std::string_view path, std::error_code cause);

// The names the list's figures go by, as the window labels them and velcor-cli prints them.
std::string_view paymentTypeLabel();  // "Вид плащане:"
std::string_view totalLabel();        // "Обща сума:"
std::string_view countLabel();        // "Брой:"
std::string_view controlCodeLabel();  // "Контролен код:"
std::string_view preparedText();      // "Файлът е подготвен"

// The report window's text of row findings: each followed by "<BR>", and a closing line when
// some were left out.
std::string rowFindingsHtml(const processing::RowFindings& findings);
// That closing line (without "<BR>"); nothing when every finding was kept.
std::optional<std::string> leftOutFindingsLine(const processing::RowFindings& findings);

}  // namespace velcor::session
