#include "session/ValueDateWarning.h"

#include "text/Cp1251.h"
#include "text/Text.h"

namespace velcor::session {

using namespace velcor::text::literals;

namespace {

constexpr auto kValueDateIs = "Датата на МП (%02d.%02d.%04d) е %s."_cp;
constexpr auto kGoOn = " Да продължа ли?"_cp;
constexpr auto kNextBankDay = "Следващ работен ден (%02d.%02d.%04d)"_cp;

}  // namespace

std::optional<ValueDateWarning> valueDateWarning(const processing::LocalDateTime& date,
                                                 const processing::LocalDateTime& now) {
    if (!date.valid || !processing::isValidDate(date.day, date.month, date.year))
        return std::nullopt;
    const processing::ValueDateReading reading = processing::readValueDate(
        {date.year, date.month, date.day}, {now.year, now.month, now.day});
    if (reading.problem == processing::ValueDateProblem::none) return std::nullopt;
    return ValueDateWarning{
        reading.problem,
        text::format(kValueDateIs.c_str(), date.day, date.month, date.year,
                     reading.description.c_str()),
        processing::nextBankDay({date.year, date.month, date.day}, {now.year, now.month, now.day})};
}

ShownMessage valueDateQuestion(const ValueDateWarning& warning) {
    return {Message::valueDateQuestion, warning.text + std::string(kGoOn)};
}

std::optional<std::string> nextBankDayChoice(const ValueDateWarning& warning) {
    if (!warning.nextBankDay) return std::nullopt;
    const processing::CalendarDate& day = *warning.nextBankDay;
    return text::format(kNextBankDay.c_str(), day.day, day.month, day.year);
}

}  // namespace velcor::session
