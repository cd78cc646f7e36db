#pragma once

// The SEPA credit-transfer file (ISO 20022 pain.001) as values, and its XML: one payment
// information block for the whole list, one transaction per row. The rules of the EPC
// implementation guidelines that no schema holds (identifiers, lengths, amounts) are kept by the
// values' makers here; the writer writes what it is given.

#include "output/SepaSchema.h"
#include "processing/Amount.h"
#include "processing/DateTime.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velcor::output {

// The limits of the EPC guidelines.
inline constexpr std::size_t kMaxSepaId = 35;
inline constexpr std::size_t kMaxSepaName = 70;
inline constexpr std::size_t kMaxSepaRemittance = 140;
inline constexpr processing::Cents kMinSepaAmount = 1;                 // 0.01
inline constexpr processing::Cents kMaxSepaAmount = 99'999'999'999LL;  // 999 999 999.99
// The longest IBAN (ISO 13616).
inline constexpr std::size_t kMaxIban = 34;

struct SepaTransaction {
    std::string endToEndId;
    processing::Cents amount = 0;
    std::string creditorName;  // in the SEPA character set
    std::string creditorIban;  // compact
    std::string creditorBic;   // empty: no creditor agent
    std::string remittance;    // empty: none
    // A creditor reference (ISO 11649, compact): sent as the structured remittance instead of
    // the text, which the EPC rules let stand only one of. Empty: none.
    std::string creditorReference;
};

struct SepaMessage {
    PainVersion version = PainVersion::v09;
    std::string messageId;
    processing::LocalDateTime created;
    std::string paymentInformationId;
    // The initiating party's organisation id (the payer's EIK, digits); empty: none.
    std::string initiatorId;
    std::optional<bool> batchBooking;  // nothing: left to the bank
    bool instant = false;
    std::string categoryPurpose;  // empty: none
    processing::LocalDateTime executionDate;
    std::string debtorName;  // in the SEPA character set
    std::string debtorIban;  // compact
    std::string debtorBic;
    std::vector<SepaTransaction> transactions;
};

// Writes the document of a message piece by piece as its transactions arrive, so that a file of
// any length is never in memory at once: the bytes are handed to `out` in order, in blocks of some
// tens of kilobytes. The same message gives the same bytes as sepaDocument().
class SepaDocumentWriter {
  public:
    // Receives the next bytes of the document; false when they could not be taken.
    using Output = std::function<bool(std::string_view bytes)>;
    explicit SepaDocumentWriter(Output out) : out_(std::move(out)) {}

    // The group header and the payment information up to its first transaction, of `message`
    // (its transactions are not looked at) with `count` transactions worth `sum` in all.
    bool begin(const SepaMessage& message, std::int64_t count, processing::Cents sum);
    bool add(const SepaTransaction& transaction);
    // The document's end, and everything still held handed to the output.
    bool finish();

  private:
    bool flushFull();
    void open(std::string_view name, std::string_view attributes = {});
    void close(std::string_view name);
    void element(std::string_view name, std::string_view value);
    void raw(std::string_view line);
    void nested(std::string_view outer, std::string_view inner, std::string_view value);
    void agent(std::string_view element, std::string_view bic);
    void account(std::string_view element, std::string_view iban);
    void indent() { held_.append(static_cast<std::size_t>(depth_) * 2, ' '); }

    Output out_;
    std::string held_;
    int depth_ = 0;
    PainVersion version_ = PainVersion::v09;
};

// The XML document of `message` (UTF-8): the group header with the number of transactions and
// their control sum, one payment information block (method TRF, service level SEPA, local
// instrument INST when instant, the category purpose when given, charge bearer SLEV) and the
// transactions in order, amounts in EUR. No postal address is written.
std::string sepaDocument(const SepaMessage& message);

// An amount as the file writes it: "1250.00".
std::string sepaAmount(processing::Cents cents);

// The message id of an export made at `created`: the time and `unique` (random bits) in the
// letters and digits of the SEPA set, 29 characters, so that two exports never share one.
std::string sepaMessageId(const processing::LocalDateTime& created, std::uint64_t unique);

// The token of an export in its rows' end-to-end ids: the last eight characters of its message
// id (sepaMessageId), part of its random bits, so that no two exports give a row the same id.
std::string sepaExportToken(std::uint64_t unique);

// The end-to-end id of row `row` of the list at `listPath` in the export of `token`: the list's
// file name (transliterated, letters, digits, "." and "-"), the token and the row number,
// "O150126P.1DP-3A9F10C2-3", at most 35 characters; the name is cut to the same length for every
// row up to `lastRow`.
std::string sepaEndToEndId(std::string_view listPath, std::string_view token, std::int64_t row,
                           std::int64_t lastRow);

// Whether `id` may stand as an identifier of the file (an end-to-end id the list gives): 1 to 35
// characters of the SEPA set, no "/" at either end, no "//".
bool isSepaId(std::string_view id);

// The compact form of an IBAN as the IBAN check reads it (upper case, letters and digits);
// longer than kMaxIban characters when the text is.
std::string compactIban(std::string_view text);
// Whether a compact IBAN has the form a SEPA file takes: two letters, two digits, then 1 to 30
// letters or digits.
bool isSepaIban(std::string_view compact);
// Whether a compact IBAN is a Bulgarian budget account: BG, with the account type beginning with
// 8 (the IBAN's 13th character), as the row check reads a budget account.
bool isBudgetAccount(std::string_view compact);
// Whether `bic` has the form `version`'s schema takes: a BIC (8 or 11 characters, upper case),
// and for .03 no test or passive location code ("0" or "1" as its 7th character, "O" as its 8th).
bool isSepaBic(std::string_view bic, PainVersion version);
// The compact form of a creditor reference as printed (upper case, blanks left out).
std::string compactCreditorReference(std::string_view text);
// Whether a compact text is an ISO 11649 creditor reference: "RF", two check digits (not 00, 01
// or 99), then 1 to 21 letters or digits, the whole moved and read as digits as an IBAN is, with
// remainder 1 by 97.
bool isCreditorReference(std::string_view compact);
// The digits of an EIK/BULSTAT as typed (blanks and hyphens left out); longer than 13 characters
// or with other characters kept when the text has them.
std::string compactInitiatorId(std::string_view text);
// Whether `text` is an EIK/BULSTAT the file may carry as the initiating party's id: 9 digits with
// their check digit, or 13 whose first nine are such and whose last has its own check digit.
bool isInitiatorId(std::string_view text);
// Whether `code` is a category purpose code: one of ISO 20022's ExternalCategoryPurpose1Code
// (CategoryPurpose.h).
bool isCategoryPurposeCode(std::string_view code);

}  // namespace velcor::output
