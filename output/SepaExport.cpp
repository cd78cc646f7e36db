#include "output/SepaExport.h"

#include "output/Transliteration.h"
#include "processing/RowChecker.h"
#include "processing/TextModeReader.h"
#include "text/Text.h"

namespace velcor::output {

namespace {

std::string valueOf(const processing::PaymentRecord& record, std::string_view name) {
    const std::string_view* value = record.values.find(name);
    return value != nullptr ? std::string(*value) : std::string();
}

SepaPayment paymentOf(const processing::PaymentRecord& record) {
    SepaPayment payment;
    payment.row = record.rowNumber;
    const processing::AmountReading amount = processing::readAmount(valueOf(record, "SUM"));
    if (amount.kind == processing::AmountReading::Kind::amount) payment.amount = amount.cents;
    payment.writtenName = valueOf(record, "NAME");
    payment.name = sepaText(payment.writtenName, kMaxSepaName);
    payment.iban = compactIban(valueOf(record, "IBAN"));
    payment.bic = valueOf(record, "BIC");
    // A field named REASON is carried as the payment's text; the row checks know no such field.
    payment.remittance = sepaText(valueOf(record, "REASON"), kMaxSepaRemittance);
    return payment;
}

}  // namespace

SepaRows readSepaRows(fileio::FileSystem& fs, const std::string& path,
                      const settings::FormatDefinition& format, char delimiter,
                      const std::optional<fileio::FileStamp>& scannedStamp) {
    SepaRows rows;
    const auto unchanged = [&] {
        const std::optional<fileio::FileStamp> now = fs.stamp(path);
        return scannedStamp && now && *now == *scannedStamp;
    };
    std::unique_ptr<fileio::ReadFile> file = fs.openRead(path, rows.cause);
    if (file == nullptr) {
        rows.error = SepaRows::Error::cannotOpen;
        return rows;
    }
    if (!unchanged()) {
        rows.error = SepaRows::Error::changed;
        return rows;
    }
    processing::TextModeReader reader(*file);
    processing::RowChecker checker(&format, delimiter);
    processing::Cents checkedTotal = 0;
    std::int64_t rowNumber = 0;
    std::string_view piece;
    processing::TextModeReader::Result read = reader.next(piece);
    // A prepared list's header is no row.
    if (read == processing::TextModeReader::Result::piece && piece.starts_with("OMP"))
        read = reader.next(piece);
    for (; read == processing::TextModeReader::Result::piece; read = reader.next(piece)) {
        if (processing::isBlankLine(piece, &format, delimiter)) continue;
        processing::RowFindings findings;
        checker.check(piece, ++rowNumber, checkedTotal, findings);
        if (!findings.empty()) {
            rows.error = SepaRows::Error::changed;
            return rows;
        }
        rows.payments.push_back(paymentOf(checker.record()));
        rows.total += rows.payments.back().amount;
    }
    if (read == processing::TextModeReader::Result::error) {
        rows.error = SepaRows::Error::readError;
        rows.cause = file->error();
        return rows;
    }
    if (!unchanged()) rows.error = SepaRows::Error::changed;
    return rows;
}

std::optional<SepaRowFault> firstRowFault(const std::vector<SepaPayment>& payments,
                                          PainVersion version) {
    for (const SepaPayment& p : payments) {
        if (p.amount < kMinSepaAmount || p.amount > kMaxSepaAmount)
            return SepaRowFault{SepaRowProblem::amountOutOfRange, p.row};
        if (p.name.empty()) return SepaRowFault{SepaRowProblem::noName, p.row};
        if (!isSepaIban(p.iban)) return SepaRowFault{SepaRowProblem::iban, p.row};
        if (!p.bic.empty() && !isSepaBic(p.bic, version))
            return SepaRowFault{SepaRowProblem::bic, p.row};
    }
    return std::nullopt;
}

SepaMessage sepaMessage(const SepaFileData& data, const std::vector<SepaPayment>& payments) {
    SepaMessage message;
    message.version = data.choices.version;
    message.messageId = sepaMessageId(data.created, data.unique);
    message.created = data.created;
    // One block per file: its id is the message's, told apart.
    message.paymentInformationId = message.messageId + "-1";
    message.instant = data.choices.instant;
    message.categoryPurpose = data.choices.categoryPurpose;
    message.executionDate = data.executionDate;
    message.debtorName = sepaText(data.payer.name, kMaxSepaName);
    message.debtorIban = compactIban(data.payer.iban);
    message.debtorBic = std::string(text::trimWhitespace(data.payer.bic));
    const std::int64_t lastRow = payments.empty() ? 0 : payments.back().row;
    message.transactions.reserve(payments.size());
    for (const SepaPayment& p : payments)
        message.transactions.push_back({sepaEndToEndId(data.listPath, p.row, lastRow), p.amount,
                                        p.name, p.iban, p.bic, p.remittance});
    return message;
}

SepaWritten writeSepaFile(fileio::FileSystem& fs, const std::string& path,
                          const SepaMessage& message) {
    SepaWritten written;
    const std::string document = sepaDocument(message);
    if (auto complaint = schemaViolation(message.version, document)) {
        written.result = SepaWritten::Result::schemaRefused;
        written.complaint = std::move(*complaint);
        return written;
    }
    const fileio::Replaced replaced = fileio::replaceFile(fs, path, {document});
    written.cause = replaced.cause;
    switch (replaced.result) {
        case fileio::ReplaceResult::ok:
            break;
        case fileio::ReplaceResult::openFailed:
            written.result = SepaWritten::Result::openFailed;
            break;
        case fileio::ReplaceResult::writeFailed:
            written.result = SepaWritten::Result::writeFailed;
            break;
    }
    return written;
}

}  // namespace velcor::output
