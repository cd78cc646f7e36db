#include "app/gui/BankAnswerWindow.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/ScreenFit.h"
#include "output/SepaDocument.h"
#include "processing/ListName.h"
#include "session/StatusTexts.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <QDate>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

constexpr auto kTitle = "Отговор от банката"_cp;
constexpr auto kColumns = "Ред|Получател|IBAN|Сума (EUR)|Състояние|Причина|Текст от банката"_cp;
constexpr auto kNoneRejected = "Всички плащания са приети."_cp;
constexpr auto kLeftOut = "Още %lld плащания, които не са приети, не са показани."_cp;
constexpr auto kPrint = "Печат…"_cp;
constexpr auto kWriteRejected = "Запис на отхвърлените като нов списък…"_cp;
constexpr auto kClose = "Затвори"_cp;
constexpr auto kHeading = "Отговор от банката: %1, за файл %2, отпечатан на %3"_cp;
constexpr auto kListFiles = "Списъци (*.*)"_cp;

QString shown(std::string_view cp1251) { return fromCp1251(cp1251); }

// Sorts by the number it was given, whatever the text shows.
class NumberItem : public QTableWidgetItem {
  public:
    NumberItem(const QString& text, double value) : QTableWidgetItem(text) {
        setData(Qt::UserRole, value);
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        return data(Qt::UserRole).toDouble() < other.data(Qt::UserRole).toDouble();
    }
};

QString reasonsOf(const output::PaymentStatusLine& line) {
    QStringList reasons;
    for (const std::string& code : line.reasons) reasons << shown(session::reasonText(code));
    return reasons.join(QStringLiteral("; "));
}

}  // namespace

BankAnswerWindow::BankAnswerWindow(const output::StatusReport& report, const QString& reportPath,
                                   WriteRejected writeRejected, QWidget* parent)
    : QDialog(parent), reportPath_(reportPath), writeRejected_(std::move(writeRejected)) {
    setWindowTitle(shown(kTitle) + QStringLiteral(" – ") + QFileInfo(reportPath).fileName());
    auto* layout = new QVBoxLayout(this);

    QStringList lines{shown(session::groupStatusLine(report)),
                      shown(session::statusCountsText(report))};
    for (const output::StatusMismatch& mismatch : report.mismatches)
        lines << shown(session::mismatchText(mismatch));
    if (report.payments.empty()) lines << shown(kNoneRejected);
    if (report.paymentsLeftOut > 0)
        lines << shown(
            text::format(kLeftOut.c_str(), static_cast<long long>(report.paymentsLeftOut)));
    summary_ = new QLabel(lines.join(QLatin1Char('\n')), this);
    summary_->setTextFormat(Qt::PlainText);
    summary_->setWordWrap(true);
    summary_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(summary_);

    const QStringList columns = shown(kColumns).split(QLatin1Char('|'));
    table_ = new QTableWidget(static_cast<int>(report.payments.size()),
                              static_cast<int>(columns.size()), this);
    table_->setHorizontalHeaderLabels(columns);
    table_->verticalHeader()->hide();
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    int row = 0;
    for (const output::PaymentStatusLine& line : report.payments) {
        table_->setItem(row, 0,
                        new NumberItem(QString::number(line.row), static_cast<double>(line.row)));
        table_->setItem(row, 1, new QTableWidgetItem(shown(line.name)));
        table_->setItem(row, 2, new QTableWidgetItem(QString::fromStdString(line.iban)));
        table_->setItem(row, 3,
                        new NumberItem(QString::fromStdString(output::sepaAmount(line.amount)),
                                       static_cast<double>(line.amount)));
        table_->setItem(
            row, 4, new QTableWidgetItem(shown(session::statusCodeText(line.status, line.state))));
        table_->setItem(row, 5, new QTableWidgetItem(reasonsOf(line)));
        table_->setItem(row, 6, new QTableWidgetItem(shown(line.additionalText)));
        ++row;
    }
    table_->setSortingEnabled(true);
    table_->sortByColumn(0, Qt::AscendingOrder);
    // The figures as wide as they need; the reasons and the bank's text share what is left, so
    // that every column is in sight.
    QHeaderView* header = table_->horizontalHeader();
    for (int column = 0; column < table_->columnCount(); ++column)
        header->setSectionResizeMode(
            column, column >= 5 ? QHeaderView::Stretch : QHeaderView::ResizeToContents);
    layout->addWidget(table_, 1);

    auto* buttons = new QDialogButtonBox(this);
    printButton_ = buttons->addButton(shown(kPrint), QDialogButtonBox::ActionRole);
    rejectedButton_ = buttons->addButton(shown(kWriteRejected), QDialogButtonBox::ActionRole);
    rejectedButton_->setEnabled(report.rejected > 0);
    QPushButton* close = buttons->addButton(shown(kClose), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    layout->addWidget(buttons);
    connect(printButton_, &QPushButton::clicked, this, &BankAnswerWindow::print);
    connect(rejectedButton_, &QPushButton::clicked, this, &BankAnswerWindow::chooseRejectedList);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    heading_ = shown(kHeading).arg(QFileInfo(reportPath).fileName(),
                                   shown(processing::listFileName(report.exported.listPath)),
                                   QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
    resize(1040, 480);
    keepOnScreen(*this);
}

QString BankAnswerWindow::printedHtml() const {
    QString html =
        QStringLiteral("<h3>") + heading_.toHtmlEscaped() + QStringLiteral("</h3><p>") +
        summary_->text().toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")) +
        QStringLiteral("</p><table border=1 cellspacing=0 cellpadding=3><tr>");
    for (int column = 0; column < table_->columnCount(); ++column)
        html += QStringLiteral("<th>") +
                table_->horizontalHeaderItem(column)->text().toHtmlEscaped() +
                QStringLiteral("</th>");
    html += QStringLiteral("</tr>");
    // In the order the table is sorted.
    for (int row = 0; row < table_->rowCount(); ++row) {
        html += QStringLiteral("<tr>");
        for (int column = 0; column < table_->columnCount(); ++column)
            html += QStringLiteral("<td>") + table_->item(row, column)->text().toHtmlEscaped() +
                    QStringLiteral("</td>");
        html += QStringLiteral("</tr>");
    }
    return html + QStringLiteral("</table>");
}

void BankAnswerWindow::print() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    // The document breaks itself into pages and numbers them at their foot.
    QTextDocument document;
    document.setHtml(printedHtml());
    document.print(&printer);
}

void BankAnswerWindow::chooseRejectedList() {
    const QString folder = QFileInfo(reportPath_).absolutePath();
    const QString path = QFileDialog::getSaveFileName(
        this, shown(kWriteRejected).remove(QStringLiteral("…")), folder, shown(kListFiles));
    if (!path.isEmpty()) writeRejectedTo(path);
}

void BankAnswerWindow::writeRejectedTo(const QString& path) {
    std::string target;
    if (!text::fromUtf8(QDir::toNativeSeparators(path).toStdString(), target)) return;
    const RejectedWritten said = writeRejected_(target);
    QMessageBox box(said.written ? QMessageBox::Information : QMessageBox::Warning,
                    applicationTitle(), shown(said.text), QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
}

}  // namespace velcor::app
