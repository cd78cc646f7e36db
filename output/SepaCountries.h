#pragma once

// The countries and territories of the SEPA schemes, by the two letters an IBAN of theirs begins
// with: those a SEPA credit transfer can reach.

#include <string_view>

namespace velcor::output {

// Whether an IBAN beginning with `code` (two capital letters) is of a country or territory of
// the SEPA schemes.
bool isSepaCountry(std::string_view code);

}  // namespace velcor::output
