#include "window/WindowSetup.h"

#include "text/Cp1251.h"
#include "window/ControlTable.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;

constexpr std::string_view kCleanRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\n";
constexpr std::string_view kRowsWithMessages =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;0\r\n";

const std::string kBadDate(std::string_view("Невалидна дата в името на файла!"_cp));
const std::string kNotO(std::string_view("Файлът не започва с 'О'!"_cp));

TEST(DialogInitialisation, SelectsTheFirstDpWithItsKindAndDelimiter) {
    struct Case {
        std::string settings;
        int selection;
        std::string delimiter;
        int kind;
    } cases[] = {
        {standardSettings(), 1, ";", 0},
        {"[DP]\r\nIBAN = 1,1,22\r\n[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\n", 0, " ", 1},
        {"[AA]\r\nIBAN = 1,1,22\r\n[dp]\r\nIBAN = 1,1,22\r\n", -1, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.settings);
        WindowSetup w(c.settings);
        ASSERT_TRUE(w.initialised);
        EXPECT_EQ(w.host.listSelection(idPaymentType), c.selection);
        EXPECT_EQ(w.host.listSelection(idFormatKind), c.kind);
        EXPECT_EQ(w.host.controlText(idDelimiter), c.delimiter);
        EXPECT_EQ(w.state().delimiterText, c.delimiter);
        EXPECT_EQ(w.host.listEntries(idFormatKind),
                  (std::vector<std::string>{std::string(formatKindDelimited()),
                                            std::string(formatKindFixed())}));
        EXPECT_TRUE(w.host.messages().empty());
    }
}

TEST(DialogInitialisation, ShowsPayerDataTodayAndTheLimits) {
    WindowSetup w(standardSettings());
    EXPECT_EQ(w.host.listEntries(idPaymentType),
              (std::vector<std::string>{"[SB]", "[DP] // main", "[FX]"}));
    EXPECT_EQ(w.host.controlText(idPayerIban), kBudgetIban);
    EXPECT_EQ(w.host.controlText(idPayerBic), "BNBGBGSD");
    EXPECT_EQ(w.host.controlText(idPayerName), "Firma OOD");
    EXPECT_EQ(w.host.controlText(idBudgetUnitCode), "1234563");
    EXPECT_EQ(w.host.dateValue(idPaymentDate), kToday);
    const std::pair<ControlId, int> limits[] = {{idPayerIban, 22},      {idPayerBic, 8},
                                                {idPayerName, 35},      {idPaymentKindCode, 6},
                                                {idBudgetUnitCode, 10}, {idDelimiter, 1}};
    for (const auto& [id, limit] : limits) EXPECT_EQ(w.host.editLimit(id), limit) << id;
}

TEST(DialogInitialisation, MissingOrBadSettingsEndTheDialog) {
    {
        testing::TempDir dir;
        testing::ScriptedDialogHost host(kToday);
        BulkPaymentDialog dialog(host, fileio::standardFileSystem(), dir.file("omp.ini"));
        EXPECT_FALSE(dialog.initialise().done);
        EXPECT_EQ(host.endResult(), 2);
        EXPECT_TRUE(host.messages().empty()) << "a missing file shows nothing";
        EXPECT_TRUE(host.listEntries(idPaymentType).empty());
    }
    const std::string utf8Tail(std::string_view(
        " е записан в UTF-8. Запишете го с кодировка Windows-1251 (Кирилица) и опитайте "
        "отново."_cp));
    const struct {
        std::string settings;
        std::string message;  // "%s": the settings path
    } cases[] = {
        {"[FX]\r\nIBAN = 1,5,2\r\n",
         std::string("Некоректна дефиниция за поле: IBAN от секция: FX"_cp)},
        {"[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nSUM = 1\r\n",
         std::string("Некоректна номерация на полетата в секция: DP"_cp)},
        {"[FX]\r\nSUM = 1,1,10\r\nIBAN = 2,11,32\r\nSum = 3,33,40\r\n",
         std::string("Полето Sum е определено повече от веднъж в секция: FX"_cp)},
        {"\xEF\xBB\xBF" + standardSettings(), std::string("Файлът "_cp) + "%s" + utf8Tail},
    };
    for (const auto& c : cases) {
        WindowSetup bad(c.settings);
        EXPECT_FALSE(bad.initialised);
        EXPECT_EQ(bad.host.endResult(), 2);
        std::string message = c.message;
        if (const std::size_t at = message.find("%s"); at != std::string::npos)
            message.replace(at, 2, bad.settingsPath);
        EXPECT_EQ(bad.host.messages(), std::vector<std::string>{message});
    }
}

TEST(DialogDataExchange, OverLongValueStopsTheExchangeAtIt) {
    const std::string longName(40, 'N');
    WindowSetup w(standardSettings(
        "[CLIENT]\r\nIBAN = BG80BNBG96611020345678\r\nNAME = " + longName + "\r\n"));
    EXPECT_EQ(w.host.controlText(idPayerName), longName) << "a longer stored value is shown whole";
    w.host.type(idPaymentKindCode, "12345");
    w.host.type(idBudgetUnitCode, "1234563");
    const std::string list = w.writeList("O081206P.1DP", kCleanRows);
    w.browse(list);
    ASSERT_FALSE(w.host.messages().empty());
    EXPECT_EQ(w.host.messages().front(), "Please enter no more than 35 characters.");
    EXPECT_EQ(w.host.focusedControl(), idPayerName);
    EXPECT_EQ(w.state().payerName, longName) << "the value is taken over, then refused";
    EXPECT_EQ(w.state().paymentKindCode, "") << "fields after it are not taken over";
    EXPECT_EQ(w.state().budgetUnitCode, "");
    EXPECT_EQ(w.host.controlText(idPaymentKindCode), "12345") << "and the typed text stays";
    EXPECT_EQ(w.host.controlText(idCount), "2") << "the scan goes on with what was taken";
}

TEST(DialogDataExchange, TypedTextSurvivesRefreshesUntilTakenOver) {
    WindowSetup w(standardSettings());
    w.host.type(idPaymentKindCode, "12345");
    w.host.type(idPayerIban, std::string(kPlainIban));
    w.selectType(2);  // a payment-type change refreshes every edit from the state
    EXPECT_EQ(w.host.controlText(idPaymentKindCode), "12345");
    EXPECT_EQ(w.host.controlText(idPayerIban), kPlainIban);
    EXPECT_EQ(w.state().payerIban, kBudgetIban) << "not in the state before a take-over";

    w.selectType(1);
    w.browse(w.writeList("O081206P.1DP", kCleanRows));
    EXPECT_EQ(w.state().paymentKindCode, "12345");
    EXPECT_EQ(w.state().payerIban, kPlainIban);
    EXPECT_FALSE(w.host.isModified(idPaymentKindCode)) << "taken over: the flag is cleared";
    // Once taken over, the edit shows the state again: here the values of a prepared list's
    // header, taken into the state by the next scan.
    const std::string header = "OMPDP;08122006;" + std::string(kPlainIban) + ";999;Firma OOD;" +
                               std::string(text::trimBlanks(w.state().totalText)) + ";" +
                               w.state().countText + "; " + w.state().controlCodeText + "; \r\n";
    w.browse(w.writeList("O081206P.2DP", header + std::string(kCleanRows)));
    EXPECT_TRUE(w.state().filePrepared);
    EXPECT_EQ(w.host.controlText(idPaymentKindCode), "999");
}

TEST(DialogBrowse, SuggestsTodaysNamesForTheSelectedType) {
    WindowSetup w(standardSettings());
    w.host.openFileAnswer.reset();
    const std::pair<int, std::string> cases[] = {
        {1, "O081206P.*DP*"}, {0, "O081206P.*SB*"}, {2, "O081206P.*FX*"}, {-1, "O081206P.*DP*"}};
    for (const auto& [position, suggestion] : cases) {
        w.selectType(position);
        w.dialog->onCommand(idBrowse);
        EXPECT_EQ(w.host.suggestedNames().back(), suggestion);
    }
    EXPECT_FALSE(w.state().fileValid);
    EXPECT_TRUE(w.host.messages().empty()) << "a cancelled dialog does nothing";
}

TEST(DialogBrowse, NameRules) {
    struct Case {
        const char* name;     // created in the folder unless it holds a backslash
        std::string message;  // expected message box, empty for none
        bool scanned;
        processing::LocalDateTime date;
    } cases[] = {
        {"O081206P.1DP", "", true, {2006, 12, 8, 10, 30, 0, true}},
        {"o150107P.1DP", "", true, {2007, 1, 15, 10, 30, 0, true}},
        {"Q081206P.1DP", kNotO, false, kToday},
        {"O310206P.1DP", kBadDate, false, kToday},
        {"O401206P.1DP", kBadDate, false, kToday},
        {"O082006P.1DP", kBadDate, false, kToday},
        {"O0812x6P.1DP", kBadDate, false, kToday},
        {"pay.txt", "", true, kToday},
        {"O401206PDP", "", true, kToday},
        {"C:\\lists\\Q081206P.1DP", kNotO, false, kToday},
        // Hidden files, such as a temporary file another run left behind.
        {".O081206P.1DP", kNotO, false, kToday},
        {".velcor-x", kNotO, false, kToday},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowSetup w(standardSettings());
        const std::string path = std::string_view(c.name).find('\\') != std::string_view::npos
                                     ? std::string(c.name)
                                     : w.writeList(c.name, kCleanRows);
        w.host.setControlText(idInputPath, "typed.path");
        w.host.setControlText(idTotal, "shown before");
        w.browse(path);
        const auto messages = w.host.messages();
        if (c.message.empty()) {
            EXPECT_TRUE(messages.empty());
        } else {
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0], c.message);
        }
        EXPECT_EQ(w.state().paymentDate, c.date);
        EXPECT_EQ(w.state().fileValid, c.scanned);
        if (c.scanned) {
            EXPECT_EQ(w.state().inputPath, path);
            EXPECT_EQ(w.host.controlText(idCount), "2");
        } else {
            // The session holds no list it did not open; the path box keeps what was typed.
            EXPECT_EQ(w.state().inputPath, "");
            EXPECT_EQ(w.host.controlText(idInputPath), "typed.path");
            EXPECT_EQ(w.host.controlText(idTotal), "shown before");
        }
    }
}

// The rules read the file name only: a full stop in a folder name (/home/j.smith/...) neither
// switches them off nor stands in for the file name's own.
TEST(DialogBrowse, FullStopInAFolderNameLeavesTheNameRulesOn) {
    WindowSetup w(standardSettings());
    std::filesystem::create_directory(w.dir.path() / "j.smith");
    w.browse(w.writeList("j.smith/o150107P.1DP", kCleanRows));
    EXPECT_TRUE(w.host.messages().empty());
    EXPECT_TRUE(w.state().fileValid);
    EXPECT_EQ(w.state().paymentDate, (processing::LocalDateTime{2007, 1, 15, 10, 30, 0, true}));

    w.browse(w.writeList("j.smith/Q081206P.1DP", kCleanRows));
    EXPECT_EQ(w.host.messages(), std::vector<std::string>{kNotO});
    w.host.clearEvents();
    w.browse("C:\\lists.2006\\Q081206P.1DP");
    EXPECT_EQ(w.host.messages(), std::vector<std::string>{kNotO});
    EXPECT_FALSE(w.state().fileValid);

    // A file name without a full stop of its own still has no name rules.
    w.host.clearEvents();
    w.browse(w.writeList("j.smith/Q401206P", kCleanRows));
    EXPECT_TRUE(w.host.messages().empty());
    EXPECT_TRUE(w.state().fileValid);
    EXPECT_EQ(w.state().paymentDate, kToday);
}

TEST(DialogBrowse, CleanScanShowsTheControlDataAndClearsPrepared) {
    WindowSetup w(standardSettings());
    // A list prepared here first, so that the next choice has a prepared list to forget.
    w.browse(w.writeList("O081206P.3DP", kCleanRows));
    ASSERT_TRUE(w.dialog->prepare().done);
    ASSERT_TRUE(w.host.isChecked(idPrepared));
    const std::string list = w.writeList("O081206P.1DP", kCleanRows);
    w.browse(list);
    EXPECT_TRUE(w.state().fileValid);
    EXPECT_FALSE(w.state().filePrepared);
    EXPECT_FALSE(w.host.isChecked(idPrepared));
    EXPECT_EQ(w.host.controlText(idInputPath), list);
    EXPECT_EQ(w.host.controlText(idTotal), "       30.75");
    EXPECT_EQ(w.host.controlText(idCount), "2");
    EXPECT_EQ(w.host.controlText(idControlCode).size(), 8u);
    EXPECT_EQ(w.host.dateValue(idPaymentDate), kToday);
    EXPECT_TRUE(w.host.reports().empty());
}

TEST(DialogBrowse, RowMessagesAfterBrowseAndAfterTypeChangeDifferInWhatStays) {
    WindowSetup w(standardSettings());
    const std::string list = w.writeList("O081206P.1DP", kRowsWithMessages);
    w.browse(list);
    ASSERT_EQ(w.host.reports().size(), 1u);
    EXPECT_EQ(w.host.reports()[0], session::rowFindingsHtml(w.state().rowFindings));
    EXPECT_NE(w.host.reports()[0].find("<BR>"), std::string::npos);
    EXPECT_FALSE(w.state().fileValid);
    EXPECT_EQ(w.host.controlText(idTotal), "       10.50") << "the scan's figures stay";
    EXPECT_EQ(w.host.controlText(idCount), "2");
    const std::string code = w.host.controlText(idControlCode);
    EXPECT_EQ(code.size(), 8u);
    EXPECT_TRUE(w.state().totalText.empty()) << "while the state is reset";

    w.selectType(1);
    EXPECT_EQ(w.host.reports().size(), 2u);
    EXPECT_EQ(w.host.controlText(idTotal), "");
    EXPECT_EQ(w.host.controlText(idCount), "");
    EXPECT_EQ(w.host.controlText(idControlCode), code);
    EXPECT_FALSE(w.state().fileValid);
}

// A screen that lists the findings in a table gets every one of them; the message list beside it
// names the first thousand, and how many more there are.
TEST(DialogBrowse, AScreenWithATableGetsEveryFindingAndTheMessageListTheFirstThousand) {
    WindowSetup w(standardSettings());
    w.host.rowFindingsShownAnswer = processing::kMaxFindingsKept;
    std::string rows;
    for (int i = 0; i < 1500; ++i) rows += "BG80BNBG96611020345678;BNBGBGSD;Ivan;0\r\n";
    w.browse(w.writeList("O081206P.1DP", rows));
    ASSERT_EQ(w.host.shownFindings().size(), 1u);
    const processing::RowFindings& shown = w.host.shownFindings()[0].findings;
    EXPECT_EQ(shown.kept.size(), 1500u);
    EXPECT_EQ(shown.kept.back().row, 1500);
    ASSERT_EQ(w.host.reports().size(), 1u);
    const std::string messages = w.host.reports()[0];
    EXPECT_EQ(std::count(messages.begin(), messages.end(), '<'), 1001);
    EXPECT_NE(messages.find(std::string("още 500 не са показани"_cp)), std::string::npos);
}

TEST(DialogPaymentType, ChangeShowsKindAndDelimiterAndRescans) {
    WindowSetup w(standardSettings());
    w.selectType(2);
    EXPECT_EQ(w.host.controlText(idDelimiter), " ");
    EXPECT_EQ(w.host.listSelection(idFormatKind), 1);
    EXPECT_EQ(w.host.listSelection(idPaymentType), 2);
    EXPECT_TRUE(w.host.reports().empty()) << "no file chosen: no scan";
    w.selectType(-1);
    EXPECT_EQ(w.host.controlText(idDelimiter), " ") << "no format: the delimiter stays";
    EXPECT_EQ(w.host.listSelection(idFormatKind), 0);

    w.selectType(1);
    w.browse(w.writeList("O081206P.1DP", kCleanRows));
    EXPECT_TRUE(w.state().fileValid);
    w.selectType(2);  // the fixed-length layout finds no valid IBAN in these rows
    EXPECT_FALSE(w.state().fileValid);
    EXPECT_EQ(w.host.reports().size(), 1u);
    w.selectType(1);
    EXPECT_TRUE(w.state().fileValid);
    EXPECT_EQ(w.host.controlText(idCount), "2");
}

}  // namespace
}  // namespace velcor::window::test
