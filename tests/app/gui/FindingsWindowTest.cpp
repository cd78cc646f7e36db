#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/FindingsPanel.h"
#include "app/gui/FindingsPrint.h"
#include "app/gui/ReportWindow.h"
#include "processing/RowFindings.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/ControlTable.h"

#include <QApplication>
#include <QBuffer>
#include <QDate>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QProcess>
#include <QProgressDialog>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <numeric>

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

QString cell(const QTreeView& table, int row, int column) {
    return table.model()->index(row, column).data().toString();
}

void clickHeader(QTreeView& table, int column) {
    QHeaderView* header = table.header();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(column) + 5, header->height() / 2));
}

constexpr auto kPrintButton = "Печат...";

// The button of the report window that reads `text` (UTF-8).
QPushButton* windowButton(QWidget& window, const char* text) {
    for (QPushButton* button : window.findChildren<QPushButton*>())
        if (button->text() == QString::fromUtf8(text)) return button;
    ADD_FAILURE() << "no button " << text;
    return nullptr;
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
    QTreeView& table = *panel->table();
    seen.tableRows = table.model()->rowCount();
    seen.summary = panel->summary()->text();
    seen.firstMessage = report.view()->toPlainText().section(u'\n', 0, 0);
    seen.tableAtTop =
        table.verticalScrollBar()->value() == 0 && table.indexAt(QPoint(1, 1)).row() == 0;
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
             "Редове с грешки: 1000, грешки: 1000 — Грешен IBAN: 250, Грешен ЕГН: 250, "
             "Нулева сума: 250, Невалидна сума: 250")},
        {100500, 100000,
         QString::fromUtf8("Редове с грешки: 100500, грешки: 100500 — Грешен IBAN: 25125, "
                           "Грешен ЕГН: 25125, Нулева сума: 25125, Невалидна сума: 25125. В "
                           "таблицата са първите 100000.")},
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
            QTreeView& table = *report->findings()->table();
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
                // The window's button prints it through the print dialog.
                QTimer::singleShot(50, [&] {
                    QWidget* modal = QApplication::activeModalWidget();
                    printDialog = qobject_cast<QPrintDialog*>(modal) != nullptr;
                    if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
                });
                QTest::mouseClick(windowButton(*report, kPrintButton), Qt::LeftButton);
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

// A row's findings in the found order: "<row> <problem>".
processing::RowFindings foldedFindings() {
    processing::RowFindings findings;
    findings.keep = processing::kMaxFindingsKept;
    const auto add = [&](std::int64_t row, processing::FindingKind kind, std::string_view problem,
                         const char* amount) {
        findings.add(kind, row, "%s на ред: %lld"_cp.c_str(), std::string(problem).c_str(),
                     static_cast<long long>(row));
        findings.kept.back().amount = amount;
    };
    // A row without its delimiter gives a wrong IBAN and a zero amount as well.
    add(1, processing::FindingKind::noDelimiter, "Няма разделител"_cp, "");
    add(1, processing::FindingKind::wrongIban, "Грешен IBAN"_cp, "");
    add(1, processing::FindingKind::zeroSum, "Нулева сума"_cp, "");
    add(2, processing::FindingKind::wrongEgn, "Грешен ЕГН"_cp, "20.00");
    add(3, processing::FindingKind::invalidSum, "Невалидна сума"_cp, "12,3x");
    add(3, processing::FindingKind::loneCr, "CR без LF"_cp, "12,3x");
    return findings;
}

// The table's lines from the top, each row's folded findings under it when it is expanded:
// "<row>", and "<row>/<problem>" for a folded one.
QStringList lines(const QTreeView& table) {
    QStringList out;
    const QAbstractItemModel& model = *table.model();
    for (int row = 0; row < model.rowCount(); ++row) {
        const QModelIndex parent = model.index(row, 0);
        out << parent.data().toString();
        if (!table.isExpanded(parent)) continue;
        for (int child = 0; child < model.rowCount(parent); ++child)
            out << model.index(child, 0, parent).data().toString() + u'/' +
                       model.index(child, 4, parent).data().toString();
    }
    return out;
}

// A row's follow-on findings fold under its first; the count names rows and findings; sorting
// sorts the rows, each keeping its folded findings, open or closed, under it.
TEST(FindingsWindow, ARowsFollowOnFindingsFoldUnderItsFirstAndSortWithIt) {
    ReportWindow report;
    report.showFindings(foldedFindings(), "O081206P.1DP");
    report.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&report));
    QTreeView& table = *report.findings()->table();
    EXPECT_EQ(report.findings()->summary()->text(),
              QString::fromUtf8("Редове с грешки: 3, грешки: 6 — Няма разделител: 1, Грешен IBAN: "
                                "1, Грешен ЕГН: 1, Нулева сума: 1, Невалидна сума: 1, CR без "
                                "LF: 1"));
    const struct {
        const char* what;
        std::function<void()> act;
        QStringList lines;
        QString problemOfFirst;
    } steps[] = {
        {"opened: one line a row, folded",
         [] {},
         {"1", "2", "3"},
         QString::fromUtf8("Няма разделител")},
        {"→ on the first row opens it",
         [&] {
             table.setFocus();
             table.setCurrentIndex(table.model()->index(0, 0));
             QTest::keyClick(table.viewport(), Qt::Key_Right);
         },
         {"1", QString::fromUtf8("1/Грешен IBAN"), QString::fromUtf8("1/Нулева сума"), "2", "3"},
         QString::fromUtf8("Няма разделител")},
        {"by amount: what is no number first, then none as nought",
         [&] { clickHeader(table, 3); },
         {"3", "1", QString::fromUtf8("1/Грешен IBAN"), QString::fromUtf8("1/Нулева сума"), "2"},
         QString::fromUtf8("Невалидна сума")},
        {"by amount falling",
         [&] { clickHeader(table, 3); },
         {"2", "1", QString::fromUtf8("1/Грешен IBAN"), QString::fromUtf8("1/Нулева сума"), "3"},
         QString::fromUtf8("Грешен ЕГН")},
        {"by problem",
         [&] { clickHeader(table, 4); },
         {"2", "3", "1", QString::fromUtf8("1/Грешен IBAN"), QString::fromUtf8("1/Нулева сума")},
         QString::fromUtf8("Грешен ЕГН")},
        {"← on the open row closes it",
         [&] {
             table.setCurrentIndex(table.model()->index(2, 0));
             QTest::keyClick(table.viewport(), Qt::Key_Left);
         },
         {"2", "3", "1"},
         QString::fromUtf8("Грешен ЕГН")},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(lines(table), step.lines);
        EXPECT_EQ(cell(table, 0, 4), step.problemOfFirst);
    }
    // On paper the rows go in the order shown, each with all its findings.
    const std::vector<std::size_t> printed = report.findings()->model().order();
    EXPECT_EQ(printed, (std::vector<std::size_t>{3, 4, 5, 0, 1, 2}));
    table.expandAll();
    saveScreenshot(report, QStringLiteral("findings-folded"));
}

// "Печат...", "Преглед" and "Запис като PDF..." print one thing: the table under its heading,
// not the message list. Past fifty pages each asks first.
TEST(FindingsWindow, PrintPreviewAndPdfAreTheTableAndAskPastFiftyPages) {
    const auto findingsOf = [](int rows) {
        processing::RowFindings findings;
        findings.keep = processing::kMaxFindingsKept;
        for (int row = 1; row <= rows; ++row)
            findings.add(processing::FindingKind::zeroSum, row,
                         "Нулева сума на ред: %lld"_cp.c_str(), static_cast<long long>(row));
        return findings;
    };
    enum class Next { none, printDialog, previewDialog, fileDialog };
    const struct {
        const char* what;
        int rows;
        const char* button;
        int answer;  // to the question of pages; 0: none is asked
        Next next;
    } cases[] = {
        {"a short table: print", 40, kPrintButton, 0, Next::printDialog},
        {"a short table: preview", 40, "Преглед", 0, Next::previewDialog},
        {"a short table: PDF", 40, "Запис като PDF...", 0, Next::fileDialog},
        {"a long table: preview, no", 3000, "Преглед", QMessageBox::No, Next::none},
        {"a long table: preview, yes", 3000, "Преглед", QMessageBox::Yes, Next::previewDialog},
        {"a long table: PDF, no", 3000, "Запис като PDF...", QMessageBox::No, Next::none},
        {"a long table: PDF, yes", 3000, "Запис като PDF...", QMessageBox::Yes, Next::fileDialog},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        ReportWindow report;
        report.setReportHtml("<B>message list</B>");
        report.showFindings(findingsOf(c.rows), "O081206P.1DP");
        report.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&report));
        ModalScript script({&report});
        if (c.answer != 0) script.answerMessage(c.answer);
        Next seen = Next::none;
        if (c.next != Next::none)
            script.then([&](QWidget* dialog) {
                if (qobject_cast<QPrintDialog*>(dialog)) seen = Next::printDialog;
                if (qobject_cast<QPrintPreviewDialog*>(dialog)) seen = Next::previewDialog;
                if (qobject_cast<QFileDialog*>(dialog)) seen = Next::fileDialog;
                static_cast<QDialog*>(dialog)->reject();
            });
        QTest::mouseClick(windowButton(report, c.button), Qt::LeftButton);
        EXPECT_TRUE(script.done());
        EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
        EXPECT_EQ(seen, c.next);
        if (c.answer == 0) continue;
        ASSERT_EQ(script.messages().size(), 1u);
        const QString question = script.messages()[0];
        const QRegularExpression pages(
            QString::fromUtf8("^Таблицата заема (\\d+) страници. Да продължи ли\\?$"));
        const QRegularExpressionMatch match = pages.match(question);
        ASSERT_TRUE(match.hasMatch()) << question.toStdString();
        EXPECT_GT(match.captured(1).toInt(), 50);
    }

    // What the PDF holds: the table with its heading, and nothing of the message list.
    ReportWindow report;
    report.setReportHtml("<B>message list</B>");
    report.showFindings(foldedFindings(), "O081206P.1DP");
    const QString pdf = QDir(screenshotDir()).filePath(QStringLiteral("findings-one-print.pdf"));
    ASSERT_TRUE(report.saveAsPdf(pdf));
    const QString page = pdfText(pdf, 1);
    for (const char* text : {"Грешки във файл O081206P.1DP", "Редове с грешки: 3, грешки: 6",
                             "1 Няма разделител", "1 Грешен IBAN", "3 12,3x CR без LF"})
        EXPECT_TRUE(page.contains(QString::fromUtf8(text))) << text << "\n" << page.toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("message list")));
}

// A long table tells how far its printout has come, its layout and then its pages, and stops
// before the next page when told to: the window's "Отказ" then leaves no PDF and no print job.
TEST(FindingsWindow, ALongPrintoutTellsItsProgressAndStopsWhenTold) {
    processing::RowFindings findings;
    findings.keep = processing::kMaxFindingsKept;
    for (int row = 1; row <= 3000; ++row)
        findings.add(processing::FindingKind::zeroSum, row, "Нулева сума на ред: %lld"_cp.c_str(),
                     static_cast<long long>(row));
    std::vector<std::size_t> order(findings.kept.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    const struct {
        const char* what;
        int stopAt;  // the call that answers false; 0: none
        int pages;   // what printFindings answers: -1 when stopped
    } cases[] = {
        {"to its end", 0, 0}, {"stopped in its layout", 2, -1}, {"stopped at a page", 0, -1}};
    int wholePages = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        std::vector<int> heard;
        int pagesBegun = 0;
        const bool atAPage = std::string(c.what) == "stopped at a page";
        const int pages = printFindings(
            writer, findings, order, "O081206P.1DP", {2006, 12, 8}, 0, 0, [&](int permille) {
                heard.push_back(permille);
                if (permille >= 300) ++pagesBegun;
                if (atAPage) return pagesBegun < 2;  // the first page, not the second
                return c.stopAt == 0 || static_cast<int>(heard.size()) < c.stopAt;
            });
        ASSERT_FALSE(heard.empty());
        EXPECT_TRUE(std::is_sorted(heard.begin(), heard.end()));
        EXPECT_LT(heard.back(), 1000);
        if (c.pages < 0) {
            EXPECT_EQ(pages, -1);
        } else {
            wholePages = pages;
            EXPECT_GT(pages, 50);
            // Its layout, then one call before each page.
            EXPECT_EQ(std::count_if(heard.begin(), heard.end(), [](int p) { return p >= 300; }),
                      pages);
        }
    }
    EXPECT_GT(wholePages, 0);
}

// Opened through the window, a list whose rows lack their delimiter: each such row is one row with
// findings, its wrong IBAN and zero amount folded under its missing delimiter.
TEST(FindingsWindow, ARowWithoutItsDelimiterIsOneRowOfThreeFindings) {
    velcor::testing::TempDir dir;
    const std::string settingsPath = dir.file("omp.ini");
    std::filesystem::copy_file(kExamples / "omp.ini", settingsPath);
    const std::string listPath = dir.file("O081206P.1DP");
    std::string list = badList(4);
    for (int row = 0; row < 2; ++row) list += std::string("Служител без разделители\r\n"_cp);
    velcor::testing::writeFileBytes(listPath, list);

    MainWindowSession session(fileio::standardFileSystem(), settingsPath);
    MainWindow& window = session.window();
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(listPath); });
    QString summary;
    QString firstProblem;  // of the first row without its delimiter
    QStringList shown;
    ModalScript script({&window});
    script.then([&](QWidget* widget) {
        auto* report = qobject_cast<ReportWindow*>(widget);
        ASSERT_NE(report, nullptr);
        QTreeView& table = *report->findings()->table();
        summary = report->findings()->summary()->text();
        table.expandAll();
        shown = lines(table);
        firstProblem = cell(table, 4, 4);
        saveScreenshot(*report, QStringLiteral("findings-without-delimiter"));
        report->close();
    });
    QTimer::singleShot(0, &window, [&] {
        QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idBrowse)),
                          Qt::LeftButton);
        window.close();
    });
    session.run();
    EXPECT_TRUE(script.done());
    // Four rows of one finding each, two of three: six rows, ten findings.
    EXPECT_EQ(
        summary.toStdString(),
        "Редове с грешки: 6, грешки: 10 — Грешен IBAN: 3, Нулева сума: 3, Няма разделител: 2, "
        "Грешен ЕГН: 1, Невалидна сума: 1");
    EXPECT_EQ(shown.join(u'|').toStdString(),
              "1|2|3|4|5|5/Грешен IBAN( Wrong IBAN character! )|5/Нулева сума|6|6/Грешен IBAN( "
              "Wrong IBAN character! )|6/Нулева сума");
    EXPECT_EQ(firstProblem.toStdString(), "Няма разделител (;)");
}

}  // namespace
}  // namespace velcor::app::test
