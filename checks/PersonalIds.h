#pragma once

// The Bulgarian personal number (EGN) and company register number (BULSTAT).

#include <string_view>

namespace velcor::checks {

// Digits only, 7, 8, 10 or 13 of them, a plausible month and day, and the weighted modulo-11
// check digit.
bool CheckEgn(const char* text);
// The same for a text of known length, which need not be zero-terminated (a field's value where
// it stands in its line).
bool CheckEgn(std::string_view text);

// Fewer than 30 bytes of digits, blanks and hyphens, whose digits form a valid 9- or 13-digit
// number.
bool CheckBulstat(const char* text);
// The same for a text of known length.
bool CheckBulstat(std::string_view text);

}  // namespace velcor::checks
