#pragma once

// The main window's widgets: the form of resources/forms/MainWindow.ui given the texts, kinds and
// limits of the window's control table, with one map from control id to widget. What the
// controls do is decided by the window logic; this class only passes the operator's commands on.

#include "processing/BudgetRules.h"
#include "window/ControlIds.h"

#include <QDialog>

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QAction;
class QLabel;
class QLineEdit;
class QMenuBar;

namespace Ui {
class MainWindow;
}

namespace velcor::app {

class LimitedTextValidator;

class MainWindow : public QDialog {
    Q_OBJECT

  public:
    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The widget of a control id, and the label in front of it; nullptr for none.
    QWidget* control(int id) const;
    QLabel* label(int id) const;
    // The edit of an id and its validator; nullptr when the id is no edit.
    QLineEdit* edit(int id) const;
    LimitedTextValidator* validator(int id) const;

    // Receives the button clicks, the payment-type choices, Enter in the path edit (its id) and
    // the cancel command (button "Изход", Escape, the close box). Without a handler the cancel
    // command ends the window.
    void setCommandHandler(std::function<void(window::ControlId)> handler);
    // Puts "Запис като SEPA XML..." into the context menu, enabled while `available` says so;
    // its command goes to the command handler. A window without it has no such entry.
    void setSepaExportAvailable(std::function<bool()> available);

    // The choice "Правила за плащания към бюджета" beside the payment type, and the line beside
    // it that says that newer rules exist than those the list open was checked by. They are the
    // operator's own setting, not a control of the window's table.
    QComboBox* budgetRulesBox() const;
    QLabel* budgetRulesHintLabel() const;
    processing::BudgetRules budgetRules() const;
    // Shows `rules` as chosen; the program's own selection is no choice of the operator's.
    void showBudgetRules(processing::BudgetRules rules);
    // Windows-1251; nothing empties the line.
    void showBudgetRulesHint(const std::optional<std::string>& hint);

    // The About box, modal over this window.
    void showAbout();

    // The menu bar ("Файл", "Помощ"), and the entry of a command id in it (kAboutEntry: the
    // About box); nullptr for none.
    QMenuBar* menuBar() const { return menuBar_; }
    QAction* menuBarAction(int command) const;

  public slots:
    void reject() override;

  signals:
    // A command has been handled to its end, with every message and window it opened.
    void commandFinished();
    // The operator changed the text of the path edit (typing, pasting, undoing).
    void pathEdited();
    // The operator chose rules for payments to the budget.
    void budgetRulesChosen(processing::BudgetRules rules);

  protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
#ifdef Q_OS_WIN
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
#endif

  private:
    void applyControlTable();
    void addToSystemMenu();
    void addMenuBar();
    // Enables the entries that depend on the list shown: undo while the tick says it is
    // prepared, the SEPA export while the logic says a list is checked clean.
    void refreshMenuBar();
    void command(window::ControlId id);

    std::unique_ptr<Ui::MainWindow> ui_;
    std::map<int, QWidget*> controls_;
    std::map<int, QLabel*> labels_;
    std::map<int, LimitedTextValidator*> validators_;
    std::function<void(window::ControlId)> handler_;
    std::function<bool()> sepaExportAvailable_;
    QMenuBar* menuBar_ = nullptr;
    std::map<int, QAction*> menuBarActions_;
};

}  // namespace velcor::app
