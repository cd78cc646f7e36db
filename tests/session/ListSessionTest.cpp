#include "session/ListSession.h"

#include "fileio/FileSystem.h"
#include "output/SepaSchema.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velcor::session {
namespace {

using namespace velcor::text::literals;

constexpr std::string_view kPlainIban = "BG80BNBG96611020345678";
constexpr std::string_view kCleanRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\n";

std::string settings(std::string_view bic = "BNBGBGSD") {
    return "[CLIENT]\r\nBIC = " + std::string(bic) +
           "\r\nIBAN = BG80BNBG96611020345678\r\nNAME = Firma OOD\r\nCODE = 1234563\r\n"
           "[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nBIC = 2\r\nNAME = 3\r\nSUM = 4\r\n"
           "[SB]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nBIC = 2\r\nSUM = 3\r\n"
           "PAYMENT_SEBRA = 4\r\n";
}

// A folder with omp.ini and a session on it whose day is `today`.
struct Fixture {
    explicit Fixture(processing::LocalDateTime today, std::string_view content = settings())
        : ini(dir.file("omp.ini")), session(fileio::standardFileSystem(), ini) {
        testing::writeFileBytes(ini, content);
        session.useClock([today] { return today; });
        loaded = session.loadSettings().done();
    }
    std::string list(std::string_view name, std::string_view bytes) {
        const std::string path = dir.file(name);
        testing::writeFileBytes(path, bytes);
        return path;
    }
    testing::TempDir dir;
    std::string ini;
    ListSession session;
    bool loaded = false;
};

constexpr processing::LocalDateTime kDec2006{2006, 12, 8, 10, 0, 0, true};
constexpr processing::LocalDateTime kJan2026{2026, 1, 15, 10, 0, 0, true};

std::vector<Message> kinds(const Result& result) {
    std::vector<Message> out;
    for (const ShownMessage& message : result.messages) out.push_back(message.kind);
    return out;
}

// Opening a list: its kind, what was told, and the figures counted even when the rows fail.
TEST(ListSession, OpenAnswersWithTheKindTheMessagesAndTheFigures) {
    const struct {
        const char* what;
        const char* name;
        std::string bytes;
        ResultKind kind;
        std::vector<Message> messages;
        bool findings;
        bool counted;
    } cases[] = {
        {"clean", "O081206P.1DP", std::string(kCleanRows), ResultKind::ok, {}, false, true},
        {"a row finding",
         "O081206P.1DP",
         "BG80BNBG96611020345679;BNBGBGSD;Ivan;10.50\r\n",
         ResultKind::refused,
         {},
         true,
         true},
        {"no payments",
         "O081206P.1DP",
         "\r\n\r\n",
         ResultKind::refused,
         {Message::noPayments},
         false,
         false},
        {"name rules",
         "Q081206P.1DP",
         std::string(kCleanRows),
         ResultKind::refused,
         {Message::notStartingWithO},
         false,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(kDec2006);
        ASSERT_TRUE(f.loaded);
        const Result result = f.session.open(f.list(c.name, c.bytes));
        EXPECT_EQ(result.kind, c.kind);
        EXPECT_EQ(kinds(result), c.messages);
        EXPECT_EQ(result.findings.has_value(), c.findings);
        EXPECT_EQ(result.counted.has_value(), c.counted);
        EXPECT_EQ(result.fileValid, c.kind == ResultKind::ok);
    }
    // A list that is not there is a failure with the system's cause and the path.
    Fixture f(kDec2006);
    const std::string missing = f.dir.file("O081206P.9DP");
    const Result result = f.session.open(missing);
    EXPECT_EQ(result.kind, ResultKind::failed);
    EXPECT_TRUE(result.cause);
    EXPECT_EQ(result.causePath, missing);
}

// Every refusal of a prepare, in its order, with the value to correct; the list stays as it was.
TEST(ListSession, PrepareRefusesAtItsGatesAndSaysWhereToLook) {
    const struct {
        const char* what;
        std::string ini;
        int type;  // 0 DP, 1 SB
        std::function<void(ListSession&)> arrange;
        DateAnswer answer;
        std::vector<Message> messages;
        Focus focus;
        bool warning;
    } cases[] = {
        {"a name over its limit",
         settings(),
         0,
         [](ListSession& s) {
             TypedPayerValues typed;
             typed.name = std::string(36, 'N');
             typed.kindCode = "123";
             s.typePayerValues(typed);
         },
         DateAnswer::goOn,
         {Message::lengthLimit},
         Focus::payerValue,
         false},
        {"a semicolon in the name",
         settings(),
         0,
         [](ListSession& s) {
             TypedPayerValues typed;
             typed.name = "A;B";
             s.typePayerValues(typed);
         },
         DateAnswer::goOn,
         {Message::headerBreakingCharacter},
         Focus::payerValue,
         false},
        {"the date gone by, not asked yet",
         settings(),
         0,
         [](ListSession&) {},
         DateAnswer::notAsked,
         {},
         Focus::none,
         true},
        {"the date gone by, and no",
         settings(),
         0,
         [](ListSession&) {},
         DateAnswer::stop,
         {Message::valueDateQuestion},
         Focus::valueDate,
         true},
        {"a payer BIC of another bank beside the IBAN in the SB header",
         settings("UNCRBGSF"),
         1,
         [](ListSession&) {},
         DateAnswer::goOn,
         {Message::payerBicOtherBank},
         Focus::none,
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f({2006, 12, 20, 10, 0, 0, true}, c.ini);
        const std::string rows = c.type == 0 ? std::string(kCleanRows)
                                             : "BG80BNBG96611020345678;BNBGBGSD;10.50;123456\r\n";
        const std::string path = f.list(c.type == 0 ? "O081206P.1DP" : "O081206P.1SB", rows);
        if (c.type == 1) {
            ASSERT_TRUE(f.session.choosePaymentType(1).done());
        }
        ASSERT_TRUE(f.session.open(path).done());
        c.arrange(f.session);
        const Result result = f.session.prepare(c.answer);
        EXPECT_EQ(result.kind, ResultKind::refused);
        EXPECT_EQ(kinds(result), c.messages);
        EXPECT_EQ(result.focus, c.focus);
        EXPECT_EQ(result.valueDateWarning.has_value(), c.warning);
        EXPECT_FALSE(result.filePrepared);
        EXPECT_EQ(testing::readFileBytes(path), rows);
    }
}

// Written after "go on", the prepare says which question it went past; the report states the
// header's figures; undo puts the list back byte for byte and reads it again.
TEST(ListSession, PrepareReportAndUndoAnswerWithTheirValues) {
    Fixture f({2006, 12, 20, 10, 0, 0, true});
    f.session.keepPreparesIn(f.dir.file("history"));
    const std::string path = f.list("O081206P.1DP", kCleanRows);
    EXPECT_EQ(f.session.report().kind, ResultKind::refused) << "nothing is open";
    ASSERT_TRUE(f.session.open(path).done());
    EXPECT_FALSE(f.session.report().report.has_value()) << "not prepared yet";

    const Result prepared = f.session.prepare(DateAnswer::goOn);
    EXPECT_EQ(prepared.kind, ResultKind::ok);
    EXPECT_EQ(kinds(prepared), std::vector<Message>{Message::valueDateQuestion});
    EXPECT_EQ(prepared.controlData.totalSum, 3075);
    EXPECT_EQ(prepared.controlData.recordCount, 2);
    EXPECT_TRUE(prepared.filePrepared);

    const Result report = f.session.report();
    ASSERT_EQ(report.kind, ResultKind::ok);
    ASSERT_TRUE(report.reportFields.has_value());
    EXPECT_EQ(report.reportFields->count, "2");
    EXPECT_EQ(report.reportFields->fileName, "O081206P.1DP");

    const Result undone = f.session.undo();
    EXPECT_EQ(undone.kind, ResultKind::ok);
    EXPECT_EQ(kinds(undone).back(), Message::prepareUndone);
    EXPECT_EQ(testing::readFileBytes(path), kCleanRows);
    EXPECT_FALSE(undone.filePrepared);
    EXPECT_TRUE(undone.fileValid);
    EXPECT_EQ(f.session.undo().kind, ResultKind::refused) << "nothing left to undo";
}

// Undo keeps the value date the list was prepared with, whatever the list's name says, so that a
// second prepare after a corrected payer value does not fall back to another date.
TEST(ListSession, UndoKeepsTheValueDateThePrepareHad) {
    struct Case {
        const char* what;
        int day, month, year;  // set before the prepare; 0: the name's date
    } cases[] = {
        {"the name's date", 0, 0, 0},
        {"a date the operator set", 27, 1, 2027},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f({2026, 12, 20, 10, 0, 0, true});
        f.session.keepPreparesIn(f.dir.file("history"));
        const std::string path = f.list("O081206P.1DP", kCleanRows);
        ASSERT_TRUE(f.session.open(path).done());
        if (c.day != 0) {
            ASSERT_TRUE(f.session.setValueDate(c.day, c.month, c.year).done());
        }
        const processing::LocalDateTime set = f.session.state().paymentDate;
        ASSERT_TRUE(f.session.prepare(DateAnswer::goOn).done());
        ASSERT_TRUE(f.session.undo().done());
        const processing::LocalDateTime after = f.session.state().paymentDate;
        EXPECT_EQ(std::vector<int>({after.day, after.month, after.year}),
                  std::vector<int>({set.day, set.month, set.year}));
        EXPECT_EQ(after.year, c.day != 0 ? c.year : 2006);
    }
}

// A prepared list that no longer agrees with its header has no report: what is wrong with it is
// told again instead.
TEST(ListSession, NoReportOfAPreparedListThatFailsItsHeaderCheck) {
    Fixture f({2006, 12, 20, 10, 0, 0, true});
    const std::string path = f.list("O081206P.1DP", kCleanRows);
    ASSERT_TRUE(f.session.open(path).done());
    ASSERT_TRUE(f.session.prepare(DateAnswer::goOn).done());
    std::string bytes = testing::readFileBytes(path);
    bytes.replace(bytes.find("10.50"), 5, "10.51");
    testing::writeFileBytes(path, bytes);
    const Result opened = f.session.open(path);
    EXPECT_EQ(kinds(opened), std::vector<Message>{Message::wrongControlCode});
    const Result report = f.session.report();
    EXPECT_EQ(report.kind, ResultKind::refused);
    EXPECT_FALSE(report.report.has_value());
    EXPECT_EQ(kinds(report), std::vector<Message>{Message::wrongControlCode});
}

// No file written beside a list replaces the list, the settings or a file of another kind.
TEST(ListSession, TheTargetGateKeepsEveryOtherFile) {
    Fixture f(kDec2006);
    const std::string path = f.list("O081206P.1DP", kCleanRows);
    ASSERT_TRUE(f.session.open(path).done());
    const std::string pdf = f.list("report.pdf", "%PDF-1.4\n...");
    const std::string xml =
        f.list("old.xml",
               "<?xml version=\"1.0\"?><Document "
               "xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.09\"></Document>");
    const std::string text = f.list("notes.txt", "a list of mine\n");
    using Why = TargetRefusal::Why;
    const struct {
        TargetKind kind;
        std::string path;
        std::optional<Why> why;
    } cases[] = {
        {TargetKind::sepaXml, path, Why::ownFile},
        {TargetKind::sepaXml, f.ini, Why::ownFile},
        {TargetKind::sepaXml, f.dir.file("new.xml"), std::nullopt},
        {TargetKind::sepaXml, xml, std::nullopt},
        {TargetKind::sepaXml, text, Why::otherKind},
        {TargetKind::sepaXml, pdf, Why::otherKind},
        {TargetKind::pdf, pdf, std::nullopt},
        {TargetKind::pdf, xml, Why::otherKind},
        {TargetKind::pdf, path, Why::ownFile},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        const auto refusal = f.session.targetRefusal(c.kind, c.path);
        ASSERT_EQ(refusal.has_value(), c.why.has_value());
        if (refusal) {
            EXPECT_EQ(refusal->why, *c.why);
        }
    }
}

// The SEPA export passes the gates a prepare does: the value date, the payer's bank, the target.
TEST(ListSession, TheSepaExportPassesTheSameGates) {
    // A build that cannot validate a SEPA file writes none, and refuses before any other gate.
    if (!output::sepaValidationAvailable()) GTEST_SKIP() << "built without the SEPA export";
    const struct {
        const char* what;
        std::string ini;
        processing::LocalDateTime today;
        bool overTheList;
        DateAnswer answer;
        std::vector<Message> messages;
        bool warning;
    } cases[] = {
        {"the payer BIC of another bank",
         settings("UNCRBGSF"),
         kJan2026,
         false,
         DateAnswer::goOn,
         {Message::payerBicOtherBank},
         false},
        {"over the list",
         settings(),
         kJan2026,
         true,
         DateAnswer::goOn,
         {Message::sepaOverOwnFile},
         false},
        {"a date gone by, not asked",
         settings(),
         {2026, 2, 2, 9, 0, 0, true},
         false,
         DateAnswer::notAsked,
         {},
         true},
        {"a date gone by, and no",
         settings(),
         {2026, 2, 2, 9, 0, 0, true},
         false,
         DateAnswer::stop,
         {Message::valueDateQuestion},
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(c.today, c.ini);
        const std::string path = f.list("O150126P.1DP", kCleanRows);
        ASSERT_TRUE(f.session.open(path).done());
        const std::string target = c.overTheList ? path : f.dir.file("bank.xml");
        const Result result = f.session.exportSepa({}, target, c.answer);
        EXPECT_EQ(result.kind, ResultKind::refused);
        EXPECT_EQ(kinds(result), c.messages);
        EXPECT_EQ(result.valueDateWarning.has_value(), c.warning);
        EXPECT_EQ(testing::readFileBytes(path), kCleanRows);
        if (!c.overTheList) {
            EXPECT_FALSE(std::filesystem::exists(target));
        }
    }
}

// A SEPA file is written only with its record beside the prepare history, where one is kept;
// a record that cannot be written keeps the file from being written, and says where and why.
TEST(ListSession, TheSepaExportLeavesItsRecordOrWritesNoFile) {
    if (!output::sepaValidationAvailable()) GTEST_SKIP() << "built without the SEPA export";
    const struct {
        const char* what;
        const char* history;  // under the test's folder; empty: none kept
        ResultKind kind;
        std::vector<Message> messages;
        std::size_t records;
    } cases[] = {
        {"a history kept", "history", ResultKind::ok, {}, 1},
        {"no history", "", ResultKind::ok, {}, 0},
        {"a history folder that cannot be made",
         "taken/history",
         ResultKind::failed,
         {Message::sepaRecordNotKept},
         0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(kJan2026);
        testing::writeFileBytes(f.dir.file("taken"), "a file, not a folder");
        const std::string history = f.dir.file(*c.history != '\0' ? c.history : "history");
        if (*c.history != '\0') f.session.keepPreparesIn(history);
        const std::string path = f.list("O150126P.1DP", kCleanRows);
        ASSERT_TRUE(f.session.open(path).done());
        const std::string target = f.dir.file("bank.xml");
        const Result result = f.session.exportSepa({}, target, DateAnswer::goOn);
        EXPECT_EQ(result.kind, c.kind);
        EXPECT_EQ(kinds(result), c.messages);
        EXPECT_EQ(std::filesystem::exists(target), c.kind == ResultKind::ok);
        std::size_t records = 0;
        std::error_code ignored;
        for (const auto& entry : std::filesystem::directory_iterator(history, ignored)) {
            EXPECT_EQ(entry.path().extension(), ".sepa") << entry.path();
            ++records;
        }
        EXPECT_EQ(records, c.records);
        if (!c.messages.empty()) {
            EXPECT_NE(result.messages[0].text.find(history), std::string::npos)
                << result.messages[0].text;
        }
    }
}

// What a bank may ask of the file beyond the rows: the payer's EIK, checked before anything is
// read, batch booking, and the rows' creditor references, a bad one refused by its row and one
// that keeps a text out of the file told of.
TEST(ListSession, TheSepaExportCarriesTheInitiatorBatchBookingAndReferences) {
    if (!output::sepaValidationAvailable()) GTEST_SKIP() << "built without the SEPA export";
    const std::string ini =
        "[CLIENT]\r\nBIC = BNBGBGSD\r\nIBAN = BG80BNBG96611020345678\r\nNAME = Firma OOD\r\n"
        "[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nBIC = 2\r\nNAME = 3\r\nSUM = 4\r\n"
        "REASON = 5\r\nRF = 6\r\n";
    const std::string referenced =
        "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50;Faktura 7;RF18 5390 0754 7034\r\n"
        "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25;Zaplata;\r\n";
    const std::string badReference =
        "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50;;RF741\r\n"
        "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25;;RF19 5390 0754 7034\r\n";
    const struct {
        const char* what;
        std::string rows;
        output::SepaChoices choices;
        std::vector<Message> messages;
        std::string message;                 // the first message's text
        std::vector<std::string> inTheFile;  // empty: no file
        std::vector<std::string_view> warnings;
    } cases[] = {
        {"an initiator's id that is no EIK",
         referenced,
         {output::PainVersion::v09, false, "", "831641792", true},
         {Message::sepaBadInitiatorId},
         "В полето „ЕИК/БУЛСТАТ на наредителя“ трябва да е ЕИК/БУЛСТАТ от 9 или 13 цифри с верни "
         "контролни цифри!"_cp,
         {},
         {}},
        {"an EIK, batch booking and a reference",
         referenced,
         {output::PainVersion::v03, false, "", "831 641 791", true},
         {},
         "",
         {"<Id>831641791</Id>", "<BtchBookg>true</BtchBookg>", "<Ref>RF18539007547034</Ref>",
          "<Ustrd>Zaplata</Ustrd>"},
         {"sepa-remittance-dropped"}},
        {"a bad reference on the second row",
         badReference,
         {output::PainVersion::v09, false, "", "", false},
         {Message::sepaCreditorReference},
         "Стойността в полето RF не е референция по ISO 11649 (RF, две контролни цифри и до 21 "
         "букви или цифри) на ред: 2"_cp,
         {},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Fixture f(kJan2026, ini);
        const std::string path = f.list("O150126P.1DP", c.rows);
        ASSERT_TRUE(f.session.open(path).done());
        const std::string target = f.dir.file("bank.xml");
        const Result result = f.session.exportSepa(c.choices, target, DateAnswer::goOn);
        EXPECT_EQ(kinds(result), c.messages);
        if (!c.messages.empty()) {
            EXPECT_EQ(result.messages[0].text, c.message);
        }
        EXPECT_EQ(std::filesystem::exists(target), !c.inTheFile.empty());
        if (c.inTheFile.empty()) continue;
        ASSERT_EQ(result.kind, ResultKind::ok);
        const std::string file = testing::readFileBytes(target);
        for (const std::string& piece : c.inTheFile)
            EXPECT_NE(file.find(piece), std::string::npos) << piece << "\n" << file;
        EXPECT_EQ(file.find("Faktura"), std::string::npos) << "the text its reference replaces";
        std::vector<std::string_view> warnings;
        for (const SepaCutWarning& warning : sepaCutWarnings(*result.sepa))
            warnings.push_back(warning.kind);
        EXPECT_EQ(warnings, c.warnings);
        ASSERT_EQ(result.sepa->names.size(), 2u);
        EXPECT_EQ(result.sepa->names[0].reference, "RF18539007547034");
        EXPECT_TRUE(result.sepa->names[0].remittanceDropped);
        EXPECT_EQ(result.sepa->names[1].remittance, "Zaplata");
    }
}

// The rules for payments to the budget: a change reads the list open again, as a change of the
// payment type does, the SEPA export reads its rows by the same rules, and a list of a value date
// since 1 October 2023 checked by the older rules says that newer ones exist.
TEST(ListSession, BudgetRulesCheckTheListOpenAgainAndHintAtNewerOnes) {
    const std::string ini = settings() +
                            "[BU]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nBIC = 2\r\nNAME = "
                            "3\r\nEGN = 4\r\nPAYMENT = 5\r\nSUM = 6\r\n";
    // To a budget account with the obligor's EGN and no payment code.
    const std::string rows = "BG56BNBG96618020345678;BNBGBGSD;Ivan;7523169263;;10.50\r\n";
    using processing::BudgetRules;
    const struct {
        const char* name;
        BudgetRules rules;
        bool valid;
        bool hint;
    } cases[] = {
        {"O081206P.1BU", BudgetRules::before2023, false, false},
        {"O081206P.1BU", BudgetRules::from2023, true, false},
        {"O021023P.1BU", BudgetRules::before2023, false, true},
        {"O021023P.1BU", BudgetRules::from2023, true, false},
        {"O290923P.1BU", BudgetRules::before2023, false, false},
    };
    // A reading the operator stops keeps the rules the list was checked by, and its verdict.
    {
        Fixture f(kJan2026, ini);
        ASSERT_TRUE(f.session.choosePaymentType(2).done());
        ASSERT_FALSE(f.session.open(f.list("O021023P.1BU", rows)).done());
        f.session.runWorkWith([](std::string_view, const LongWork& work) {
            work([](std::uint64_t, std::uint64_t) { return false; });
        });
        EXPECT_EQ(f.session.chooseBudgetRules(BudgetRules::from2023).kind, ResultKind::cancelled);
        EXPECT_EQ(f.session.state().budgetRules, BudgetRules::before2023);
        EXPECT_FALSE(f.session.state().fileValid);
        EXPECT_TRUE(f.session.budgetRulesHint());
    }
    // A list with no row to the budget is checked alike by both rules: it is told nothing.
    {
        Fixture f(kJan2026, ini);
        ASSERT_TRUE(f.session.choosePaymentType(2).done());
        const std::string ordinary = "BG80BNBG96611020345678;BNBGBGSD;Ivan;7523169263;;10.50\r\n";
        EXPECT_TRUE(f.session.open(f.list("O021023P.1BU", ordinary)).done());
        EXPECT_FALSE(f.session.budgetRulesHint());
    }
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::string(processing::budgetRulesName(c.rules)));
        Fixture f(kJan2026, ini);
        ASSERT_TRUE(f.session.choosePaymentType(2).done());
        EXPECT_TRUE(f.session.chooseBudgetRules(c.rules).done()) << "no list: nothing to read";
        EXPECT_FALSE(f.session.budgetRulesHint()) << "no list checked";
        const std::string path = f.list(c.name, rows);
        EXPECT_EQ(f.session.open(path).done(), c.valid);
        EXPECT_EQ(f.session.state().fileValid, c.valid);
        EXPECT_EQ(f.session.budgetRulesHint().has_value(), c.hint);
        if (c.hint) {
            EXPECT_EQ(*f.session.budgetRulesHint(), processing::laterBudgetRulesHint());
        }

        // The other rules, and back: each change reads the list again.
        const BudgetRules other =
            c.rules == BudgetRules::before2023 ? BudgetRules::from2023 : BudgetRules::before2023;
        const Result changed = f.session.chooseBudgetRules(other);
        EXPECT_EQ(changed.done(), !c.valid);
        EXPECT_EQ(changed.findings.has_value(), c.valid);
        EXPECT_FALSE(f.session.budgetRulesHint() && other == BudgetRules::from2023);
        EXPECT_EQ(f.session.chooseBudgetRules(c.rules).done(), c.valid);
        EXPECT_EQ(f.session.state().budgetRules, c.rules);
        // Checked clean by either rules, a row to a budget account still has no SEPA form: the
        // export names it (its value date one from 2026 on, when amounts are in euro).
        if (!c.valid || !output::sepaValidationAvailable()) continue;
        ASSERT_TRUE(f.session.setValueDate(15, 1, 2026).done());
        const Result review = f.session.reviewSepa();
        EXPECT_FALSE(review.done());
        EXPECT_EQ(kinds(review), std::vector<Message>{Message::sepaBudgetAccount});
    }
}

// Stopped while it reads, an operation leaves the session as it was, but for the payer values it
// had taken over.
TEST(ListSession, AStoppedReadingLeavesEverythingAsItWas) {
    Fixture f(kDec2006);
    const std::string first = f.list("O081206P.1DP", kCleanRows);
    ASSERT_TRUE(f.session.open(first).done());
    const ListState before = f.session.state();
    f.session.runWorkWith([](std::string_view, const LongWork& work) {
        work([](std::uint64_t, std::uint64_t) { return false; });
    });
    TypedPayerValues typed;
    typed.name = "Nova firma";
    f.session.typePayerValues(typed);
    const Result result = f.session.open(f.list("O151206P.2DP", kCleanRows));
    EXPECT_EQ(result.kind, ResultKind::cancelled);
    EXPECT_EQ(f.session.state().inputPath, before.inputPath);
    EXPECT_EQ(f.session.state().paymentDate, before.paymentDate);
    EXPECT_EQ(f.session.state().countText, before.countText);
    EXPECT_TRUE(f.session.state().fileValid);
    EXPECT_EQ(f.session.state().payerName, "Nova firma");
}

// The payer values are taken over in one order; a value over its limit is taken and ends it.
TEST(PayerValues, TakeOverStopsAfterTheFirstValueOverItsLimit) {
    PayerValues values{"IBAN0", "BIC0", "NAME0", "KIND0", "CODE0"};
    TypedPayerValues typed;
    typed.iban = std::string(kPlainIban);
    typed.name = std::string(36, 'N');
    typed.kindCode = "101";
    EXPECT_EQ(takeOverPayerValues(typed, values), PayerField::name);
    EXPECT_EQ(values.iban, kPlainIban);
    EXPECT_EQ(values.name, std::string(36, 'N'));
    EXPECT_EQ(values.kindCode, "KIND0") << "not taken after the refused one";
    EXPECT_EQ(typed.kindCode, "101") << "still given, for the next take-over";
    EXPECT_EQ(takeOverPayerValues(typed, values), std::nullopt);
    EXPECT_EQ(values.kindCode, "101");
}

}  // namespace
}  // namespace velcor::session
