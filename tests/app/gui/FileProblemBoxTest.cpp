#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "support/TestSupport.h"
#include "window/ControlTable.h"

#include <QApplication>
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

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// Saves the window with `box` over its middle, as the operator sees them.
void saveOverWindow(QWidget& window, QMessageBox& box, const QString& name) {
    QPixmap picture = window.grab();
    const QPixmap shot = box.grab();
    QPainter painter(&picture);
    painter.drawPixmap((picture.width() - shot.width()) / 2, (picture.height() - shot.height()) / 2,
                       shot);
    painter.end();
    saveScreenshot(picture, name);
}

// What the operator sees when a file lets them down: a list gone since it was opened names the
// file, the cause and what to do below its message; a list whose undo copy the folder let go says
// so, with the folder and its cap.
TEST(FileProblemBox, AFileErrorAndALetGoCopyAreExplained) {
    velcor::testing::TempDir dir;
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("data")));
    qputenv("LOCALAPPDATA", QByteArray::fromStdString(dir.file("data")));
    const std::string settingsPath = dir.file("omp.ini");
    std::filesystem::copy_file(kExamples / "omp.ini", settingsPath);
    const std::string gone = dir.file("O081206P.1DP");
    const std::string kept = dir.file("O081206P.2DP");
    const std::string other = dir.file("O081206P.3DP");
    for (const std::string& list : {gone, kept, other})
        std::filesystem::copy_file(kExamples / "O081206P.1DP", list);

    QTranslator translator;
    installQtTranslation(translator);
    MainWindowSession session(fileio::standardFileSystem(), settingsPath);
    MainWindow& window = session.window();
    // A folder that keeps one prepare's copy at most.
    session.dialog().keepPreparesIn(dir.file("undo"), output::HistoryCap{10, 90});
    std::string chosen = gone;
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(chosen); });

    QString goneText, goneDetail, letGoText;
    ModalScript script({&window});
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        goneText = box->text();
        goneDetail = box->informativeText();
        saveOverWindow(window, *box, QStringLiteral("file-error-cause"));
        box->accept();
    });
    for (int i = 0; i < 2; ++i) {
        script.answerMessage(QMessageBox::Yes);  // the value date is long gone: go on
        script.answerMessage();                  // the prepare is confirmed
    }
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        letGoText = box->text();
        saveOverWindow(window, *box, QStringLiteral("undo-copy-let-go"));
        box->accept();
    });

    const auto press = [&](window::ControlId id) {
        QTest::mouseClick(static_cast<QPushButton*>(window.control(id)), Qt::LeftButton);
    };
    QTimer::singleShot(0, &window, [&] {
        press(window::idBrowse);
        std::filesystem::remove(gone);
        press(window::idPrepare);
        for (const std::string& list : {kept, other}) {
            chosen = list;
            press(window::idBrowse);
            press(window::idPrepare);
        }
        chosen = kept;
        press(window::idBrowse);
        session.dialog().undoPrepare();
        press(window::idCancel);
    });
    EXPECT_TRUE(session.run());
    QCoreApplication::removeTranslator(&translator);

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    EXPECT_EQ(goneText, QString::fromUtf8("Грешка при четене на файла!"));
    for (const char* part :
         {"Причина: няма такъв файл.", "Нищо не е променено.", "изберете отново"})
        EXPECT_TRUE(goneDetail.contains(QString::fromUtf8(part))) << part;
    EXPECT_TRUE(goneDetail.contains(QString::fromStdString(gone).toHtmlEscaped()));
    EXPECT_TRUE(letGoText.startsWith(
        QString::fromUtf8("Подготовката на този файл не може да бъде отменена")));
    EXPECT_TRUE(letGoText.contains(QString::fromUtf8("10 байта")));
}

}  // namespace
}  // namespace velcor::app::test
