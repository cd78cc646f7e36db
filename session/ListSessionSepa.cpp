// The SEPA export of a list session: a list checked clean written as a SEPA credit-transfer file,
// refused with a message of its own wherever the file could not be what the bank takes.

#include "checks/Iban.h"
#include "output/SepaCountries.h"
#include "output/SepaExport.h"
#include "output/Transliteration.h"
#include "processing/CheckText.h"
#include "session/ListSession.h"
#include "session/ListSessionRun.h"
#include "text/Text.h"

#include <random>

namespace velcor::session {

namespace {

// Amounts before 1 January 2026 were in leva: a list dated before is no euro payment.
bool isEuroValueDate(const processing::LocalDateTime& date) {
    return date.valid && processing::isValidDate(date.day, date.month, date.year) &&
           processing::isEuroDate(date.year, date.month, date.day);
}

std::vector<SepaName> namesOf(const std::vector<output::SepaPayment>& payments) {
    std::vector<SepaName> names;
    names.reserve(payments.size());
    for (const output::SepaPayment& p : payments)
        names.push_back({p.row, p.writtenName, p.name, p.remittance, p.nameCut, p.remittanceCut,
                         p.creditorReference, p.remittanceDropped});
    return names;
}

// The list as the scan that found it clean read it, for the export's own readings of its rows.
output::SepaList scannedList(const ListState& state, const settings::FormatDefinition* format,
                             char delimiter) {
    return {state.inputPath,   format,         delimiter,        state.scannedStamp,
            state.recordCount, state.totalSum, state.budgetRules};
}

// What tells why the rows of the list could not go into a file; nothing for a reading stopped
// when asked.
std::optional<ShownMessage> listErrorMessage(output::SepaListError error,
                                             const std::optional<output::SepaRowFault>& fault,
                                             output::PainVersion version,
                                             const std::string& listPath) {
    switch (error) {
        case output::SepaListError::none:
        case output::SepaListError::cancelled:
            break;
        case output::SepaListError::cannotOpen:
        case output::SepaListError::readError:
            return cannotReadMessage(listPath);
        case output::SepaListError::changed:
            return shownMessage(Message::notValid);
        case output::SepaListError::rowFault:
            if (fault) return sepaRowFaultMessage(*fault, version);
            return shownMessage(Message::notValid);
        case output::SepaListError::outOfMemory:
            return shownMessage(Message::outOfMemory);
    }
    return std::nullopt;
}

}  // namespace

bool ListSession::sepaPayerPasses(Run& run, output::PainVersion version) {
    char reason[processing::kReasonBufferSize] = {};
    const std::string payerIban = output::compactIban(state_.payerIban);
    if (checks::CheckIban(state_.payerIban.c_str(), reason, sizeof reason) == 0 ||
        !output::isSepaIban(payerIban) || !output::isSepaCountry(payerIban.substr(0, 2))) {
        run.tell(Message::badPayerIban);
        return false;
    }
    if (!output::isSepaBic(text::trimWhitespace(state_.payerBic), version)) {
        run.tell(Message::badBic);
        return false;
    }
    // The file carries both: the bank refuses a debtor agent that does not hold the account.
    if (!payerBicOfPayerBank(run, state_.payerIban, state_.payerBic)) return false;
    if (output::sepaText(state_.payerName, output::kMaxSepaName).empty()) {
        run.tell(Message::noPayerName);
        return false;
    }
    return true;
}

bool ListSession::sepaReady(Run& run, output::PainVersion version, DateAnswer answer, bool review) {
    // What the file could not be without, and what the operator can do nothing about, first.
    if (!output::sepaValidationAvailable()) {
        run.tell(Message::sepaNoValidation);
        return false;
    }
    if (!state_.fileValid) {
        run.tell(state_.rowFindings.empty() ? Message::notValid : Message::sepaRowMessages);
        return false;
    }
    const settings::FormatDefinition* format = selectedFormat();
    if (format == nullptr) {
        run.tell(Message::noPaymentType);
        return false;
    }
    // No published mapping of the budget payment codes to pain.001 exists yet.
    if (settings::isSebraType(format)) {
        run.tell(Message::sepaBudgetType);
        return false;
    }
    // The payer values given since the scan count, as for a prepare.
    if (!takeTyped(run)) return false;
    if (!isEuroValueDate(state_.paymentDate)) {
        run.tell(Message::sepaBeforeEuro);
        return false;
    }
    if (!scannedFileUnchanged()) {
        run.tell(Message::notValid);
        return false;
    }
    if (!sepaPayerPasses(run, version)) return false;
    // The review only shows the names: the date is asked about when the file is written.
    return review || dateAccepted(run, answer);
}

bool ListSession::reviewSepaRows(Run& run, output::PainVersion version) {
    const settings::FormatDefinition* format = selectedFormat();
    output::SepaReview review;
    runner_(readingListText(), [&](const WorkProgress& progress) {
        review = output::reviewSepaList(fs_, scannedList(state_, format, rowDelimiter(format)),
                                        version, progress);
    });
    run.noteCause(review.cause, state_.inputPath);
    if (review.error == output::SepaListError::cancelled) {
        run.cancelled = true;
        run.before = state_;
        return false;
    }
    // A row fault is told after the names are out.
    if (review.error != output::SepaListError::none &&
        review.error != output::SepaListError::rowFault) {
        if (auto message = listErrorMessage(review.error, {}, version, state_.inputPath))
            run.tell(std::move(*message));
        return false;
    }
    run.result.sepa.emplace();
    run.result.sepa->names = namesOf(review.names.shown);
    run.result.sepa->namesLeftOut = review.names.leftOut;
    run.result.sepa->cutsLeftOut = review.names.cutsLeftOut;
    run.result.sepa->droppedLeftOut = review.names.droppedLeftOut;
    run.result.sepa->changedLeftOut = review.names.changedLeftOut;
    if (review.fault) {
        run.tell(sepaRowFaultMessage(*review.fault, version));
        return false;
    }
    return true;
}

Result ListSession::reviewSepa() {
    Run run;
    const output::PainVersion version = output::PainVersion::v09;
    if (!sepaReady(run, version, DateAnswer::goOn, true) || !reviewSepaRows(run, version))
        return finish(run, run.result.cause ? ResultKind::failed : ResultKind::refused);
    return finish(run, ResultKind::ok);
}

Result ListSession::exportSepa(const output::SepaChoices& choices, const std::string& path,
                               DateAnswer answer) {
    Run run;
    const bool written = writeSepa(run, choices, path, answer);
    return finish(run, written            ? ResultKind::ok
                       : run.result.cause ? ResultKind::failed
                                          : ResultKind::refused);
}

bool ListSession::writeSepa(Run& run, const output::SepaChoices& choices, const std::string& path,
                            DateAnswer answer) {
    if (!sepaReady(run, choices.version, answer, false)) return false;
    if (!choices.categoryPurpose.empty() &&
        !output::isCategoryPurposeCode(choices.categoryPurpose)) {
        run.tell(Message::sepaBadPurpose);
        return false;
    }
    if (!choices.initiatorId.empty() && !output::isInitiatorId(choices.initiatorId)) {
        run.tell(Message::sepaBadInitiatorId);
        return false;
    }
    if (const std::optional<TargetRefusal> refusal = targetRefusal(TargetKind::sepaXml, path)) {
        run.tell(refusal->message);
        return false;
    }
    // The rows' names come out, and a row the file cannot carry is named, before any writing.
    if (!reviewSepaRows(run, choices.version)) return false;
    if (confirmSepa_ && !confirmSepa_({state_.payerIban, state_.paymentDate, state_.recordCount,
                                       state_.totalSum, choices})) {
        run.cancelled = true;
        run.before = state_;
        return false;
    }
    output::SepaFileData data;
    data.choices = choices;
    data.payer = {state_.payerIban, state_.payerBic, state_.payerName};
    data.executionDate = state_.paymentDate;
    data.created = now_();
    data.unique = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    data.listPath = state_.inputPath;
    const settings::FormatDefinition* format = selectedFormat();
    output::SepaWritten written;
    // Each export leaves its record beside the prepare history, for the bank's answer to it.
    std::optional<output::SepaRecorder> recorder;
    if (history_) recorder.emplace(fs_, history_->folder());
    runner_(readingListText(), [&](const WorkProgress& progress) {
        written = output::writeSepaFile(
            fs_, path, scannedList(state_, format, rowDelimiter(format)), data, progress,
            output::filePermissions(fs_, state_.inputPath), recorder ? &*recorder : nullptr);
    });
    switch (written.result) {
        case output::SepaWritten::Result::ok:
            break;
        case output::SepaWritten::Result::listError:
            run.noteCause(written.cause, state_.inputPath);
            if (written.listError == output::SepaListError::cancelled) {
                run.cancelled = true;
                run.before = state_;
            }
            if (auto message = listErrorMessage(written.listError, written.fault, choices.version,
                                                state_.inputPath))
                run.tell(std::move(*message));
            return false;
        case output::SepaWritten::Result::schemaRefused:
            run.tell(sepaSchemaRefusedMessage(choices.version));
            return false;
        case output::SepaWritten::Result::openFailed:
            run.noteCause(written.cause, path);
            run.tell(Message::openForWriteFailed);
            return false;
        case output::SepaWritten::Result::writeFailed:
            run.noteCause(written.cause, path);
            run.tell(Message::writeFailed);
            return false;
        case output::SepaWritten::Result::recordFailed:
            run.noteCause(written.cause, history_->folder());
            run.tell(sepaRecordMessage(false, history_->folder(), fileReason(written.cause)));
            return false;
    }
    if (written.recordNotPlaced) {
        run.tell(sepaRecordMessage(true, history_->folder(), fileReason(written.cause)));
    } else if (history_) {
        // The records go by the same bounds as the copies beside them.
        history_->prune();
    }
    run.result.sepa->path = path;
    run.result.sepa->version = choices.version;
    run.result.sepa->count = state_.recordCount;
    run.result.sepa->total = state_.totalSum;
    return true;
}

}  // namespace velcor::session
