#pragma once

// The window logic's host realised with Qt widgets, beside the headless host of velcor-cli and the
// tests' scripted host: control ids become the widgets of MainWindow, Windows-1251 texts become
// Unicode at this edge and back, and message boxes, the open-file dialog and the report window
// are Qt dialogs.

#include "window/DialogHost.h"

#include <QMetaObject>
#include <QString>

#include <functional>
#include <optional>

class QWidget;

namespace velcor::app {

class BankAnswerWindow;

class MainWindow;

class QtDialogHost : public window::DialogHost {
  public:
    // Picks a file to open; receives the suggested name, returns the chosen path or nothing.
    using OpenFileChooser = std::function<std::optional<QString>(const QString& suggestedName)>;
    // Picks where a file goes; receives the suggested path, returns the chosen one or nothing.
    using SaveFileChooser = std::function<std::optional<QString>(const QString& suggestedPath)>;
    // Shown before a modal report window runs; lets a caller (a test) act on it.
    using ReportObserver = std::function<void(class ReportWindow&)>;

    explicit QtDialogHost(MainWindow& window);
    ~QtDialogHost() override;
    QtDialogHost(const QtDialogHost&) = delete;
    QtDialogHost& operator=(const QtDialogHost&) = delete;

    std::string controlText(window::ControlId id) override;
    void setControlText(window::ControlId id, std::string_view text) override;
    void setEditLimit(window::ControlId id, int limit) override;
    bool isModified(window::ControlId id) override;
    void clearModified(window::ControlId id) override;
    void focusAndSelectAll(window::ControlId id) override;

    void addListEntry(window::ControlId id, std::string_view text) override;
    int listSelection(window::ControlId id) override;
    void setListSelection(window::ControlId id, int position) override;

    processing::LocalDateTime dateValue(window::ControlId id) override;
    void setDateValue(window::ControlId id, const processing::LocalDateTime& value) override;

    void setChecked(window::ControlId id, bool checked) override;
    void setReadOnly(window::ControlId id, bool readOnly) override;

    void showMessage(std::string_view text) override;
    void showMessage(std::string_view text, std::string_view detail) override;
    void showInformation(std::string_view text, std::string_view detail) override;
    bool askYesNo(std::string_view text) override;
    bool askToGoOn(std::string_view text) override;
    bool askToConfirm(std::string_view text) override;
    session::DateAnswer askAboutValueDate(std::string_view text,
                                          const std::optional<std::string>& nextBankDay) override;
    std::optional<std::string> chooseOpenFile(std::string_view suggestedName) override;
    void showReport(std::string_view html) override;
    std::optional<session::SepaExportAnswer> chooseSepaExport(
        const session::SepaOutcome& review, std::string_view suggestedPath) override;
    void showRowFindings(std::string_view html, const processing::RowFindings& findings,
                         std::string_view listPath) override;
    std::int64_t rowFindingsShown() override { return processing::kMaxFindingsKept; }
    void showProcessingReport(std::string_view html, std::string_view listPath) override;
    void endDialog(int result) override;
    void runLongWork(std::string_view what, const session::LongWork& work) override;
    void showBankAnswer() override;

    // Replaces the platform's open-file dialog (tests choose their file here).
    void setOpenFileChooser(OpenFileChooser chooser) { chooser_ = std::move(chooser); }
    // Replaces the platform's save dialog of the SEPA export.
    void setSaveFileChooser(SaveFileChooser chooser) { saveChooser_ = std::move(chooser); }
    void setReportObserver(ReportObserver observer) { reportObserver_ = std::move(observer); }
    // Sees the window of the bank's answer before it opens (tests drive it there).
    void setBankAnswerObserver(std::function<void(BankAnswerWindow&)> observer) {
        bankAnswerObserver_ = std::move(observer);
    }

    // Whether endDialog has been called.
    bool ended() const { return ended_; }

  private:
    QWidget* dialogParent() const;
    void focusEdit(window::ControlId id);
    void restoreFocus();
    std::optional<QString> runOpenFileDialog(const QString& suggestedName);
    std::optional<QString> runSaveFileDialog(const QString& suggestedPath);

    MainWindow& window_;
    OpenFileChooser chooser_;
    SaveFileChooser saveChooser_;
    ReportObserver reportObserver_;
    std::function<void(BankAnswerWindow&)> bankAnswerObserver_;
    // The date picker shows a date only; the time of day it holds is kept here, as the Windows
    // picker keeps it.
    int hour_ = 0;
    int minute_ = 0;
    int second_ = 0;
    bool ended_ = false;
    // The control that a message sent the operator to during the running command (or
    // "Подготовка" after a list was chosen): it gets the focus and the selection back once the
    // command has finished, whatever the command did after (a scan, a report window, new texts
    // in the edits).
    std::optional<window::ControlId> focusAfterCommand_;
    QMetaObject::Connection commandFinished_;
};

}  // namespace velcor::app
