#pragma once

// The amount of a row, read as the C library's strtod reads it in the "C" locale, whatever the
// user's locale says: a payment list written with "12,50" must mean 12 on every machine.

#include <string_view>

namespace velcor::processing {

// Skips leading white space, takes an optional sign and the longest decimal (or 0x hexadecimal)
// number in front, with "." as the decimal point and an optional exponent; INF, INFINITY and NAN
// are read as strtod reads them. Text with no number in front reads as 0; a value too large for a
// double reads as plus or minus HUGE_VAL, one too small as 0.
double readAmount(std::string_view text);

}  // namespace velcor::processing
