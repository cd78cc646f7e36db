#include "app/gui/FindingsPanel.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/FindingsPrint.h"
#include "text/Cp1251.h"
#include "window/FindingsTable.h"

#include <QDate>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include <numeric>
#include <utility>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

constexpr auto kPrintTable = "Печат на таблицата..."_cp;

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
    : QAbstractTableModel(parent), findings_(findings), order_(findings.kept.size()) {
    std::iota(order_.begin(), order_.end(), std::size_t{0});
}

int FindingsModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(order_.size());
}

int FindingsModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : window::kFindingsColumns;
}

QVariant FindingsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    const processing::RowFinding& finding =
        findings_.kept[order_[static_cast<std::size_t>(index.row())]];
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
        return QAbstractTableModel::headerData(section, orientation, role);
    return fromCp1251(window::findingsColumnTitle(columnAt(section)));
}

void FindingsModel::sort(int column, Qt::SortOrder order) {
    if (column < 0 || column >= window::kFindingsColumns) return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    order_ = window::findingsOrder(findings_.kept, columnAt(column), order == Qt::DescendingOrder);
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
    printButton_ = new QPushButton(fromCp1251(kPrintTable), this);
    printButton_->setAutoDefault(false);
    connect(printButton_, &QPushButton::clicked, this, &FindingsPanel::print);

    table_ = new QTableView(this);
    table_->setModel(model_);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setAlternatingRowColors(true);
    table_->setWordWrap(false);
    table_->setTextElideMode(Qt::ElideRight);
    // Every line one text line high, so that a hundred thousand of them are never measured.
    QHeaderView* rows = table_->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    QHeaderView* columns = table_->horizontalHeader();
    const int digit = table_->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    const int capital = table_->fontMetrics().horizontalAdvance(QLatin1Char('W'));
    columns->resizeSection(0, digit * 8);
    columns->resizeSection(1, capital * 14);
    columns->resizeSection(2, digit * 26);
    columns->resizeSection(3, digit * 13);
    columns->setStretchLastSection(true);
    // Found order first: by row, rising. Sorting is set up after the indicator, which would
    // otherwise sort by the first column falling.
    columns->setSortIndicator(0, Qt::AscendingOrder);
    table_->setSortingEnabled(true);

    auto* top = new QHBoxLayout;
    top->addWidget(summary_, 1);
    top->addWidget(printButton_, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 6, 6, 0);
    layout->addLayout(top);
    layout->addWidget(table_, 1);
    table_->scrollToTop();
}

FindingsPanel::~FindingsPanel() = default;

int FindingsPanel::printTo(QPagedPaintDevice& device, int fromPage, int toPage) const {
    return printFindings(device, findings_, model_->order(), listName_, today(), fromPage, toPage);
}

void FindingsPanel::print() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    const bool range = printer.printRange() == QPrinter::PageRange;
    printTo(printer, range ? printer.fromPage() : 0, range ? printer.toPage() : 0);
}

}  // namespace velcor::app
