#pragma once

// What the IBAN registry says of a country: the length of its IBANs, and the territories whose
// banks use its IBANs. The tables are data, kept in resources/iban/ with their source.

#include <cstddef>
#include <string_view>

namespace velcor::checks {

// The length of the compact form (no blanks) of the IBANs that begin with `country` (two upper
// case letters), or 0 when the registry holds no such country.
std::size_t IbanLengthOfCountry(std::string_view country);

// Whether a bank whose BIC names `bicCountry` keeps accounts whose IBANs begin with `ibanCountry`:
// the same country, or a territory that uses that country's IBANs (Reunion's banks, RE, use FR).
bool BicCountryFitsIban(std::string_view bicCountry, std::string_view ibanCountry);

}  // namespace velcor::checks
