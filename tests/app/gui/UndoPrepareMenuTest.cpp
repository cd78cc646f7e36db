#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "support/TestSupport.h"
#include "window/ControlTable.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace velcor::app::test {
namespace {

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// Right-clicks the window and hands the context menu that opens to `act`, which must close it
// (by choosing an entry or otherwise).
void withContextMenu(MainWindow& window, const std::function<void(QMenu&)>& act) {
    QTimer::singleShot(50, &window, [&] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        ASSERT_NE(menu, nullptr);
        act(*menu);
        if (menu->isVisible()) menu->close();
    });
    const QPoint at(window.width() / 3, window.height() / 3);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, window.mapToGlobal(at));
    QApplication::sendEvent(&window, &event);
}

QAction* undoEntry(QMenu& menu) {
    for (QAction* action : menu.actions())
        if (action->text() == shown(window::undoPrepareMenuText())) return action;
    return nullptr;
}

// The operator prepares the example list, finds a mistake, and chooses "Отмяна на подготовката"
// from the window's context menu: the list is as it was, byte for byte, and shown so.
TEST(UndoPrepareMenu, PutsThePreparedListBack) {
    velcor::testing::TempDir dir;
    // The window keeps its copies where the environment says: here, in the test's folder.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("data")));
    qputenv("LOCALAPPDATA", QByteArray::fromStdString(dir.file("data")));
    const std::string settingsPath = dir.file("omp.ini");
    std::filesystem::copy_file(kExamples / "omp.ini", settingsPath);
    const std::string listPath = dir.file("O081206P.1DP");
    std::filesystem::copy_file(kExamples / "O081206P.1DP", listPath);
    const std::string original = velcor::testing::readFileBytes(listPath);

    MainWindowSession session(fileio::standardFileSystem(), settingsPath);
    MainWindow& window = session.window();
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(listPath); });
    ModalScript script({&window});
    script.answerMessage(QMessageBox::Yes);  // the example's value date is long gone: go on
    script.answerMessage();                  // the prepare is confirmed
    // The list is put back: the confirmation names it with its figures, in the currency of its
    // value date (8 December 2006: leva).
    QString undoneDetail;
    int undoneIcon = QMessageBox::NoIcon;
    QString undoneText;
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        undoneText = box->text();
        undoneDetail = box->informativeText();
        undoneIcon = box->icon();
        QPixmap picture = window.grab();
        const QPixmap shot = box->grab();
        QPainter painter(&picture);
        painter.drawPixmap((picture.width() - shot.width()) / 2,
                           (picture.height() - shot.height()) / 2, shot);
        painter.end();
        saveScreenshot(picture, QStringLiteral("undo-message"));
        box->accept();
    });

    bool enabledBeforePrepare = true;
    bool enabledAfterPrepare = false;
    std::string prepared;
    bool tickAfterUndo = true;
    QTimer::singleShot(0, &window, [&] {
        withContextMenu(window, [&](QMenu& menu) {
            QAction* undo = undoEntry(menu);
            ASSERT_NE(undo, nullptr);
            enabledBeforePrepare = undo->isEnabled();
        });
        QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idBrowse)),
                          Qt::LeftButton);
        QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idPrepare)),
                          Qt::LeftButton);
        prepared = velcor::testing::readFileBytes(listPath);
        withContextMenu(window, [&](QMenu& menu) {
            QAction* undo = undoEntry(menu);
            ASSERT_NE(undo, nullptr);
            enabledAfterPrepare = undo->isEnabled();
            QPixmap shot = window.grab();
            QPainter painter(&shot);
            painter.drawPixmap(window.mapFromGlobal(menu.pos()), menu.grab());
            painter.end();
            saveScreenshot(shot, QStringLiteral("main-window-undo-menu"));
            QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier,
                              menu.actionGeometry(undo).center());
        });
        tickAfterUndo = static_cast<QCheckBox*>(window.control(window::idPrepared))->isChecked();
        QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idCancel)),
                          Qt::LeftButton);
    });
    EXPECT_TRUE(session.run());

    EXPECT_FALSE(enabledBeforePrepare);
    EXPECT_TRUE(enabledAfterPrepare);
    EXPECT_EQ(prepared.substr(0, 5), "OMPDP");
    EXPECT_EQ(velcor::testing::readFileBytes(listPath), original);
    EXPECT_FALSE(tickAfterUndo);
    ASSERT_EQ(script.messages().size(), 2u);
    EXPECT_EQ(script.messages()[1], QString::fromUtf8("Файлът е подготвен."));
    EXPECT_EQ(script.icons()[1], QMessageBox::Information);
    EXPECT_EQ(script.details()[1],
              QString::fromUtf8("Файл: %1<br>Брой: 4<br>Обща сума: 6276.15 лв.")
                  .arg(QString::fromStdString(listPath).toHtmlEscaped()));
    EXPECT_EQ(undoneText, QString::fromUtf8(
                              "Подготовката е отменена: файлът е върнат във вида си отпреди нея."));
    EXPECT_EQ(undoneIcon, QMessageBox::Information);
    EXPECT_EQ(undoneDetail, script.details()[1]);
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    EXPECT_FALSE(std::filesystem::is_empty(dir.file("data")));
}

}  // namespace
}  // namespace velcor::app::test
