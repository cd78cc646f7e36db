#include "session/ListSession.h"
#include "session/ListSessionRun.h"

#include "checks/Bic.h"
#include "checks/Iban.h"
#include "output/PreparedFile.h"
#include "output/ProcessingReport.h"
#include "processing/BudgetUnitCode.h"
#include "processing/CheckText.h"
#include "processing/ListName.h"
#include "processing/PreparedHeader.h"
#include "session/HeaderTakeOver.h"
#include "text/Text.h"

#include <utility>

namespace velcor::session {

namespace {

// Whether two paths name one file: the same text, or, where the system tells files apart, the
// same file on disk (a link, another spelling).
bool sameFile(fileio::FileSystem& fs, const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::optional<fileio::FileStamp> first = fs.stamp(a);
    const std::optional<fileio::FileStamp> second = fs.stamp(b);
    return first && second && first->fileId != 0 && *first == *second;
}

}  // namespace

ListSession::ListSession(fileio::FileSystem& fs, std::string settingsPath)
    : fs_(fs),
      settingsPath_(std::move(settingsPath)),
      runner_([](std::string_view, const LongWork& work) { work({}); }),
      now_([] { return processing::currentLocalDateTime(); }) {}

void ListSession::keepPreparesIn(std::optional<std::string> folder, const output::HistoryCap& cap) {
    historyWanted_ = true;
    history_.reset();
    if (!folder) return;
    history_.emplace(fs_, std::move(*folder));
    history_->setCap(cap);
}

Result ListSession::finish(Run& run, ResultKind kind) {
    if (run.cancelled) {
        // As if the operation had not begun, but for the payer values taken over on the way:
        // they are what the operator gave.
        const PayerValues payer = payerValuesOf(state_);
        state_ = std::move(run.before);
        setPayerValues(state_, payer);
        kind = ResultKind::cancelled;
    }
    Result& result = run.result;
    result.kind = kind;
    result.controlData = static_cast<const processing::ControlData&>(state_);
    result.fileValid = state_.fileValid;
    result.filePrepared = state_.filePrepared;
    return std::move(result);
}

Result ListSession::loadSettings() {
    Run run;
    settings::LoadedSettings loaded;
    const settings::LoadResult load = settings::loadSettings(fs_, settingsPath_, loaded);
    if (!load.ok()) {
        run.noteCause(load.cause, settingsPath_);
        if (auto message = loadErrorMessage(load, settingsPath_)) run.tell(std::move(*message));
        return finish(run, load.cause ? ResultKind::failed : ResultKind::refused);
    }
    state_.formats = std::move(loaded.formats);
    entries_ = std::move(loaded.entryTexts);
    state_.clientData = loaded.client;
    state_.iniRemainder = std::move(loaded.iniRemainder);
    state_.payerIban = state_.clientData.iban;
    state_.payerBic = state_.clientData.bic;
    state_.payerName = state_.clientData.name;
    state_.budgetUnitCode = state_.clientData.code;
    state_.paymentDate = now_();
    // The first "DP", in exact case; without one no entry is selected.
    std::size_t position = 0;
    while (position < state_.formats.size() &&
           state_.formats[position].name != settings::kDefaultTypeName)
        ++position;
    state_.paymentType = position < state_.formats.size() ? static_cast<int>(position) : -1;
    takeFormatKind(selectedFormat());
    return finish(run, ResultKind::ok);
}

std::optional<std::string_view> ListSession::paymentTypeText(int position) const {
    if (position < 0 || static_cast<std::size_t>(position) >= entries_.size()) return std::nullopt;
    return entries_[static_cast<std::size_t>(position)];
}

const settings::FormatDefinition* ListSession::selectedFormat() const {
    return formatAt(state_, state_.paymentType);
}

void ListSession::takeFormatKind(const settings::FormatDefinition* format) {
    // With no format the delimiter stays as it is.
    if (format == nullptr) return;
    state_.delimiterText = format->delimited ? std::string(1, format->delimiter) : " ";
}

char ListSession::rowDelimiter(const settings::FormatDefinition* format) const {
    if (!state_.delimiterText.empty()) return state_.delimiterText.front();
    return format != nullptr ? format->delimiter : ' ';
}

std::string ListSession::suggestedFileName() const {
    const settings::FormatDefinition* format = selectedFormat();
    return processing::suggestedListPattern(
        state_.paymentDate, format != nullptr ? std::string_view(format->name)
                                              : std::string_view(settings::kDefaultTypeName));
}

void ListSession::typePayerValues(const TypedPayerValues& values) {
    for (const PayerField field : kPayerFields)
        if (const std::optional<std::string>& value = const_cast<TypedPayerValues&>(values)[field])
            typed_[field] = *value;
}

bool ListSession::takeTyped(Run& run) {
    if (typedDate_) state_.paymentDate = *std::exchange(typedDate_, std::nullopt);
    PayerValues values = payerValuesOf(state_);
    const std::optional<PayerField> over = takeOverPayerValues(typed_, values);
    setPayerValues(state_, values);
    if (!over) return true;
    run.tell(limitMessage(payerFieldLimit(*over)));
    run.result.focus = Focus::payerValue;
    run.result.focusField = *over;
    return false;
}

// Reading the list.

void ListSession::scan(Run& run) {
    // A refused length limit has its message; the scan goes on with what was taken.
    takeTyped(run);
    checkMessages_.clear();
    state_.scannedPath.clear();
    state_.scannedStamp.reset();
    const settings::FormatDefinition* format = selectedFormat();
    const char delimiter = rowDelimiter(format);
    processing::ScanResult scanned;
    runner_(readingListText(), [&](const WorkProgress& progress) {
        processing::ScanOptions options;
        options.progress = progress;
        options.findingsKept = findingsKept_;
        options.budgetRules = state_.budgetRules;
        scanned = processing::scanPaymentFile(fs_, state_.inputPath, format, delimiter, options);
    });
    if (scanned.error == processing::ScanError::cancelled) {
        run.cancelled = true;
        return;
    }
    const std::size_t told = run.result.messages.size();
    state_.fileValid = takeScan(run, scanned);
    checkMessages_.assign(run.result.messages.begin() + static_cast<std::ptrdiff_t>(told),
                          run.result.messages.end());
    if (state_.fileValid) return;
    processing::resetControlData(state_);
    if (!state_.rowFindings.empty()) {
        run.result.findings = state_.rowFindings;
        run.result.messagesBeforeFindings = run.result.messages.size();
    }
}

bool ListSession::takeScan(Run& run, processing::ScanResult& scanned) {
    // What a complete header holds is taken even when the rows then fail; a refused first line
    // brings nothing.
    if (scanned.header) takeHeaderInto(*scanned.header, state_);
    state_.rowFindings = std::move(scanned.rowFindings);
    state_.budgetRows = scanned.budgetRows;
    state_.rowFindingsPath = state_.inputPath;
    run.noteCause(scanned.cause, state_.inputPath);
    if (auto message = scanErrorMessage(scanned, state_.inputPath)) {
        run.tell(std::move(*message));
        return false;
    }
    state_.scannedPath = state_.inputPath;
    state_.scannedStamp = scanned.stamp;
    return takeControlData(run, scanned.controlData);
}

bool ListSession::takeControlData(Run& run, const processing::ControlData& scanned) {
    state_.totalSum = scanned.totalSum;
    state_.recordCount = scanned.recordCount;
    state_.controlCrc = scanned.controlCrc;
    // A prepared list is held to its header (or, after a change of the payment type, to what it
    // was recognised with), in this order: the first difference is told.
    if (state_.filePrepared && scanned.controlCodeText != state_.controlCodeText) {
        run.tell(Message::wrongControlCode);
        return false;
    }
    state_.controlCodeText = scanned.controlCodeText;
    if (state_.filePrepared) {
        if (text::trimBlanks(scanned.totalText) != text::trimBlanks(state_.totalText)) {
            run.tell(Message::wrongTotal);
            return false;
        }
        if (scanned.countText != text::trimBlanks(state_.countText)) {
            run.tell(Message::wrongCount);
            return false;
        }
    }
    state_.totalText = scanned.totalText;
    state_.countText = scanned.countText;
    run.result.counted = static_cast<const processing::ControlData&>(state_);
    return state_.rowFindings.empty();
}

bool ListSession::nameRulesPass(Run& run, std::string_view path) {
    using Kind = processing::ListNameReading::Kind;
    const processing::ListNameReading name = processing::readListName(path, state_.paymentDate);
    switch (name.kind) {
        case Kind::noRules:
            return true;
        case Kind::notStartingWithO:
            run.tell(Message::notStartingWithO);
            return false;
        case Kind::badDate:
            run.tell(Message::badDateInName);
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

void ListSession::openChosen(Run& run, const std::string& path) {
    state_.fileValid = false;
    if (!nameRulesPass(run, path)) return;
    state_.inputPath = path;
    state_.filePrepared = false;
    processing::resetControlData(state_);
    scan(run);
}

Result ListSession::open(const std::string& path) {
    Run run;
    run.before = state_;
    typedDate_.reset();
    state_.paymentDate = now_();
    openChosen(run, path);
    return finish(run, state_.fileValid   ? ResultKind::ok
                       : run.result.cause ? ResultKind::failed
                                          : ResultKind::refused);
}

Result ListSession::forget() {
    Run run;
    state_.fileValid = false;
    state_.filePrepared = false;
    state_.scannedPath.clear();
    state_.scannedStamp.reset();
    state_.rowFindings = {};
    checkMessages_.clear();
    processing::resetControlData(state_);
    return finish(run, ResultKind::ok);
}

void ListSession::takePaymentType(Run& run) {
    takeFormatKind(selectedFormat());
    if (state_.inputPath.empty()) return;
    scan(run);
}

Result ListSession::choosePaymentType(int position) {
    Run run;
    run.before = state_;
    state_.paymentType = formatAt(state_, position) != nullptr ? position : -1;
    takePaymentType(run);
    const bool done = state_.paymentType >= 0 && (state_.inputPath.empty() || state_.fileValid);
    return finish(run, done               ? ResultKind::ok
                       : run.result.cause ? ResultKind::failed
                                          : ResultKind::refused);
}

Result ListSession::chooseBudgetRules(processing::BudgetRules rules) {
    Run run;
    run.before = state_;
    state_.budgetRules = rules;
    // As a change of the payment type: the list open is checked again, by the rules now chosen.
    if (!state_.inputPath.empty()) scan(run);
    const bool done = state_.inputPath.empty() || state_.fileValid;
    return finish(run, done               ? ResultKind::ok
                       : run.result.cause ? ResultKind::failed
                                          : ResultKind::refused);
}

Result ListSession::setValueDate(int day, int month, int year) {
    Run run;
    if (state_.filePrepared) return finish(run, ResultKind::refused);
    processing::LocalDateTime& date = state_.paymentDate;
    date.day = day;
    date.month = month;
    date.year = year;
    date.valid = true;
    return finish(run, ResultKind::ok);
}

bool ListSession::scannedFileUnchanged() const {
    if (state_.scannedPath.empty() || state_.inputPath != state_.scannedPath ||
        !state_.scannedStamp)
        return false;
    const std::optional<fileio::FileStamp> now = fs_.stamp(state_.inputPath);
    return now && *now == *state_.scannedStamp;
}

// The gates.

bool ListSession::dateAccepted(Run& run, DateAnswer answer) {
    const std::optional<ValueDateWarning> warning = valueDateWarning(state_.paymentDate, now_());
    if (!warning) return true;
    run.result.valueDateWarning = *warning;
    if (answer == DateAnswer::notAsked) return false;
    run.tell(valueDateQuestion(*warning));
    if (answer == DateAnswer::goOn) return true;
    if (answer == DateAnswer::nextBankDay && warning->nextBankDay) {
        processing::LocalDateTime& date = state_.paymentDate;
        date.year = warning->nextBankDay->year;
        date.month = warning->nextBankDay->month;
        date.day = warning->nextBankDay->day;
        date.valid = true;
        return true;
    }
    run.result.focus = Focus::valueDate;
    return false;
}

bool ListSession::payerBicOfPayerBank(Run& run, std::string_view iban, std::string_view bic) {
    const std::string compact = output::compactIban(iban);
    const std::string_view trimmed = text::trimWhitespace(bic);
    // Only a Bulgarian IBAN names its bank by the letters of a BIC.
    if (compact.size() < 8 || !compact.starts_with("BG") || trimmed.size() < 4) return true;
    std::string bank(trimmed.substr(0, 4));
    for (char& c : bank)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (bank == compact.substr(4, 4)) return true;
    run.tell(payerBicOtherBankMessage(trimmed, compact));
    return false;
}

bool ListSession::payerValuesPass(Run& run, const settings::FormatDefinition* format) {
    if (!settings::isSebraType(format)) {
        char reason[processing::kReasonBufferSize] = {};
        if (checks::CheckIban(state_.payerIban.c_str(), reason, sizeof reason) == 0) {
            run.tell(Message::badPayerIban);
            return false;
        }
    } else {
        if (!processing::CheckBudgetUnitCode(state_.budgetUnitCode.c_str())) {
            run.tell(Message::wrongBudgetUnitCode);
            return false;
        }
        state_.payerBic = std::string(text::trimWhitespace(state_.payerBic));
        // The header's column holds eight characters: a BIC without its branch.
        if (state_.payerBic.size() != 8 || !checks::CheckBic(state_.payerBic)) {
            run.tell(Message::badBic);
            return false;
        }
        // The header of the budget layout carries the BIC beside the payer's IBAN.
        if (!payerBicOfPayerBank(run, state_.payerIban, state_.payerBic)) return false;
    }
    state_.payerName = std::string(text::trimWhitespace(state_.payerName));
    if (state_.payerName.empty()) {
        run.tell(Message::noPayerName);
        return false;
    }
    return true;
}

bool ListSession::payerValuesFitTheHeader(Run& run, const settings::FormatDefinition* format) {
    // The values that the header's layout carries, as it writes them, in the order of the edits.
    std::vector<std::pair<PayerField, std::string_view>> values;
    if (settings::isSebraType(format)) {
        values = {{PayerField::bic, text::trimWhitespace(state_.payerBic)},
                  {PayerField::name, state_.payerName},
                  {PayerField::budgetUnitCode, state_.budgetUnitCode}};
    } else {
        values = {{PayerField::iban, state_.payerIban},
                  {PayerField::name, state_.payerName},
                  {PayerField::kindCode, state_.paymentKindCode}};
    }
    for (const auto& [field, value] : values) {
        if (value.find_first_of(headerBreakingCharacters()) == std::string_view::npos) continue;
        run.tell(headerBreakingCharacterMessage(payerFieldName(field)));
        run.result.focus = Focus::payerValue;
        run.result.focusField = field;
        return false;
    }
    return true;
}

std::optional<TargetRefusal> targetRefusal(fileio::FileSystem& fs, TargetKind kind,
                                           const std::string& path, const std::string& listPath,
                                           const std::string& settingsPath) {
    using Why = TargetRefusal::Why;
    if ((!listPath.empty() && sameFile(fs, path, listPath)) || sameFile(fs, path, settingsPath))
        return TargetRefusal{Why::ownFile, kind == TargetKind::sepaXml
                                               ? shownMessage(Message::sepaOverOwnFile)
                                               : shownMessage(Message::pdfOverOwnFile)};
    const std::optional<fileio::FileStamp> there = fs.stamp(path);
    if (!there) return std::nullopt;
    // A file that cannot be read is left to the write, which says why it fails.
    std::error_code cause;
    std::unique_ptr<fileio::ReadFile> file = fs.openRead(path, cause);
    if (file == nullptr) return std::nullopt;
    char start[512] = {};
    std::size_t got = 0;
    while (got < sizeof start) {
        const std::ptrdiff_t n = file->read(start + got, sizeof start - got);
        if (n <= 0) break;
        got += static_cast<std::size_t>(n);
    }
    const std::string_view head(start, got);
    if (kind == TargetKind::pdf) {
        if (head.starts_with("%PDF-")) return std::nullopt;
        return TargetRefusal{Why::otherKind, targetOfOtherKindMessage(path, false)};
    }
    // A pain.001 document of any version names its namespace near its top.
    if (head.find("urn:iso:std:iso:20022:tech:xsd:pain.001.") != std::string_view::npos)
        return std::nullopt;
    return TargetRefusal{Why::otherKind, targetOfOtherKindMessage(path, true)};
}

// Prepare.

Result ListSession::prepare(DateAnswer answer) {
    Run run;
    const auto refused = [&] { return finish(run, ResultKind::refused); };
    if (state_.filePrepared) {
        run.tell(Message::alreadyPrepared);
        return refused();
    }
    if (!state_.fileValid) {
        run.tell(Message::notValid);
        return refused();
    }
    // A list scanned without a payment type had its rows counted but none checked, and the header
    // would name no layout: it is no bank file.
    if (selectedFormat() == nullptr) {
        run.tell(Message::noPaymentType);
        return refused();
    }
    // Values cut short by a length limit must not end up in a header.
    if (!takeTyped(run)) return refused();
    // Only the list that was scanned may be rewritten with its rows: a list changed on disk since
    // would get rows that are not its own.
    if (!scannedFileUnchanged()) {
        // Gone or shut away since it was read, it is named with the system's cause; changed, it
        // has to be opened and checked again.
        std::error_code cause;
        if (!fs_.openRead(state_.inputPath, cause) && cause) {
            run.noteCause(cause, state_.inputPath);
            run.tell(Message::readError);
            return finish(run, ResultKind::failed);
        }
        run.tell(Message::notValid);
        return refused();
    }
    const settings::FormatDefinition* format = selectedFormat();
    if (!payerValuesPass(run, format) || !payerValuesFitTheHeader(run, format)) return refused();
    if (!dateAccepted(run, answer)) return refused();
    if (!writePreparedList(run, format))
        return finish(run, run.result.cause ? ResultKind::failed : ResultKind::refused);
    state_.filePrepared = true;
    return finish(run, ResultKind::ok);
}

bool ListSession::writePreparedList(Run& run, const settings::FormatDefinition* format) {
    const std::string header =
        processing::buildHeaderLine(payerOf(state_), state_.paymentDate, state_, format);
    // Whatever slipped past the checks before, a header that a later scan would not read as this
    // list's control data is never written: the list stays as it is.
    if (!processing::headerReadsBack(header, state_.paymentDate, state_)) {
        run.tell(Message::writeFailed);
        return false;
    }
    // The copy to undo with is made before the long work: its failure needs a message.
    std::optional<output::PendingPrepare> pending;
    if (!keepListAsItWas(run, pending)) return false;
    // The record that makes the kept copy an entry is written before the list is replaced, so
    // that a prepared list always has one.
    std::optional<std::error_code> recordFailure;
    const auto recordPrepare = [&](const fileio::ContentDigest& original,
                                   const fileio::ContentDigest& prepared) {
        std::error_code cause;
        if (history_->record(*pending, original, prepared, cause)) return true;
        recordFailure = cause;
        return false;
    };
    output::PreparedWrite written;
    runner_(writingListText(), [&](const WorkProgress& progress) {
        written = output::writePreparedFile(
            fs_, state_.inputPath, header, state_, state_.scannedStamp, progress,
            pending ? output::BeforeReplacing(recordPrepare) : output::BeforeReplacing(),
            format == nullptr || format->delimited ? rowDelimiter(format) : ' ');
    });
    if (pending) {
        if (written.replaced.ok())
            history_->settle(*pending);
        else
            history_->discard(*pending);
    }
    // Stopped before the rename: the list is as it was, and that needs no message.
    if (written.cancelled) {
        run.cancelled = true;
        run.before = state_;
        return false;
    }
    if (recordFailure) {
        run.tell(historyNotKeptMessage(history_->folder(), fileReason(*recordFailure)));
        return false;
    }
    run.noteCause(written.replaced.cause, state_.inputPath);
    // A list that reads otherwise than it was checked must be opened and checked again.
    if (written.listChanged) state_.fileValid = false;
    switch (written.replaced.result) {
        case fileio::ReplaceResult::openFailed:
            run.tell(Message::openForWriteFailed);
            return false;
        case fileio::ReplaceResult::writeFailed:
            run.tell(Message::writeFailed);
            return false;
        case fileio::ReplaceResult::ok:
            break;
    }
    return true;
}

bool ListSession::keepListAsItWas(Run& run, std::optional<output::PendingPrepare>& pending) {
    if (!historyWanted_) return true;
    if (!history_) {
        run.tell(Message::noHistoryFolder);
        return false;
    }
    output::KeptCopy kept;
    runner_(keepingCopyText(), [&](const WorkProgress& progress) {
        kept = history_->keepCopy(state_.inputPath, *state_.scannedStamp, progress);
    });
    switch (kept.result) {
        case output::KeepResult::kept:
            pending = std::move(kept.pending);
            return true;
        case output::KeepResult::listChanged:
            // As for a list found changed before the write: it has to be opened again.
            run.tell(Message::notValid);
            return false;
        case output::KeepResult::cancelled:
            run.cancelled = true;
            run.before = state_;
            return false;
        case output::KeepResult::failed:
            break;
    }
    // Not the list's cause: the list itself may well be written.
    run.tell(historyNotKeptMessage(history_->folder(), fileReason(kept.cause)));
    return false;
}

// Report.

void ListSession::tellCheckAgain(Run& run) {
    for (const ShownMessage& message : checkMessages_) run.tell(message);
    if (!state_.rowFindings.empty()) {
        run.result.findings = state_.rowFindings;
        run.result.messagesBeforeFindings = run.result.messages.size();
    }
}

Result ListSession::report() {
    Run run;
    // Only a prepared list whose check passed has a report: one that failed its own header
    // check, or its rows, has what is wrong with it told again.
    if (!state_.filePrepared || !state_.fileValid) {
        tellCheckAgain(run);
        return finish(run, ResultKind::refused);
    }
    // The report states the control data as the header holds them.
    processing::ControlData shown;
    shown.totalText = state_.totalText;
    shown.countText = state_.countText;
    shown.controlCodeText = state_.controlCodeText;
    output::ReportFields fields =
        output::reportFields(state_.inputPath, state_.paymentDate, selectedFormat(),
                             paymentTypeText(state_.paymentType), shown, state_.budgetRules);
    run.result.report = output::buildProcessingReport(fields);
    run.result.reportFields = std::move(fields);
    return finish(run, ResultKind::ok);
}

// Undo.

Result ListSession::undo() {
    Run run;
    const std::string path = state_.inputPath;
    const auto refused = [&](Message message) {
        run.tell(message);
        return finish(run, ResultKind::refused);
    };
    const auto failed = [&](ShownMessage message, std::error_code cause) {
        run.noteCause(cause, path);
        run.tell(std::move(message));
        return finish(run, ResultKind::failed);
    };
    if (!history_ || path.empty()) return refused(Message::nothingToUndo);
    output::Restored restored;
    runner_(undoingText(),
            [&](const WorkProgress& progress) { restored = history_->restore(path, progress); });
    switch (restored.result) {
        case output::RestoreResult::restored:
            break;
        case output::RestoreResult::cancelled:
            run.cancelled = true;
            run.before = state_;
            return finish(run, ResultKind::cancelled);
        case output::RestoreResult::copyLetGo:
            run.tell(keptCopyLetGoMessage(history_->folder(), history_->cap().maxBytes,
                                          history_->cap().maxDays));
            return finish(run, ResultKind::refused);
        case output::RestoreResult::noEntry:
            return refused(Message::nothingToUndo);
        case output::RestoreResult::alreadyRestored:
            return refused(Message::alreadyUndone);
        case output::RestoreResult::listChanged:
            return refused(Message::changedSincePrepare);
        case output::RestoreResult::listUnreadable:
            return failed(cannotReadMessage(path), restored.cause);
        case output::RestoreResult::copyDamaged:
            run.tell(keptCopyDamagedMessage(restored.copyPath));
            return finish(run, ResultKind::failed);
        case output::RestoreResult::openFailed:
            return failed(shownMessage(Message::openForWriteFailed), restored.cause);
        case output::RestoreResult::writeFailed:
            return failed(shownMessage(Message::writeFailed), restored.cause);
    }
    // The list is opened again as "..." opens it: what is held of it is the list as it is now. A
    // reading stopped there leaves it unread, for what was held before is the prepared file. The
    // value date stays the one the operator prepared with, not the one of the list's name: the
    // undo is most often made to correct a payer value, and the date would be lost on the way.
    const processing::LocalDateTime preparedDate = state_.paymentDate;
    typedDate_.reset();
    state_.paymentDate = now_();
    openChosen(run, path);
    if (preparedDate.valid &&
        processing::isValidDate(preparedDate.day, preparedDate.month, preparedDate.year))
        state_.paymentDate = preparedDate;
    if (run.cancelled) {
        run.cancelled = false;
        state_.fileValid = false;
        state_.filePrepared = false;
    }
    run.tell(Message::prepareUndone);
    return finish(run, ResultKind::ok);
}

// Settings.

bool ListSession::saveWanted() const {
    const settings::PayerValues payer{state_.payerBic, state_.payerIban, state_.payerName,
                                      state_.budgetUnitCode};
    return settings::saveWanted(state_.filePrepared, state_.clientData, payer);
}

Result ListSession::saveSettings() {
    Run run;
    const settings::PayerValues payer{state_.payerBic, state_.payerIban, state_.payerName,
                                      state_.budgetUnitCode};
    const settings::SaveResult saved =
        settings::writeSettings(fs_, settingsPath_, payer, state_.iniRemainder);
    if (auto message = saveErrorMessage(saved)) {
        run.tell(std::move(*message));
        return finish(run, ResultKind::failed);
    }
    return finish(run, ResultKind::ok);
}

std::string_view resultKindName(ResultKind kind) {
    switch (kind) {
        case ResultKind::ok:
            return "ok";
        case ResultKind::refused:
            return "refused";
        case ResultKind::failed:
            return "failed";
        case ResultKind::cancelled:
            break;
    }
    return "cancelled";
}

}  // namespace velcor::session
