#pragma once

// Large, realistic payment lists for the benchmarks: delimited rows with a valid IBAN, its bank's
// BIC, a Cyrillic name, an EGN or a BULSTAT, an amount and a reason, about 120 bytes a row.

#include "settings/Settings.h"
#include "tests/support/ListFormats.h"
#include "text/Cp1251.h"

#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

namespace velcor::bench {

// The format the generated rows follow.
inline settings::FormatDefinition generatedListFormat() {
    return testing::delimitedFormat("DP", ';',
                                    {"IBAN", "BIC", "NAME", "EGN", "BULSTAT", "SUM", "REASON"});
}

namespace detail {

inline int mod97(const std::string& digits) {
    int remainder = 0;
    for (const char c : digits) remainder = (remainder * 10 + (c - '0')) % 97;
    return remainder;
}

// A Bulgarian IBAN with correct check digits for a bank code and an account part.
inline std::string makeIban(const std::string& bank, const std::string& account) {
    const std::string bban = bank + account;
    std::string digits;
    for (const char c : bban + "BG00")
        digits += (c >= 'A' && c <= 'Z') ? std::to_string(c - 'A' + 10) : std::string(1, c);
    const int check = 98 - mod97(digits);
    std::string iban = "BG";
    iban += static_cast<char>('0' + check / 10);
    iban += static_cast<char>('0' + check % 10);
    iban += bban;
    return iban;
}

inline std::string makeEgn(std::mt19937& random) {
    char text[11];
    std::snprintf(text, sizeof text, "%02u%02u%02u%03u", static_cast<unsigned>(50 + random() % 50),
                  static_cast<unsigned>(1 + random() % 12),
                  static_cast<unsigned>(1 + random() % 28), static_cast<unsigned>(random() % 1000));
    static constexpr int kWeights[9] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
    int sum = 0;
    for (int i = 0; i < 9; ++i) sum += kWeights[i] * (text[i] - '0');
    text[9] = static_cast<char>('0' + sum % 11 % 10);
    text[10] = '\0';
    return text;
}

inline std::string makeBulstat(std::mt19937& random) {
    std::string digits = std::to_string(10000000 + random() % 90000000);
    int sum = 0;
    for (int i = 0; i < 8; ++i) sum += (i + 1) * (digits[static_cast<std::size_t>(i)] - '0');
    int check = sum % 11;
    if (check == 10) {
        sum = 0;
        for (int i = 0; i < 8; ++i) sum += (i + 3) * (digits[static_cast<std::size_t>(i)] - '0');
        check = sum % 11 == 10 ? 0 : sum % 11;
    }
    digits += static_cast<char>('0' + check);
    return digits;
}

}  // namespace detail

// Writes `rows` rows (CR LF line ends, as lists made on Windows have them) to `path`; returns
// the number of bytes written, 0 on failure.
inline std::uint64_t writeGeneratedList(const std::string& path, int rows) {
    using namespace text::literals;
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 0;
    std::mt19937 random(12345);
    struct Bank {
        const char* code;
        const char* bic;
    };
    static constexpr Bank kBanks[] = {
        {"BNBG", "BNBGBGSD"}, {"UNCR", "UNCRBGSF"}, {"UBBS", "UBBSBGSF"}, {"STSA", "STSABGSF"}};
    const std::string names[] = {"Иван Петров Иванов"_cp, "Мария Георгиева Димитрова"_cp,
                                 "Строителна компания ЕООД"_cp, "Пламен Стоянов Колев"_cp};
    const std::string reasons[] = {"Заплата за месец март 2024 г."_cp,
                                   "Фактура 0000012345 от 01.03.2024"_cp,
                                   "Обезщетение по трудов договор"_cp};
    std::string block;
    std::uint64_t written = 0;
    for (int row = 0; row < rows; ++row) {
        const Bank& bank = kBanks[random() % 4];
        char account[15];
        std::snprintf(account, sizeof account, "%04u10%08u",
                      static_cast<unsigned>(random() % 10000),
                      static_cast<unsigned>(random() % 100000000));
        const bool person = random() % 3 != 0;
        char amount[32];
        std::snprintf(amount, sizeof amount, "%u.%02u", static_cast<unsigned>(1 + random() % 50000),
                      static_cast<unsigned>(random() % 100));
        block += detail::makeIban(bank.code, account);
        block += ';';
        block += bank.bic;
        block += ';';
        block += names[random() % 4];
        block += ';';
        block += person ? detail::makeEgn(random) : std::string();
        block += ';';
        block += person ? std::string() : detail::makeBulstat(random);
        block += ';';
        block += amount;
        block += ';';
        block += reasons[random() % 3];
        block += "\r\n";
        if (block.size() >= (1u << 20) || row + 1 == rows) {
            if (std::fwrite(block.data(), 1, block.size(), file) != block.size()) {
                std::fclose(file);
                return 0;
            }
            written += block.size();
            block.clear();
        }
    }
    return std::fclose(file) == 0 ? written : 0;
}

}  // namespace velcor::bench
