#pragma once

// IBAN check digits by ISO 7064 MOD 97-10. Texts are Windows-1251; reasons are short English
// texts written into the caller's buffer.

#include <cstddef>
#include <string_view>

namespace velcor::checks {

// 1 when `text` is a valid IBAN; 0 otherwise, with the reason in `message` (cut to its size):
// "IBAN String is too long!", "Wrong IBAN!" (fewer than four characters) or "Wrong IBAN !".
int CheckIban(const char* text, char* message, std::size_t messageSize);
// The same for a text of known length, which need not be zero-terminated: the row checks hand
// over a field's value where it stands in its line. A NUL byte is dropped like any other byte
// that is neither a letter nor a digit.
int CheckIban(std::string_view text, char* message, std::size_t messageSize);

// The IBAN of a payment list's row: CheckIban, and beyond its check digits the form an account
// the bank can be paid to has. 0 with "Wrong IBAN character!" when the text holds a byte other
// than a Latin letter, a digit, a blank or a hyphen (CheckIban would pass over it, and the row
// would reach the bank as written); CheckIban's own reasons next; then "Unknown IBAN country!"
// when the IBAN registry holds no country of its first two letters, and "Wrong IBAN length!" when
// its compact form is not as long as that country's IBANs.
int CheckIbanField(std::string_view text, char* message, std::size_t messageSize);

// Upper-cases `text` and keeps only A-Z and 0-9, into `out`. 0 with "IBAN String is too long!"
// when the input has 4096 bytes or more (or the result does not fit `outSize`).
int NormalizeIban(const char* text, char* out, std::size_t outSize, char* message,
                  std::size_t messageSize);

// The first `size` characters of the form that CheckIban checks: upper case, A-Z and 0-9 only,
// blanks, dashes and every other byte left out. Returns how many it wrote, fewer for a shorter
// text. Whatever else reads an IBAN (its bank code, its budget-account digit) reads this form, so
// that "BG48 BNBG 9661 8000 1234 56" is the same account to every rule.
std::size_t CompactIbanStart(std::string_view text, char* out, std::size_t size);

// 98 minus the MOD 97-10 remainder of a normalised text of at least four characters; 97 means
// valid. With "00" as check digits the value, written with two digits, is the right pair.
int IbanCheckValue(const char* normalized);

namespace detail {

// IbanCheckValue worked out through two giants of capacity 64, reducing the numeric text piece
// by piece with giant_from_decimal and giant_mod. IbanCheckValue computes the remainder directly
// and must agree with this in the value and in what it leaves in the giant library's state.
int IbanCheckValueThroughGiants(const char* normalized);

}  // namespace detail

}  // namespace velcor::checks
