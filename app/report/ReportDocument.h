#pragma once

// The report page as a Qt text document: the one rendering behind the report window's view, its
// printing and velcor-cli's PDF. Qt's rich text is no browser; the page is adjusted after it is
// read so that it lays out as a browser lays the same page out.

#include <QByteArray>
#include <QColor>
#include <QString>

#include <optional>

class QPagedPaintDevice;
class QTextDocument;

namespace velcor::app {

// The report page of the resources, as text.
QString reportPageText();

// Fills `document` with the report page, `innerHtml` (markup, put in unescaped) in its element
// "file_name_load". On screen `face` is the system's 3-D face colour that the page's body asks
// for; on paper there is none and the page stays white.
void loadReportPage(QTextDocument& document, const QString& innerHtml, std::optional<QColor> face);

// Tables that are given a width and whose columns all ask for fixed widths share that width as a
// browser's automatic table layout shares it: in proportion to each column's asked-for width or
// its longest word, whichever is wider. (Qt would keep the fixed widths and leave the rest of
// the table empty.)
void shareTableWidths(QTextDocument& document);

// Prints the report page holding `innerHtml` on `device`, on white paper, page after page, laid
// out at the device's own resolution within its page margins.
void printReportPage(const QString& innerHtml, QPagedPaintDevice& device);

// The PDF of the report page holding `innerHtml`: A4, 1 cm margins.
QByteArray reportPagePdf(const QString& innerHtml);

}  // namespace velcor::app
