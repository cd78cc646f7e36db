// The SEPA export of a list session: a list checked clean written as a SEPA credit-transfer file,
// refused with a message of its own wherever the file could not be what the bank takes.

#include "checks/Iban.h"
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
           date.year >= 2026;
}

std::vector<SepaName> namesOf(const std::vector<output::SepaPayment>& payments) {
    std::vector<SepaName> names;
    names.reserve(payments.size());
    for (const output::SepaPayment& p : payments) names.push_back({p.row, p.writtenName, p.name});
    return names;
}

}  // namespace

bool ListSession::sepaPayerPasses(Run& run, output::PainVersion version) {
    char reason[processing::kReasonBufferSize] = {};
    if (checks::CheckIban(state_.payerIban.c_str(), reason, sizeof reason) == 0 ||
        !output::isSepaIban(output::compactIban(state_.payerIban))) {
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

Result ListSession::reviewSepa() {
    Run run;
    if (!sepaReady(run, output::PainVersion::v09, DateAnswer::goOn, true))
        return finish(run, ResultKind::refused);
    const settings::FormatDefinition& format = *selectedFormat();
    output::SepaRows rows = output::readSepaRows(fs_, state_.inputPath, format,
                                                 rowDelimiter(&format), state_.scannedStamp);
    run.noteCause(rows.cause, state_.inputPath);
    switch (rows.error) {
        case output::SepaRows::Error::none:
            break;
        case output::SepaRows::Error::cannotOpen:
        case output::SepaRows::Error::readError:
            run.tell(cannotReadMessage(state_.inputPath));
            return finish(run, ResultKind::failed);
        case output::SepaRows::Error::changed:
            run.tell(Message::notValid);
            return finish(run, ResultKind::refused);
    }
    if (static_cast<std::int64_t>(rows.payments.size()) != state_.recordCount ||
        rows.total != state_.totalSum) {
        run.tell(Message::notValid);
        return finish(run, ResultKind::refused);
    }
    run.result.sepa.emplace();
    run.result.sepa->names = namesOf(rows.payments);
    if (const auto fault = output::firstRowFault(rows.payments, output::PainVersion::v09)) {
        run.tell(sepaRowFaultMessage(*fault, output::PainVersion::v09));
        return finish(run, ResultKind::refused);
    }
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
    if (const std::optional<TargetRefusal> refusal = targetRefusal(TargetKind::sepaXml, path)) {
        run.tell(refusal->message);
        return false;
    }
    const settings::FormatDefinition& format = *selectedFormat();
    output::SepaRows rows = output::readSepaRows(fs_, state_.inputPath, format,
                                                 rowDelimiter(&format), state_.scannedStamp);
    run.noteCause(rows.cause, state_.inputPath);
    switch (rows.error) {
        case output::SepaRows::Error::none:
            break;
        case output::SepaRows::Error::cannotOpen:
        case output::SepaRows::Error::readError:
            run.tell(cannotReadMessage(state_.inputPath));
            return false;
        case output::SepaRows::Error::changed:
            run.tell(Message::notValid);
            return false;
    }
    // The rows read again must be the ones the scan counted and added up.
    if (static_cast<std::int64_t>(rows.payments.size()) != state_.recordCount ||
        rows.total != state_.totalSum) {
        run.tell(Message::notValid);
        return false;
    }
    run.result.sepa.emplace();
    run.result.sepa->names = namesOf(rows.payments);
    if (const auto fault = output::firstRowFault(rows.payments, choices.version)) {
        run.tell(sepaRowFaultMessage(*fault, choices.version));
        return false;
    }
    output::SepaFileData data;
    data.choices = choices;
    data.payer = {state_.payerIban, state_.payerBic, state_.payerName};
    data.executionDate = state_.paymentDate;
    data.created = now_();
    data.unique = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    data.listPath = state_.inputPath;
    const output::SepaMessage message = output::sepaMessage(data, rows.payments);
    const output::SepaWritten written = output::writeSepaFile(fs_, path, message);
    run.noteCause(written.cause, path);
    switch (written.result) {
        case output::SepaWritten::Result::ok:
            break;
        case output::SepaWritten::Result::schemaRefused:
            run.tell(sepaSchemaRefusedMessage(choices.version));
            return false;
        case output::SepaWritten::Result::openFailed:
            run.tell(Message::openForWriteFailed);
            return false;
        case output::SepaWritten::Result::writeFailed:
            run.tell(Message::writeFailed);
            return false;
    }
    run.result.sepa->path = path;
    run.result.sepa->version = choices.version;
    run.result.sepa->count = static_cast<std::int64_t>(rows.payments.size());
    run.result.sepa->total = state_.totalSum;
    return true;
}

}  // namespace velcor::session
