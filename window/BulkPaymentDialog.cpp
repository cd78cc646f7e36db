#include "window/BulkPaymentDialog.h"

#include "checks/Bic.h"
#include "checks/Iban.h"
#include "output/PreparedFile.h"
#include "output/ProcessingReport.h"
#include "processing/BudgetUnitCode.h"
#include "processing/CheckText.h"
#include "processing/ControlData.h"
#include "processing/ListName.h"
#include "processing/PreparedHeader.h"
#include "text/Text.h"
#include "window/ControlTable.h"
#include "window/HeaderReadBack.h"

#include <cstddef>
#include <utility>

namespace velcor::window {

namespace {

constexpr int kCancelResult = 2;

int limitOf(ControlId id) {
    const ControlInfo* info = controlInfo(id);
    return info != nullptr ? info->limit : 0;
}

}  // namespace

BulkPaymentDialog::BulkPaymentDialog(DialogHost& host, fileio::FileSystem& fs,
                                     std::string settingsPath)
    : host_(host), fs_(fs), settingsPath_(std::move(settingsPath)) {
    state_.paymentDate = host_.now();
}

bool BulkPaymentDialog::initialise() {
    updateControls();
    host_.addListEntry(idFormatKind, formatKindDelimited());
    host_.addListEntry(idFormatKind, formatKindFixed());

    settings::LoadedSettings loaded;
    const settings::LoadResult load = settings::loadSettings(fs_, settingsPath_, loaded);
    if (!load.ok()) {
        if (const auto message = loadErrorMessage(load, settingsPath_)) host_.showMessage(*message);
        host_.endDialog(kCancelResult);
        return false;
    }
    state_.formats = std::move(loaded.formats);
    paymentTypeEntries_ = std::move(loaded.entryTexts);
    state_.clientData = loaded.client;
    state_.iniRemainder = std::move(loaded.iniRemainder);
    state_.payerIban = state_.clientData.iban;
    state_.payerBic = state_.clientData.bic;
    state_.payerName = state_.clientData.name;
    state_.budgetUnitCode = state_.clientData.code;
    for (const std::string& entry : paymentTypeEntries_) host_.addListEntry(idPaymentType, entry);

    // The first "DP", in exact case; without one no entry is selected.
    std::size_t position = 0;
    while (position < state_.formats.size() &&
           state_.formats[position].name != settings::kDefaultTypeName)
        ++position;
    const int kind = takeFormatKind(processing::formatAt(state_, static_cast<int>(position)));
    host_.setListSelection(idPaymentType, static_cast<int>(position));
    updateControls();
    host_.setListSelection(idFormatKind, kind);
    return true;
}

int BulkPaymentDialog::selectedPaymentType() const { return host_.listSelection(idPaymentType); }

const settings::FormatDefinition* BulkPaymentDialog::selectedFormat() const {
    return processing::formatAt(state_, selectedPaymentType());
}

int BulkPaymentDialog::takeFormatKind(const settings::FormatDefinition* format) {
    // With no format the delimiter stays as it is.
    if (format == nullptr) return 0;
    state_.delimiterText = format->delimited ? std::string(1, format->delimiter) : " ";
    return format->delimited ? 0 : 1;
}

char BulkPaymentDialog::rowDelimiter(const settings::FormatDefinition* format) const {
    if (!state_.delimiterText.empty()) return state_.delimiterText.front();
    // A window that lost its delimiter text still splits at the format's own delimiter.
    return format != nullptr ? format->delimiter : ' ';
}

std::string* BulkPaymentDialog::editMember(ControlId id) {
    switch (id) {
        case idInputPath:
            return &state_.inputPath;
        case idPayerIban:
            return &state_.payerIban;
        case idPayerBic:
            return &state_.payerBic;
        case idPayerName:
            return &state_.payerName;
        case idPaymentKindCode:
            return &state_.paymentKindCode;
        case idBudgetUnitCode:
            return &state_.budgetUnitCode;
        case idDelimiter:
            return &state_.delimiterText;
        case idTotal:
            return &state_.totalText;
        case idControlCode:
            return &state_.controlCodeText;
        case idCount:
            return &state_.countText;
        default:
            return nullptr;
    }
}

void BulkPaymentDialog::showInEdit(ControlId id, const std::string& value) {
    if (const int limit = limitOf(id); limit > 0) host_.setEditLimit(id, limit);
    // Only an editable edit holds what the operator typed.
    if (controlInfo(id)->kind == ControlKind::edit && host_.isModified(id)) return;
    host_.setControlText(id, value);
}

void BulkPaymentDialog::updateControls() {
    for (const ControlId id : exchangeOrder()) {
        if (id == idPaymentDate) {
            // A value date that is no date (a bad prepared header) leaves the picker on its last
            // date.
            const processing::LocalDateTime& date = state_.paymentDate;
            if (date.valid && processing::isValidDate(date.day, date.month, date.year))
                host_.setDateValue(id, date);
        } else if (const std::string* member = editMember(id)) {
            showInEdit(id, *member);
        }
    }
}

bool BulkPaymentDialog::takeEdit(ControlId id, std::string& member) {
    member = host_.controlText(id);
    host_.clearModified(id);
    const int limit = limitOf(id);
    if (limit > 0 && member.size() > static_cast<std::size_t>(limit)) {
        host_.showMessage(limitMessage(limit));
        host_.focusAndSelectAll(id);
        return false;
    }
    return true;
}

bool BulkPaymentDialog::readControls() {
    // A value over its limit stops the exchange: the controls after it are not taken.
    for (const ControlId id : exchangeOrder()) {
        if (id == idPaymentDate) {
            state_.paymentDate = host_.dateValue(id);
        } else if (std::string* member = editMember(id)) {
            if (!takeEdit(id, *member)) return false;
        }
    }
    return true;
}

bool BulkPaymentDialog::scanList() {
    // A refused length limit has shown its message already; the scan goes on with what was taken.
    readControls();
    // Only a scan that reads the list to its end vouches for it. The lines of the last list go
    // before the next list's are read, so that two lists never take memory at once.
    std::string().swap(state_.acceptedLines);
    state_.scannedPath.clear();
    state_.scannedStamp.reset();
    const settings::FormatDefinition* format = selectedFormat();
    processing::ScanResult result =
        processing::scanPaymentFile(fs_, state_.inputPath, format, rowDelimiter(format));
    return takeScan(result);
}

bool BulkPaymentDialog::takeScan(processing::ScanResult& result) {
    // What a complete header holds reaches the window even when the rows then fail; a refused
    // first line brings nothing.
    if (result.header) processing::takeHeaderInto(*result.header, state_);
    state_.acceptedLines = std::move(result.acceptedLines);
    state_.rowMessages = std::move(result.rowMessages.text);
    if (const auto message = scanErrorMessage(result, state_.inputPath)) {
        host_.showMessage(*message);
        return false;
    }
    state_.scannedPath = state_.inputPath;
    state_.scannedStamp = result.stamp;
    return takeControlData(result.controlData);
}

bool BulkPaymentDialog::takeControlData(const processing::ControlData& scanned) {
    state_.totalSum = scanned.totalSum;
    state_.recordCount = scanned.recordCount;
    state_.controlCrc = scanned.controlCrc;
    // A prepared list is held to its header (or, after a change of the payment type, to what it
    // was recognised with), in this order: the first difference is told.
    if (state_.filePrepared && scanned.controlCodeText != state_.controlCodeText) {
        showMessage(Message::wrongControlCode);
        return false;
    }
    state_.controlCodeText = scanned.controlCodeText;
    if (state_.filePrepared) {
        if (text::trimBlanks(scanned.totalText) != text::trimBlanks(state_.totalText)) {
            showMessage(Message::wrongTotal);
            return false;
        }
        if (scanned.countText != text::trimBlanks(state_.countText)) {
            showMessage(Message::wrongCount);
            return false;
        }
    }
    state_.totalText = scanned.totalText;
    state_.countText = scanned.countText;
    updateControls();
    return state_.rowMessages.empty();
}

void BulkPaymentDialog::scanChosenFile() {
    const bool correct = scanList();
    state_.fileInvalid = !correct;
    if (correct) return;
    processing::resetControlData(state_);
    if (!state_.rowMessages.empty()) host_.showReport(state_.rowMessages);
}

bool BulkPaymentDialog::scannedFileUnchanged() {
    if (state_.scannedPath.empty() || state_.inputPath != state_.scannedPath ||
        !state_.scannedStamp)
        return false;
    const std::optional<fileio::FileStamp> now = fs_.stamp(state_.inputPath);
    return now && *now == *state_.scannedStamp;
}

std::string BulkPaymentDialog::suggestedFileName() const {
    const settings::FormatDefinition* format = selectedFormat();
    return processing::suggestedListPattern(
        state_.paymentDate, format != nullptr ? std::string_view(format->name)
                                              : std::string_view(settings::kDefaultTypeName));
}

bool BulkPaymentDialog::nameRulesPass(std::string_view path) {
    using Kind = processing::ListNameReading::Kind;
    const processing::ListNameReading name = processing::readListName(path, state_.paymentDate);
    switch (name.kind) {
        case Kind::noRules:
            return true;
        case Kind::notStartingWithO:
            showMessage(Message::notStartingWithO);
            return false;
        case Kind::badDate:
            showMessage(Message::badDateInName);
            return false;
        case Kind::dated:
            break;
    }
    processing::LocalDateTime& date = state_.paymentDate;
    date.day = name.day;
    date.month = name.month;
    date.year = name.year;
    date.valid = true;
    return true;
}

void BulkPaymentDialog::browseInputFile() {
    state_.inputPath = host_.controlText(idInputPath);
    host_.clearModified(idInputPath);
    state_.paymentDate = host_.now();
    const std::optional<std::string> chosen = host_.chooseOpenFile(suggestedFileName());
    if (!chosen) return;

    state_.fileInvalid = true;
    if (!nameRulesPass(*chosen)) return;
    state_.inputPath = *chosen;
    host_.setControlText(idInputPath, state_.inputPath);
    state_.filePrepared = false;
    processing::resetControlData(state_);
    updateControls();
    host_.setControlText(idTotal, "");
    host_.setControlText(idCount, "");
    host_.setControlText(idControlCode, "");
    // After a scan that failed on row messages alone, the figures it showed stay on screen.
    scanChosenFile();
    showPrepared();
}

void BulkPaymentDialog::changePaymentType() {
    const int position = selectedPaymentType();
    const int kind = takeFormatKind(processing::formatAt(state_, position));
    updateControls();
    host_.setListSelection(idFormatKind, kind);
    host_.setListSelection(idPaymentType, position);
    if (state_.inputPath.empty()) return;

    host_.setControlText(idTotal, "");
    host_.setControlText(idCount, "");
    host_.setControlText(idControlCode, "");
    scanChosenFile();
    showPrepared();
    updateControls();
}

void BulkPaymentDialog::selectPaymentType(int position) {
    host_.setListSelection(idPaymentType, position);
    changePaymentType();
}

void BulkPaymentDialog::showPrepared() {
    host_.setChecked(idPrepared, state_.filePrepared);
    host_.setReadOnly(idPaymentDate, state_.filePrepared);
}

bool BulkPaymentDialog::setPaymentDate(int day, int month, int year) {
    if (state_.filePrepared) return false;
    processing::LocalDateTime& date = state_.paymentDate;
    date.day = day;
    date.month = month;
    date.year = year;
    date.valid = true;
    host_.setDateValue(idPaymentDate, date);
    return true;
}

bool BulkPaymentDialog::prepareFile() {
    if (state_.filePrepared) {
        showMessage(Message::alreadyPrepared);
        showPrepared();
        return false;
    }
    if (state_.fileInvalid) {
        showMessage(Message::notValid);
        return false;
    }
    // A list scanned without a payment type had its rows counted but none checked, and the header
    // would name no layout: it is no bank file.
    if (selectedFormat() == nullptr) {
        showMessage(Message::noPaymentType);
        return false;
    }
    // Values cut short by a length limit must not end up in a header.
    if (!readControls()) return false;
    // Only the list that was scanned may be rewritten with its rows: another path in the field,
    // or a list changed on disk since, would get rows that are not its own.
    if (!scannedFileUnchanged()) {
        showMessage(Message::notValid);
        return false;
    }
    const settings::FormatDefinition* format = selectedFormat();
    if (!payerValuesPass(format) || !payerValuesFitTheHeader(format)) return false;
    if (!writePreparedList(format)) return false;
    state_.filePrepared = true;
    showPrepared();
    return true;
}

bool BulkPaymentDialog::payerValuesPass(const settings::FormatDefinition* format) {
    if (!settings::isSebraType(format)) {
        char reason[processing::kReasonBufferSize] = {};
        if (checks::CheckIban(state_.payerIban.c_str(), reason, sizeof reason) == 0) {
            showMessage(Message::badPayerIban);
            return false;
        }
    } else {
        if (!processing::CheckBudgetUnitCode(state_.budgetUnitCode.c_str())) {
            showMessage(Message::wrongBudgetUnitCode);
            return false;
        }
        state_.payerBic = std::string(text::trimWhitespace(state_.payerBic));
        // The header's column holds eight characters: a BIC without its branch.
        if (state_.payerBic.size() != 8 || !checks::CheckBic(state_.payerBic)) {
            showMessage(Message::badBic);
            return false;
        }
    }
    state_.payerName = std::string(text::trimWhitespace(state_.payerName));
    if (state_.payerName.empty()) {
        showMessage(Message::noPayerName);
        return false;
    }
    return true;
}

bool BulkPaymentDialog::payerValuesFitTheHeader(const settings::FormatDefinition* format) {
    // The values that the header's layout carries, as it writes them, in the order of the edits.
    std::vector<std::pair<ControlId, std::string_view>> values;
    if (settings::isSebraType(format)) {
        values = {{idPayerBic, text::trimWhitespace(state_.payerBic)},
                  {idPayerName, state_.payerName},
                  {idBudgetUnitCode, state_.budgetUnitCode}};
    } else {
        values = {{idPayerIban, state_.payerIban},
                  {idPayerName, state_.payerName},
                  {idPaymentKindCode, state_.paymentKindCode}};
    }
    for (const auto& [id, value] : values) {
        if (value.find_first_of(headerBreakingCharacters()) == std::string_view::npos) continue;
        host_.showMessage(headerBreakingCharacterMessage(fieldName(id)));
        host_.focusAndSelectAll(id);
        return false;
    }
    return true;
}

bool BulkPaymentDialog::writePreparedList(const settings::FormatDefinition* format) {
    const std::string header = output::buildHeaderLine(state_, format);
    if (state_.acceptedLines.empty()) return false;
    // Whatever slipped past the checks before, a header that a later scan would not read as this
    // list's control data is never written: the list stays as it is.
    if (!headerReadsBack(header, state_)) {
        showMessage(Message::writeFailed);
        return false;
    }
    switch (output::writePreparedFile(fs_, state_.inputPath, header, state_.acceptedLines,
                                      state_.scannedStamp)) {
        case fileio::ReplaceResult::openFailed:
            showMessage(Message::openForWriteFailed);
            return false;
        case fileio::ReplaceResult::writeFailed:
            showMessage(Message::writeFailed);
            return false;
        case fileio::ReplaceResult::ok:
            break;
    }
    return true;
}

bool BulkPaymentDialog::showReport() {
    if (!state_.filePrepared) return false;
    const int position = selectedPaymentType();
    std::optional<std::string_view> typeText;
    if (position >= 0 && static_cast<std::size_t>(position) < paymentTypeEntries_.size())
        typeText = paymentTypeEntries_[static_cast<std::size_t>(position)];
    host_.showReport(output::buildProcessingReport(state_, selectedFormat(), typeText));
    return true;
}

void BulkPaymentDialog::saveSettings() {
    const settings::PayerValues payer{state_.payerBic, state_.payerIban, state_.payerName,
                                      state_.budgetUnitCode};
    if (!settings::saveWanted(state_.filePrepared, state_.clientData, payer)) return;
    if (!host_.askYesNo(messageText(Message::saveQuestion))) return;
    const settings::SaveResult saved =
        settings::writeSettings(fs_, settingsPath_, payer, state_.iniRemainder);
    if (const auto message = saveErrorMessage(saved)) host_.showMessage(*message);
}

void BulkPaymentDialog::onCommand(ControlId id) {
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

}  // namespace velcor::window
