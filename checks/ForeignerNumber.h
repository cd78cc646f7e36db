#pragma once

// The personal number of a foreigner (ЛНЧ): ten digits, the last a weighted check digit.

#include <string_view>

namespace velcor::checks {

// Exactly ten digits whose weighted sum of the first nine (weights 21, 19, 17, 13, 11, 9, 7, 3,
// 1) ends in the tenth.
bool CheckForeignerNumber(std::string_view text);

}  // namespace velcor::checks
