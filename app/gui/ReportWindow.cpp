#include "app/gui/ReportWindow.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/FindingsPanel.h"
#include "app/gui/FindingsPrint.h"
#include "app/gui/ScreenFit.h"
#include "fileio/FileSystem.h"
#include "output/SepaExport.h"
#include "session/ListSession.h"
#include "session/Messages.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "ui_ReportWindow.h"
#include "window/ControlTable.h"

#include <QBuffer>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QShortcut>
#include <QSplitter>
#include <QTextBrowser>

#include <algorithm>
#include <utility>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

// The size a window with the findings table opens at.
constexpr int kFindingsWidth = 1000;
constexpr int kFindingsHeight = 700;
constexpr auto kPrint = "Печат..."_cp;
constexpr auto kPreview = "Преглед преди печат"_cp;
constexpr auto kSavePdf = "Запис като PDF..."_cp;
constexpr auto kPreviewButton = "Преглед"_cp;
constexpr auto kClose = "Затвори"_cp;
constexpr auto kPdfFiles = "PDF файлове (*.pdf)"_cp;
constexpr auto kDefaultPdfName = "spravka.pdf"_cp;
constexpr auto kManyPages = "Таблицата заема %d страници. Да продължи ли?"_cp;
constexpr int kPdfDotsPerInch = 300;
constexpr qreal kPdfMarginMillimetres = 10;

// A PDF writer as a saved table's pages are laid out on: A4, as the report's.
void setUpPdf(QPdfWriter& writer) {
    writer.setResolution(kPdfDotsPerInch);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kPdfMarginMillimetres, kPdfMarginMillimetres,
                                               kPdfMarginMillimetres, kPdfMarginMillimetres),
                                     QPageLayout::Millimeter));
    writer.setTitle(fromCp1251(window::reportCaption()));
}

}  // namespace

ReportWindow::ReportWindow(QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::ReportWindow>()) {
    ui_->setupUi(this);
    // Resizable, with a close box; no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(fromCp1251(window::reportCaption()));
    setWindowIcon(applicationIcon());
    keepOnScreen(*this);

    QTextBrowser* browser = ui_->view;
    // Words are wrapped whole; a word is never split to fit.
    browser->setWordWrapMode(QTextOption::WordWrap);
    QPalette palette = browser->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::Button));
    browser->setPalette(palette);

    browser->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(browser, &QWidget::customContextMenuRequested, this, &ReportWindow::showContextMenu);
    auto* printKey = new QShortcut(QKeySequence::Print, this);
    connect(printKey, &QShortcut::activated, this, &ReportWindow::print);

    // The same actions in plain sight. Enter presses the button that has the focus; anywhere
    // else it closes the window, as Escape does.
    ui_->printButton->setText(fromCp1251(kPrint));
    ui_->previewButton->setText(fromCp1251(kPreviewButton));
    ui_->pdfButton->setText(fromCp1251(kSavePdf));
    ui_->closeButton->setText(fromCp1251(kClose));
    for (QPushButton* button :
         {ui_->printButton, ui_->previewButton, ui_->pdfButton, ui_->closeButton})
        button->setAutoDefault(true);
    ui_->closeButton->setDefault(true);
    connect(ui_->printButton, &QPushButton::clicked, this, &ReportWindow::print);
    connect(ui_->previewButton, &QPushButton::clicked, this, &ReportWindow::printPreview);
    connect(ui_->pdfButton, &QPushButton::clicked, this, &ReportWindow::saveAsPdfChosen);
    connect(ui_->closeButton, &QPushButton::clicked, this, &QDialog::accept);

    loadReportPage(*browser->document(), reportHtml_, face());
}

ReportWindow::~ReportWindow() = default;

QTextBrowser* ReportWindow::view() const { return ui_->view; }

QColor ReportWindow::face() const { return ui_->view->palette().color(QPalette::Button); }

void ReportWindow::setReportHtml(std::string_view html) {
    reportHtml_ = fromCp1251(html);
    loadReportPage(*ui_->view->document(), reportHtml_, face());
    // The cursor moved along as the page was filled in; left at its end, the window would open
    // scrolled to the last line of a long message list.
    ui_->view->moveCursor(QTextCursor::Start);
}

void ReportWindow::showFindings(processing::RowFindings findings, std::string listName) {
    findings_ = new FindingsPanel(std::move(findings), std::move(listName));
    auto* splitter = new QSplitter(Qt::Vertical, this);
    splitter->setChildrenCollapsible(false);
    delete layout()->replaceWidget(ui_->view, splitter);
    splitter->addWidget(findings_);
    splitter->addWidget(ui_->view);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 2);
    // Room for the table's five columns; a small screen still gets a window that fits it.
    resize(std::max(width(), kFindingsWidth), std::max(height(), kFindingsHeight));
}

void ReportWindow::setListPath(const QString& listPath) { listPath_ = listPath; }

QString ReportWindow::proposedPdfPath() const {
    if (listPath_.isEmpty()) return QDir::current().filePath(fromCp1251(kDefaultPdfName));
    return QFileInfo(listPath_).absoluteFilePath() + QStringLiteral(".pdf");
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

void ReportWindow::printTo(QPagedPaintDevice& device, int fromPage, int toPage) const {
    // With the findings table shown, it is what goes to paper: it holds what the message list
    // says, row by row, under a heading that names the list.
    if (findings_ != nullptr)
        findings_->printTo(device, fromPage, toPage);
    else
        printReportPage(reportHtml_, device);
}

bool ReportWindow::pagesAccepted(QPagedPaintDevice& device, int fromPage, int toPage) {
    if (findings_ == nullptr) return true;
    const int pages = findings_->pagesOn(device);
    const int last = toPage > 0 ? std::min(toPage, pages) : pages;
    const int shown = fromPage > 0 ? last - fromPage + 1 : last;
    if (shown <= kPagesWithoutAsking) return true;
    QMessageBox box(QMessageBox::Question, applicationTitle(),
                    fromCp1251(text::format(kManyPages.c_str(), shown)),
                    QMessageBox::Yes | QMessageBox::No, this);
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    keepOnScreen(box);
    return box.exec() == QMessageBox::Yes;
}

void ReportWindow::print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    keepOnScreen(dialog);
    if (dialog.exec() != QDialog::Accepted) return;
    // The report page is printed in the range the dialog sets on the printer; the table, which
    // lays out its own pages, is told it.
    const bool range = findings_ != nullptr && printer.printRange() == QPrinter::PageRange;
    const int from = range ? printer.fromPage() : 0;
    const int to = range ? printer.toPage() : 0;
    if (pagesAccepted(printer, from, to)) printTo(printer, from, to);
}

void ReportWindow::printPreview() {
    QPrinter printer(QPrinter::HighResolution);
    if (!pagesAccepted(printer)) return;
    QPrintPreviewDialog preview(&printer, this);
    keepOnScreen(preview);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { printTo(*target); });
    preview.exec();
}

void ReportWindow::saveAsPdfChosen() {
    if (findings_ != nullptr) {
        QBuffer nowhere;
        nowhere.open(QIODevice::WriteOnly);
        QPdfWriter writer(&nowhere);
        setUpPdf(writer);
        if (!pagesAccepted(writer)) return;
    }
    QFileDialog dialog(this, fromCp1251(kSavePdf).remove(QStringLiteral("...")), proposedPdfPath(),
                       fromCp1251(kPdfFiles));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    keepOnScreen(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    QString path = dialog.selectedFiles().constFirst();
    if (path.isEmpty()) return;
    if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
    saveAsPdf(path);
}

bool ReportWindow::saveAsPdf(const QString& path) {
    const auto tell = [this](std::string_view text, std::string_view detail = {}) {
        QMessageBox box(QMessageBox::Warning, applicationTitle(), fromCp1251(text), QMessageBox::Ok,
                        this);
        box.setTextFormat(Qt::PlainText);
        if (!detail.empty()) box.setInformativeText(fromCp1251(detail).toHtmlEscaped());
        box.exec();
    };
    fileio::FileSystem& fs = fileio::standardFileSystem();
    std::string target;
    std::string list;
    text::fromUtf8(QDir::toNativeSeparators(path).toStdString(), target);
    text::fromUtf8(QDir::toNativeSeparators(listPath_).toStdString(), list);
    // The gate of every file written beside a list: never over the list, the settings or a file
    // that is no PDF.
    if (const auto refusal =
            session::targetRefusal(fs, session::TargetKind::pdf, target, list, "omp.ini")) {
        tell(refusal->message.text);
        return false;
    }
    // Written beside the file and renamed over it at the end, so that a report saved before is
    // never left half overwritten; a failure names the file, the cause and what to do.
    const QByteArray pdf = findings_ != nullptr ? findingsPdf() : reportPagePdf(reportHtml_);
    if (pdf.isEmpty()) return false;  // the operator stopped it: nothing is written
    const fileio::Replaced written = fileio::replaceFile(
        fs, target, {std::string_view(pdf.constData(), static_cast<std::size_t>(pdf.size()))});
    if (!written.ok()) {
        tell(session::messageText(written == fileio::ReplaceResult::openFailed
                                      ? session::Message::openForWriteFailed
                                      : session::Message::writeFailed),
             session::fileProblemDetail(target, written.cause));
        return false;
    }
    if (!list.empty()) output::narrowPermissions(fs, target, output::filePermissions(fs, list));
    return true;
}

QByteArray ReportWindow::findingsPdf() const {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    int pages = 0;
    {
        QPdfWriter writer(&buffer);
        setUpPdf(writer);
        pages = findings_->printTo(writer);
    }
    // Stopped by the operator: no PDF at all, rather than the pages painted so far.
    return pages < 0 ? QByteArray() : bytes;
}

}  // namespace velcor::app
