#include "processing/BankCalendar.h"

#include "text/Cp1251.h"

#include <array>
#include <chrono>
#include <optional>
#include <vector>

namespace velcor::processing {

using namespace velcor::text::literals;

namespace {

namespace chr = std::chrono;

chr::sys_days daysOf(const CalendarDate& date) {
    return chr::sys_days{chr::year_month_day{chr::year{date.year},
                                             chr::month{static_cast<unsigned>(date.month)},
                                             chr::day{static_cast<unsigned>(date.day)}}};
}

CalendarDate dateOf(chr::sys_days days) {
    const chr::year_month_day ymd{days};
    return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
            static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

CalendarDate addDays(const CalendarDate& date, int days) {
    return dateOf(daysOf(date) + chr::days{days});
}

chr::weekday weekdayOf(const CalendarDate& date) { return chr::weekday{daysOf(date)}; }

bool isWeekend(const CalendarDate& date) {
    const chr::weekday day = weekdayOf(date);
    return day == chr::Saturday || day == chr::Sunday;
}

struct NamedDay {
    CalendarDate date;
    std::string_view name;
};

struct FixedDay {
    int month;
    int day;
    std::string_view name;
};

// In date order, which the moving of holidays off weekends relies on.
constexpr std::array kBulgarianFixedHolidays = {
    FixedDay{1, 1, "Нова година"_cp},
    FixedDay{3, 3, "Ден на Освобождението"_cp},
    FixedDay{5, 1, "Ден на труда"_cp},
    FixedDay{5, 6, "Гергьовден"_cp},
    FixedDay{5, 24, "Ден на българската азбука, просвета и култура"_cp},
    FixedDay{9, 6, "Ден на Съединението"_cp},
    FixedDay{9, 22, "Ден на Независимостта"_cp},
    FixedDay{12, 24, "Бъдни вечер"_cp},
    FixedDay{12, 25, "Коледа"_cp},
    FixedDay{12, 26, "Коледа"_cp},
};

constexpr std::array kTarget2FixedClosings = {
    FixedDay{1, 1, "Нова година"_cp},
    FixedDay{5, 1, "Ден на труда"_cp},
    FixedDay{12, 25, "Коледа"_cp},
    FixedDay{12, 26, "Коледа"_cp},
};

// Bulgaria's public holidays of a year, and the days off its fixed holidays moved to.
struct BulgarianYear {
    std::vector<NamedDay> holidays;
    std::vector<NamedDay> movedTo;  // named after the holiday they stand for
};

std::optional<std::string_view> nameOn(const std::vector<NamedDay>& days,
                                       const CalendarDate& date) {
    for (const NamedDay& named : days)
        if (named.date == date) return named.name;
    return std::nullopt;
}

BulgarianYear bulgarianYear(int year) {
    BulgarianYear out;
    for (const FixedDay& fixed : kBulgarianFixedHolidays)
        out.holidays.push_back({{year, fixed.month, fixed.day}, fixed.name});
    const CalendarDate easter = orthodoxEaster(year);
    out.holidays.push_back({addDays(easter, -2), "Разпети петък"_cp});
    out.holidays.push_back({addDays(easter, -1), "Велика събота"_cp});
    out.holidays.push_back({easter, "Великден"_cp});
    out.holidays.push_back({addDays(easter, 1), "Великден"_cp});
    for (const FixedDay& fixed : kBulgarianFixedHolidays) {
        const CalendarDate date{year, fixed.month, fixed.day};
        if (!isWeekend(date)) continue;
        CalendarDate off = addDays(date, 1);
        while (isWeekend(off) || nameOn(out.holidays, off) || nameOn(out.movedTo, off))
            off = addDays(off, 1);
        out.movedTo.push_back({off, fixed.name});
    }
    return out;
}

std::optional<std::string_view> target2Closing(const CalendarDate& date) {
    for (const FixedDay& fixed : kTarget2FixedClosings)
        if (date.month == fixed.month && date.day == fixed.day) return fixed.name;
    const CalendarDate easter = westernEaster(date.year);
    if (date == addDays(easter, -2)) return "католически Разпети петък"_cp;
    if (date == addDays(easter, 1)) return "католически Великденски понеделник"_cp;
    return std::nullopt;
}

std::string described(std::string_view what, std::string_view name) {
    return std::string(what) + " (" + std::string(name) + ")";
}

}  // namespace

CalendarDate westernEaster(int year) {
    // The anonymous Gregorian algorithm (Meeus, Jones, Butcher).
    const int a = year % 19;
    const int b = year / 100;
    const int c = year % 100;
    const int d = b / 4;
    const int e = b % 4;
    const int f = (b + 8) / 25;
    const int g = (b - f + 1) / 3;
    const int h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4;
    const int k = c % 4;
    const int l = (32 + 2 * e + 2 * i - h - k) % 7;
    const int m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31;
    const int day = (h + l - 7 * m + 114) % 31 + 1;
    return {year, month, day};
}

CalendarDate orthodoxEaster(int year) {
    // Meeus's Julian algorithm gives the date in the Julian calendar.
    const int a = year % 4;
    const int b = year % 7;
    const int c = year % 19;
    const int d = (19 * c + 15) % 30;
    const int e = (2 * a + 4 * b - d + 34) % 7;
    const int month = (d + e + 114) / 31;
    const int day = (d + e + 114) % 31 + 1;
    // The Julian calendar falls behind the Gregorian by a day in every century year that is no
    // multiple of 400; Easter (March or April) is past any 29 February, so the century counts
    // from its own year.
    const int lag = year / 100 - year / 400 - 2;
    return addDays({year, month, day}, lag);
}

ValueDateReading readValueDate(const CalendarDate& date, const CalendarDate& today) {
    if (date < today) return {ValueDateProblem::inThePast, std::string("в миналото"_cp)};
    if (daysOf(date) - daysOf(today) > chr::days{kMaxDaysAhead})
        return {ValueDateProblem::farAhead, std::string("след повече от 90 дни"_cp)};
    const chr::weekday weekday = weekdayOf(date);
    if (weekday == chr::Saturday) return {ValueDateProblem::saturday, std::string("събота"_cp)};
    if (weekday == chr::Sunday) return {ValueDateProblem::sunday, std::string("неделя"_cp)};
    const BulgarianYear bulgarian = bulgarianYear(date.year);
    if (const auto name = nameOn(bulgarian.holidays, date))
        return {ValueDateProblem::publicHoliday, described("празник в България"_cp, *name)};
    if (const auto name = nameOn(bulgarian.movedTo, date))
        return {ValueDateProblem::movedHoliday,
                described("неработен ден в България"_cp,
                          std::string("вместо "_cp) + std::string(*name))};
    if (const auto name = target2Closing(date))
        return {ValueDateProblem::target2Closed, described("неработен ден на TARGET2"_cp, *name)};
    return {};
}

std::optional<CalendarDate> nextBankDay(const CalendarDate& date, const CalendarDate& today) {
    // Holidays and the days off after them never run for more than a few days together; the
    // search ends where the dates become too far ahead in any case.
    for (CalendarDate day = date < today ? today : date;; day = addDays(day, 1)) {
        const ValueDateProblem problem = readValueDate(day, today).problem;
        if (problem == ValueDateProblem::none) return day;
        if (problem == ValueDateProblem::farAhead) return std::nullopt;
    }
}

std::string_view valueDateProblemName(ValueDateProblem problem) {
    switch (problem) {
        case ValueDateProblem::none:
            return "none";
        case ValueDateProblem::inThePast:
            return "in-the-past";
        case ValueDateProblem::farAhead:
            return "far-ahead";
        case ValueDateProblem::saturday:
            return "saturday";
        case ValueDateProblem::sunday:
            return "sunday";
        case ValueDateProblem::publicHoliday:
            return "public-holiday";
        case ValueDateProblem::movedHoliday:
            return "moved-holiday";
        case ValueDateProblem::target2Closed:
            return "target2-closed";
    }
    return {};
}

}  // namespace velcor::processing
