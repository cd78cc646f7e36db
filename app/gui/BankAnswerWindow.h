#pragma once

// The bank's answer to a SEPA file, as the operator reads it: the file's state and counts on top,
// each payment the bank did not accept in a table like the findings' (row, payee, IBAN, amount,
// state, reasons, the bank's text; sortable by any column), what does not agree with the export
// below it, and the commands to print the table under a heading and to write the rejected rows
// as a new list.

#include "output/StatusReport.h"

#include <QDialog>
#include <QString>

#include <functional>
#include <string>

class QLabel;
class QPushButton;
class QTableWidget;

namespace velcor::app {

class BankAnswerWindow : public QDialog {
  public:
    // What became of the rejected rows: whether they were written, in the operator's words
    // (Windows-1251).
    struct RejectedWritten {
        bool written = false;
        std::string text;
    };
    // Writes the rejected rows to the chosen path (Windows-1251).
    using WriteRejected = std::function<RejectedWritten(const std::string& path)>;

    BankAnswerWindow(const output::StatusReport& report, const QString& reportPath,
                     WriteRejected writeRejected, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    QLabel* summary() const { return summary_; }
    QPushButton* rejectedButton() const { return rejectedButton_; }
    QPushButton* printButton() const { return printButton_; }
    // The table under its heading (the report's file name, the export it answers, the date), as
    // it is printed.
    QString printedHtml() const;
    // "Запис на отхвърлените като нов списък…" once its save dialog answered `path`.
    void writeRejectedTo(const QString& path);

  private:
    void print();
    void chooseRejectedList();

    QString reportPath_;
    QString heading_;
    WriteRejected writeRejected_;
    QLabel* summary_ = nullptr;
    QTableWidget* table_ = nullptr;
    QPushButton* rejectedButton_ = nullptr;
    QPushButton* printButton_ = nullptr;
};

}  // namespace velcor::app
