#include "processing/DateTime.h"

#include "fileio/LocalTime.h"

#include <chrono>
#include <ctime>

namespace velcor::processing {

bool isValidDate(int day, int month, int year) {
    if (year < 1601 || year > 9999 || month < 1 || month > 12 || day < 1) return false;
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const int last = month == 2 && leap ? 29 : kDays[month - 1];
    return day <= last;
}

int dayOfWeek(int day, int month, int year) {
    const std::chrono::year_month_day ymd{std::chrono::year{year},
                                          std::chrono::month{static_cast<unsigned>(month)},
                                          std::chrono::day{static_cast<unsigned>(day)}};
    return static_cast<int>(std::chrono::weekday{std::chrono::sys_days{ymd}}.c_encoding());
}

LocalDateTime currentLocalDateTime() {
    const std::tm local = fileio::localTime(std::time(nullptr));
    return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                         local.tm_min,         local.tm_sec,     true};
}

}  // namespace velcor::processing
