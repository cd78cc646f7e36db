#pragma once

// The IBAN check worked out apart from the code under test, for tests and fuzz targets that hold
// the fast check to it: the normal form and the MOD 97-10 remainder, digit by digit.

#include <string>

namespace velcor::testing {

// Latin letters upper-cased, only A-Z and 0-9 kept.
inline std::string normalizedModel(const std::string& text) {
    std::string kept;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) kept += c;
    }
    return kept;
}

// The remainder of a normal form of at least four characters, its first four moved to the end.
inline int mod97Model(const std::string& normalized) {
    const std::string rearranged = normalized.substr(4) + normalized.substr(0, 4);
    int remainder = 0;
    for (char c : rearranged) {
        if (c >= 'A' && c <= 'Z')
            remainder = (remainder * 100 + (c - 'A' + 10)) % 97;
        else
            remainder = (remainder * 10 + (c - '0')) % 97;
    }
    return remainder;
}

}  // namespace velcor::testing
