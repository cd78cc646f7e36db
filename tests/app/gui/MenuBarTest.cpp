#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "session/Messages.h"
#include "support/TestSupport.h"
#include "window/ControlTable.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

namespace velcor::app::test {
namespace {

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// Opens the menu bar's menu titled `title` with a click and hands it to `act`, which must close it
// (by choosing an entry or otherwise). The bar's menus do not block: the click returns at once.
void withMenu(MainWindow& window, const QString& title, const std::function<void(QMenu&)>& act) {
    QMenuBar* bar = window.menuBar();
    ASSERT_NE(bar, nullptr);
    QAction* titleAction = nullptr;
    for (QAction* action : bar->actions())
        if (action->text() == title) titleAction = action;
    ASSERT_NE(titleAction, nullptr) << title.toStdString();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier,
                      bar->actionGeometry(titleAction).center());
    QMenu* menu = nullptr;
    for (int i = 0; i < 100 && menu == nullptr; ++i) {
        menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (menu == nullptr) QTest::qWait(10);
    }
    ASSERT_NE(menu, nullptr) << title.toStdString();
    act(*menu);
    if (menu->isVisible()) menu->close();
}

void choose(QMenu& menu, QAction* entry) {
    ASSERT_NE(entry, nullptr);
    QTest::mouseClick(&menu, Qt::LeftButton, Qt::NoModifier, menu.actionGeometry(entry).center());
}

// The bar's menus and entries with their keys, as the operator reads them; each key and click
// reaches the command its button or context-menu entry gives.
TEST(MenuBar, FileAndHelpCarryTheWindowsCommandsWithTheirKeys) {
    MainWindow window;
    std::vector<int> commands;
    window.setCommandHandler([&](window::ControlId id) { commands.push_back(id); });
    bool sepaAvailable = false;
    window.setSepaExportAvailable([&] { return sepaAvailable; });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    QStringList titles;
    for (QAction* action : window.menuBar()->actions()) titles << action->text();
    EXPECT_EQ(titles, (QStringList{QString::fromUtf8("Файл"), QString::fromUtf8("Помощ")}));

    struct Entry {
        int command;
        const char* text;
        const char* key;  // portable text, "" for none
    } entries[] = {
        {window::idBrowse, "Отваряне на списък…", "Ctrl+O"},
        {window::idPrepare, "Подготовка", ""},
        {window::idUndoPrepare, "Отмяна на подготовката", "Ctrl+Z"},
        {window::idSepaExport, "Запис като SEPA XML…", ""},
        {window::idPrint, "Печат…", "Ctrl+P"},
        {window::idCancel, "Изход", ""},
        {window::kAboutEntry, "За програмата", ""},
    };
    for (const Entry& entry : entries) {
        SCOPED_TRACE(entry.text);
        QAction* action = window.menuBarAction(entry.command);
        ASSERT_NE(action, nullptr);
        EXPECT_EQ(action->text(), QString::fromUtf8(entry.text));
        EXPECT_EQ(action->shortcut(), QKeySequence(QString::fromLatin1(entry.key)));
    }

    // The keys, from a button (an edit keeps Ctrl+Z for its own text).
    struct Key {
        Qt::Key key;
        bool ticked;
        std::vector<int> commands;
    } keys[] = {
        {Qt::Key_O, false, {window::idBrowse}},
        {Qt::Key_P, false, {window::idPrint}},
        {Qt::Key_Z, false, {}},  // nothing prepared: nothing to undo
        {Qt::Key_Z, true, {window::idUndoPrepare}},
    };
    for (const Key& key : keys) {
        SCOPED_TRACE(QKeySequence(key.key).toString().toStdString());
        static_cast<QCheckBox*>(window.control(window::idPrepared))->setChecked(key.ticked);
        window.control(window::idBrowse)->setFocus();
        commands.clear();
        QTest::keyClick(QApplication::focusWidget(), key.key, Qt::ControlModifier);
        EXPECT_EQ(commands, key.commands);
    }

    // Clicks: "Подготовка", and the SEPA entry, offered only while a list is checked clean.
    static_cast<QCheckBox*>(window.control(window::idPrepared))->setChecked(false);
    commands.clear();
    bool sepaEnabledBefore = true;
    withMenu(window, QString::fromUtf8("Файл"), [&](QMenu& menu) {
        sepaEnabledBefore = window.menuBarAction(window::idSepaExport)->isEnabled();
        QPixmap shot = window.grab();
        QPainter painter(&shot);
        painter.drawPixmap(window.mapFromGlobal(menu.pos()), menu.grab());
        painter.end();
        saveScreenshot(shot, QStringLiteral("main-window-file-menu"));
        choose(menu, window.menuBarAction(window::idPrepare));
    });
    sepaAvailable = true;
    withMenu(window, QString::fromUtf8("Файл"),
             [&](QMenu& menu) { choose(menu, window.menuBarAction(window::idSepaExport)); });
    EXPECT_FALSE(sepaEnabledBefore);
    EXPECT_EQ(commands, (std::vector<int>{window::idPrepare, window::idSepaExport}));

    // "Помощ" > "За програмата": the About box, over the window.
    ModalScript script({&window});
    QString aboutTitle;
    script.then([&](QWidget* about) {
        aboutTitle = about->windowTitle();
        about->close();
    });
    withMenu(window, QString::fromUtf8("Помощ"),
             [&](QMenu& menu) { choose(menu, window.menuBarAction(window::kAboutEntry)); });
    EXPECT_EQ(aboutTitle, shown(window::aboutCaption()));
    EXPECT_TRUE(script.unexpected().empty());
}

// The operator works the example list from the menu bar alone: opens it with Ctrl+O, prepares it
// from "Файл", tries to prepare it again and is told where the undo is, and undoes it with Ctrl+Z.
TEST(MenuBar, APreparedListTellsWhereTheUndoIsAndCtrlZUndoesIt) {
    velcor::testing::TempDir dir;
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
    QString again;
    QString hint;
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        again = box->text();
        hint = box->informativeText();
        box->accept();
    });
    script.answerMessage();  // the undo is confirmed

    std::string prepared;
    std::string undone;
    QTimer::singleShot(0, &window, [&] {
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.control(window::idBrowse), Qt::Key_O, Qt::ControlModifier);
        withMenu(window, QString::fromUtf8("Файл"),
                 [&](QMenu& menu) { choose(menu, window.menuBarAction(window::idPrepare)); });
        prepared = velcor::testing::readFileBytes(listPath);
        withMenu(window, QString::fromUtf8("Файл"),
                 [&](QMenu& menu) { choose(menu, window.menuBarAction(window::idPrepare)); });
        // A key reaches the window's menu once the window is active again after the boxes.
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(window.control(window::idBrowse), Qt::Key_Z, Qt::ControlModifier);
        undone = velcor::testing::readFileBytes(listPath);
        window.reject();
    });
    EXPECT_TRUE(session.run());

    EXPECT_EQ(prepared.substr(0, 5), "OMPDP");
    EXPECT_EQ(again, QString::fromUtf8("Файлът вече е обработен!"));
    EXPECT_EQ(hint, shown(session::alreadyPreparedHint()).toHtmlEscaped());
    EXPECT_TRUE(hint.contains(QString::fromUtf8("„Файл“")));
    EXPECT_EQ(undone, original);
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
}

}  // namespace
}  // namespace velcor::app::test
