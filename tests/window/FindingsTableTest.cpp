#include "window/FindingsTable.h"

#include "text/Cp1251.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;
using processing::FindingKind;
using processing::RowFinding;

RowFinding finding(std::int64_t row, FindingKind kind, std::string_view text,
                   std::string_view name = {}, std::string_view amount = {}) {
    return {row,
            kind,
            std::string(text),
            std::string(name),
            "BG80BNBG96611020345678",
            std::string(amount)};
}

TEST(FindingsTable, TheProblemIsTheMessageWithoutItsRow) {
    const std::pair<std::string_view, std::string_view> cases[] = {
        {"Няма разделител (;)  на ред: 3"_cp, "Няма разделител (;)"_cp},
        {"Грешен IBAN( Грешна дължина ) на ред: 12"_cp, "Грешен IBAN( Грешна дължина )"_cp},
        {"Редът е по-дълъг от 4094 знака на ред: 7"_cp, "Редът е по-дълъг от 4094 знака"_cp},
        {"Нулева сума"_cp, "Нулева сума"_cp},
        {" на ред: 5"_cp, "Нулева сума"_cp},  // nothing before the row: the kind in words
    };
    for (const auto& [message, problem] : cases)
        EXPECT_EQ(findingProblem(finding(1, FindingKind::zeroSum, message)), problem)
            << text::toUtf8(message);
}

TEST(FindingsTable, TheSummaryCountsRowsAndEveryFindingByKindTheMostFrequentFirst) {
    const std::pair<std::int64_t, std::string> cases[] = {
        {processing::kMaxFindingsKept,
         "Редове с грешки: 3, грешки: 6 — Нулева сума: 3, Грешен ЕГН: 2, CR без LF: 1"},
        {4,
         "Редове с грешки: 3, грешки: 6 — Нулева сума: 3, Грешен ЕГН: 2, CR без LF: 1. В "
         "таблицата са първите 4."},
    };
    for (const auto& [keep, summary] : cases) {
        processing::RowFindings findings;
        findings.keep = keep;
        findings.add(FindingKind::loneCr, 1, "c");
        for (int i = 0; i < 2; ++i) findings.add(FindingKind::wrongEgn, i, "e");
        for (int i = 0; i < 3; ++i) findings.add(FindingKind::zeroSum, i, "z");
        EXPECT_EQ(text::toUtf8(findingsSummary(findings)), summary);
    }
    EXPECT_EQ(text::toUtf8(findingsSummary({})), "Редове с грешки: 0, грешки: 0");
}

TEST(FindingsTable, TheSummaryNamesTheBicFindingsByTheirKinds) {
    processing::RowFindings findings;
    for (int i = 0; i < 2; ++i) findings.add(FindingKind::wrongBic, i, "b");
    findings.add(FindingKind::noBic, 3, "n");
    findings.add(FindingKind::bicMismatch, 4, "m");
    EXPECT_EQ(text::toUtf8(findingsSummary(findings)),
              "Редове с грешки: 4, грешки: 4 — Грешен BIC: 2, BIC на друга банка: 1, Липсва BIC: "
              "1");
    EXPECT_EQ(processing::findingKindName(FindingKind::wrongBic), "wrong-bic");
    EXPECT_EQ(processing::findingKindName(FindingKind::noBic), "no-bic");
}

TEST(FindingsTable, SortsByAnyColumnEitherWayKeepingTheFoundOrderOfEquals) {
    const std::vector<RowFinding> findings = {
        finding(4, FindingKind::zeroSum, "Нулева сума на ред: 4"_cp, "борис"_cp, "0"),
        finding(2, FindingKind::wrongEgn, "Грешен ЕГН  на ред: 2"_cp, "Анна"_cp, "100"),
        finding(3, FindingKind::invalidSum, "Невалидна сума на ред: 3"_cp, "Борис"_cp, "1,50"),
        finding(1, FindingKind::wrongEgn, "Грешен ЕГН  на ред: 1"_cp, "Zoe", "20.5"),
        finding(2, FindingKind::bicMismatch, "BIC за банка на ред: 2"_cp, "Анна"_cp, "100"),
    };
    struct Case {
        FindingsColumn column;
        bool descending;
        std::vector<std::size_t> order;
    } cases[] = {
        {FindingsColumn::row, false, {3, 1, 4, 2, 0}},
        {FindingsColumn::row, true, {0, 2, 1, 4, 3}},
        // Latin before Cyrillic, capitals with their small letters.
        {FindingsColumn::payeeName, false, {3, 1, 4, 0, 2}},
        {FindingsColumn::payeeName, true, {0, 2, 1, 4, 3}},
        // By value, not by text: what is no amount first.
        {FindingsColumn::amount, false, {2, 0, 3, 1, 4}},
        {FindingsColumn::amount, true, {1, 4, 3, 0, 2}},
        {FindingsColumn::problem, false, {4, 1, 3, 2, 0}},
        {FindingsColumn::iban, false, {0, 1, 2, 3, 4}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(findingsOrder(findings, c.column, c.descending), c.order)
            << static_cast<int>(c.column) << (c.descending ? " falling" : " rising");
}

// A row's findings fold under its first, wherever the scan told them; sorting orders the rows by
// their first findings.
TEST(FindingsTable, FoldsARowsFindingsUnderItsFirstAndSortsTheRows) {
    const std::vector<RowFinding> findings = {
        finding(1, FindingKind::noDelimiter, "Няма разделител (;)  на ред: 1"_cp, "", ""),
        finding(1, FindingKind::wrongIban, "Грешен IBAN на ред: 1"_cp, "", ""),
        finding(2, FindingKind::zeroSum, "Нулева сума на ред: 2"_cp, "Анна"_cp, "0"),
        // A CR at the end of row 1 is told once the next line shows no LF follows it.
        finding(1, FindingKind::loneCr, "CR без LF на ред: 1"_cp, "", ""),
        finding(3, FindingKind::invalidSum, "Невалидна сума на ред: 3"_cp, "Борис"_cp, "1,5x"),
    };
    const std::vector<FindingsOfRow> rows = findingsByRow(findings);
    ASSERT_EQ(rows.size(), 3u);
    const struct {
        std::size_t first;
        std::vector<std::size_t> rest;
    } folded[] = {{0, {1, 3}}, {2, {}}, {4, {}}};
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].first, folded[i].first) << i;
        EXPECT_EQ(rows[i].rest, folded[i].rest) << i;
    }
    EXPECT_TRUE(findingsByRow({}).empty());

    const struct {
        FindingsColumn column;
        bool descending;
        std::vector<std::size_t> order;
    } cases[] = {
        {FindingsColumn::row, true, {4, 2, 0}},
        {FindingsColumn::payeeName, false, {0, 2, 4}},
        // No amount reads as nought; an amount that is no number comes first.
        {FindingsColumn::amount, false, {4, 0, 2}},
        {FindingsColumn::problem, false, {4, 2, 0}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(findingsOrder(findings, {0, 2, 4}, c.column, c.descending), c.order)
            << static_cast<int>(c.column);
}

}  // namespace
}  // namespace velcor::window::test
