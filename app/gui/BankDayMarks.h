#pragma once

// The value-date calendar marks the days a bank takes no payment on besides the weekends it
// shows already: Bulgaria's public holidays (and the days off they move to) in the weekend's red,
// and the days TARGET2 is closed in orange, both in bold.

class QCalendarWidget;

namespace velcor::app {

// Marks the page the calendar shows, and every page it turns to.
void markBankDays(QCalendarWidget& calendar);

}  // namespace velcor::app
