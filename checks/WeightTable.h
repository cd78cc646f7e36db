#pragma once

// The weighted modulo-11 check digit shared by the personal number (EGN) and the budget-unit
// code: one row of weights per accepted length, one weight for every character but the last.

#include <cstddef>
#include <string_view>

namespace velcor::checks {

struct WeightRow {
    std::size_t length;
    int weights[12];
};

inline constexpr WeightRow kWeightRows[] = {
    {10, {2, 4, 8, 5, 10, 9, 7, 3, 6}},
    {13, {7, 3, 6, 2, 4, 8, 5, 10, 9, 7, 3, 6}},
    {7, {2, 4, 8, 7, 3, 6}},
    {8, {2, 4, 8, 5, 10, 9, 7}},
};

// The row for a text of `length` bytes; nullptr for any other length.
constexpr const WeightRow* weightRowFor(std::size_t length) {
    for (const WeightRow& row : kWeightRows)
        if (row.length == length) return &row;
    return nullptr;
}

// A digit counts as its value; the callers admit nothing but digits.
constexpr int characterValue(char c) { return static_cast<signed char>(c) - 48; }

// True when the text has an accepted length and its last character's value equals the weighted
// sum of the others modulo 11 (truncating, so a negative sum gives -10..0), with 10 read as 0.
constexpr bool hasWeightedCheckDigit(std::string_view text) {
    const WeightRow* row = weightRowFor(text.size());
    if (row == nullptr) return false;
    int sum = 0;
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        sum += row->weights[i] * characterValue(text[i]);
    int remainder = sum % 11;
    if (remainder == 10) remainder = 0;
    return remainder == characterValue(text.back());
}

}  // namespace velcor::checks
