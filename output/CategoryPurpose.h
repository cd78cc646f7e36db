#pragma once

// The category purposes a SEPA file may name: the codes of the ISO 20022 external code set
// ExternalCategoryPurpose1Code, each with what it means in Bulgarian (Windows-1251).

#include <span>
#include <string_view>

namespace velcor::output {

struct CategoryPurpose {
    std::string_view code;     // four capital Latin letters
    std::string_view meaning;  // Windows-1251
};

// Every code of the list, in the alphabetical order of their codes.
std::span<const CategoryPurpose> categoryPurposes();

// The code's entry; nothing for a text that is no code of the list.
const CategoryPurpose* findCategoryPurpose(std::string_view code);

}  // namespace velcor::output
