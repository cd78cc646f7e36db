#pragma once

// The rules of a payment list's file name: O, the value date as DDMMYY, then the rest up to the
// first full stop (for example O081206P.1DP). Only the file name counts, never its folders.

#include "processing/DateTime.h"

#include <string>
#include <string_view>

namespace velcor::processing {

// The file name of `path`: what follows its last "\" or "/" (both count on every system).
std::string_view listFileName(std::string_view path);

struct ListNameReading {
    enum class Kind {
        noRules,           // fewer than seven characters up to the first full stop (or none)
        dated,             // day, month and year hold the value date of the name
        notStartingWithO,  // also a hidden name (a leading full stop), e.g. a leftover temporary
        badDate,
    };
    Kind kind = Kind::noRules;
    int day = 0;
    int month = 0;
    int year = 0;
};

// Reads the name rules from `path`; the two year digits are taken in the century of `today`.
ListNameReading readListName(std::string_view path, const LocalDateTime& today);

// The pattern the open dialog suggests for a day's lists of a payment type: O, DDMMYY, "P.*", the
// type's first two letters upper-cased, "*" (O081206P.*DP*).
std::string suggestedListPattern(const LocalDateTime& date, std::string_view typeName);

}  // namespace velcor::processing
