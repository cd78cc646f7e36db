#include "GuiTestSupport.h"

#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "window/ControlTable.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace velcor::app::test {
namespace {

struct ShownWindow {
    MainWindow window;
    QtDialogHost host{window};
    std::vector<int> commands;
    ShownWindow() {
        window.setCommandHandler([this](int id) { commands.push_back(id); });
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    int focused() const {
        for (const window::ControlInfo& info : window::controlsInTabOrder())
            if (window.control(info.id) == QApplication::focusWidget()) return info.id;
        return 0;
    }
};

// Tab goes round the controls the operator works, in the table's order, past the boxes that only
// show a value (Разделител, Обща сума, Брой, Контролен код, the tick) and the disabled format.
TEST(Keyboard, TabSkipsTheBoxesThatOnlyShowAValue) {
    ShownWindow w;
    const std::vector<int> expected = {
        window::idInputPath,   window::idBrowse,          window::idPaymentType,
        window::idPaymentDate, window::idPayerIban,       window::idPayerBic,
        window::idPayerName,   window::idPaymentKindCode, window::idBudgetUnitCode,
        window::idPrepare,     window::idPrint,           window::idCancel,
    };
    w.window.control(window::idInputPath)->setFocus(Qt::TabFocusReason);
    std::vector<int> seen{w.focused()};
    do {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        // The date's day, month and year are stops of their own: one control.
        if (w.focused() != seen.back()) seen.push_back(w.focused());
    } while (seen.back() != window::idInputPath && seen.size() < 30);
    std::vector<int> round = expected;
    round.push_back(window::idInputPath);
    EXPECT_EQ(seen, round);
}

// Alt with a letter of a label puts the focus in its box; with a letter of a button, presses it.
// The letter is underlined ("&" before it, the text otherwise as it is), and the key at its place
// on the phonetic layout does the same while the other layout is on.
TEST(Keyboard, AltKeysReachEveryLabelledBoxAndButtonOnEitherLayout) {
    ShownWindow w;
    struct Case {
        char16_t letter;
        char16_t otherLayout;
        int focuses;  // 0: none
        int presses;  // 0: none
    } cases[] = {
        {u'Ф', u'F', window::idInputPath, 0},      {u'Р', u'R', window::idDelimiter, 0},
        {u'В', u'W', window::idPaymentType, 0},    {u'Д', u'D', window::idPaymentDate, 0},
        {u'A', u'А', window::idPayerIban, 0},      {u'C', u'Ц', window::idPayerBic, 0},
        {u'М', u'M', window::idPayerName, 0},      {u'Л', u'L', window::idPaymentKindCode, 0},
        {u'К', u'K', window::idBudgetUnitCode, 0}, {u'О', u'O', window::idTotal, 0},
        {u'Б', u'B', window::idCount, 0},          {u'Н', u'N', window::idControlCode, 0},
        {u'П', u'P', 0, window::idPrepare},        {u'Е', u'E', 0, window::idPrint},
        {u'И', u'I', 0, window::idCancel},
    };
    for (const Case& c : cases) {
        for (const char16_t key : {c.letter, c.otherLayout}) {
            SCOPED_TRACE(QString(QChar(key)).toStdString());
            w.window.control(window::idBrowse)->setFocus();
            w.commands.clear();
            // With its text given: QTest spells out ASCII keys only.
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(key),
                                QString(QChar(key)).toLower(), Qt::AltModifier);
            if (c.focuses) {
                EXPECT_EQ(w.focused(), c.focuses);
            }
            // A button's own Alt key presses it as a click shown on screen, a moment later.
            for (int waited = 0; c.presses && w.commands.empty() && waited < 1000; waited += 20)
                QTest::qWait(20);
            EXPECT_EQ(w.commands, c.presses ? std::vector<int>{c.presses} : std::vector<int>{});
        }
        // The shown letter is the one underlined.
        const int id = c.focuses ? c.focuses : c.presses;
        const QString text = c.focuses
                                 ? w.window.label(id)->text()
                                 : static_cast<QAbstractButton*>(w.window.control(id))->text();
        const qsizetype mark = text.indexOf(QLatin1Char('&'));
        ASSERT_GE(mark, 0) << text.toStdString();
        EXPECT_EQ(text.at(mark + 1).toUpper(), QChar(c.letter)) << text.toStdString();
    }
    for (const window::ControlInfo& info : window::controlsInTabOrder()) {
        if (QLabel* label = w.window.label(info.id)) {
            EXPECT_EQ(readText(label->text()), shown(info.label));
        }
    }
}

// Beside "Обща сума" the currency the value date implies; without a payment type chosen the type
// box asks for one.
TEST(Looks, TheCurrencyFollowsTheValueDateAndAnEmptyTypeBoxAsksForAType) {
    ShownWindow w;
    auto* date = static_cast<QDateEdit*>(w.window.control(window::idPaymentDate));
    auto* currency = w.window.findChild<QLabel*>(QStringLiteral("currencyLabel"));
    ASSERT_NE(currency, nullptr);
    struct Case {
        QDate date;
        const char* currency;
    } cases[] = {
        {QDate(2006, 12, 8), "лв."},
        {QDate(2025, 12, 31), "лв."},
        {QDate(2026, 1, 1), "EUR"},
        {QDate(2027, 3, 15), "EUR"},
    };
    for (const Case& c : cases) {
        // Picked in the calendar or set from the list's name alike.
        date->setDate(c.date);
        EXPECT_EQ(currency->text(), QString::fromUtf8(c.currency)) << c.currency;
        EXPECT_LE(currency->sizeHint().width(), currency->width()) << c.currency;
    }

    auto* type = static_cast<QComboBox*>(w.window.control(window::idPaymentType));
    w.host.addListEntry(window::idPaymentType, "DP");
    EXPECT_EQ(type->currentIndex(), -1);
    EXPECT_EQ(type->placeholderText(), QString::fromUtf8("— изберете вид плащане —"));
    saveScreenshot(w.window, QStringLiteral("main-window-no-payment-type"));
}

}  // namespace
}  // namespace velcor::app::test
