#include "window/Currency.h"

#include "processing/DateTime.h"
#include "text/Cp1251.h"

namespace velcor::window {

using namespace velcor::text::literals;

namespace {

constexpr auto kEuro = "EUR"_cp;
constexpr auto kLeva = "лв."_cp;

}  // namespace

std::string_view currencyOfValueDate(int year, int month, int day) {
    return processing::isEuroDate(year, month, day) ? kEuro.view() : kLeva.view();
}

}  // namespace velcor::window
