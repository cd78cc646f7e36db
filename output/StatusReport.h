#pragma once

// The bank's answer to a SEPA file: an ISO 20022 customer payment status report (pain.002),
// validated against its version's schema, read as a stream and matched, payment by payment, with
// the record its export left (output/SepaRecord.h). Nothing here knows a screen: a window shows
// the StatusReport, velcor-cli prints it.

#include "fileio/FileSystem.h"
#include "output/SepaRecord.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velcor::output {

// What a status code says of the payments it is given to.
enum class PaymentState {
    accepted,
    pending,   // received, pending, blocked: not yet known
    rejected,  // rejected or cancelled
    partly,    // a group's: some payments accepted, some not
    unknown,   // a code the program does not know
};

// A status code with its Bulgarian text (Windows-1251).
struct StatusCodeText {
    PaymentState state = PaymentState::unknown;
    std::string text;  // "код без описание" for a code not in the list
    bool known = false;
};
StatusCodeText paymentStatusText(std::string_view code);
// The Bulgarian text (Windows-1251) of a reason code; nothing for one not in the list.
std::optional<std::string> statusReasonText(std::string_view code);

// The versions of the report: .10 answers a pain.001.001.09, .03 a pain.001.001.03.
enum class StatusVersion { v10, v03 };
std::string_view statusVersionName(StatusVersion version);

// One payment that was not accepted, with what the export wrote of it and why the bank says so.
struct PaymentStatusLine {
    std::int64_t row = 0;
    std::string endToEndId;
    std::string name;  // as sent
    std::string iban;
    processing::Cents amount = 0;
    std::string status;  // the code; a payment the report does not list has its group's
    PaymentState state = PaymentState::unknown;
    std::vector<std::string> reasons;  // codes (Cd) or the bank's own (Prtry), as given
    std::string additionalText;        // AddtlInf, Windows-1251, the pieces joined by a blank
    bool listed = true;                // false: the report gives it only its group's status
};

// What the report says that does not agree with the export, or with itself.
enum class StatusMismatchKind {
    unknownEndToEndId,   // the export wrote no payment of that id
    amountDiffers,       // OrgnlTxRef's amount is not the one the export wrote
    ibanDiffers,         // OrgnlTxRef's creditor IBAN is not the one the export wrote
    countDiffers,        // OrgnlNbOfTxs is not the export's number of payments
    statusCountsDiffer,  // NbOfTxsPerSts does not add up to the number of payments
    versionDiffers,      // OrgnlMsgNmId names another message than the export wrote
};
struct StatusMismatch {
    StatusMismatchKind kind = StatusMismatchKind::unknownEndToEndId;
    std::string endToEndId;
    std::int64_t row = 0;
    std::string reported;  // as the report gives it (Windows-1251)
    std::string exported;  // as the export wrote it
};

enum class StatusReportError {
    none,
    noValidation,      // this build has no libxml2
    cannotOpen,        // `cause`
    readError,         // `cause`
    tooLarge,          // 2 GB or more
    doctype,           // a document type declaration: refused, never read
    notXml,            // not well-formed: `complaint`
    paymentFile,       // a pain.001 (a SEPA file, not an answer to one)
    otherXml,          // another kind of document: `complaint` names its namespace
    unknownVersion,    // a pain.002 of another version: `complaint` names it
    invalid,           // not valid under its schema: `complaint`
    unknownExport,     // no record of OrgnlMsgId
    exportLetGo,       // the record was let go
    recordUnreadable,  // `cause`
    recordDamaged,
    duplicateEndToEndId,  // `duplicateId`
    outOfMemory,
};

// What a report said, matched with its export. Its lists keep the first kShown entries; the
// counts are of all.
struct StatusReport {
    static constexpr std::size_t kShown = 1000;

    StatusReportError error = StatusReportError::none;
    std::string complaint;  // libxml2's words (English), or the namespace found
    std::error_code cause;
    std::string duplicateId;

    StatusVersion version = StatusVersion::v10;
    std::string messageId;          // the report's own
    std::string originalMessageId;  // the export's
    SepaRecordHeader exported;      // what the export's record says of it

    std::string groupStatus;                          // GrpSts; empty where the report gives none
    PaymentState groupState = PaymentState::unknown;  // also where made of the payments'
    std::vector<std::string> groupReasons;
    std::string groupText;

    std::int64_t accepted = 0;
    std::int64_t pending = 0;
    std::int64_t rejected = 0;

    std::vector<PaymentStatusLine> payments;  // not accepted, in the report's order
    std::int64_t paymentsLeftOut = 0;
    std::vector<StatusMismatch> mismatches;
    std::int64_t mismatchesLeftOut = 0;

    // --rejected-list: what became of the new list of the rejected rows.
    enum class RejectedList { notAsked, written, noneRejected, exists, openFailed, writeFailed };
    RejectedList rejectedList = RejectedList::notAsked;
    std::error_code rejectedCause;
    std::int64_t rejectedRows = 0;

    bool ok() const { return error == StatusReportError::none; }
};

struct StatusReadOptions {
    // Every payment not accepted, in order, also beyond kShown.
    std::function<void(const PaymentStatusLine&)> payments;
    // Told once the report was validated and matched, before the first payment is.
    std::function<void(const StatusReport&)> checked;
    // Where the rows rejected go, as the exported list held them; never over an existing file.
    std::optional<std::string> rejectedListPath;
};

// The largest report read.
inline constexpr std::uint64_t kMaxStatusReport = (std::uint64_t{2} << 30) - 1;

// Reads the report at `path` (validated first, read as a stream, no DTD, no entity, no network)
// and matches it with the export record in `recordsFolder`. Changes nothing, but for the rejected
// list it is asked for, written only when the report was read whole.
StatusReport readStatusReport(fileio::FileSystem& fs, const std::string& path,
                              const std::string& recordsFolder,
                              const StatusReadOptions& options = {});

}  // namespace velcor::output
