#include "output/Transliteration.h"

#include "text/Cp1251.h"

#include <array>
#include <utility>

namespace velcor::output {

using namespace text::literals;

namespace {

struct Letter {
    std::string_view small;
    std::string_view capital;
    std::string_view latin;  // as the small letter is written
};

constexpr Letter kLetters[] = {
    {"а"_cp, "А"_cp, "a"},
    {"б"_cp, "Б"_cp, "b"},
    {"в"_cp, "В"_cp, "v"},
    {"г"_cp, "Г"_cp, "g"},
    {"д"_cp, "Д"_cp, "d"},
    {"е"_cp, "Е"_cp, "e"},
    {"ж"_cp, "Ж"_cp, "zh"},
    {"з"_cp, "З"_cp, "z"},
    {"и"_cp, "И"_cp, "i"},
    {"й"_cp, "Й"_cp, "y"},
    {"к"_cp, "К"_cp, "k"},
    {"л"_cp, "Л"_cp, "l"},
    {"м"_cp, "М"_cp, "m"},
    {"н"_cp, "Н"_cp, "n"},
    {"о"_cp, "О"_cp, "o"},
    {"п"_cp, "П"_cp, "p"},
    {"р"_cp, "Р"_cp, "r"},
    {"с"_cp, "С"_cp, "s"},
    {"т"_cp, "Т"_cp, "t"},
    {"у"_cp, "У"_cp, "u"},
    {"ф"_cp, "Ф"_cp, "f"},
    {"х"_cp, "Х"_cp, "h"},
    {"ц"_cp, "Ц"_cp, "ts"},
    {"ч"_cp, "Ч"_cp, "ch"},
    {"ш"_cp, "Ш"_cp, "sh"},
    {"щ"_cp, "Щ"_cp, "sht"},
    {"ъ"_cp, "Ъ"_cp, "a"},
    {"ь"_cp, "Ь"_cp, "y"},
    {"ю"_cp, "Ю"_cp, "yu"},
    {"я"_cp, "Я"_cp, "ya"},
    // The letters of the other Cyrillic alphabets that Windows-1251 holds, as near as Latin
    // letters come: a name written with them must not lose them.
    {"ы"_cp, "Ы"_cp, "y"},
    {"э"_cp, "Э"_cp, "e"},
    {"ё"_cp, "Ё"_cp, "yo"},
    {"і"_cp, "І"_cp, "i"},
    {"ї"_cp, "Ї"_cp, "yi"},
    {"є"_cp, "Є"_cp, "ye"},
    {"ґ"_cp, "Ґ"_cp, "g"},
    {"ў"_cp, "Ў"_cp, "u"},
    {"ј"_cp, "Ј"_cp, "j"},
    {"ђ"_cp, "Ђ"_cp, "dj"},
    {"ѓ"_cp, "Ѓ"_cp, "gj"},
    {"љ"_cp, "Љ"_cp, "lj"},
    {"њ"_cp, "Њ"_cp, "nj"},
    {"ќ"_cp, "Ќ"_cp, "kj"},
    {"ћ"_cp, "Ћ"_cp, "c"},
    {"џ"_cp, "Џ"_cp, "dzh"},
    {"ѕ"_cp, "Ѕ"_cp, "dz"},
};

// What a character outside the SEPA basic set becomes; any other is dropped.
constexpr std::pair<std::string_view, std::string_view> kReplacements[] = {
    {"№"_cp, "No"}, {"&", "+"},    {"‘"_cp, "'"}, {"’"_cp, "'"},      {"‚"_cp, "'"}, {"`", "'"},
    {"–"_cp, "-"},  {"—"_cp, "-"}, {"_", "-"},    {"…"_cp, "..."},    {";", ","},    {"[", "("},
    {"{", "("},     {"]", ")"},    {"}", ")"},    {"€"_cp, "EUR"},    {"\t", " "},   {"\n", " "},
    {"\r", " "},    {"\v", " "},   {"\f", " "},   {"\u00a0"_cp, " "},  // the no-break space
};

struct ByteInfo {
    bool letter = false;    // Cyrillic or Latin: a part of a word
    bool cyrillic = false;  // has a spelling in `latin`
    bool capital = false;
    char small = 0;          // the small letter of a Cyrillic one
    std::string_view latin;  // Cyrillic: as its small letter is written
};

const std::array<ByteInfo, 256>& byteTable() {
    static const std::array<ByteInfo, 256> table = [] {
        std::array<ByteInfo, 256> bytes{};
        const auto at = [&bytes](char c) -> ByteInfo& {
            return bytes[static_cast<unsigned char>(c)];
        };
        for (char c = 'a'; c <= 'z'; ++c) at(c).letter = true;
        for (char c = 'A'; c <= 'Z'; ++c) at(c) = {true, false, true, 0, {}};
        for (const Letter& letter : kLetters) {
            at(letter.small[0]) = {true, true, false, letter.small[0], letter.latin};
            at(letter.capital[0]) = {true, true, true, letter.small[0], letter.latin};
        }
        return bytes;
    }();
    return table;
}

const ByteInfo& infoOf(char c) { return byteTable()[static_cast<unsigned char>(c)]; }

char upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// Whether `word` is `small` (small letters) in any mix of cases.
bool sameWord(std::string_view word, std::string_view small) {
    if (word.size() != small.size()) return false;
    for (std::size_t i = 0; i < word.size(); ++i) {
        const ByteInfo& info = infoOf(word[i]);
        if ((info.cyrillic ? info.small : word[i]) != small[i]) return false;
    }
    return true;
}

void appendWord(std::string_view word, std::string& out) {
    bool allCapitals = word.size() > 1;
    for (const char c : word) allCapitals = allCapitals && infoOf(c).capital;
    // The country's name is spelled as it is known, not letter by letter.
    const bool country = sameWord(word, "българия"_cp);
    const char smallI = "и"_cp.view()[0];
    const char smallYa = "я"_cp.view()[0];
    const char smallEr = "ъ"_cp.view()[0];
    for (std::size_t k = 0; k < word.size(); ++k) {
        const ByteInfo& info = infoOf(word[k]);
        if (!info.cyrillic) {
            out += word[k];
            continue;
        }
        std::string_view latin = info.latin;
        if (info.small == smallYa && k + 1 == word.size() && k > 0 &&
            infoOf(word[k - 1]).small == smallI)
            latin = "a";
        if (country && info.small == smallEr) latin = "u";
        for (std::size_t j = 0; j < latin.size(); ++j)
            out += info.capital && (allCapitals || j == 0) ? upper(latin[j]) : latin[j];
    }
}

}  // namespace

std::string transliterate(std::string_view cp1251) {
    std::string out;
    out.reserve(cp1251.size() + cp1251.size() / 2);
    for (std::size_t i = 0; i < cp1251.size();) {
        std::size_t end = i;
        while (end < cp1251.size() && infoOf(cp1251[end]).letter) ++end;
        if (end == i) {
            out += cp1251[i++];
            continue;
        }
        appendWord(cp1251.substr(i, end - i), out);
        i = end;
    }
    return out;
}

bool isSepaCharacter(char c) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return true;
    return std::string_view("/-?:().,'+ ").find(c) != std::string_view::npos;
}

std::string sepaText(std::string_view cp1251, std::size_t maximum) {
    std::string out;
    const auto add = [&out](char c) {
        // Blanks run together, and none leads.
        if (c == ' ' && (out.empty() || out.back() == ' ')) return;
        out += c;
    };
    for (const char c : transliterate(cp1251)) {
        if (isSepaCharacter(c)) {
            add(c);
            continue;
        }
        for (const auto& [from, to] : kReplacements) {
            if (from[0] != c) continue;
            for (const char r : to) add(r);
            break;
        }
    }
    if (out.size() > maximum) out.resize(maximum);
    while (!out.empty() && out.back() == ' ') out.pop_back();
    return out;
}

}  // namespace velcor::output
