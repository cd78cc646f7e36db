#include "checks/PersonalIds.h"

#include "checks/WeightTable.h"

#include <string_view>

namespace velcor::checks {

namespace {

// February always has 29 days: the personal number's date is not tested for leap years.
constexpr int kMonthLengths[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};

// Months 21-32 and 41-52 stand for 1-12 (births in other centuries); 0 for anything else.
int monthOf(int field) {
    if (field >= 1 && field <= 12) return field;
    if (field >= 21 && field <= 32) return field - 20;
    if (field >= 41 && field <= 52) return field - 40;
    return 0;
}

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// A two-digit month or day field.
int fieldValue(std::string_view field) { return (field[0] - '0') * 10 + (field[1] - '0'); }

// The remainder by 11 of a weighted digit sum, 10 counting as 0.
int bulstatRemainder(const int* digits, const int* first, const int* second, int count) {
    int sum = 0;
    for (int i = 0; i < count; ++i) sum += digits[i] * first[i];
    if (sum % 11 != 10) return sum % 11;
    sum = 0;
    for (int i = 0; i < count; ++i) sum += digits[i] * second[i];
    return sum % 11 == 10 ? 0 : sum % 11;
}

}  // namespace

bool CheckEgn(const char* text) { return CheckEgn(std::string_view(text)); }

bool CheckEgn(std::string_view egn) {
    if (weightRowFor(egn.size()) == nullptr) return false;
    // A letter, a blank or a sign would be weighed by its code and could pass by chance.
    for (const char c : egn)
        if (!isDigit(c)) return false;
    const int month = monthOf(fieldValue(egn.substr(2, 2)));
    if (month == 0) return false;
    if (fieldValue(egn.substr(4, 2)) > kMonthLengths[month - 1]) return false;
    return hasWeightedCheckDigit(egn);
}

bool CheckBulstat(const char* text) { return CheckBulstat(std::string_view(text)); }

bool CheckBulstat(std::string_view text) {
    const std::size_t length = text.size();
    if (length == 0 || length >= 30) return false;
    int digits[30];
    int count = 0;
    // Blanks and hyphens group the digits; anything else (a letter, a country prefix) makes the
    // text no register number.
    for (std::size_t i = 0; i < length; ++i) {
        if (isDigit(text[i]))
            digits[count++] = text[i] - '0';
        else if (text[i] != ' ' && text[i] != '-')
            return false;
    }

    if (count == 9) {
        static constexpr int first[] = {1, 2, 3, 4, 5, 6, 7, 8};
        static constexpr int second[] = {3, 4, 5, 6, 7, 8, 9, 10};
        return digits[8] == bulstatRemainder(digits, first, second, 8);
    }
    if (count == 13) {
        // Only the thirteenth digit is tested; the ninth is not checked against the first eight.
        static constexpr int first[] = {2, 7, 3, 5};
        static constexpr int second[] = {4, 9, 5, 7};
        return digits[12] == bulstatRemainder(digits + 8, first, second, 4);
    }
    return false;
}

}  // namespace velcor::checks
