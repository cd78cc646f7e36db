#include "checks/Bic.h"
#include "checks/IbanRegistry.h"

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

// A Bulgarian IBAN names its bank, others only their country; a territory's banks keep accounts
// with the IBANs of the country whose IBANs it uses.
TEST(BicMatchesIban, BankCodeForBulgarianIbansCountryForOthers) {
    const struct {
        const char* bic;
        const char* ibanStart;  // compact, upper case, as CompactIbanStart gives it
        bool expected;
    } cases[] = {
        {"BNBGBGSD", "BG80BNBG96611", true},
        {"BNBGBGSDXXX", "BG80BNBG96611", true},
        {"UNCRBGSF", "BG80BNBG96611", false},
        {"COBADEFFXXX", "DE89370400440", true},
        {"DEUTDEFF", "DE89370400440", true},  // another German bank: only the country is known
        {"COBAATWW", "DE89370400440", false},
        {"BNBGBGSD", "DE89370400440", false},
        {"BFCORERX", "FR14200410100", true},  // Reunion uses French IBANs
        {"BNPAFRPP", "FR14200410100", true},
        {"RBOSJESH", "GB29NWBK60161", true},  // so does Jersey British ones
        {"BFCORERX", "GB29NWBK60161", false},
        {"AABAFI22", "FI2112345600000785", true},
        {"AABAAXAA", "FI2112345600000785", true},  // Aland
        {"DABAFOTF", "FO6264600001631634", true},  // the Faroes have IBANs of their own
        {"DABADKKK", "FO6264600001631634", false},
        // An IBAN too short to hold a bank code matches no BIC.
        {"BNBGBGSD", "BG80BNB", false},
        {"COBADEFF", "DE89", false},
        {"BNBGBGSD", "", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BicMatchesIban(c.bic, c.ibanStart), c.expected) << c.bic << " " << c.ibanStart;
}

TEST(BicCountryFitsIban, TheSameCountryOrATerritoryThatUsesItsIbans) {
    const struct {
        const char* bicCountry;
        const char* ibanCountry;
        bool expected;
    } cases[] = {
        {"BG", "BG", true},  {"DE", "DE", true},  {"GF", "FR", true},  {"GP", "FR", true},
        {"MQ", "FR", true},  {"RE", "FR", true},  {"YT", "FR", true},  {"NC", "FR", true},
        {"PF", "FR", true},  {"PM", "FR", true},  {"BL", "FR", true},  {"MF", "FR", true},
        {"WF", "FR", true},  {"TF", "FR", true},  {"IM", "GB", true},  {"JE", "GB", true},
        {"GG", "GB", true},  {"AX", "FI", true},  {"FR", "RE", false}, {"RE", "GB", false},
        {"MC", "FR", false}, {"FO", "DK", false}, {"GL", "DK", false}, {"AT", "DE", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BicCountryFitsIban(c.bicCountry, c.ibanCountry), c.expected)
            << c.bicCountry << " " << c.ibanCountry;
}

}  // namespace
}  // namespace velcor::checks
