#include "window/WindowSetup.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;
using testing::FaultyFileSystem;

constexpr std::string_view kRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\n";
constexpr std::string_view kSebraRows = "BG80BNBG96611020345678;BNBGBGSD;10.50;123456\r\n";

const std::string kNotValid(std::string_view("Файлът не е коректен!"_cp));
const std::string kAlready(std::string_view("Файлът вече е обработен!"_cp));

// A window with the delimited DP list scanned cleanly and the events so far forgotten.
struct ScannedList {
    explicit ScannedList(std::string_view rows = kRows, int type = 1,
                         const std::string& settings = standardSettings())
        : w(settings) {
        w.selectType(type);
        w.host.type(idPaymentKindCode, "12345");
        list = w.writeList("O081206P.1DP", rows);
        w.browse(list);
        w.host.clearEvents();
    }
    WindowSetup w;
    std::string list;
};

TEST(DialogPrepare, WritesHeaderAndRowsAndMarksTheFile) {
    ScannedList s;
    ASSERT_TRUE(s.w.state().fileValid);
    s.w.dialog->onCommand(idPrepare);
    EXPECT_TRUE(s.w.host.messages().empty());
    EXPECT_TRUE(s.w.state().filePrepared);
    EXPECT_TRUE(s.w.host.isChecked(idPrepared));
    const std::string written = testing::readFileBytes(s.list);
    const std::string header = "OMPDP;08122006;BG48BNBG96618000123456; 12345;Firma OOD" +
                               std::string(26, ' ') + ";" + std::string(15, ' ') +
                               "30.75;     2; " + s.w.state().controlCodeText +
                               "; DELIMITED(;)\r\n";
    EXPECT_EQ(written, header +
                           "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\n"
                           "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\n");

    s.w.dialog->onCommand(idPrepare);
    EXPECT_EQ(s.w.host.messages(), std::vector<std::string>{kAlready});
    EXPECT_EQ(testing::readFileBytes(s.list), written);
}

TEST(DialogPrepare, RefusalsComeInTheirOrder) {
    struct Case {
        const char* what;
        int type;  // 1 DP, 0 SB, -1 none selected
        std::function<void(ScannedList&)> arrange;
        std::string message;
    } cases[] = {
        {"the list chosen last could not be read", 1,
         [](ScannedList& s) {
             s.w.browse(s.w.dir.file("missing"));
             s.w.host.clearEvents();
         },
         kNotValid},
        // The scan counts the rows without a type but checks none: no bank file comes of them.
        {"no payment type before an over-long name", -1,
         [](ScannedList& s) { s.w.host.type(idPayerName, std::string(36, 'N')); },
         std::string("Не е избран вид плащане!"_cp)},
        {"bad IBAN before an empty name", 1,
         [](ScannedList& s) {
             s.w.host.type(idPayerIban, "BG00BNBG96618000123456");
             s.w.host.type(idPayerName, "  ");
         },
         std::string("Грешен IBAN на платеца!"_cp)},
        {"bad budget-unit code before a bad BIC", 0,
         [](ScannedList& s) {
             s.w.host.type(idBudgetUnitCode, "1234567");
             s.w.host.type(idPayerBic, "BNBG");
         },
         std::string("Грешен код на бюджетен разпоредител!"_cp)},
        {"BIC not eight characters after trimming", 0,
         [](ScannedList& s) { s.w.host.type(idPayerBic, " BNBGBG "); },
         std::string("Грешен BIC!"_cp)},
        {"empty name", 1, [](ScannedList& s) { s.w.host.type(idPayerName, " \t "); },
         std::string("Не е въведено наименование на наредителя!"_cp)},
        {"list changed on disk since the scan", 1,
         [](ScannedList& s) {
             testing::writeFileBytes(s.list,
                                     std::string(kRows) + "BG80BNBG96611020345678;X;Y;1\r\n");
         },
         kNotValid},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScannedList s(c.type == 0 ? kSebraRows : kRows, c.type);
        ASSERT_TRUE(s.w.state().fileValid);
        c.arrange(s);
        const std::string before = testing::readFileBytes(s.list);
        s.w.dialog->prepare().done;
        EXPECT_EQ(s.w.host.messages(), std::vector<std::string>{c.message});
        EXPECT_FALSE(s.w.state().filePrepared);
        EXPECT_FALSE(s.w.host.isChecked(idPrepared));
        EXPECT_EQ(testing::readFileBytes(s.list), before);
    }
}

TEST(DialogPrepare, SebraLayoutTrimsBicAndName) {
    ScannedList s(kSebraRows, 0);
    // Blanks around an eight-letter BIC would break the edit's limit; a shorter BIC with blanks
    // is trimmed and then refused, and the trimmed value stays.
    s.w.host.type(idPayerBic, " BNBGBG ");
    s.w.dialog->prepare().done;
    EXPECT_EQ(s.w.host.messages(), std::vector<std::string>{std::string("Грешен BIC!"_cp)});
    EXPECT_EQ(s.w.state().payerBic, "BNBGBG");

    s.w.host.clearEvents();
    s.w.host.type(idPayerBic, "BNBGBGSD");
    s.w.host.type(idPayerName, "  Firma  ");
    s.w.dialog->prepare().done;
    EXPECT_TRUE(s.w.host.messages().empty());
    EXPECT_EQ(s.w.state().payerName, "Firma");
    const std::string written = testing::readFileBytes(s.list);
    EXPECT_EQ(written.substr(0, 41), "OMPSB;08122006;BNBGBGSD;1234563   ;Firma ");
    EXPECT_EQ(written.substr(written.find("\r\n") + 2),
              "BG80BNBG96611020345678;BNBGBGSD;10.50;123456\n");
}

// "sb" is the budget type in every respect: its header, its rows' checks and the payer's.
TEST(DialogPrepare, LowerCaseSbIsTheBudgetTypeEverywhere) {
    std::string settings = standardSettings();
    settings.replace(settings.find("[SB]"), 4, "[sb]");
    ScannedList s(kSebraRows, 0, settings);
    ASSERT_TRUE(s.w.state().fileValid);
    s.w.host.type(idPayerIban, "BG00BNBG96618000123456");  // not the budget layout's to check
    s.w.host.type(idBudgetUnitCode, "bad");
    const std::string before = testing::readFileBytes(s.list);
    s.w.dialog->prepare().done;
    EXPECT_EQ(s.w.host.messages(),
              std::vector<std::string>{std::string("Грешен код на бюджетен разпоредител!"_cp)});
    EXPECT_EQ(testing::readFileBytes(s.list), before);

    s.w.host.clearEvents();
    s.w.host.type(idBudgetUnitCode, "1234563");
    s.w.dialog->prepare().done;
    EXPECT_TRUE(s.w.host.messages().empty());
    EXPECT_EQ(testing::readFileBytes(s.list).substr(0, 35), "OMPSB;08122006;BNBGBGSD;1234563   ;");
}

constexpr auto kBadCharacterStart =
    "Недопустим знак (точка и запетая, нов ред или друг управляващ знак) в полето „"_cp;
constexpr auto kBadCharacterEnd = "“!"_cp;
constexpr auto kNameField = "Име на фирмата"_cp;
constexpr auto kKindCodeField = "Вид плащане"_cp;
constexpr auto kBudgetField = "Код на бюджетен разпоредител"_cp;

// A ";" or a line break inside a value that the header carries would shift its columns: the
// written list would fail its own check. Values the layout does not carry, and line breaks that
// trimming removes, do no harm.
TEST(DialogPrepare, HeaderValueWithASemicolonOrALineBreakIsRefused) {
    struct Case {
        int type;  // 1 DP (standard layout), 0 SB
        ControlId id;
        std::string value;
        std::string field;            // named in the message; empty: the list is prepared
        std::string_view check = {};  // instead, the message of the value's own check
    } cases[] = {
        {1, idPayerName, "Firma;OOD", std::string(kNameField)},
        {1, idPayerName, "Fir\nma", std::string(kNameField)},
        {1, idPaymentKindCode, "12\r45", std::string(kKindCodeField)},
        {1, idPayerName, "Firma\x03OOD", std::string(kNameField)},
        {1, idPayerName, "Firma\x7FOOD", std::string(kNameField)},
        {0, idPayerName, "Firma\rOOD", std::string(kNameField)},
        // A BIC or a budget-unit code holding one fails its own check first.
        {0, idPayerBic, "BNBG;GSD", "", "Грешен BIC!"_cp},
        {0, idBudgetUnitCode, "123;456", "", "Грешен код на бюджетен разпоредител!"_cp},
        {1, idPayerName, "Firma OOD\n", ""},
        {1, idPayerBic, "BNBG;GSD", ""},
        {0, idPaymentKindCode, "1;2", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        ScannedList s(c.type == 1 ? kRows : kSebraRows, c.type == 1 ? 1 : 0);
        ASSERT_TRUE(s.w.state().fileValid);
        const std::string before = testing::readFileBytes(s.list);
        s.w.host.type(c.id, c.value);
        s.w.dialog->prepare().done;
        if (c.field.empty() && c.check.empty()) {
            EXPECT_TRUE(s.w.host.messages().empty());
            EXPECT_TRUE(s.w.state().filePrepared);
            continue;
        }
        if (c.check.empty()) {
            EXPECT_EQ(s.w.host.messages(),
                      std::vector<std::string>{std::string(kBadCharacterStart) + c.field +
                                               std::string(kBadCharacterEnd)});
            EXPECT_EQ(s.w.host.focusedControl(), c.id);
        } else {
            EXPECT_EQ(s.w.host.messages(), std::vector<std::string>{std::string(c.check)});
        }
        EXPECT_FALSE(s.w.state().filePrepared);
        EXPECT_EQ(testing::readFileBytes(s.list), before);
    }
}

TEST(DialogPrepare, OverLongValueStopsBeforeAnyCheckOrWrite) {
    ScannedList s;
    const std::string before = testing::readFileBytes(s.list);
    s.w.host.type(idPayerName, std::string(36, 'N'));
    s.w.dialog->prepare().done;
    EXPECT_EQ(s.w.host.messages(),
              std::vector<std::string>{"Please enter no more than 35 characters."});
    EXPECT_FALSE(s.w.state().filePrepared);
    EXPECT_EQ(testing::readFileBytes(s.list), before);
}

TEST(DialogPrepare, FailedWriteLeavesTheListAndAllowsARetry) {
    struct Case {
        FaultyFileSystem::Step step;
        std::string message;
    } cases[] = {
        {FaultyFileSystem::Step::createTemporary,
         std::string("Грешка при отваряне на файла за запис"_cp)},
        {FaultyFileSystem::Step::write, std::string("Грешка при запис във файлa!"_cp)},
        {FaultyFileSystem::Step::rename, std::string("Грешка при запис във файлa!"_cp)},
    };
    for (const Case& c : cases) {
        ScannedList s;
        const std::string before = testing::readFileBytes(s.list);
        s.w.fs.failFromCall(c.step);
        const Outcome failed = s.w.dialog->prepare();
        EXPECT_EQ(s.w.host.messages(), std::vector<std::string>{c.message});
        // The box names the list, the system's cause and that nothing was changed.
        EXPECT_NE(failed.fileProblem.find(s.list), std::string::npos) << failed.fileProblem;
        EXPECT_NE(failed.fileProblem.find(std::string("входно-изходна грешка"_cp)),
                  std::string::npos);
        EXPECT_NE(failed.fileProblem.find(std::string("Нищо не е променено."_cp)),
                  std::string::npos);
        EXPECT_FALSE(s.w.state().filePrepared);
        EXPECT_EQ(testing::readFileBytes(s.list), before);
        s.w.fs.clearFailures();
        s.w.dialog->prepare().done;
        EXPECT_TRUE(s.w.state().filePrepared);
        EXPECT_EQ(testing::readFileBytes(s.list).substr(0, 6), "OMPDP;");
    }
}

// A list gone since it was opened, or held by another program, is named with what happened and
// what to do; the operator may end the wait for a held one at once. Nothing is written.
TEST(DialogPrepare, AListGoneOrHeldElsewhereIsToldWithItsCause){{ScannedList s;
std::filesystem::remove(s.list);
const Outcome gone = s.w.dialog->prepare();
EXPECT_EQ(s.w.host.messages(),
          std::vector<std::string>{std::string("Грешка при четене на файла!"_cp)});
for (const std::string_view part :
     {std::string_view(s.list), std::string_view("Причина: няма такъв файл."_cp),
      std::string_view("изберете отново"_cp)})
    EXPECT_NE(gone.fileProblem.find(part), std::string::npos) << gone.fileProblem;
EXPECT_FALSE(std::filesystem::exists(s.list));
}  // namespace
#ifndef _WIN32
{
    // Another program's lock on the list: the prepare waits for it until the operator stops.
    ScannedList s;
    const std::string before = testing::readFileBytes(s.list);
    const int held = ::open(s.list.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    s.w.host.stopWorkAt = 50;  // past the reading of the two rows, within the wait
    const Outcome stopped = s.w.dialog->prepare();
    ::close(held);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_TRUE(s.w.host.messages().empty());
    EXPECT_FALSE(s.w.state().filePrepared);
    EXPECT_EQ(testing::readFileBytes(s.list), before);
    EXPECT_TRUE(s.w.dialog->prepare().done) << "the lock let go, it is prepared";
}
#endif
}  // namespace velcor::window::test

// A list with nothing to pay is refused when it is opened, and never written.
TEST(DialogPrepare, ListOfBlankLinesIsRefusedAndLeftAsItWas) {
    ScannedList s(" \r\n\r\n");
    EXPECT_FALSE(s.w.state().fileValid);
    s.w.dialog->prepare().done;
    EXPECT_EQ(s.w.host.messages(),
              std::vector<std::string>{std::string("Файлът не е коректен!"_cp)});
    EXPECT_FALSE(s.w.state().filePrepared);
    EXPECT_EQ(testing::readFileBytes(s.list), " \r\n\r\n");
}

// A path typed into the path box and not opened yet names another list than the one shown:
// "Подготовка" opens it, as Enter would, and stops there, so that its figures are seen before
// anything is written. Neither list is changed.
TEST(DialogPrepare, AnotherPathTypedIsOpenedFirstAndNothingIsWritten) {
    ScannedList s(kRows, 1);
    const std::string typed = s.w.writeList("O081206P.2DP", kRows);
    const std::string shownBefore = testing::readFileBytes(s.list);
    s.w.host.type(idInputPath, typed);
    EXPECT_FALSE(s.w.dialog->prepare().done);
    EXPECT_TRUE(s.w.host.messages().empty());
    EXPECT_EQ(s.w.state().inputPath, typed);
    EXPECT_TRUE(s.w.state().fileValid);
    EXPECT_EQ(s.w.host.controlText(idCount), "2");
    EXPECT_EQ(testing::readFileBytes(s.list), shownBefore);
    EXPECT_EQ(testing::readFileBytes(typed), kRows);
    // The next "Подготовка" prepares the list now shown.
    EXPECT_TRUE(s.w.dialog->prepare().done);
    EXPECT_TRUE(testing::readFileBytes(typed).starts_with("OMPDP;"));
}

TEST(DialogReport, OnlyForAPreparedListAndBuiltAfresh) {
    ScannedList s;
    s.w.dialog->onCommand(idPrint);
    EXPECT_TRUE(s.w.host.reports().empty());
    s.w.dialog->prepare().done;
    s.w.dialog->onCommand(idPrint);
    ASSERT_EQ(s.w.host.reports().size(), 1u);
    const std::string report = s.w.host.reports()[0];
    EXPECT_NE(report.find("O081206P.1DP</p>"), std::string::npos);
    EXPECT_NE(report.find(std::string("Петък, 08.12.2006"_cp)), std::string::npos);
    EXPECT_NE(report.find(">[DP] // main</TD>"), std::string::npos);
    EXPECT_NE(report.find(std::string("С разделител(;)"_cp)), std::string::npos);
    EXPECT_NE(report.find(">       30.75</TD>"), std::string::npos);
    // Read again without a payment type, no amount is read and the header's total no longer
    // agrees: a list that fails its check has no report, and hears why again.
    s.w.selectType(-1);
    s.w.host.clearEvents();
    const Outcome refused = s.w.dialog->buildReport();
    EXPECT_FALSE(refused.done);
    EXPECT_EQ(s.w.host.messages(), std::vector<std::string>{std::string("Грешнa сума!"_cp)});
    EXPECT_EQ(s.w.host.reports().size(), 0u);
}

// "Печат" on a list that failed its check shows what is wrong with it again, as values too, for
// as long as no other list has been read; "Подготовка" still refuses the list.
TEST(DialogReport, OnAListWithRowFindingsShowsThemAgain) {
    ScannedList s(
        "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
        "BG95UNCR70001523456789;UNCRBGSF;Maria;0\r\n");
    ASSERT_FALSE(s.w.state().fileValid);
    const std::string messages = session::rowFindingsHtml(s.w.state().rowFindings);
    s.w.browse(s.w.dir.file("X081206P.1DP"));  // refused by its name: nothing read
    for (const bool intent : {false, true}) {
        s.w.host.clearEvents();
        if (intent) {
            const Outcome outcome = s.w.dialog->buildReport();
            EXPECT_FALSE(outcome.done) << "no report was built";
            ASSERT_TRUE(outcome.findings.has_value());
            EXPECT_EQ(outcome.findings->count, 1);
        } else {
            s.w.dialog->onCommand(idPrint);
        }
        EXPECT_EQ(s.w.host.reports(), std::vector<std::string>{messages});
        const auto& shown = s.w.host.shownFindings().back();
        EXPECT_EQ(shown.listPath, s.list);
        ASSERT_EQ(shown.findings.kept.size(), 1u);
        const processing::RowFinding& finding = shown.findings.kept[0];
        EXPECT_EQ(finding.row, 2);
        EXPECT_EQ(finding.payeeName, "Maria");
        EXPECT_EQ(finding.iban, "BG95UNCR70001523456789");
        EXPECT_EQ(finding.amount, "0");
    }
    EXPECT_FALSE(s.w.dialog->prepare().done);

    s.w.browse(s.w.writeList("O081206P.2DP", kRows));
    s.w.host.clearEvents();
    s.w.dialog->onCommand(idPrint);
    EXPECT_EQ(s.w.host.messages(),
              std::vector<std::string>{std::string(
                  "Справката се съставя за подготвен файл: натиснете „Подготовка“."_cp)});
    EXPECT_TRUE(s.w.host.reports().empty()) << "a clean list has no findings to show";
}

// A list opened without a payment type has its rows counted and none checked: no figures are
// shown until a type is chosen, the focus goes to the type box, and "Печат" asks for the type
// first. With a type, a clean list that is not prepared is sent to "Подготовка".
TEST(DialogReport, AListNotPreparedOrWithoutATypeSaysWhatComesFirst) {
    struct Case {
        const char* what;
        int type;
        std::string count;  // shown after the opening
        int focus;          // 0: left as it was
        Message printSays;
    } cases[] = {
        {"no type", -1, "", idPaymentType, Message::noPaymentType},
        {"type DP", 1, "2", 0, Message::reportNeedsPrepare},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ScannedList s(kRows, c.type);
        EXPECT_EQ(s.w.host.controlText(idCount), c.count);
        EXPECT_EQ(s.w.host.controlText(idTotal).empty(), c.count.empty());
        EXPECT_EQ(s.w.host.focusedControl(), c.focus);
        const Outcome printed = s.w.dialog->buildReport();
        EXPECT_FALSE(printed.done);
        ASSERT_EQ(printed.messages.size(), 1u);
        EXPECT_EQ(printed.messages[0], session::shownMessage(c.printSays));
        EXPECT_TRUE(s.w.host.reports().empty());
        if (c.type < 0) {
            // The type chosen, the figures come.
            s.w.selectType(1);
            EXPECT_EQ(s.w.host.controlText(idCount), "2");
        }
    }
    EXPECT_EQ(session::messageKindName(Message::reportNeedsPrepare), "report-needs-prepare");
}

// A prepared list's value date is its header's: the date picker cannot change it while the list is
// open, and its report shows that date.
TEST(DialogReport, PreparedListOpenedAgainIsRecognisedWithItsHeadersDate) {
    ScannedList s;
    EXPECT_FALSE(s.w.host.isReadOnly(idPaymentDate));
    s.w.dialog->prepare().done;
    EXPECT_TRUE(s.w.host.isReadOnly(idPaymentDate)) << "prepared just now";
    s.w.browse(s.list);
    EXPECT_TRUE(s.w.host.messages().empty());
    EXPECT_TRUE(s.w.state().filePrepared);
    EXPECT_TRUE(s.w.host.isChecked(idPrepared));
    EXPECT_TRUE(s.w.host.isReadOnly(idPaymentDate));
    EXPECT_TRUE(s.w.state().fileValid);
    EXPECT_EQ(s.w.host.controlText(idCount), "2");
    EXPECT_FALSE(s.w.dialog->setValueDate(1, 2, 2007).done);
    s.w.dialog->buildReport().done;
    ASSERT_EQ(s.w.host.reports().size(), 1u);
    EXPECT_NE(s.w.host.reports()[0].find("08.12.2006"), std::string::npos);

    s.w.browse(s.w.writeList("O090107P.1DP", kRows));
    EXPECT_FALSE(s.w.state().filePrepared);
    EXPECT_FALSE(s.w.host.isReadOnly(idPaymentDate)) << "a list to prepare takes any date";
    EXPECT_TRUE(s.w.dialog->setValueDate(10, 1, 2007).done);
}

TEST(DialogSave, AsksOnlyAfterPreparingWithAFilledEmptyKey) {
    const std::string settings = standardSettings(
        "[CLIENT]\r\nBIC = BNBGBGSD\r\nIBAN = BG48BNBG96618000123456\r\nNAME = Firma OOD\r\n"
        "CODE =\r\n");
    const std::string question(
        std::string_view("Да се запишат ли данните за фирмата в INI файла?"_cp));
    {
        WindowSetup w(settings);
        w.host.type(idBudgetUnitCode, "1234563");
        w.dialog->saveSettings();
        EXPECT_TRUE(w.host.questions().empty()) << "nothing prepared";
    }
    for (const bool yes : {false, true}) {
        ScannedList s(kRows, 1, settings);
        s.w.host.type(idBudgetUnitCode, "1234563");
        s.w.dialog->prepare().done;
        ASSERT_TRUE(s.w.state().filePrepared);
        s.w.host.yesAnswer = yes;
        s.w.dialog->saveSettings();
        EXPECT_EQ(s.w.host.questions(), std::vector<std::string>{question});
        const std::string saved = testing::readFileBytes(s.w.settingsPath);
        if (!yes) {
            EXPECT_EQ(saved, settings);
            continue;
        }
        EXPECT_EQ(saved.substr(0, saved.find("[SB]")),
                  "[CLIENT]\r\nBIC = BNBGBGSD\r\nIBAN = BG48BNBG96618000123456\r\n"
                  "NAME= Firma OOD\r\nCODE= 1234563\r\n\r\n");
        EXPECT_EQ(testing::readFileBytes(s.w.settingsPath + ".bak"), settings);
    }
}

TEST(DialogSave, FailedWriteKeepsTheSettingsFileAndSaysWhy) {
    const std::string settings =
        standardSettings("[CLIENT]\r\nIBAN = BG48BNBG96618000123456\r\nNAME = Firma\r\nCODE =\r\n");
    const struct {
        FaultyFileSystem::Step step;
        std::string message;
    } cases[] = {
        {FaultyFileSystem::Step::createTemporary,
         std::string("Грешка при отваряне на INI файла за запис"_cp)},
        {FaultyFileSystem::Step::write, std::string("Грешка при запис в INI файлa!"_cp)},
    };
    for (const auto& c : cases) {
        ScannedList s(kRows, 1, settings);
        s.w.host.type(idBudgetUnitCode, "1234563");
        s.w.dialog->prepare().done;
        s.w.host.yesAnswer = true;
        s.w.host.clearEvents();
        s.w.fs.failFromCall(c.step);
        s.w.dialog->saveSettings();
        EXPECT_EQ(s.w.host.messages(), std::vector<std::string>{c.message});
        EXPECT_EQ(testing::readFileBytes(s.w.settingsPath), settings);
    }
}

}  // namespace
}  // namespace velcor::window::test
