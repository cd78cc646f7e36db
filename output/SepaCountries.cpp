#include "output/SepaCountries.h"

#include <algorithm>
#include <iterator>

namespace velcor::output {

namespace {

// From the EPC's "List of countries and territories of the SEPA schemes" (EPC409-09), as it
// stands after Serbia's admission in May 2025: the 27 EU member states, the other EEA states,
// and the states and territories admitted besides. Territories whose IBANs begin with another
// country's code (the Azores and Madeira: PT; the Canary Islands, Ceuta and Melilla: ES; the
// Åland Islands: FI; French Guiana, Guadeloupe, Martinique, Mayotte, Réunion, Saint Barthélemy,
// Saint Martin and Saint Pierre and Miquelon: FR; Guernsey, Jersey and the Isle of Man: GB) are
// reached through that code. Sorted, for the search.
//
// What two letters cannot tell: French IBANs of New Caledonia, French Polynesia and Wallis and
// Futuna begin with FR too, though these lie outside the schemes; such a row still goes.
constexpr std::string_view kSepaCountries[] = {
    "AD",  // Andorra
    "AL",  // Albania
    "AT",  // Austria
    "BE",  // Belgium
    "BG",  // Bulgaria
    "CH",  // Switzerland
    "CY",  // Cyprus
    "CZ",  // Czech Republic
    "DE",  // Germany
    "DK",  // Denmark
    "EE",  // Estonia
    "ES",  // Spain
    "FI",  // Finland
    "FR",  // France
    "GB",  // United Kingdom
    "GI",  // Gibraltar
    "GR",  // Greece
    "HR",  // Croatia
    "HU",  // Hungary
    "IE",  // Ireland
    "IS",  // Iceland
    "IT",  // Italy
    "LI",  // Liechtenstein
    "LT",  // Lithuania
    "LU",  // Luxembourg
    "LV",  // Latvia
    "MC",  // Monaco
    "MD",  // Moldova
    "ME",  // Montenegro
    "MK",  // North Macedonia
    "MT",  // Malta
    "NL",  // Netherlands
    "NO",  // Norway
    "PL",  // Poland
    "PT",  // Portugal
    "RO",  // Romania
    "RS",  // Serbia
    "SE",  // Sweden
    "SI",  // Slovenia
    "SK",  // Slovakia
    "SM",  // San Marino
    "VA",  // Vatican City State
};

static_assert(std::is_sorted(std::begin(kSepaCountries), std::end(kSepaCountries)));

}  // namespace

bool isSepaCountry(std::string_view code) {
    return std::binary_search(std::begin(kSepaCountries), std::end(kSepaCountries), code);
}

}  // namespace velcor::output
