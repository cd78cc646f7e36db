#pragma once

// The report window: the report page with a given text in it, printable from a row of buttons
// below it ("Печат...", "Преглед", "Запис като PDF...", "Затвори"), from the view's context menu
// ("Печат...", "Преглед преди печат", "Запис като PDF...") and with Ctrl+P.

#include "app/report/ReportDocument.h"
#include "processing/RowFindings.h"

#include <QDialog>

#include <memory>
#include <string>
#include <string_view>

class QTextBrowser;
class QPagedPaintDevice;

namespace Ui {
class ReportWindow;
}

namespace velcor::app {

class FindingsPanel;

class ReportWindow : public QDialog {
    Q_OBJECT

  public:
    explicit ReportWindow(QWidget* parent = nullptr);
    ~ReportWindow() override;

    // Loads the report page and puts `html` (Windows-1251 markup) into its element
    // "file_name_load".
    void setReportHtml(std::string_view html);

    QTextBrowser* view() const;
    // The list the report is about: "Запис като PDF..." proposes its folder and its name with
    // ".pdf" added. Empty: the report is about no list.
    void setListPath(const QString& listPath);
    // The file "Запис като PDF..." proposes.
    QString proposedPdfPath() const;

    // Puts the table of a list's row findings above the text (their message list): `listName`
    // is the list's file name (Windows-1251). From then on the window prints the table.
    void showFindings(processing::RowFindings findings, std::string listName);
    // The findings table; nullptr when none is shown.
    FindingsPanel* findings() const { return findings_; }

    // Writes what the window prints to a PDF file (the report as velcor-cli's report --pdf
    // does), replacing the file in one step; false (after a message) when it failed.
    bool saveAsPdf(const QString& path);
    // Lays out on any paged device (a printer, a PDF writer), on white paper, what the window
    // prints: the findings table under its heading when it shows one (pages `fromPage` to
    // `toPage`, 0: all), else the report.
    void printTo(QPagedPaintDevice& device, int fromPage = 0, int toPage = 0) const;

  public slots:
    void print();
    void printPreview();
    void saveAsPdfChosen();

  private:
    void showContextMenu(const QPoint& pos);
    // Whether the findings table may go on `device` in pages `fromPage` to `toPage`: past
    // kPagesWithoutAsking the operator is asked. Always for the report.
    bool pagesAccepted(QPagedPaintDevice& device, int fromPage = 0, int toPage = 0);
    QByteArray findingsPdf() const;
    // The colour behind the page on screen.
    QColor face() const;

    std::unique_ptr<Ui::ReportWindow> ui_;
    QString reportHtml_;  // what the page's element holds
    FindingsPanel* findings_ = nullptr;
    QString listPath_;
};

}  // namespace velcor::app
