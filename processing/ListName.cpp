#include "processing/ListName.h"

#include "text/Text.h"

namespace velcor::processing {

namespace {

bool isDigit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

std::string_view listFileName(std::string_view path) {
    const std::size_t separator = path.find_last_of("\\/");
    return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

ListNameReading readListName(std::string_view path, const LocalDateTime& today) {
    using Kind = ListNameReading::Kind;
    const std::string_view fileName = listFileName(path);
    const std::size_t dot = fileName.find('.');
    if (dot == 0) return {Kind::notStartingWithO};
    // Seven characters up to the full stop, the full stop counted.
    if (dot == std::string_view::npos || dot + 1 < 7) return {};
    const std::string_view name = fileName.substr(0, dot + 1);
    if (name[0] != 'O' && name[0] != 'o') return {Kind::notStartingWithO};
    const bool digitsInRange = name[1] >= '0' && name[1] <= '3' && isDigit(name[2]) &&
                               name[3] >= '0' && name[3] <= '1' && isDigit(name[4]) &&
                               isDigit(name[5]) && isDigit(name[6]);
    if (!digitsInRange) return {Kind::badDate};
    const int day = (name[1] - '0') * 10 + (name[2] - '0');
    const int month = (name[3] - '0') * 10 + (name[4] - '0');
    const int year = today.year / 100 * 100 + (name[5] - '0') * 10 + (name[6] - '0');
    if (!isValidDate(day, month, year)) return {Kind::badDate};
    return {Kind::dated, day, month, year};
}

std::string suggestedListPattern(const LocalDateTime& date, std::string_view typeName) {
    const int year = date.year > 2000 && date.year < 3000 ? date.year - 2000 : date.year;
    return text::format("O%02d%02d%02dP.*", date.day, date.month, year) +
           text::upperLatin(typeName.substr(0, 2)) + "*";
}

}  // namespace velcor::processing
