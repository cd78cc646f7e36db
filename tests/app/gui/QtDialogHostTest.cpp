#include "GuiTestSupport.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/Application.h"
#include "app/gui/LastListFolder.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "window/ControlTable.h"

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

using namespace velcor::text::literals;

struct HostFixture : ::testing::Test {
    MainWindow window;
    QtDialogHost host{window};
};

TEST_F(HostFixture, EveryWindows1251ByteSurvivesAnEdit) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
    for (window::ControlId id : {window::idInputPath, window::idPayerName, window::idTotal}) {
        host.setControlText(id, all);
        EXPECT_EQ(host.controlText(id), all) << id;
    }
    EXPECT_EQ(window.edit(window::idPayerName)->text().left(3), QString::fromUtf8("\x01\x02\x03"));
    host.setControlText(window::idPayerName, "Фирма ООД"_cp);
    EXPECT_EQ(window.edit(window::idPayerName)->text(), QString::fromUtf8("Фирма ООД"));
}

TEST_F(HostFixture, TheModifiedFlagIsTheOperatorsTyping) {
    QLineEdit* edit = window.edit(window::idPayerIban);
    host.setControlText(window::idPayerIban, "BG80");
    EXPECT_FALSE(host.isModified(window::idPayerIban));
    QTest::keyClicks(edit, QStringLiteral("BNBG"));
    EXPECT_TRUE(host.isModified(window::idPayerIban));
    host.clearModified(window::idPayerIban);
    EXPECT_FALSE(host.isModified(window::idPayerIban));
    QTest::keyClicks(edit, QStringLiteral("9"));
    host.setControlText(window::idPayerIban, "X");
    EXPECT_FALSE(host.isModified(window::idPayerIban));
}

TEST_F(HostFixture, ListsAddWithoutSelectingAndAPositionPastTheEndSelectsNothing) {
    host.addListEntry(window::idPaymentType, "[DP] // main");
    EXPECT_EQ(host.listSelection(window::idPaymentType), -1);
    host.addListEntry(window::idPaymentType, "[SB]");
    host.setListSelection(window::idPaymentType, 1);
    EXPECT_EQ(host.listSelection(window::idPaymentType), 1);
    host.addListEntry(window::idPaymentType, "[FX]");
    EXPECT_EQ(host.listSelection(window::idPaymentType), 1);
    host.setListSelection(window::idPaymentType, 3);
    EXPECT_EQ(host.listSelection(window::idPaymentType), -1);

    // The format-kind list sorts its entries, whatever the order they come in.
    host.addListEntry(window::idFormatKind, window::formatKindFixed());
    host.setListSelection(window::idFormatKind, 0);
    host.addListEntry(window::idFormatKind, window::formatKindDelimited());
    auto* kinds = static_cast<QComboBox*>(window.control(window::idFormatKind));
    EXPECT_EQ(kinds->itemText(0), shown(window::formatKindDelimited()));
    EXPECT_EQ(kinds->itemText(1), shown(window::formatKindFixed()));
    EXPECT_EQ(host.listSelection(window::idFormatKind), 1);  // still the fixed-length entry
}

TEST_F(HostFixture, TheDatePickerKeepsTheTimeAndRefusesWhatIsNoDate) {
    const processing::LocalDateTime value{2006, 12, 8, 13, 45, 10, true};
    host.setDateValue(window::idPaymentDate, value);
    EXPECT_EQ(host.dateValue(window::idPaymentDate), value);
    auto* picker = static_cast<QDateEdit*>(window.control(window::idPaymentDate));
    EXPECT_TRUE(picker->text().contains(QLatin1String("2006"))) << picker->text().toStdString();

    for (processing::LocalDateTime bad : {processing::LocalDateTime{2007, 2, 31, 0, 0, 0, true},
                                          processing::LocalDateTime{1500, 1, 1, 0, 0, 0, true},
                                          processing::LocalDateTime{2007, 1, 1, 0, 0, 0, false}})
        host.setDateValue(window::idPaymentDate, bad);
    EXPECT_EQ(host.dateValue(window::idPaymentDate), value);
}

TEST_F(HostFixture, MessageBoxesShowTheirIconButtonsAndTheProgramsName) {
    struct Seen {
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
        QMessageBox::StandardButton defaultButton;
        QString title;
    };
    std::vector<Seen> seen;
    const auto look = [&](QWidget* w) {
        auto* box = qobject_cast<QMessageBox*>(w);
        ASSERT_NE(box, nullptr);
        seen.push_back({box->icon(), box->standardButtons(),
                        box->standardButton(box->defaultButton()), box->windowTitle()});
    };
    ModalScript script;
    script.then([&](QWidget* w) {
        look(w);
        static_cast<QMessageBox*>(w)->button(QMessageBox::Ok)->click();
    });
    script.then([&](QWidget* w) {
        look(w);
        static_cast<QMessageBox*>(w)->button(QMessageBox::Yes)->click();
    });
    script.then([&](QWidget* w) {
        look(w);
        QTest::keyClick(w, Qt::Key_Return);  // the default answer
    });
    script.then([&](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); });

    host.showMessage("Грешнa сума!"_cp);
    EXPECT_TRUE(host.askYesNo("Да се запишат ли данните за фирмата в INI файла?"_cp));
    EXPECT_FALSE(host.askYesNo("?"));
    EXPECT_FALSE(host.askYesNo("?"));
    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty());

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].icon, QMessageBox::Warning);
    EXPECT_EQ(seen[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(seen[0].title, QStringLiteral("velcor_tests_gui"));
    EXPECT_EQ(seen[1].icon, QMessageBox::Critical);
    EXPECT_EQ(seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen[1].defaultButton, QMessageBox::No);
    EXPECT_EQ(seen[1].title, applicationTitle());
}

TEST(QtTexts, QtsOwnButtonsSpeakBulgarian) {
    QTranslator translator;
    ASSERT_TRUE(installQtTranslation(translator));
    QMessageBox box(QMessageBox::Critical, QString(), QString(),
                    QMessageBox::Yes | QMessageBox::No);
    const QString yes = box.button(QMessageBox::Yes)->text();
    const QString no = box.button(QMessageBox::No)->text();
    QCoreApplication::removeTranslator(&translator);
    EXPECT_EQ(QString(yes).remove(QLatin1Char('&')), QString::fromUtf8("Да"));
    EXPECT_EQ(QString(no).remove(QLatin1Char('&')), QString::fromUtf8("Не"));
}

TEST_F(HostFixture, AChosenPathIsHandedOnInWindows1251OrRefused) {
    QString suggested;
    QString answer;
    host.setOpenFileChooser([&](const QString& name) -> std::optional<QString> {
        suggested = name;
        if (answer.isEmpty()) return std::nullopt;
        return answer;
    });
    EXPECT_EQ(host.chooseOpenFile("O081206P.*DP*"), std::nullopt);
    EXPECT_EQ(suggested, QStringLiteral("O081206P.*DP*"));

    answer = QString::fromUtf8("/tmp/Плащания/O081206P.1DP");
    EXPECT_EQ(host.chooseOpenFile("x"),
              std::optional<std::string>("/tmp/Плащания/O081206P.1DP"_cp));

    // A folder name the list's encoding cannot spell: refused with a message, not mangled.
    ModalScript script;
    script.answerMessage();
    answer = QString::fromUtf8("/tmp/支付/O081206P.1DP");
    EXPECT_EQ(host.chooseOpenFile("x"), std::nullopt);
    ASSERT_EQ(script.messages().size(), 1u);
    EXPECT_FALSE(script.messages()[0].isEmpty());
}

// The open-file dialog names the day's pattern, first and chosen, then every list and every file;
// it starts in the current folder until a list was opened, then in that list's folder, and
// leaves the process's current folder alone.
TEST_F(HostFixture, TheOpenFileDialogSuggestsThePatternAndStartsWhereTheLastListWas) {
    velcor::testing::TempDir dir;
    const std::string list = dir.file("O081206P.1DP");
    velcor::testing::writeFileBytes(list, "x\r\n");
    const QString folderBefore = QDir::currentPath();
    rememberListFolder(QString());

    struct Seen {
        QString nameBox, folder, filter;
        QStringList filters;
        QFileDialog::FileMode mode = QFileDialog::AnyFile;
    };
    // Looks at the dialog, then picks the list in its folder.
    const auto choose = [&](Seen& seen) {
        return [&](QWidget* w) {
            auto* dialog = qobject_cast<QFileDialog*>(w);
            ASSERT_NE(dialog, nullptr) << w->metaObject()->className();
            seen.mode = dialog->fileMode();
            seen.folder = dialog->directory().absolutePath();
            seen.filters = dialog->nameFilters();
            seen.filter = dialog->selectedNameFilter();
            if (auto* edit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                seen.nameBox = edit->text();
            dialog->setDirectory(QString::fromStdString(dir.path().string()));
            dialog->selectFile(QString::fromStdString(list));
            // The dialog reads its folder on a thread of its own and may turn down an accept
            // that comes before the folder is read: press again until it closes, for at most
            // ten seconds.
            // A choice made before the list shows in the dialog's model may leave the name box as
            // it was, and an accept then only warns that there is no such file, in a box of its
            // own: the list is chosen again and the dialog pressed once the folder has been read.
            const QString folder = QDir(QString::fromStdString(dir.path().string())).absolutePath();
            const QString chosen = QString::fromStdString(list);
            auto* retry = new QTimer(dialog);
            QObject::connect(
                retry, &QTimer::timeout, dialog,
                [dialog, retry, folder, chosen, tries = 0]() mutable {
                    if (++tries > 1000) {
                        dialog->reject();
                        return;
                    }
                    auto* model = dialog->findChild<QFileSystemModel*>();
                    if (model != nullptr && model->rowCount(model->index(folder)) == 0) return;
                    if (dialog->directory().absolutePath() != folder) {
                        dialog->setDirectory(folder);
                        return;
                    }
                    // The list's name typed into the name box, as the operator
                    // would: a choice made before the folder was read may have left
                    // the pattern there, which an accept only filters by.
                    if (auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit")))
                        name->setText(QFileInfo(chosen).fileName());
                    QMetaObject::invokeMethod(dialog, "accept");
                    if (!dialog->isVisible()) retry->stop();
                });
            retry->start(10);
        };
    };
    Seen first, second;
    ModalScript script;
    script.then(choose(first)).then(choose(second));
    EXPECT_EQ(host.chooseOpenFile("O081206P.*DP*"), std::optional<std::string>(list));
    EXPECT_EQ(host.chooseOpenFile("O081206P.*DP*"), std::optional<std::string>(list));
    EXPECT_TRUE(script.done());

    const QStringList filters{QString::fromUtf8("Списъци за днес (O081206P.*DP*)"),
                              QString::fromUtf8("Всички списъци (O*.*)"),
                              QString::fromUtf8("Всички файлове (*)")};
    for (const Seen* seen : {&first, &second}) {
        EXPECT_EQ(seen->nameBox, QStringLiteral("O081206P.*DP*"));
        EXPECT_EQ(seen->mode, QFileDialog::ExistingFile);
        EXPECT_EQ(seen->filters, filters);
        EXPECT_EQ(seen->filter, filters.constFirst());
    }
    EXPECT_EQ(first.folder, folderBefore);
    EXPECT_EQ(second.folder, QDir(QString::fromStdString(dir.path().string())).absolutePath());
    EXPECT_EQ(QDir::currentPath(), folderBefore);
    rememberListFolder(QString());
}

TEST_F(HostFixture, EndingTheDialogClosesTheWindowWithTheResult) {
    window.show();
    EXPECT_FALSE(host.ended());
    host.endDialog(window::idCancel);
    EXPECT_TRUE(host.ended());
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(window.result(), window::idCancel);
}

// After the message about a value longer than its edit's limit, the operator finds that edit with
// the focus and all its text selected, whatever the command did after the message.
TEST(HostFocus, TheEditOfALimitMessageHasTheFocusAndItsTextSelectedAfterTheCommand) {
    const std::filesystem::path examples = VELCOR_EXAMPLES_DIR;
    velcor::testing::TempDir dir;
    // A company name of 40 characters, 5 more than its edit takes.
    std::string settings = velcor::testing::readFileBytes(examples / "omp.ini");
    const std::string name = "NAME = Примерна фирма ООД"_cp;
    const std::string longName = "NAME = " + std::string(40, 'N');
    settings.replace(settings.find(name), name.size(), longName);
    velcor::testing::writeFileBytes(dir.file("omp.ini"), settings);
    for (const char* list : {"O081206P.1DP", "O081206P.2DP"})
        std::filesystem::copy_file(examples / list, dir.file(list));

    MainWindowSession session(fileio::standardFileSystem(), dir.file("omp.ini"));
    MainWindow& w = session.window();
    QLineEdit* nameEdit = w.edit(window::idPayerName);
    std::string chosen;
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(chosen); });

    ModalScript script({&w});
    const auto closeReport = [](QWidget* report) { static_cast<QDialog*>(report)->reject(); };
    struct Case {
        const char* what;
        const char* list;  // chosen with "..."; none: Enter in the IBAN edit ("Подготовка")
        bool reportFollows;
    } cases[] = {
        {"a scan with row messages follows", "O081206P.2DP", true},
        {"a clean scan follows", "O081206P.1DP", false},
        {"Подготовка", nullptr, false},
    };
    struct Seen {
        bool focus = false;
        QString selected;
    };
    std::vector<Seen> seen;
    QTimer::singleShot(0, &w, [&] {
        for (const Case& c : cases) {
            QLineEdit* iban = w.edit(window::idPayerIban);
            iban->setFocus();
            script.answerMessage();
            if (c.reportFollows) script.then(closeReport);
            if (c.list) {
                chosen = dir.file(c.list);
                QTest::mouseClick(static_cast<QPushButton*>(w.control(window::idBrowse)),
                                  Qt::LeftButton);
            } else {
                QTest::keyClick(iban, Qt::Key_Return);
            }
            // The platform gives the main window back its activation when the last box closes.
            w.activateWindow();
            const bool active = QTest::qWaitForWindowActive(&w);
            seen.push_back({active && nameEdit->hasFocus(), nameEdit->selectedText()});
        }
        script.answerMessage(QMessageBox::No);  // the save question, if asked
        w.reject();
    });
    EXPECT_TRUE(session.run());

    ASSERT_EQ(seen.size(), std::size(cases));
    for (std::size_t i = 0; i < seen.size(); ++i) {
        SCOPED_TRACE(cases[i].what);
        EXPECT_TRUE(seen[i].focus);
        EXPECT_EQ(seen[i].selected, QString(40, QLatin1Char('N')));
    }
    const QString limitMessage = QStringLiteral("Please enter no more than 35 characters.");
    ASSERT_GE(script.messages().size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(script.messages()[i], limitMessage);
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
}

TEST_F(HostFixture, TheAboutBoxShowsTheIconTheVersionAndOk) {
    ModalScript script({&window});
    QString title;
    QStringList texts;
    bool hasIcon = false;
    script.then([&](QWidget* about) {
        title = about->windowTitle();
        for (auto* label : about->findChildren<QLabel*>()) {
            if (!label->pixmap().isNull()) hasIcon = true;
            if (!label->text().isEmpty()) texts << label->text();
        }
        saveScreenshot(*about, QStringLiteral("about-box"));
        auto* ok = about->findChild<QPushButton*>();
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), QStringLiteral("OK"));
        EXPECT_TRUE(ok->isDefault());
        QTest::keyClick(about, Qt::Key_Return);
    });
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    // F1 and the window's context menu stand for the system-menu entry where the window
    // manager's menu cannot be reached.
    QTest::keyClick(&window, Qt::Key_F1);
    EXPECT_TRUE(script.done());

    QStringList menu;
    QTimer::singleShot(50, [&] {
        if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : popup->actions())
                if (!action->isSeparator()) menu << action->text();
            popup->close();
        }
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            window.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&window, &event);
    EXPECT_EQ(menu,
              (QStringList{shown(window::undoPrepareMenuText()), shown(window::aboutMenuText())}));
    EXPECT_EQ(title, shown(window::aboutCaption()));
    EXPECT_EQ(texts, QStringList{shown(window::aboutText())});
    EXPECT_TRUE(hasIcon);
    EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace velcor::app::test
