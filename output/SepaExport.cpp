#include "output/SepaExport.h"

#include "fileio/HostPath.h"
#include "output/SepaCountries.h"
#include "output/SepaSchema.h"
#include "output/Transliteration.h"
#include "text/Text.h"

#include <algorithm>
#include <filesystem>
#include <memory>
#include <new>
#include <utility>

namespace velcor::output {

namespace {

std::string valueOf(const processing::PaymentRecord& record, std::string_view name) {
    const std::string_view* value = record.values.find(name);
    return value != nullptr ? std::string(*value) : std::string();
}

// The row count, total and stamp that a reading of the list must end with: those of the check
// scan that found it clean.
bool matchesScan(const processing::ScanResult& scan, const SepaList& list, std::int64_t count,
                 processing::Cents total) {
    return scan.rowFindings.empty() && scan.stamp && list.stamp && *scan.stamp == *list.stamp &&
           count == list.count && total == list.total && scan.controlData.recordCount == list.count;
}

// How a scan that read the list's rows for a file ended, when it did not end well.
SepaListError listErrorOf(processing::ScanError error) {
    switch (error) {
        case processing::ScanError::none:
            return SepaListError::none;
        case processing::ScanError::cannotOpen:
            return SepaListError::cannotOpen;
        case processing::ScanError::readError:
            return SepaListError::readError;
        case processing::ScanError::outOfMemory:
            return SepaListError::outOfMemory;
        case processing::ScanError::cancelled:
            return SepaListError::cancelled;
        case processing::ScanError::headerRefused:
        case processing::ScanError::savedAsUtf8:
        case processing::ScanError::noPayments:
        case processing::ScanError::rowsNotTaken:
            break;
    }
    // What the check scan found clean reads otherwise now.
    return SepaListError::changed;
}

// The temporary file the document is written to, removed unless it was put in place.
class TemporaryFile {
  public:
    explicit TemporaryFile(fileio::FileSystem& fs) : fs_(fs) {}
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile() { discard(); }

    std::unique_ptr<fileio::WriteFile> file;
    std::string path;
    bool placed = false;

    void discard() {
        // Closed first: Windows keeps an open file from being removed.
        if (file) file->close();
        file.reset();
        if (!path.empty() && !placed) fs_.remove(path);
        path.clear();
    }

  private:
    fileio::FileSystem& fs_;
};

// The written document read back for its validation, telling the progress as the list's reading
// did; a stop asked for ends the reading as a failed read would.
class WatchedRead final : public fileio::ReadFile {
  public:
    WatchedRead(fileio::ReadFile& file, const processing::ScanProgress& progress,
                std::uint64_t size)
        : file_(file), progress_(progress), size_(size) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        if (progress_ && !progress_(read_, size_)) {
            cancelled = true;
            return -1;
        }
        const std::ptrdiff_t got = file_.read(buffer, size);
        if (got > 0) read_ += static_cast<std::uint64_t>(got);
        return got;
    }
    bool cancelled = false;

  private:
    fileio::ReadFile& file_;
    const processing::ScanProgress& progress_;
    std::uint64_t size_;
    std::uint64_t read_ = 0;
};

}  // namespace

void narrowPermissions(fileio::FileSystem& fs, const std::string& path,
                       std::optional<std::uint32_t> permissions) {
#if defined(_WIN32)
    (void)fs;
    (void)path;
    (void)permissions;
#else
    if (!permissions || &fs != &fileio::standardFileSystem()) return;
    const std::filesystem::path host = fileio::pathFromUtf8(text::toUtf8(path));
    std::error_code error;
    const auto now = std::filesystem::status(host, error).permissions();
    if (error) return;
    const auto kept = now & static_cast<std::filesystem::perms>(*permissions & 0777);
    if (kept != now) std::filesystem::permissions(host, kept, error);
#endif
}

namespace {

SepaWritten listFailure(SepaListError error, std::error_code cause = {}) {
    SepaWritten written;
    written.result = SepaWritten::Result::listError;
    written.listError = error;
    written.cause = cause;
    return written;
}

SepaWritten writeFailure(SepaWritten::Result result, std::error_code cause) {
    SepaWritten written;
    written.result = result;
    written.cause = cause;
    return written;
}

SepaWritten writeStreaming(fileio::FileSystem& fs, const std::string& path, const SepaList& list,
                           const SepaFileData& data, const processing::ScanProgress& progress,
                           std::optional<std::uint32_t> permissions, TemporaryFile& temp,
                           SepaRecorder* recorder) {
    if (list.format == nullptr) return listFailure(SepaListError::changed);
    std::error_code cause;
    temp.file = fs.createTemporaryBeside(path, temp.path, cause);
    if (!temp.file) return writeFailure(SepaWritten::Result::openFailed, cause);
    // Narrowed before anything is written to it.
    narrowPermissions(fs, temp.path, permissions);

    const SepaMessage header = sepaMessage(data, {});
    bool writeFailed = false;
    SepaDocumentWriter writer([&](std::string_view bytes) {
        writeFailed = !temp.file->write(bytes.data(), bytes.size());
        return !writeFailed;
    });
    if (!writer.begin(header, list.count, list.total))
        return writeFailure(SepaWritten::Result::writeFailed, temp.file->error());
    if (recorder != nullptr &&
        !recorder->begin({header.messageId, data.choices.version, data.listPath, data.executionDate,
                          list.count, list.total}))
        return writeFailure(SepaWritten::Result::recordFailed, recorder->cause());
    bool recordFailed = false;

    // Every row's end-to-end id the list does not give is the same name cut the same way and the
    // export's token, then the row's number: the name is spelled once.
    const bool endToEndField = namesEndToEndId(*list.format);
    std::string endToEndId =
        sepaEndToEndId(data.listPath, sepaExportToken(data.unique), 1, list.count);
    endToEndId.pop_back();
    const std::size_t idPrefix = endToEndId.size();
    SepaIdsGiven given;
    std::int64_t count = 0;
    processing::Cents total = 0;
    SepaListError stopped = SepaListError::none;
    std::optional<SepaRowFault> fault;
    processing::ScanOptions options;
    options.progress = progress;
    options.findingsKept = 0;
    options.budgetRules = list.budgetRules;
    options.records = [&](const processing::ScannedRow& row) {
        ++count;
        if (!row.clean || count > list.count) {
            stopped = SepaListError::changed;
            return false;
        }
        SepaPayment payment = sepaPayment(row.record, endToEndField);
        if (const auto problem = rowProblem(payment, data.choices.version))
            fault = sepaRowFault(*problem, payment);
        else
            fault = given.add(payment);
        if (fault) {
            stopped = SepaListError::rowFault;
            return false;
        }
        total += payment.amount;
        if (payment.endToEndId) {
            endToEndId = std::move(*payment.endToEndId);
        } else {
            endToEndId.resize(idPrefix);
            endToEndId += std::to_string(payment.row);
        }
        if (recorder != nullptr &&
            !recorder->add({endToEndId, payment.row, payment.amount, payment.name, payment.iban,
                            std::string(row.line)})) {
            recordFailed = true;
            return false;
        }
        return writer.add({endToEndId, payment.amount, std::move(payment.name),
                           std::move(payment.iban), std::move(payment.bic),
                           std::move(payment.remittance), std::move(payment.creditorReference)});
    };
    const processing::ScanResult scan =
        processing::scanPaymentFile(fs, list.path, list.format, list.delimiter, options);
    if (writeFailed) return writeFailure(SepaWritten::Result::writeFailed, temp.file->error());
    if (recordFailed) return writeFailure(SepaWritten::Result::recordFailed, recorder->cause());
    if (stopped != SepaListError::none) {
        SepaWritten written = listFailure(stopped);
        written.fault = fault;
        return written;
    }
    if (const SepaListError error = listErrorOf(scan.error); error != SepaListError::none)
        return listFailure(error, scan.cause);
    if (!matchesScan(scan, list, count, total)) return listFailure(SepaListError::changed);

    if (!writer.finish() || !temp.file->flush() || !temp.file->sync())
        return writeFailure(SepaWritten::Result::writeFailed, temp.file->error());
    const bool closed = temp.file->close();
    cause = temp.file->error();
    temp.file.reset();
    if (!closed) return writeFailure(SepaWritten::Result::writeFailed, cause);

    // What is validated is what was written, read back from the disk.
    std::unique_ptr<fileio::ReadFile> written = fs.openRead(temp.path, cause);
    if (written == nullptr) return writeFailure(SepaWritten::Result::writeFailed, cause);
    const std::optional<fileio::FileStamp> writtenStamp = fs.stamp(temp.path);
    WatchedRead watched(*written, progress, writtenStamp ? writtenStamp->size : 0);
    SchemaVerdict verdict = validateSepaStream(data.choices.version, watched);
    written.reset();
    if (watched.cancelled) return listFailure(SepaListError::cancelled);
    switch (verdict.result) {
        case SchemaVerdict::Result::valid:
            break;
        case SchemaVerdict::Result::outOfMemory:
            return listFailure(SepaListError::outOfMemory);
        case SchemaVerdict::Result::invalid: {
            SepaWritten refused;
            refused.result = SepaWritten::Result::schemaRefused;
            refused.complaint = std::move(verdict.complaint);
            return refused;
        }
    }
    if (recorder != nullptr) {
        const std::optional<ListFacts> facts = listFacts(fs, list.path, cause);
        if (!facts) return listFailure(SepaListError::readError, cause);
        if (!recorder->finish(facts->digest, facts->crlf))
            return writeFailure(SepaWritten::Result::recordFailed, recorder->cause());
    }
    if (!fs.rename(temp.path, path, cause))
        return writeFailure(SepaWritten::Result::writeFailed, cause);
    temp.placed = true;
    SepaWritten placed;
    if (recorder != nullptr && !recorder->place()) {
        placed.recordNotPlaced = true;
        placed.cause = recorder->cause();
    }
    return placed;
}

// `cp1251` as a SEPA file carries it in at most `maximum` characters; `cut` tells whether it
// was longer. Two characters past the limit: a cut at a blank drops the blank.
std::string sepaTextCut(std::string_view cp1251, std::size_t maximum, bool& cut) {
    std::string whole = sepaText(cp1251, maximum + 2);
    cut = whole.size() > maximum;
    return cut ? sepaText(cp1251, maximum) : whole;
}

// The row as its transaction carries it.
SepaPayment paymentOf(const processing::PaymentRecord& record, bool endToEndField) {
    SepaPayment payment;
    payment.row = record.rowNumber;
    const processing::AmountReading amount = processing::readAmount(valueOf(record, "SUM"));
    if (amount.kind == processing::AmountReading::Kind::amount) payment.amount = amount.cents;
    payment.writtenName = valueOf(record, "NAME");
    payment.name = sepaTextCut(payment.writtenName, kMaxSepaName, payment.nameCut);
    payment.iban = compactIban(valueOf(record, "IBAN"));
    payment.bic = valueOf(record, "BIC");
    // A field named REASON is carried as the payment's text; the row checks know no such field.
    payment.remittance =
        sepaTextCut(valueOf(record, "REASON"), kMaxSepaRemittance, payment.remittanceCut);
    // A reference stands in the file instead of the text: the EPC rules take one of them only.
    payment.creditorReference = compactCreditorReference(valueOf(record, "RF"));
    if (!payment.creditorReference.empty()) {
        payment.remittanceDropped = !payment.remittance.empty();
        payment.remittance.clear();
        payment.remittanceCut = false;
    }
    // A row that ends before the field gives an empty id, which is refused.
    if (endToEndField) payment.endToEndId = valueOf(record, "E2E");
    return payment;
}

}  // namespace

bool namesEndToEndId(const settings::FormatDefinition& format) {
    return std::any_of(format.fields.begin(), format.fields.end(),
                       [](const settings::FieldDefinition& field) {
                           return text::upperLatin(field.name) == "E2E";
                       });
}

SepaPayment sepaPayment(const processing::PaymentRecord& record, bool endToEndField) {
    return paymentOf(record, endToEndField);
}

std::optional<SepaRowFault> SepaIdsGiven::add(const SepaPayment& payment) {
    if (!payment.endToEndId) return std::nullopt;
    const auto [at, added] = rows_.try_emplace(*payment.endToEndId, payment.row);
    if (added) return std::nullopt;
    SepaRowFault fault = sepaRowFault(SepaRowProblem::repeatedEndToEndId, payment);
    fault.earlierRow = at->second;
    return fault;
}

SepaRowFault sepaRowFault(SepaRowProblem problem, const SepaPayment& payment) {
    SepaRowFault fault{problem, payment.row, {}, 0};
    if (problem == SepaRowProblem::country) fault.country = payment.iban.substr(0, 2);
    return fault;
}

std::optional<SepaRowProblem> rowProblem(const SepaPayment& p, PainVersion version) {
    if (p.amount < kMinSepaAmount || p.amount > kMaxSepaAmount)
        return SepaRowProblem::amountOutOfRange;
    if (p.name.empty()) return SepaRowProblem::noName;
    if (!isSepaIban(p.iban)) return SepaRowProblem::iban;
    if (!isSepaCountry(std::string_view(p.iban).substr(0, 2))) return SepaRowProblem::country;
    if (!p.bic.empty() && !isSepaBic(p.bic, version)) return SepaRowProblem::bic;
    if (isBudgetAccount(p.iban)) return SepaRowProblem::budgetAccount;
    if (p.endToEndId && !isSepaId(*p.endToEndId)) return SepaRowProblem::endToEndId;
    if (!p.creditorReference.empty() && !isCreditorReference(p.creditorReference))
        return SepaRowProblem::creditorReference;
    return std::nullopt;
}

std::optional<SepaRowFault> firstRowFault(const std::vector<SepaPayment>& payments,
                                          PainVersion version) {
    SepaIdsGiven given;
    for (const SepaPayment& p : payments) {
        if (const auto problem = rowProblem(p, version)) return sepaRowFault(*problem, p);
        if (auto fault = given.add(p)) return fault;
    }
    return std::nullopt;
}

bool nameLosesCharacters(std::string_view written, std::string_view sent) {
    // Cut at the limit: the whole name would be longer than it (two past it, as a cut at a blank
    // drops the blank).
    if (sent.size() == kMaxSepaName && sepaText(written, kMaxSepaName + 2).size() > kMaxSepaName)
        return true;
    // Otherwise the same letters, blanks aside.
    const std::string spelled = transliterate(written);
    std::size_t i = 0;
    std::size_t j = 0;
    for (;; ++i, ++j) {
        while (i < spelled.size() && spelled[i] == ' ') ++i;
        while (j < sent.size() && sent[j] == ' ') ++j;
        if (i == spelled.size() || j == sent.size()) break;
        if (spelled[i] != sent[j]) return true;
    }
    return i != spelled.size() || j != sent.size();
}

bool sentChanged(const SepaPayment& p) {
    return p.remittanceCut || p.remittanceDropped || nameLosesCharacters(p.writtenName, p.name);
}

void SepaNames::add(const SepaPayment& payment) {
    if (everyRow_ && shown.size() == kShown) {
        // Too many rows to look over each: only those that lose characters stay in sight.
        everyRow_ = false;
        std::vector<SepaPayment> kept;
        for (SepaPayment& p : shown)
            if (sentChanged(p)) kept.push_back(std::move(p));
        leftOut = static_cast<std::int64_t>(shown.size() - kept.size());
        shown = std::move(kept);
    }
    const bool changed = !everyRow_ && sentChanged(payment);
    if (everyRow_ || (shown.size() < kShown && changed)) {
        SepaPayment names;
        names.row = payment.row;
        names.writtenName = payment.writtenName;
        names.name = payment.name;
        names.remittance = payment.remittance;
        names.nameCut = payment.nameCut;
        names.remittanceCut = payment.remittanceCut;
        names.creditorReference = payment.creditorReference;
        names.remittanceDropped = payment.remittanceDropped;
        shown.push_back(std::move(names));
        return;
    }
    ++leftOut;
    if (changed) ++changedLeftOut;
    if (payment.nameCut || payment.remittanceCut) ++cutsLeftOut;
    if (payment.remittanceDropped) ++droppedLeftOut;
}

SepaReview reviewSepaList(fileio::FileSystem& fs, const SepaList& list, PainVersion version,
                          const processing::ScanProgress& progress) {
    SepaReview review;
    if (list.format == nullptr) {
        review.error = SepaListError::changed;
        return review;
    }
    std::int64_t count = 0;
    processing::Cents total = 0;
    bool changed = false;
    const bool endToEndField = namesEndToEndId(*list.format);
    SepaIdsGiven given;
    processing::ScanOptions options;
    options.progress = progress;
    options.findingsKept = 0;
    options.budgetRules = list.budgetRules;
    options.records = [&](const processing::ScannedRow& row) {
        if (!row.clean) {
            changed = true;
            return false;
        }
        const SepaPayment payment = paymentOf(row.record, endToEndField);
        ++count;
        total += payment.amount;
        if (!review.fault) {
            if (const auto problem = rowProblem(payment, version))
                review.fault = sepaRowFault(*problem, payment);
            else
                review.fault = given.add(payment);
        }
        review.names.add(payment);
        return true;
    };
    const processing::ScanResult scan =
        processing::scanPaymentFile(fs, list.path, list.format, list.delimiter, options);
    review.cause = scan.cause;
    review.error = changed ? SepaListError::changed : listErrorOf(scan.error);
    if (review.error == SepaListError::none && !matchesScan(scan, list, count, total))
        review.error = SepaListError::changed;
    if (review.error != SepaListError::none) {
        review.fault.reset();
        review.names = {};
    } else if (review.fault) {
        review.error = SepaListError::rowFault;
    }
    return review;
}

SepaMessage sepaMessage(const SepaFileData& data, const std::vector<SepaPayment>& payments) {
    SepaMessage message;
    message.version = data.choices.version;
    message.messageId = sepaMessageId(data.created, data.unique);
    message.created = data.created;
    // One block per file: its id is the message's, told apart.
    message.paymentInformationId = message.messageId + "-1";
    message.initiatorId = compactInitiatorId(data.choices.initiatorId);
    message.batchBooking = data.choices.batchBooking;
    message.instant = data.choices.instant;
    message.categoryPurpose = data.choices.categoryPurpose;
    message.executionDate = data.executionDate;
    message.debtorName = sepaText(data.payer.name, kMaxSepaName);
    message.debtorIban = compactIban(data.payer.iban);
    message.debtorBic = std::string(text::trimWhitespace(data.payer.bic));
    const std::int64_t lastRow = payments.empty() ? 0 : payments.back().row;
    const std::string token = sepaExportToken(data.unique);
    message.transactions.reserve(payments.size());
    for (const SepaPayment& p : payments)
        message.transactions.push_back(
            {p.endToEndId.value_or(sepaEndToEndId(data.listPath, token, p.row, lastRow)), p.amount,
             p.name, p.iban, p.bic, p.remittance, p.creditorReference});
    return message;
}

SepaWritten writeSepaFile(fileio::FileSystem& fs, const std::string& path, const SepaList& list,
                          const SepaFileData& data, const processing::ScanProgress& progress,
                          std::optional<std::uint32_t> permissions, SepaRecorder* recorder) {
    if (!sepaValidationAvailable()) {
        SepaWritten refused;
        refused.result = SepaWritten::Result::schemaRefused;
        refused.complaint = "this build has no schema validation";
        return refused;
    }
    TemporaryFile temp(fs);
    try {
        return writeStreaming(fs, path, list, data, progress, permissions, temp, recorder);
    } catch (const std::bad_alloc&) {
        temp.discard();
        if (recorder != nullptr) recorder->discard();
        return listFailure(SepaListError::outOfMemory);
    }
}

std::optional<std::uint32_t> filePermissions(fileio::FileSystem& fs, const std::string& path) {
#if defined(_WIN32)
    (void)fs;
    (void)path;
    return std::nullopt;
#else
    if (&fs != &fileio::standardFileSystem()) return std::nullopt;
    std::error_code error;
    const auto status = std::filesystem::status(fileio::pathFromUtf8(text::toUtf8(path)), error);
    if (error || !std::filesystem::is_regular_file(status)) return std::nullopt;
    return static_cast<std::uint32_t>(status.permissions()) & 0777u;
#endif
}

}  // namespace velcor::output
