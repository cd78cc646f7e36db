#include "app/gui/ReportWindow.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/ReportPageFill.h"
#include "output/ReportPage.h"
#include "text/Cp1251.h"
#include "ui_ReportWindow.h"
#include "window/ControlTable.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QShortcut>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTextFrame>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

constexpr auto kPrint = "Печат..."_cp;
constexpr auto kPreview = "Преглед преди печат"_cp;
constexpr auto kSavePdf = "Запис като PDF..."_cp;
constexpr auto kPdfFiles = "PDF файлове (*.pdf)"_cp;
constexpr auto kDefaultPdfName = "spravka.pdf"_cp;
// The system's own message for a file it could not write (its Latin "a" included).
constexpr auto kWriteFailed = "Грешка при запис във файлa!"_cp;

// Table cells keep each line whole, so a label, an amount or a date never breaks inside its
// cell however narrow the cell was asked to be.
constexpr const char* kDocumentStyle = "td { white-space: nowrap; }";

// The page's body colour names the system's 3-D face, which the view does not know (it would
// paint black); it becomes the face colour of the platform's palette.
QString withSystemColours(QString page, const QPalette& palette) {
    const QString face = palette.color(QPalette::Button).name();
    page.replace(QStringLiteral("THREEDFACE"), face, Qt::CaseInsensitive);
    page.replace(QStringLiteral("BUTTONFACE"), face, Qt::CaseInsensitive);
    return page;
}

}  // namespace

QString reportPageText() {
    QFile page(QStringLiteral(":/velcor/report.html"));
    if (!page.open(QIODevice::ReadOnly)) return QString::fromLatin1(output::reportPage());
    return QString::fromLatin1(page.readAll());
}

ReportWindow::ReportWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::ReportWindow>()) {
    ui_->setupUi(this);
    // Resizable, with a close box; no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(fromCp1251(window::reportCaption()));
    setWindowIcon(applicationIcon());

    QTextBrowser* browser = ui_->view;
    browser->document()->setDefaultStyleSheet(QString::fromLatin1(kDocumentStyle));
    // Words are wrapped whole; a word is never split to fit.
    browser->setWordWrapMode(QTextOption::WordWrap);
    QPalette palette = browser->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    browser->setPalette(palette);

    browser->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(browser, &QWidget::customContextMenuRequested, this, &ReportWindow::showContextMenu);
    auto* printKey = new QShortcut(QKeySequence::Print, this);
    connect(printKey, &QShortcut::activated, this, &ReportWindow::print);

    browser->setHtml(withSystemColours(reportPageText(), palette));
}

ReportWindow::~ReportWindow() = default;

QTextBrowser* ReportWindow::view() const { return ui_->view; }

void ReportWindow::setReportHtml(std::string_view html) {
    const QString page = withSystemColours(reportPageText(), ui_->view->palette());
    ui_->view->setHtml(fillElement(
        page, QString::fromLatin1(output::kReportElementId.data(), output::kReportElementId.size()),
        fromCp1251(html)));
}

void ReportWindow::showContextMenu(const QPoint& pos) {
    std::unique_ptr<QMenu> menu(ui_->view->createStandardContextMenu(pos));
    QAction* first = menu->actions().isEmpty() ? nullptr : menu->actions().constFirst();
    auto* print = new QAction(fromCp1251(kPrint), menu.get());
    print->setShortcut(QKeySequence::Print);
    auto* preview = new QAction(fromCp1251(kPreview), menu.get());
    auto* pdf = new QAction(fromCp1251(kSavePdf), menu.get());
    connect(print, &QAction::triggered, this, &ReportWindow::print);
    connect(preview, &QAction::triggered, this, &ReportWindow::printPreview);
    connect(pdf, &QAction::triggered, this, &ReportWindow::saveAsPdfChosen);
    menu->insertActions(first, {print, preview, pdf});
    if (first) menu->insertSeparator(first);
    menu->exec(ui_->view->viewport()->mapToGlobal(pos));
}

void ReportWindow::printTo(QPagedPaintDevice& device) const {
    ui_->view->document()->print(&device);
}

void ReportWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted) printTo(printer);
}

void ReportWindow::printPreview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { printTo(*target); });
    preview.exec();
}

void ReportWindow::saveAsPdfChosen() {
    QString path = QFileDialog::getSaveFileName(
        this, fromCp1251(kSavePdf).remove(QStringLiteral("...")),
        QDir::current().filePath(fromCp1251(kDefaultPdfName)), fromCp1251(kPdfFiles));
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    saveAsPdf(path);
}

bool ReportWindow::saveAsPdf(const QString& path) {
    // The PDF writer fails silently when it cannot create its file; find out first, so that a
    // report the operator believes saved is really there.
    bool written = false;
    {
        QFile probe(path);
        written = probe.open(QIODevice::WriteOnly | QIODevice::Truncate);
    }
    if (written) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(path);
        printTo(printer);
        written = QFileInfo(path).size() > 0;
    }
    if (!written) {
        QMessageBox box(QMessageBox::Warning, applicationTitle(), fromCp1251(kWriteFailed),
                        QMessageBox::Ok, this);
        box.setTextFormat(Qt::PlainText);
        box.exec();
    }
    return written;
}

}  // namespace velcor::app
