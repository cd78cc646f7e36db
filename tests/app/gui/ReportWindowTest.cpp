#include "GuiTestSupport.h"

#include "app/gui/ReportPageFill.h"
#include "app/gui/ReportWindow.h"
#include "output/ReportPage.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "window/ControlTable.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QFontInfo>
#include <QMenu>
#include <QPrintDialog>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>

#include <gtest/gtest.h>

namespace velcor::app::test {
namespace {

using namespace velcor::text::literals;

TEST(ReportPageFill, PutsTheTextIntoTheElementWithTheId) {
    struct Case {
        const char* page;
        const char* expected;
    } cases[] = {
        {"<BODY><DIV id=file_name_load>\r\n</DIV></BODY>",
         "<BODY><DIV id=file_name_load>T</DIV></BODY>"},
        {"<div class=a ID=\"file_name_load\">old</div>",
         "<div class=a ID=\"file_name_load\">T</div>"},
        {"<p id='file_name_load'/>x", "<p id='file_name_load'/>x"},
        // A nested element of the same name stays inside; the content ends at its own end tag.
        {"<div id=file_name_load><div>a</div>b</div><div>c</div>",
         "<div id=file_name_load>T</div><div>c</div>"},
        {"<div id=file_name_load>open", "<div id=file_name_load>Topen"},
        // No such element, or only a similar id: the page as it was.
        {"<div id=other>x</div>", "<div id=other>x</div>"},
        {"<div id=file_name_loader>x</div>", "<div id=file_name_loader>x</div>"},
        {"<!-- <div id=file_name_load> --><span id=file_name_load>x</span>",
         "<!-- <div id=file_name_load> --><span id=file_name_load>T</span>"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.page);
        EXPECT_EQ(fillElement(QString::fromLatin1(c.page), u"file_name_load", QStringLiteral("T")),
                  QString::fromLatin1(c.expected));
    }
}

TEST(ReportWindow, ThePageOfTheResourcesIsTheReportPage) {
    EXPECT_EQ(reportPageText().toStdString(), std::string(output::reportPage()));
}

TEST(ReportWindow, ShowsTheTextAsMarkupInAResizableWindow) {
    ReportWindow report;
    EXPECT_EQ(report.windowTitle(), shown(window::reportCaption()));
    EXPECT_FALSE(report.windowFlags() & Qt::WindowMinMaxButtonsHint);
    report.show();
    report.resize(500, 300);
    EXPECT_EQ(report.size(), QSize(500, 300));
    EXPECT_EQ(report.view()->geometry(), report.rect());

    struct Case {
        std::string html;
        QString plain;
    } cases[] = {
        {"Грешен ЕГН  на ред: 1<BR>Грешнa сума!<BR>"_cp,
         QString::fromUtf8("Грешен ЕГН на ред: 1\nГрешнa сума!")},
        {"a &amp; b &lt; c <B>bold</B>", QStringLiteral("a & b < c bold")},
        {"", QString()},
    };
    for (const Case& c : cases) {
        report.setReportHtml(c.html);
        EXPECT_EQ(report.view()->toPlainText().trimmed(), c.plain) << c.html;
    }
}

TEST(ReportWindow, LooksLikeThePageAsks) {
    ReportWindow report;
    report.setReportHtml(
        "<TABLE width=60% rows=1 cols=2><TR><TD width=50>Пореден файл за деня:"
        "</TD><TD width=50>Петък, 08.12.2006</TD></TR></TABLE>"_cp);
    report.show();
    report.resize(260, 200);
    QTextDocument* document = report.view()->document();
    document->documentLayout()->documentSize();

    // 10-point Arial, or the font that stands in for it with the same metrics.
    QTextCursor cursor(document);
    cursor.movePosition(QTextCursor::NextBlock);
    const QFont font = cursor.charFormat().font();
    EXPECT_EQ(font.pointSizeF(), 10.0);
    EXPECT_TRUE(font.families().contains(QStringLiteral("Arial")));
    const QString family = QFontInfo(font).family();
    EXPECT_TRUE(family == QLatin1String("Arial") || family == QLatin1String("Liberation Sans"))
        << family.toStdString();

    // The 3-D face colour behind the page.
    const QColor face = report.view()->palette().color(QPalette::Button);
    EXPECT_EQ(document->rootFrame()->frameFormat().background().color(), face);
    EXPECT_EQ(report.view()->palette().color(QPalette::Base), face);

    // However narrow the window, no cell breaks its line.
    int cells = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (!QTextCursor(block).currentTable() || block.text().isEmpty()) continue;
        ++cells;
        EXPECT_EQ(block.layout()->lineCount(), 1) << block.text().toStdString();
    }
    EXPECT_EQ(cells, 2);
}

TEST(ReportWindow, ItsContextMenuOffersPrintingAndThePdfCarriesTheReport) {
    velcor::testing::TempDir dir;
    ReportWindow report;
    report.setReportHtml("Грешнa сума!<BR>"_cp);
    report.show();

    QStringList entries;
    QTimer::singleShot(50, [&] {
        if (auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) {
            for (QAction* action : menu->actions())
                if (!action->isSeparator()) entries << action->text();
            menu->close();
        }
    });
    emit report.view()->customContextMenuRequested(QPoint(10, 10));
    ASSERT_GE(entries.size(), 3);
    EXPECT_EQ(entries.mid(0, 3),
              (QStringList{QString::fromUtf8("Печат..."), QString::fromUtf8("Преглед преди печат"),
                           QString::fromUtf8("Запис като PDF...")}));

    // Ctrl+P opens the print dialog.
    {
        ModalScript printing({&report});
        bool printDialog = false;
        printing.then([&](QWidget* w) {
            printDialog = qobject_cast<QPrintDialog*>(w) != nullptr;
            static_cast<QDialog*>(w)->reject();
        });
        report.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&report));
        QTest::keyClick(report.view(), Qt::Key_P, Qt::ControlModifier);
        EXPECT_TRUE(printDialog);
        EXPECT_TRUE(printing.unexpected().empty());
    }

    const QString pdf = QString::fromStdString(dir.file("report.pdf"));
    ASSERT_TRUE(report.saveAsPdf(pdf));
    const std::string bytes = velcor::testing::readFileBytes(pdf.toStdString());
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_GT(bytes.size(), 1000u);

    // A place that cannot be written: the operator is told, and nothing claims success.
    ModalScript script({&report});
    script.answerMessage();
    EXPECT_FALSE(report.saveAsPdf(QString::fromStdString(dir.file("missing/report.pdf"))));
    ASSERT_EQ(script.messages().size(), 1u);
    EXPECT_EQ(script.messages()[0], QString::fromUtf8("Грешка при запис във файлa!"));
}

}  // namespace
}  // namespace velcor::app::test
