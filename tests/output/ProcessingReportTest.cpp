#include "output/ProcessingReport.h"

#include "processing/ListName.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

namespace velcor::output {
namespace {

using namespace velcor::text::literals;

// What a report is made of: the list's path, its value date and its control data as shown.
struct Prepared {
    std::string inputPath = "C:\\Плащания\\O2605061"_cp;
    processing::LocalDateTime paymentDate{2006, 5, 26, 9, 0, 0, true};
    processing::ControlData shown{0, 0, processing::kCrcStart, "     1234.50", "3", "C2412435"};
};

Prepared preparedState() { return Prepared{}; }

std::string buildProcessingReport(const Prepared& state, const settings::FormatDefinition* format,
                                  std::optional<std::string_view> typeText) {
    return output::buildProcessingReport(
        reportFields(state.inputPath, state.paymentDate, format, typeText, state.shown));
}

settings::FormatDefinition semicolonFormat() {
    settings::FormatDefinition format;
    format.name = "DP";
    format.delimited = true;
    format.delimiter = ';';
    return format;
}

TEST(ProcessingReport, TwelvePiecesInOrder) {
    const auto format = semicolonFormat();
    const std::string report = buildProcessingReport(preparedState(), &format, "[DP]");
    const std::string expected(
        "<p align = \"center\"><font size=\"3\"><b>Обработка на масови плащания</b></p>"
        "<p align = \"center\"><font size=\"3\">Резултат от проверката на O2605061</p><BR>"
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Дата:</TD>"
        "<TD width=50>Петък, 26.05.2006</TD></TR></TABLE><HR>"
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Пореден файл за деня:</TD>"
        "<TD width=50>1</TD></TR></TABLE>"
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Тип на превода:</TD>"
        "<TD width=50>[DP]</TD></TR></TABLE><BR>"
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Формат на файла:</TD>"
        "<TD width=50>С разделител(;)</TD></TR></TABLE><BR><BR>"
        "<p align = \"center\"><font size=\"3\"><b>Обобщение на съобщенията</b></p><HR>"
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Обща сума:</TD>"
        "<TD width=50>     1234.50</TD></TR></TABLE>"
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Брой съобщения:</TD>"
        "<TD width=50>3</TD></TR></TABLE>"
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Контрола:</TD>"
        "<TD width=50>C2412435</TD></TR></TABLE>"
        "<HR><BR><BR><BR>"
        "<TABLE width=100% rows=1 cols=2><TR><TD width=50>Съставил:</TD>"
        "<TD width=50>Проверил:</TD></TR></TABLE>"_cp);
    EXPECT_EQ(report, expected);
}

TEST(ProcessingReport, WeekdaysFromSundayToSaturday) {
    const std::string_view names[] = {"Неделя"_cp,    "Понеделник"_cp, "Вторник"_cp, "Сряда"_cp,
                                      "Четвъртък"_cp, "Петък"_cp,      "Събота"_cp};
    // 21 to 27 May 2006 run from Sunday to Saturday.
    for (int day = 21; day <= 27; ++day) {
        auto state = preparedState();
        state.paymentDate.day = day;
        const std::string report = buildProcessingReport(state, nullptr, "[DP]");
        const std::string cell =
            std::string(names[day - 21]) + ", " + std::to_string(day) + ".05.2006</TD>";
        EXPECT_NE(report.find(cell), std::string::npos) << day;
    }
    EXPECT_EQ(weekdayName(7), "");
    EXPECT_EQ(weekdayName(-1), "");
}

TEST(ProcessingReport, FileNameAndSequenceDigitFromThePath) {
    struct Case {
        std::string_view path;
        std::string_view name;
        char digit;
    } cases[] = {
        {"C:\\pay\\O2605061", "O2605061", '1'},
        {"C:\\pay\\O260506P.1DP", "O260506P.1DP", '0'},
        {"/home/op/O260506P.19", "O260506P.19", '9'},
        {"O2605067.txt", "O2605067.txt", '0'},
        {"O2605067", "O2605067", '7'},
        {"C:\\pay\\", "", '0'},
        {"", "", '0'},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(processing::listFileName(c.path), c.name) << c.path;
        EXPECT_EQ(sequenceDigit(c.path), c.digit) << c.path;
    }
}

TEST(ProcessingReport, FormatDescriptions) {
    const auto semicolon = semicolonFormat();
    settings::FormatDefinition fixed;
    fixed.name = "DP";
    EXPECT_EQ(reportFormatDescription(&semicolon), std::string("С разделител(;)"_cp));
    EXPECT_EQ(reportFormatDescription(&fixed), std::string("С Фиксирана дължина"_cp));
    EXPECT_EQ(reportFormatDescription(nullptr), std::string("С Фиксирана дължина"_cp));
}

TEST(ProcessingReport, TextsFromFilesAreEscaped) {
    auto format = semicolonFormat();
    format.delimiter = '<';
    auto state = preparedState();
    state.inputPath = "C:\\pay\\a&b<c>\"d\".1";
    const std::string report = buildProcessingReport(state, &format, "[<DP> & \"x\"]");
    EXPECT_NE(report.find(" a&amp;b&lt;c&gt;&quot;d&quot;.1</p>"), std::string::npos);
    EXPECT_NE(report.find(">[&lt;DP&gt; &amp; &quot;x&quot;]</TD>"), std::string::npos);
    EXPECT_NE(report.find(std::string("С разделител(&lt;)"_cp)), std::string::npos);
    EXPECT_EQ(report.find("<c>"), std::string::npos);
}

TEST(ProcessingReport, InvalidDateAndNoTypeGiveEmptyCells) {
    auto state = preparedState();
    state.paymentDate = {2006, 2, 31, 0, 0, 0, true};
    const std::string report = buildProcessingReport(state, nullptr, std::nullopt);
    EXPECT_NE(report.find(std::string("Дата:</TD><TD width=50></TD>"_cp)), std::string::npos);
    EXPECT_NE(report.find(std::string("превода:</TD><TD width=50></TD>"_cp)), std::string::npos);
    state.paymentDate.valid = false;
    state.paymentDate.day = 26;
    EXPECT_NE(buildProcessingReport(state, nullptr, std::nullopt)
                  .find(std::string("Дата:</TD><TD width=50></TD>"_cp)),
              std::string::npos);
}

// A list checked by the rules for payments to the budget since 1 October 2023 says so after its
// payment type; one checked by the older rules has the report as it always was.
TEST(ProcessingReport, NamesTheNewerRulesForPaymentsToTheBudget) {
    const auto format = semicolonFormat();
    const Prepared state = preparedState();
    const std::string older = output::buildProcessingReport(
        reportFields(state.inputPath, state.paymentDate, &format, "[DP]", state.shown));
    const struct {
        processing::BudgetRules rules;
        std::string added;  // after the payment type's row
    } cases[] = {
        {processing::BudgetRules::before2023, ""},
        {processing::BudgetRules::from2023,
         "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Правила за плащания към бюджета:</TD>"
         "<TD width=50>от 01.10.2023</TD></TR></TABLE><BR>"_cp},
    };
    const std::string typeRow = "<TD width=50>[DP]</TD></TR></TABLE><BR>";
    for (const auto& c : cases) {
        std::string expected = older;
        expected.insert(expected.find(typeRow) + typeRow.size(), c.added);
        EXPECT_EQ(output::buildProcessingReport(reportFields(
                      state.inputPath, state.paymentDate, &format, "[DP]", state.shown, c.rules)),
                  expected);
    }
}

}  // namespace
}  // namespace velcor::output
