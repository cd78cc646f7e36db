// The SEPA export of BulkPaymentDialog: a list checked clean written as a SEPA credit-transfer
// file, refused with a message of its own wherever the file could not be what the bank takes.

#include "checks/Iban.h"
#include "output/SepaExport.h"
#include "output/Transliteration.h"
#include "processing/CheckText.h"
#include "text/Text.h"
#include "window/BulkPaymentDialog.h"

#include <random>

namespace velcor::window {

namespace {

// Amounts before 1 January 2026 were in leva: a list dated before is no euro payment.
bool isEuroValueDate(const processing::LocalDateTime& date) {
    return date.valid && processing::isValidDate(date.day, date.month, date.year) &&
           date.year >= 2026;
}

// Whether two paths name one file: the same text, or, where the system tells files apart, the
// same file on disk (a link, another spelling).
bool sameFile(fileio::FileSystem& fs, const std::string& a, const std::string& b) {
    if (a == b) return true;
    const std::optional<fileio::FileStamp> first = fs.stamp(a);
    const std::optional<fileio::FileStamp> second = fs.stamp(b);
    return first && second && first->fileId != 0 && *first == *second;
}

std::vector<SepaName> namesOf(const std::vector<output::SepaPayment>& payments) {
    std::vector<SepaName> names;
    names.reserve(payments.size());
    for (const output::SepaPayment& p : payments) names.push_back({p.row, p.writtenName, p.name});
    return names;
}

// The list as the scan that found it clean read it, for the export's own readings of its rows.
output::SepaList scannedList(const WorkingState& state, const settings::FormatDefinition* format,
                             char delimiter) {
    return {state.inputPath,   format,        delimiter, state.scannedStamp,
            state.recordCount, state.totalSum};
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
        case output::SepaListError::readError: {
            // Told as a scan that could not read the list tells it.
            processing::ScanResult unread;
            unread.error = processing::ScanError::cannotOpen;
            return scanErrorMessage(unread, listPath);
        }
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

void BulkPaymentDialog::exportSepaFlow() {
    const auto payments = sepaPayments(output::PainVersion::v09);
    if (!payments) return;
    const std::optional<SepaExportAnswer> answer =
        host_.chooseSepaExport(namesOf(*payments), suggestedSepaPath());
    if (answer) writeSepa(answer->choices, answer->path);
}

std::optional<std::vector<output::SepaPayment>> BulkPaymentDialog::sepaPayments(
    output::PainVersion version) {
    // What the file could not be without, and what the operator can do nothing about, first.
    if (!output::sepaValidationAvailable()) {
        tell(Message::sepaNoValidation);
        return std::nullopt;
    }
    if (!state_.fileValid) {
        tell(state_.rowFindings.empty() ? Message::notValid : Message::sepaRowMessages);
        return std::nullopt;
    }
    const settings::FormatDefinition* format = selectedFormat();
    if (format == nullptr) {
        tell(Message::noPaymentType);
        return std::nullopt;
    }
    // No published mapping of the budget payment codes to pain.001 exists yet.
    if (settings::isSebraType(format)) {
        tell(Message::sepaBudgetType);
        return std::nullopt;
    }
    // The payer values typed since the scan count, as for "Подготовка".
    if (!readControls()) return std::nullopt;
    if (!isEuroValueDate(state_.paymentDate)) {
        tell(Message::sepaBeforeEuro);
        return std::nullopt;
    }
    if (!scannedFileUnchanged()) {
        tell(Message::notValid);
        return std::nullopt;
    }
    if (!sepaPayerPasses(version)) return std::nullopt;

    output::SepaReview review;
    host_.runLongWork(readingListText(), [&](const WorkProgress& progress) {
        review = output::reviewSepaList(fs_, scannedList(state_, format, rowDelimiter(format)),
                                        version, progress);
    });
    noteFileCause(review.cause);
    if (review.error == output::SepaListError::cancelled) noteCancelled();
    // A row fault is told after the names are out.
    if (review.error != output::SepaListError::none &&
        review.error != output::SepaListError::rowFault) {
        if (auto message = listErrorMessage(review.error, {}, version, state_.inputPath))
            tell(std::move(*message));
        return std::nullopt;
    }
    if (outcome_ != nullptr) {
        if (!outcome_->sepa) outcome_->sepa.emplace();
        outcome_->sepa->names = namesOf(review.names.shown);
    }
    if (review.fault) {
        tell(sepaRowFaultMessage(*review.fault, version));
        return std::nullopt;
    }
    return std::move(review.names.shown);
}

bool BulkPaymentDialog::sepaPayerPasses(output::PainVersion version) {
    char reason[processing::kReasonBufferSize] = {};
    if (checks::CheckIban(state_.payerIban.c_str(), reason, sizeof reason) == 0 ||
        !output::isSepaIban(output::compactIban(state_.payerIban))) {
        tell(Message::badPayerIban);
        return false;
    }
    if (!output::isSepaBic(text::trimWhitespace(state_.payerBic), version)) {
        tell(Message::badBic);
        return false;
    }
    if (output::sepaText(state_.payerName, output::kMaxSepaName).empty()) {
        tell(Message::noPayerName);
        return false;
    }
    return true;
}

bool BulkPaymentDialog::writeSepa(const output::SepaChoices& choices, const std::string& path) {
    const auto payments = sepaPayments(choices.version);
    if (!payments) return false;
    if (!choices.categoryPurpose.empty() &&
        !output::isCategoryPurposeCode(choices.categoryPurpose)) {
        tell(Message::sepaBadPurpose);
        return false;
    }
    if (sameFile(fs_, path, state_.inputPath) || sameFile(fs_, path, settingsPath_)) {
        tell(Message::sepaOverOwnFile);
        return false;
    }
    output::SepaFileData data;
    data.choices = choices;
    data.payer = {state_.payerIban, state_.payerBic, state_.payerName};
    data.executionDate = state_.paymentDate;
    data.created = host_.now();
    data.unique = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    data.listPath = state_.inputPath;
    const settings::FormatDefinition* format = selectedFormat();
    output::SepaWritten written;
    host_.runLongWork(readingListText(), [&](const WorkProgress& progress) {
        written =
            output::writeSepaFile(fs_, path, scannedList(state_, format, rowDelimiter(format)),
                                  data, progress, output::filePermissions(fs_, state_.inputPath));
    });
    noteFileCause(written.cause);
    switch (written.result) {
        case output::SepaWritten::Result::ok:
            break;
        case output::SepaWritten::Result::listError:
            if (written.listError == output::SepaListError::cancelled) noteCancelled();
            if (auto message = listErrorMessage(written.listError, written.fault, choices.version,
                                                state_.inputPath))
                tell(std::move(*message));
            return false;
        case output::SepaWritten::Result::schemaRefused:
            tell(sepaSchemaRefusedMessage(choices.version));
            return false;
        case output::SepaWritten::Result::openFailed:
            tell(Message::openForWriteFailed);
            return false;
        case output::SepaWritten::Result::writeFailed:
            tell(Message::writeFailed);
            return false;
    }
    if (outcome_ != nullptr) {
        if (!outcome_->sepa) outcome_->sepa.emplace();
        outcome_->sepa->path = path;
        outcome_->sepa->version = choices.version;
        outcome_->sepa->count = state_.recordCount;
        outcome_->sepa->total = state_.totalSum;
    }
    return true;
}

}  // namespace velcor::window
