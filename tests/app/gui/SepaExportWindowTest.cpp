#include "GuiTestSupport.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/Application.h"
#include "app/gui/SepaExportDialog.h"
#include "app/gui/SepaHeaderSetting.h"
#include "output/CategoryPurpose.h"
#include "support/SepaFileReader.h"
#include "support/TestSupport.h"
#include "window/ControlTable.h"

#include <QAbstractItemModel>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QTranslator>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

struct MenuEntry {
    QString text;
    bool enabled = false;
};

// Opens the main window's context menu and reads its first entry; with `choose`, picks it.
MenuEntry firstContextMenuEntry(MainWindow& window, bool choose) {
    MenuEntry entry;
    QTimer::singleShot(50, &window, [&] {
        auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (popup == nullptr || popup->actions().isEmpty()) return;
        QAction* first = popup->actions().constFirst();
        entry = {first->text(), first->isEnabled()};
        if (choose) saveScreenshot(*popup, QStringLiteral("sepa-context-menu"));
        popup->close();
        if (choose) first->trigger();
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5),
                            window.mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(&window, &event);
    return entry;
}

// The context menu's entry through the real widgets: disabled until a list is checked clean,
// then its dialog shows the names as written and as sent, and the file goes where the save
// dialog says, with the choices made.
TEST(SepaExportWindow, TheContextMenuEntryShowsTheNamesAndWritesTheChosenFile) {
    const std::filesystem::path examples = VELCOR_EXAMPLES_DIR;
    velcor::testing::TempDir dir;
    const std::string settingsPath = dir.file("omp.ini");
    std::filesystem::copy_file(examples / "omp.ini", settingsPath);
    const std::string listPath = dir.file("O150126P.1DP");
    std::filesystem::copy_file(examples / "O081206P.1DP", listPath);
    const std::string target = dir.file("bank.xml");

    // The boxes in Bulgarian, as the program shows them.
    QTranslator translator;
    installQtTranslation(translator);
    MainWindowSession session(fileio::standardFileSystem(), settingsPath);
    MainWindow& window = session.window();
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(listPath); });
    QString suggested;
    session.host().setSaveFileChooser([&](const QString& path) -> std::optional<QString> {
        suggested = path;
        return QString::fromStdString(target);
    });

    ModalScript script({&window});
    QStringList written, sent;
    script.then([&](QWidget* widget) {
        auto* dialog = qobject_cast<SepaExportDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        for (int row = 0; row < dialog->namesTable()->rowCount(); ++row) {
            written << dialog->namesTable()->item(row, 1)->text();
            sent << dialog->namesTable()->item(row, 2)->text();
        }
        dialog->instantBox()->setChecked(true);
        QLineEdit* purpose = dialog->purposeList()->lineEdit();
        purpose->clear();
        typeText(purpose, QStringLiteral("sal"));
        EXPECT_FALSE(dialog->saveButton()->isEnabled());  // three letters are no code
        typeText(purpose, QStringLiteral("a"));
        EXPECT_EQ(purpose->text(), QStringLiteral("SALA"));
        dialog->initiatorEdit()->clear();
        typeText(dialog->initiatorEdit(), QStringLiteral("831641791"));
        dialog->batchBookingList()->setCurrentIndex(2);
        // The room the EIK's problem took while it was typed is given back before the picture.
        dialog->layout()->activate();
        saveScreenshot(*dialog, QStringLiteral("sepa-export"));
        QTest::mouseClick(dialog->saveButton(), Qt::LeftButton);
    });
    // The list's value date (15 January 2026) is gone by: asked about before the file is
    // written, as before a prepare.
    script.answerMessage(QMessageBox::Yes);
    // Before it is written: what a bank's page shows, Да the default.
    QString confirmation;
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        confirmation = box->text();
        EXPECT_EQ(box->icon(), QMessageBox::Question);
        EXPECT_EQ(box->defaultButton(), box->button(QMessageBox::Yes));
        saveScreenshot(*box, QStringLiteral("sepa-confirmation"));
        box->button(QMessageBox::Yes)->click();
    });
    script.answerMessage();  // the file is confirmed, with its figures in euro

    MenuEntry before, after;
    QTimer::singleShot(0, &window, [&] {
        before = firstContextMenuEntry(window, false);
        QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idBrowse)),
                          Qt::LeftButton);
        after = firstContextMenuEntry(window, true);
        window.reject();
    });
    EXPECT_TRUE(session.run());
    QCoreApplication::removeTranslator(&translator);

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    EXPECT_EQ(before.text, shown(window::sepaExportMenuText()));
    EXPECT_FALSE(before.enabled);
    EXPECT_TRUE(after.enabled);
    EXPECT_EQ(written,
              (QStringList{QString::fromUtf8("Иван Петров"), QString::fromUtf8("Мария Иванова"),
                           QString::fromUtf8("Строй ЕООД"), QString::fromUtf8("Агро АД")}));
    EXPECT_EQ(sent, (QStringList{"Ivan Petrov", "Maria Ivanova", "Stroy EOOD", "Agro AD"}));
    EXPECT_EQ(suggested, QString::fromStdString(listPath + ".xml"));
    const auto file = velcor::testing::readSepaFile(velcor::testing::readFileBytes(target));
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->localInstrument + " " + file->categoryPurpose, "INST SALA");
    EXPECT_EQ(file->initiatingId + " " + file->batchBooking, "831641791 false");
    EXPECT_EQ(file->transactions.size(), 4u);
    for (const char* line :
         {"Сметка на наредителя: BG48BNBG96618000123456", "Дата на изпълнение: 15.01.2026",
          "Брой преводи: 4", "Обща сума: 6276.15 EUR", "Вид на файла: Стандартен (препоръчан)",
          "Версия: pain.001.001.09", "Категория на плащането: SALA – ",
          "Незабавен превод (SEPA Instant): да"})
        EXPECT_TRUE(confirmation.contains(QString::fromUtf8(line))) << line;
    ASSERT_EQ(script.messages().size(), 2u);
    EXPECT_EQ(script.messages()[1], QString::fromUtf8("SEPA файлът е записан."));
    EXPECT_EQ(script.icons()[1], QMessageBox::Information);
    EXPECT_TRUE(script.details()[1].contains(QString::fromStdString(target).toHtmlEscaped()));
    EXPECT_TRUE(script.details()[1].contains(QString::fromUtf8("Брой: 4<br>")));
    EXPECT_TRUE(script.details()[1].endsWith(QStringLiteral(" EUR")));
}

// The purpose's drop-down offers every code of ISO's list with its meaning in Bulgarian; a code
// typed is shown with its meaning, and only a code of the list, or none, can be saved.
TEST(SepaExportWindow, ThePurposeIsACodeOfTheListShownWithItsMeaning) {
    SepaExportDialog dialog({});
    const QAbstractItemModel* offered = dialog.purposeList()->model();
    const auto purposes = output::categoryPurposes();
    ASSERT_EQ(offered->rowCount(), static_cast<int>(purposes.size()) + 1);
    EXPECT_EQ(offered->index(0, 0).data().toString(), QString());
    for (std::size_t i = 0; i < purposes.size(); ++i) {
        const int row = static_cast<int>(i) + 1;
        EXPECT_EQ(offered->index(row, 0).data().toString().toStdString(), purposes[i].code);
        EXPECT_EQ(offered->index(row, 1).data().toString(), fromCp1251(purposes[i].meaning));
    }
    const struct {
        const char* typed;
        const char* shown;  // in the edit
        const char* meaning;
        bool saves;
    } cases[] = {
        {"", "", "", true},
        {"sala", "SALA", "заплати", true},
        {"SUPP", "SUPP", "плащане към доставчик", true},
        {"ABCD", "ABCD", "", false},
        {"TAX", "TAX", "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        QLineEdit* edit = dialog.purposeList()->lineEdit();
        edit->clear();
        typeText(edit, QString::fromUtf8(c.typed));
        EXPECT_EQ(edit->text(), QString::fromUtf8(c.shown));
        EXPECT_EQ(dialog.purposeMeaning()->text(), QString::fromUtf8(c.meaning));
        EXPECT_EQ(dialog.saveButton()->isEnabled(), c.saves);
        EXPECT_EQ(dialog.choices().categoryPurpose, std::string(c.shown));
    }
    dialog.purposeList()->showPopup();
    saveScreenshot(*dialog.purposeList()->view(), QStringLiteral("sepa-purposes"));
    dialog.purposeList()->hidePopup();
}

// The preview shows each row's text as sent beside its names; a name or text the file cuts is
// marked, its warning in its tooltip, and a line under the table counts the rows cut.
TEST(SepaExportWindow, ThePreviewMarksANameOrTextTheFileCuts) {
    const std::vector<session::SepaName> names = {
        {1, "Ivan", "Ivan", "Zaplata", false, false, "", false},
        {2, "Maria", "Maria", std::string(140, 'a'), false, true, "", false},
        {3, std::string(80, 'b'), std::string(70, 'b'), "", true, false, "", false},
    };
    const struct {
        int row;
        int column;
        const char* tooltip;  // empty: not marked
    } cases[] = {
        {0, 2, ""},
        {0, 3, ""},
        {1, 2, ""},
        {1, 3,
         "Основанието е по-дълго от 140 знака на латиница и във файла е съкратено (краят му се "
         "губи) на ред: 2"},
        {2, 2,
         "Името на получателя е по-дълго от 70 знака на латиница и във файла е съкратено на ред: "
         "3"},
        {2, 3, ""},
    };
    SepaExportDialog dialog(names);
    ASSERT_EQ(dialog.namesTable()->columnCount(), 4);
    EXPECT_EQ(dialog.namesTable()->item(0, 3)->text(), QStringLiteral("Zaplata"));
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.row) + " " + std::to_string(c.column));
        EXPECT_EQ(dialog.namesTable()->item(c.row, c.column)->toolTip(),
                  QString::fromUtf8(c.tooltip));
    }
    EXPECT_FALSE(dialog.cutsLine()->isHidden());
    EXPECT_TRUE(dialog.cutsLine()->text().contains(QStringLiteral("(редове: 2)")))
        << dialog.cutsLine()->text().toStdString();
    dialog.show();
    saveScreenshot(dialog, QStringLiteral("sepa-export-cuts"));
    EXPECT_TRUE(SepaExportDialog({names[0]}).cutsLine()->isHidden());
}

// The payer's EIK is checked as it is typed: a wrong one is told beside the field, by its name,
// and cannot be saved. Batch booking is one of three: not given, yes, no. Both are remembered
// once saved, and the next dialog starts with them.
TEST(SepaExportWindow, TheInitiatorsIdAndBatchBookingAreCheckedAndRemembered) {
    rememberInitiatorId({});
    rememberBatchBooking(std::nullopt);
    const QString wrong = QString::fromUtf8(
        "В полето „ЕИК/БУЛСТАТ на наредителя“ трябва да е ЕИК/БУЛСТАТ от 9 или 13 цифри с верни "
        "контролни цифри!");
    {
        SepaExportDialog dialog({});
        EXPECT_EQ(dialog.initiatorEdit()->text(), QString());
        EXPECT_EQ(dialog.batchBookingList()->currentText(), QString::fromUtf8("Не е посочено"));
        EXPECT_EQ(dialog.choices().batchBooking, std::nullopt);
        const struct {
            const char* typed;
            const char* shown;  // in the edit: what the field takes
            bool saves;
        } cases[] = {
            {"", "", true},
            {"831641791", "831641791", true},
            {"831641792", "831641792", false},
            {"83164179", "83164179", false},
            {"121 234 566-1237", "121 234 566-1237", true},
            {"1212345671239", "1212345671239", false},
            {"BG831641791", "831641791", true},
        };
        for (const auto& c : cases) {
            SCOPED_TRACE(c.typed);
            dialog.initiatorEdit()->clear();
            typeText(dialog.initiatorEdit(), QString::fromUtf8(c.typed));
            EXPECT_EQ(dialog.initiatorEdit()->text(), QString::fromUtf8(c.shown));
            EXPECT_EQ(dialog.saveButton()->isEnabled(), c.saves);
            EXPECT_EQ(dialog.initiatorProblem()->isHidden(), c.saves);
            EXPECT_EQ(dialog.initiatorProblem()->text(), c.saves ? QString() : wrong);
            EXPECT_EQ(dialog.choices().initiatorId, std::string(c.shown));
        }
        // A wrong purpose keeps the save disabled whatever the EIK.
        typeText(dialog.purposeList()->lineEdit(), QStringLiteral("ABC"));
        EXPECT_FALSE(dialog.saveButton()->isEnabled());
        dialog.purposeList()->lineEdit()->clear();
        EXPECT_TRUE(dialog.saveButton()->isEnabled());

        const std::optional<bool> bookings[] = {std::nullopt, true, false};
        for (int index = 0; index < 3; ++index) {
            dialog.batchBookingList()->setCurrentIndex(index);
            EXPECT_EQ(dialog.choices().batchBooking, bookings[index]);
        }
        dialog.initiatorEdit()->clear();
        typeText(dialog.initiatorEdit(), QStringLiteral("831641792"));
        dialog.show();
        saveScreenshot(dialog, QStringLiteral("sepa-export-wrong-eik"));
        dialog.initiatorEdit()->clear();
        typeText(dialog.initiatorEdit(), QStringLiteral("831 641 791"));
        dialog.batchBookingList()->setCurrentIndex(2);
        dialog.accept();
    }
    EXPECT_EQ(rememberedInitiatorId(), "831 641 791");
    EXPECT_EQ(rememberedBatchBooking(), false);
    SepaExportDialog again({});
    EXPECT_EQ(again.initiatorEdit()->text(), QStringLiteral("831 641 791"));
    EXPECT_EQ(again.batchBookingList()->currentIndex(), 2);
    EXPECT_EQ(again.choices().initiatorId, "831 641 791");
    EXPECT_TRUE(again.saveButton()->isEnabled());
    // Cancelled, the dialog leaves what was remembered.
    again.batchBookingList()->setCurrentIndex(1);
    again.reject();
    EXPECT_EQ(rememberedBatchBooking(), false);
    rememberInitiatorId({});
    rememberBatchBooking(std::nullopt);
}

// A row's creditor reference is shown where its text would be; a text it keeps out of the file is
// marked, its warning in its tooltip, and a line under the table counts such rows.
TEST(SepaExportWindow, ThePreviewShowsAReferenceInTheTextsPlace) {
    const std::vector<session::SepaName> names = {
        {1, "Ivan", "Ivan", "", false, false, "RF18539007547034", true},
        {2, "Maria", "Maria", "", false, false, "RF47ABC123", false},
        {3, "Petar", "Petar", "Zaplata", false, false, "", false},
    };
    const struct {
        int row;
        const char* text;
        const char* tooltip;  // empty: not marked
    } cases[] = {
        {0, "RF18539007547034",
         "Основанието не се изпраща: във файла вместо него е референцията от полето RF на ред: 1"},
        {1, "RF47ABC123", ""},
        {2, "Zaplata", ""},
    };
    SepaExportDialog dialog(names);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(dialog.namesTable()->item(c.row, 3)->text(), QString::fromUtf8(c.text));
        EXPECT_EQ(dialog.namesTable()->item(c.row, 3)->toolTip(), QString::fromUtf8(c.tooltip));
    }
    EXPECT_TRUE(dialog.cutsLine()->isHidden());
    EXPECT_FALSE(dialog.droppedLine()->isHidden());
    EXPECT_TRUE(dialog.droppedLine()->text().contains(QStringLiteral("(редове: 1)")))
        << dialog.droppedLine()->text().toStdString();
    dialog.show();
    saveScreenshot(dialog, QStringLiteral("sepa-export-reference"));
    EXPECT_TRUE(SepaExportDialog({names[1], names[2]}).droppedLine()->isHidden());
}

}  // namespace
}  // namespace velcor::app::test
