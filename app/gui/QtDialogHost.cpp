#include "app/gui/QtDialogHost.h"

#include "app/gui/BankAnswerWindow.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/FixedCheckBox.h"
#include "app/gui/LastListFolder.h"
#include "app/gui/LimitedTextValidator.h"
#include "app/gui/LongWorkRunner.h"
#include "app/gui/MainWindow.h"
#include "app/gui/ReportWindow.h"
#include "app/gui/ScreenFit.h"
#include "app/gui/SepaExportDialog.h"
#include "output/PrepareHistory.h"
#include "output/StatusReport.h"
#include "processing/ListName.h"
#include "session/Messages.h"
#include "session/StatusTexts.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/ControlIds.h"
#include "window/ControlTable.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

#include <string>
#include <utility>
#include <vector>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

// The open-file dialog's filters; the first takes the day's pattern.
constexpr auto kTodaysLists = "Списъци за днес (%1)"_cp;
constexpr auto kAllLists = "Всички списъци (O*.*)"_cp;
constexpr auto kAllFiles = "Всички файлове (*)"_cp;

}  // namespace

QtDialogHost::QtDialogHost(MainWindow& window) : window_(window) {
    commandFinished_ = QObject::connect(&window_, &MainWindow::commandFinished, &window_,
                                        [this] { restoreFocus(); });
}

QtDialogHost::~QtDialogHost() { QObject::disconnect(commandFinished_); }

QWidget* QtDialogHost::dialogParent() const {
    return window_.isVisible() ? static_cast<QWidget*>(&window_) : nullptr;
}

std::string QtDialogHost::controlText(window::ControlId id) {
    const QLineEdit* edit = window_.edit(id);
    if (!edit) return {};
    // The edits accept only what Windows-1251 can hold, so the conversion is whole.
    std::string converted;
    text::fromUtf8(edit->text().toStdString(), converted);
    return converted;
}

void QtDialogHost::setControlText(window::ControlId id, std::string_view text) {
    if (QLineEdit* edit = window_.edit(id)) {
        const QString shown = fromCp1251(text);
        // A text longer than the edit's limit is shown whole.
        if (LimitedTextValidator* validator = window_.validator(id))
            validator->admitLength(shown.size());
        edit->setText(shown);  // also clears the modified flag
        edit->setCursorPosition(0);
    }
}

void QtDialogHost::setEditLimit(window::ControlId id, int limit) {
    if (LimitedTextValidator* validator = window_.validator(id)) validator->setLimit(limit);
}

bool QtDialogHost::isModified(window::ControlId id) {
    const QLineEdit* edit = window_.edit(id);
    return edit && edit->isModified();
}

void QtDialogHost::clearModified(window::ControlId id) {
    if (QLineEdit* edit = window_.edit(id)) edit->setModified(false);
}

void QtDialogHost::focusAndSelectAll(window::ControlId id) {
    focusEdit(id);
    focusAfterCommand_ = id;
}

void QtDialogHost::focusEdit(window::ControlId id) {
    QWidget* widget = window_.control(id);
    if (!widget) return;
    widget->setFocus(Qt::OtherFocusReason);
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) edit->selectAll();
}

void QtDialogHost::restoreFocus() {
    const std::optional<window::ControlId> id = std::exchange(focusAfterCommand_, std::nullopt);
    if (id && !ended_) focusEdit(*id);
}

void QtDialogHost::addListEntry(window::ControlId id, std::string_view text) {
    auto* list = qobject_cast<QComboBox*>(window_.control(id));
    if (!list) return;
    std::vector<std::string> entries;
    for (int i = 0; i < list->count(); ++i) {
        entries.emplace_back();
        text::fromUtf8(list->itemText(i).toStdString(), entries.back());
    }
    const int selected = list->currentIndex();
    const auto position = static_cast<int>(window::entryPosition(id, entries, text));
    list->insertItem(position, fromCp1251(text));
    // Adding never selects: the first entry of an empty combo box would otherwise be chosen.
    list->setCurrentIndex(selected < 0 ? -1 : (position <= selected ? selected + 1 : selected));
}

int QtDialogHost::listSelection(window::ControlId id) {
    const auto* list = qobject_cast<QComboBox*>(window_.control(id));
    return list ? list->currentIndex() : -1;
}

void QtDialogHost::setListSelection(window::ControlId id, int position) {
    auto* list = qobject_cast<QComboBox*>(window_.control(id));
    if (!list) return;
    list->setCurrentIndex(position >= 0 && position < list->count() ? position : -1);
}

processing::LocalDateTime QtDialogHost::dateValue(window::ControlId id) {
    processing::LocalDateTime value;
    const auto* picker = qobject_cast<QDateEdit*>(window_.control(id));
    if (!picker) {
        value.valid = false;
        return value;
    }
    const QDate date = picker->date();
    value.year = date.year();
    value.month = date.month();
    value.day = date.day();
    value.hour = hour_;
    value.minute = minute_;
    value.second = second_;
    return value;
}

void QtDialogHost::setDateValue(window::ControlId id, const processing::LocalDateTime& value) {
    auto* picker = qobject_cast<QDateEdit*>(window_.control(id));
    if (!picker || !value.valid) return;
    const QDate date(value.year, value.month, value.day);
    // A date the picker cannot show leaves it as it was, as the Windows picker refuses it.
    if (!date.isValid() || date < picker->minimumDate() || date > picker->maximumDate()) return;
    picker->setDate(date);
    hour_ = value.hour;
    minute_ = value.minute;
    second_ = value.second;
}

void QtDialogHost::setReadOnly(window::ControlId id, bool readOnly) {
    if (auto* box = qobject_cast<QAbstractSpinBox*>(window_.control(id)))
        box->setReadOnly(readOnly);
}

void QtDialogHost::setChecked(window::ControlId id, bool checked) {
    if (auto* box = qobject_cast<QAbstractButton*>(window_.control(id))) box->setChecked(checked);
}

void QtDialogHost::showMessage(std::string_view text) { showMessage(text, {}); }

void QtDialogHost::showMessage(std::string_view text, std::string_view detail) {
    QMessageBox box(QMessageBox::Warning, applicationTitle(), fromCp1251(text), QMessageBox::Ok,
                    dialogParent());
    box.setTextFormat(Qt::PlainText);
    if (!detail.empty()) box.setInformativeText(fromCp1251(detail).toHtmlEscaped());
    box.exec();
}

void QtDialogHost::showInformation(std::string_view text, std::string_view detail) {
    QMessageBox box(QMessageBox::Information, applicationTitle(), fromCp1251(text), QMessageBox::Ok,
                    dialogParent());
    box.setTextFormat(Qt::PlainText);
    // The informative text takes markup: the path is shown as it is, line by line.
    if (!detail.empty())
        box.setInformativeText(
            fromCp1251(detail).toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
    box.exec();
}

bool QtDialogHost::askYesNo(std::string_view text) {
    QMessageBox box(QMessageBox::Critical, applicationTitle(), fromCp1251(text),
                    QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogHost::askToConfirm(std::string_view text) {
    QMessageBox box(QMessageBox::Question, applicationTitle(), fromCp1251(text),
                    QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool QtDialogHost::askToGoOn(std::string_view text) {
    QMessageBox box(QMessageBox::Warning, applicationTitle(), fromCp1251(text),
                    QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

session::DateAnswer QtDialogHost::askAboutValueDate(const std::string_view text,
                                                    const std::optional<std::string>& nextBankDay) {
    QMessageBox box(QMessageBox::Warning, applicationTitle(), fromCp1251(text),
                    QMessageBox::Yes | QMessageBox::No, dialogParent());
    box.setTextFormat(Qt::PlainText);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    QPushButton* next =
        nextBankDay ? box.addButton(fromCp1251(*nextBankDay), QMessageBox::AcceptRole) : nullptr;
    const int answer = box.exec();
    if (next != nullptr && box.clickedButton() == next) return session::DateAnswer::nextBankDay;
    return answer == QMessageBox::Yes ? session::DateAnswer::goOn : session::DateAnswer::stop;
}

namespace {

// A file dialog opens no larger than its screen's available area, less the frame its window has
// there (that of the window it opens over), as a small screen at a large scale factor leaves it;
// it places itself over the window, which keeps within the screen.
void fitFileDialog(QFileDialog& dialog) {
    const QScreen* screen = dialog.screen();
    if (screen == nullptr) return;
    const QWidget* over = dialog.parentWidget() ? dialog.parentWidget()->window() : nullptr;
    const QWindow* framed = over ? over->windowHandle() : nullptr;
    const QSize room = screen->availableGeometry()
                           .size()
                           .shrunkBy(framed ? framed->frameMargins() : QMargins())
                           .expandedTo(QSize(1, 1));
    dialog.setMinimumSize(dialog.minimumSizeHint().boundedTo(room));
    dialog.resize(dialog.sizeHint().boundedTo(room));
}

}  // namespace

std::optional<QString> QtDialogHost::runOpenFileDialog(const QString& suggestedName) {
    QFileDialog dialog(dialogParent());
    dialog.setWindowTitle(QString());
    dialog.setFileMode(QFileDialog::ExistingFile);
    fitFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    // Starts in the folder of the last list opened, else the current one, and leaves the
    // process's current folder where it was.
    const QString lastFolder = lastListFolder();
    dialog.setDirectory(lastFolder.isEmpty() ? QDir::currentPath() : lastFolder);
    // The suggestion is a pattern of the day's files; it both fills the name box and narrows
    // the list, and the other filters give the other lists and every file back.
    const QStringList filters{fromCp1251(kTodaysLists).arg(suggestedName), fromCp1251(kAllLists),
                              fromCp1251(kAllFiles)};
    dialog.setNameFilters(filters);
    dialog.selectNameFilter(filters.constFirst());
    dialog.selectFile(suggestedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<std::string> QtDialogHost::chooseOpenFile(std::string_view suggestedName) {
    const QString suggestion = fromCp1251(suggestedName);
    const std::optional<QString> chosen =
        chooser_ ? chooser_(suggestion) : runOpenFileDialog(suggestion);
    if (!chosen) return std::nullopt;
    std::string path;
    if (!text::fromUtf8(QDir::toNativeSeparators(*chosen).toStdString(), path)) {
        showMessage(session::messageText(session::Message::pathNotUsable));
        return std::nullopt;
    }
    rememberListFolder(*chosen);
    // With a list chosen, "Подготовка" is the next step: the focus goes there after the command,
    // unless a message of its scan sends the operator to an edit.
    focusAfterCommand_ = window::idPrepare;
    return path;
}

void QtDialogHost::showBankAnswer() {
    // The open dialog offers the XML files; a test chooses its report where it chooses its list.
    const QString suggestion = QStringLiteral("*.xml");
    const std::optional<QString> chosen =
        chooser_ ? chooser_(suggestion) : runOpenFileDialog(suggestion);
    if (!chosen) return;
    std::string path;
    if (!text::fromUtf8(QDir::toNativeSeparators(*chosen).toStdString(), path)) {
        showMessage(session::messageText(session::Message::pathNotUsable));
        return;
    }
    // The exports' records are kept beside the copies that undo a prepare.
    const std::optional<std::string> folder = output::userPrepareHistoryFolder();
    if (!folder) {
        showMessage(session::messageText(session::Message::noHistoryFolder));
        return;
    }
    fileio::FileSystem& fs = fileio::standardFileSystem();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const output::StatusReport report = output::readStatusReport(fs, path, *folder);
    QApplication::restoreOverrideCursor();
    if (!report.ok()) {
        showMessage(session::statusErrorText(report, path));
        return;
    }
    BankAnswerWindow answer(
        report, *chosen,
        [&](const std::string& target) {
            output::StatusReadOptions options;
            options.rejectedListPath = target;
            QApplication::setOverrideCursor(Qt::WaitCursor);
            const output::StatusReport again = output::readStatusReport(fs, path, *folder, options);
            QApplication::restoreOverrideCursor();
            const std::string said = again.ok() ? session::rejectedListText(again, target)
                                                : session::statusErrorText(again, path);
            return BankAnswerWindow::RejectedWritten{
                again.rejectedList == output::StatusReport::RejectedList::written, said};
        },
        dialogParent());
    if (bankAnswerObserver_) bankAnswerObserver_(answer);
    answer.exec();
}

void QtDialogHost::showReport(std::string_view html) { showProcessingReport(html, {}); }

void QtDialogHost::showProcessingReport(std::string_view html, std::string_view listPath) {
    ReportWindow report(dialogParent());
    report.setReportHtml(html);
    report.setListPath(fromCp1251(listPath));
    if (reportObserver_) reportObserver_(report);
    report.exec();
}

std::optional<QString> QtDialogHost::runSaveFileDialog(const QString& suggestedPath) {
    QFileDialog dialog(dialogParent());
    dialog.setWindowTitle(fromCp1251(window::sepaExportMenuText()).remove(QStringLiteral("...")));
    dialog.setFileMode(QFileDialog::AnyFile);
    keepOnScreen(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilters({QStringLiteral("SEPA XML (*.xml)"), QStringLiteral("*")});
    dialog.selectFile(suggestedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().constFirst();
}

std::optional<session::SepaExportAnswer> QtDialogHost::chooseSepaExport(
    const session::SepaOutcome& review, std::string_view suggestedPath) {
    SepaExportDialog choices(review, dialogParent());
    if (choices.exec() != QDialog::Accepted) return std::nullopt;
    const QString suggestion = fromCp1251(suggestedPath);
    const std::optional<QString> chosen =
        saveChooser_ ? saveChooser_(suggestion) : runSaveFileDialog(suggestion);
    if (!chosen) return std::nullopt;
    session::SepaExportAnswer answer{choices.choices(), {}};
    if (!text::fromUtf8(QDir::toNativeSeparators(*chosen).toStdString(), answer.path)) {
        showMessage(session::messageText(session::Message::pathNotUsable));
        return std::nullopt;
    }
    return answer;
}

void QtDialogHost::runLongWork(std::string_view what, const session::LongWork& work) {
    runWithProgress(dialogParent(), fromCp1251(what), work);
}

void QtDialogHost::showRowFindings(std::string_view html, const processing::RowFindings& findings,
                                   std::string_view listPath) {
    ReportWindow report(dialogParent());
    report.setReportHtml(html);
    report.showFindings(findings, std::string(processing::listFileName(listPath)));
    report.setListPath(fromCp1251(listPath));
    if (reportObserver_) reportObserver_(report);
    report.exec();
}

void QtDialogHost::endDialog(int result) {
    ended_ = true;
    window_.done(result);
}

}  // namespace velcor::app
