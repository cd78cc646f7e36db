#include "session/LongWork.h"
#include "window/WindowSetup.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <tuple>

namespace velcor::window::test {
namespace {

constexpr std::string_view kCleanRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\n";
constexpr std::string_view kRowsWithMessages =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;0\r\n";

// What the window shows and holds of its list.
auto seen(WindowSetup& w) {
    const WorkingState& s = w.state();
    return std::make_tuple(w.host.controlText(idInputPath), w.host.controlText(idTotal),
                           w.host.controlText(idCount), w.host.controlText(idControlCode),
                           w.host.isChecked(idPrepared), w.host.isReadOnly(idPaymentDate),
                           w.host.dateValue(idPaymentDate), w.host.listSelection(idPaymentType),
                           w.host.listSelection(idFormatKind), w.host.controlText(idDelimiter),
                           s.inputPath, s.paymentDate, s.paymentType, s.totalText, s.countText,
                           s.controlCodeText, s.recordCount, s.fileValid, s.filePrepared,
                           s.rowFindings.count, s.scannedPath);
}

// Stopped while it reads a list, for whichever intent, the window stands as before the intent: the
// list shown before is still the one open, with its figures, value date and payment type. Only
// the payer values typed meanwhile have been taken over.
TEST(LongWork, StoppingTheReadingLeavesTheWindowAsIfTheListHadNotBeenOpened) {
    const struct {
        const char* name;
        bool intent;
        std::function<Outcome(WindowSetup&, const std::string& other)> act;
    } cases[] = {
        {"...", false,
         [](WindowSetup& w, const std::string& other) {
             w.browse(other);
             return Outcome{};
         }},
        {"openList", true,
         [](WindowSetup& w, const std::string& other) { return w.dialog->openList(other); }},
        {"payment type list", false,
         [](WindowSetup& w, const std::string&) {
             w.selectType(2);
             return Outcome{};
         }},
        {"choosePaymentType", true,
         [](WindowSetup& w, const std::string&) { return w.dialog->choosePaymentType(0); }},
        {"chooseBudgetRules", true,
         [](WindowSetup& w, const std::string&) {
             return w.dialog->chooseBudgetRules(processing::BudgetRules::from2023);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WindowSetup w(standardSettings());
        w.browse(w.writeList("O081206P.1DP", kCleanRows));
        ASSERT_TRUE(w.state().fileValid);
        // Another value date and findings, were the other list taken.
        const std::string other = w.writeList("O151206P.2DP", kRowsWithMessages);
        // The operator has typed a name and picked a date, neither taken over yet.
        w.host.type(idPayerName, "Nova firma");
        w.host.setDateValue(idPaymentDate, {2006, 12, 20, 10, 30, 0, true});
        const auto before = seen(w);
        w.host.clearEvents();

        w.host.stopWorkAt = 1;
        const Outcome outcome = c.act(w, other);
        EXPECT_TRUE(seen(w) == before);
        EXPECT_TRUE(w.host.events().empty()) << w.host.events().front().text;
        EXPECT_EQ(w.state().payerName, "Nova firma");
        EXPECT_EQ(w.host.controlText(idPayerName), "Nova firma");
        EXPECT_EQ(w.host.longWork.back(), readingListText());
        // The intents say so in their outcome; the host's commands have none.
        EXPECT_EQ(outcome.cancelled, c.intent);
        EXPECT_FALSE(outcome.done);

        // Not stopped, the same intent takes the list.
        c.act(w, other);
        EXPECT_FALSE(seen(w) == before);
    }
}

// Stopped while the prepared file is written, "Подготовка" replaces nothing and says nothing; the
// list stays ready to be prepared.
TEST(LongWork, StoppingThePrepareLeavesTheListAsItWas) {
    WindowSetup w(standardSettings());
    const std::string list = w.writeList("O081206P.1DP", kCleanRows);
    ASSERT_TRUE(w.dialog->openList(list).done);
    w.host.stopWorkAt = 2;
    const Outcome stopped = w.dialog->prepare();
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.done);
    EXPECT_TRUE(stopped.messages.empty());
    EXPECT_EQ(w.host.longWork.back(), writingListText());
    EXPECT_EQ(testing::readFileBytes(list), kCleanRows);
    EXPECT_FALSE(w.host.isChecked(idPrepared));
    EXPECT_TRUE(w.state().fileValid);

    const Outcome prepared = w.dialog->prepare();
    EXPECT_TRUE(prepared.done);
    EXPECT_FALSE(prepared.cancelled);
    EXPECT_EQ(testing::readFileBytes(list).substr(0, 5), "OMPDP");
}

}  // namespace
}  // namespace velcor::window::test
