#pragma once

// A checked payment list written as a SEPA credit-transfer file: its rows read again from the
// list as the scan read them, each turned into one transaction, the whole validated against the
// schema of its version and only then written, in one step.

#include "fileio/FileSystem.h"
#include "output/SepaDocument.h"
#include "processing/DateTime.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

namespace velcor::output {

// What the operator chooses for a file.
struct SepaChoices {
    PainVersion version = PainVersion::v09;
    bool instant = false;         // SEPA instant: the local instrument INST
    std::string categoryPurpose;  // four capital letters (SALA, SUPP, ...); empty: none
};

// One row of a list as a SEPA transaction carries it.
struct SepaPayment {
    std::int64_t row = 0;  // the row's number among the list's non-blank lines, from 1
    processing::Cents amount = 0;
    std::string writtenName;  // the NAME field as the list holds it (Windows-1251)
    std::string name;         // as the file sends it: Latin letters, at most 70 characters
    std::string iban;         // compact
    std::string bic;          // as the list holds it; empty: none
    std::string remittance;   // the REASON field as sent, at most 140 characters; empty: none
};

struct SepaRows {
    enum class Error {
        none,
        cannotOpen,
        readError,
        // The file is not the one the scan read and found clean: another stamp, or a row that
        // reads with a finding.
        changed,
    };
    Error error = Error::none;
    std::error_code cause;  // cannotOpen, readError: as the system said it
    std::vector<SepaPayment> payments;
    processing::Cents total = 0;
};

// Reads the rows of the list at `path` with `format`, splitting a delimited format's rows at
// `delimiter`, as the scan read them: after a prepared list's header, blank lines left out, every
// row checked again. `scannedStamp`: the list as the scan read it, which it must still be.
SepaRows readSepaRows(fileio::FileSystem& fs, const std::string& path,
                      const settings::FormatDefinition& format, char delimiter,
                      const std::optional<fileio::FileStamp>& scannedStamp);

// Why a row cannot go into a SEPA file.
enum class SepaRowProblem {
    amountOutOfRange,  // outside 0.01 to 999 999 999.99
    noName,            // no NAME, or none left in Latin letters
    iban,              // no IBAN of the form the file takes
    bic,               // a BIC not of the form `version`'s schema takes
};
struct SepaRowFault {
    SepaRowProblem problem;
    std::int64_t row;
};

// The first fault of the first row that a file of `version` cannot carry; nothing when every
// row can go.
std::optional<SepaRowFault> firstRowFault(const std::vector<SepaPayment>& payments,
                                          PainVersion version);

// The payer as the list's header would carry it (Windows-1251, as typed).
struct SepaPayer {
    std::string iban;
    std::string bic;
    std::string name;
};

// Everything a file is made of besides the rows.
struct SepaFileData {
    SepaChoices choices;
    SepaPayer payer;
    processing::LocalDateTime executionDate;  // the value date
    processing::LocalDateTime created;        // now
    std::uint64_t unique = 0;                 // random bits of the message id
    std::string listPath;                     // names the end-to-end ids
};

// The message of `payments` (faultless: firstRowFault found none): ids, names and amounts as
// the rules want them.
SepaMessage sepaMessage(const SepaFileData& data, const std::vector<SepaPayment>& payments);

struct SepaWritten {
    enum class Result {
        ok,
        schemaRefused,  // the document is not valid under its schema: nothing written
        openFailed,     // as replaceFile's
        writeFailed,
    };
    Result result = Result::ok;
    std::string complaint;  // schemaRefused: the validator's words
    std::error_code cause;  // openFailed, writeFailed: as the system said it
};

// Validates `message`'s document against its version's schema and, only when it is valid,
// replaces `path` with it in one step (a failure leaves no partial file).
SepaWritten writeSepaFile(fileio::FileSystem& fs, const std::string& path,
                          const SepaMessage& message);

}  // namespace velcor::output
