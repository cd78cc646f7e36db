#pragma once

// The form of a BIC (ISO 9362): what a bank code in a header must look like.

#include <string_view>

namespace velcor::checks {

// Four letters (the bank), two letters (the country), two letters or digits (the place), and
// optionally three letters or digits (the branch); upper case, nothing else.
bool CheckBic(std::string_view bic);

// Whether a bank with the BIC `bic` (of the form CheckBic takes) may keep the account whose IBAN
// begins with `compactIbanStart` (upper case, no blanks: CompactIbanStart). A Bulgarian IBAN
// names its bank: the BIC's first four letters must be its 5th to 8th characters. Other IBANs
// are matched by country: the BIC's 5th and 6th letters must be the IBAN's country, or a
// territory that uses its IBANs. An IBAN too short to hold a bank code matches no BIC.
bool BicMatchesIban(std::string_view bic, std::string_view compactIbanStart);

}  // namespace velcor::checks
