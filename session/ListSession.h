#pragma once

// One payment list's life, from the settings to the files written for the bank: open a list (its
// name rules, the value date from its name, the scan), choose the payment type, take the payer's
// values, prepare, report, review and export SEPA, undo a prepare. Every operation answers with a
// Result; nothing here knows a screen. The window presents the results and asks the operator's
// questions; velcor-cli prints them.
//
// Every way out (the prepared list, the report, the SEPA file) passes one gate (passesGate): a
// list whose check passed, the value date asked or warned about, the payer's BIC of the payer
// IBAN's bank, and a target that is not the list, the settings or a file of another kind.

#include "fileio/FileSystem.h"
#include "output/PrepareHistory.h"
#include "output/SepaExport.h"
#include "processing/DateTime.h"
#include "session/ListState.h"
#include "session/LongWork.h"
#include "session/PayerValues.h"
#include "session/Result.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::session {

// The operator's answer to the question about a value date the bank may refuse.
enum class DateAnswer {
    notAsked,  // ask first: an operation meeting such a date refuses with the warning alone
    goOn,
    stop,
    // Take the warning's next bank day as the value date, and go on.
    nextBankDay,
};

// Runs long work (LongWork.h) that `what` names and returns once it has ended: the window shows
// its progress and lets the operator stop it, velcor-cli draws a bar.
using WorkRunner = std::function<void(std::string_view what, const LongWork& work)>;

// The kinds of file written beside a list, for the target gate.
enum class TargetKind { sepaXml, pdf };

// Why a file may not be written where the operator named it.
struct TargetRefusal {
    enum class Why {
        ownFile,    // it is the list or the settings, under whatever name
        otherKind,  // an existing file of another kind, which it would replace
    };
    Why why = Why::ownFile;
    ShownMessage message;
};

// Why a file of `kind` may not be written at `path`: it is the list at `listPath` or the settings
// at `settingsPath` (under any name), or an existing file of another kind that it would replace.
// Nothing when it may.
std::optional<TargetRefusal> targetRefusal(fileio::FileSystem& fs, TargetKind kind,
                                           const std::string& path, const std::string& listPath,
                                           const std::string& settingsPath);

class ListSession {
  public:
    ListSession(fileio::FileSystem& fs, std::string settingsPath);

    // What the session runs its long work with (by default: unwatched, here and now), the clock
    // it reads the day from, and how many row findings it keeps for a screen.
    void runWorkWith(WorkRunner runner) { runner_ = std::move(runner); }
    // Asked before a SEPA file is written, once every check passed: false writes nothing (the
    // export ends cancelled). Without it, the file is written unasked, as velcor-cli does.
    void confirmSepaWith(std::function<bool(const SepaConfirmation&)> confirm) {
        confirmSepa_ = std::move(confirm);
    }
    void useClock(std::function<processing::LocalDateTime()> now) { now_ = std::move(now); }
    void keepFindings(std::int64_t count) { findingsKept_ = count; }
    processing::LocalDateTime now() const { return now_(); }

    // Keeps a copy of each list that a prepare rewrites in the history at `folder`, so that undo
    // can put it back; with no folder a prepare writes nothing. Without this call no copy is kept.
    void keepPreparesIn(std::optional<std::string> folder,
                        const output::HistoryCap& cap = output::HistoryCap());

    Result loadSettings();
    // Opens the list at `path`: name rules, value date from the name, scan.
    Result open(const std::string& path);
    // The list shown is no longer the one the operator names: its figures and its scan go.
    Result forget();
    Result choosePaymentType(int position);
    // The rules the rows to the budget are checked by; the list open is read again by them.
    Result chooseBudgetRules(processing::BudgetRules rules);
    // Windows-1251: the line that says that later rules for payments to the budget exist than
    // those the list open was checked by, for its value date; nothing when none do.
    std::optional<std::string> budgetRulesHint() const { return session::budgetRulesHint(state_); }
    // Values the operator gave; they are taken over (and their limits checked) by the next
    // operation that reads the list or writes.
    void typePayerValues(const TypedPayerValues& values);
    // A value date the operator picked, taken over as the payer values are; opening a list
    // forgets it, for a list's value date comes from its name or its header.
    void typeValueDate(const processing::LocalDateTime& date) { typedDate_ = date; }
    // The values given and not yet taken over.
    const TypedPayerValues& pendingPayerValues() const { return typed_; }
    // Not done while a prepared list is open: its value date is its header's.
    Result setValueDate(int day, int month, int year);
    Result prepare(DateAnswer answer);
    // The processing report of a prepared list whose check passed; a list that failed its check
    // has its messages and findings told again instead.
    Result report();
    // Whether the checked list can go into a SEPA file, with its rows' names as sent.
    Result reviewSepa();
    Result exportSepa(const output::SepaChoices& choices, const std::string& path,
                      DateAnswer answer);
    Result undo();
    // Whether closing should ask to keep the payer's values in the settings, and the keeping.
    bool saveWanted() const;
    Result saveSettings();

    // The target gate for the list open and the session's settings.
    std::optional<TargetRefusal> targetRefusal(TargetKind kind, const std::string& path) const {
        return session::targetRefusal(fs_, kind, path, state_.inputPath, settingsPath_);
    }

    const ListState& state() const { return state_; }
    // The window exchanges its edits with the state.
    ListState& state() { return state_; }
    const std::vector<std::string>& paymentTypeEntries() const { return entries_; }
    std::optional<std::string_view> paymentTypeText(int position) const;
    const settings::FormatDefinition* selectedFormat() const;
    // The pattern of the day's lists of the selected type that an open dialog suggests.
    std::string suggestedFileName() const;
    // Where the SEPA file goes unless the operator says otherwise: the list's path with ".xml".
    std::string suggestedSepaPath() const { return state_.inputPath + ".xml"; }
    const std::string& settingsPath() const { return settingsPath_; }

  private:
    struct Run;  // the result an operation builds, and its state before

    void scan(Run& run);
    bool takeScan(Run& run, processing::ScanResult& scanned);
    bool takeControlData(Run& run, const processing::ControlData& scanned);
    void openChosen(Run& run, const std::string& path);
    bool nameRulesPass(Run& run, std::string_view path);
    void takePaymentType(Run& run);
    bool takeTyped(Run& run);
    bool scannedFileUnchanged() const;
    bool payerValuesPass(Run& run, const settings::FormatDefinition* format);
    bool payerValuesFitTheHeader(Run& run, const settings::FormatDefinition* format);
    bool payerBicOfPayerBank(Run& run, std::string_view iban, std::string_view bic);
    bool dateAccepted(Run& run, DateAnswer answer);
    bool writePreparedList(Run& run, const settings::FormatDefinition* format);
    bool keepListAsItWas(Run& run, std::optional<output::PendingPrepare>& pending);
    // The SEPA export's steps.
    bool sepaReady(Run& run, output::PainVersion version, DateAnswer answer, bool review);
    bool sepaPayerPasses(Run& run, output::PainVersion version);
    // Reads the rows again for a file of `version`: their names, and the first row it cannot
    // carry.
    bool reviewSepaRows(Run& run, output::PainVersion version);
    bool writeSepa(Run& run, const output::SepaChoices& choices, const std::string& path,
                   DateAnswer answer);
    // The row findings of the last scan, and the messages that failed it, told again.
    void tellCheckAgain(Run& run);
    char rowDelimiter(const settings::FormatDefinition* format) const;
    void takeFormatKind(const settings::FormatDefinition* format);
    Result finish(Run& run, ResultKind kind);

    fileio::FileSystem& fs_;
    std::string settingsPath_;
    ListState state_;
    std::vector<std::string> entries_;  // the entry texts of the payment-type list
    TypedPayerValues typed_;            // given, not yet taken over
    std::optional<processing::LocalDateTime> typedDate_;
    // What the last scan told, for a list that failed its check.
    std::vector<ShownMessage> checkMessages_;
    WorkRunner runner_;
    std::function<bool(const SepaConfirmation&)> confirmSepa_;
    std::function<processing::LocalDateTime()> now_;
    std::int64_t findingsKept_ = processing::kMaxRowMessages;
    bool historyWanted_ = false;
    std::optional<output::PrepareHistory> history_;
};

// The session's operations as velcor-cli and the window name the value of a cancelled result.
std::string_view resultKindName(ResultKind kind);

}  // namespace velcor::session
