#include "processing/ListName.h"

#include <gtest/gtest.h>

#include <string>

namespace velcor::processing {
namespace {

using Kind = ListNameReading::Kind;

TEST(ListName, ReadsTheLetterAndTheDateOfTheFileNameOnly) {
    const LocalDateTime today{2026, 12, 9, 10, 0, 0, true};
    const struct {
        const char* path;
        Kind kind;
        int day = 0, month = 0, year = 0;
    } cases[] = {
        {"O081206P.1DP", Kind::dated, 8, 12, 2006},
        {"o311299x.txt", Kind::dated, 31, 12, 2099},
        {"/home/j.smith/O150326P.1SB", Kind::dated, 15, 3, 2026},  // a folder's full stop
        {"C:\\Пари.2026\\O010126P.1DP", Kind::dated, 1, 1, 2026},
        {"short.txt", Kind::noRules},
        {"no-full-stop-at-all", Kind::noRules},
        {"O08120.txt", Kind::badDate},  // seven characters with the full stop: the rules apply
        {"A081206P.1DP", Kind::notStartingWithO},
        {".velcor-0123456789abcdef.tmp", Kind::notStartingWithO},  // hidden
        {"O321206P.1DP", Kind::badDate},
        {"O300206P.1DP", Kind::badDate},  // 30 February
        {"O081306P.1DP", Kind::badDate},
        {"O0812x6P.1DP", Kind::badDate},
    };
    for (const auto& c : cases) {
        const ListNameReading reading = readListName(c.path, today);
        EXPECT_EQ(reading.kind, c.kind) << c.path;
        if (c.kind == Kind::dated) {
            EXPECT_EQ(reading.day, c.day) << c.path;
            EXPECT_EQ(reading.month, c.month) << c.path;
            EXPECT_EQ(reading.year, c.year) << c.path;
        }
    }
    EXPECT_EQ(suggestedListPattern(today, "dp"), "O091226P.*DP*");
    EXPECT_EQ(suggestedListPattern({2006, 1, 2, 0, 0, 0, true}, "SBX"), "O020106P.*SB*");
}

}  // namespace
}  // namespace velcor::processing
