#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "support/TestSupport.h"
#include "window/ControlIds.h"

#include <QCheckBox>
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

}  // namespace
}  // namespace velcor::app::test
