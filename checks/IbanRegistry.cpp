#include "checks/IbanRegistry.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <iterator>

namespace velcor::checks {

namespace {

struct CountryLength {
    std::string_view country;
    std::size_t length;
};

constexpr CountryLength kRegistry[] = {
#include "checks/IbanRegistry.inc"
};

static_assert(std::size(kRegistry) > 0, "the IBAN registry holds no country");

struct Territory {
    std::string_view bicCountry;
    std::string_view ibanCountry;
};

constexpr Territory kTerritories[] = {
#include "checks/IbanTerritories.inc"
};

}  // namespace

std::size_t IbanLengthOfCountry(std::string_view country) {
    // Every row's IBAN asks: the lengths are looked up by the two letters, not searched for.
    static const std::array<unsigned char, 26 * 26> lengths = [] {
        std::array<unsigned char, 26 * 26> table{};
        for (const CountryLength& entry : kRegistry)
            table[static_cast<std::size_t>(entry.country[0] - 'A') * 26 +
                  static_cast<std::size_t>(entry.country[1] - 'A')] =
                static_cast<unsigned char>(entry.length);
        return table;
    }();
    if (country.size() != 2 || country[0] < 'A' || country[0] > 'Z' || country[1] < 'A' ||
        country[1] > 'Z')
        return 0;
    return lengths[static_cast<std::size_t>(country[0] - 'A') * 26 +
                   static_cast<std::size_t>(country[1] - 'A')];
}

bool BicCountryFitsIban(std::string_view bicCountry, std::string_view ibanCountry) {
    if (bicCountry == ibanCountry) return true;
    return std::any_of(
        std::begin(kTerritories), std::end(kTerritories), [&](const Territory& territory) {
            return territory.bicCountry == bicCountry && territory.ibanCountry == ibanCountry;
        });
}

}  // namespace velcor::checks
