#include "window/Currency.h"

#include "text/Cp1251.h"

namespace velcor::window {

using namespace velcor::text::literals;

namespace {

constexpr auto kEuro = "EUR"_cp;
constexpr auto kLeva = "лв."_cp;
constexpr int kEuroSince = 2026'01'01;  // yyyymmdd

}  // namespace

std::string_view currencyOfValueDate(int year, int month, int day) {
    return year * 10000 + month * 100 + day >= kEuroSince ? kEuro.view() : kLeva.view();
}

}  // namespace velcor::window
