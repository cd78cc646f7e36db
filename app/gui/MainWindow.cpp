#include "app/gui/MainWindow.h"

#include "app/gui/AboutBox.h"
#include "app/gui/AppIdentity.h"
#include "app/gui/BankDayMarks.h"
#include "app/gui/DatePickerBehaviour.h"
#include "app/gui/KeyboardAccess.h"
#include "app/gui/LimitedTextValidator.h"
#include "app/gui/ScreenFit.h"
#include "output/SepaSchema.h"
#include "text/Cp1251.h"
#include "ui_MainWindow.h"
#include "window/ControlTable.h"
#include "window/Currency.h"

#include <QContextMenuEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLayout>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>
#include <QShortcut>

#include <algorithm>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace velcor::app {

namespace {

using namespace velcor::text::literals;

constexpr auto kNoPaymentTypePlaceholder = "— изберете вид плащане —"_cp;
constexpr int kWidestWholeValue = 22;  // an IBAN

// The short date of a locale, always with a four-digit year: a two-digit year would leave the
// century of the value date to guesswork.
QString shortDateFormat(const QLocale& locale) {
    QString format = locale.dateFormat(QLocale::ShortFormat);
    if (!format.contains(QLatin1String("yyyy"))) format.replace(QLatin1String("yy"), "yyyy");
    return format;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::MainWindow>()) {
    ui_->setupUi(this);
    // Above the controls, before the size is fixed: the window is as tall as both need.
    addMenuBar();
    // A modal frame with caption and close box, no minimise or maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowIcon(applicationIcon());

    const window::ControlId ids[] = {
        window::idInputPath,       window::idBrowse,         window::idFormatKind,
        window::idDelimiter,       window::idPaymentType,    window::idPaymentDate,
        window::idPayerIban,       window::idPayerBic,       window::idPayerName,
        window::idPaymentKindCode, window::idBudgetUnitCode, window::idTotal,
        window::idCount,           window::idControlCode,    window::idPrepared,
        window::idPrepare,         window::idPrint,          window::idCancel,
    };
    QWidget* const widgets[] = {
        ui_->inputPath,   ui_->browseButton,    ui_->formatKind,     ui_->delimiter,
        ui_->paymentType, ui_->paymentDate,     ui_->payerIban,      ui_->payerBic,
        ui_->payerName,   ui_->paymentKindCode, ui_->budgetUnitCode, ui_->total,
        ui_->count,       ui_->controlCode,     ui_->prepared,       ui_->prepareButton,
        ui_->printButton, ui_->exitButton,
    };
    QLabel* const labels[] = {
        ui_->inputPathLabel,
        nullptr,
        ui_->formatKindLabel,
        ui_->delimiterLabel,
        ui_->paymentTypeLabel,
        ui_->paymentDateLabel,
        ui_->payerIbanLabel,
        ui_->payerBicLabel,
        ui_->payerNameLabel,
        ui_->paymentKindCodeLabel,
        ui_->budgetUnitCodeLabel,
        ui_->totalLabel,
        ui_->countLabel,
        ui_->controlCodeLabel,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
    };
    static_assert(std::size(ids) == std::size(widgets) && std::size(ids) == std::size(labels));
    for (std::size_t i = 0; i < std::size(ids); ++i) {
        controls_[ids[i]] = widgets[i];
        if (labels[i]) labels_[ids[i]] = labels[i];
    }
    applyControlTable();

    // On three lines ("Правила за", "плащания към", "бюджета:"), no wider than the labels above
    // it: a small screen has no room for a wider first column.
    std::string label(processing::budgetRulesLabel());
    for (const std::size_t blank : {label.find(' ', label.find(' ') + 1), label.rfind(' ')})
        label[blank] = '\n';
    ui_->budgetRulesLabel->setText(fromCp1251(label + ":"));
    for (const processing::BudgetRules rules :
         {processing::BudgetRules::before2023, processing::BudgetRules::from2023})
        ui_->budgetRules->addItem(fromCp1251(processing::budgetRulesText(rules)),
                                  static_cast<int>(rules));
    // The window's size is fixed: it is measured with the hint shown, which it then leaves out
    // until a list asks for it.
    ui_->budgetRulesHint->setText(fromCp1251(processing::laterBudgetRulesHint()));

    // The currency of the amounts follows the value date; its place is as wide as either
    // currency, the window's size being fixed.
    const auto showCurrency = [this](QDate date) {
        ui_->currencyLabel->setText(
            fromCp1251(window::currencyOfValueDate(date.year(), date.month(), date.day())));
    };
    const QFontMetrics currencyMetrics(ui_->currencyLabel->font());
    ui_->currencyLabel->setMinimumWidth(std::max(
        currencyMetrics.horizontalAdvance(fromCp1251(window::currencyOfValueDate(2026, 1, 1))),
        currencyMetrics.horizontalAdvance(fromCp1251(window::currencyOfValueDate(2025, 12, 31)))));
    connect(ui_->paymentDate, &QDateEdit::dateChanged, this, showCurrency);
    showCurrency(ui_->paymentDate->date());

    // A modal frame of fixed size, as wide as the Windows dialog (434 dialog units: a unit is a
    // quarter of the font's average character width) and as tall as its rows need.
    const int width = 434 * QFontMetrics(font()).averageCharWidth() / 4;
    setFixedSize(std::max(width, sizeHint().width()), sizeHint().height());
    keepOnScreen(*this);
    ui_->budgetRulesHint->clear();

    connect(ui_->browseButton, &QPushButton::clicked, this, [this] { command(window::idBrowse); });
    connect(ui_->prepareButton, &QPushButton::clicked, this,
            [this] { command(window::idPrepare); });
    connect(ui_->printButton, &QPushButton::clicked, this, [this] { command(window::idPrint); });
    connect(ui_->exitButton, &QPushButton::clicked, this, [this] { command(window::idCancel); });
    // Without a payment type chosen the box says what it wants instead of standing blank.
    ui_->paymentType->setPlaceholderText(fromCp1251(kNoPaymentTypePlaceholder));
    // Only the operator's choice is a selection change; the program's own selections are not.
    connect(ui_->paymentType, &QComboBox::activated, this,
            [this] { command(window::idPaymentType); });
    // Likewise only the operator's changes of the path; Enter there opens the typed list instead
    // of pressing "Подготовка" for the list shown before.
    connect(ui_->inputPath, &QLineEdit::textEdited, this, &MainWindow::pathEdited);
    connect(ui_->budgetRules, &QComboBox::activated, this,
            [this] { emit budgetRulesChosen(budgetRules()); });
    ui_->inputPath->installEventFilter(this);

    addKeyboardAccess(*this);

    // Where the window manager's menu cannot be reached, the About entry lives in the window's
    // context menu and on F1.
    auto* help = new QShortcut(QKeySequence::HelpContents, this);
    connect(help, &QShortcut::activated, this, &MainWindow::showAbout);
    addToSystemMenu();
}

MainWindow::~MainWindow() = default;

void MainWindow::addMenuBar() {
    menuBar_ = new QMenuBar(this);
    layout()->setMenuBar(menuBar_);
    std::map<window::MenuBarMenu, QMenu*> menus;
    for (const window::MenuBarEntry& entry : window::menuBarEntries()) {
        QMenu*& menu = menus[entry.menu];
        if (!menu) {
            // No Alt letter: Alt+Ф already reaches "Избор на файл:".
            menu = menuBar_->addMenu(fromCp1251(window::menuBarTitle(entry.menu)));
            connect(menu, &QMenu::aboutToShow, this, &MainWindow::refreshMenuBar);
        }
        if (entry.text.empty()) {
            menu->addSeparator();
            continue;
        }
        QAction* action = menu->addAction(fromCp1251(entry.text));
        if (!entry.shortcut.empty())
            action->setShortcut(QKeySequence(QString::fromLatin1(
                entry.shortcut.data(), static_cast<qsizetype>(entry.shortcut.size()))));
        menuBarActions_[entry.command] = action;
        if (entry.command == window::kAboutEntry) {
            connect(action, &QAction::triggered, this, &MainWindow::showAbout);
        } else {
            const auto id = static_cast<window::ControlId>(entry.command);
            connect(action, &QAction::triggered, this, [this, id] { command(id); });
        }
    }
    // The SEPA entry is there only for a window that offers the export.
    if (QAction* sepa = menuBarAction(window::idSepaExport)) sepa->setVisible(false);
    // The bank's answer is read by the same validator as the SEPA file is written with.
    if (QAction* answer = menuBarAction(window::idBankAnswer))
        answer->setVisible(output::sepaValidationAvailable());
    connect(ui_->prepared, &QAbstractButton::toggled, this, &MainWindow::refreshMenuBar);
    refreshMenuBar();
}

QAction* MainWindow::menuBarAction(int command) const {
    const auto it = menuBarActions_.find(command);
    return it == menuBarActions_.end() ? nullptr : it->second;
}

void MainWindow::refreshMenuBar() {
    if (QAction* undo = menuBarAction(window::idUndoPrepare))
        undo->setEnabled(ui_->prepared->isChecked());
    if (QAction* sepa = menuBarAction(window::idSepaExport)) {
        sepa->setVisible(static_cast<bool>(sepaExportAvailable_));
        sepa->setEnabled(sepaExportAvailable_ && sepaExportAvailable_());
    }
}

void MainWindow::applyControlTable() {
    setWindowTitle(fromCp1251(window::windowCaption()));
    ui_->controlGroup->setTitle(fromCp1251(window::controlGroupCaption()));

    for (const window::ControlInfo& info : window::controlsInTabOrder()) {
        QWidget* widget = control(info.id);
        if (!widget) continue;
        if (QLabel* l = label(info.id)) l->setText(fromCp1251(info.label));
        widget->setEnabled(info.enabled);
        switch (info.kind) {
            case window::ControlKind::edit:
            case window::ControlKind::readOnlyEdit: {
                auto* lineEdit = static_cast<QLineEdit*>(widget);
                lineEdit->setReadOnly(info.kind == window::ControlKind::readOnlyEdit);
                if (info.limit > 0) {
                    // Wide enough to show a value of the limit's length whole, up to an IBAN's
                    // 22 characters: a longer value (the company name) scrolls, as a small screen
                    // at a large scale has no room for more beside the labels.
                    const QFontMetrics metrics(lineEdit->font());
                    const int shown = std::min(info.limit, kWidestWholeValue);
                    lineEdit->setMinimumWidth(
                        metrics.horizontalAdvance(QString(shown + 1, QLatin1Char('W'))) * 3 / 4 +
                        12);
                }
                auto* validator = new LimitedTextValidator(lineEdit, info.limit);
                if (window::holdsPayerValue(info.id)) {
                    const std::string_view refused = window::headerBreakingCharacters();
                    validator->setRefusedCharacters(QString::fromLatin1(
                        refused.data(), static_cast<qsizetype>(refused.size())));
                }
                lineEdit->setValidator(validator);
                validators_[info.id] = validator;
                break;
            }
            case window::ControlKind::button:
            case window::ControlKind::defaultButton: {
                auto* button = static_cast<QPushButton*>(widget);
                button->setText(fromCp1251(info.text));
                button->setDefault(info.kind == window::ControlKind::defaultButton);
                break;
            }
            case window::ControlKind::checkBox:
                static_cast<QAbstractButton*>(widget)->setText(fromCp1251(info.text));
                break;
            case window::ControlKind::datePicker: {
                auto* date = static_cast<QDateEdit*>(widget);
                // Everything the operator reads is Bulgarian, the date and its calendar too,
                // whatever language the desktop speaks.
                const QLocale bulgarian(QLocale::Bulgarian, QLocale::Bulgaria);
                date->setLocale(bulgarian);
                date->setDisplayFormat(shortDateFormat(bulgarian));
                date->setCalendarPopup(true);
                // The earliest date the Windows date functions accept.
                date->setMinimumDate(QDate(1601, 1, 1));
                new DatePickerBehaviour(*date);
                markBankDays(*date->calendarWidget());
                break;
            }
            case window::ControlKind::dropDownList:
                break;
        }
    }
}

QWidget* MainWindow::control(int id) const {
    const auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

QLabel* MainWindow::label(int id) const {
    const auto it = labels_.find(id);
    return it == labels_.end() ? nullptr : it->second;
}

QLineEdit* MainWindow::edit(int id) const { return qobject_cast<QLineEdit*>(control(id)); }

LimitedTextValidator* MainWindow::validator(int id) const {
    const auto it = validators_.find(id);
    return it == validators_.end() ? nullptr : it->second;
}

QComboBox* MainWindow::budgetRulesBox() const { return ui_->budgetRules; }

QLabel* MainWindow::budgetRulesHintLabel() const { return ui_->budgetRulesHint; }

processing::BudgetRules MainWindow::budgetRules() const {
    return ui_->budgetRules->currentData().toInt() ==
                   static_cast<int>(processing::BudgetRules::from2023)
               ? processing::BudgetRules::from2023
               : processing::BudgetRules::before2023;
}

void MainWindow::showBudgetRules(processing::BudgetRules rules) {
    ui_->budgetRules->setCurrentIndex(ui_->budgetRules->findData(static_cast<int>(rules)));
}

void MainWindow::showBudgetRulesHint(const std::optional<std::string>& hint) {
    ui_->budgetRulesHint->setText(hint ? fromCp1251(*hint) : QString());
}

void MainWindow::setCommandHandler(std::function<void(window::ControlId)> handler) {
    handler_ = std::move(handler);
}

void MainWindow::command(window::ControlId id) {
    if (handler_) {
        handler_(id);
        refreshMenuBar();
        emit commandFinished();
    } else if (id == window::idCancel) {
        done(window::idCancel);
    }
}

// Escape and the close box end the window exactly as "Изход" does.
void MainWindow::reject() { command(window::idCancel); }

void MainWindow::showAbout() {
    AboutBox about(this);
    about.exec();
}

void MainWindow::setSepaExportAvailable(std::function<bool()> available) {
    sepaExportAvailable_ = std::move(available);
    refreshMenuBar();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->inputPath && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            command(window::idInputPath);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    if (sepaExportAvailable_) {
        QAction* sepa = menu.addAction(fromCp1251(window::sepaExportMenuText()));
        sepa->setEnabled(sepaExportAvailable_());
        connect(sepa, &QAction::triggered, this, [this] { command(window::idSepaExport); });
        menu.addSeparator();
    }
    // Offered while the tick says that the list shown is prepared; whether it can be put back is
    // the logic's to tell.
    QAction* undo = menu.addAction(fromCp1251(window::undoPrepareMenuText()));
    undo->setEnabled(ui_->prepared->isChecked());
    connect(undo, &QAction::triggered, this, [this] { command(window::idUndoPrepare); });
    menu.addSeparator();
    connect(menu.addAction(fromCp1251(window::aboutMenuText())), &QAction::triggered, this,
            &MainWindow::showAbout);
    menu.exec(event->globalPos());
}

#ifdef Q_OS_WIN
void MainWindow::addToSystemMenu() {
    HMENU systemMenu = GetSystemMenu(reinterpret_cast<HWND>(winId()), FALSE);
    if (!systemMenu) return;
    const std::wstring text = fromCp1251(window::aboutMenuText()).toStdWString();
    if (text.empty()) return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, window::kAboutCommand, text.c_str());
}

bool MainWindow::nativeEvent(const QByteArray& eventType, void* message, qintptr* result) {
    const MSG* msg = static_cast<const MSG*>(message);
    // The low four bits of a system command are the system's own; only the rest names it.
    if (msg->message == WM_SYSCOMMAND && (msg->wParam & 0xFFF0) == window::kAboutCommand) {
        showAbout();
        *result = 0;
        return true;
    }
    return QDialog::nativeEvent(eventType, message, result);
}
#else
void MainWindow::addToSystemMenu() {}
#endif

}  // namespace velcor::app
