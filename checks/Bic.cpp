#include "checks/Bic.h"

#include "checks/IbanRegistry.h"

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

bool BicMatchesIban(std::string_view bic, std::string_view compactIbanStart) {
    if (bic.size() < 6 || compactIbanStart.size() < 8) return false;
    const std::string_view country = compactIbanStart.substr(0, 2);
    if (country == "BG") return bic.substr(0, 4) == compactIbanStart.substr(4, 4);
    return BicCountryFitsIban(bic.substr(4, 2), country);
}

}  // namespace velcor::checks
