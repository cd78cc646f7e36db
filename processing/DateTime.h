#pragma once

// The value date as the date control holds it: a local date and time with a validity flag.

namespace velcor::processing {

struct LocalDateTime {
    int year = 2000;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool valid = true;
    friend bool operator==(const LocalDateTime&, const LocalDateTime&) = default;
};

// Whether day, month and year form a date of the Gregorian calendar (years 1601-9999, as the
// Windows date functions accept them).
bool isValidDate(int day, int month, int year);

// 0 = Sunday ... 6 = Saturday, for a valid date.
int dayOfWeek(int day, int month, int year);

// The current local date and time.
LocalDateTime currentLocalDateTime();

}  // namespace velcor::processing
