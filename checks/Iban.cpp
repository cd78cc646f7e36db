#include "checks/Iban.h"

#include "checks/IbanRegistry.h"
#include "checks/giant/Giant.h"
#include "checks/giant/GiantState.h"
#include "text/Text.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace velcor::checks {

namespace {

constexpr std::size_t kWorkAreaSize = 4096;
constexpr int kWorkingCapacity = 64;
constexpr int kDivisor = 97;

// Through giants: a 64-digit giant holds every number below 2^1024 > 10^308. A real IBAN's
// numeric text has at most 68 digits and is reduced in one piece. Longer texts (up to 8190
// digits for 4095 letters) are reduced piece by piece: each piece starts with the previous
// remainder, so it stays exact, and no piece outgrows the working giants or the library's
// scratch giants.
constexpr std::size_t kLargestPiece = 300;

// Characters folded into one number before the remainder is reduced (see foldRemainder).
constexpr std::size_t kBlock = 8;

const char kTooLong[] = "IBAN String is too long!";
const char kTooShort[] = "Wrong IBAN!";
const char kWrongCheckDigits[] = "Wrong IBAN !";
const char kWrongCharacter[] = "Wrong IBAN character!";
const char kUnknownCountry[] = "Unknown IBAN country!";
const char kWrongLength[] = "Wrong IBAN length!";

void writeMessage(char* message, std::size_t messageSize, const char* text) {
    if (message != nullptr && messageSize > 0) std::snprintf(message, messageSize, "%s", text);
}

// The length in bytes, counted no further than `bound`.
std::size_t boundedLength(const char* text, std::size_t bound) {
    std::size_t length = 0;
    while (length < bound && text[length] != '\0') ++length;
    return length;
}

// For every byte, what normalising makes of it: its upper-case form when that is A-Z or 0-9,
// else 0 (dropped). Built from UpperCp1251, the one home of the upper-casing rule.
const std::array<char, 256>& normalForms() {
    static const std::array<char, 256> forms = [] {
        std::array<char, 256> table{};
        for (std::size_t b = 1; b < table.size(); ++b) {
            char upper[2] = {static_cast<char>(b), '\0'};
            text::UpperCp1251(upper);
            const char c = upper[0];
            if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) table[b] = c;
        }
        return table;
    }();
    return forms;
}

constexpr std::uint64_t kEveryByte = 0x0101010101010101;
constexpr std::uint64_t kHighBits = 0x8080808080808080;

// Whether all eight bytes of `word` are A-Z or 0-9 already, as most IBANs in a list are written.
// Below 0x80, adding 0x80 - n to a byte sets its high bit exactly when the byte is n or more,
// and no carry leaves the byte.
bool alreadyNormal(std::uint64_t word) {
    if ((word & kHighBits) != 0) return false;
    const auto atLeast = [word](std::uint64_t n) {
        return (word + (0x80 - n) * kEveryByte) & kHighBits;
    };
    const std::uint64_t digits = atLeast('0') & ~atLeast('9' + 1);
    const std::uint64_t letters = atLeast('A') & ~atLeast('Z' + 1);
    return (digits | letters) == kHighBits;
}

// Normalises `text` into `out` (room for kWorkAreaSize + 1 bytes) and returns the length of the
// result; kWorkAreaSize, with nothing written, when the text has kWorkAreaSize bytes or more.
// Eight bytes that need no change are copied in one go.
std::size_t normalizeInto(std::string_view text, char* out) {
    if (text.size() >= kWorkAreaSize) return kWorkAreaSize;
    const std::size_t length = text.size();
    const std::array<char, 256>& forms = normalForms();
    std::size_t kept = 0;
    const auto keep = [&](std::size_t from, std::size_t to) {
        for (std::size_t i = from; i < to; ++i) {
            const char c = forms[static_cast<unsigned char>(text[i])];
            out[kept] = c;
            kept += c != '\0' ? 1 : 0;
        }
    };
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (alreadyNormal(word)) {
            std::memcpy(out + kept, &word, 8);
            kept += 8;
        } else {
            keep(i, i + 8);
        }
    }
    keep(i, length);
    out[kept] = '\0';
    return kept;
}

// Where the rearranged text starts: the fifth character, then the text wraps round to the first.
// Only a text below five characters needs the division.
std::size_t rearrangedStart(std::size_t length) {
    return length > 4 ? 4 : (length == 0 ? 0 : 4 % length);
}

// The digits per piece through giants: a scratch giant holds four decimal digits per 16-bit
// digit.
std::size_t pieceSize() {
    return std::min(kLargestPiece, 4 * static_cast<std::size_t>(giant_scratch_capacity));
}

// How many pieces a numeric text of `digits` digits is reduced in: the first takes `size`
// digits, each further one the previous remainder's two and `size` - 2 new ones.
std::size_t pieceCount(std::size_t digits, std::size_t size) {
    if (digits <= size) return digits == 0 ? 0 : 1;
    const std::size_t rest = digits - size;
    return 1 + (rest + size - 3) / (size - 2);
}

// The rearranged text with every letter replaced by its two digits, A = 10 ... Z = 35.
std::size_t buildNumericText(const char* normalized, std::size_t length, char* numeric) {
    const std::size_t start = rearrangedStart(length);
    std::size_t out = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = normalized[(i + start) % length];
        if (c >= 'A' && c <= 'Z') {
            const int value = c - 'A' + 10;
            numeric[out++] = static_cast<char>('0' + value / 10);
            numeric[out++] = static_cast<char>('0' + value % 10);
        } else {
            numeric[out++] = c;
        }
    }
    numeric[out] = '\0';
    return out;
}

// A working giant, freed however the block is left (giant_new throws std::bad_alloc when memory
// runs out, and so may a scratch giant's first use).
class WorkingGiant {
  public:
    WorkingGiant() : g_(giant_new(kWorkingCapacity)) {}
    ~WorkingGiant() { giant_free(g_); }
    WorkingGiant(const WorkingGiant&) = delete;
    WorkingGiant& operator=(const WorkingGiant&) = delete;
    giant get() const { return g_; }

  private:
    giant g_;
};

// 10^k mod 97 for the k decimal digits that one block of characters adds.
constexpr auto kPowersOfTen = [] {
    std::array<std::uint64_t, 2 * kBlock + 1> powers{};
    std::uint64_t power = 1;
    for (std::uint64_t& p : powers) {
        p = power;
        power = power * 10 % kDivisor;
    }
    return powers;
}();

// Folds characters of a normalised text into a remainder modulo 97, as the numeric text's
// digits would be: a digit as itself, a letter as its two digits. kBlock characters make one
// number below 10^16, so remainder * (10^k mod 97) + block stays far below 2^64 and one
// reduction per block is exact. Counts the numeric text's digits on the way.
unsigned foldRemainder(unsigned remainder, const char* chars, std::size_t count,
                       std::size_t& digits) {
    std::uint64_t r = remainder;
    while (count > 0) {
        const std::size_t take = std::min(count, kBlock);
        std::uint64_t block = 0;
        std::size_t blockDigits = 0;
        for (std::size_t i = 0; i < take; ++i) {
            const auto c = static_cast<unsigned char>(chars[i]);
            const bool letter = c >= 'A';
            block = block * (letter ? 100 : 10) + (letter ? c - 'A' + 10 : c - '0');
            blockDigits += letter ? 2 : 1;
        }
        r = (r * kPowersOfTen[blockDigits] + block) % kDivisor;
        digits += blockDigits;
        chars += take;
        count -= take;
    }
    return static_cast<unsigned>(r);
}

// What reducing a numeric text of `digits` digits through giants leaves in the library's state,
// recorded without the giants: the two working giants' creation, then per piece a decimal
// reading (one scratch giant taken and given back) and a reduction. Once the state has settled
// at the largest size limit, none of it changes anything.
void recordReductionThroughGiants(std::size_t digits) {
    detail::GiantState& state = detail::giantState();
    if (state.settled()) return;
    state.recordCreation(kWorkingCapacity);
    state.recordCreation(kWorkingCapacity);
    for (std::size_t piece = pieceCount(digits, pieceSize()); piece > 0; --piece) {
        static_cast<void>(state.takeScratch());
        state.giveBackScratch();
        state.recordReduction();
    }
}

// The check value of a normalised text of `length` characters.
int checkValue(const char* normalized, std::size_t length) {
    const std::size_t start = rearrangedStart(length);
    std::size_t digits = 0;
    unsigned remainder = foldRemainder(0, normalized + start, length - start, digits);
    remainder = foldRemainder(remainder, normalized, start, digits);
    // The remainder needs no giants, but the big-integer library's limits and process-wide state
    // are part of what a check leaves behind: they are kept as the giants would have left them.
    recordReductionThroughGiants(digits);
    return 98 - static_cast<int>(remainder);
}

}  // namespace

int NormalizeIban(const char* text, char* out, std::size_t outSize, char* message,
                  std::size_t messageSize) {
    char work[kWorkAreaSize + 1];
    const std::size_t kept =
        normalizeInto(std::string_view(text, strnlen(text, kWorkAreaSize)), work);
    if (kept >= kWorkAreaSize || kept >= outSize) {
        writeMessage(message, messageSize, kTooLong);
        return 0;
    }
    std::memcpy(out, work, kept + 1);
    return 1;
}

std::size_t CompactIbanStart(std::string_view text, char* out, std::size_t size) {
    const std::array<char, 256>& forms = normalForms();
    std::size_t kept = 0;
    for (std::size_t i = 0; i < text.size() && kept < size; ++i) {
        const char c = forms[static_cast<unsigned char>(text[i])];
        out[kept] = c;
        kept += c != '\0' ? 1 : 0;
    }
    return kept;
}

int IbanCheckValue(const char* normalized) {
    return checkValue(normalized, boundedLength(normalized, kWorkAreaSize));
}

namespace detail {

int IbanCheckValueThroughGiants(const char* normalized) {
    char numeric[2 * kWorkAreaSize + 1];
    const std::size_t digits =
        buildNumericText(normalized, boundedLength(normalized, kWorkAreaSize), numeric);

    const WorkingGiant number;
    const WorkingGiant divisor;
    giant_from_int(kDivisor, divisor.get());

    const std::size_t size = pieceSize();
    int remainder = 0;
    char piece[kLargestPiece + 1];
    for (std::size_t position = 0; position < digits;) {
        std::size_t used = 0;
        if (position > 0) {
            piece[used++] = static_cast<char>('0' + remainder / 10);
            piece[used++] = static_cast<char>('0' + remainder % 10);
        }
        const std::size_t take = std::min(size - used, digits - position);
        std::memcpy(piece + used, numeric + position, take);
        piece[used + take] = '\0';
        position += take;

        giant_from_decimal(number.get(), piece);
        giant_mod(divisor.get(), number.get());
        remainder = gtoi(number.get());
    }
    return 98 - remainder;
}

}  // namespace detail

int CheckIban(const char* text, char* message, std::size_t messageSize) {
    // A text of kWorkAreaSize bytes or more is refused whatever follows, so it is measured no
    // further.
    return CheckIban(std::string_view(text, strnlen(text, kWorkAreaSize)), message, messageSize);
}

namespace {

// CheckIban over `text`, leaving its normal form in `normalized` (room for kWorkAreaSize + 1
// bytes) and its length in `length`.
int checkIntoNormalForm(std::string_view text, char* normalized, std::size_t& length, char* message,
                        std::size_t messageSize) {
    length = normalizeInto(text, normalized);
    if (length >= kWorkAreaSize) {
        writeMessage(message, messageSize, kTooLong);
        return 0;
    }
    if (length < 4) {
        writeMessage(message, messageSize, kTooShort);
        return 0;
    }
    if (checkValue(normalized, length) != 97) {
        writeMessage(message, messageSize, kWrongCheckDigits);
        return 0;
    }
    return 1;
}

// Whether `text` holds only Latin letters, digits, blanks and hyphens. Eight upper-case letters
// and digits, as most IBANs in a list are written, are told in one step.
bool holdsOnlyIbanBytes(std::string_view text) {
    const std::array<char, 256>& forms = normalForms();
    std::size_t i = 0;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, 8);
        if (alreadyNormal(word)) continue;
        for (std::size_t k = i; k < i + 8; ++k)
            if (forms[static_cast<unsigned char>(text[k])] == '\0' && text[k] != ' ' &&
                text[k] != '-')
                return false;
    }
    for (; i < text.size(); ++i)
        if (forms[static_cast<unsigned char>(text[i])] == '\0' && text[i] != ' ' && text[i] != '-')
            return false;
    return true;
}

}  // namespace

int CheckIban(std::string_view text, char* message, std::size_t messageSize) {
    char normalized[kWorkAreaSize + 1];
    std::size_t length = 0;
    return checkIntoNormalForm(text, normalized, length, message, messageSize);
}

int CheckIbanField(std::string_view text, char* message, std::size_t messageSize) {
    // The normal forms hold exactly the Latin letters and digits, upper-cased: any other byte
    // but a blank or a hyphen would be passed over by the check digits.
    if (!holdsOnlyIbanBytes(text)) {
        writeMessage(message, messageSize, kWrongCharacter);
        return 0;
    }
    char normalized[kWorkAreaSize + 1];
    std::size_t length = 0;
    if (checkIntoNormalForm(text, normalized, length, message, messageSize) == 0) return 0;
    const std::size_t expected = IbanLengthOfCountry({normalized, 2});
    if (expected == 0) {
        writeMessage(message, messageSize, kUnknownCountry);
        return 0;
    }
    if (length != expected) {
        writeMessage(message, messageSize, kWrongLength);
        return 0;
    }
    return 1;
}

}  // namespace velcor::checks
