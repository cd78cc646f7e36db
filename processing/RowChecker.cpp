#include "processing/RowChecker.h"

#include "checks/Bic.h"
#include "checks/Iban.h"
#include "checks/PersonalIds.h"
#include "checks/WeightTable.h"
#include "processing/Amount.h"
#include "processing/BudgetUnitCode.h"
#include "processing/ByteSearch.h"
#include "processing/CheckText.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <string>
#include <unordered_map>

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kNoDelimiter = "Няма разделител (%c)  на ред: %lld"_cp;
constexpr auto kBicMismatch = "BIC за банка, различна от банката на IBAN  на ред: %lld"_cp;
constexpr auto kWrongIban = "Грешен IBAN( %s ) на ред: %lld"_cp;
constexpr auto kWrongEgn = "Грешен ЕГН  на ред: %lld"_cp;
constexpr auto kWrongBulstat = "Грешен БУЛСТАТ  на ред: %lld"_cp;
constexpr auto kZeroSum = "Нулева сума на ред: %lld"_cp;
constexpr auto kNoBudgetCode = "Липсва код за плащане на бюджетна сметка на ред: %lld"_cp;
constexpr auto kNoSebraCode = "Липсва код за плащане СЕБРА на ред: %lld"_cp;
constexpr auto kWrongBic = "Грешен BIC на ред: %lld"_cp;
constexpr auto kNoBic = "Липсва BIC на ред: %lld"_cp;

constexpr auto kNoObligorId = "Липсва идентификатор на задълженото лице на ред: %lld"_cp;
constexpr auto kWrongObligorId = "Грешен идентификатор на задълженото лице на ред: %lld"_cp;
constexpr auto kPaymentCodeNotAllowed =
    "Код за плащане се попълва само за сметки с 84 на позиции 13-14 на ред: %lld"_cp;

constexpr auto kInvalidSum = "Невалидна сума на ред: %lld"_cp;
constexpr auto kControlByte = "Недопустим управляващ знак (0x%02X) на ред: %lld"_cp;
constexpr auto kRowTooShort = "Редът е по-къс от формата (%lld знака) на ред: %lld"_cp;
constexpr auto kRowTooLong = "Редът е по-дълъг от формата (%lld знака) на ред: %lld"_cp;

constexpr std::string_view kPaymentPrefix = "PAYMENT";
constexpr std::string_view kPaymentSebra = "PAYMENT_SEBRA";

}  // namespace

bool isBlankLine(std::string_view line, const settings::FormatDefinition* format, char delimiter) {
    const char separator = format == nullptr || format->delimited ? delimiter : ' ';
    // Asked of every line: most begin with data, and are told at their first byte.
    for (const char c : line)
        if (c != separator && c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
    return true;
}

RowChecker::RowChecker(const settings::FormatDefinition* format, char delimiter,
                       BudgetRules budgetRules)
    : format_(format), delimiter_(delimiter), budgetRules_(budgetRules) {
    if (format_ == nullptr) return;
    const bool sebraType = settings::isSebraType(format_);
    fields_.reserve(format_->fields.size());
    // The last definition of each name so far: a format may define thousands of fields, and a
    // search through those before would make preparing it quadratic.
    std::unordered_map<std::string, std::size_t> lastOfName;
    lastOfName.reserve(format_->fields.size());
    for (const settings::FieldDefinition& definition : format_->fields) {
        Field field;
        field.name = text::upperLatin(definition.name);
        if (field.name == "SUM")
            field.kind = FieldKind::sum;
        else if (field.name == "IBAN")
            field.kind = FieldKind::iban;
        else if (field.name == "BIC")
            field.kind = FieldKind::bic;
        else if (field.name == "EGN")
            field.kind = FieldKind::egn;
        else if (field.name == "BULSTAT")
            field.kind = FieldKind::bulstat;
        field.column = definition.number > 0 ? static_cast<std::size_t>(definition.number) - 1 : 0;
        field.start = definition.start;
        field.end = definition.end;
        width_ = std::max<long long>(width_, definition.end);

        const auto [last, first] = lastOfName.try_emplace(field.name, fields_.size());
        if (!first) {
            field.previousOfName = last->second;
            last->second = fields_.size();
        }
        const bool budget = field.name.starts_with(kPaymentPrefix);
        const bool sebra = sebraType && field.name == kPaymentSebra;
        if (budget || sebra) {
            // A repeated name shares the slot of its first definition, as it shares its entry.
            if (!first) {
                field.codeSlot = fields_[field.previousOfName].codeSlot;
            } else {
                field.codeSlot = paymentCodes_.size();
                paymentCodes_.push_back({fields_.size(), field.codeSlot,
                                         FieldValues::chainOf(field.name), budget, sebra});
            }
        }
        field.neededWhenMissing = field.kind == FieldKind::iban || field.kind == FieldKind::sum ||
                                  field.codeSlot != kNoSlot;
        if (field.name == "NAME") nameFields_.push_back(fields_.size());
        if (field.kind == FieldKind::iban) ibanFields_.push_back(fields_.size());
        if (field.kind == FieldKind::sum) sumFields_.push_back(fields_.size());
        if (field.kind == FieldKind::egn) egnFields_.push_back(fields_.size());
        if (field.kind == FieldKind::bulstat) bulstatFields_.push_back(fields_.size());
        fields_.push_back(std::move(field));
    }
    // The record's table visits its chains upwards and, within a chain, the name added last
    // first; a row adds its payment codes in the order of their first definitions.
    std::stable_sort(
        paymentCodes_.begin(), paymentCodes_.end(), [](const PaymentCode& a, const PaymentCode& b) {
            return a.chain != b.chain ? a.chain < b.chain : a.firstField > b.firstField;
        });
    // Numbered 1..n in line order, the columns are the ones the line order reads.
    byColumnNumber_ = settings::readsByColumnNumber(*format_);
    bool inLineOrder = true;
    for (std::size_t i = 0; i < fields_.size() && inLineOrder; ++i)
        inLineOrder = fields_[i].column == i;
    if (inLineOrder) byColumnNumber_ = false;
    fieldValues_.resize(fields_.size());
    present_.resize(fields_.size());
    codeValues_.resize(paymentCodes_.size());
}

void RowChecker::check(std::string_view line, std::int64_t rowNumber, Cents& totalSum,
                       RowFindings& findings) {
    rowNumber_ = rowNumber;
    budgetAccount_ = false;
    hasIban_ = false;
    bic_.reset();
    std::fill(present_.begin(), present_.end(), char{0});
    if (format_ == nullptr) return;
    const std::size_t firstKept = findings.kept.size();

    // A byte that no bank takes would reach the bank file unseen by any field check: a NUL inside
    // an account, a vertical tab that some readers take for a line end.
    if (const std::size_t at = findControlByte(line); at != std::string_view::npos)
        findings.add(FindingKind::controlByte, rowNumber_, kControlByte.c_str(),
                     static_cast<unsigned>(static_cast<unsigned char>(line[at])),
                     static_cast<long long>(rowNumber_));
    widthRefused_ = !format_->delimited && !widthFits(line, findings);

    const std::size_t firstMissing = format_->delimited ? readDelimited(line, totalSum, findings)
                                                        : readFixedLength(line, totalSum, findings);
    // A row that ends before its account, its amount or a payment code is no payment: those
    // fields are checked as present and empty, once per name, so the row cannot pass without
    // them. Other fields stay absent.
    for (std::size_t i = firstMissing; i < fields_.size(); ++i)
        if (filledWhenMissing(i)) store(i, {}, totalSum, findings);
    if (!paymentCodes_.empty()) checkRecord(findings);
    if (budgetRules_ == BudgetRules::from2023 && budgetAccount_) checkBudgetPayment(findings);
    // A clean row costs nothing here: only a row with a finding kept copies its values.
    if (findings.kept.size() > firstKept) describeRow(findings, firstKept);
}

std::size_t RowChecker::readDelimited(std::string_view line, Cents& totalSum,
                                      RowFindings& findings) {
    const std::string_view row = text::trimWhitespace(line);
    const std::size_t count = fields_.size();
    if (!byColumnNumber_) {
        // The definitions take the columns in line order until the row ends.
        std::size_t p = 0;
        std::size_t reached = 0;
        for (; reached < count && p <= row.size(); ++reached) {
            std::string_view value;
            const std::size_t k = findByte(row, delimiter_, p);
            if (k != std::string_view::npos) {
                value = row.substr(p, k - p);
                p = k + 1;
            } else {
                value = row.substr(p);
                p = row.size() + 1;
                if (reached == 0)
                    findings.add(FindingKind::noDelimiter, rowNumber_, kNoDelimiter.c_str(),
                                 delimiter_, static_cast<long long>(rowNumber_));
            }
            present_[reached] = 1;
            store(reached, text::trimWhitespace(value), totalSum, findings);
        }
        return reached;
    }
    columns_.clear();
    for (std::size_t p = 0;;) {
        const std::size_t k = findByte(row, delimiter_, p);
        if (k == std::string_view::npos) {
            columns_.push_back(row.substr(p));
            break;
        }
        columns_.push_back(row.substr(p, k - p));
        p = k + 1;
    }
    if (columns_.size() == 1 && count > 0)
        findings.add(FindingKind::noDelimiter, rowNumber_, kNoDelimiter.c_str(), delimiter_,
                     static_cast<long long>(rowNumber_));
    // Each definition reads the column it names, in line order, so that the messages keep the
    // order of the field lines; a column past the row's end leaves its field absent.
    for (std::size_t i = 0; i < count; ++i)
        if (fields_[i].column < columns_.size()) {
            present_[i] = 1;
            store(i, text::trimWhitespace(columns_[fields_[i].column]), totalSum, findings);
        }
    return 0;
}

std::size_t RowChecker::readFixedLength(std::string_view line, Cents& totalSum,
                                        RowFindings& findings) {
    const auto length = static_cast<long long>(line.size());
    std::size_t i = 0;
    for (; i < fields_.size(); ++i) {
        const Field& field = fields_[i];
        if (field.end - field.start + 1 <= 0 || field.end > length) break;
        // A start below column 1 reads from column 1: nothing in front of the row is read.
        const long long first = std::max(field.start, 1LL);
        const long long size = std::max(field.end - first + 1, 0LL);
        present_[i] = 1;
        store(i,
              text::trimWhitespace(
                  line.substr(static_cast<std::size_t>(first - 1), static_cast<std::size_t>(size))),
              totalSum, findings);
    }
    return i;
}

std::string_view RowChecker::lastValue(const std::vector<std::size_t>& definitions) const {
    // The record keeps the value of a repeated name's last definition that the row reached.
    for (auto it = definitions.rbegin(); it != definitions.rend(); ++it)
        if (inRecord(*it)) return fieldValues_[*it];
    return {};
}

void RowChecker::describeRow(RowFindings& findings, std::size_t from) const {
    if (from >= findings.kept.size()) return;
    const std::string_view name = lastValue(nameFields_);
    const std::string_view iban = lastValue(ibanFields_);
    const std::string_view amount = lastValue(sumFields_);
    for (std::size_t i = from; i < findings.kept.size(); ++i) {
        RowFinding& finding = findings.kept[i];
        finding.payeeName = name;
        finding.iban = iban;
        finding.amount = amount;
    }
}

bool RowChecker::filledWhenMissing(std::size_t index) const {
    const Field& field = fields_[index];
    return field.neededWhenMissing && present_[index] == 0 &&
           (field.previousOfName == kNone || present_[field.previousOfName] != 0);
}

bool RowChecker::widthFits(std::string_view line, RowFindings& findings) {
    if (width_ <= 0) return true;
    const std::string_view content = line.ends_with('\n') ? line.substr(0, line.size() - 1) : line;
    const auto length = static_cast<long long>(content.size());
    const auto row = static_cast<long long>(rowNumber_);
    // One byte more or less than the layout shifts every column behind it, so an amount can read
    // other digits than were written. Blanks (or a CR) beyond the last column are padding.
    if (length > width_) {
        if (text::trimBlanks(content.substr(static_cast<std::size_t>(width_))).empty()) return true;
        findings.add(FindingKind::rowTooLong, rowNumber_, kRowTooLong.c_str(), width_, row);
        return false;
    }
    if (length == width_) return true;
    // One byte short, the line end stands in the layout's last column, as layouts that count it
    // have always been read. That reading holds unless an amount, read one column to the left
    // (where a lost byte in front of it would have put it), is another amount.
    bool shiftsAnAmount = length < width_ - 1;
    for (std::size_t i = 0; i < fields_.size() && !shiftsAnAmount; ++i) {
        const Field& field = fields_[i];
        if (field.kind != FieldKind::sum || field.start < 2 || field.end < field.start) continue;
        const auto columns = [&](long long first, long long last) {
            return text::trimWhitespace(line.substr(static_cast<std::size_t>(first - 1),
                                                    static_cast<std::size_t>(last - first + 1)));
        };
        const AmountReading read = readAmount(columns(field.start, field.end));
        const AmountReading shifted = readAmount(columns(field.start - 1, field.end - 1));
        shiftsAnAmount = shifted.kind != AmountReading::Kind::invalid &&
                         (shifted.kind != read.kind || shifted.cents != read.cents);
    }
    if (shiftsAnAmount)
        findings.add(FindingKind::rowTooShort, rowNumber_, kRowTooShort.c_str(), width_, row);
    return !shiftsAnAmount;
}

PaymentRecord RowChecker::record() const {
    PaymentRecord record;
    fillRecord(record);
    return record;
}

void RowChecker::fillRecord(PaymentRecord& record) const {
    record.values.clear();
    record.budgetAccount = budgetAccount_;
    record.rowNumber = rowNumber_;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (inRecord(i)) record.values.set(fields_[i].name, fieldValues_[i]);
}

// Stores the value of definition `index` and runs the checks of its name.
void RowChecker::store(std::size_t index, std::string_view value, Cents& totalSum,
                       RowFindings& findings) {
    const Field& field = fields_[index];
    fieldValues_[index] = value;
    if (field.codeSlot != kNoSlot) codeValues_[field.codeSlot] = value;
    if (field.kind != FieldKind::other) checkField(field, value, totalSum, findings);
}

void RowChecker::checkField(const Field& field, std::string_view value, Cents& totalSum,
                            RowFindings& findings) {
    const auto row = static_cast<long long>(rowNumber_);
    switch (field.kind) {
        case FieldKind::bic:
            // Only a BIC of its form is matched against the IBAN: any four letters in front of
            // other bytes would do otherwise.
            bic_.reset();
            if (value.empty()) {
                findings.add(FindingKind::noBic, rowNumber_, kNoBic.c_str(), row);
                break;
            }
            if (!checks::CheckBic(value)) {
                findings.add(FindingKind::wrongBic, rowNumber_, kWrongBic.c_str(), row);
                break;
            }
            bic_ = value;
            if (hasIban_ && !checks::BicMatchesIban(value, {ibanStart_, ibanStartLength_}))
                findings.add(FindingKind::bicMismatch, rowNumber_, kBicMismatch.c_str(), row);
            break;
        case FieldKind::iban: {
            // CheckIban writes its reason whenever it refuses; the buffer is read only then.
            char reason[kReasonBufferSize];
            reason[0] = '\0';
            if (!checks::CheckIbanField(value, reason, sizeof reason))
                findings.add(FindingKind::wrongIban, rowNumber_, kWrongIban.c_str(), reason, row);
            hasIban_ = true;
            ibanStartLength_ = checks::CompactIbanStart(value, ibanStart_, sizeof ibanStart_);
            const std::string_view start(ibanStart_, ibanStartLength_);
            if (bic_ && !checks::BicMatchesIban(*bic_, start))
                findings.add(FindingKind::bicMismatch, rowNumber_, kBicMismatch.c_str(), row);
            // A row's IBAN needs a 14th character as well; the payer's needs only the 13th.
            if (start.size() > 13 && hasBudgetAccountDigit(start)) budgetAccount_ = true;
            break;
        }
        case FieldKind::egn:
            if (!value.empty() && !checks::CheckEgn(value) && !obligorsForeignerNumber(value))
                findings.add(FindingKind::wrongEgn, rowNumber_, kWrongEgn.c_str(), row);
            break;
        case FieldKind::bulstat:
            if (!value.empty() && !checks::CheckBulstat(value) && !obligorsForeignerNumber(value))
                findings.add(FindingKind::wrongBulstat, rowNumber_, kWrongBulstat.c_str(), row);
            break;
        case FieldKind::sum: {
            const AmountReading amount = readAmount(value);
            // An amount the total cannot take any more is refused like a malformed one.
            constexpr Cents kMax = std::numeric_limits<Cents>::max();
            if (amount.kind == AmountReading::Kind::invalid || totalSum > kMax - amount.cents)
                findings.add(FindingKind::invalidSum, rowNumber_, kInvalidSum.c_str(), row);
            else if (amount.kind == AmountReading::Kind::zero)
                findings.add(FindingKind::zeroSum, rowNumber_, kZeroSum.c_str(), row);
            else if (!widthRefused_)  // its digits may not be the ones written
                totalSum += amount.cents;
            break;
        }
        case FieldKind::other:
            break;
    }
}

void RowChecker::checkRecord(RowFindings& findings) {
    const auto row = static_cast<long long>(rowNumber_);
    // Every code has its value by now: read from the row, or empty for a row that ended before it.
    for (const PaymentCode& code : paymentCodes_) {
        if (!codeValues_[code.slot].empty()) continue;
        if (code.budget && budgetAccount_ && budgetRules_ == BudgetRules::before2023)
            findings.add(FindingKind::noBudgetCode, rowNumber_, kNoBudgetCode.c_str(), row);
        if (code.sebra)
            findings.add(FindingKind::noSebraCode, rowNumber_, kNoSebraCode.c_str(), row);
    }
}

bool RowChecker::obligorsForeignerNumber(std::string_view value) const {
    return budgetRules_ == BudgetRules::from2023 && isForeignerNumberForm(value);
}

void RowChecker::checkBudgetPayment(RowFindings& findings) {
    const auto row = static_cast<long long>(rowNumber_);
    switch (readObligorId(lastValue(egnFields_), lastValue(bulstatFields_))) {
        case ObligorId::valid:
            break;
        case ObligorId::missing:
            findings.add(FindingKind::noObligorId, rowNumber_, kNoObligorId.c_str(), row);
            break;
        case ObligorId::wrong:
            findings.add(FindingKind::wrongObligorId, rowNumber_, kWrongObligorId.c_str(), row);
            break;
    }
    // Only the payment-type code is bound to "84" accounts; the SEBRA code keeps its own rule.
    const std::string_view start(ibanStart_, ibanStartLength_);
    if (start.size() > 13 && start[12] == '8' && start[13] == '4') return;
    for (const PaymentCode& code : paymentCodes_) {
        if (!code.budget || fields_[code.firstField].name == kPaymentSebra ||
            codeValues_[code.slot].empty())
            continue;
        findings.add(FindingKind::paymentCodeNotAllowed, rowNumber_, kPaymentCodeNotAllowed.c_str(),
                     row);
        return;
    }
}

}  // namespace velcor::processing
