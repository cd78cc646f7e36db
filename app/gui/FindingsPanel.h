#pragma once

// The table of a list's row findings that the report window shows above its message list: the
// count of rows and by kind, then one line per row with a finding (row, payee name, IBAN, amount,
// problem), its further findings folded under it, sortable by any column; the window prints it.

#include "processing/RowFindings.h"

#include "window/FindingsTable.h"

#include <QAbstractItemModel>
#include <QWidget>

#include <cstddef>
#include <string>
#include <vector>

class QLabel;
class QPagedPaintDevice;
class QTreeView;

namespace velcor::app {

// The findings as a Qt model: a line per row with findings, its first finding, and under it the
// row's other findings; converted to Unicode only as a line is shown. It sorts itself, since a
// hundred thousand findings sort through their values in a moment and through a sorting proxy's
// texts in many. Sorting orders the rows by their first findings; a row's others stay under it in
// the order they were found.
class FindingsModel : public QAbstractItemModel {
    Q_OBJECT

  public:
    FindingsModel(const processing::RowFindings& findings, QObject* parent = nullptr);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The positions in findings.kept in the order the table shows them, each row's folded
    // findings right after its first.
    std::vector<std::size_t> order() const;

  private:
    // The position in findings.kept of the finding at `index`.
    std::size_t findingAt(const QModelIndex& index) const;

    const processing::RowFindings& findings_;
    std::vector<window::FindingsOfRow> rows_;
    std::vector<std::size_t> order_;    // positions in rows_, in the order shown
    std::vector<std::size_t> shownAt_;  // of each of rows_, its line in the order shown
};

class FindingsPanel : public QWidget {
    Q_OBJECT

  public:
    // `listName`: the list's file name (Windows-1251), for the printed heading.
    FindingsPanel(processing::RowFindings findings, std::string listName,
                  QWidget* parent = nullptr);
    ~FindingsPanel() override;

    QLabel* summary() const { return summary_; }
    QTreeView* table() const { return table_; }
    const FindingsModel& model() const { return *model_; }

    // Prints the table in the order it is sorted, under its heading with today's date, pages
    // `fromPage` to `toPage` (0: all); the number of pages it takes. A long table shows its
    // progress with "Отказ", which stops it (-1; a printer's job is then cancelled).
    int printTo(QPagedPaintDevice& device, int fromPage = 0, int toPage = 0) const;
    // The number of pages the table takes on `device`, nothing printed.
    int pagesOn(QPagedPaintDevice& device) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // The columns at their widths for the table's width, the problem column taking what is left.
    void fitColumns();

    processing::RowFindings findings_;
    std::string listName_;
    FindingsModel* model_ = nullptr;
    QLabel* summary_ = nullptr;
    QTreeView* table_ = nullptr;
};

}  // namespace velcor::app
