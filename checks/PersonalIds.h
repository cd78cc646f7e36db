#pragma once

// The Bulgarian personal number (EGN) and company register number (BULSTAT).

namespace velcor::checks {

// Length 7, 8, 10 or 13, a plausible month and day, and the weighted modulo-11 check digit.
bool CheckEgn(const char* text);

// The decimal digits of the text (all else ignored) form a valid 9- or 13-digit number.
bool CheckBulstat(const char* text);

}  // namespace velcor::checks
