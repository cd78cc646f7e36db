#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "processing/BankCalendar.h"
#include "support/TestSupport.h"
#include "window/ControlIds.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

// The example list's value date, 8 December 2006, is long gone: "Подготовка" asks whether to go
// on, "Не" (the default, taken with Enter) leaves the list as it was with the date picker to
// change, and "Да" prepares it.
TEST(ValueDateQuestion, TheWindowAsksWithNoTheDefaultAndPreparesOnlyAfterYes) {
    const std::filesystem::path examples = VELCOR_EXAMPLES_DIR;
    velcor::testing::TempDir dir;
    std::filesystem::copy_file(examples / "omp.ini", dir.file("omp.ini"));
    const std::string list = dir.file("O081206P.1DP");
    std::filesystem::copy_file(examples / "O081206P.1DP", list);
    const std::string before = velcor::testing::readFileBytes(list);

    // Qt's buttons as the program shows them: "Да" and "Не".
    QTranslator translator;
    installQtTranslation(translator);
    MainWindowSession session(fileio::standardFileSystem(), dir.file("omp.ini"));
    MainWindow& w = session.window();
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(list); });

    struct Seen {
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
        QString text;
    } seen;
    ModalScript script({&w});
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        seen = {box->icon(), box->standardButtons(), box->standardButton(box->defaultButton()),
                box->text()};
        QPixmap picture = w.grab();
        const QPixmap question = box->grab();
        QPainter painter(&picture);
        painter.drawPixmap((picture.width() - question.width()) / 2,
                           (picture.height() - question.height()) / 2, question);
        painter.end();
        saveScreenshot(picture, QStringLiteral("value-date-question"));
        QTest::keyClick(box, Qt::Key_Return);
    });
    script.answerMessage(QMessageBox::Yes);
    script.answerMessage();  // the prepare is confirmed

    std::string afterNo;
    bool datePickerFocused = false;
    bool preparedAfterNo = true;
    QTimer::singleShot(0, &w, [&] {
        QTest::mouseClick(static_cast<QPushButton*>(w.control(window::idBrowse)), Qt::LeftButton);
        QTest::mouseClick(static_cast<QPushButton*>(w.control(window::idPrepare)), Qt::LeftButton);
        afterNo = velcor::testing::readFileBytes(list);
        preparedAfterNo = static_cast<QCheckBox*>(w.control(window::idPrepared))->isChecked();
        w.activateWindow();
        datePickerFocused =
            QTest::qWaitForWindowActive(&w) && w.control(window::idPaymentDate)->hasFocus();
        QTest::mouseClick(static_cast<QPushButton*>(w.control(window::idPrepare)), Qt::LeftButton);
        w.reject();
    });
    EXPECT_TRUE(session.run());
    QCoreApplication::removeTranslator(&translator);

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen.defaultButton, QMessageBox::No);
    EXPECT_EQ(seen.text,
              QString::fromUtf8("Датата на МП (08.12.2006) е в миналото. Да продължа ли?"));
    EXPECT_EQ(afterNo, before);
    EXPECT_FALSE(preparedAfterNo);
    EXPECT_TRUE(datePickerFocused);
    ASSERT_EQ(script.messages().size(), 2u);
    EXPECT_EQ(script.messages()[0], seen.text);
    EXPECT_EQ(script.messages()[1], QString::fromUtf8("Файлът е подготвен."));
    EXPECT_EQ(velcor::testing::readFileBytes(list).substr(0, 15), "OMPDP;08122006;");
}

// Beside "Да" and "Не" the question offers the next bank day, as a date; clicked, the list is
// prepared with that day, which the date picker then shows.
TEST(ValueDateQuestion, TheNextBankDayButtonPreparesWithThatDay) {
    const std::filesystem::path examples = VELCOR_EXAMPLES_DIR;
    velcor::testing::TempDir dir;
    std::filesystem::copy_file(examples / "omp.ini", dir.file("omp.ini"));
    const std::string list = dir.file("O081206P.1DP");
    std::filesystem::copy_file(examples / "O081206P.1DP", list);
    // The example's 8 December 2006 is gone by: the day offered is the first from today on.
    const QDate today = QDate::currentDate();
    const std::optional<processing::CalendarDate> next =
        processing::nextBankDay({2006, 12, 8}, {today.year(), today.month(), today.day()});
    ASSERT_TRUE(next.has_value());
    const QDate nextDay(next->year, next->month, next->day);

    QTranslator translator;
    installQtTranslation(translator);
    MainWindowSession session(fileio::standardFileSystem(), dir.file("omp.ini"));
    MainWindow& w = session.window();
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(list); });
    QStringList buttons;
    QMessageBox::StandardButtons standard;
    ModalScript script({&w});
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        QAbstractButton* take = nullptr;
        standard = box->standardButtons();
        for (QAbstractButton* button : box->buttons()) {
            buttons << button->text();
            if (button->text().startsWith(QString::fromUtf8("Следващ работен ден"))) take = button;
        }
        QPixmap picture = w.grab();
        const QPixmap question = box->grab();
        QPainter painter(&picture);
        painter.drawPixmap((picture.width() - question.width()) / 2,
                           (picture.height() - question.height()) / 2, question);
        painter.end();
        saveScreenshot(picture, QStringLiteral("value-date-question-next-bank-day"));
        ASSERT_NE(take, nullptr);
        QTest::mouseClick(take, Qt::LeftButton);
    });
    // From 2006 to a day of the euro: the amounts must then be in euro, said once.
    script.answerMessage();
    script.answerMessage();  // the prepare is confirmed

    QDate shownAfter;
    QTimer::singleShot(0, &w, [&] {
        QTest::mouseClick(static_cast<QPushButton*>(w.control(window::idBrowse)), Qt::LeftButton);
        QTest::mouseClick(static_cast<QPushButton*>(w.control(window::idPrepare)), Qt::LeftButton);
        shownAfter = static_cast<QDateEdit*>(w.control(window::idPaymentDate))->date();
        w.reject();
    });
    EXPECT_TRUE(session.run());
    QCoreApplication::removeTranslator(&translator);

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());
    EXPECT_EQ(standard, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(buttons.size(), 3);
    EXPECT_TRUE(buttons.contains(QString::fromUtf8("Следващ работен ден (%1)")
                                     .arg(nextDay.toString(QStringLiteral("dd.MM.yyyy")))))
        << buttons.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(shownAfter, nextDay);
    ASSERT_EQ(script.messages().size(), 2u);
    EXPECT_EQ(
        script.messages()[0],
        QString::fromUtf8(
            "С дата на МП след 31.12.2025 сумите в списъка трябва да са в евро, а не в лева!"));
    EXPECT_EQ(script.messages()[1], QString::fromUtf8("Файлът е подготвен."));
    EXPECT_EQ(velcor::testing::readFileBytes(list).substr(0, 15),
              "OMPDP;" + nextDay.toString(QStringLiteral("ddMMyyyy")).toStdString() + ";");
}

}  // namespace
}  // namespace velcor::app::test
