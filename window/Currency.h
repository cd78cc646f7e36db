#pragma once

// The currency the amounts of a list are in, as the value date implies it: Bulgaria pays in euro
// from 1 January 2026, in leva before.

#include <string_view>

namespace velcor::window {

// "EUR" or "лв." (Windows-1251), for the day given.
std::string_view currencyOfValueDate(int year, int month, int day);

}  // namespace velcor::window
