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
    const auto* const found =
        std::find_if(std::begin(kRegistry), std::end(kRegistry),
                     [country](const CountryLength& entry) { return entry.country == country; });
    return found != std::end(kRegistry) ? found->length : 0;
}

bool BicCountryFitsIban(std::string_view bicCountry, std::string_view ibanCountry) {
    if (bicCountry == ibanCountry) return true;
    return std::any_of(
        std::begin(kTerritories), std::end(kTerritories), [&](const Territory& territory) {
            return territory.bicCountry == bicCountry && territory.ibanCountry == ibanCountry;
        });
}

}  // namespace velcor::checks
