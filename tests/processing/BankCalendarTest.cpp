#include "processing/BankCalendar.h"

#include "text/Cp1251.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

namespace velcor::processing {
namespace {

using namespace velcor::text::literals;
using Problem = ValueDateProblem;

std::string isoDate(const CalendarDate& date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

// The reference, tests/data/calendar/easter.txt, is what ncal -e and ncal -o print (its script,
// make-easter, says how it was made).
TEST(BankCalendar, EasterOfEveryYearFrom1990To2100IsNcals) {
    std::ifstream reference(std::string(VELCOR_TEST_DATA_DIR) + "/calendar/easter.txt");
    ASSERT_TRUE(reference);
    int years = 0;
    for (std::string line; std::getline(reference, line); ++years) {
        std::istringstream fields(line);
        int year = 0;
        std::string western, orthodox;
        fields >> year >> western >> orthodox;
        EXPECT_EQ(isoDate(westernEaster(year)), western) << year;
        EXPECT_EQ(isoDate(orthodoxEaster(year)), orthodox) << year;
    }
    EXPECT_EQ(years, 2100 - 1990 + 1);
}

TEST(BankCalendar, ReadsWhatIsWrongWithAValueDate) {
    const struct {
        CalendarDate date;
        Problem problem;
        std::string description;
    } cases[] = {
        {{2026, 6, 9}, Problem::none, ""},  // a Tuesday
        {{2026, 3, 3}, Problem::publicHoliday, "празник в България (Ден на Освобождението)"_cp},
        {{2026, 12, 25}, Problem::publicHoliday, "празник в България (Коледа)"_cp},
        {{2026, 9, 22}, Problem::publicHoliday, "празник в България (Ден на Независимостта)"_cp},
        {{2026, 12, 26}, Problem::saturday, "събота"_cp},  // a holiday too: the weekend comes first
        {{2026, 12, 27}, Problem::sunday, "неделя"_cp},
        // Orthodox Easter 2026 is 12 April; the Western one is 5 April.
        {{2026, 4, 10}, Problem::publicHoliday, "празник в България (Разпети петък)"_cp},
        {{2026, 4, 13}, Problem::publicHoliday, "празник в България (Великден)"_cp},
        {{2026, 4, 14}, Problem::none, ""},
        {{2026, 4, 3},
         Problem::target2Closed,
         "неработен ден на TARGET2 (католически Разпети петък)"_cp},
        {{2026, 4, 6},
         Problem::target2Closed,
         "неработен ден на TARGET2 (католически Великденски понеделник)"_cp},
        // Fixed holidays on a weekend, and the days off after them.
        {{2022, 1, 3}, Problem::movedHoliday, "неработен ден в България (вместо Нова година)"_cp},
        {{2020, 9, 7},
         Problem::movedHoliday,
         "неработен ден в България (вместо Ден на Съединението)"_cp},
        // 24 and 25 December 2022 on Saturday and Sunday, 26 on Monday: two days off after them.
        {{2022, 12, 26}, Problem::publicHoliday, "празник в България (Коледа)"_cp},
        {{2022, 12, 27}, Problem::movedHoliday, "неработен ден в България (вместо Бъдни вечер)"_cp},
        {{2022, 12, 28}, Problem::movedHoliday, "неработен ден в България (вместо Коледа)"_cp},
        {{2022, 12, 29}, Problem::none, ""},
        // 24 December 2021 on Friday, 25 and 26 on the weekend.
        {{2021, 12, 27}, Problem::movedHoliday, "неработен ден в България (вместо Коледа)"_cp},
        {{2021, 12, 28}, Problem::movedHoliday, "неработен ден в България (вместо Коледа)"_cp},
        // 24 December 2023 on Sunday: one day off after 25 and 26.
        {{2023, 12, 27}, Problem::movedHoliday, "неработен ден в България (вместо Бъдни вечер)"_cp},
        {{2023, 12, 28}, Problem::none, ""},
        // 1 May 2021 on Holy Saturday: the day off comes after Easter Monday.
        {{2021, 5, 3}, Problem::publicHoliday, "празник в България (Великден)"_cp},
        {{2021, 5, 4}, Problem::movedHoliday, "неработен ден в България (вместо Ден на труда)"_cp},
        // 6 May 2040 on Easter Sunday.
        {{2040, 5, 8}, Problem::movedHoliday, "неработен ден в България (вместо Гергьовден)"_cp},
        // 6 May 2024 on Easter Monday, a weekday: nothing moves.
        {{2024, 5, 6}, Problem::publicHoliday, "празник в България (Гергьовден)"_cp},
        {{2024, 5, 7}, Problem::none, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(isoDate(c.date));
        // Asked on the day itself: neither in the past nor far ahead.
        const ValueDateReading reading = readValueDate(c.date, c.date);
        EXPECT_EQ(reading.problem, c.problem) << valueDateProblemName(reading.problem);
        EXPECT_EQ(reading.description, c.description) << text::toUtf8(reading.description);
    }
}

TEST(BankCalendar, ADayBeforeTodayIsInThePastWhateverElseItIs) {
    const CalendarDate today{2026, 5, 21};
    EXPECT_EQ(readValueDate({2026, 5, 21}, today).problem, Problem::none);
    for (const CalendarDate past : {CalendarDate{2026, 5, 20}, CalendarDate{2006, 12, 8},
                                    CalendarDate{2025, 12, 25}, CalendarDate{2026, 5, 17}}) {
        SCOPED_TRACE(isoDate(past));
        const ValueDateReading reading = readValueDate(past, today);
        EXPECT_EQ(reading.problem, Problem::inThePast);
        EXPECT_EQ(reading.description, std::string("в миналото"_cp));
    }
}

// Further ahead than a quarter of a year is most likely a slip of the year or the month; up to it
// the day's own problem is told.
TEST(BankCalendar, MoreThanNinetyDaysAheadIsAskedAboutFirst) {
    const CalendarDate today{2026, 12, 9};
    const struct {
        CalendarDate date;
        Problem problem;
    } cases[] = {
        {{2027, 3, 9}, Problem::none},        // 90 days ahead, a Tuesday
        {{2027, 3, 10}, Problem::farAhead},   // 91
        {{2027, 12, 9}, Problem::farAhead},   // a year, the usual slip
        {{2027, 3, 6}, Problem::saturday},    // within the 90 days
        {{2027, 12, 25}, Problem::farAhead},  // a holiday too, but far ahead first
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(isoDate(c.date));
        const ValueDateReading reading = readValueDate(c.date, today);
        EXPECT_EQ(reading.problem, c.problem) << valueDateProblemName(reading.problem);
        if (c.problem == Problem::farAhead) {
            EXPECT_EQ(reading.description, std::string("след повече от 90 дни"_cp));
        }
    }
}

// The day offered instead of one the bank would refuse: the first that passes, past weekends,
// holidays and the days off after them, counted from today for a day gone by.
TEST(BankCalendar, TheNextBankDayIsTheFirstThatPasses) {
    const CalendarDate today{2026, 12, 9};  // a Wednesday
    struct Case {
        CalendarDate date;
        std::optional<CalendarDate> next;
    } cases[] = {
        {{2026, 12, 10}, CalendarDate{2026, 12, 10}},  // a working day is its own
        {{2026, 12, 12}, CalendarDate{2026, 12, 14}},  // Saturday: the Monday after
        {{2026, 12, 24}, CalendarDate{2026, 12, 29}},  // Christmas, the weekend, the 26th off
        {{2027, 1, 1}, CalendarDate{2027, 1, 4}},      // New Year, then a weekend
        {{2026, 11, 3}, CalendarDate{2026, 12, 9}},    // gone by: today, a working day
        {{2027, 12, 9}, std::nullopt},                 // too far ahead to offer any
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(isoDate(c.date));
        EXPECT_EQ(nextBankDay(c.date, today), c.next);
        if (c.next) {
            EXPECT_EQ(readValueDate(*c.next, today).problem, Problem::none);
        }
    }
    // A Saturday today: a day gone by gets the Monday.
    EXPECT_EQ(nextBankDay({2026, 12, 1}, {2026, 12, 12}), (CalendarDate{2026, 12, 14}));
}

}  // namespace
}  // namespace velcor::processing
