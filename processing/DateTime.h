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

// Whether amounts on that day are in euro: Bulgaria pays in euro since 1 January 2026, in leva
// before.
constexpr bool isEuroDate(int year, int month, int day) {
    return year * 10000 + month * 100 + day >= 2026'01'01;
}

// 0 = Sunday ... 6 = Saturday, for a valid date.
int dayOfWeek(int day, int month, int year);

// The current local date and time.
LocalDateTime currentLocalDateTime();

}  // namespace velcor::processing
