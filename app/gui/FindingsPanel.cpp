#include "app/gui/FindingsPanel.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/FindingsPrint.h"
#include "app/gui/LongWorkRunner.h"
#include "session/LongWork.h"
#include "text/Cp1251.h"
#include "window/FindingsTable.h"

#include <QCoreApplication>
#include <QDate>
#include <QEvent>
#include <QHeaderView>
#include <QLabel>
#include <QPrinter>
#include <QProgressDialog>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <numeric>
#include <utility>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

// The most of the table's width the columns before the problem take.
constexpr int kOthersShare = 62;

constexpr auto kPrintingTable = "Печат на таблицата..."_cp;

window::FindingsColumn columnAt(int column) { return static_cast<window::FindingsColumn>(column); }

bool isNumber(int column) {
    return columnAt(column) == window::FindingsColumn::row ||
           columnAt(column) == window::FindingsColumn::amount;
}

processing::LocalDateTime today() {
    const QDate date = QDate::currentDate();
    processing::LocalDateTime now;
    now.year = date.year();
    now.month = date.month();
    now.day = date.day();
    return now;
}

}  // namespace

FindingsModel::FindingsModel(const processing::RowFindings& findings, QObject* parent)
    : QAbstractItemModel(parent),
      findings_(findings),
      rows_(window::findingsByRow(findings.kept)),
      order_(rows_.size()),
      shownAt_(rows_.size()) {
    std::iota(order_.begin(), order_.end(), std::size_t{0});
    std::iota(shownAt_.begin(), shownAt_.end(), std::size_t{0});
}

// A row's line has the internal id 0; a folded finding's the position of its row in rows_ plus 1.
QModelIndex FindingsModel::index(int row, int column, const QModelIndex& parent) const {
    if (row < 0 || column < 0 || column >= window::kFindingsColumns || row >= rowCount(parent))
        return {};
    if (!parent.isValid()) return createIndex(row, column, quintptr{0});
    return createIndex(row, column, quintptr{order_[static_cast<std::size_t>(parent.row())] + 1});
}

QModelIndex FindingsModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == 0) return {};
    const std::size_t at = child.internalId() - 1;
    return createIndex(static_cast<int>(shownAt_[at]), 0, quintptr{0});
}

int FindingsModel::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return static_cast<int>(order_.size());
    if (parent.internalId() != 0 || parent.column() != 0) return 0;
    return static_cast<int>(rows_[order_[static_cast<std::size_t>(parent.row())]].rest.size());
}

int FindingsModel::columnCount(const QModelIndex&) const { return window::kFindingsColumns; }

std::size_t FindingsModel::findingAt(const QModelIndex& index) const {
    if (index.internalId() == 0) return rows_[order_[static_cast<std::size_t>(index.row())]].first;
    return rows_[index.internalId() - 1].rest[static_cast<std::size_t>(index.row())];
}

std::vector<std::size_t> FindingsModel::order() const {
    std::vector<std::size_t> positions;
    positions.reserve(findings_.kept.size());
    for (const std::size_t at : order_) {
        positions.push_back(rows_[at].first);
        positions.insert(positions.end(), rows_[at].rest.begin(), rows_[at].rest.end());
    }
    return positions;
}

QVariant FindingsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.model() != this) return {};
    const processing::RowFinding& finding = findings_.kept[findingAt(index)];
    switch (role) {
        case Qt::DisplayRole:
            return fromCp1251(window::findingsCell(finding, columnAt(index.column())));
        case Qt::ToolTipRole:
            // The whole message, as the message list below has it.
            return fromCp1251(finding.text);
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(Qt::AlignVCenter |
                                       (isNumber(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
        default:
            return {};
    }
}

QVariant FindingsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= window::kFindingsColumns)
        return QAbstractItemModel::headerData(section, orientation, role);
    return fromCp1251(window::findingsColumnTitle(columnAt(section)));
}

void FindingsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= window::kFindingsColumns) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    const std::vector<std::size_t> wasShown = order_;
    std::vector<std::size_t> firsts;
    firsts.reserve(rows_.size());
    for (const window::FindingsOfRow& row : rows_) firsts.push_back(row.first);
    // The rows sort by their first findings; which row each first finding is, is kept beside.
    std::vector<std::size_t> rowOf(findings_.kept.size());
    for (std::size_t i = 0; i < rows_.size(); ++i) rowOf[rows_[i].first] = i;
    const std::vector<std::size_t> sorted = window::findingsOrder(
        findings_.kept, std::move(firsts), columnAt(column), order == Qt::DescendingOrder);
    for (std::size_t line = 0; line < sorted.size(); ++line) {
        order_[line] = rowOf[sorted[line]];
        shownAt_[order_[line]] = line;
    }
    // An expanded row stays expanded, the selection on its line: the view's indexes follow the
    // rows they stood for.
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before) {
        if (index.internalId() != 0) {
            after.append(index);  // a folded finding keeps its place under its row
            continue;
        }
        after.append(
            createIndex(static_cast<int>(shownAt_[wasShown[static_cast<std::size_t>(index.row())]]),
                        index.column(), quintptr{0}));
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

FindingsPanel::FindingsPanel(processing::RowFindings findings, std::string listName,
                             QWidget* parent)
    : QWidget(parent), findings_(std::move(findings)), listName_(std::move(listName)) {
    model_ = new FindingsModel(findings_, this);

    summary_ = new QLabel(fromCp1251(window::findingsSummary(findings_)), this);
    summary_->setWordWrap(true);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    table_ = new QTreeView(this);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    table_->setAllColumnsShowFocus(true);
    table_->setExpandsOnDoubleClick(true);
    // Every line one text line high, so that a hundred thousand of them are never measured.
    table_->setUniformRowHeights(true);
    QHeaderView* columns = table_->header();
    columns->setSectionsMovable(false);
    columns->setStretchLastSection(true);
    fitColumns();
    table_->viewport()->installEventFilter(this);
    // Found order first: by row, rising. Sorting is set up after the indicator, which would
    // otherwise sort by the first column falling.
    columns->setSortIndicator(0, Qt::AscendingOrder);
    table_->setSortingEnabled(true);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addWidget(summary_);
    layout->addWidget(table_, 1);
    table_->scrollToTop();
}

FindingsPanel::~FindingsPanel() = default;

bool FindingsPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == table_->viewport() && event->type() == QEvent::Resize) fitColumns();
    return QWidget::eventFilter(watched, event);
}

void FindingsPanel::fitColumns() {
    const QFontMetrics metrics = table_->fontMetrics();
    const int digit = metrics.horizontalAdvance(QLatin1Char('0'));
    const int capital = metrics.horizontalAdvance(QLatin1Char('W'));
    // Room for a row number under its fold mark, a name, an IBAN of 22 characters, an amount.
    std::array<int, 4> widths = {
        digit * 8 + table_->indentation(), capital * 14,
        metrics.horizontalAdvance(QStringLiteral("BG80WWWW00000000000000")) + digit * 2,
        digit * 13};
    const int room = table_->viewport()->width();
    // What the problem column is left at least: on a narrow screen the others give way rather
    // than push it out of sight; the name first, which is read by its start, then each by its
    // share.
    const int allowed = room * kOthersShare / 100;
    int short_ = std::accumulate(widths.begin(), widths.end(), 0) - allowed;
    if (room > 0 && short_ > 0) {
        const int nameGives = std::min(short_, widths[1] - capital * 5);
        widths[1] -= nameGives;
        short_ -= nameGives;
        const int others = std::accumulate(widths.begin(), widths.end(), 0);
        if (short_ > 0)
            for (int& width : widths) width = width * allowed / others;
    }
    QHeaderView* columns = table_->header();
    for (std::size_t c = 0; c < widths.size(); ++c)
        columns->resizeSection(static_cast<int>(c), widths[c]);
}

int FindingsPanel::printTo(QPagedPaintDevice& device, int fromPage, int toPage) const {
    // A hundred thousand findings take seconds to lay out and paint: the window says how far it
    // has come once it has taken a while, and "Отказ" stops it before the next page.
    QProgressDialog progress(fromCp1251(kPrintingTable), fromCp1251(session::stopWorkText()), 0,
                             1000, window());
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(static_cast<int>(kProgressDelay.count()));
    progress.setAutoClose(false);
    progress.setValue(0);
    const int pages = printFindings(device, findings_, model_->order(), listName_, today(),
                                    fromPage, toPage, [&progress](int permille) {
                                        progress.setValue(permille);
                                        QCoreApplication::processEvents();
                                        return !progress.wasCanceled();
                                    });
    if (pages < 0)
        if (auto* printer = dynamic_cast<QPrinter*>(&device)) printer->abort();
    return pages;
}

int FindingsPanel::pagesOn(QPagedPaintDevice& device) const {
    return findingsPages(device, findings_, model_->order(), listName_, today());
}

}  // namespace velcor::app
