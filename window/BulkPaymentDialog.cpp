#include "window/BulkPaymentDialog.h"

#include "checks/Iban.h"
#include "output/PreparedFile.h"
#include "output/ProcessingReport.h"
#include "processing/BudgetUnitCode.h"
#include "processing/ControlData.h"
#include "processing/Scan.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/ControlTable.h"
#include "window/HeaderReadBack.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace velcor::window {

using namespace velcor::text::literals;

namespace {

constexpr auto kNotStartingWithO = "Файлът не започва с 'О'!"_cp;
constexpr auto kBadDateInName = "Невалидна дата в името на файла!"_cp;
constexpr auto kAlreadyPrepared = "Файлът вече е обработен!"_cp;
constexpr auto kNotValid = "Файлът не е коректен!"_cp;
constexpr auto kNoPaymentType = "Не е избран вид плащане!"_cp;
constexpr auto kBadPayerIban = "Грешен IBAN на платеца!"_cp;
constexpr auto kBadBic = "Грешен BIC!"_cp;
constexpr auto kNoPayerName = "Не е въведено наименование на наредителя!"_cp;
// Both texts keep a Latin "a" before the "!" where a Cyrillic one would stand.
constexpr auto kOpenForWriteFailed = "Грешка при отваряне на файла за запис"_cp;
constexpr auto kWriteFailed = "Грешка при запис във файлa!"_cp;
constexpr auto kSaveQuestion = "Да се запишат ли данните за фирмата в INI файла?"_cp;
constexpr auto kHeaderBreakingCharacter = "Недопустим знак (; или нов ред) в полето „%s“!"_cp;

constexpr int kCancelResult = 2;

int limitOf(int id) {
    const ControlInfo* info = controlInfo(id);
    return info != nullptr ? info->limit : 0;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// The file name as the name rules read it: from after the last separator of the path up to and
// including the file name's first full stop; empty when the file name has none. Only the file
// name counts, so that a full stop in a folder name (/home/j.smith/...) does not switch the rules
// off. Both "\" and "/" count as separators so the rules hold on every system.
std::string_view ruledBaseName(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    const std::string_view fileName =
        separator == std::string_view::npos ? path : path.substr(separator + 1);
    const std::size_t dot = fileName.find('.');
    if (dot == std::string_view::npos) return {};
    return fileName.substr(0, dot + 1);
}

}  // namespace

BulkPaymentDialog::BulkPaymentDialog(DialogHost& host, fileio::FileSystem& fs,
                                     std::string settingsPath)
    : host_(host), fs_(fs), settingsPath_(std::move(settingsPath)) {
    paymentDate = host_.now();
}

bool BulkPaymentDialog::initialise() {
    updateControls();
    // The table is built once here, before any scan needs it.
    (void)processing::crc32Table();
    host_.addListEntry(idFormatKind, formatKindDelimited());
    host_.addListEntry(idFormatKind, formatKindFixed());

    settings::LoadedSettings loaded;
    if (!settings::loadSettings(fs_, settingsPath_, loaded,
                                [this](std::string_view text) { host_.showMessage(text); })) {
        host_.endDialog(kCancelResult);
        return false;
    }
    formats = std::move(loaded.formats);
    paymentTypeEntries_ = std::move(loaded.entryTexts);
    clientData = loaded.client;
    iniRemainder = std::move(loaded.iniRemainder);
    payerIban = clientData.iban;
    payerBic = clientData.bic;
    payerName = clientData.name;
    budgetUnitCode = clientData.code;
    for (const std::string& entry : paymentTypeEntries_) host_.addListEntry(idPaymentType, entry);

    int position = static_cast<int>(formats.size());
    int kind = 0;
    for (std::size_t i = 0; i < formats.size(); ++i) {
        if (formats[i].name == "DP") {
            position = static_cast<int>(i);
            delimiterText = formats[i].delimited ? std::string(1, formats[i].delimiter) : " ";
            kind = formats[i].delimited ? 0 : 1;
            break;
        }
    }
    host_.setListSelection(idPaymentType, position);
    updateControls();
    host_.setListSelection(idFormatKind, kind);
    return true;
}

void BulkPaymentDialog::showInEdit(int id, const std::string& value) {
    if (const int limit = limitOf(id); limit > 0) host_.setEditLimit(id, limit);
    if (host_.isModified(id)) return;
    host_.setControlText(id, value);
}

void BulkPaymentDialog::updateControls() {
    // A value date that is no date (a bad prepared header) leaves the picker on its last date.
    if (paymentDate.valid &&
        processing::isValidDate(paymentDate.day, paymentDate.month, paymentDate.year))
        host_.setDateValue(idPaymentDate, paymentDate);
    showInEdit(idInputPath, inputPath);
    showInEdit(idPayerIban, payerIban);
    showInEdit(idPayerBic, payerBic);
    showInEdit(idPayerName, payerName);
    showInEdit(idPaymentKindCode, paymentKindCode);
    showInEdit(idBudgetUnitCode, budgetUnitCode);
    host_.setEditLimit(idDelimiter, limitOf(idDelimiter));
    host_.setControlText(idDelimiter, delimiterText);
    host_.setControlText(idTotal, totalText);
    host_.setControlText(idControlCode, controlCodeText);
    host_.setControlText(idCount, countText);
}

bool BulkPaymentDialog::takeEdit(int id, std::string& member) {
    member = host_.controlText(id);
    host_.clearModified(id);
    const int limit = limitOf(id);
    if (limit > 0 && member.size() > static_cast<std::size_t>(limit)) {
        std::string message(limitMessageTemplate());
        message.replace(message.find("%1"), 2, std::to_string(limit));
        host_.showMessage(message);
        host_.focusAndSelectAll(id);
        return false;
    }
    return true;
}

bool BulkPaymentDialog::readControls() {
    paymentDate = host_.dateValue(idPaymentDate);
    return takeEdit(idInputPath, inputPath) && takeEdit(idPayerIban, payerIban) &&
           takeEdit(idPayerBic, payerBic) && takeEdit(idPayerName, payerName) &&
           takeEdit(idPaymentKindCode, paymentKindCode) &&
           takeEdit(idBudgetUnitCode, budgetUnitCode) && takeEdit(idDelimiter, delimiterText) &&
           takeEdit(idTotal, totalText) && takeEdit(idControlCode, controlCodeText) &&
           takeEdit(idCount, countText);
}

bool BulkPaymentDialog::scanChosenFile() {
    rowMessages.clear();
    const bool scanned = processing::scanPaymentFile(*this, *this, fs_);
    if (scanned) {
        fileInvalid = false;
        return true;
    }
    fileInvalid = true;
    processing::resetControlData(*this);
    if (!rowMessages.empty()) host_.showReport(rowMessages);
    return false;
}

bool BulkPaymentDialog::scannedFileUnchanged() {
    if (scannedPath.empty() || inputPath != scannedPath || !scannedStamp) return false;
    const std::optional<fileio::FileStamp> now = fs_.stamp(inputPath);
    return now && *now == *scannedStamp;
}

void BulkPaymentDialog::browseInputFile() {
    inputPath = host_.controlText(idInputPath);
    host_.clearModified(idInputPath);
    paymentDate = host_.now();

    const settings::FormatDefinition* format = formatAt(*this, selectedPaymentType());
    const int year = paymentDate.year > 2000 && paymentDate.year < 3000 ? paymentDate.year - 2000
                                                                        : paymentDate.year;
    const std::string typeLetters =
        format != nullptr ? text::upperLatin(std::string_view(format->name).substr(0, 2)) : "DP";
    const std::string suggestion =
        text::format("O%02d%02d%02dP.*", paymentDate.day, paymentDate.month, year) + typeLetters +
        "*";
    const std::optional<std::string> chosen = host_.chooseOpenFile(suggestion);
    if (!chosen) return;

    fileInvalid = true;
    const std::string_view name = ruledBaseName(*chosen);
    // A name that begins with a full stop is a hidden file, such as a temporary file that another
    // run left behind; it is no payment list of the day.
    if (name == ".") {
        host_.showMessage(kNotStartingWithO);
        return;
    }
    if (name.size() >= 7) {
        if (name[0] != 'O' && name[0] != 'o') {
            host_.showMessage(kNotStartingWithO);
            return;
        }
        const bool digitsInRange = name[1] >= '0' && name[1] <= '3' && isDigit(name[2]) &&
                                   name[3] >= '0' && name[3] <= '1' && isDigit(name[4]);
        if (!digitsInRange) {
            host_.showMessage(kBadDateInName);
            return;
        }
        const int day = (name[1] - '0') * 10 + (name[2] - '0');
        const int month = (name[3] - '0') * 10 + (name[4] - '0');
        const int year = paymentDate.year / 100 * 100 + (name[5] - '0') * 10 + (name[6] - '0');
        if (!isDigit(name[5]) || !isDigit(name[6]) || !processing::isValidDate(day, month, year)) {
            host_.showMessage(kBadDateInName);
            return;
        }
        paymentDate.day = day;
        paymentDate.month = month;
        paymentDate.year = year;
        paymentDate.valid = true;
    }

    inputPath = *chosen;
    host_.setControlText(idInputPath, inputPath);
    filePrepared = false;
    processing::resetControlData(*this);
    updateControls();
    host_.setControlText(idTotal, "");
    host_.setControlText(idCount, "");
    host_.setControlText(idControlCode, "");
    // After a scan that failed on row messages alone, the figures it showed stay on screen.
    scanChosenFile();
    host_.setChecked(idPrepared, filePrepared);
}

void BulkPaymentDialog::changePaymentType() {
    const int position = selectedPaymentType();
    int kind = 0;
    if (const settings::FormatDefinition* format = formatAt(*this, position)) {
        delimiterText = format->delimited ? std::string(1, format->delimiter) : " ";
        kind = format->delimited ? 0 : 1;
    }
    updateControls();
    host_.setListSelection(idFormatKind, kind);
    host_.setListSelection(idPaymentType, position);
    if (inputPath.empty()) return;

    host_.setControlText(idTotal, "");
    host_.setControlText(idCount, "");
    host_.setControlText(idControlCode, "");
    scanChosenFile();
    host_.setChecked(idPrepared, filePrepared);
    updateControls();
}

void BulkPaymentDialog::prepareFile() {
    if (filePrepared) {
        host_.showMessage(kAlreadyPrepared);
        host_.setChecked(idPrepared, filePrepared);
        return;
    }
    if (fileInvalid) {
        host_.showMessage(kNotValid);
        return;
    }
    // A list scanned without a payment type had its rows counted but none checked, and the header
    // would name no layout: it is no bank file.
    if (formatAt(*this, selectedPaymentType()) == nullptr) {
        host_.showMessage(kNoPaymentType);
        return;
    }
    // Values cut short by a length limit must not end up in a header.
    if (!readControls()) return;
    // Only the list that was scanned may be rewritten with its rows: another path in the field,
    // or a list changed on disk since, would get rows that are not its own.
    if (!scannedFileUnchanged()) {
        host_.showMessage(kNotValid);
        return;
    }

    const settings::FormatDefinition* format = formatAt(*this, selectedPaymentType());
    const bool budgetChecks = format != nullptr && format->name == "SB";
    if (!budgetChecks) {
        char reason[256] = {};
        if (checks::CheckIban(payerIban.c_str(), reason, sizeof reason) == 0) {
            host_.showMessage(kBadPayerIban);
            return;
        }
    } else {
        if (!processing::CheckBudgetUnitCode(budgetUnitCode.c_str())) {
            host_.showMessage(processing::kWrongBudgetUnitCodeMessage);
            return;
        }
        payerBic = std::string(text::trimWhitespace(payerBic));
        if (payerBic.size() != 8) {
            host_.showMessage(kBadBic);
            return;
        }
    }
    payerName = std::string(text::trimWhitespace(payerName));
    if (payerName.empty()) {
        host_.showMessage(kNoPayerName);
        return;
    }

    if (!payerValuesFitTheHeader(format)) return;

    const std::string header = output::buildHeaderLine(*this, format);
    if (acceptedLines.empty()) return;
    // Whatever slipped past the checks above, a header that a later scan would not read as this
    // list's control data is never written: the list stays as it is.
    if (!headerReadsBack(header, *this)) {
        host_.showMessage(kWriteFailed);
        return;
    }
    switch (output::writePreparedFile(fs_, inputPath, header, acceptedLines, scannedStamp)) {
        case output::PrepareWriteResult::openFailed:
            host_.showMessage(kOpenForWriteFailed);
            return;
        case output::PrepareWriteResult::writeFailed:
            host_.showMessage(kWriteFailed);
            return;
        case output::PrepareWriteResult::ok:
            break;
    }
    filePrepared = true;
    host_.setChecked(idPrepared, true);
}

bool BulkPaymentDialog::payerValuesFitTheHeader(const settings::FormatDefinition* format) {
    // The values that the header's layout carries, as it writes them, in the order of the edits.
    std::vector<std::pair<int, std::string_view>> values;
    if (output::usesSebraLayout(format)) {
        values = {{idPayerBic, text::trimWhitespace(payerBic)},
                  {idPayerName, payerName},
                  {idBudgetUnitCode, budgetUnitCode}};
    } else {
        values = {{idPayerIban, payerIban},
                  {idPayerName, payerName},
                  {idPaymentKindCode, paymentKindCode}};
    }
    for (const auto& [id, value] : values) {
        if (value.find_first_of(headerBreakingCharacters()) == std::string_view::npos) continue;
        host_.showMessage(text::format(kHeaderBreakingCharacter.c_str(), fieldName(id).c_str()));
        host_.focusAndSelectAll(id);
        return false;
    }
    return true;
}

void BulkPaymentDialog::showReport() {
    if (!filePrepared) return;
    const int position = selectedPaymentType();
    const settings::FormatDefinition* format = formatAt(*this, position);
    std::optional<std::string_view> typeText;
    if (position >= 0 && static_cast<std::size_t>(position) < paymentTypeEntries_.size())
        typeText = paymentTypeEntries_[static_cast<std::size_t>(position)];
    host_.showReport(output::buildProcessingReport(*this, format, typeText));
}

void BulkPaymentDialog::saveSettings() {
    const settings::PayerValues payer{payerBic, payerIban, payerName, budgetUnitCode};
    if (!settings::saveWanted(filePrepared, clientData, payer)) return;
    if (!host_.askYesNo(kSaveQuestion)) return;
    settings::writeSettings(fs_, settingsPath_, payer, iniRemainder,
                            [this](std::string_view text) { host_.showMessage(text); });
}

void BulkPaymentDialog::onCommand(int id) {
    switch (id) {
        case idBrowse:
            browseInputFile();
            break;
        case idPaymentType:
            changePaymentType();
            break;
        case idPrepare:
            prepareFile();
            break;
        case idPrint:
            showReport();
            break;
        case idCancel:
            host_.endDialog(kCancelResult);
            break;
        default:
            break;
    }
}

void BulkPaymentDialog::showMessage(std::string_view text) { host_.showMessage(text); }

int BulkPaymentDialog::selectedPaymentType() { return host_.listSelection(idPaymentType); }

}  // namespace velcor::window
