#include "output/Transliteration.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace velcor::output {
namespace {

using namespace velcor::text::literals;

// Real Bulgarian names and places, as the official system (the law of 2009) spells them, and
// firm names as a payment list holds them: what a SEPA file sends.
TEST(Transliteration, NamesAreSentAsTheOfficialSystemSpellsThem) {
    const struct {
        std::string_view written;
        std::string_view sent;
    } cases[] = {
        {"Христо Ботев"_cp, "Hristo Botev"},  // х is h, not kh
        {"Щерю Щерев"_cp, "Shteryu Shterev"},
        {"ЩЕРЮ ЖЕЛЕВ"_cp, "SHTERYU ZHELEV"},  // a word all in capitals stays so
        {"Търговище"_cp, "Targovishte"},      // ъ is a, not u or ŭ
        {"Ъглен"_cp, "Aglen"},
        {"Жельо Кьосев"_cp, "Zhelyo Kyosev"},
        {"Юлия Ялъмова"_cp, "Yulia Yalamova"},     // ия at a word's end
        {"Марияна Илиева"_cp, "Mariyana Ilieva"},  // ия inside a word
        {"ИЛИЯ Цветков"_cp, "ILIA Tsvetkov"},
        {"Горна Оряховица"_cp, "Gorna Oryahovitsa"},
        {"Кърджали, Благоевград"_cp, "Kardzhali, Blagoevgrad"},
        {"Ивайло Йорданов"_cp, "Ivaylo Yordanov"},
        {"Република България"_cp, "Republika Bulgaria"},
        {"БЪЛГАРИЯ"_cp, "BULGARIA"},
        {"Българска банка"_cp, "Balgarska banka"},  // only the country's name keeps its u
        {"ЕТ „Щастие“ № 5"_cp, "ET Shtastie No 5"},
        {"\"Строй & Ко\" ООД"_cp, "Stroy + Ko OOD"},
        {"«Агро-Юг» АД"_cp, "Agro-Yug AD"},
        {"Д-р Петров – 'Клиника'"_cp, "D-r Petrov - 'Klinika'"},
        {"  Иван\tПетров  "_cp, "Ivan Petrov"},
        {"Фирма@Имейл; Адрес_1"_cp, "FirmaImeyl, Adres-1"},
        {"«» „*“"_cp, ""},  // nothing left: the name is empty
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.sent));
        EXPECT_EQ(sepaText(c.written, 70), c.sent);
    }
}

TEST(Transliteration, ATextIsCutAtItsMaximumWithoutABlankAtTheEnd) {
    // Forty letters щ are 120 Latin letters.
    std::string sht;
    while (sht.size() < 70) sht += "sht";
    sht.resize(70);
    EXPECT_EQ(sepaText(std::string(40, "щ"_cp.view()[0]), 70), sht);
    EXPECT_EQ(sepaText("Аа Бб"_cp, 3), "Aa");
}

}  // namespace
}  // namespace velcor::output
