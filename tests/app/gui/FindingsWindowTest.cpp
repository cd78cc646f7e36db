#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/FindingsPanel.h"
#include "app/gui/ReportWindow.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/ControlTable.h"

#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

using namespace velcor::text::literals;

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// A payroll list of `rows` rows, each wrong in one of four ways: a wrong IBAN, an amount that is
// no number, a wrong personal number, a zero amount. The amounts of the others are "<row>.50".
std::string badList(int rows) {
    std::string list;
    for (int row = 1; row <= rows; ++row) {
        const std::string n = std::to_string(row);
        const bool wrongIban = row % 4 == 1;
        const std::string iban = wrongIban ? "BG80BNBG96611020345679" : "BG80BNBG96611020345678";
        const std::string egn = row % 4 == 3 ? "7501020019" : "7501020018";
        const std::string sum = row % 4 == 2 ? "12,3x" : row % 4 == 0 ? "0.00" : n + ".50";
        list += iban + ";BNBGBGSD;" + std::string("Служител "_cp) + n + ";" + egn + ";;" + sum +
                ";\r\n";
    }
    return list;
}

QString cell(const QTableView& table, int row, int column) {
    return table.model()->index(row, column).data().toString();
}

void clickHeader(QTableView& table, int column) {
    QHeaderView* header = table.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}

QString pdfText(const QString& pdf, int page) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"),
                  {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                   QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
    EXPECT_TRUE(process.waitForFinished(60000) && process.exitCode() == 0)
        << "pdftotext failed (poppler-utils installed?)";
    return QString::fromUtf8(process.readAllStandardOutput()).simplified();
}

// What the report window showed of a list's findings.
struct Seen {
    int tableRows = 0;
    QString summary;
    QString firstMessage;
    bool tableAtTop = false;
    bool messagesAtTop = false;
    QString firstByAmount, firstByAmountFalling;
    QString printed, printedLast;
    int pages = 0;
};

void look(ReportWindow& report, Seen& seen) {
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&report));
    FindingsPanel* panel = report.findings();
    ASSERT_NE(panel, nullptr);
    QTableView& table = *panel->table();
    seen.tableRows = table.model()->rowCount();
    seen.summary = panel->summary()->text();
    seen.firstMessage = report.view()->toPlainText().section(u'\n', 0, 0);
    seen.tableAtTop = table.verticalScrollBar()->value() == 0 && table.rowAt(0) == 0;
    seen.messagesAtTop = report.view()->verticalScrollBar()->value() == 0;
}

// A list with a thousand findings, and one with more than the table holds, opened with "...":
// the report window shows the table of its findings beside the message list, both at their top,
// the table sorting by a click on a column's title and printing under its heading. "Печат" shows
// them again.
TEST(FindingsWindow, OpenedListsFindingsAreATableThatSortsPrintsAndComesBackOnPrint) {
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    struct Case {
        int rows;
        int tableRows;
        QString summary;
    } cases[] = {
        {1000, 1000,
         QString::fromUtf8(
             "Намерени грешки: 1000 — Грешен IBAN: 250, Грешен ЕГН: 250, Нулева сума: "
             "250, Невалидна сума: 250")},
        {100500, 100000,
         QString::fromUtf8("Намерени грешки: 100500 — Грешен IBAN: 25125, Грешен ЕГН: 25125, "
                           "Нулева сума: 25125, Невалидна сума: 25125. В таблицата са първите "
                           "100000.")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        velcor::testing::TempDir dir;
        const std::string settingsPath = dir.file("omp.ini");
        std::filesystem::copy_file(kExamples / "omp.ini", settingsPath);
        const std::string listPath = dir.file("O081206P.1DP");
        velcor::testing::writeFileBytes(listPath, badList(c.rows));
        const QString pdf = QDir(screenshotDir()).filePath(QStringLiteral("findings-table.pdf"));

        MainWindowSession session(fileio::standardFileSystem(), settingsPath);
        MainWindow& window = session.window();
        session.host().setOpenFileChooser([&](const QString&) -> std::optional<QString> {
            return QString::fromStdString(listPath);
        });

        Seen opened, again;
        bool printDialog = false;
        const auto onOpened = [&](ReportWindow* report) {
            look(*report, opened);
            QTableView& table = *report->findings()->table();
            if (c.rows == 1000) saveScreenshot(*report, QStringLiteral("findings-table-1000"));
            clickHeader(table, 3);
            opened.firstByAmount = cell(table, 0, 0) + u' ' + cell(table, 0, 3);
            clickHeader(table, 3);
            opened.firstByAmountFalling = cell(table, 0, 0) + u' ' + cell(table, 0, 3);
            if (c.rows == 1000) {
                QPdfWriter writer(pdf);
                writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                                 QMarginsF(15, 15, 15, 15),
                                                 QPageLayout::Millimeter));
                opened.pages = report->findings()->printTo(writer);
                // The table's own button prints it through the print dialog.
                QTimer::singleShot(50, [&] {
                    QWidget* modal = QApplication::activeModalWidget();
                    printDialog = qobject_cast<QPrintDialog*>(modal) != nullptr;
                    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
                });
                QTest::mouseClick(report->findings()->printButton(), Qt::LeftButton);
            }
            report->close();
        };
        const auto onPrint = [&](ReportWindow* report) {
            look(*report, again);
            report->close();
        };
        // A long reading's progress dialog may come first; it closes itself.
        int reports = 0;
        ModalScript script({&window});
        for (int i = 0; i < 4; ++i)
            script.then([&](QWidget* widget) {
                if (qobject_cast<QProgressDialog*>(widget)) return;
                auto* report = qobject_cast<ReportWindow*>(widget);
                ASSERT_NE(report, nullptr) << widget->windowTitle().toStdString();
                ++reports == 1 ? onOpened(report) : onPrint(report);
            });
        QTimer::singleShot(0, &window, [&] {
            QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idBrowse)),
                              Qt::LeftButton);
            QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idPrint)),
                              Qt::LeftButton);
            window.close();
        });
        session.run();
        EXPECT_EQ(reports, 2);
        EXPECT_TRUE(script.unexpected().empty());

        for (const Seen* seen : {&opened, &again}) {
            EXPECT_EQ(seen->tableRows, c.tableRows);
            EXPECT_EQ(seen->summary, c.summary);
            EXPECT_EQ(seen->firstMessage.toStdString(), "Грешен IBAN( Wrong IBAN ! ) на ред: 1");
            EXPECT_TRUE(seen->tableAtTop);
            EXPECT_TRUE(seen->messagesAtTop);
        }
        // An amount that is no number sorts first; then the largest, when falling.
        EXPECT_EQ(opened.firstByAmount, QStringLiteral("2 12,3x"));
        EXPECT_EQ(opened.firstByAmountFalling,
                  c.rows == 1000 ? QStringLiteral("999 999.50") : QStringLiteral("99999 99999.50"));

        if (c.rows != 1000) continue;
        EXPECT_TRUE(printDialog);
        // On paper: every page under its heading, in the order the table was sorted.
        ASSERT_GT(opened.pages, 1);
        const QString first = pdfText(pdf, 1);
        const QString last = pdfText(pdf, opened.pages);
        for (const QString& heading : {QString::fromUtf8("Грешки във файл O081206P.1DP"),
                                       QString::fromUtf8("Отпечатано на ") + today})
            for (const QString* page : {&first, &last})
                EXPECT_TRUE(page->contains(heading)) << heading.toStdString();
        EXPECT_TRUE(first.contains(c.summary));
        EXPECT_TRUE(first.contains(QString::fromUtf8("Страница 1 от %1").arg(opened.pages)));
        EXPECT_TRUE(last.contains(QString::fromUtf8("Страница %1 от %1").arg(opened.pages)))
            << last.toStdString();
        EXPECT_TRUE(
            first.contains(QString::fromUtf8("999 Служител 999 BG80BNBG96611020345678 "
                                             "999.50 Грешен ЕГН")))
            << first.toStdString();
        EXPECT_TRUE(
            last.contains(QString::fromUtf8("998 Служител 998 BG80BNBG96611020345678 12,3x "
                                            "Невалидна сума")))
            << last.toStdString();
    }
}

}  // namespace
}  // namespace velcor::app::test
