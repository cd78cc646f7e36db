#pragma once

// The main window's keyboard: Tab passes over the boxes that only show a value and the rules for
// payments to the budget, and every label and button has an Alt key, with the texts as they are
// (no "&" in them, no underline).

namespace velcor::app {

class MainWindow;

void addKeyboardAccess(MainWindow& window);

}  // namespace velcor::app
