#include "GuiTestSupport.h"

#include "app/gui/LimitedTextValidator.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "text/Cp1251.h"
#include "window/ControlTable.h"

#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTextCharFormat>

#include <gtest/gtest.h>

#include <optional>

#include <vector>

namespace velcor::app::test {
namespace {

using window::ControlKind;

// A main window whose commands are recorded instead of handled.
struct RecordingWindow {
    MainWindow window;
    QtDialogHost host{window};
    std::vector<int> commands;
    RecordingWindow() {
        window.setCommandHandler([this](int id) { commands.push_back(id); });
    }
};

TEST(MainWindowForm, ControlsHaveTheTablesLabelsTextsKindsAndLimits) {
    MainWindow w;
    EXPECT_EQ(w.windowTitle(), shown(window::windowCaption()));
    EXPECT_FALSE(w.windowFlags() & Qt::WindowMinMaxButtonsHint);
    for (const window::ControlInfo& info : window::controlsInTabOrder()) {
        SCOPED_TRACE(info.id);
        QWidget* widget = w.control(info.id);
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(widget->isEnabled(), info.enabled);
        if (info.label.empty()) {
            EXPECT_EQ(w.label(info.id), nullptr);
        } else {
            ASSERT_NE(w.label(info.id), nullptr);
            EXPECT_EQ(readText(w.label(info.id)->text()), shown(info.label));
            EXPECT_EQ(w.label(info.id)->buddy(), widget);
        }
        switch (info.kind) {
            case ControlKind::edit:
            case ControlKind::readOnlyEdit: {
                auto* edit = qobject_cast<QLineEdit*>(widget);
                ASSERT_NE(edit, nullptr);
                EXPECT_EQ(edit->isReadOnly(), info.kind == ControlKind::readOnlyEdit);
                ASSERT_NE(w.validator(info.id), nullptr);
                EXPECT_EQ(w.validator(info.id)->limit(), info.limit);
                break;
            }
            case ControlKind::button:
            case ControlKind::defaultButton: {
                auto* button = qobject_cast<QPushButton*>(widget);
                ASSERT_NE(button, nullptr);
                EXPECT_EQ(readText(button->text()), shown(info.text));
                EXPECT_EQ(button->isDefault(), info.kind == ControlKind::defaultButton);
                break;
            }
            case ControlKind::checkBox: {
                auto* box = qobject_cast<QCheckBox*>(widget);
                ASSERT_NE(box, nullptr);
                EXPECT_EQ(box->text(), shown(info.text));
                break;
            }
            case ControlKind::dropDownList:
                ASSERT_NE(qobject_cast<QComboBox*>(widget), nullptr);
                EXPECT_FALSE(static_cast<QComboBox*>(widget)->isEditable());
                break;
            case ControlKind::datePicker: {
                auto* date = qobject_cast<QDateEdit*>(widget);
                ASSERT_NE(date, nullptr);
                EXPECT_TRUE(date->calendarPopup());
                EXPECT_TRUE(date->displayFormat().contains(QLatin1String("yyyy")));
                EXPECT_EQ(date->locale().language(), QLocale::Bulgarian);
                EXPECT_EQ(date->locale().toString(QDate(2006, 12, 8), date->displayFormat()),
                          QString::fromUtf8("8.12.2006 г."));
                break;
            }
        }
    }
    // The group box "Данни за контрол:" holds the control data and the check box.
    auto* group = w.findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), shown(window::controlGroupCaption()));
    for (int id : {window::idTotal, window::idCount, window::idControlCode, window::idPrepared})
        EXPECT_TRUE(group->isAncestorOf(w.control(id))) << id;
    EXPECT_FALSE(group->isAncestorOf(w.control(window::idPayerIban)));
}

TEST(MainWindowForm, TabOrderIsTheTablesOrder) {
    MainWindow w;
    std::vector<int> expected;
    for (const window::ControlInfo& info : window::controlsInTabOrder())
        expected.push_back(info.id);

    std::vector<int> seen;
    QWidget* start = w.control(expected.front());
    QWidget* widget = start;
    do {
        for (int id : expected)
            if (w.control(id) == widget) seen.push_back(id);
        widget = widget->nextInFocusChain();
    } while (widget != start && seen.size() <= expected.size());
    EXPECT_EQ(seen, expected);
}

TEST(MainWindowEdits, TypingPastALimitIsRefused) {
    RecordingWindow r;
    for (const window::ControlInfo& info : window::controlsInTabOrder()) {
        if (info.kind != ControlKind::edit || info.limit == 0) continue;
        SCOPED_TRACE(info.id);
        QLineEdit* edit = r.window.edit(info.id);
        edit->clear();
        QTest::keyClicks(edit, QString(info.limit + 3, QLatin1Char('7')));
        EXPECT_EQ(edit->text(), QString(info.limit, QLatin1Char('7')));
        // A paste is cut to fit.
        edit->clear();
        edit->insert(QString(info.limit + 1, QLatin1Char('8')));
        EXPECT_EQ(edit->text(), QString(info.limit, QLatin1Char('8')));
    }
}

TEST(MainWindowEdits, ALongerValueFromTheProgramIsShownWholeAndCanOnlyShrink) {
    RecordingWindow r;
    const std::string name(40, 'N');
    r.host.setControlText(window::idPayerName, name);
    r.host.setEditLimit(window::idPayerName, 35);
    QLineEdit* edit = r.window.edit(window::idPayerName);
    EXPECT_EQ(r.host.controlText(window::idPayerName), name);
    edit->end(false);
    QTest::keyClicks(edit, QStringLiteral("x"));
    EXPECT_EQ(edit->text().size(), 40);
    QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(edit->text().size(), 39);
    EXPECT_TRUE(r.host.isModified(window::idPayerName));
    // Once shorter, it does not grow again past what it was.
    QTest::keyClicks(edit, QStringLiteral("xy"));
    EXPECT_EQ(edit->text().size(), 39);
}

TEST(MainWindowEdits, OnlyCharactersWindows1251CanHoldAreAccepted) {
    using namespace velcor::text::literals;
    RecordingWindow r;
    QLineEdit* edit = r.window.edit(window::idPayerName);
    typeText(edit, QString::fromUtf8("Фирма €1 ü中"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("Фирма €1 "));
    EXPECT_EQ(r.host.controlText(window::idPayerName), std::string("Фирма €1 "_cp));
    edit->insert(QString::fromUtf8("Zürich"));
    EXPECT_EQ(edit->text(), QString::fromUtf8("Фирма €1 "));
}

// The header of the prepared file separates its values with ";" and ends at a line break, so the
// edits of the payer values it carries take neither; the path edit does.
TEST(MainWindowEdits, PayerEditsRefuseSemicolonsAndLineBreaks) {
    RecordingWindow r;
    const std::pair<int, bool> edits[] = {
        {window::idPayerIban, true},      {window::idPayerBic, true},
        {window::idPayerName, true},      {window::idPaymentKindCode, true},
        {window::idBudgetUnitCode, true}, {window::idInputPath, false},
    };
    for (const auto& [id, refuses] : edits) {
        SCOPED_TRACE(id);
        QLineEdit* edit = r.window.edit(id);
        edit->clear();
        QTest::keyClicks(edit, QStringLiteral("A;B"));
        EXPECT_EQ(edit->text(), refuses ? QStringLiteral("AB") : QStringLiteral("A;B"));
        if (!refuses) continue;
        for (const QString& pasted : {QStringLiteral("C\nD"), QStringLiteral("C\rD")}) {
            edit->setText(QStringLiteral("AB"));
            edit->insert(pasted);
            EXPECT_EQ(edit->text(), QStringLiteral("AB"));
        }
    }
}

// Enter in the path edit opens the list typed there; in any other edit it presses
// "Подготовка".
TEST(MainWindowKeys, EnterInAnEditPressesPrepareButOpensThePathAndEscapeCancels) {
    RecordingWindow r;
    r.window.show();
    for (const window::ControlInfo& info : window::controlsInTabOrder()) {
        if (info.kind != ControlKind::edit) continue;
        SCOPED_TRACE(info.id);
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
            r.commands.clear();
            QTest::keyClick(r.window.edit(info.id), key);
            EXPECT_EQ(r.commands,
                      std::vector<int>{info.id == window::idInputPath ? window::idInputPath
                                                                      : window::idPrepare});
        }
    }
    r.commands.clear();
    QTest::keyClick(r.window.edit(window::idPayerIban), Qt::Key_Escape);
    r.window.close();
    QTest::mouseClick(static_cast<QPushButton*>(r.window.control(window::idCancel)),
                      Qt::LeftButton);
    // Escape, the close box and "Изход" are one command; the window stays until it is handled.
    EXPECT_EQ(r.commands, (std::vector<int>{window::idCancel, window::idCancel, window::idCancel}));
    EXPECT_TRUE(r.window.isVisible());
}

TEST(MainWindowKeys, WithoutLogicTheCancelCommandEndsTheWindowWithTheCancelResult) {
    MainWindow w;
    w.show();
    QTest::keyClick(&w, Qt::Key_Escape);
    EXPECT_FALSE(w.isVisible());
    EXPECT_EQ(w.result(), window::idCancel);
}

// The x of the cursor position `position` in `edit`, where a click puts the cursor there.
int xOfPosition(QLineEdit& edit, int position) {
    for (int x = 0; x < edit.width(); ++x)
        if (edit.cursorPositionAt(QPoint(x, edit.height() / 2)) == position) return x;
    return -1;
}

// A click selects the section under it; the first digit typed replaces the section, the second
// completes it and the typing moves on to the next section, as in the platform's date picker.
TEST(MainWindowDate, TypingIntoAClickedSectionReplacesIt) {
    RecordingWindow r;
    r.window.show();
    r.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r.window));
    auto* picker = static_cast<QDateEdit*>(r.window.control(window::idPaymentDate));
    auto* text = picker->findChild<QLineEdit*>();
    ASSERT_NE(text, nullptr);

    // "18.12.2006 г.": the day is before position 2, the month between 3 and 5, the year
    // between 6 and 10.
    struct Case {
        const char* what;
        int clickAt;
        const char* typed;
        QDate date;
        const char* selectedAfter;
    } cases[] = {
        {"day, clicked at its start", 0, "15", {2006, 12, 15}, "12"},
        {"day, clicked in its middle", 1, "15", {2006, 12, 15}, "12"},
        {"day, then the month", 1, "1503", {2006, 3, 15}, "2006"},
        {"day, a digit no second digit can follow", 1, "4", {2006, 12, 4}, "12"},
        {"day, more than its month has", 1, "31", {2006, 12, 31}, "12"},
        {"month, clicked in its middle", 4, "3", {2006, 3, 18}, "2006"},
        {"month, two digits", 5, "05", {2006, 5, 18}, "2006"},
        {"year, clicked in its middle", 8, "2015", {2015, 12, 18}, ""},
        {"year, typed again once complete", 8, "20152016", {2016, 12, 18}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        r.window.edit(window::idPayerIban)->setFocus();
        picker->setDate(QDate(2006, 12, 18));
        ASSERT_EQ(text->text(), QString::fromUtf8("18.12.2006 г."));
        const int x = xOfPosition(*text, c.clickAt);
        ASSERT_GE(x, 0);
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(x, text->height() / 2));
        EXPECT_TRUE(picker->hasFocus());
        EXPECT_FALSE(text->selectedText().isEmpty());
        QTest::keyClicks(picker, QString::fromLatin1(c.typed));
        EXPECT_EQ(picker->date(), c.date) << picker->date().toString().toStdString();
        EXPECT_EQ(text->selectedText(), QString::fromLatin1(c.selectedAfter));
    }
    // The keyboard reaches a section too: a digit after moving into the year replaces it.
    picker->setDate(QDate(2006, 12, 18));
    picker->setSelectedSection(QDateTimeEdit::MonthSection);
    for (int i = 0; i < 3; ++i) QTest::keyClick(picker, Qt::Key_Right);
    QTest::keyClicks(picker, QStringLiteral("1999"));
    EXPECT_EQ(picker->date(), QDate(1999, 12, 18));
}

TEST(MainWindowDate, TheCalendarOpensAlignedToThePickersRightEdge) {
    RecordingWindow r;
    r.window.show();
    r.window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&r.window));
    auto* picker = static_cast<QDateEdit*>(r.window.control(window::idPaymentDate));
    picker->setDate(QDate(2006, 12, 8));
    // The arrow at the picker's right end.
    QTest::mouseClick(picker, Qt::LeftButton, {},
                      QPoint(picker->width() - 6, picker->height() / 2));
    QWidget* calendar = picker->calendarWidget()->window();
    ASSERT_TRUE(calendar->isVisible());
    const QRect pickerOnScreen(picker->mapToGlobal(QPoint(0, 0)), picker->size());
    EXPECT_EQ(calendar->geometry().right(), pickerOnScreen.right());
    EXPECT_GT(calendar->geometry().top(), pickerOnScreen.top());

    QPixmap shot = r.window.grab();
    {
        QPainter painter(&shot);
        painter.drawPixmap(r.window.mapFromGlobal(calendar->pos()), calendar->grab());
    }
    saveScreenshot(shot, QStringLiteral("main-window-calendar"));
    calendar->close();
}

// Besides the weekends, the calendar marks Bulgaria's holidays (and the days off they move to) red
// and the days TARGET2 is closed orange, on every page it turns to.
TEST(MainWindowDate, TheCalendarMarksHolidaysAndTarget2Days) {
    RecordingWindow r;
    r.window.show();
    auto* picker = static_cast<QDateEdit*>(r.window.control(window::idPaymentDate));
    picker->setDate(QDate(2026, 4, 8));
    QCalendarWidget* calendar = picker->calendarWidget();
    calendar->setCurrentPage(2026, 4);
    const QColor red(0xc0, 0x10, 0x10);
    const QColor orange(0xd0, 0x70, 0x00);
    const struct {
        QDate date;
        std::optional<QColor> colour;  // none: the calendar's own look
    } cases[] = {
        {QDate(2026, 4, 3), orange},  // Western Good Friday
        {QDate(2026, 4, 6), orange},  // Western Easter Monday
        {QDate(2026, 4, 10), red},    // Orthodox Good Friday
        {QDate(2026, 4, 13), red},    // Orthodox Easter Monday
        {QDate(2026, 4, 8), std::nullopt},
        {QDate(2026, 5, 1), red},   // seen at the page's end, and on the next page
        {QDate(2026, 5, 25), red},  // 24 May on a Sunday: the Monday off
        {QDate(2026, 5, 26), std::nullopt},
    };
    for (const int month : {4, 5}) {
        calendar->setCurrentPage(2026, month);
        if (month == 4)
            saveScreenshot(calendar->grab(), QStringLiteral("main-window-calendar-holidays"));
        for (const auto& c : cases) {
            if (c.date.month() != month && !(month == 4 && c.date == QDate(2026, 5, 1))) continue;
            SCOPED_TRACE(c.date.toString(Qt::ISODate).toStdString());
            const QTextCharFormat format = calendar->dateTextFormat(c.date);
            if (c.colour) {
                EXPECT_EQ(format.foreground().color(), *c.colour);
                EXPECT_EQ(format.fontWeight(), QFont::Bold);
            } else {
                EXPECT_NE(format.fontWeight(), QFont::Bold);
            }
        }
    }
}

TEST(MainWindowCheckBox, AClickOrTheSpaceBarDoesNotChangeIt) {
    RecordingWindow r;
    r.window.show();
    auto* box = static_cast<QCheckBox*>(r.window.control(window::idPrepared));
    for (bool state : {false, true}) {
        r.host.setChecked(window::idPrepared, state);
        QTest::mouseClick(box, Qt::LeftButton);
        EXPECT_EQ(box->isChecked(), state);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_Space);
        EXPECT_EQ(box->isChecked(), state);
    }
}

// While a prepared list is open its value date is its header's: keys do not change the picker.
TEST(MainWindowDate, AReadOnlyPickerKeepsItsDate) {
    RecordingWindow r;
    r.window.show();
    auto* picker = static_cast<QDateEdit*>(r.window.control(window::idPaymentDate));
    r.host.setDateValue(window::idPaymentDate, {2006, 12, 8, 0, 0, 0, true});
    r.host.setReadOnly(window::idPaymentDate, true);
    picker->setFocus();
    QTest::keyClick(picker, Qt::Key_Up);
    EXPECT_EQ(picker->date(), QDate(2006, 12, 8));
    r.host.setReadOnly(window::idPaymentDate, false);
    QTest::keyClick(picker, Qt::Key_Up);
    EXPECT_NE(picker->date(), QDate(2006, 12, 8));
}

TEST(MainWindowLists, OnlyTheOperatorsChoiceOfPaymentTypeIsACommand) {
    RecordingWindow r;
    r.window.show();
    for (const char* entry : {"[SB]", "[DP]", "[FX]"})
        r.host.addListEntry(window::idPaymentType, entry);
    EXPECT_EQ(r.host.listSelection(window::idPaymentType), -1);
    r.host.setListSelection(window::idPaymentType, 1);
    EXPECT_TRUE(r.commands.empty());
    QTest::keyClick(r.window.control(window::idPaymentType), Qt::Key_Down);
    EXPECT_EQ(r.host.listSelection(window::idPaymentType), 2);
    EXPECT_EQ(r.commands, std::vector<int>{window::idPaymentType});
}

TEST(MainWindowButtons, EachButtonSendsItsId) {
    RecordingWindow r;
    r.window.show();
    for (int id : {window::idBrowse, window::idPrepare, window::idPrint, window::idCancel}) {
        r.commands.clear();
        QTest::mouseClick(static_cast<QPushButton*>(r.window.control(id)), Qt::LeftButton);
        EXPECT_EQ(r.commands, std::vector<int>{id});
    }
}

}  // namespace
}  // namespace velcor::app::test
