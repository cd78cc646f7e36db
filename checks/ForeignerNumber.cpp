#include "checks/ForeignerNumber.h"

namespace velcor::checks {

bool CheckForeignerNumber(std::string_view text) {
    static constexpr int kWeights[9] = {21, 19, 17, 13, 11, 9, 7, 3, 1};
    if (text.size() != 10) return false;
    for (const char c : text)
        if (c < '0' || c > '9') return false;
    int sum = 0;
    for (std::size_t i = 0; i < 9; ++i) sum += (text[i] - '0') * kWeights[i];
    return sum % 10 == text[9] - '0';
}

}  // namespace velcor::checks
