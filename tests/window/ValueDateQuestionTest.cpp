#include "window/WindowSetup.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;

constexpr std::string_view kRows = "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n";

// A window with a clean DP list of 8 December 2006 (kToday, a Friday) open, the operator's
// value date picked in the date picker.
struct OpenList {
    explicit OpenList(processing::LocalDateTime valueDate) : w(standardSettings()) {
        w.selectType(1);
        list = w.writeList("O081206P.1DP", kRows);
        w.browse(list);
        w.host.setDateValue(idPaymentDate, valueDate);
        w.host.clearEvents();
    }
    WindowSetup w;
    std::string list;
};

TEST(ValueDateQuestion, NoKeepsTheListAsItWasAndYesPreparesIt) {
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Да" : "Не");
        OpenList s({2006, 12, 25, 10, 30, 0, true});
        s.w.host.goOnAnswer = yes;
        const Outcome outcome = s.w.dialog->prepare();
        const std::string question =
            "Датата на МП (25.12.2006) е празник в България (Коледа). Да продължа ли?"_cp;
        EXPECT_EQ(s.w.host.questions(), std::vector<std::string>{question});
        EXPECT_TRUE(s.w.host.messages().empty());
        EXPECT_EQ(outcome.messages,
                  (std::vector<ShownMessage>{{Message::valueDateQuestion, question}}));
        ASSERT_TRUE(outcome.valueDateWarning);
        EXPECT_EQ(outcome.valueDateWarning->problem, processing::ValueDateProblem::publicHoliday);
        EXPECT_EQ(outcome.done, yes);
        EXPECT_EQ(s.w.state().filePrepared, yes);
        EXPECT_EQ(s.w.host.isChecked(idPrepared), yes);
        const std::string written = testing::readFileBytes(s.list);
        if (yes) {
            EXPECT_EQ(written.substr(0, 15), "OMPDP;25122006;");
        } else {
            EXPECT_EQ(written, kRows);
            EXPECT_TRUE(s.w.state().fileValid);
            EXPECT_EQ(s.w.host.focusedControl(), idPaymentDate);
        }
    }
}

// The question offers the next bank day beside "Да" and "Не"; taken, it becomes the value date,
// the date picker shows it and the list is prepared with it. A date too far ahead has none to
// offer and is asked about as before.
TEST(ValueDateQuestion, TheNextBankDayIsOfferedAndTakenAsTheValueDate) {
    struct Case {
        const char* what;
        processing::LocalDateTime date;
        bool takeNext;
        std::string offered;      // empty: none
        std::string headerStart;  // the prepared list's start; empty: not written
        processing::CalendarDate shown;
    } cases[] = {
        // 24 December 2006 is a Sunday: the 27th is its day off.
        {"Christmas, the next day taken",
         {2006, 12, 25, 10, 30, 0, true},
         true,
         "Следващ работен ден (28.12.2006)"_cp,
         "OMPDP;28122006;",
         {2006, 12, 28}},
        {"a Saturday, Да",
         {2006, 12, 9, 10, 30, 0, true},
         false,
         "Следващ работен ден (11.12.2006)"_cp,
         "OMPDP;09122006;",
         {2006, 12, 9}},
        {"a day gone by, the next day taken",
         {2006, 12, 1, 10, 30, 0, true},
         true,
         "Следващ работен ден (08.12.2006)"_cp,
         "OMPDP;08122006;",
         {2006, 12, 8}},
        {"far ahead: nothing to offer",
         {2007, 12, 3, 10, 30, 0, true},
         true,
         "",
         "OMPDP;03122007;",
         {2007, 12, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenList s(c.date);
        s.w.host.nextBankDayAnswer = c.takeNext;
        const Outcome outcome = s.w.dialog->prepare();
        EXPECT_EQ(s.w.host.nextBankDaysOffered, std::vector<std::string>{c.offered});
        EXPECT_EQ(outcome.done, !c.headerStart.empty());
        EXPECT_EQ(testing::readFileBytes(s.list).substr(0, c.headerStart.size()), c.headerStart);
        const processing::LocalDateTime shown = s.w.host.dateValue(idPaymentDate);
        EXPECT_EQ((processing::CalendarDate{shown.year, shown.month, shown.day}), c.shown);
    }
}

TEST(ValueDateQuestion, IsAskedOnlyOfADateTheBankMayRefuseAndAfterThePayersChecks) {
    const struct {
        const char* what;
        processing::LocalDateTime date;
        std::string payerIban;  // typed before "Подготовка" when not empty
        std::vector<std::string> questions;
        std::vector<std::string> messages;
    } cases[] = {
        {"today, a Friday", kToday, "", {}, {}},
        {"a Monday ahead", {2006, 12, 11, 0, 0, 0, true}, "", {}, {}},
        {"yesterday",
         {2006, 12, 7, 0, 0, 0, true},
         "",
         {"Датата на МП (07.12.2006) е в миналото. Да продължа ли?"_cp},
         {}},
        {"a Saturday",
         {2006, 12, 9, 0, 0, 0, true},
         "",
         {"Датата на МП (09.12.2006) е събота. Да продължа ли?"_cp},
         {}},
        {"a holiday and a bad payer IBAN",
         {2006, 12, 25, 0, 0, 0, true},
         "BG00BNBG96618000123456",
         {},
         {"Грешен IBAN на платеца!"_cp}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        OpenList s(c.date);
        if (!c.payerIban.empty()) s.w.host.type(idPayerIban, c.payerIban);
        s.w.dialog->onCommand(idPrepare);
        EXPECT_EQ(s.w.host.questions(), c.questions);
        EXPECT_EQ(s.w.host.messages(), c.messages);
        EXPECT_EQ(s.w.state().filePrepared, c.messages.empty());
    }
}

// A list from before the euro given a value date in euro is told once that its amounts must then
// be in euro: not again for the same list, not for a date in leva, not for a list in euro.
TEST(ValueDateQuestion, ADateInEuroForAListInLevaIsToldOnce) {
    struct Case {
        const char* what;
        const char* name;
        processing::LocalDateTime date;
        std::vector<Message> first;  // the messages of the first "Подготовка"
    } cases[] = {
        {"re-dated into 2026",
         "O081206P.1DP",
         {2026, 12, 8, 10, 30, 0, true},
         {Message::amountsInEuro, Message::valueDateQuestion}},
        {"re-dated within 2006", "O081206P.1DP", {2006, 12, 11, 10, 30, 0, true}, {}},
        {"a list of 2026",
         "O150126P.1DP",
         {2026, 1, 15, 10, 30, 0, true},
         {Message::valueDateQuestion}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(standardSettings());
        w.dialog->keepPreparesIn(w.dir.file("data/undo"));
        w.selectType(1);
        w.browse(w.writeList(c.name, kRows));
        w.host.setDateValue(idPaymentDate, c.date);
        const Outcome first = w.dialog->prepare();
        ASSERT_TRUE(first.done);
        std::vector<Message> kinds;
        for (const ShownMessage& message : first.messages) kinds.push_back(message.kind);
        EXPECT_EQ(kinds, c.first);
        // Undone and prepared again with the same date: nothing more is said of the euro.
        ASSERT_TRUE(w.dialog->undoPrepare().done);
        w.host.clearEvents();
        ASSERT_TRUE(w.dialog->prepare().done);
        for (const std::string& message : w.host.messages())
            EXPECT_NE(message, session::messageText(Message::amountsInEuro));
    }
    EXPECT_EQ(session::messageText(Message::amountsInEuro),
              "С дата на МП след 31.12.2025 сумите в списъка трябва да са в евро, а не в лева!"_cp
                  .view());
}

}  // namespace
}  // namespace velcor::window::test
