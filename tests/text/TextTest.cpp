#include "text/Cp1251.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <cctype>
#include <string>

namespace velcor::text {
namespace {

using namespace literals;

TEST(Cp1251Literal, SpellsBulgarianInWindows1251AtCompileTime) {
    constexpr auto word = "Грешнa сума!"_cp;  // the "a" before the blank is Latin
    static_assert(word.size() == 12);
    EXPECT_EQ(word.view(), std::string("\xC3\xF0\xE5\xF8\xED"
                                       "a \xF1\xF3\xEC\xE0!"));
    static_assert("№"_cp.view()[0] == '\xB9');
    static_assert("abc"_cp.view() == "abc");
    EXPECT_EQ(word.c_str()[word.size()], '\0');
}

TEST(Cp1251Conversion, EveryByteRoundTripsThroughUtf8) {
    std::string all;
    for (int b = 1; b < 256; ++b) all += static_cast<char>(b);
    const std::string utf8 = toUtf8(all);
    std::string back;
    ASSERT_TRUE(fromUtf8(utf8, back));
    EXPECT_EQ(back, all);
    EXPECT_EQ(toUtf8("\xC0\xFF\xB9\x88"), "Ая№€");
}

TEST(Cp1251Conversion, ReportsTheFirstCharacterItCannotHold) {
    std::string out;
    std::string bad;
    EXPECT_FALSE(fromUtf8("Ла€ok 中文", out, &bad));
    EXPECT_EQ(bad, "中");
    EXPECT_EQ(out, "\xCB\xE0\x88ok ");
    EXPECT_FALSE(fromUtf8("\xC3\x28", out, &bad));  // malformed UTF-8
}

TEST(Trimming, EachTrimRemovesItsOwnSetOfCharacters) {
    EXPECT_EQ(trimBlanks(" \t\r\nab c\n\t "), "ab c");
    EXPECT_EQ(trimBlanks("\vab\f"), "\vab\f");  // VT and FF are not blanks here
    EXPECT_EQ(trimWhitespace("\v\f ab c\r\n\t"), "ab c");
    EXPECT_EQ(trimBlanks("   "), "");
    EXPECT_EQ(trimWhitespace(""), "");
    // Every byte, against the C library's own white space in the "C" locale.
    for (int b = 0; b < 256; ++b) {
        const char c = static_cast<char>(b);
        const std::string text{c, 'x', c};
        const bool space = std::isspace(b) != 0;
        const bool blank = c == ' ' || c == '\t' || c == '\r' || c == '\n';
        EXPECT_EQ(trimWhitespace(text), space ? "x" : text) << b;
        EXPECT_EQ(trimBlanks(text), blank ? "x" : text) << b;
    }
}

TEST(UpperCasing, LatinOnlyVersusCyrillicAware) {
    EXPECT_EQ(upperLatin("abc\xE0\xFFz"), "ABC\xE0\xFFZ");
    char buffer[] = "bg80\xE0\xFF\xB9\xDF";
    EXPECT_STREQ(UpperCp1251(buffer), "BG80\xC0\xDF\xB9\xDF");
    EXPECT_TRUE(equalsIgnoreAsciiCase("Client", "CLIENT"));
    EXPECT_FALSE(equalsIgnoreAsciiCase("\xE0", "\xC0"));
}

TEST(LeadingInteger, ReadsLikeStrtolAndHoldsTheRange) {
    EXPECT_EQ(leadingInteger(" \t\v+42x"), 42);
    EXPECT_EQ(leadingInteger("-1"), -1);
    EXPECT_EQ(leadingInteger("-"), 0);
    EXPECT_EQ(leadingInteger("x12"), 0);
    EXPECT_EQ(leadingInteger("0 7"), 0);
    EXPECT_EQ(leadingInteger("99999999999999999999"), 2147483647);
    EXPECT_EQ(leadingInteger("-99999999999999999999"), -2147483647 - 1);
}

TEST(Html, EscapesTheFourMarkupCharacters) {
    EXPECT_EQ(escapeHtml("a&b<c>\"d'"), "a&amp;b&lt;c&gt;&quot;d'");
}

TEST(Formatting, PrintfIntoAString) {
    EXPECT_EQ(format("%12.2lf|%d|%s", 1234.5, 7, "x"), "     1234.50|7|x");
    EXPECT_EQ(format("%s", ""), "");
}

}  // namespace
}  // namespace velcor::text
