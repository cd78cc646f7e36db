#pragma once

// The Bulgarian personal number (EGN) and company register number (BULSTAT).

#include <string_view>

namespace velcor::checks {

// Length 7, 8, 10 or 13, a plausible month and day, and the weighted modulo-11 check digit.
bool CheckEgn(const char* text);
// The same for a text of known length, which need not be zero-terminated (a field's value where
// it stands in its line). Every byte counts, a NUL byte included.
bool CheckEgn(std::string_view text);

// The decimal digits of the text (all else ignored) form a valid 9- or 13-digit number.
bool CheckBulstat(const char* text);
// The same for a text of known length; a NUL byte counts towards the length like any byte.
bool CheckBulstat(std::string_view text);

}  // namespace velcor::checks
