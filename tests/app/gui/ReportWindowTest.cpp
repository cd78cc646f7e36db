#include "GuiTestSupport.h"

#include "app/gui/ReportWindow.h"
#include "output/ReportPage.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/ControlTable.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFontInfo>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QPrintDialog>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextFrame>
#include <QTextTable>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>

namespace velcor::app::test {
namespace {

using namespace velcor::text::literals;

// A payment type as long as a settings file may name one.
constexpr auto kLongType =
    "Плащания към доставчици по договори за периодични доставки на електрическа енергия и вода "
    "за месец декември 2006 година"_cp;

// Runs a tool of poppler-utils (scripts/install-deps installs them); its standard output.
QByteArray runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    const bool ran = process.waitForFinished(60000) &&
                     process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    EXPECT_TRUE(ran) << program.toStdString() << " failed (poppler-utils installed?): "
                     << process.readAllStandardError().toStdString();
    return process.readAllStandardOutput();
}

struct PdfWord {
    QString text;
    double xMin, yMin, xMax, yMax;
    friend bool operator==(const PdfWord&, const PdfWord&) = default;
};
struct PdfPage {
    double width = 0;
    std::vector<PdfWord> words;
    // The first word with this text; the test fails when there is none.
    PdfWord word(const QString& text) const {
        for (const PdfWord& w : words)
            if (w.text == text) return w;
        ADD_FAILURE() << "no word " << text.toStdString();
        return {};
    }
};

// The words of a PDF's first page with their boxes in points, as pdftotext -bbox finds them.
PdfPage pdfPage(const QString& pdf) {
    const QString xml = QString::fromUtf8(
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), QStringLiteral("-l"),
                                              QStringLiteral("1"), pdf, QStringLiteral("-")}));
    PdfPage page;
    static const QRegularExpression pageTag(QStringLiteral("<page width=\"([0-9.]+)\""));
    page.width = pageTag.match(xml).captured(1).toDouble();
    static const QRegularExpression wordTag(
        QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" xMax=\"([0-9.]+)\" "
                       "yMax=\"([0-9.]+)\">([^<]*)</word>"));
    for (auto it = wordTag.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        QString text = m.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        page.words.push_back({text, m.captured(1).toDouble(), m.captured(2).toDouble(),
                              m.captured(3).toDouble(), m.captured(4).toDouble()});
    }
    return page;
}

// The PDF's first page as a picture, saved as `png`.
QImage pdfPicture(const QString& pdf, const QString& png) {
    QString base = png;
    base.chop(4);
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-r"), QStringLiteral("60"), QStringLiteral("-png"),
             QStringLiteral("-singlefile"), pdf, base});
    return QImage(png);
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
    // The view fills the window but for the row of buttons below it.
    EXPECT_EQ(report.view()->geometry().topLeft(), QPoint(0, 0));
    EXPECT_EQ(report.view()->width(), report.width());
    for (QPushButton* button : report.findChildren<QPushButton*>()) {
        EXPECT_GE(button->y(), report.view()->geometry().bottom());
        EXPECT_LE(button->geometry().bottom(), report.height());
    }

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
        "</TD><TD width=50>Петък, 08.12.2006</TD></TR></TABLE>"
        "<TABLE width=100% rows=1 cols=2><TR><TD width=50>Съставил:</TD><TD "
        "width=50>Проверил:</TD></TR></TABLE>"_cp);
    report.show();
    report.resize(800, 300);
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

    // The 3-D face colour behind the page on screen.
    const QColor face = report.view()->palette().color(QPalette::Button);
    EXPECT_EQ(document->rootFrame()->frameFormat().background().color(), face);
    EXPECT_EQ(report.view()->palette().color(QPalette::Base), face);

    // The full-width table is shared as a browser shares it: "Проверил:" starts in the middle.
    const auto left = [&](const QString& text) {
        return report.view()->cursorRect(document->find(text)).left();
    };
    const double middle =
        (left(QString::fromUtf8("Проверил")) - left(QString::fromUtf8("Съставил"))) /
        double(document->textWidth() - 2 * document->documentMargin());
    EXPECT_NEAR(middle, 0.5, 0.03);

    // However narrow the window, a cell breaks its lines between words only.
    report.resize(150, 300);
    document->documentLayout()->documentSize();
    int cellLines = 0;
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        if (!QTextCursor(block).currentTable()) continue;
        for (int i = 0; i < block.layout()->lineCount(); ++i) {
            const int start = block.layout()->lineAt(i).textStart();
            ++cellLines;
            EXPECT_TRUE(start == 0 || block.text()[start - 1] == u' ')
                << block.text().toStdString() << " breaks at " << start;
        }
    }
    EXPECT_GT(cellLines, 4) << "the narrow cells wrap";
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

    // A place that cannot be written: the operator is told where, why and what to do, and
    // nothing claims success.
    ModalScript script({&report});
    script.answerMessage();
    const std::string missing = dir.file("missing/report.pdf");
    EXPECT_FALSE(report.saveAsPdf(QString::fromStdString(missing)));
    ASSERT_EQ(script.messages().size(), 1u);
    EXPECT_EQ(script.messages()[0], QString::fromUtf8("Грешка при отваряне на файла за запис"));
    for (const QString& part : {QString::fromStdString(missing).toHtmlEscaped(),
                                QString::fromUtf8("Причина: няма такъв файл."),
                                QString::fromUtf8("Нищо не е променено.")})
        EXPECT_TRUE(script.details()[0].contains(part)) << part.toStdString();
}

// The buttons below the view, each opening what it names; the PDF goes beside the list by
// default, named after it.
TEST(ReportWindow, ItsButtonsPrintPreviewSaveAsPdfAndClose) {
    velcor::testing::TempDir dir;
    const QString list = QString::fromStdString(dir.file("O081206P.1DP"));
    ReportWindow report;
    report.setReportHtml("Грешнa сума!<BR>"_cp);
    report.setListPath(list);
    report.show();
    report.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&report));

    const auto button = [&](const char* text) -> QPushButton* {
        for (QPushButton* b : report.findChildren<QPushButton*>())
            if (b->text() == QString::fromUtf8(text)) return b;
        ADD_FAILURE() << "no button " << text;
        return nullptr;
    };
    struct Case {
        const char* button;
        const char* opens;  // the class of the window it opens
    } cases[] = {
        {"Печат...", "QPrintDialog"},
        {"Преглед", "QPrintPreviewDialog"},
        {"Запис като PDF...", "QFileDialog"},
    };
    QString proposed;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        QPushButton* b = button(c.button);
        if (!b) continue;
        ModalScript script({&report});
        QString opened;
        script.then([&](QWidget* w) {
            opened = QString::fromLatin1(w->metaObject()->className());
            if (auto* files = qobject_cast<QFileDialog*>(w)) {
                const auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
                proposed = files->directory().absoluteFilePath(name ? name->text() : QString());
            }
            static_cast<QDialog*>(w)->reject();
        });
        QTest::mouseClick(b, Qt::LeftButton);
        EXPECT_EQ(opened, QString::fromLatin1(c.opens));
        EXPECT_TRUE(script.unexpected().empty());
    }
    EXPECT_EQ(proposed, list + QStringLiteral(".pdf"));
    saveScreenshot(report, QStringLiteral("report-window-buttons"));

    // Enter closes the window, as "Затвори" does.
    QTest::keyClick(report.view(), Qt::Key_Return);
    EXPECT_FALSE(report.isVisible());
    report.show();
    if (QPushButton* close = button("Затвори")) QTest::mouseClick(close, Qt::LeftButton);
    EXPECT_FALSE(report.isVisible());
}

// Enter on a button that has the focus presses that button and the window stays; Enter in the
// page closes it, as "Затвори" does.
TEST(ReportWindow, EnterPressesTheFocusedButtonAndElseCloses) {
    ReportWindow report;
    report.setReportHtml("Грешнa сума!<BR>"_cp);
    report.show();
    report.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&report));
    struct Case {
        const char* button;  // nullptr: the focus in the page
        Qt::Key key;
        const char* opens;  // the class of the window it opens; nullptr: none
        bool stays;
    } cases[] = {
        {"Преглед", Qt::Key_Return, "QPrintPreviewDialog", true},
        {"Преглед", Qt::Key_Enter, "QPrintPreviewDialog", true},
        {"Печат...", Qt::Key_Return, "QPrintDialog", true},
        {"Запис като PDF...", Qt::Key_Return, "QFileDialog", true},
        {"Затвори", Qt::Key_Return, nullptr, false},
        {nullptr, Qt::Key_Return, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button ? c.button : "the page");
        report.show();
        report.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&report));
        QWidget* target = report.view();
        for (QPushButton* b : report.findChildren<QPushButton*>())
            if (c.button && b->text() == QString::fromUtf8(c.button)) target = b;
        ASSERT_TRUE(c.button == nullptr || target != report.view());
        target->setFocus(Qt::TabFocusReason);
        ModalScript script({&report});
        QString opened;
        script.then([&](QWidget* w) {
            opened = QString::fromLatin1(w->metaObject()->className());
            static_cast<QDialog*>(w)->reject();
        });
        QTest::keyClick(target, c.key);
        EXPECT_EQ(opened, c.opens ? QString::fromLatin1(c.opens) : QString());
        EXPECT_EQ(report.isVisible(), c.stays);
    }
}

// On paper the page lays out as a browser lays it out: the tables as wide as they ask, their
// cells sharing that width, long texts wrapped between words inside the margins, on white. The
// window's PDF and velcor-cli's report --pdf are one rendering.
TEST(ReportWindow, ItsPdfLaysOutAsABrowserDoesAndIsTheCliPdf) {
    velcor::testing::TempDir dir;
    const std::filesystem::path examples(VELCOR_EXAMPLES_DIR);
    std::filesystem::copy_file(examples / "O081206P.3DP", dir.path() / "O081206P.3DP");
    std::string settings = velcor::testing::readFileBytes(examples / "omp.ini");
    settings.replace(settings.find("[DP]"), 4, "[" + std::string(kLongType.view()) + "]");
    velcor::testing::writeFileBytes(dir.path() / "omp.ini", settings);

    QProcess cli;
    cli.setWorkingDirectory(QString::fromStdString(dir.path().string()));
    cli.start(QStringLiteral(VELCOR_CLI),
              {QStringLiteral("--type"), shown(kLongType), QStringLiteral("report"),
               QStringLiteral("--pdf"), QStringLiteral("cli.pdf"), QStringLiteral("O081206P.3DP")});
    ASSERT_TRUE(cli.waitForFinished(60000));
    ASSERT_EQ(cli.exitCode(), 0) << cli.readAllStandardError().toStdString();
    // The report is the last line velcor-cli prints.
    const QStringList lines =
        QString::fromUtf8(cli.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    std::string html;
    ASSERT_TRUE(!lines.isEmpty() && text::fromUtf8(lines.last().toStdString(), html));

    ReportWindow report;
    report.setReportHtml(html);
    report.show();
    report.resize(700, 500);
    saveScreenshot(report, QStringLiteral("report-window-long-type"));
    const QDir screenshots(screenshotDir());
    const QString pdf = screenshots.filePath(QStringLiteral("report.pdf"));
    ASSERT_TRUE(report.saveAsPdf(pdf));
    const QString cliPdf = QString::fromStdString(dir.file("cli.pdf"));

    const PdfPage page = pdfPage(pdf);
    EXPECT_EQ(page.words, pdfPage(cliPdf).words);
    const QImage picture = pdfPicture(pdf, screenshots.filePath(QStringLiteral("report-page.png")));
    EXPECT_EQ(picture, pdfPicture(cliPdf, QString::fromStdString(dir.file("cli.png"))));

    // The text's margins are the page's: the first label's left edge, and as much on the right.
    const double left = page.word(QString::fromUtf8("Съставил:")).xMin;
    const double right = page.width - left;
    const auto share = [&](double x) { return (x - left) / (right - left); };
    EXPECT_NEAR(share(page.word(QString::fromUtf8("Проверил:")).xMin), 0.5, 0.03);

    // Every value starts right of every label, well inside its 60% table.
    double labelsEnd = 0;
    for (const char* label :
         {"Дата:", "деня:", "превода:", "файла:", "сума:", "съобщения:", "Контрола:"})
        labelsEnd = std::max(labelsEnd, page.word(QString::fromUtf8(label)).xMax);
    for (const char* value : {"Петък,", "0", "[Плащания", "С", "6276.15", "4", "42C4757F"}) {
        const PdfWord word = page.word(QString::fromUtf8(value));
        EXPECT_GT(word.xMin, labelsEnd + 5) << value;
        EXPECT_LT(share(word.xMin), 0.45) << value;
    }

    // The long type wraps over lines that stay inside the table, every word of it whole.
    std::map<double, int> typeLines;
    for (const QString& expected :
         (u'[' + shown(kLongType) + u']').split(u' ', Qt::SkipEmptyParts)) {
        const PdfWord word = page.word(expected);
        ++typeLines[word.yMin];
        EXPECT_LT(share(word.xMax), 0.61) << expected.toStdString();
    }
    EXPECT_GE(typeLines.size(), 3u);
    for (const PdfWord& word : page.words)
        EXPECT_LT(word.xMax, right + 1) << word.text.toStdString();

    // White paper: the page's corners, its margins and the space between the lines.
    ASSERT_FALSE(picture.isNull());
    std::map<QRgb, int> colours;
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) ++colours[picture.pixel(x, y)];
    EXPECT_GT(colours[qRgb(255, 255, 255)], picture.width() * picture.height() * 9 / 10);
    for (const QPoint corner : {QPoint(0, 0), QPoint(picture.width() - 1, picture.height() - 1),
                                QPoint(picture.width() / 2, picture.height() / 2)})
        EXPECT_EQ(picture.pixel(corner), qRgb(255, 255, 255));
}

}  // namespace
}  // namespace velcor::app::test
