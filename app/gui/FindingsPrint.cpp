#include "app/gui/FindingsPrint.h"

#include "app/gui/AppIdentity.h"
#include "window/FindingsTable.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>

#include <algorithm>
#include <array>
#include <string>

namespace velcor::app {

namespace {

constexpr auto kColumns = static_cast<std::size_t>(window::kFindingsColumns);
// The share of the page's width each column takes: an IBAN of 22 characters fits on one line.
constexpr std::array<qreal, kColumns> kShares = {0.07, 0.25, 0.27, 0.11, 0.30};
constexpr int kBodyPoints = 9;
constexpr int kTitlePoints = 11;

// Accounts and amounts have no blanks to wrap at; they break wherever they must.
int wrapOf(std::size_t column) {
    const auto kind = static_cast<window::FindingsColumn>(column);
    return kind == window::FindingsColumn::iban || kind == window::FindingsColumn::amount
               ? Qt::TextWrapAnywhere
               : Qt::TextWordWrap;
}

class Printout {
  public:
    Printout(QPagedPaintDevice& device, const processing::RowFindings& findings,
             const std::vector<std::size_t>& order, std::string_view listName,
             const processing::LocalDateTime& printed)
        : device_(device),
          findings_(findings),
          order_(order),
          title_(fromCp1251(window::findingsPrintTitle(listName))),
          width_(device.width()),
          height_(device.height()) {
        date_ = fromCp1251(window::findingsPrintDate(printed));
        summary_ = fromCp1251(window::findingsSummary(findings));
        body_ = QFont(QStringLiteral("Arial"), kBodyPoints);
        bold_ = body_;
        bold_.setBold(true);
        titleFont_ = bold_;
        titleFont_.setPointSize(kTitlePoints);
        pad_ = QFontMetricsF(body_, &device_).averageCharWidth() / 2;
        x_[0] = 0;
        for (std::size_t c = 0; c < kColumns; ++c) x_[c + 1] = x_[c] + kShares[c] * width_;
        for (std::size_t c = 0; c < kColumns; ++c)
            titles_[c] =
                fromCp1251(window::findingsColumnTitle(static_cast<window::FindingsColumn>(c)));
    }

    // Splits the rows into pages; the number of pages, -1 when `progress` stopped it.
    int layOut(const PrintProgress& progress = {}) {
        heights_.reserve(order_.size());
        for (std::size_t i = 0; i < order_.size(); ++i) {
            // A thousand rows at a time: measuring text is what takes the time.
            if (progress && i % 1024 == 0 && !progress(static_cast<int>(i * 300 / order_.size())))
                return -1;
            heights_.push_back(rowHeight(body_, cells(order_[i])));
        }
        pageStarts_.push_back(0);
        qreal y = tableTop(0);
        for (std::size_t i = 0; i < heights_.size(); ++i) {
            // A row taller than a page still gets a page of its own.
            if (y + heights_[i] > height_ && i > pageStarts_.back()) {
                pageStarts_.push_back(i);
                y = tableTop(pageStarts_.size() - 1);
            }
            y += heights_[i];
        }
        return static_cast<int>(pageStarts_.size());
    }

    // False when `progress` stopped it.
    bool paint(QPainter& painter, int fromPage, int toPage, const PrintProgress& progress = {}) {
        const int pages = static_cast<int>(pageStarts_.size());
        const int first = std::clamp(fromPage > 0 ? fromPage : 1, 1, pages);
        const int last = std::clamp(toPage > 0 ? toPage : pages, first, pages);
        for (int page = first; page <= last; ++page) {
            if (progress && !progress(300 + (page - first) * 700 / (last - first + 1)))
                return false;
            if (page > first) device_.newPage();
            const auto index = static_cast<std::size_t>(page - 1);
            paintHeading(painter, page, pages);
            qreal y = tableTop(index) - titleRowHeight();
            paintRow(painter, bold_, titles_, y, titleRowHeight());
            y += titleRowHeight();
            painter.setPen(QPen(Qt::black, 0));
            painter.drawLine(QPointF(0, y), QPointF(width_, y));
            const std::size_t end =
                index + 1 < pageStarts_.size() ? pageStarts_[index + 1] : heights_.size();
            for (std::size_t i = pageStarts_[index]; i < end; ++i) {
                paintRow(painter, body_, cells(order_[i]), y, heights_[i]);
                y += heights_[i];
                painter.setPen(QPen(Qt::lightGray, 0));
                painter.drawLine(QPointF(0, y), QPointF(width_, y));
            }
        }
        return true;
    }

  private:
    using Cells = std::array<QString, kColumns>;

    Cells cells(std::size_t at) const {
        Cells out;
        for (std::size_t c = 0; c < kColumns; ++c)
            out[c] = fromCp1251(
                window::findingsCell(findings_.kept[at], static_cast<window::FindingsColumn>(c)));
        return out;
    }

    QRectF cellRect(std::size_t column, qreal top, qreal height) const {
        return QRectF(x_[column] + pad_, top + pad_, x_[column + 1] - x_[column] - 2 * pad_,
                      height - 2 * pad_);
    }

    qreal rowHeight(const QFont& font, const Cells& cells) const {
        const QFontMetricsF metrics(font, &device_);
        qreal tallest = metrics.height();
        for (std::size_t c = 0; c < kColumns; ++c) {
            const QRectF room(0, 0, x_[c + 1] - x_[c] - 2 * pad_, 1e9);
            tallest = std::max(tallest, metrics.boundingRect(room, wrapOf(c), cells[c]).height());
        }
        return tallest + 2 * pad_;
    }

    qreal titleRowHeight() const { return rowHeight(bold_, titles_); }

    // The heading's lines: the title with the page number beside it, the date, and on the first
    // page the count by kind.
    qreal headingHeight(std::size_t page) const {
        const QFontMetricsF title(titleFont_, &device_);
        const QFontMetricsF body(body_, &device_);
        qreal height = title.height() + body.height() * 1.5;
        if (page == 0)
            height +=
                body.boundingRect(QRectF(0, 0, width_, 1e9), Qt::TextWordWrap, summary_).height() +
                body.height() * 0.5;
        return height;
    }

    qreal tableTop(std::size_t page) const { return headingHeight(page) + titleRowHeight(); }

    void paintHeading(QPainter& painter, int page, int pages) {
        const QFontMetricsF title(titleFont_, &device_);
        const QFontMetricsF body(body_, &device_);
        painter.setPen(Qt::black);
        painter.setFont(titleFont_);
        painter.drawText(QRectF(0, 0, width_ * 0.75, title.height()),
                         Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, title_);
        painter.setFont(body_);
        painter.drawText(QRectF(width_ * 0.75, 0, width_ * 0.25, title.height()),
                         Qt::AlignRight | Qt::AlignVCenter,
                         fromCp1251(window::findingsPageNumber(page, pages)));
        qreal y = title.height();
        painter.drawText(QRectF(0, y, width_, body.height()), Qt::AlignLeft, date_);
        y += body.height() * 1.5;
        if (page == 1)
            painter.drawText(QRectF(0, y, width_, height_), Qt::AlignLeft | Qt::TextWordWrap,
                             summary_);
    }

    void paintRow(QPainter& painter, const QFont& font, const Cells& cells, qreal top,
                  qreal height) {
        painter.setPen(Qt::black);
        painter.setFont(font);
        for (std::size_t c = 0; c < kColumns; ++c) {
            const auto column = static_cast<window::FindingsColumn>(c);
            const bool number =
                column == window::FindingsColumn::row || column == window::FindingsColumn::amount;
            const Qt::Alignment alignment =
                (number ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop;
            painter.drawText(cellRect(c, top, height), static_cast<int>(alignment) | wrapOf(c),
                             cells[c]);
        }
    }

    QPagedPaintDevice& device_;
    const processing::RowFindings& findings_;
    const std::vector<std::size_t>& order_;
    QString title_;
    QString date_;
    QString summary_;
    Cells titles_;
    QFont body_;
    QFont bold_;
    QFont titleFont_;
    qreal width_;
    qreal height_;
    qreal pad_ = 0;
    std::array<qreal, kColumns + 1> x_{};
    std::vector<qreal> heights_;
    std::vector<std::size_t> pageStarts_;
};

}  // namespace

int printFindings(QPagedPaintDevice& device, const processing::RowFindings& findings,
                  const std::vector<std::size_t>& order, std::string_view listName,
                  const processing::LocalDateTime& printed, int fromPage, int toPage,
                  const PrintProgress& progress) {
    Printout printout(device, findings, order, listName, printed);
    QPainter painter;
    if (!painter.begin(&device)) return 0;
    const int pages = printout.layOut(progress);
    const bool whole = pages >= 0 && printout.paint(painter, fromPage, toPage, progress);
    painter.end();
    return whole ? pages : -1;
}

int findingsPages(QPagedPaintDevice& device, const processing::RowFindings& findings,
                  const std::vector<std::size_t>& order, std::string_view listName,
                  const processing::LocalDateTime& printed) {
    Printout printout(device, findings, order, listName, printed);
    return printout.layOut();
}

}  // namespace velcor::app
