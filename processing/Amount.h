#pragma once

// Amounts of a payment list, kept exactly in cents (stotinki): a bank refuses a file whose total
// is a cent off, and a binary double drifts over hundreds of thousands of rows.

#include <cstdint>
#include <string>
#include <string_view>

namespace velcor::processing {

using Cents = std::int64_t;

struct AmountReading {
    enum class Kind {
        amount,   // a plain decimal above zero; `cents` holds it
        zero,     // nothing at all, or a plain decimal equal to zero ("0", "-0.00", "+0")
        invalid,  // anything else: "abc", "1250,50", "1 250.00", "1e3", "\"5\"", 14 digits, and
                  // every amount below zero, since a credit transfer never takes money back
    };
    Kind kind = Kind::zero;
    Cents cents = 0;
};

// Reads a SUM value. An amount is, blanks around it trimmed, an optional sign, at most 13 integer
// digits (leading zeros of a zero-padded column do not count), optionally a full stop and at most
// two decimals: "3.", ".5", "+7.25", "0001250.50".
AmountReading readAmount(std::string_view text);

// `cents` as a decimal with two places, right-aligned in `width` characters, as printf's "%*.2f"
// writes the same value: 123450 in 12 gives "     1234.50", -5 gives "-0.05".
std::string formatCents(Cents cents, int width);

}  // namespace velcor::processing
