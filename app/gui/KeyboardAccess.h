#pragma once

// The main window's keyboard: Tab passes over the boxes that only show a value and the rules for
// payments to the budget, and every label and button has an Alt key, underlined in its text,
// which also works at the same place on the keyboard while a Latin layout is active.

#include <QString>

namespace velcor::app {

class MainWindow;

void addKeyboardAccess(MainWindow& window);

// `text` with its Alt key `letter` marked for Qt ("&" before its first occurrence, either case;
// any "&" of the text itself doubled); the text unchanged but for that when it lacks the letter.
QString withAltKey(const QString& text, QChar letter);

}  // namespace velcor::app
