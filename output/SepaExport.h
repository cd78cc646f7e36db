#pragma once

// A checked payment list written as a SEPA credit-transfer file: its rows read again from the
// list by the scan, each turned into one transaction and written as it comes, the whole validated
// against the schema of its version and only then put in place, in one step.

#include "fileio/FileSystem.h"
#include "output/SepaDocument.h"
#include "output/SepaRecord.h"
#include "processing/DateTime.h"
#include "processing/PaymentRecord.h"
#include "processing/Scan.h"
#include "settings/Settings.h"

#include <cstdint>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>
#include <vector>

namespace velcor::output {

// What the operator chooses for a file.
struct SepaChoices {
    PainVersion version = PainVersion::v09;
    bool instant = false;         // SEPA instant: the local instrument INST
    std::string categoryPurpose;  // four capital letters (SALA, SUPP, ...); empty: none
    // The payer's EIK/BULSTAT as the initiating party's id, as typed; empty: none.
    std::string initiatorId;
    std::optional<bool> batchBooking;  // nothing: no batch booking element
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
    // The RF field as sent (compact, upper case): the structured creditor reference, which
    // replaces the text; empty: none.
    std::string creditorReference;
    // Whether the name or the text was longer in Latin letters than the rules let the file carry,
    // and lost its end; whether the row had a text that its creditor reference kept out.
    bool nameCut = false;
    bool remittanceCut = false;
    bool remittanceDropped = false;
    // The E2E field's value where the list's format names one: the row's end-to-end id.
    std::optional<std::string> endToEndId;
};

// The list as the check scan read it and found it clean: where it is, how its rows read, its
// stamp, and the number and total of its rows, which the file must carry.
struct SepaList {
    std::string path;
    const settings::FormatDefinition* format = nullptr;
    char delimiter = ' ';
    std::optional<fileio::FileStamp> stamp;
    std::int64_t count = 0;
    processing::Cents total = 0;
    // The rules its rows to the budget were checked by, and are read again by.
    processing::BudgetRules budgetRules = processing::BudgetRules::before2023;
};

// How a list's rows read for a SEPA file ended short of a file.
enum class SepaListError {
    none,
    cannotOpen,
    readError,
    // The file is not the one the check scan read and found clean: another stamp, a row that
    // reads with a finding, another number of rows or another total.
    changed,
    rowFault,  // a row that the file cannot carry (`fault` says which and why)
    outOfMemory,
    cancelled,
};

// Why a row cannot go into a SEPA file.
enum class SepaRowProblem {
    amountOutOfRange,  // outside 0.01 to 999 999 999.99
    noName,            // no NAME, or none left in Latin letters
    iban,              // no IBAN of the form the file takes
    country,           // an IBAN of a country outside the SEPA schemes
    bic,               // a BIC not of the form `version`'s schema takes
    // A Bulgarian budget account (8 as the IBAN's 13th character): the row check wants its
    // payment code, which the file has no published place for, nor for the obligor's id.
    budgetAccount,
    endToEndId,          // an E2E value that is no identifier of the file (isSepaId)
    repeatedEndToEndId,  // an E2E value an earlier row of the list gave
    creditorReference,   // an RF value that is no ISO 11649 creditor reference
};
struct SepaRowFault {
    SepaRowProblem problem;
    std::int64_t row;
    std::string country;      // country: the two letters the IBAN begins with
    std::int64_t earlierRow;  // repeatedEndToEndId: the row that gave the id first
};
// The fault `problem` of the row of `payment`.
SepaRowFault sepaRowFault(SepaRowProblem problem, const SepaPayment& payment);

// Whether a list of `format` gives its rows' end-to-end ids: it names a field E2E.
bool namesEndToEndId(const settings::FormatDefinition& format);

// The row of `record` as a SEPA transaction carries it; its end-to-end id the E2E field's value
// where `endToEndField` (the list's format names one).
SepaPayment sepaPayment(const processing::PaymentRecord& record, bool endToEndField = false);

// The end-to-end ids the rows of a list gave so far, to find one given twice. They are kept
// whole, so its memory grows with a list that gives them.
class SepaIdsGiven {
  public:
    // The fault of `payment` when an earlier row gave its id; nothing otherwise, or when it gives
    // none. Its id counts as given from now on.
    std::optional<SepaRowFault> add(const SepaPayment& payment);

  private:
    std::unordered_map<std::string, std::int64_t> rows_;
};

// The first fault of `payment` that a file of `version` cannot carry; nothing when it can go.
std::optional<SepaRowProblem> rowProblem(const SepaPayment& payment, PainVersion version);

// The first fault of the first row that a file of `version` cannot carry, an end-to-end id given
// twice among them; nothing when every row can go.
std::optional<SepaRowFault> firstRowFault(const std::vector<SepaPayment>& payments,
                                          PainVersion version);

// The rows' names as the list holds them and as the file sends them, and their texts as sent, for
// the operator to look over before the file is written, in bounded memory: every row's while the
// list has at most kShown rows; beyond that only the rows whose name loses more than its letters'
// spelling (characters dropped or replaced, or cut at the length limit) or whose text was cut or
// kept out by a creditor reference, the first kShown of them, and how many rows were left out, of
// them how many had a name or text cut and how many a text kept out.
struct SepaNames {
    static constexpr std::size_t kShown = 1000;
    std::vector<SepaPayment> shown;  // in row order; of each its row, names, text and cuts
    std::int64_t leftOut = 0;
    std::int64_t cutsLeftOut = 0;     // rows left out whose name or text was cut
    std::int64_t droppedLeftOut = 0;  // rows left out whose text a reference kept out
    // Rows left out that lose more than their letters' spelling, the cut ones among them: past
    // kShown of them a screen can only count the rest.
    std::int64_t changedLeftOut = 0;

    void add(const SepaPayment& payment);

  private:
    bool everyRow_ = true;
};

// Whether the row's name or text is sent as more than its letters in Latin: the name loses
// characters (nameLosesCharacters) or the text was cut.
bool sentChanged(const SepaPayment& payment);

// Whether a name is sent as more than its letters in Latin: characters dropped or replaced,
// blanks aside, or the name cut at the length limit.
bool nameLosesCharacters(std::string_view written, std::string_view sent);

// What the review of a list for a SEPA file found.
struct SepaReview {
    SepaListError error = SepaListError::none;
    std::error_code cause;  // cannotOpen, readError: as the system said it
    // rowFault: the first fault of the first row a file of its version cannot carry.
    std::optional<SepaRowFault> fault;
    SepaNames names;  // read to its end, also after a row fault
};

// Reads the list's rows again, as the scan reads them (after a prepared list's header, blank
// lines left out, every row checked again), for a file of `version`: each row's names, and the
// first row the file cannot carry. With `progress`, the reading reports to it and stops when it
// asks. Its memory does not grow with the list, but for the ids an E2E field gives.
SepaReview reviewSepaList(fileio::FileSystem& fs, const SepaList& list, PainVersion version,
                          const processing::ScanProgress& progress = {});

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
    std::uint64_t unique = 0;                 // random bits of the message id and the rows' ids
    std::string listPath;                     // names the end-to-end ids
};

// The message of `payments` (faultless: firstRowFault found none): ids, names and amounts as
// the rules want them.
SepaMessage sepaMessage(const SepaFileData& data, const std::vector<SepaPayment>& payments);

struct SepaWritten {
    enum class Result {
        ok,
        schemaRefused,  // the document is not valid under its schema: nothing written
        openFailed,     // no temporary file could be made beside the file: nothing written
        writeFailed,    // writing, closing or renaming failed: nothing written
        listError,      // reading the list's rows ended short (`listError` says how)
        recordFailed,   // the export's record could not be written (`cause`): nothing written
    };
    Result result = Result::ok;
    SepaListError listError = SepaListError::none;
    std::optional<SepaRowFault> fault;  // listError rowFault
    std::string complaint;              // schemaRefused: the validator's words
    std::error_code cause;  // openFailed, writeFailed, recordFailed, listError cannotOpen/readError
    // The file was put in place, its record not (`cause`).
    bool recordNotPlaced = false;
};

// Writes the SEPA file of the list at `path`: the group header first, with the number and total
// of the rows the check scan found; then each row, as the list is read again, checked again and
// turned into its transaction, written to a temporary file beside `path` as it comes; then that
// file validated against its version's schema as a stream. Only a file whose rows matched the
// scan's number, total and stamp, and that the schema takes, replaces `path`, in one step; any
// failure leaves no file. Memory does not grow with the list, but for the ids an E2E field gives.
// `permissions` (POSIX bits): those the file may have at most, so that it is no more open than
// the list it comes from. With `recorder`, each row goes to the export's record as it is written,
// and the record is put in place right after the file.
SepaWritten writeSepaFile(fileio::FileSystem& fs, const std::string& path, const SepaList& list,
                          const SepaFileData& data, const processing::ScanProgress& progress = {},
                          std::optional<std::uint32_t> permissions = std::nullopt,
                          SepaRecorder* recorder = nullptr);

// Narrows the permissions of the file at `path` to `permissions` (POSIX bits), where the system
// has them and `fs` is the real file system: a file written beside a list is no more open than
// the list.
void narrowPermissions(fileio::FileSystem& fs, const std::string& path,
                       std::optional<std::uint32_t> permissions);

// The permission bits of the file at `path`, where the system has them and `fs` is the real file
// system; nothing otherwise.
std::optional<std::uint32_t> filePermissions(fileio::FileSystem& fs, const std::string& path);

}  // namespace velcor::output
