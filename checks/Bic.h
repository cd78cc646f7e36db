#pragma once

// The form of a BIC (ISO 9362): what a bank code in a header must look like.

#include <string_view>

namespace velcor::checks {

// Four letters (the bank), two letters (the country), two letters or digits (the place), and
// optionally three letters or digits (the branch); upper case, nothing else.
bool CheckBic(std::string_view bic);

}  // namespace velcor::checks
