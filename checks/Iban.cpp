#include "checks/Iban.h"

#include "checks/giant/Giant.h"
#include "text/Text.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace velcor::checks {

namespace {

constexpr std::size_t kWorkAreaSize = 4096;
constexpr int kWorkingCapacity = 64;
constexpr int kDivisor = 97;

// A 64-digit giant holds every number below 2^1024 > 10^308. A real IBAN's numeric text has at
// most 68 digits and is reduced in one piece. Longer texts (up to 8190 digits for 4095 letters)
// are reduced piece by piece: each piece starts with the previous remainder, so it stays exact,
// and no piece outgrows the working giants or the library's scratch giants.
constexpr std::size_t kLargestPiece = 300;

const char kTooLong[] = "IBAN String is too long!";
const char kTooShort[] = "Wrong IBAN!";
const char kWrongCheckDigits[] = "Wrong IBAN !";

void writeMessage(char* message, std::size_t messageSize, const char* text) {
    if (message != nullptr && messageSize > 0) std::snprintf(message, messageSize, "%s", text);
}

// The length in bytes, counted no further than `bound`.
std::size_t boundedLength(const char* text, std::size_t bound) {
    std::size_t length = 0;
    while (length < bound && text[length] != '\0') ++length;
    return length;
}

// The rearranged text (fifth character to the last, then the first four) with every letter
// replaced by its two digits, A = 10 ... Z = 35.
std::size_t buildNumericText(const char* normalized, std::size_t length, char* numeric) {
    std::size_t out = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = normalized[(i + 4) % length];
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

}  // namespace

int NormalizeIban(const char* text, char* out, std::size_t outSize, char* message,
                  std::size_t messageSize) {
    const std::size_t length = boundedLength(text, kWorkAreaSize);
    if (length >= kWorkAreaSize) {
        writeMessage(message, messageSize, kTooLong);
        return 0;
    }
    char work[kWorkAreaSize];
    std::memcpy(work, text, length + 1);
    text::UpperCp1251(work);

    std::size_t kept = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char c = work[i];
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) work[kept++] = c;
    }
    if (kept >= outSize) {
        writeMessage(message, messageSize, kTooLong);
        return 0;
    }
    std::memcpy(out, work, kept);
    out[kept] = '\0';
    return 1;
}

int IbanCheckValue(const char* normalized) {
    char numeric[2 * kWorkAreaSize + 1];
    const std::size_t digits =
        buildNumericText(normalized, boundedLength(normalized, kWorkAreaSize), numeric);

    const WorkingGiant number;
    const WorkingGiant divisor;
    giant_from_int(kDivisor, divisor.get());

    // A scratch giant holds four decimal digits per 16-bit digit.
    const std::size_t pieceSize =
        std::min(kLargestPiece, 4 * static_cast<std::size_t>(giant_scratch_capacity));
    int remainder = 0;
    char piece[kLargestPiece + 1];
    for (std::size_t position = 0; position < digits;) {
        std::size_t used = 0;
        if (position > 0) {
            piece[used++] = static_cast<char>('0' + remainder / 10);
            piece[used++] = static_cast<char>('0' + remainder % 10);
        }
        const std::size_t take = std::min(pieceSize - used, digits - position);
        std::memcpy(piece + used, numeric + position, take);
        piece[used + take] = '\0';
        position += take;

        giant_from_decimal(number.get(), piece);
        giant_mod(divisor.get(), number.get());
        remainder = gtoi(number.get());
    }
    return 98 - remainder;
}

int CheckIban(const char* text, char* message, std::size_t messageSize) {
    char normalized[kWorkAreaSize];
    if (!NormalizeIban(text, normalized, sizeof normalized, message, messageSize)) return 0;
    if (std::strlen(normalized) < 4) {
        writeMessage(message, messageSize, kTooShort);
        return 0;
    }
    if (IbanCheckValue(normalized) != 97) {
        writeMessage(message, messageSize, kWrongCheckDigits);
        return 0;
    }
    return 1;
}

}  // namespace velcor::checks
