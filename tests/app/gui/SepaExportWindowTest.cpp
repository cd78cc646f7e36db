#include "GuiTestSupport.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/Application.h"
#include "app/gui/SepaExportDialog.h"
#include "app/gui/SepaHeaderSetting.h"
#include "output/CategoryPurpose.h"
#include "output/SepaDocument.h"
#include "output/Transliteration.h"
#include "support/SepaFileReader.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
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

using namespace velcor::text::literals;

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
    int tableRows = -1;
    bool tableShown = true;
    QString rest;
    script.then([&](QWidget* widget) {
        auto* dialog = qobject_cast<SepaExportDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        tableRows = dialog->namesTable()->rowCount();
        tableShown = dialog->namesTable()->isVisible();
        rest = dialog->restLine()->isVisible() ? dialog->restLine()->text() : QString();
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
    // Every name of the list goes as its letters in Latin: nothing to look over, only the count.
    EXPECT_EQ(tableRows, 0);
    EXPECT_FALSE(tableShown);
    EXPECT_EQ(rest, QString::fromUtf8("Всички 4 реда се изпращат само с латинските си букви."));
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

// The preview shows a changed row's text as sent beside its names; a name or text the file cuts
// is marked, its warning in its tooltip, and a line under the table counts the rows cut.
TEST(SepaExportWindow, ThePreviewMarksANameOrTextTheFileCuts) {
    session::SepaOutcome review;
    review.names = {
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
        {0, 3,
         "Основанието е по-дълго от 140 знака на латиница и във файла е съкратено (краят му се "
         "губи) на ред: 2"},
        {1, 2,
         "Името на получателя е по-дълго от 70 знака на латиница и във файла е съкратено на ред: "
         "3"},
        {1, 3, ""},
    };
    SepaExportDialog dialog(review);
    ASSERT_EQ(dialog.namesTable()->columnCount(), 4);
    ASSERT_EQ(dialog.namesTable()->rowCount(), 2);
    EXPECT_EQ(dialog.namesTable()->item(0, 0)->text(), QStringLiteral("2"));
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
    session::SepaOutcome plain;
    plain.names = {review.names[0]};
    EXPECT_TRUE(SepaExportDialog(plain).cutsLine()->isHidden());
}

// Only the rows whose name or text changes beyond its letters are in the table; a line under it
// counts the rows sent with their letters only, and those the review could not keep.
TEST(SepaExportWindow, ThePreviewShowsOnlyTheChangedRowsAndCountsTheRest) {
    const auto name = [](std::int64_t row, std::string written, bool remittanceCut = false) {
        const std::string sent = output::sepaText(written, output::kMaxSepaName);
        return session::SepaName{row, written, sent, "", false, remittanceCut, "", false};
    };
    std::vector<session::SepaName> thousand;
    for (std::int64_t row = 1; row <= 1000; ++row) thousand.push_back(name(row, "A \"B\""));
    const struct {
        const char* what;
        std::vector<session::SepaName> names;
        std::int64_t leftOut;
        std::int64_t changedLeftOut;
        std::int64_t cutsLeftOut;
        int tableRows;
        std::int64_t firstRow;  // the first row in the table
        const char* rest;       // empty: no line
        bool cutsShown;
    } cases[] = {
        {"letters only",
         {name(1, "Иван"_cp), name(2, "Мария"_cp)},
         0,
         0,
         0,
         0,
         0,
         "Всички 2 реда се изпращат само с латинските си букви.",
         false},
        {"one row, letters only",
         {name(1, "Ivan")},
         0,
         0,
         0,
         0,
         0,
         "Редът се изпраща само с латинските си букви.",
         false},
        {"a quote dropped, a text cut",
         {name(1, "Иван"_cp), name(2, "A \"B\""), name(3, "Ivan", true)},
         0,
         0,
         0,
         2,
         2,
         "Още 1 ред се изпраща само с латинските си букви.",
         true},
        {"every row changed", {name(1, "A \"B\""), name(2, "C \"D\"")}, 0, 0, 0, 2, 1, "", false},
        {"a million rows, a thousand changed in sight", thousand, 999000, 1500, 20, 1000, 1,
         "Още 997500 реда се изпращат само с латинските си букви. Още 1500 реда с променени или "
         "съкратени текстове не са показани.",
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        session::SepaOutcome review;
        review.names = c.names;
        review.namesLeftOut = c.leftOut;
        review.changedLeftOut = c.changedLeftOut;
        review.cutsLeftOut = c.cutsLeftOut;
        SepaExportDialog dialog(review);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
        EXPECT_EQ(dialog.namesTable()->rowCount(), c.tableRows);
        EXPECT_EQ(dialog.namesTable()->isVisible(), c.tableRows > 0);
        if (c.tableRows > 0) {
            EXPECT_EQ(dialog.namesTable()->item(0, 0)->text(), QString::number(c.firstRow));
        }
        EXPECT_EQ(dialog.restLine()->isVisible() ? dialog.restLine()->text() : QString(),
                  QString::fromUtf8(c.rest));
        EXPECT_EQ(dialog.cutsLine()->isVisible(), c.cutsShown);
        if (c.leftOut > 0) saveScreenshot(dialog, QStringLiteral("sepa-export-million"));
    }
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

// A row whose text its creditor reference keeps out of the file is in the table, the reference
// shown where its text would be and marked, its warning in its tooltip; a line under the table
// counts such rows. A reference that keeps nothing out changes nothing worth a look.
TEST(SepaExportWindow, ThePreviewShowsAReferenceInTheTextsPlace) {
    session::SepaOutcome review;
    review.names = {
        {1, "Ivan", "Ivan", "Zaplata", false, false, "RF18539007547034", true},
        {2, "Maria", "Maria", "", false, false, "RF47ABC123", false},
        {3, "Petar", "Petar", "Zaplata", false, false, "", false},
    };
    SepaExportDialog dialog(review);
    ASSERT_EQ(dialog.namesTable()->rowCount(), 1);
    EXPECT_EQ(dialog.namesTable()->item(0, 0)->text(), QStringLiteral("1"));
    EXPECT_EQ(dialog.namesTable()->item(0, 3)->text(), QStringLiteral("RF18539007547034"));
    EXPECT_EQ(dialog.namesTable()->item(0, 3)->toolTip(),
              QString::fromUtf8("Основанието не се изпраща: във файла вместо него е референцията "
                                "от полето RF на ред: 1"));
    EXPECT_TRUE(dialog.cutsLine()->isHidden());
    EXPECT_FALSE(dialog.droppedLine()->isHidden());
    EXPECT_TRUE(dialog.droppedLine()->text().contains(QStringLiteral("(редове: 1)")))
        << dialog.droppedLine()->text().toStdString();
    dialog.show();
    saveScreenshot(dialog, QStringLiteral("sepa-export-reference"));
    session::SepaOutcome others;
    others.names = {review.names[1], review.names[2]};
    EXPECT_TRUE(SepaExportDialog(others).droppedLine()->isHidden());
}

}  // namespace
}  // namespace velcor::app::test
