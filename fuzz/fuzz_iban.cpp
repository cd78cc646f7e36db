// Feeds any bytes to the IBAN check and to the big-integer reading and reduction it rests on.
// What must hold:
//  - NormalizeIban keeps exactly the Latin letters (upper-cased) and digits of the text;
//  - CheckIban's verdict equals a mod-97 worked out digit by digit, apart from the library;
//  - CheckIban and IbanCheckValue, which work the remainder out directly, answer as the reduction
//    through giants does, and leave the giant library's state as it leaves it;
//  - giant_from_decimal followed by giant_mod gives the remainder that long division gives;
//  - a list whose row pays to that IBAN (with the BIC of its bank), prepared, is a file a bank
//    reads as one checked row per data line, with the count, total and control code the list
//    gives again (support/PreparedRoundTrip.h).
// The input is one text for the IBAN check; for the giants, the part before the first "/" is the
// number and up to eight bytes after it make the divisor.

#include "checks/Iban.h"
#include "checks/giant/Giant.h"
#include "checks/giant/GiantState.h"
#include "support/IbanModel.h"
#include "support/PreparedRoundTrip.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>
#include <tuple>

namespace {

using velcor::testing::mod97Model;
using velcor::testing::normalizedModel;

using namespace velcor::checks;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

giant number = nullptr;
giant divisor = nullptr;

void checkIban(const std::string& text) {
    char message[64] = {};
    char normalized[4096] = {};
    const int normalizedOk =
        NormalizeIban(text.c_str(), normalized, sizeof normalized, message, sizeof message);
    const int verdict = CheckIban(text.c_str(), message, sizeof message);
    if (text.size() >= 4096) {
        require(normalizedOk == 0 && verdict == 0, "an over-long text is refused");
        require(std::strcmp(message, "IBAN String is too long!") == 0, "too-long message");
        return;
    }
    const std::string model = normalizedModel(text);
    require(normalizedOk == 1 && model == normalized, "normalised text differs");
    if (model.size() < 4) {
        require(verdict == 0 && std::strcmp(message, "Wrong IBAN!") == 0, "short text refused");
        return;
    }
    require(verdict == (mod97Model(model) == 1 ? 1 : 0), "verdict differs from mod 97");
}

// The number the decimal reader sees in `text`, reduced by `d`, by long division.
std::uint64_t decimalModModel(const char* text, std::uint64_t d) {
    bool negative = false;
    const char* p = text;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    unsigned __int128 remainder = 0;
    int digits = 0;
    bool continued = false;
    for (; *p != '\0' && digits < 10000; ++p) {
        if (*p >= '0' && *p <= '9') {
            remainder = (remainder * 10 + static_cast<unsigned>(*p - '0')) % d;
            ++digits;
            continued = false;
        } else if (*p == '\\') {
            continued = true;
        } else if ((*p == ' ' || *p == '\n' || *p == '\t') && !continued) {
            break;
        }
    }
    const auto r = static_cast<std::uint64_t>(remainder);
    return negative && r != 0 ? d - r : r;
}

// What a check can change in the giant library.
auto libraryState() {
    const detail::GiantState& s = detail::giantState();
    std::size_t allocated = 0;
    for (giant g : s.scratchTable) allocated += g != nullptr ? 1 : 0;
    return std::tuple(giant_size_limit, giant_scratch_capacity, giant_error, s.scratchTop,
                      s.scratchTable.size(), allocated);
}

// Both routes start from the same size limit, one that the first byte picks between the scratch
// capacity and the largest size, so that the bookkeeping has room to rise.
void compareWithGiantRoute(const std::string& text) {
    const int limits[] = {giant_scratch_capacity, 4 * giant_scratch_capacity, 131071, 262144,
                          kGiantMaxDigits};
    const int start = text.empty()
                          ? kGiantMaxDigits
                          : limits[static_cast<unsigned char>(text[0]) % std::size(limits)];

    char message[64] = "untouched";
    giant_size_limit = start;
    const int verdict = CheckIban(text.c_str(), message, sizeof message);
    const auto direct = libraryState();

    giant_size_limit = start;
    const std::string normalized = text.size() >= 4096 ? "" : normalizedModel(text);
    if (text.size() >= 4096 || normalized.size() < 4) {
        require(libraryState() == direct, "a refused text leaves the library as it was");
        return;
    }
    const int value = detail::IbanCheckValueThroughGiants(normalized.c_str());
    require(verdict == (value == 97 ? 1 : 0), "verdict differs from the giant route");
    require(std::strcmp(message, value == 97 ? "untouched" : "Wrong IBAN !") == 0,
            "message differs from the giant route");
    require(libraryState() == direct, "library state differs from the giant route");

    giant_size_limit = start;
    require(IbanCheckValue(normalized.c_str()) == value,
            "check value differs from the giant route");
    require(libraryState() == direct, "check value leaves another library state");
}

void checkGiants(const std::string& input) {
    const std::size_t slash = input.find('/');
    const std::string numberText = input.substr(0, slash);
    std::uint64_t d = 0;
    if (slash != std::string::npos) {
        const std::string tail = input.substr(slash + 1, 8);
        std::memcpy(&d, tail.data(), tail.size());
    }
    d %= 1000000000000000000ull;
    if (d == 0) d = 97;
    char divisorText[32];
    std::snprintf(divisorText, sizeof divisorText, "%llu", static_cast<unsigned long long>(d));

    giant_from_int(0, number);
    giant_from_decimal(number, numberText.c_str());
    giant_from_decimal(divisor, divisorText);
    giant_mod(divisor, number);

    require(number->count >= 0 && number->count <= 4, "remainder is below the divisor");
    std::uint64_t r = 0;
    for (int i = number->count - 1; i >= 0; --i) r = (r << 16) | number->digits()[i];
    require(r == decimalModModel(numberText.c_str(), d), "remainder differs from long division");
}

// A row paying to `text`, with a BIC of the bank its IBAN names, so that a valid IBAN makes a
// list that is prepared.
void prepareARowPayingTo(const std::string& text) {
    char start[8] = {};
    const std::size_t length = CompactIbanStart(text, start, sizeof start);
    const std::string bank = length == 8 ? std::string(start + 4, 4) : "BNBG";
    velcor::testing::preparedRoundTrip(velcor::testing::kRoundTripSettings, 0,
                                       text + ";" + bank + "BGSF;Ivan Petrov;;;12.50;\r\n", {},
                                       require);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Created first, these fix the library's scratch size for the whole run: large enough for
    // the 10000 decimal digits giant_from_decimal reads.
    number = giant_new(3000);
    divisor = giant_new(3000);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string input(reinterpret_cast<const char*>(data), size);
    // The checks take zero-terminated texts.
    const std::string text = input.substr(0, input.find('\0'));
    checkIban(text);
    compareWithGiantRoute(text);
    checkGiants(text);
    prepareARowPayingTo(text);
    return 0;
}
