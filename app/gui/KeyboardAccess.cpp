#include "app/gui/KeyboardAccess.h"

#include "app/gui/MainWindow.h"
#include "window/ControlIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeySequence>
#include <QShortcut>
#include <QWidget>

namespace velcor::app {

namespace {

// Alt with a letter of the label or the button, a Cyrillic one where the text is Bulgarian. No
// Latin letter is one that a Cyrillic letter of the table shares a key with on the phonetic
// layout, so that a layout's Latin fallback never reaches two controls.
struct AltKey {
    window::ControlId id;
    char16_t letter;
};
constexpr AltKey kAltKeys[] = {
    {window::idInputPath, u'Ф'},      {window::idDelimiter, u'Р'},
    {window::idPaymentType, u'В'},    {window::idPaymentDate, u'Д'},
    {window::idPayerIban, u'A'},      {window::idPayerBic, u'C'},
    {window::idPayerName, u'М'},      {window::idPaymentKindCode, u'Л'},
    {window::idBudgetUnitCode, u'К'}, {window::idTotal, u'О'},
    {window::idCount, u'Б'},          {window::idControlCode, u'Н'},
    {window::idPrepare, u'П'},        {window::idPrint, u'Е'},
    {window::idCancel, u'И'},
};

// The rules for payments to the budget: "З" of "за", which no control of the table uses.
constexpr char16_t kBudgetRulesKey = u'З';

// Shown, not worked: Tab passes over them; a click still reaches them, to copy a value.
constexpr window::ControlId kShownOnly[] = {window::idDelimiter, window::idTotal, window::idCount,
                                            window::idControlCode};

}  // namespace

void addKeyboardAccess(MainWindow& window) {
    for (const window::ControlId id : kShownOnly)
        if (QWidget* widget = window.control(id)) widget->setFocusPolicy(Qt::ClickFocus);
    // The tick is the program's own: nothing to do there.
    if (QWidget* tick = window.control(window::idPrepared)) tick->setFocusPolicy(Qt::NoFocus);

    for (const AltKey& key : kAltKeys) {
        QWidget* target = window.control(key.id);
        if (!target) continue;
        auto* shortcut = new QShortcut(
            QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(key.letter))), &window);
        if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            QObject::connect(shortcut, &QShortcut::activated, button, [button] {
                if (button->isEnabled()) button->click();
            });
        } else {
            QObject::connect(shortcut, &QShortcut::activated, target, [target] {
                if (target->isEnabled()) target->setFocus(Qt::ShortcutFocusReason);
            });
        }
    }

    // The rules are chosen seldom, and once for good: Tab goes round the controls of every list
    // and passes over them; Alt reaches them, and the arrows then choose.
    if (QComboBox* rules = window.budgetRulesBox()) {
        rules->setFocusPolicy(Qt::ClickFocus);
        auto* shortcut = new QShortcut(
            QKeySequence(QKeyCombination(Qt::AltModifier, Qt::Key(kBudgetRulesKey))), &window);
        QObject::connect(shortcut, &QShortcut::activated, rules,
                         [rules] { rules->setFocus(Qt::ShortcutFocusReason); });
    }
}

}  // namespace velcor::app
