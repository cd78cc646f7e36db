// CheckIban and IbanCheckValue work the remainder out directly, without the two working giants
// of the reduction through giants (detail::IbanCheckValueThroughGiants). Every answer must be
// what that route gives: the verdict, the reason text and what a check leaves in the giant
// library's state.

#include "checks/Iban.h"
#include "checks/giant/Giant.h"
#include "checks/giant/GiantState.h"
#include "support/IbanModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace velcor::checks {
namespace {

// What a check can change in the library: the public bookkeeping and the scratch pool.
struct LibraryState {
    int sizeLimit;
    int scratchCapacity;
    int error;
    int scratchTop;
    std::size_t scratchEntries;
    std::size_t allocatedScratch;

    bool operator==(const LibraryState&) const = default;
};

LibraryState libraryState() {
    const detail::GiantState& s = detail::giantState();
    const auto allocated = static_cast<std::size_t>(std::count_if(
        s.scratchTable.begin(), s.scratchTable.end(), [](giant g) { return g != nullptr; }));
    return {giant_size_limit, giant_scratch_capacity, giant_error,
            s.scratchTop,     s.scratchTable.size(),  allocated};
}

std::string describe(const LibraryState& s) {
    char text[160];
    std::snprintf(text, sizeof text, "limit %d scratch %d error %d top %d entries %zu/%zu",
                  s.sizeLimit, s.scratchCapacity, s.error, s.scratchTop, s.allocatedScratch,
                  s.scratchEntries);
    return text;
}

// Sets the bookkeeping back to `s`; the scratch pool only ever grows and is compared as is.
void restoreBookkeeping(const LibraryState& s) {
    giant_size_limit = s.sizeLimit;
    giant_scratch_capacity = s.scratchCapacity;
    giant_error = s.error;
}

using velcor::testing::normalizedModel;

struct Answer {
    int result;
    std::string message;
    LibraryState state;
};

Answer directCheck(const std::string& text) {
    char message[256] = "untouched";
    const int result = CheckIban(text.c_str(), message, sizeof message);
    return {result, message, libraryState()};
}

// The check as it was built on giants: the too-long and too-short answers touch no giant.
Answer giantRouteCheck(const std::string& text) {
    if (text.size() >= 4096) return {0, "IBAN String is too long!", libraryState()};
    const std::string normalized = normalizedModel(text);
    if (normalized.size() < 4) return {0, "Wrong IBAN!", libraryState()};
    const int value = detail::IbanCheckValueThroughGiants(normalized.c_str());
    return value == 97 ? Answer{1, "untouched", libraryState()}
                       : Answer{0, "Wrong IBAN !", libraryState()};
}

// Texts where a fast remainder could go wrong: the worked examples, every length up to the
// input bound with letters only (two digits each), digits only and both, lengths around the
// 300-digit pieces of the giant route, blanks, lower case, Cyrillic and other bytes from 0x80.
std::vector<std::string> adversarialTexts(std::mt19937& random) {
    std::vector<std::string> texts = {"0001",
                                      "0000",
                                      "00 01",
                                      "  00 01",
                                      "1234",
                                      "",
                                      "B",
                                      "BG1",
                                      "B G 1",
                                      "BG80BNBG96611020345678",
                                      "bg80 bnbg 9661 1020 3456 78",
                                      "\xC2G80BNBG96611020345678",
                                      "ZZZZ",
                                      "9999",
                                      "0097",
                                      "0098",
                                      "\xE1\xE3\xEB\xE0"};
    const std::string alnum = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    auto randomText = [&](std::size_t length, const std::string& alphabet) {
        std::string text;
        for (std::size_t i = 0; i < length; ++i) text += alphabet[random() % alphabet.size()];
        return text;
    };
    for (const std::size_t length : std::initializer_list<std::size_t>{
             4,   5,   8,   9,   16,  17,  22,  34,  148,  149,  150,  151,  152,  298,
             299, 300, 301, 302, 449, 450, 451, 600, 1000, 2047, 4094, 4095, 4096, 4097}) {
        texts.push_back(randomText(length, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
        texts.push_back(randomText(length, "0123456789"));
        texts.push_back(randomText(length, alnum));
        texts.push_back(std::string(length, 'Z'));
        texts.push_back(std::string(length, '9'));
        texts.push_back(std::string(length, ' '));
        texts.push_back(std::string(length, '0'));
        texts.push_back(std::string(length > 4 ? length - 4 : 0, ' ') + "0001");
        // A digit after a run of letters: pieces end between the two digits of a letter.
        texts.push_back(randomText(length / 2, "ABCDEFGHIJKLMNOPQRSTUVWXYZ") + "7" +
                        randomText(length / 2, "ABCDEFGHIJKLMNOPQRSTUVWXYZ"));
    }
    for (int round = 0; round < 400; ++round) {
        const std::size_t length =
            round % 4 == 0 ? 1 + random() % 4200 : 1 + random() % (round % 4 == 1 ? 40 : 400);
        std::string text;
        for (std::size_t i = 0; i < length; ++i) {
            const auto kind = random() % 10;
            if (kind < 4)
                text += alnum[random() % alnum.size()];
            else if (kind < 6)
                text += static_cast<char>('a' + random() % 26);
            else if (kind < 7)
                text += " \t-/."[random() % 5];
            else
                text += static_cast<char>(1 + random() % 255);
        }
        texts.push_back(text);
    }
    return texts;
}

// Starting points of the size limit on the way from the smallest to the largest.
int startingLimit(std::mt19937& random, int scratchCapacity) {
    const int limits[] = {
        scratchCapacity, scratchCapacity + 1, 127, 128, 129, 4096, 131071, 131072, 200000, 262143,
        262144,          kGiantMaxDigits};
    return std::max(scratchCapacity, limits[random() % std::size(limits)]);
}

// Runs every text through both routes from the same bookkeeping and names what differs.
std::string compareRoutes(std::mt19937& random) {
    std::string failures;
    int reported = 0;
    auto fail = [&](const std::string& what, const std::string& text) {
        if (++reported <= 10) failures += what + " for \"" + text.substr(0, 40) + "\"\n";
    };
    for (const std::string& text : adversarialTexts(random)) {
        LibraryState before = libraryState();
        // After the first check the limit starts anywhere it can be.
        if (before.scratchCapacity != 0) {
            before.sizeLimit = startingLimit(random, before.scratchCapacity);
            restoreBookkeeping(before);
        }
        // The direct route first: had it not warmed the scratch pool, the giant route would.
        const Answer direct = directCheck(text);
        restoreBookkeeping(before);
        const Answer expected = giantRouteCheck(text);
        if (direct.result != expected.result || direct.message != expected.message)
            fail("verdict " + direct.message + " instead of " + expected.message, text);
        if (!(direct.state == expected.state))
            fail(describe(direct.state) + " instead of " + describe(expected.state), text);

        const std::string normalized = normalizedModel(text).substr(0, 4095);
        restoreBookkeeping(before);
        const int value = IbanCheckValue(normalized.c_str());
        const LibraryState directState = libraryState();
        restoreBookkeeping(before);
        if (value != detail::IbanCheckValueThroughGiants(normalized.c_str()))
            fail("check value " + std::to_string(value), normalized);
        if (!(directState == libraryState()))
            fail("check value state " + describe(directState), normalized);
    }
    return failures;
}

[[noreturn]] void finish(const std::string& failures) {
    if (!failures.empty()) std::fputs(failures.c_str(), stderr);
    std::exit(failures.empty() ? 0 : 1);
}

// In a fresh process, so that the first check meets an empty scratch pool and a zero limit; or
// after a first giant of `capacity` digits that fixed the scratch capacity, and with it the size
// of the giant route's pieces (8, 80 and 300 digits).
TEST(IbanDirectRemainder, AnswersAsTheGiantRouteInVerdictMessageAndLibraryState) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (int firstCapacity : {0, 1, 10, 75}) {
        EXPECT_EXIT(
            {
                if (firstCapacity > 0) giant_free(giant_new(firstCapacity));
                std::mt19937 random(static_cast<unsigned>(2024 + firstCapacity));
                finish(compareRoutes(random));
            },
            ::testing::ExitedWithCode(0), "")
            << "first giant of " << firstCapacity << " digits";
    }
}

}  // namespace
}  // namespace velcor::checks
