#include "checks/PersonalIds.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace velcor::checks {
namespace {

struct Case {
    std::string text;
    bool expected;
};

TEST(CheckEgn, AnswersTheWorkedExamplesAndBoundaries) {
    const Case cases[] = {
        {"7523169263", true},  // a real number from the public examples
        {"7523169264", false},
        {"8802291233", true},     // 29 February passes in every year
        {"8802291234", false},    // only the last digit changed
        {"8802301239", false},    // 30 February, right check digit
        {"8804311236", false},    // 31 April
        {"8813311239", false},    // month 13
        {"8800311238", false},    // month 00
        {"8832311239", true},     // month 32 is December
        {"8852311233", true},     // month 52 is December
        {"8821311237", true},     // month 21 is January
        {"8841311231", true},     // month 41 is January
        {"8802001231", true},     // day 00 has no lower bound
        {"8801016", true},        // seven characters
        {"88010113", true},       // eight characters
        {"8801011234561", true},  // thirteen characters
        {"8801011234562", false},
        {"", false},
        {"880101123", false},     // nine
        {"88010112345", false},   // eleven
        {"880101123456", false},  // twelve
        {std::string(30, '0'), false},
    };
    for (const auto& c : cases) EXPECT_EQ(CheckEgn(c.text.c_str()), c.expected) << c.text;
}

// Each of these would pass if its other characters were weighed by their codes, as they once
// were: a personal number is digits and nothing else.
TEST(CheckEgn, AnythingButDigitsFails) {
    const char* const texts[] = {
        "7501020A#8", "7501020 98", "8802-11232", "880131ZZZ5", "880101\xC0\xC0\xC0-", "88 101123.",
        "88+1011239", "881x011235", "8801 1123/", "88011x1235", "8801+91235",
    };
    for (const char* text : texts) EXPECT_FALSE(CheckEgn(text)) << text;
}

TEST(CheckBulstat, AnswersTheWorkedExamplesAndBoundaries) {
    const Case cases[] = {
        {"103873594", true},
        {"131272009", true},  // decided by the second weights
        {"175074751", false},
        {"100000086", true},  // first remainder 10, second 6
        {"100000085", false},
        {"100000550", true},  // both remainders 10: the check digit is 0
        {"100000551", false},
        {"000000000", true},
        {"0000000000000", true},
        {"1234567800023", true},  // thirteen digits: first remainder 10, second 3
        {"9999999900023", true},  // the first eight digits do not count
        {"1234567800024", false},
        {"1234567890120", false},
        {"103 873 594", true},
        {"103-873-594", true},
        // Blanks and hyphens group the digits; anything else is no register number.
        {"BG103873594", false},
        {"\xC1\xC3-103873594", false},
        {"103.873.594", false},
        {"103873594\t", false},
        {"10387359", false},
        {"1038735940", false},
        {"10387359400", false},
        {"103873594000", false},
        {"", false},
        {"BG", false},
        {std::string(20, ' ') + "103873594", true},   // 29 bytes
        {std::string(21, ' ') + "103873594", false},  // 30 bytes
    };
    for (const auto& c : cases) EXPECT_EQ(CheckBulstat(c.text.c_str()), c.expected) << c.text;
}

TEST(CheckBulstat, ThirteenDigitsTestOnlyTheLastFive) {
    ASSERT_TRUE(CheckBulstat("0000000000000"));
    for (std::size_t position = 0; position < 8; ++position) {
        for (char digit = '0'; digit <= '9'; ++digit) {
            std::string changed = "0000000000000";
            changed[position] = digit;
            EXPECT_TRUE(CheckBulstat(changed.c_str())) << changed;
        }
    }
    for (char digit = '1'; digit <= '9'; ++digit) {
        std::string changed = "0000000000000";
        changed[12] = digit;
        EXPECT_FALSE(CheckBulstat(changed.c_str())) << changed;
    }
}

// An independent reading of the personal number for ten plain digits: a real calendar month
// (plus 20 or 40 for other centuries), the day within the month (29 for February), and the
// weighted check digit.
bool referenceTenDigitEgn(const std::string& digits) {
    static constexpr int weights[] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
    static constexpr int monthLengths[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int month = std::stoi(digits.substr(2, 2));
    const int day = std::stoi(digits.substr(4, 2));
    if (month > 40)
        month -= 40;
    else if (month > 20)
        month -= 20;
    if (month < 1 || month > 12 || day > monthLengths[month - 1]) return false;
    int sum = 0;
    for (std::size_t i = 0; i < 9; ++i) sum += weights[i] * (digits[i] - '0');
    return (sum % 11) % 10 == digits[9] - '0';
}

std::string digitsOf(const std::string& text) {
    std::string digits;
    for (char c : text)
        if (c >= '0' && c <= '9') digits += c;
    return digits;
}

std::vector<std::string> vectorValues(const char* name) {
    std::vector<std::string> values;
    std::ifstream file(std::string(VELCOR_VECTORS_DIR) + "/" + name);
    std::string line;
    while (std::getline(file, line)) values.push_back(line.substr(0, line.find('\t')));
    return values;
}

// The public vectors are inputs here: their verdicts come from validators with other rules.
TEST(PersonalIdsVectors, EgnRowsFollowOurRules) {
    const std::vector<std::string> values = vectorValues("egn.txt");
    ASSERT_FALSE(values.empty()) << "no identifier vectors at " << VELCOR_VECTORS_DIR;
    int plain = 0;
    for (const std::string& value : values) {
        if (value.size() == 10 && digitsOf(value) == value) {
            EXPECT_EQ(CheckEgn(value.c_str()), referenceTenDigitEgn(value)) << value;
            ++plain;
        } else if (value.size() != 7 && value.size() != 8 && value.size() != 13) {
            EXPECT_FALSE(CheckEgn(value.c_str())) << value;  // the length alone decides
        }
    }
    EXPECT_GT(plain, 50);
    // Separators are not dropped: a grouped number has the wrong length.
    EXPECT_TRUE(CheckEgn("7523169263"));
    EXPECT_FALSE(CheckEgn("752316 926 3"));
}

TEST(PersonalIdsVectors, BulstatRowsDependOnTheirDigitsAndSeparators) {
    const std::vector<std::string> values = vectorValues("bulstat.txt");
    ASSERT_FALSE(values.empty()) << "no identifier vectors at " << VELCOR_VECTORS_DIR;
    int accepted = 0;
    for (const std::string& value : values) {
        const bool answer = CheckBulstat(value.c_str());
        const bool grouped = value.find_first_not_of("0123456789 -") == std::string::npos;
        if (value.size() < 30) {
            EXPECT_EQ(answer, grouped && CheckBulstat(digitsOf(value).c_str())) << value;
        }
        const std::size_t count = digitsOf(value).size();
        if (count != 9 && count != 13) {
            EXPECT_FALSE(answer) << value;
        }
        accepted += answer ? 1 : 0;
    }
    EXPECT_GT(accepted, 10);
    EXPECT_TRUE(CheckBulstat("175 074 752"));
    EXPECT_FALSE(CheckBulstat("BG 175 074 752"));
}

}  // namespace
}  // namespace velcor::checks
