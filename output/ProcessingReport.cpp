#include "output/ProcessingReport.h"

#include "processing/DateTime.h"
#include "processing/ListName.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <array>

namespace velcor::output {

using namespace velcor::text::literals;

namespace {

constexpr auto kSunday = "Неделя"_cp;
constexpr auto kMonday = "Понеделник"_cp;
constexpr auto kTuesday = "Вторник"_cp;
constexpr auto kWednesday = "Сряда"_cp;
constexpr auto kThursday = "Четвъртък"_cp;
constexpr auto kFriday = "Петък"_cp;
constexpr auto kSaturday = "Събота"_cp;

constexpr auto kDelimitedText = "С разделител("_cp;
constexpr auto kFixedText = "С Фиксирана дължина"_cp;

constexpr auto kPiece1 =
    "<p align = \"center\"><font size=\"3\"><b>Обработка на масови плащания</b></p>"_cp;
constexpr auto kPiece2 =
    "<p align = \"center\"><font size=\"3\">Резултат от проверката на %s</p><BR>"_cp;
constexpr auto kPiece3 =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>Дата:</TD><TD "
    "width=50>%s, %02d.%02d.%04d</TD></TR></TABLE><HR>"_cp;
// The same row with an empty cell, for a value date that is no date.
constexpr auto kPiece3Empty =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>Дата:</TD><TD "
    "width=50></TD></TR></TABLE><HR>"_cp;
constexpr auto kPiece4 =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>Пореден файл за "
    "деня:</TD><TD width=50>%c</TD></TR></TABLE>"_cp;
constexpr auto kPiece5 =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>Тип на "
    "превода:</TD><TD width=50>%s</TD></TR></TABLE><BR>"_cp;
// Only for the rules since 1 October 2023: a report of the older rules reads as it always has.
constexpr auto kPieceBudgetRules =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>%s:</TD><TD "
    "width=50>%s</TD></TR></TABLE><BR>"_cp;
constexpr auto kPiece6 =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>Формат на "
    "файла:</TD><TD width=50>%s</TD></TR></TABLE><BR><BR>"_cp;
constexpr auto kPiece7 =
    "<p align = \"center\"><font size=\"3\"><b>Обобщение на съобщенията</b></p><HR>"_cp;
constexpr auto kPiece8 =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>Обща "
    "сума:</TD><TD width=50>%s</TD></TR></TABLE>"_cp;
constexpr auto kPiece9 =
    "<TABLE width=60%% rows=1 cols=2><TR><TD width=50>Брой "
    "съобщения:</TD><TD width=50>%s</TD></TR></TABLE>"_cp;
constexpr auto kPiece10 =
    "<TABLE width=60%% rows=1 cols=2><TR><TD "
    "width=50>Контрола:</TD><TD width=50>%s</TD></TR></TABLE>"_cp;
constexpr auto kPiece11 = "<HR><BR><BR><BR>"_cp;
constexpr auto kPiece12 =
    "<TABLE width=100% rows=1 cols=2><TR><TD width=50>Съставил:</TD><TD "
    "width=50>Проверил:</TD></TR></TABLE>"_cp;

// The templates are constants of this file, so handing them to printf is safe; the wrapper keeps
// the format-string warning quiet for these non-literal (compile-time converted) templates.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
#pragma GCC diagnostic ignored "-Wformat-security"
#endif
template <typename... Args>
std::string fill(const char* templateText, Args... args) {
    return text::format(templateText, args...);
}
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace

std::string_view weekdayName(int dayOfWeek) {
    static constexpr std::array<std::string_view, 7> kNames = {
        kSunday, kMonday, kTuesday, kWednesday, kThursday, kFriday, kSaturday};
    if (dayOfWeek < 0 || dayOfWeek > 6) return {};
    return kNames[static_cast<std::size_t>(dayOfWeek)];
}

char sequenceDigit(std::string_view path) {
    if (!path.empty() && path.back() >= '0' && path.back() <= '9') return path.back();
    return '0';
}

std::string reportFormatDescription(const settings::FormatDefinition* format) {
    if (format != nullptr && format->delimited)
        return std::string(kDelimitedText.view()) + format->delimiter + ")";
    return std::string(kFixedText.view());
}

ReportFields reportFields(std::string_view inputPath, const processing::LocalDateTime& date,
                          const settings::FormatDefinition* format,
                          std::optional<std::string_view> paymentTypeText,
                          const processing::ControlData& shown,
                          processing::BudgetRules budgetRules) {
    ReportFields fields;
    fields.fileName = processing::listFileName(inputPath);
    if (date.valid && processing::isValidDate(date.day, date.month, date.year)) {
        fields.date = date;
        fields.weekday = weekdayName(processing::dayOfWeek(date.day, date.month, date.year));
    }
    fields.sequenceDigit = sequenceDigit(inputPath);
    fields.paymentType = paymentTypeText.value_or("");
    fields.formatDescription = reportFormatDescription(format);
    fields.total = shown.totalText;
    fields.count = shown.countText;
    fields.controlCode = shown.controlCodeText;
    fields.budgetRules = budgetRules;
    return fields;
}

std::string buildProcessingReport(const ReportFields& fields) {
    const auto escaped = [](std::string_view text) { return text::escapeHtml(text); };
    std::string report(kPiece1.view());
    report += fill(kPiece2.c_str(), escaped(fields.fileName).c_str());
    if (fields.date) {
        report += fill(kPiece3.c_str(), fields.weekday.c_str(), fields.date->day,
                       fields.date->month, fields.date->year);
    } else {
        report += fill(kPiece3Empty.c_str());
    }
    report += fill(kPiece4.c_str(), fields.sequenceDigit);
    report += fill(kPiece5.c_str(), escaped(fields.paymentType).c_str());
    if (fields.budgetRules != processing::BudgetRules::before2023)
        report +=
            fill(kPieceBudgetRules.c_str(), std::string(processing::budgetRulesLabel()).c_str(),
                 std::string(processing::budgetRulesText(fields.budgetRules)).c_str());
    report += fill(kPiece6.c_str(), escaped(fields.formatDescription).c_str());
    report += kPiece7.view();
    report += fill(kPiece8.c_str(), escaped(fields.total).c_str());
    report += fill(kPiece9.c_str(), escaped(fields.count).c_str());
    report += fill(kPiece10.c_str(), escaped(fields.controlCode).c_str());
    report += kPiece11.view();
    report += kPiece12.view();
    return report;
}

}  // namespace velcor::output
