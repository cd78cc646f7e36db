#include "window/WindowSetup.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <functional>

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;
using testing::FaultyFileSystem;

constexpr std::string_view kCleanRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\n";

std::string replaced(std::string text, std::string_view from, std::string_view to) {
    return text.replace(text.find(from), from.size(), to);
}

// A scan that ends early tells why in one message, and the control data fields stay as the
// browse emptied them: the figures of the list shown before are gone.
TEST(DialogScan, AFailedScanTellsWhyAndShowsNoFigures) {
    const std::string utf8Tail(std::string_view(
        " е записан в UTF-8. Запишете го с кодировка Windows-1251 (Кирилица) и опитайте "
        "отново."_cp));
    struct Case {
        const char* what;
        std::string bytes;  // the list, or nothing for one that is not there
        std::function<void(WindowSetup&)> arrange;
        std::function<std::string(const std::string& path)> message;
    } cases[] = {
        {"missing",
         "",
         {},
         [](const std::string& path) {
             return std::string("Не може да се прочете файл: "_cp) + path;
         }},
        {"read error", std::string(kCleanRows),
         [](WindowSetup& w) {
             w.fs.failCall(FaultyFileSystem::Step::read,
                           w.fs.calls(FaultyFileSystem::Step::read) + 1);
         },
         [](const std::string&) { return std::string("Грешка при четене на файла!"_cp); }},
        {"saved as UTF-8",
         "BG80BNBG96611020345678;BNBGBGSD;Иван;10.50\r\n",
         {},
         [&](const std::string& path) { return std::string("Файлът "_cp) + path + utf8Tail; }},
        {"header with a payer IBAN its check refuses",
         "OMPDP;08122006;BG81BNBG96611020345678;x;y;1;1; AAAAAAAA; \r\n" + std::string(kCleanRows),
         {},
         [](const std::string&) { return std::string("Wrong IBAN !"); }},
        {"header with a budget-unit code its check refuses",
         "OMPSB;08122006;BNBG9661;12345     ;y;1;1; AAAAAAAA; \r\n" + std::string(kCleanRows),
         {},
         [](const std::string&) { return std::string("Грешен код на бюджетен разпоредител!"_cp); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(standardSettings());
        w.browse(w.writeList("O081206P.1DP", kCleanRows));
        ASSERT_EQ(w.host.controlText(idControlCode).size(), 8u);
        const std::string path = w.dir.file("O081206P.2DP");
        if (!c.bytes.empty()) w.writeList("O081206P.2DP", c.bytes);
        if (c.arrange) c.arrange(w);
        w.host.clearEvents();
        w.browse(path);
        EXPECT_EQ(w.host.messages(), std::vector<std::string>{c.message(path)});
        EXPECT_TRUE(w.host.reports().empty());
        EXPECT_FALSE(w.state().fileValid);
        EXPECT_EQ(w.host.controlText(idTotal), "");
        EXPECT_EQ(w.host.controlText(idCount), "");
        EXPECT_EQ(w.host.controlText(idControlCode), "");
    }
}

// A prepared list is held to its header: control code first, then the total, then the count;
// the first difference is told. A list that agrees shows the header's payer data and date.
TEST(DialogScan, APreparedListIsHeldToItsHeader) {
    struct Case {
        const char* what;
        std::function<std::string(const std::string& prepared)> edit;
        std::string message;  // empty: the list is recognised
    } cases[] = {
        {"as written", [](const std::string& p) { return p; }, ""},
        {"an amount changed in a row",
         [](const std::string& p) { return replaced(p, "10.50", "10.60"); },
         std::string("Грешен контролен код!"_cp)},
        {"the header's total edited",
         [](const std::string& p) { return replaced(p, "30.75;", "30.76;"); },
         std::string("Грешнa сума!"_cp)},
        {"the header's count edited",
         [](const std::string& p) { return replaced(p, "     2;", "     3;"); },
         std::string("Грешен брой записи!"_cp)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(standardSettings());
        const std::string list = w.writeList("O081206P.1DP", kCleanRows);
        w.browse(list);
        ASSERT_TRUE(w.dialog->prepare().done);
        const std::string other = w.writeList("O111206P.2DP", c.edit(testing::readFileBytes(list)));
        w.host.type(idPayerName, "Other");
        w.host.clearEvents();
        w.browse(other);
        if (c.message.empty()) {
            EXPECT_TRUE(w.host.messages().empty());
            EXPECT_TRUE(w.state().fileValid);
            EXPECT_TRUE(w.host.isChecked(idPrepared));
            EXPECT_EQ(w.host.controlText(idCount), "2");
            // The header's value date (8 December) wins over the name's (11 December).
            EXPECT_EQ(w.host.dateValue(idPaymentDate), kToday);
            EXPECT_EQ(w.host.controlText(idPayerName), "Firma OOD");
        } else {
            EXPECT_EQ(w.host.messages(), std::vector<std::string>{c.message});
            EXPECT_FALSE(w.state().fileValid);
            EXPECT_EQ(w.host.controlText(idCount), "");
        }
    }
}

}  // namespace
}  // namespace velcor::window::test
