#include "window/BulkPaymentDialog.h"

#include "output/SepaDocument.h"
#include "processing/ControlData.h"
#include "window/ControlTable.h"
#include "window/Currency.h"

#include <cstddef>
#include <utility>

namespace velcor::window {

namespace {

using session::DateAnswer;
using session::PayerField;

int limitOf(ControlId id) {
    const ControlInfo* info = controlInfo(id);
    return info != nullptr ? info->limit : 0;
}

ControlId editOf(PayerField field) {
    switch (field) {
        case PayerField::iban:
            return idPayerIban;
        case PayerField::bic:
            return idPayerBic;
        case PayerField::name:
            return idPayerName;
        case PayerField::kindCode:
            return idPaymentKindCode;
        case PayerField::budgetUnitCode:
            break;
    }
    return idBudgetUnitCode;
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
        const ListState& state = dialog_.session_.state();
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
    : host_(host), session_(fs, std::move(settingsPath)) {
    session_.useClock([this] { return host_.now(); });
    session_.runWorkWith([this](std::string_view what, const session::LongWork& work) {
        host_.runLongWork(what, work);
    });
    // A SEPA file goes to the bank as it is: the operator sees its sums before it is written.
    session_.confirmSepaWith([this](const session::SepaConfirmation& confirmation) {
        const std::string question = session::sepaConfirmationText(confirmation);
        if (outcome_ != nullptr) outcome_->sepaConfirmation = question;
        return host_.askToConfirm(question);
    });
    session_.state().paymentDate = host_.now();
}

// Showing.

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

void BulkPaymentDialog::showFigures(const processing::ControlData& figures) {
    showInEdit(idTotal, figures.totalText);
    showInEdit(idControlCode, figures.controlCodeText);
    showInEdit(idCount, figures.countText);
}

void BulkPaymentDialog::showCountedFigures(const session::Result& result) {
    // Rows read without a payment type were counted, not checked: their figures would pass for
    // a checked list's.
    if (result.counted && session_.selectedFormat() != nullptr) showFigures(*result.counted);
}

void BulkPaymentDialog::askForPaymentType() {
    if (session_.selectedFormat() == nullptr) host_.focusAndSelectAll(idPaymentType);
}

void BulkPaymentDialog::clearFigures() {
    showText(idTotal, "");
    showText(idCount, "");
    showText(idControlCode, "");
}

void BulkPaymentDialog::updateControls() {
    const ListState& state = session_.state();
    for (const ControlId id : exchangeOrder()) {
        switch (id) {
            case idPaymentDate: {
                // A value date that is no date (a bad prepared header) leaves the picker on its
                // last date.
                const processing::LocalDateTime& date = state.paymentDate;
                if (date.valid && processing::isValidDate(date.day, date.month, date.year))
                    host_.setDateValue(id, date);
                break;
            }
            case idInputPath:
                showInEdit(id, state.inputPath);
                break;
            case idPayerIban:
                showInEdit(id, state.payerIban);
                break;
            case idPayerBic:
                showInEdit(id, state.payerBic);
                break;
            case idPayerName:
                showInEdit(id, state.payerName);
                break;
            case idPaymentKindCode:
                showInEdit(id, state.paymentKindCode);
                break;
            case idBudgetUnitCode:
                showInEdit(id, state.budgetUnitCode);
                break;
            case idDelimiter:
                showInEdit(id, state.delimiterText);
                break;
            case idTotal:
                showInEdit(id, state.totalText);
                break;
            case idControlCode:
                showInEdit(id, state.controlCodeText);
                break;
            case idCount:
                showInEdit(id, state.countText);
                break;
            default:
                break;
        }
    }
}

int BulkPaymentDialog::formatKindPosition() const {
    const settings::FormatDefinition* format = session_.selectedFormat();
    return format == nullptr || format->delimited ? 0 : 1;
}

void BulkPaymentDialog::showPrepared() {
    host_.setChecked(idPrepared, session_.state().filePrepared);
    host_.setReadOnly(idPaymentDate, session_.state().filePrepared);
}

void BulkPaymentDialog::handOverEdits() {
    // Every payer edit as it stands: one the operator did not touch holds the session's value.
    TypedPayerValues typed;
    for (const PayerField field : session::kPayerFields) {
        const ControlId id = editOf(field);
        typed[field] = host_.controlText(id);
    }
    session_.typePayerValues(typed);
    session_.typeValueDate(host_.dateValue(idPaymentDate));
    session_.keepFindings(host_.rowFindingsShown());
}

void BulkPaymentDialog::markTakenOver() {
    session::TypedPayerValues pending = session_.pendingPayerValues();
    for (const PayerField field : session::kPayerFields)
        if (!pending[field]) host_.clearModified(editOf(field));
}

void BulkPaymentDialog::present(const session::Result& result) {
    markTakenOver();
    // A file the system would not read or write: the first message names it, the cause, that
    // nothing was changed and what to do.
    bool causeTold = result.kind != session::ResultKind::failed || !result.cause;
    const auto tell = [&](const ShownMessage& message) {
        // The value-date question was asked when the operator answered it.
        if (outcome_ != nullptr) outcome_->messages.push_back(message);
        if (!causeTold && message.kind != Message::valueDateQuestion) {
            causeTold = true;
            const std::string detail = session::fileProblemDetail(result.causePath, result.cause);
            host_.showMessage(message.text, detail);
            if (outcome_ != nullptr) outcome_->fileProblem = detail;
        } else if (message.kind == Message::alreadyPrepared)
            host_.showMessage(message.text, session::alreadyPreparedHint());
        else if (message.kind == Message::prepareUndone)
            confirmWithList(message);  // work done: an information box
        else if (message.kind != Message::valueDateQuestion)
            host_.showMessage(message.text);
    };
    for (std::size_t i = 0; i < result.messages.size(); ++i) {
        if (result.findings && i == result.messagesBeforeFindings) break;
        tell(result.messages[i]);
    }
    if (result.findings) {
        host_.showRowFindings(session::rowFindingsHtml(*result.findings), *result.findings,
                              session_.state().rowFindingsPath);
        for (std::size_t i = result.messagesBeforeFindings; i < result.messages.size(); ++i)
            tell(result.messages[i]);
    }
    switch (result.focus) {
        case session::Focus::none:
            break;
        case session::Focus::payerValue:
            host_.focusAndSelectAll(editOf(result.focusField));
            break;
        case session::Focus::valueDate:
            host_.focusAndSelectAll(idPaymentDate);
            break;
    }
    if (outcome_ == nullptr) return;
    if (result.findings) outcome_->findings = result.findings;
    if (result.cause) outcome_->fileCause = result.cause;
    if (result.valueDateWarning) outcome_->valueDateWarning = result.valueDateWarning;
    if (result.sepa) {
        if (!outcome_->sepa) outcome_->sepa.emplace();
        if (!result.sepa->names.empty() || !outcome_->sepa->path)
            outcome_->sepa->names = result.sepa->names;
        if (result.sepa->path) {
            outcome_->sepa->path = result.sepa->path;
            outcome_->sepa->version = result.sepa->version;
            outcome_->sepa->count = result.sepa->count;
            outcome_->sepa->total = result.sepa->total;
        }
    }
    if (result.cancelled()) outcome_->cancelled = true;
}

void BulkPaymentDialog::confirm(const ShownMessage& message, std::string_view path,
                                const processing::ControlData* figures, std::string_view currency) {
    const std::string detail = session::fileFiguresText(path, figures, currency);
    host_.showInformation(message.text, detail);
    if (outcome_ != nullptr)
        outcome_->confirmation = ShownMessage{message.kind, message.text + "\n" + detail};
}

void BulkPaymentDialog::tellAmountsInEuro(const processing::LocalDateTime& date) {
    if (euroTold_ || !listDate_.valid || !date.valid) return;
    const std::string_view from =
        currencyOfValueDate(listDate_.year, listDate_.month, listDate_.day);
    const std::string_view to = currencyOfValueDate(date.year, date.month, date.day);
    if (from == to || to != currencyOfValueDate(2026, 1, 1)) return;
    euroTold_ = true;
    const ShownMessage message = session::shownMessage(Message::amountsInEuro);
    host_.showMessage(message.text);
    if (outcome_ != nullptr) outcome_->messages.push_back(message);
}

void BulkPaymentDialog::confirmWithList(const ShownMessage& message) {
    const ListState& state = session_.state();
    const processing::LocalDateTime& date = state.paymentDate;
    confirm(message, state.inputPath, state.fileValid ? &state : nullptr,
            currencyOfValueDate(date.year, date.month, date.day));
}

session::DateAnswer BulkPaymentDialog::askAboutDate(const session::Result& result) {
    const ValueDateWarning& warning = *result.valueDateWarning;
    return host_.askAboutValueDate(session::valueDateQuestion(warning).text,
                                   session::nextBankDayChoice(warning));
}

// Settings.

Outcome BulkPaymentDialog::initialise() {
    Recording recording(*this);
    updateControls();
    host_.addListEntry(idFormatKind, formatKindDelimited());
    host_.addListEntry(idFormatKind, formatKindFixed());
    const session::Result loaded = session_.loadSettings();
    present(loaded);
    if (!loaded.done()) {
        host_.endDialog(kCancelResult);
        return recording.finish(false);
    }
    for (const std::string& entry : session_.paymentTypeEntries())
        host_.addListEntry(idPaymentType, entry);
    host_.setListSelection(idPaymentType, session_.state().paymentType);
    updateControls();
    host_.setListSelection(idFormatKind, formatKindPosition());
    return recording.finish(true);
}

// Opening a list.

BulkPaymentDialog::Before BulkPaymentDialog::keepBefore() {
    return {shown_, host_.controlText(idInputPath), host_.dateValue(idPaymentDate),
            host_.listSelection(idFormatKind)};
}

void BulkPaymentDialog::putBack(const Before& before) {
    updateControls();
    host_.setControlText(idInputPath, before.pathText);
    host_.setDateValue(idPaymentDate, before.pickerDate);
    showText(idTotal, before.shown.total);
    showText(idCount, before.shown.count);
    showText(idControlCode, before.shown.controlCode);
    host_.setListSelection(idPaymentType, session_.state().paymentType);
    host_.setListSelection(idFormatKind, before.formatKind);
    showPrepared();
}

void BulkPaymentDialog::openListFlow(const std::string& path) {
    const Before before = keepBefore();
    handOverEdits();
    const session::Result result = session_.open(path);
    markTakenOver();
    if (result.cancelled()) {
        present(result);
        putBack(before);
        return;
    }
    const bool named = session_.state().inputPath == path;
    if (named) {
        listDate_ = session_.state().paymentDate;
        euroTold_ = false;
        host_.setControlText(idInputPath, path);
        updateControls();
        clearFigures();
        showCountedFigures(result);
    }
    present(result);
    if (named) showPrepared();
    if (named) askForPaymentType();
}

Outcome BulkPaymentDialog::openList(const std::string& path) {
    Recording recording(*this);
    openListFlow(path);
    return recording.finish(session_.state().fileValid && !(outcome_ && outcome_->cancelled));
}

void BulkPaymentDialog::browseInputFile() {
    // The open dialog suggests the day's lists of the type chosen.
    session_.state().paymentDate = host_.now();
    const std::optional<std::string> chosen = host_.chooseOpenFile(session_.suggestedFileName());
    if (chosen) openListFlow(*chosen);
}

void BulkPaymentDialog::openTypedList() {
    const std::string typed = host_.controlText(idInputPath);
    // An empty edit names no list; "..." cannot answer with none either.
    if (typed.empty()) return;
    host_.clearModified(idInputPath);
    openListFlow(typed);
}

void BulkPaymentDialog::forgetList() {
    session_.forget();
    clearFigures();
    showPrepared();
}

Outcome BulkPaymentDialog::pathEdited() {
    Recording recording(*this);
    forgetList();
    return recording.finish(true);
}

void BulkPaymentDialog::changePaymentType(int position) {
    const Before before = keepBefore();
    handOverEdits();
    const bool hasList = !session_.state().inputPath.empty();
    const session::Result result = session_.choosePaymentType(position);
    markTakenOver();
    if (result.cancelled()) {
        present(result);
        putBack(before);
        return;
    }
    updateControls();
    host_.setListSelection(idFormatKind, formatKindPosition());
    host_.setListSelection(idPaymentType, session_.state().paymentType);
    if (hasList) {
        clearFigures();
        showCountedFigures(result);
    }
    present(result);
    if (!hasList) return;
    showPrepared();
    updateControls();
    if (session_.selectedFormat() == nullptr) clearFigures();
    askForPaymentType();
}

void BulkPaymentDialog::changeBudgetRules(processing::BudgetRules rules) {
    // Without a list nothing is read, and nothing the operator typed is taken over: the window
    // may not even show its values yet (the rules remembered are chosen as it is made).
    if (session_.state().inputPath.empty()) {
        session_.chooseBudgetRules(rules);
        return;
    }
    const Before before = keepBefore();
    handOverEdits();
    const session::Result result = session_.chooseBudgetRules(rules);
    markTakenOver();
    if (result.cancelled()) {
        present(result);
        putBack(before);
        return;
    }
    clearFigures();
    if (result.counted) showFigures(*result.counted);
    present(result);
    showPrepared();
    updateControls();
}

Outcome BulkPaymentDialog::chooseBudgetRules(processing::BudgetRules rules) {
    Recording recording(*this);
    changeBudgetRules(rules);
    const ListState& state = session_.state();
    const bool cancelled = outcome_ != nullptr && outcome_->cancelled;
    return recording.finish(!cancelled && (state.inputPath.empty() || state.fileValid));
}

Outcome BulkPaymentDialog::choosePaymentType(int position) {
    Recording recording(*this);
    changePaymentType(position);
    const ListState& state = session_.state();
    const bool cancelled = outcome_ != nullptr && outcome_->cancelled;
    return recording.finish(!cancelled && state.paymentType >= 0 &&
                            (state.inputPath.empty() || state.fileValid));
}

Outcome BulkPaymentDialog::typePayerValues(const TypedPayerValues& values) {
    Recording recording(*this);
    for (const PayerField field : session::kPayerFields) {
        const std::optional<std::string>& value = const_cast<TypedPayerValues&>(values)[field];
        if (value) host_.setControlText(editOf(field), *value);
    }
    session_.typePayerValues(values);
    return recording.finish(true);
}

Outcome BulkPaymentDialog::setValueDate(int day, int month, int year) {
    Recording recording(*this);
    const session::Result result = session_.setValueDate(day, month, year);
    if (result.done()) host_.setDateValue(idPaymentDate, session_.state().paymentDate);
    return recording.finish(result.done());
}

// Writing.

bool BulkPaymentDialog::prepareFlow() {
    // A path typed and not opened names another list than the one shown: it is opened first,
    // so that the operator sees its figures before anything is written.
    const std::string typed = host_.controlText(idInputPath);
    if (!typed.empty() && typed != session_.state().inputPath) {
        openTypedList();
        return false;
    }
    handOverEdits();
    if (!session_.state().filePrepared) tellAmountsInEuro(host_.dateValue(idPaymentDate));
    session::Result result = session_.prepare(DateAnswer::notAsked);
    if (!result.done() && result.valueDateWarning && result.messages.empty())
        result = session_.prepare(askAboutDate(result));
    // The next bank day taken in the question's answer is shown in the date picker.
    host_.setDateValue(idPaymentDate, session_.state().paymentDate);
    if (result.done()) tellAmountsInEuro(session_.state().paymentDate);
    present(result);
    showPrepared();
    if (result.done()) confirmWithList(session::shownMessage(Message::prepareDone));
    return result.done();
}

Outcome BulkPaymentDialog::prepare() {
    Recording recording(*this);
    const bool written = prepareFlow();
    return recording.finish(written);
}

bool BulkPaymentDialog::reportFlow() {
    session::Result result = session_.report();
    // A list checked clean and not prepared has no report, and nothing wrong to tell again: the
    // operator is told what comes first.
    const ListState& state = session_.state();
    // Without a payment type its rows were not checked at all: the type comes first then.
    const bool noType = session_.selectedFormat() == nullptr;
    if (!result.done() && result.messages.empty() && !result.findings && state.fileValid &&
        !state.filePrepared)
        result.messages.push_back(
            session::shownMessage(noType ? Message::noPaymentType : Message::reportNeedsPrepare));
    present(result);
    if (!result.done() && state.fileValid) askForPaymentType();
    if (!result.done()) return false;
    host_.showProcessingReport(*result.report, session_.state().inputPath);
    if (outcome_ != nullptr) {
        outcome_->report = result.report;
        outcome_->reportFields = result.reportFields;
    }
    return true;
}

Outcome BulkPaymentDialog::buildReport() {
    Recording recording(*this);
    const bool built = reportFlow();
    return recording.finish(built);
}

Outcome BulkPaymentDialog::reviewSepaExport() {
    Recording recording(*this);
    handOverEdits();
    const session::Result result = session_.reviewSepa();
    present(result);
    return recording.finish(result.done());
}

bool BulkPaymentDialog::exportSepaFlow(const output::SepaChoices& choices,
                                       const std::string& path) {
    handOverEdits();
    tellAmountsInEuro(host_.dateValue(idPaymentDate));
    session::Result result = session_.exportSepa(choices, path, DateAnswer::notAsked);
    if (!result.done() && result.valueDateWarning && result.messages.empty())
        result = session_.exportSepa(choices, path, askAboutDate(result));
    host_.setDateValue(idPaymentDate, session_.state().paymentDate);
    present(result);
    if (result.done() && result.sepa && result.sepa->path) {
        // The file's own figures: its number of transactions and its control sum, in euro.
        processing::ControlData figures;
        figures.countText = std::to_string(result.sepa->count);
        figures.totalText = output::sepaAmount(result.sepa->total);
        confirm(session::shownMessage(Message::sepaWritten), *result.sepa->path, &figures, "EUR");
    }
    return result.done();
}

Outcome BulkPaymentDialog::exportSepa(const output::SepaChoices& choices, const std::string& path) {
    Recording recording(*this);
    const bool written = exportSepaFlow(choices, path);
    return recording.finish(written);
}

void BulkPaymentDialog::sepaMenuFlow() {
    handOverEdits();
    const session::Result review = session_.reviewSepa();
    present(review);
    if (!review.done()) return;
    const std::optional<SepaExportAnswer> answer =
        host_.chooseSepaExport(*review.sepa, session_.suggestedSepaPath());
    if (answer) exportSepaFlow(answer->choices, answer->path);
}

bool BulkPaymentDialog::undoFlow() {
    const session::Result result = session_.undo();
    if (result.done()) {
        host_.setControlText(idInputPath, session_.state().inputPath);
        host_.clearModified(idInputPath);
        updateControls();
        clearFigures();
        if (result.counted) showFigures(*result.counted);
    }
    // The tick goes before the confirmation is shown over the window.
    showPrepared();
    present(result);
    return result.done();
}

Outcome BulkPaymentDialog::undoPrepare() {
    Recording recording(*this);
    const bool undone = undoFlow();
    return recording.finish(undone);
}

void BulkPaymentDialog::saveSettings() {
    if (!session_.saveWanted()) return;
    if (!host_.askYesNo(session::messageText(Message::saveQuestion))) return;
    present(session_.saveSettings());
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
            changePaymentType(host_.listSelection(idPaymentType));
            break;
        case idPrepare:
            prepareFlow();
            break;
        case idPrint:
            reportFlow();
            break;
        case idCancel:
            host_.endDialog(kCancelResult);
            break;
        case idSepaExport:
            sepaMenuFlow();
            break;
        case idUndoPrepare:
            undoFlow();
            break;
        case idBankAnswer:
            // Of a file written before, not of the list open: the host reads and shows it.
            host_.showBankAnswer();
            break;
        default:
            break;
    }
}

}  // namespace velcor::window
