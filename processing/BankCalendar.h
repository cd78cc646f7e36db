#pragma once

// The days a bank will not take as a value date: days gone by, Saturdays and Sundays, Bulgaria's
// public holidays and the days TARGET2 is closed. Easter is computed for every year, the Western
// one by the Gregorian computus and the Orthodox one by the Julian computus, given as its date in
// the Gregorian calendar.
//
// Bulgaria's holidays are today's list, taken for every year: 1 January, 3 March, 1 May, 6 May,
// 24 May, 6 September, 22 September, 24 to 26 December, and Orthodox Good Friday to Easter Monday.
// A fixed holiday that falls on a Saturday or a Sunday makes the first working day after it a day
// off: the fixed holidays of a year are taken in date order and each one moves to the first day
// after it that is no Saturday, Sunday, holiday or day off already, so that 24-26 December over a
// weekend gives as many days off after it, and 1 or 6 May on Holy Saturday or Easter Sunday moves
// past Easter Monday. A holiday on a weekday moves nothing (6 May on Easter Monday is one day off).
// The Easter holidays themselves never move. Days that the government declares off or working
// for a single year are not known here.

#include <compare>
#include <optional>
#include <string>
#include <string_view>

namespace velcor::processing {

struct CalendarDate {
    int year = 0;
    int month = 0;
    int day = 0;
    friend auto operator<=>(const CalendarDate&, const CalendarDate&) = default;
};

// Easter Sunday of `year` (1583 or later), as a date of the Gregorian calendar.
CalendarDate westernEaster(int year);
CalendarDate orthodoxEaster(int year);

// What makes a date a value date the bank may refuse, in the order they are looked for.
enum class ValueDateProblem {
    none,
    inThePast,
    saturday,
    sunday,
    publicHoliday,  // a public holiday in Bulgaria
    movedHoliday,   // the day off for a fixed holiday that fell on a weekend
    target2Closed,  // a day TARGET2 settles nothing (Western Good Friday, Easter Monday)
    farAhead,       // more than kMaxDaysAhead days after today: most likely a typing slip
};

// The furthest a value date may lie ahead before it is asked about.
inline constexpr int kMaxDaysAhead = 90;

struct ValueDateReading {
    ValueDateProblem problem = ValueDateProblem::none;
    // What the date is, for the operator (Windows-1251): "в миналото", "събота",
    // "празник в България (Коледа)"; empty for none.
    std::string description;
};

// What is wrong with `date` (a valid date) as a value date on `today`: the first problem of the
// order above, or none.
ValueDateReading readValueDate(const CalendarDate& date, const CalendarDate& today);

// The first value date from `date` on (from `today` on when `date` is gone by) that the bank
// takes: no problem of the order above. Nothing for a date too far ahead to have one.
std::optional<CalendarDate> nextBankDay(const CalendarDate& date, const CalendarDate& today);

// The problem as scripts read it: "in-the-past", "public-holiday", ...
std::string_view valueDateProblemName(ValueDateProblem problem);

}  // namespace velcor::processing
