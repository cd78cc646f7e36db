#pragma once

// What the IBAN registry says of a country: the length of its IBANs. The table is data, kept in
// resources/iban/registry.txt with its source.

#include <cstddef>
#include <string_view>

namespace velcor::checks {

// The length of the compact form (no blanks) of the IBANs that begin with `country` (two upper
// case letters), or 0 when the registry holds no such country.
std::size_t IbanLengthOfCountry(std::string_view country);

}  // namespace velcor::checks
