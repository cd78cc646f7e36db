#include "app/report/ReportDocument.h"

#include "app/report/ReportPageFill.h"
#include "output/ReportPage.h"
#include "text/Text.h"
#include "window/ControlTable.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFile>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextFrame>
#include <QTextLayout>
#include <QTextTable>

#include <algorithm>
#include <array>
#include <vector>

namespace velcor::app {

namespace {

// A browser's body keeps this far from the edges of its view or its page, and pads a table
// cell this much where the page names no padding (pixels).
constexpr qreal kBodyMargin = 8;
constexpr qreal kCellPadding = 1;

// A browser's sizes of <font size=1> to <font size=7> in pixels (size 3 is "medium").
constexpr std::array<qreal, 7> kFontSizePixels = {10, 13, 16, 18, 24, 32, 48};

constexpr int kPdfResolution = 1200;
constexpr qreal kPdfMarginMillimetres = 10;

QString fromCp1251(std::string_view text) {
    const std::string utf8 = text::toUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

// Every table of the document, nested ones too.
void collectTables(QTextFrame* frame, std::vector<QTextTable*>& tables) {
    for (QTextFrame* child : frame->childFrames()) {
        if (auto* table = qobject_cast<QTextTable*>(child)) tables.push_back(table);
        collectTables(child, tables);
    }
}

std::vector<QTextTable*> tablesOf(QTextDocument& document) {
    std::vector<QTextTable*> tables;
    collectTables(document.rootFrame(), tables);
    return tables;
}

// The widest piece of a block that cannot be broken between words: the narrowest the block can
// be laid out without splitting a word, a date or an amount.
qreal longestWordWidth(const QTextBlock& block, const QFont& defaultFont) {
    QList<QTextLayout::FormatRange> formats = block.textFormats();
    for (QTextLayout::FormatRange& range : formats)
        range.format.setFont(range.format.font().resolve(defaultFont));
    QTextLayout layout(block.text(), block.charFormat().font().resolve(defaultFont));
    layout.setFormats(formats);
    QTextOption option;
    option.setWrapMode(block.blockFormat().nonBreakableLines() ? QTextOption::NoWrap
                                                               : QTextOption::WordWrap);
    layout.setTextOption(option);
    qreal widest = 0;
    layout.beginLayout();
    // With no width at all each line takes one piece that must stay whole.
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(0);
        widest = std::max(widest, line.naturalTextWidth());
    }
    layout.endLayout();
    return widest;
}

qreal longestWordWidth(const QTextTableCell& cell, const QFont& defaultFont) {
    qreal widest = 0;
    for (QTextFrame::iterator it = cell.begin(); !it.atEnd(); ++it)
        if (it.currentBlock().isValid())
            widest = std::max(widest, longestWordWidth(it.currentBlock(), defaultFont));
    return widest;
}

void shareTableWidth(QTextTable& table, const QFont& defaultFont) {
    QTextTableFormat format = table.format();
    if (format.width().type() == QTextLength::VariableLength) return;
    QList<QTextLength> constraints = format.columnWidthConstraints();
    if (constraints.size() != table.columns()) return;
    std::vector<qreal> widths;
    qreal total = 0;
    for (int column = 0; column < table.columns(); ++column) {
        if (constraints[column].type() != QTextLength::FixedLength) return;
        qreal width = constraints[column].rawValue();
        for (int row = 0; row < table.rows(); ++row) {
            const QTextTableCell cell = table.cellAt(row, column);
            // A cell over several columns asks for a share of each: left to Qt.
            if (cell.columnSpan() != 1) return;
            width = std::max(width, longestWordWidth(cell, defaultFont));
        }
        width += 2 * format.cellPadding();
        widths.push_back(width);
        total += width;
    }
    if (total <= 0) return;
    for (int column = 0; column < table.columns(); ++column)
        constraints[column] = QTextLength(QTextLength::PercentageLength,
                                          100 * widths[static_cast<std::size_t>(column)] / total);
    format.setColumnWidthConstraints(constraints);
    table.setFormat(format);
}

// A browser pads every cell by a pixel where the page names no padding; Qt's reader writes none
// then (and no page of the report asks for none).
void padCellsAsBrowser(QTextTable& table) {
    QTextTableFormat format = table.format();
    if (format.cellPadding() != 0) return;
    format.setCellPadding(kCellPadding);
    table.setFormat(format);
}

// A cell's content stands in the middle of its row, as in a browser; Qt would put it at the top.
void centreCellsVertically(QTextTable& table) {
    for (int row = 0; row < table.rows(); ++row) {
        for (int column = 0; column < table.columns(); ++column) {
            QTextTableCell cell = table.cellAt(row, column);
            if (cell.row() != row || cell.column() != column) continue;
            QTextCharFormat format = cell.format();
            if (format.verticalAlignment() != QTextCharFormat::AlignNormal) continue;
            format.setVerticalAlignment(QTextCharFormat::AlignMiddle);
            cell.setFormat(format);
        }
    }
}

// <font size=N> (and what Qt sizes the same way) gets a browser's size for N; Qt would take it
// relative to its default font, which is not the page's.
void sizeFontsAsBrowser(QTextDocument& document) {
    struct Sized {
        int position;
        int length;
        QTextCharFormat format;
    };
    // Collected first: formatting a fragment may merge it with its neighbours.
    std::vector<Sized> sized;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
        for (QTextBlock::iterator it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (!format.hasProperty(QTextFormat::FontSizeAdjustment)) continue;
            const int index =
                std::clamp(format.intProperty(QTextFormat::FontSizeAdjustment) + 2, 0, 6);
            format.clearProperty(QTextFormat::FontSizeAdjustment);
            format.setFontPointSize(kFontSizePixels[static_cast<std::size_t>(index)] * 72 / 96);
            sized.push_back({fragment.position(), fragment.length(), format});
        }
    }
    QTextCursor cursor(&document);
    for (const Sized& s : sized) {
        cursor.setPosition(s.position);
        cursor.setPosition(s.position + s.length, QTextCursor::KeepAnchor);
        cursor.setCharFormat(s.format);
    }
}

}  // namespace

QString reportPageText() {
    QFile page(QStringLiteral(":/velcor/report.html"));
    if (!page.open(QIODevice::ReadOnly)) return QString::fromLatin1(output::reportPage());
    return QString::fromLatin1(page.readAll());
}

void shareTableWidths(QTextDocument& document) {
    for (QTextTable* table : tablesOf(document)) shareTableWidth(*table, document.defaultFont());
}

void loadReportPage(QTextDocument& document, const QString& innerHtml, std::optional<QColor> face) {
    QString page = reportPageText();
    // The body colour names the system's 3-D face, which Qt does not know (it would paint black).
    const QString faceName = face ? face->name() : QStringLiteral("white");
    page.replace(QStringLiteral("THREEDFACE"), faceName, Qt::CaseInsensitive);
    page.replace(QStringLiteral("BUTTONFACE"), faceName, Qt::CaseInsensitive);
    page = fillElement(
        page, QString::fromLatin1(output::kReportElementId.data(), output::kReportElementId.size()),
        innerHtml);

    // Words are wrapped whole; a word is never split to fit, not even in a table too narrow.
    QTextOption option = document.defaultTextOption();
    option.setWrapMode(QTextOption::WordWrap);
    document.setDefaultTextOption(option);
    document.setDocumentMargin(kBodyMargin);
    document.setHtml(page);
    if (!face) {
        // Paper stays white: the window's face colour is for the screen.
        QTextFrameFormat root = document.rootFrame()->frameFormat();
        root.clearBackground();
        document.rootFrame()->setFrameFormat(root);
    }
    sizeFontsAsBrowser(document);
    for (QTextTable* table : tablesOf(document)) {
        padCellsAsBrowser(*table);
        centreCellsVertically(*table);
    }
    shareTableWidths(document);
}

void printReportPage(const QString& innerHtml, QPagedPaintDevice& device) {
    QTextDocument document;
    loadReportPage(document, innerHtml, std::nullopt);
    // Laid out at the device's resolution in pages of its printable area: Qt then prints it as
    // it stands (no margins or page numbers of its own), with the page range and copies that the
    // print dialog asked for.
    document.documentLayout()->setPaintDevice(&device);
    document.setPageSize(QSizeF(device.width(), device.height()));
    document.print(&device);
}

QByteArray reportPagePdf(const QString& innerHtml) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kPdfResolution);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(kPdfMarginMillimetres, kPdfMarginMillimetres,
                                                   kPdfMarginMillimetres, kPdfMarginMillimetres),
                                         QPageLayout::Millimeter));
        writer.setTitle(fromCp1251(window::reportCaption()));
        printReportPage(innerHtml, writer);
    }
    return bytes;
}

}  // namespace velcor::app
