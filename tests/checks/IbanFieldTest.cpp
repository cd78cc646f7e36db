#include "checks/Iban.h"
#include "checks/IbanRegistry.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

namespace velcor::checks {
namespace {

using namespace text::literals;

constexpr auto kCyrillicA = "А"_cp;
constexpr auto kMaria = " (Мария)"_cp;

struct FieldVerdict {
    int result;
    std::string message;
};

FieldVerdict checkField(const std::string& text) {
    char message[256];
    std::strcpy(message, "untouched");
    const int result = CheckIbanField(text, message, sizeof message);
    return {result, message};
}

TEST(CheckIbanField, TakesLettersDigitsBlanksAndHyphensOfAnAccountOfItsCountrysLength) {
    const std::string a(kCyrillicA.view());
    const struct {
        std::string text;
        int result;
        std::string message;
    } cases[] = {
        {"BG80BNBG96611020345678", 1, "untouched"},
        {"BG80 BNBG 9661 1020 3456 78", 1, "untouched"},
        {"bg80-bnbg-9661-1020-3456-78", 1, "untouched"},
        {"DE89 3704 0044 0532 0130 00", 1, "untouched"},
        {"TR330006100519786457841326", 1, "untouched"},
        {"SA0380000000608010167519", 1, "untouched"},
        {"BR1800000000141455123924100C2", 1, "untouched"},
        // A byte the check digits would pass over: the row would reach the bank as written.
        {"BG80BNBG9661102034567" + a + "8", 0, "Wrong IBAN character!"},
        {"BG80BNBG96611020345678" + std::string(kMaria.view()), 0, "Wrong IBAN character!"},
        {"BG80.BNBG.9661.1020.3456.78", 0, "Wrong IBAN character!"},
        {"BG80\tBNBG96611020345678", 0, "Wrong IBAN character!"},
        {std::string("BG80BNBG9661\0"
                     "1020345678",
                     22),
         0, "Wrong IBAN character!"},
        // The check digits' own reasons come before the registry's.
        {"", 0, "Wrong IBAN!"},
        {"BG81BNBG96611020345678", 0, "Wrong IBAN !"},
        // Good check digits, but not the length of the country's IBANs.
        {"BG34BNBG9661102034567", 0, "Wrong IBAN length!"},
        {"BG28BNBG966110203456789", 0, "Wrong IBAN length!"},
        {"DE89 3704 0044 0532 0130 0000 00", 0, "Wrong IBAN !"},
        // Good check digits of a country the registry does not hold.
        {"XY22BNBG96611020345678", 0, "Unknown IBAN country!"},
        {"QQ231234567890", 0, "Unknown IBAN country!"},
        {"1234", 0, "Wrong IBAN !"},
    };
    for (const auto& c : cases) {
        const FieldVerdict v = checkField(c.text);
        EXPECT_EQ(v.result, c.result) << c.text;
        EXPECT_EQ(v.message, c.message) << c.text;
    }
}

// Every byte: a Latin letter, a digit, a blank and a hyphen are an IBAN's; no other is.
TEST(CheckIbanField, RefusesEveryByteButLatinLettersDigitsBlanksAndHyphens) {
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const bool allowed = std::isalnum(b) != 0 || c == ' ' || c == '-';
        const std::string text = "BG80BNBG9661" + std::string(1, c) + "1020345678";
        EXPECT_EQ(checkField(text).message != "Wrong IBAN character!", allowed) << b;
    }
}

// The registry's table against the registry's own example IBANs (one per country, among the
// public vectors): every country it lists has one, of the length it gives, that passes.
TEST(IbanRegistry, EveryCountryHasItsRegistryExampleOfItsLength) {
    std::ifstream file(std::string(VELCOR_VECTORS_DIR) + "/iban.txt");
    ASSERT_TRUE(file.is_open()) << "no identifier vectors at " << VELCOR_VECTORS_DIR;
    std::map<std::string, std::size_t> examples;
    std::string line;
    while (std::getline(file, line)) {
        if (line.find("iban_registry_v99") == std::string::npos) continue;
        const std::string value = line.substr(0, line.find('\t'));
        examples[value.substr(0, 2)] = value.size();
        EXPECT_EQ(checkField(value).result, 1) << value;
        EXPECT_EQ(IbanLengthOfCountry(value.substr(0, 2)), value.size()) << value;
    }
    EXPECT_EQ(examples.size(), 89u);
    for (char first = 'A'; first <= 'Z'; ++first)
        for (char second = 'A'; second <= 'Z'; ++second) {
            const std::string country{first, second};
            EXPECT_EQ(IbanLengthOfCountry(country) != 0, examples.count(country) == 1) << country;
        }
    EXPECT_EQ(IbanLengthOfCountry("BG"), 22u);
    EXPECT_EQ(IbanLengthOfCountry("bg"), 0u);
    EXPECT_EQ(IbanLengthOfCountry(""), 0u);
}

// Every public vector: what the row's check accepts passes the check digits, holds only the
// bytes a field may and has its country's length.
TEST(CheckIbanField, AcceptsOfTheVectorsOnlyWhatEachOfItsRulesAccepts) {
    std::ifstream file(std::string(VELCOR_VECTORS_DIR) + "/iban.txt");
    ASSERT_TRUE(file.is_open());
    std::string line;
    int accepted = 0;
    while (std::getline(file, line)) {
        const std::string value = line.substr(0, line.find('\t'));
        if (checkField(value).result == 0) continue;
        ++accepted;
        char message[256];
        EXPECT_EQ(CheckIban(value.c_str(), message, sizeof message), 1) << value;
        std::string compact;
        for (const char c : value) {
            ASSERT_TRUE(std::isalnum(static_cast<unsigned char>(c)) || c == ' ' || c == '-')
                << value;
            if (c != ' ' && c != '-') compact += static_cast<char>(std::toupper(c));
        }
        EXPECT_EQ(IbanLengthOfCountry(compact.substr(0, 2)), compact.size()) << value;
    }
    EXPECT_GT(accepted, 500);
}

}  // namespace
}  // namespace velcor::checks
