#include "checks/Bic.h"

#include <gtest/gtest.h>

namespace velcor::checks {
namespace {

TEST(CheckBic, TakesTheFormOfABicOnly) {
    const struct {
        const char* bic;
        bool expected;
    } cases[] = {
        {"BNBGBGSD", true},      {"UNCRBGSF", true},
        {"RZBBBGSF001", true},   {"STSABGS1", true},  // the place may hold a digit
        {"bnbgbgsd", false},     {"BNBG BGSD", false},
        {"BNBGBG", false},       {"BNBGBGSDX", false},
        {"BNBGBGSD0012", false}, {"1NBGBGSD", false},
        {"BNBG1GSD", false},  // the country is letters
        {"BNBGBGS;", false},     {"", false},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckBic(c.bic), c.expected) << c.bic;
}

}  // namespace
}  // namespace velcor::checks
