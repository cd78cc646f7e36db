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
#include "window/HeaderTakeOver.h"
#include "window/ValueDateWarning.h"

#include <cstddef>
#include <utility>

namespace velcor::window {

namespace {

int limitOf(ControlId id) {
    const ControlInfo* info = controlInfo(id);
    return info != nullptr ? info->limit : 0;
}

}  // namespace

class BulkPaymentDialog::Recording {
  public:
    explicit Recording(BulkPaymentDialog& dialog) : dialog_(dialog) {
        if (dialog_.outcome_ == nullptr) dialog_.outcome_ = &outcome_;
    }
    ~Recording() {
        if (dialog_.outcome_ == &outcome_) dialog_.outcome_ = nullptr;
    }
    Recording(const Recording&) = delete;
    Recording& operator=(const Recording&) = delete;

    // The outcome, with the state as it stands now; `done` says whether the intent did its work.
    Outcome finish(bool done) {
        outcome_.done = done;
        const WorkingState& state = dialog_.state_;
        outcome_.controlData = static_cast<const processing::ControlData&>(state);
        outcome_.shown = dialog_.shown_;
        outcome_.fileValid = state.fileValid;
        outcome_.filePrepared = state.filePrepared;
        return std::move(outcome_);
    }

  private:
    BulkPaymentDialog& dialog_;
    Outcome outcome_;
};

BulkPaymentDialog::BulkPaymentDialog(DialogHost& host, fileio::FileSystem& fs,
                                     std::string settingsPath)
    : host_(host), fs_(fs), settingsPath_(std::move(settingsPath)) {
    state_.paymentDate = host_.now();
}

void BulkPaymentDialog::keepPreparesIn(std::optional<std::string> folder) {
    historyWanted_ = true;
    history_.reset();
    if (folder) history_.emplace(fs_, std::move(*folder));
}

Outcome BulkPaymentDialog::initialise() {
    Recording recording(*this);
    updateControls();
    host_.addListEntry(idFormatKind, formatKindDelimited());
    host_.addListEntry(idFormatKind, formatKindFixed());

    settings::LoadedSettings loaded;
    const settings::LoadResult load = settings::loadSettings(fs_, settingsPath_, loaded);
    if (!load.ok()) {
        noteFileCause(load.cause);
        if (auto message = loadErrorMessage(load, settingsPath_)) tell(std::move(*message));
        host_.endDialog(kCancelResult);
        return recording.finish(false);
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
    state_.paymentType = position < state_.formats.size() ? static_cast<int>(position) : -1;
    const int kind = takeFormatKind(selectedFormat());
    host_.setListSelection(idPaymentType, state_.paymentType);
    updateControls();
    host_.setListSelection(idFormatKind, kind);
    return recording.finish(true);
}

std::optional<std::string_view> BulkPaymentDialog::paymentTypeText(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= paymentTypeEntries_.size())
        return std::nullopt;
    return paymentTypeEntries_[static_cast<std::size_t>(position)];
}

const settings::FormatDefinition* BulkPaymentDialog::selectedFormat() const {
    return formatAt(state_, state_.paymentType);
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
    showText(id, value);
}

void BulkPaymentDialog::showText(ControlId id, std::string_view value) {
    host_.setControlText(id, value);
    if (id == idTotal) shown_.total = std::string(value);
    if (id == idCount) shown_.count = std::string(value);
    if (id == idControlCode) shown_.controlCode = std::string(value);
}

void BulkPaymentDialog::tell(ShownMessage message) {
    host_.showMessage(message.text);
    if (outcome_ != nullptr) outcome_->messages.push_back(std::move(message));
}

void BulkPaymentDialog::noteFileCause(std::error_code cause) {
    if (outcome_ != nullptr && cause) outcome_->fileCause = cause;
}

void BulkPaymentDialog::showFindings() {
    host_.showRowFindings(rowFindingsHtml(state_.rowFindings), state_.rowFindings,
                          state_.rowFindingsPath);
    if (outcome_ != nullptr) outcome_->findings = state_.rowFindings;
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
        tell(limitMessage(limit));
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
    // Only a scan that reads the list to its end vouches for it.
    state_.scannedPath.clear();
    state_.scannedStamp.reset();
    const settings::FormatDefinition* format = selectedFormat();
    const char delimiter = rowDelimiter(format);
    const std::int64_t findingsKept = host_.rowFindingsShown();
    processing::ScanResult result;
    host_.runLongWork(readingListText(), [&](const WorkProgress& progress) {
        result = processing::scanPaymentFile(fs_, state_.inputPath, format, delimiter, {}, progress,
                                             findingsKept);
    });
    if (result.error == processing::ScanError::cancelled) {
        noteCancelled();
        return false;
    }
    return takeScan(result);
}

bool BulkPaymentDialog::takeScan(processing::ScanResult& result) {
    // What a complete header holds reaches the window even when the rows then fail; a refused
    // first line brings nothing.
    if (result.header) takeHeaderInto(*result.header, state_);
    state_.rowFindings = std::move(result.rowFindings);
    state_.rowFindingsPath = state_.inputPath;
    noteFileCause(result.cause);
    if (auto message = scanErrorMessage(result, state_.inputPath)) {
        tell(std::move(*message));
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
        tell(Message::wrongControlCode);
        return false;
    }
    state_.controlCodeText = scanned.controlCodeText;
    if (state_.filePrepared) {
        if (text::trimBlanks(scanned.totalText) != text::trimBlanks(state_.totalText)) {
            tell(Message::wrongTotal);
            return false;
        }
        if (scanned.countText != text::trimBlanks(state_.countText)) {
            tell(Message::wrongCount);
            return false;
        }
    }
    state_.totalText = scanned.totalText;
    state_.countText = scanned.countText;
    updateControls();
    return state_.rowFindings.empty();
}

void BulkPaymentDialog::scanChosenFile() {
    state_.fileValid = scanList();
    if (state_.fileValid || cancelled_) return;
    processing::resetControlData(state_);
    if (!state_.rowFindings.empty()) showFindings();
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
            tell(Message::notStartingWithO);
            return false;
        case Kind::badDate:
            tell(Message::badDateInName);
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

void BulkPaymentDialog::startBrowsing() {
    state_.inputPath = host_.controlText(idInputPath);
    host_.clearModified(idInputPath);
    state_.paymentDate = host_.now();
}

void BulkPaymentDialog::browseInputFile() {
    Before before = keepBefore();
    startBrowsing();
    const std::optional<std::string> chosen = host_.chooseOpenFile(suggestedFileName());
    if (chosen) openChosenList(*chosen);
    if (cancelled_) putBack(std::move(before));
}

Outcome BulkPaymentDialog::openList(const std::string& path) {
    Recording recording(*this);
    Before before = keepBefore();
    startBrowsing();
    openChosenList(path);
    if (cancelled_) putBack(std::move(before));
    return recording.finish(!cancelled_ && state_.fileValid);
}

void BulkPaymentDialog::openChosenList(const std::string& path) {
    state_.fileValid = false;
    if (!nameRulesPass(path)) return;
    state_.inputPath = path;
    host_.setControlText(idInputPath, state_.inputPath);
    state_.filePrepared = false;
    processing::resetControlData(state_);
    updateControls();
    showText(idTotal, "");
    showText(idCount, "");
    showText(idControlCode, "");
    // After a scan that failed on row messages alone, the figures it showed stay on screen.
    scanChosenFile();
    showPrepared();
}

void BulkPaymentDialog::openTypedList() {
    const std::string typed = host_.controlText(idInputPath);
    // An empty edit names no list; "..." cannot answer with none either.
    if (typed.empty()) return;
    startBrowsing();
    openChosenList(typed);
}

Outcome BulkPaymentDialog::pathEdited() {
    Recording recording(*this);
    forgetList();
    return recording.finish(true);
}

void BulkPaymentDialog::forgetList() {
    state_.fileValid = false;
    state_.filePrepared = false;
    state_.scannedPath.clear();
    state_.scannedStamp.reset();
    state_.rowFindings = {};
    processing::resetControlData(state_);
    showText(idTotal, "");
    showText(idCount, "");
    showText(idControlCode, "");
    showPrepared();
}

void BulkPaymentDialog::changePaymentType() {
    Before before = keepBefore();
    // The host reports the operator's choice; from here on the logic holds it.
    const int position = host_.listSelection(idPaymentType);
    state_.paymentType = formatAt(state_, position) != nullptr ? position : -1;
    takePaymentType();
    if (cancelled_) putBack(std::move(before));
}

Outcome BulkPaymentDialog::choosePaymentType(int position) {
    Recording recording(*this);
    Before before = keepBefore();
    state_.paymentType = formatAt(state_, position) != nullptr ? position : -1;
    takePaymentType();
    if (cancelled_) putBack(std::move(before));
    return recording.finish(!cancelled_ && state_.paymentType >= 0 &&
                            (state_.inputPath.empty() || state_.fileValid));
}

BulkPaymentDialog::Before BulkPaymentDialog::keepBefore() {
    cancelled_ = false;
    return {state_, shown_, host_.controlText(idInputPath), host_.dateValue(idPaymentDate),
            host_.listSelection(idFormatKind)};
}

void BulkPaymentDialog::putBack(Before before) {
    before.state.payerIban = std::move(state_.payerIban);
    before.state.payerBic = std::move(state_.payerBic);
    before.state.payerName = std::move(state_.payerName);
    before.state.paymentKindCode = std::move(state_.paymentKindCode);
    before.state.budgetUnitCode = std::move(state_.budgetUnitCode);
    state_ = std::move(before.state);
    updateControls();
    host_.setControlText(idInputPath, before.pathText);
    host_.setDateValue(idPaymentDate, before.pickerDate);
    showText(idTotal, before.shown.total);
    showText(idCount, before.shown.count);
    showText(idControlCode, before.shown.controlCode);
    host_.setListSelection(idPaymentType, state_.paymentType);
    host_.setListSelection(idFormatKind, before.formatKind);
    showPrepared();
}

void BulkPaymentDialog::noteCancelled() {
    cancelled_ = true;
    if (outcome_ != nullptr) outcome_->cancelled = true;
}

void BulkPaymentDialog::takePaymentType() {
    const int kind = takeFormatKind(selectedFormat());
    updateControls();
    host_.setListSelection(idFormatKind, kind);
    host_.setListSelection(idPaymentType, state_.paymentType);
    if (state_.inputPath.empty()) return;

    showText(idTotal, "");
    showText(idCount, "");
    showText(idControlCode, "");
    scanChosenFile();
    showPrepared();
    updateControls();
}

Outcome BulkPaymentDialog::typePayerValues(const TypedPayerValues& values) {
    Recording recording(*this);
    const std::pair<const std::optional<std::string>&, ControlId> edits[] = {
        {values.iban, idPayerIban},
        {values.bic, idPayerBic},
        {values.name, idPayerName},
        {values.kindCode, idPaymentKindCode},
        {values.budgetUnitCode, idBudgetUnitCode}};
    // The edit and its member hold the value alike, so that no refresh of the edits can lose it
    // before it is taken over, and that take-over checks its length as for anything typed.
    for (const auto& [value, id] : edits) {
        if (!value) continue;
        *editMember(id) = *value;
        host_.setControlText(id, *value);
    }
    return recording.finish(true);
}

void BulkPaymentDialog::showPrepared() {
    host_.setChecked(idPrepared, state_.filePrepared);
    host_.setReadOnly(idPaymentDate, state_.filePrepared);
}

Outcome BulkPaymentDialog::setValueDate(int day, int month, int year) {
    Recording recording(*this);
    if (state_.filePrepared) return recording.finish(false);
    processing::LocalDateTime& date = state_.paymentDate;
    date.day = day;
    date.month = month;
    date.year = year;
    date.valid = true;
    host_.setDateValue(idPaymentDate, date);
    return recording.finish(true);
}

bool BulkPaymentDialog::prepareFile() {
    if (state_.filePrepared) {
        tell(Message::alreadyPrepared);
        showPrepared();
        return false;
    }
    if (!state_.fileValid) {
        tell(Message::notValid);
        return false;
    }
    // A list scanned without a payment type had its rows counted but none checked, and the header
    // would name no layout: it is no bank file.
    if (selectedFormat() == nullptr) {
        tell(Message::noPaymentType);
        return false;
    }
    // Values cut short by a length limit must not end up in a header.
    if (!readControls()) return false;
    // Only the list that was scanned may be rewritten with its rows: another path in the field,
    // or a list changed on disk since, would get rows that are not its own.
    if (!scannedFileUnchanged()) {
        tell(Message::notValid);
        return false;
    }
    const settings::FormatDefinition* format = selectedFormat();
    if (!payerValuesPass(format) || !payerValuesFitTheHeader(format)) return false;
    if (!valueDateAccepted()) return false;
    if (!writePreparedList(format)) return false;
    state_.filePrepared = true;
    showPrepared();
    return true;
}

bool BulkPaymentDialog::payerValuesPass(const settings::FormatDefinition* format) {
    if (!settings::isSebraType(format)) {
        char reason[processing::kReasonBufferSize] = {};
        if (checks::CheckIban(state_.payerIban.c_str(), reason, sizeof reason) == 0) {
            tell(Message::badPayerIban);
            return false;
        }
    } else {
        if (!processing::CheckBudgetUnitCode(state_.budgetUnitCode.c_str())) {
            tell(Message::wrongBudgetUnitCode);
            return false;
        }
        state_.payerBic = std::string(text::trimWhitespace(state_.payerBic));
        // The header's column holds eight characters: a BIC without its branch.
        if (state_.payerBic.size() != 8 || !checks::CheckBic(state_.payerBic)) {
            tell(Message::badBic);
            return false;
        }
    }
    state_.payerName = std::string(text::trimWhitespace(state_.payerName));
    if (state_.payerName.empty()) {
        tell(Message::noPayerName);
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
        tell(headerBreakingCharacterMessage(fieldName(id)));
        host_.focusAndSelectAll(id);
        return false;
    }
    return true;
}

bool BulkPaymentDialog::valueDateAccepted() {
    const std::optional<ValueDateWarning> warning =
        valueDateWarning(state_.paymentDate, host_.now());
    if (!warning) return true;
    ShownMessage question = valueDateQuestion(*warning);
    const bool goOn = host_.askToGoOn(question.text);
    if (outcome_ != nullptr) {
        outcome_->messages.push_back(std::move(question));
        outcome_->valueDateWarning = *warning;
    }
    if (!goOn) host_.focusAndSelectAll(idPaymentDate);
    return goOn;
}

bool BulkPaymentDialog::writePreparedList(const settings::FormatDefinition* format) {
    const std::string header =
        output::buildHeaderLine(payerOf(state_), state_.paymentDate, state_, format);
    // Whatever slipped past the checks before, a header that a later scan would not read as this
    // list's control data is never written: the list stays as it is.
    if (!headerReadsBack(header, state_)) {
        tell(Message::writeFailed);
        return false;
    }
    // The copy to undo with is made before the long work: its failure needs a message.
    std::optional<output::PendingPrepare> pending;
    if (!keepListAsItWas(pending)) return false;
    // The record that makes the kept copy an entry is written before the list is replaced, so
    // that a prepared list always has one.
    std::optional<std::error_code> recordFailure;
    const auto recordPrepare = [&](const fileio::ContentDigest& prepared) {
        std::error_code cause;
        if (history_->record(*pending, prepared, cause)) return true;
        recordFailure = cause;
        return false;
    };
    output::PreparedWrite written;
    host_.runLongWork(writingListText(), [&](const WorkProgress& progress) {
        written = output::writePreparedFile(
            fs_, state_.inputPath, header, state_, state_.scannedStamp, progress,
            pending ? output::BeforeReplacing(recordPrepare) : output::BeforeReplacing(),
            format == nullptr || format->delimited ? rowDelimiter(format) : ' ');
    });
    if (pending) {
        if (written.replaced.ok())
            history_->prune();
        else
            history_->discard(*pending);
    }
    // Stopped before the rename: the list is as it was, and that needs no message.
    if (written.cancelled) {
        noteCancelled();
        return false;
    }
    if (recordFailure) {
        tell(historyNotKeptMessage(history_->folder(), fileReason(*recordFailure)));
        return false;
    }
    noteFileCause(written.replaced.cause);
    // A list that reads otherwise than it was checked must be opened and checked again.
    if (written.listChanged) state_.fileValid = false;
    switch (written.replaced.result) {
        case fileio::ReplaceResult::openFailed:
            tell(Message::openForWriteFailed);
            return false;
        case fileio::ReplaceResult::writeFailed:
            tell(Message::writeFailed);
            return false;
        case fileio::ReplaceResult::ok:
            break;
    }
    return true;
}

bool BulkPaymentDialog::keepListAsItWas(std::optional<output::PendingPrepare>& pending) {
    if (!historyWanted_) return true;
    if (!history_) {
        tell(Message::noHistoryFolder);
        return false;
    }
    output::KeptCopy kept = history_->keepCopy(state_.inputPath, *state_.scannedStamp);
    switch (kept.result) {
        case output::KeepResult::kept:
            pending = std::move(kept.pending);
            return true;
        case output::KeepResult::listChanged:
            // As for a list found changed before the write: it has to be opened again.
            tell(Message::notValid);
            return false;
        case output::KeepResult::failed:
            break;
    }
    // Not the list's cause: the list itself may well be written.
    tell(historyNotKeptMessage(history_->folder(), fileReason(kept.cause)));
    return false;
}

Outcome BulkPaymentDialog::prepare() {
    Recording recording(*this);
    const bool written = prepareFile();
    return recording.finish(written);
}

bool BulkPaymentDialog::showReport() {
    if (!state_.filePrepared) {
        // A list that failed its check has no report; what is wrong with it is shown again.
        if (!state_.rowFindings.empty()) showFindings();
        return false;
    }
    // The report states the control data as the window shows them.
    processing::ControlData shown;
    shown.totalText = state_.totalText;
    shown.countText = state_.countText;
    shown.controlCodeText = state_.controlCodeText;
    output::ReportFields fields =
        output::reportFields(state_.inputPath, state_.paymentDate, selectedFormat(),
                             paymentTypeText(state_.paymentType), shown);
    std::string report = output::buildProcessingReport(fields);
    host_.showProcessingReport(report, state_.inputPath);
    if (outcome_ != nullptr) {
        outcome_->report = std::move(report);
        outcome_->reportFields = std::move(fields);
    }
    return true;
}

Outcome BulkPaymentDialog::buildReport() {
    Recording recording(*this);
    const bool built = showReport();
    return recording.finish(built);
}

Outcome BulkPaymentDialog::reviewSepaExport() {
    Recording recording(*this);
    const bool exportable = sepaPayments(output::PainVersion::v09).has_value();
    return recording.finish(exportable);
}

Outcome BulkPaymentDialog::exportSepa(const output::SepaChoices& choices, const std::string& path) {
    Recording recording(*this);
    const bool written = writeSepa(choices, path);
    return recording.finish(written);
}

bool BulkPaymentDialog::undoPrepareFile() {
    const std::string path = state_.inputPath;
    if (!history_ || path.empty()) {
        tell(Message::nothingToUndo);
        return false;
    }
    const output::Restored restored = history_->restore(path);
    switch (restored.result) {
        case output::RestoreResult::restored:
            break;
        case output::RestoreResult::noEntry:
            tell(Message::nothingToUndo);
            return false;
        case output::RestoreResult::alreadyRestored:
            tell(Message::alreadyUndone);
            return false;
        case output::RestoreResult::listChanged:
            tell(Message::changedSincePrepare);
            return false;
        case output::RestoreResult::listUnreadable:
            noteFileCause(restored.cause);
            tell(cannotReadMessage(path));
            return false;
        case output::RestoreResult::copyDamaged:
            tell(keptCopyDamagedMessage(restored.copyPath));
            return false;
        case output::RestoreResult::openFailed:
            noteFileCause(restored.cause);
            tell(Message::openForWriteFailed);
            return false;
        case output::RestoreResult::writeFailed:
            noteFileCause(restored.cause);
            tell(Message::writeFailed);
            return false;
    }
    // The list is opened again as "..." opens it: what the window shows is the list as it is now.
    // A reading stopped there shows it unread, for what was shown before is the prepared file.
    cancelled_ = false;
    startBrowsing();
    openChosenList(path);
    tell(Message::prepareUndone);
    return true;
}

Outcome BulkPaymentDialog::undoPrepare() {
    Recording recording(*this);
    const bool undone = undoPrepareFile();
    return recording.finish(undone);
}

void BulkPaymentDialog::saveSettings() {
    const settings::PayerValues payer{state_.payerBic, state_.payerIban, state_.payerName,
                                      state_.budgetUnitCode};
    if (!settings::saveWanted(state_.filePrepared, state_.clientData, payer)) return;
    if (!host_.askYesNo(messageText(Message::saveQuestion))) return;
    const settings::SaveResult saved =
        settings::writeSettings(fs_, settingsPath_, payer, state_.iniRemainder);
    if (auto message = saveErrorMessage(saved)) tell(std::move(*message));
}

void BulkPaymentDialog::onCommand(ControlId id) {
    switch (id) {
        case idBrowse:
            browseInputFile();
            break;
        case idInputPath:
            openTypedList();
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
        case idSepaExport:
            exportSepaFlow();
            break;
        case idUndoPrepare:
            undoPrepareFile();
            break;
        default:
            break;
    }
}

}  // namespace velcor::window
