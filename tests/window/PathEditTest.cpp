#include "window/WindowSetup.h"

#include "text/Cp1251.h"
#include "text/Text.h"

#include <gtest/gtest.h>

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;

constexpr std::string_view kRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\n";

const std::string kNotValid(std::string_view("Файлът не е коректен!"_cp));

// Once the operator changes the path, neither "Подготовка" nor "Печат" may act on the list shown
// before, a clean one or a prepared one.
TEST(DialogPathEdit, AChangedPathForgetsTheListShown) {
    struct Case {
        const char* what;
        bool preparedFirst;
    } cases[] = {{"a clean list", false}, {"a list prepared here", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(standardSettings());
        const std::string list = w.writeList("O081206P.1DP", kRows);
        w.browse(list);
        if (c.preparedFirst) {
            ASSERT_TRUE(w.dialog->prepare().done);
        }
        ASSERT_FALSE(w.host.controlText(idTotal).empty());
        const std::string bytes = testing::readFileBytes(list);

        w.host.type(idInputPath, list + "x");
        const Outcome edited = w.dialog->pathEdited();
        EXPECT_EQ(edited.shown.total, "");
        for (ControlId id : {idTotal, idCount, idControlCode})
            EXPECT_EQ(w.host.controlText(id), "") << id;
        EXPECT_FALSE(w.host.isChecked(idPrepared));
        EXPECT_FALSE(w.host.isReadOnly(idPaymentDate));
        EXPECT_FALSE(edited.fileValid);
        EXPECT_FALSE(edited.filePrepared);
        EXPECT_EQ(w.host.controlText(idInputPath), list + "x") << "the typed text stays";

        // Even with the old path typed back, the list has to be opened again.
        w.host.type(idInputPath, list);
        w.dialog->pathEdited();
        w.host.clearEvents();
        EXPECT_FALSE(w.dialog->prepare().done);
        EXPECT_EQ(w.host.messages(), std::vector<std::string>{kNotValid});
        EXPECT_FALSE(w.dialog->buildReport().done);
        EXPECT_EQ(testing::readFileBytes(list), bytes);
    }
}

// Enter in the path edit opens the typed list as "..." opens a chosen one: name rules, value date
// from the name, scan.
TEST(DialogPathEdit, EnterOpensTheTypedListByTheRulesOfBrowse) {
    struct Case {
        const char* name;     // typed as a path in the test's folder; empty: nothing typed
        bool written;         // whether the file exists
        const char* message;  // the start of the one message expected (UTF-8), empty for none
        bool valid;
        processing::LocalDateTime date;
    } cases[] = {
        {"O150107P.1DP", true, "", true, {2007, 1, 15, 10, 30, 0, true}},
        {"Q150107P.1DP", true, "Файлът не започва с 'О'!", false, kToday},
        {"O150107P.9DP",
         false,
         "Не може да се прочете файл",
         false,
         {2007, 1, 15, 10, 30, 0, true}},
        {"", false, "", false, {2006, 12, 1, 10, 30, 0, true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WindowSetup w(standardSettings());
        ASSERT_TRUE(w.dialog->setValueDate(1, 12, 2006).done);
        std::string path;
        if (*c.name) path = c.written ? w.writeList(c.name, kRows) : w.dir.file(c.name);
        w.host.type(idInputPath, path);
        w.dialog->onCommand(idInputPath);

        const std::vector<std::string> messages = w.host.messages();
        if (*c.message) {
            ASSERT_EQ(messages.size(), 1u);
            const std::string shown = text::toUtf8(messages[0]);
            EXPECT_EQ(shown.rfind(c.message, 0), 0u) << shown;
        } else {
            EXPECT_TRUE(messages.empty());
        }
        EXPECT_EQ(w.state().fileValid, c.valid);
        EXPECT_EQ(w.state().paymentDate, c.date);
        EXPECT_EQ(w.host.controlText(idCount), c.valid ? "2" : "");
        if (c.valid) {
            EXPECT_TRUE(w.dialog->prepare().done);
        }
    }
}

}  // namespace
}  // namespace velcor::window::test
