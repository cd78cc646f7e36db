#include "session/StatusTexts.h"

#include "session/Messages.h"
#include "text/Cp1251.h"
#include "text/Text.h"

namespace velcor::session {

using namespace text::literals;
using output::PaymentState;
using output::StatusMismatchKind;
using output::StatusReportError;

namespace {

constexpr auto kNoValidation =
    "Тази версия на програмата не проверява XML файлове: отговорът на банката не може да се "
    "прочете."_cp;
constexpr auto kCannotOpen = "Не може да се прочете файл: %s (%s)"_cp;
constexpr auto kReadError = "Грешка при четене на файла %s (%s)!"_cp;
constexpr auto kTooLarge = "Файлът %s е твърде голям за отговор на банката (2 GB или повече)."_cp;
constexpr auto kDoctype =
    "Файлът %s съдържа декларация DOCTYPE: отговорът на банката няма такава и файлът не се "
    "чете."_cp;
constexpr auto kNotXml = "Файлът %s не е цял и правилен XML документ (%s)."_cp;
constexpr auto kPaymentFile =
    "Файлът %s е SEPA платежен файл (%s), а не отговор на банката за него (pain.002)."_cp;
constexpr auto kOtherXml = "Файлът %s не е отговор на банката (pain.002): документът е %s."_cp;
constexpr auto kUnknownVersion =
    "Файлът %s е отговор на банката във версия, която програмата не познава (%s); познава "
    "pain.002.001.10 и pain.002.001.03."_cp;
constexpr auto kInvalid = "Файлът %s не отговаря на схемата на %s (%s)."_cp;
constexpr auto kUnknownExport =
    "Отговорът е за файл %s, който не е записан с тази програма от този потребител."_cp;
constexpr auto kExportLetGo =
    "Отговорът е за файл %s, чийто запис вече е изтрит (по-стар от 90 дни или над общия "
    "размер на записите)."_cp;
constexpr auto kRecordUnreadable = "Записът за файл %s не може да се прочете (%s)."_cp;
constexpr auto kRecordDamaged = "Записът за файл %s е повреден."_cp;
constexpr auto kDuplicate = "Отговорът съдържа плащането %s повече от веднъж."_cp;
constexpr auto kOutOfMemory = "Няма достатъчно памет!"_cp;

constexpr auto kAccepted = "приет"_cp;
constexpr auto kPending = "в обработка"_cp;
constexpr auto kRejected = "отхвърлен"_cp;
constexpr auto kPartly = "частично приет"_cp;
constexpr auto kUnknown = "неизвестно"_cp;
constexpr auto kNoDescription = "код без описание"_cp;

constexpr auto kGroupLine = "Отговор %s за файл %s (%s, %lld плащания за %s EUR, дата %s): %s"_cp;
constexpr auto kReasonLine = "Причина: %s"_cp;
constexpr auto kCounts = "Приети: %lld, отхвърлени: %lld, в обработка: %lld"_cp;
constexpr auto kPaymentLine = "Ред %lld: %s, %s, %s EUR: %s"_cp;
constexpr auto kGroupsStatus = " (състоянието на файла)"_cp;

constexpr auto kUnknownId = "Несъответствие: плащане %s не е във файла."_cp;
constexpr auto kAmountDiffers =
    "Несъответствие: ред %lld (%s): сумата в отговора е %s, във файла %s."_cp;
constexpr auto kIbanDiffers =
    "Несъответствие: ред %lld (%s): IBAN в отговора е %s, във файла %s."_cp;
constexpr auto kCountDiffers = "Несъответствие: броят плащания в отговора е %s, във файла %s."_cp;
constexpr auto kStatusCounts =
    "Несъответствие: броят плащания по състояния в отговора (%s) не се събира с %s."_cp;
constexpr auto kVersionDiffers = "Несъответствие: отговорът е за съобщение %s, а файлът е %s."_cp;

constexpr auto kRejectedWritten = "Отхвърлените редове (%lld) са записани в %s."_cp;
constexpr auto kNoneRejected = "Няма отхвърлени редове: %s не е записан."_cp;
constexpr auto kRejectedExists =
    "Файлът %s вече съществува и не се презаписва: отхвърлените редове не са записани."_cp;
constexpr auto kRejectedFailed = "Отхвърлените редове не могат да се запишат в %s (%s)!"_cp;

std::string amountText(processing::Cents cents) {
    return text::format("%lld.%02lld", static_cast<long long>(cents / 100),
                        static_cast<long long>(cents % 100));
}

std::string s(std::string_view view) { return std::string(view); }

}  // namespace

std::string statusErrorText(const output::StatusReport& report, std::string_view path) {
    const std::string file = s(path);
    const std::string id = report.originalMessageId;
    switch (report.error) {
        case StatusReportError::none:
            return {};
        case StatusReportError::noValidation:
            return s(kNoValidation);
        case StatusReportError::cannotOpen:
            return text::format(kCannotOpen.c_str(), file.c_str(),
                                fileReason(report.cause).c_str());
        case StatusReportError::readError:
            return text::format(kReadError.c_str(), file.c_str(), fileReason(report.cause).c_str());
        case StatusReportError::tooLarge:
            return text::format(kTooLarge.c_str(), file.c_str());
        case StatusReportError::doctype:
            return text::format(kDoctype.c_str(), file.c_str());
        case StatusReportError::notXml:
            return text::format(kNotXml.c_str(), file.c_str(), report.complaint.c_str());
        case StatusReportError::paymentFile:
            return text::format(kPaymentFile.c_str(), file.c_str(), report.complaint.c_str());
        case StatusReportError::otherXml:
            return text::format(kOtherXml.c_str(), file.c_str(), report.complaint.c_str());
        case StatusReportError::unknownVersion:
            return text::format(kUnknownVersion.c_str(), file.c_str(), report.complaint.c_str());
        case StatusReportError::invalid:
            return text::format(kInvalid.c_str(), file.c_str(),
                                s(output::statusVersionName(report.version)).c_str(),
                                report.complaint.c_str());
        case StatusReportError::unknownExport:
            return text::format(kUnknownExport.c_str(), id.c_str());
        case StatusReportError::exportLetGo:
            return text::format(kExportLetGo.c_str(), id.c_str());
        case StatusReportError::recordUnreadable:
            return text::format(kRecordUnreadable.c_str(), id.c_str(),
                                fileReason(report.cause).c_str());
        case StatusReportError::recordDamaged:
            return text::format(kRecordDamaged.c_str(), id.c_str());
        case StatusReportError::duplicateEndToEndId:
            return text::format(kDuplicate.c_str(), report.duplicateId.c_str());
        case StatusReportError::outOfMemory:
            return s(kOutOfMemory);
    }
    return {};
}

std::string_view paymentStateText(PaymentState state) {
    switch (state) {
        case PaymentState::accepted:
            return kAccepted;
        case PaymentState::pending:
            return kPending;
        case PaymentState::rejected:
            return kRejected;
        case PaymentState::partly:
            return kPartly;
        case PaymentState::unknown:
            break;
    }
    return kUnknown;
}

std::string statusCodeText(std::string_view code, PaymentState state) {
    if (code.empty()) return s(paymentStateText(state));
    std::string text = output::paymentStatusText(code).text;
    text += " (";
    text += code;
    text += ')';
    return text;
}

std::string reasonText(std::string_view code) {
    std::string text(code);
    text += ' ';
    text += output::statusReasonText(code).value_or(s(kNoDescription));
    return text;
}

std::string groupStatusLine(const output::StatusReport& report) {
    const processing::LocalDateTime& date = report.exported.executionDate;
    std::string line = text::format(
        kGroupLine.c_str(), report.messageId.c_str(), report.originalMessageId.c_str(),
        report.exported.listPath.c_str(), static_cast<long long>(report.exported.count),
        amountText(report.exported.total).c_str(),
        text::format("%02d.%02d.%04d", date.day, date.month, date.year).c_str(),
        statusCodeText(report.groupStatus, report.groupState).c_str());
    std::string reasons;
    // Appended piece by piece: GCC 12 misreads "; " + std::string(...) as overlapping copies.
    const auto add = [&reasons](const std::string& piece) {
        if (!reasons.empty()) reasons += "; ";
        reasons += piece;
    };
    for (const std::string& code : report.groupReasons) add(reasonText(code));
    if (!report.groupText.empty()) add(report.groupText);
    if (!reasons.empty()) {
        line += '\n';
        line += text::format(kReasonLine.c_str(), reasons.c_str());
    }
    return line;
}

std::string statusCountsText(const output::StatusReport& report) {
    return text::format(kCounts.c_str(), static_cast<long long>(report.accepted),
                        static_cast<long long>(report.rejected),
                        static_cast<long long>(report.pending));
}

std::string paymentStatusText(const output::PaymentStatusLine& line) {
    std::string out =
        text::format(kPaymentLine.c_str(), static_cast<long long>(line.row), line.name.c_str(),
                     line.iban.c_str(), amountText(line.amount).c_str(),
                     statusCodeText(line.status, line.state).c_str());
    if (!line.listed) out += kGroupsStatus;
    for (const std::string& code : line.reasons) {
        out += "; ";
        out += reasonText(code);
    }
    if (!line.additionalText.empty()) {
        out += "; ";
        out += line.additionalText;
    }
    return out;
}

std::string mismatchText(const output::StatusMismatch& m) {
    const long long row = static_cast<long long>(m.row);
    switch (m.kind) {
        case StatusMismatchKind::unknownEndToEndId:
            return text::format(kUnknownId.c_str(), m.endToEndId.c_str());
        case StatusMismatchKind::amountDiffers:
            return text::format(kAmountDiffers.c_str(), row, m.endToEndId.c_str(),
                                m.reported.c_str(), m.exported.c_str());
        case StatusMismatchKind::ibanDiffers:
            return text::format(kIbanDiffers.c_str(), row, m.endToEndId.c_str(), m.reported.c_str(),
                                m.exported.c_str());
        case StatusMismatchKind::countDiffers:
            return text::format(kCountDiffers.c_str(), m.reported.c_str(), m.exported.c_str());
        case StatusMismatchKind::statusCountsDiffer:
            return text::format(kStatusCounts.c_str(), m.reported.c_str(), m.exported.c_str());
        case StatusMismatchKind::versionDiffers:
            return text::format(kVersionDiffers.c_str(), m.reported.c_str(), m.exported.c_str());
    }
    return {};
}

std::string rejectedListText(const output::StatusReport& report, std::string_view path) {
    const std::string file = s(path);
    using List = output::StatusReport::RejectedList;
    switch (report.rejectedList) {
        case List::notAsked:
            return {};
        case List::written:
            return text::format(kRejectedWritten.c_str(),
                                static_cast<long long>(report.rejectedRows), file.c_str());
        case List::noneRejected:
            return text::format(kNoneRejected.c_str(), file.c_str());
        case List::exists:
            return text::format(kRejectedExists.c_str(), file.c_str());
        case List::openFailed:
        case List::writeFailed:
            return text::format(kRejectedFailed.c_str(), file.c_str(),
                                fileReason(report.rejectedCause).c_str());
    }
    return {};
}

}  // namespace velcor::session
