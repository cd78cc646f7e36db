#include "checks/Iban.h"

#include "checks/giant/Giant.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

namespace velcor::checks {
namespace {

constexpr char kValidBg[] = "BG80BNBG96611020345678";

// An independent MOD 97-10 over a normalised text: walks the rearranged characters and folds
// each decimal digit of their values, with no big integers at all.
int referenceRemainder(const std::string& normalized) {
    const std::string rearranged = normalized.substr(4) + normalized.substr(0, 4);
    int remainder = 0;
    for (char c : rearranged) {
        const int value = c >= 'A' ? c - 'A' + 10 : c - '0';
        if (value >= 10) remainder = (remainder * 10 + value / 10) % 97;
        remainder = (remainder * 10 + value % 10) % 97;
    }
    return remainder;
}

// The reference's idea of the normal form: Latin letters upper-cased, only A-Z and 0-9 kept.
std::string referenceNormalized(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) out += c;
    }
    return out;
}

struct Verdict {
    int result;
    std::string message;
};

Verdict check(const std::string& text) {
    char message[256];
    std::strcpy(message, "untouched");
    const int result = CheckIban(text.c_str(), message, sizeof message);
    return {result, message};
}

// The same IBAN with check digits computed for it.
std::string withCheckDigits(std::string iban) {
    iban[2] = '0';
    iban[3] = '0';
    const int value = IbanCheckValue(iban.c_str());
    iban[2] = static_cast<char>('0' + value / 10);
    iban[3] = static_cast<char>('0' + value % 10);
    return iban;
}

TEST(CheckIban, AnswersTheWorkedExamplesAndBoundaries) {
    struct Case {
        std::string text;
        int result;
        const char* message;
    };
    const Case cases[] = {
        {kValidBg, 1, "untouched"},
        {"BG80 BNBG 9661 1020 3456 78", 1, "untouched"},
        {"bg80bnbg96611020345678", 1, "untouched"},
        {"BG80-BNBG-9661-1020-3456-78", 1, "untouched"},
        {"BG81BNBG96611020345678", 0, "Wrong IBAN !"},
        {"GB82WEST12345698765432", 1, "untouched"},
        {"XX82WEST12345698765432", 0, "Wrong IBAN !"},
        {"0001", 1, "untouched"},
        {"  00 01", 1, "untouched"},
        {"1234", 0, "Wrong IBAN !"},
        {"0000", 0, "Wrong IBAN !"},
        {"", 0, "Wrong IBAN!"},
        {"BG1", 0, "Wrong IBAN!"},
        {"B G 1", 0, "Wrong IBAN!"},
        {"\xE1\xE3\xEB\xE0", 0, "Wrong IBAN!"},  // Cyrillic letters only
        // A Cyrillic В in place of the Latin B is dropped, leaving 21 characters.
        {"\xC2G80BNBG96611020345678", 0, "Wrong IBAN !"},
        {std::string(4095, ' '), 0, "Wrong IBAN!"},
        {std::string(4096, ' '), 0, "IBAN String is too long!"},
        {std::string(5000, '1'), 0, "IBAN String is too long!"},
    };
    for (const auto& c : cases) {
        const Verdict v = check(c.text);
        EXPECT_EQ(v.result, c.result) << '"' << c.text.substr(0, 40) << '"';
        EXPECT_EQ(v.message, c.message) << '"' << c.text.substr(0, 40) << '"';
    }
}

TEST(CheckIban, RaisingTheSecondCheckDigitGivesRemainderTwo) {
    std::string iban = kValidBg;
    iban[3] = static_cast<char>(iban[3] + 1);
    EXPECT_EQ(IbanCheckValue(iban.c_str()), 96);
    EXPECT_EQ(check(iban).message, "Wrong IBAN !");
}

TEST(CheckIban, CutsTheMessageToTheBufferSize) {
    char small[5];
    EXPECT_EQ(CheckIban("1234", small, sizeof small), 0);
    EXPECT_STREQ(small, "Wron");
    char one[1] = {'x'};
    EXPECT_EQ(CheckIban("", one, sizeof one), 0);
    EXPECT_EQ(one[0], '\0');
    char none[1] = {'x'};
    EXPECT_EQ(CheckIban("", none, 0), 0);
    EXPECT_EQ(none[0], 'x');
}

TEST(CheckIban, NeverChangesItsInput) {
    char text[] = "bg80 bnbg 9661 1020 3456 78";
    const std::string before = text;
    char message[256];
    EXPECT_EQ(CheckIban(text, message, sizeof message), 1);
    EXPECT_EQ(std::string(text), before);
}

TEST(IbanCheckValue, ZeroCheckDigitsGiveTheRightPair) {
    for (const char* iban : {kValidBg, "GB82WEST12345698765432", "DE89370400440532013000",
                             "FR1420041010050500013M02606", "CH9300762011623852957"}) {
        std::string zeroed = iban;
        zeroed[2] = '0';
        zeroed[3] = '0';
        EXPECT_EQ(IbanCheckValue(zeroed.c_str()), std::stoi(std::string(iban + 2, 2))) << iban;
        EXPECT_EQ(IbanCheckValue(iban), 97) << iban;
    }
}

TEST(NormalizeIban, KeepsUpperCaseLettersAndDigitsInOrder) {
    char out[4096];
    char message[256] = "untouched";
    EXPECT_EQ(
        NormalizeIban("bg80 bnbg-9661/1020.3456\t78\xE1", out, sizeof out, message, sizeof message),
        1);
    EXPECT_STREQ(out, kValidBg);
    EXPECT_STREQ(message, "untouched");
    char tiny[4];
    EXPECT_EQ(NormalizeIban("BG80", tiny, sizeof tiny, message, sizeof message), 0);
    EXPECT_STREQ(message, "IBAN String is too long!");
}

// Every IBAN given check digits passes; changing any one character to another of its kind (a
// digit for a digit, a letter for a letter) fails, since MOD 97-10 sees every such change.
TEST(CheckIbanProperty, ComputedCheckDigitsPassAndEverySingleChangeFails) {
    std::mt19937 random(20240611);
    const std::string alphabet = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int round = 0; round < 200; ++round) {
        std::string iban = "BG00";
        const int length = 15 + static_cast<int>(random() % 20);
        while (static_cast<int>(iban.size()) < length) iban += alphabet[random() % alphabet.size()];
        iban = withCheckDigits(iban);
        ASSERT_EQ(check(iban).result, 1) << iban;
        for (std::size_t i = 0; i < iban.size(); ++i) {
            const bool digit = iban[i] <= '9';
            std::string changed = iban;
            do {
                changed[i] = digit ? static_cast<char>('0' + random() % 10)
                                   : static_cast<char>('A' + random() % 26);
            } while (changed[i] == iban[i]);
            EXPECT_EQ(check(changed).message, "Wrong IBAN !") << iban << " -> " << changed;
        }
    }
}

// Texts of any number of letters up to the input bound get the exact remainder of the whole
// rearranged number, far beyond the 308 digits that one pair of working giants holds.
TEST(CheckIbanProperty, LongTextsGetTheExactRemainder) {
    std::mt19937 random(7);
    for (int length : {150, 154, 155, 156, 300, 1000, 2047, 4095}) {
        for (int round = 0; round < 5; ++round) {
            std::string text;
            for (int i = 0; i < length; ++i)
                text += round % 2 == 0 ? static_cast<char>('A' + random() % 26)
                                       : "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ"[random() % 36];
            const int expected = referenceRemainder(text);
            EXPECT_EQ(IbanCheckValue(text.c_str()), 98 - expected) << length;
            EXPECT_EQ(check(text).result, expected == 1 ? 1 : 0) << length;
            const std::string valid = withCheckDigits(text);
            EXPECT_EQ(check(valid).result, 1) << length;
        }
    }
}

TEST(CheckIbanVectors, AgreeWithAnIndependentRemainderOverTheNormalisedText) {
    std::ifstream file(std::string(VELCOR_VECTORS_DIR) + "/iban.txt");
    ASSERT_TRUE(file.is_open()) << "no identifier vectors at " << VELCOR_VECTORS_DIR;
    std::string line;
    int rows = 0;
    while (std::getline(file, line)) {
        const std::string value = line.substr(0, line.find('\t'));
        const std::string normalized = referenceNormalized(value);
        const Verdict v = check(value);
        if (normalized.size() < 4) {
            EXPECT_EQ(v.message, "Wrong IBAN!") << value;
        } else if (referenceRemainder(normalized) == 1) {
            EXPECT_EQ(v.result, 1) << value;
            EXPECT_EQ(v.message, "untouched") << value;
        } else {
            EXPECT_EQ(v.message, "Wrong IBAN !") << value;
        }
        ++rows;
    }
    EXPECT_GT(rows, 1000);
}

[[noreturn]] void finish(const std::string& failures) {
    if (!failures.empty()) std::fputs(failures.c_str(), stderr);
    std::exit(failures.empty() ? 0 : 1);
}

// In a process that only checks IBANs, each check's reduction raises the size limit as if it
// had created two giants at the current limit: four times per check, up to 524288 digits, while
// the scratch giants keep the capacity of the first check's creations.
TEST(CheckIbanFreshProcess, RaisesTheSizeLimitFourfoldPerCheck) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::string failures;
            char message[256];
            long long expected = 128;
            for (int call = 1; call <= 10; ++call) {
                if (CheckIban(kValidBg, message, sizeof message) != 1) failures += "verdict; ";
                expected = std::min<long long>(expected * 4, kGiantMaxDigits);
                if (giant_size_limit != expected)
                    failures += "limit " + std::to_string(giant_size_limit) + "; ";
                if (giant_scratch_capacity != 128) failures += "scratch; ";
            }
            finish(failures);
        },
        ::testing::ExitedWithCode(0), "");
}

// Even when an earlier user of the library fixed the scratch giants at two digits, the check
// still reduces every text exactly and never ends the process.
TEST(CheckIbanFreshProcess, StaysExactAfterATinyFirstGiant) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            std::string failures;
            giant_free(giant_new(1));
            std::mt19937 random(3);
            for (int length : {22, 34, 200, 4095}) {
                std::string text;
                for (int i = 0; i < length; ++i) text += static_cast<char>('A' + random() % 26);
                if (IbanCheckValue(text.c_str()) != 98 - referenceRemainder(text))
                    failures += "length " + std::to_string(length) + "; ";
            }
            finish(failures);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace velcor::checks
