#pragma once

// A value date the bank may refuse (a day gone by, a weekend, a holiday), which "Подготовка" asks
// about before it writes: the window asks whether to go on, velcor-cli warns and goes on.

#include "processing/BankCalendar.h"
#include "processing/DateTime.h"
#include "session/Messages.h"

#include <optional>
#include <string>

namespace velcor::session {

struct ValueDateWarning {
    processing::ValueDateProblem problem = processing::ValueDateProblem::none;
    // What the date is (Windows-1251): "Датата на МП (25.12.2026) е празник в България (Коледа)."
    std::string text;
    // The first day from it on that the bank takes, offered in its place; nothing for a date too
    // far ahead.
    std::optional<processing::CalendarDate> nextBankDay;
    friend bool operator==(const ValueDateWarning&, const ValueDateWarning&) = default;
};

// What is wrong with `date` as a value date on the day of `now`; nothing for a date the bank
// takes, or no date at all.
std::optional<ValueDateWarning> valueDateWarning(const processing::LocalDateTime& date,
                                                 const processing::LocalDateTime& now);

// The question it asks: its text and " Да продължа ли?".
// The answer that takes the next bank day instead, "Следващ работен ден (дд.мм.гггг)" with that
// day; nothing when there is none to offer.
ShownMessage valueDateQuestion(const ValueDateWarning& warning);
std::optional<std::string> nextBankDayChoice(const ValueDateWarning& warning);

}  // namespace velcor::session
