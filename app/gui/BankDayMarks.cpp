#include "app/gui/BankDayMarks.h"

#include "processing/BankCalendar.h"

#include <QBrush>
#include <QCalendarWidget>
#include <QColor>
#include <QDate>
#include <QTextCharFormat>

namespace velcor::app {

namespace {

void markPage(QCalendarWidget& calendar, int year, int month) {
    // The page shows some days of the months on either side.
    const QDate first = QDate(year, month, 1).addDays(-7);
    const QDate last = QDate(year, month, 1).addMonths(1).addDays(14);
    for (QDate date = first; date <= last; date = date.addDays(1)) {
        const processing::CalendarDate day{date.year(), date.month(), date.day()};
        // Read against itself: neither gone by nor far ahead, only what the day is.
        const processing::ValueDateProblem problem = processing::readValueDate(day, day).problem;
        QTextCharFormat format;
        switch (problem) {
            case processing::ValueDateProblem::publicHoliday:
            case processing::ValueDateProblem::movedHoliday:
                format.setForeground(QBrush(QColor(0xc0, 0x10, 0x10)));
                format.setFontWeight(QFont::Bold);
                break;
            case processing::ValueDateProblem::target2Closed:
                format.setForeground(QBrush(QColor(0xd0, 0x70, 0x00)));
                format.setFontWeight(QFont::Bold);
                break;
            default:
                // Left to the calendar's own look (weekends red, the rest plain).
                if (calendar.dateTextFormat(date).fontWeight() != QFont::Bold) continue;
                break;
        }
        calendar.setDateTextFormat(date, format);
    }
}

}  // namespace

void markBankDays(QCalendarWidget& calendar) {
    markPage(calendar, calendar.yearShown(), calendar.monthShown());
    QObject::connect(&calendar, &QCalendarWidget::currentPageChanged, &calendar,
                     [&calendar](int year, int month) { markPage(calendar, year, month); });
}

}  // namespace velcor::app
