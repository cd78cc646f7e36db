#include "app/gui/KeyboardAccess.h"

#include "app/gui/MainWindow.h"
#include "window/ControlIds.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeySequence>
#include <QLabel>
#include <QShortcut>
#include <QWidget>

#include <functional>

namespace velcor::app {

namespace {

// Alt with a letter of the label or the button, a Cyrillic one where the text is Bulgarian, and
// the letter of the same key on the phonetic layout, for an operator whose Latin layout is on. No
// two controls share a key on either layout, so that a layout's fallback never reaches two.
struct AltKey {
    window::ControlId id;
    char16_t letter;  // underlined in the text
    char16_t otherLayout;
};
constexpr AltKey kAltKeys[] = {
    {window::idInputPath, u'Ф', u'F'},      {window::idDelimiter, u'Р', u'R'},
    {window::idPaymentType, u'В', u'W'},    {window::idPaymentDate, u'Д', u'D'},
    {window::idPayerIban, u'A', u'А'},      {window::idPayerBic, u'C', u'Ц'},
    {window::idPayerName, u'М', u'M'},      {window::idPaymentKindCode, u'Л', u'L'},
    {window::idBudgetUnitCode, u'К', u'K'}, {window::idTotal, u'О', u'O'},
    {window::idCount, u'Б', u'B'},          {window::idControlCode, u'Н', u'N'},
    {window::idPrepare, u'П', u'P'},        {window::idPrint, u'Е', u'E'},
    {window::idCancel, u'И', u'I'},
};

// The rules for payments to the budget: "З" of "за", which no control of the table uses.
constexpr char16_t kBudgetRulesKey = u'З';
constexpr char16_t kBudgetRulesOtherLayout = u'Z';

QKeySequence altWith(char16_t letter) {
    return QKeySequence(
        QKeyCombination(Qt::AltModifier, Qt::Key(QChar(letter).toUpper().unicode())));
}

// A key of the other layout: where the platform also offers it as the fallback of the key
// pressed, both shortcuts match and Qt calls them ambiguous; each reaches the same control.
void addOtherLayoutKey(QWidget& window, char16_t letter, QWidget* target,
                       const std::function<void()>& act) {
    auto* shortcut = new QShortcut(altWith(letter), &window);
    QObject::connect(shortcut, &QShortcut::activated, target, act);
    QObject::connect(shortcut, &QShortcut::activatedAmbiguously, target, act);
}

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
        // The text's own "&" gives the underline and Qt's key for the shown letter: a button's
        // presses it, a label's puts the focus in its box.
        if (auto* button = qobject_cast<QAbstractButton*>(target)) {
            button->setText(withAltKey(button->text(), QChar(key.letter)));
            addOtherLayoutKey(window, key.otherLayout, button, [button] {
                if (button->isEnabled()) button->click();
            });
            continue;
        }
        if (QLabel* label = window.label(key.id)) {
            label->setText(withAltKey(label->text(), QChar(key.letter)));
            label->setBuddy(target);
        }
        addOtherLayoutKey(window, key.otherLayout, target, [target] {
            if (target->isEnabled()) target->setFocus(Qt::ShortcutFocusReason);
        });
    }

    // The rules are chosen seldom, and once for good: Tab goes round the controls of every list
    // and passes over them; Alt reaches them, and the arrows then choose.
    if (QComboBox* rules = window.budgetRulesBox()) {
        rules->setFocusPolicy(Qt::ClickFocus);
        if (auto* label = window.findChild<QLabel*>(QStringLiteral("budgetRulesLabel"))) {
            label->setText(withAltKey(label->text(), QChar(kBudgetRulesKey)));
            label->setBuddy(rules);
        }
        addOtherLayoutKey(window, kBudgetRulesOtherLayout, rules,
                          [rules] { rules->setFocus(Qt::ShortcutFocusReason); });
    }
}

QString withAltKey(const QString& text, QChar letter) {
    QString marked = text;
    marked.replace(QLatin1Char('&'), QStringLiteral("&&"));
    const qsizetype at = marked.indexOf(letter, 0, Qt::CaseInsensitive);
    if (at >= 0) marked.insert(at, QLatin1Char('&'));
    return marked;
}

}  // namespace velcor::app
