#pragma once

// The table of a list's row findings that the report window shows above its message list: the
// count by kind, then one line per finding (row, payee name, IBAN, amount, problem), sortable by
// any column and printable.

#include "processing/RowFindings.h"

#include <QAbstractTableModel>
#include <QWidget>

#include <cstddef>
#include <string>
#include <vector>

class QLabel;
class QPagedPaintDevice;
class QPushButton;
class QTableView;

namespace velcor::app {

// The findings as a Qt table model: every one of them, converted to Unicode only as a line is
// shown. It sorts itself, since a hundred thousand findings sort through their values in a
// moment and through a sorting proxy's texts in many.
class FindingsModel : public QAbstractTableModel {
    Q_OBJECT

  public:
    FindingsModel(const processing::RowFindings& findings, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // The positions in findings.kept in the order the table shows them.
    const std::vector<std::size_t>& order() const { return order_; }

  private:
    const processing::RowFindings& findings_;
    std::vector<std::size_t> order_;
};

class FindingsPanel : public QWidget {
    Q_OBJECT

  public:
    // `listName`: the list's file name (Windows-1251), for the printed heading.
    FindingsPanel(processing::RowFindings findings, std::string listName,
                  QWidget* parent = nullptr);
    ~FindingsPanel() override;

    QLabel* summary() const { return summary_; }
    QTableView* table() const { return table_; }
    QPushButton* printButton() const { return printButton_; }
    const FindingsModel& model() const { return *model_; }

    // Prints the table in the order it is sorted, under its heading with today's date, pages
    // `fromPage` to `toPage` (0: all); the number of pages it takes.
    int printTo(QPagedPaintDevice& device, int fromPage = 0, int toPage = 0) const;

  public slots:
    // The print dialog, then the table on the printer chosen.
    void print();

  private:
    processing::RowFindings findings_;
    std::string listName_;
    FindingsModel* model_ = nullptr;
    QLabel* summary_ = nullptr;
    QTableView* table_ = nullptr;
    QPushButton* printButton_ = nullptr;
};

}  // namespace velcor::app
