#include "checks/Bic.h"

namespace velcor::checks {

namespace {

bool isUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool isUpperLetterOrDigit(char c) { return isUpperLetter(c) || (c >= '0' && c <= '9'); }

}  // namespace

bool CheckBic(std::string_view bic) {
    if (bic.size() != 8 && bic.size() != 11) return false;
    for (std::size_t i = 0; i < bic.size(); ++i) {
        const bool fits = i < 6 ? isUpperLetter(bic[i]) : isUpperLetterOrDigit(bic[i]);
        if (!fits) return false;
    }
    return true;
}

}  // namespace velcor::checks
