// The SEPA export through the window's logic: every file it writes is validated by xmllint
// against the project's copy of its schema and read back by a reader of its own
// (support/SepaFileReader.h), and every refusal says why and writes nothing.

#include "output/Transliteration.h"
#include "support/IbanModel.h"
#include "support/SepaFileReader.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/WindowSetup.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;
using output::PainVersion;

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// Whether xmllint, apart from the program, finds `file` valid under `version`'s schema.
bool xmllintValidates(const std::string& file, PainVersion version) {
    const std::string schema = std::string(VELCOR_SCHEMA_DIR) + "/" +
                               std::string(output::painVersionName(version)) + ".xsd";
    const std::string command = std::string(VELCOR_XMLLINT) + " --noout --schema '" + schema +
                                "' '" + file + "' 2>/dev/null";
    return std::system(command.c_str()) == 0;
}

testing::SepaFileRead readBack(const std::string& file) {
    const std::optional<testing::SepaFileRead> read =
        testing::readSepaFile(testing::readFileBytes(file));
    return read.value_or(testing::SepaFileRead{});
}

// The payer of the example settings, and a list layout with a REASON field and the BIC last, so
// that a row may leave it out (a BIC field that a row holds must match its IBAN).
constexpr std::string_view kClient =
    "[CLIENT]\r\nBIC = BNBGBGSD\r\nIBAN = BG48BNBG96618000123456\r\nNAME = Firma OOD\r\n"
    "CODE = 1234563\r\n";
const std::string kSettings =
    std::string(kClient) +
    "[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nNAME = 2\r\nSUM = 3\r\nREASON = 4\r\nBIC = 5\r\n"
    "[SB]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nBIC = 2\r\nNAME = 3\r\nSUM = 4\r\n"
    "PAYMENT = 5\r\nPAYMENT_SEBRA = 6\r\n";
constexpr std::string_view kRow = "BG80BNBG96611020345678;Ivan;10.50\r\n";

// The export's token in its rows' end-to-end ids: the end of its message id.
std::string tokenOf(const testing::SepaFileRead& file) {
    return file.messageId.size() < 8 ? "" : file.messageId.substr(file.messageId.size() - 8);
}

// An IBAN with its check digits worked out: `country` and `bban`.
std::string ibanOf(const std::string& country, const std::string& bban) {
    const int check = 98 - testing::mod97Model(country + "00" + bban);
    return country + text::format("%02d", check) + bban;
}

TEST(SepaExport, EveryExampleListDatedIn2026IsAValidFileOfEachVersion) {
    const struct {
        const char* example;
        int type;  // of the example settings: 0 DP, 1 FX
        const char* redated;
    } lists[] = {
        {"O081206P.1DP", 0, "O150126P.1DP"},
        {"O081206P.1FX", 1, "O150126P.1FX"},
        {"O081206P.3DP", 0, "O150126P.3DP"},  // prepared: its header's date is the value date
    };
    const std::vector<std::string> names = {"Ivan Petrov", "Maria Ivanova", "Stroy EOOD",
                                            "Agro AD"};
    for (const auto& list : lists) {
        SCOPED_TRACE(list.example);
        WindowSetup w(testing::readFileBytes(kExamples / "omp.ini"));
        std::string bytes = testing::readFileBytes(kExamples / list.example);
        if (const auto at = bytes.find(";08122006;"); at != std::string::npos)
            bytes.replace(at, 10, ";15012026;");
        w.selectType(list.type);
        w.browse(w.writeList(list.redated, bytes));
        ASSERT_TRUE(w.state().fileValid);
        for (const PainVersion version : {PainVersion::v09, PainVersion::v03}) {
            SCOPED_TRACE(std::string(output::painVersionName(version)));
            const std::string path = w.dir.file("out.xml");
            ASSERT_TRUE(w.dialog->exportSepa({version, false, "", {}, {}}, path).done);
            EXPECT_TRUE(xmllintValidates(path, version));

            const testing::SepaFileRead file = readBack(path);
            EXPECT_EQ(testing::sepaRuleFaults(file), std::vector<std::string>{});
            EXPECT_EQ(file.namespaceUri, "urn:iso:std:iso:20022:tech:xsd:" +
                                             std::string(output::painVersionName(version)));
            EXPECT_EQ(file.headerCount, std::to_string(w.state().recordCount));
            EXPECT_EQ(testing::sepaCents(file.headerSum), w.state().totalSum);
            EXPECT_EQ(file.executionDate, "2026-01-15");
            EXPECT_EQ(file.method + file.serviceLevel + file.chargeBearer, "TRFSEPASLEV");
            EXPECT_EQ(file.localInstrument + file.categoryPurpose, "");
            EXPECT_EQ(file.debtorName + " " + file.debtorIban + " " + file.debtorBic,
                      "Primerna firma OOD BG48BNBG96618000123456 BNBGBGSD");
            for (std::size_t i = 0; i < file.transactions.size(); ++i) {
                const auto& t = file.transactions[i];
                EXPECT_EQ(t.endToEndId, std::string(list.redated) + "-" + tokenOf(file) + "-" +
                                            std::to_string(i + 1));
                EXPECT_EQ(t.name, names.at(i));
            }
        }
    }
}

// A row's BIC only where it has one, the REASON field as the payment's text, blank lines
// skipped, names and texts cut to the rules' lengths, and the operator's choices.
TEST(SepaExport, RowsCarryWhatTheyHoldWithinTheRulesLengths) {
    WindowSetup w(kSettings);
    const std::string zh(80, "ж"_cp.view()[0]);  // 160 Latin letters
    const std::string rows = std::string(
                                 "BG80BNBG96611020345678;Ivan;10.50;Заплата януари;BNBGBGSD\r\n"
                                 "\r\n"
                                 "BG95UNCR70001523456789;Мария;0.01\r\n"_cp) +
                             "BG80BNBG96611020345678;" + zh + ";999999999.99;" + zh + "\r\n";
    w.browse(w.writeList("O150126P.1DP", rows));
    ASSERT_TRUE(w.state().fileValid);
    const std::string path = w.dir.file("out.xml");
    const Outcome written = w.dialog->exportSepa({PainVersion::v09, true, "SALA", {}, {}}, path);
    ASSERT_TRUE(written.done);
    // Confirmed with the file's own figures, in euro.
    ASSERT_TRUE(written.confirmation.has_value());
    EXPECT_EQ(written.confirmation->text,
              std::string("SEPA файлът е записан.\nФайл: "_cp) + path +
                  std::string("\nБрой: 3\nОбща сума: 1000000010.50 EUR"_cp));
    EXPECT_TRUE(xmllintValidates(path, PainVersion::v09));
    const testing::SepaFileRead file = readBack(path);
    EXPECT_EQ(testing::sepaRuleFaults(file), std::vector<std::string>{});
    EXPECT_EQ(file.localInstrument + " " + file.categoryPurpose, "INST SALA");
    ASSERT_EQ(file.transactions.size(), 3u);
    const auto& first = file.transactions[0];
    const auto& second = file.transactions[1];
    const auto& third = file.transactions[2];
    EXPECT_EQ(first.agents, 1);
    EXPECT_EQ(first.bic + " " + first.remittance, "BNBGBGSD Zaplata yanuari");
    EXPECT_EQ(third.agents, 0);
    EXPECT_EQ(second.name + " " + second.amount + " " + second.remittance, "Maria 0.01 ");
    std::string zhLatin;
    for (int i = 0; i < 70; ++i) zhLatin += "zh";
    EXPECT_EQ(third.endToEndId, "O150126P.1DP-" + tokenOf(file) + "-3");
    EXPECT_EQ(third.name, zhLatin.substr(0, 70));
    EXPECT_EQ(third.remittance, zhLatin);
    EXPECT_EQ(third.amount, "999999999.99");
}

TEST(SepaExport, EachRefusalSaysWhyAndWritesNothing) {
    const std::string sebraRow = "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50;;123\r\n";
    // Passes the IBAN check but is longer than any IBAN.
    const std::string longIban = ibanOf("BG", "BNBG9661102034567890123456789012");
    const auto row = [](const std::string& iban, const std::string& bic, const std::string& name,
                        const std::string& sum) {
        return iban + ";" + name + ";" + sum + (bic.empty() ? "" : ";;" + bic) + "\r\n";
    };
    const std::string iban = "BG80BNBG96611020345678";
    const auto none = [](WindowSetup&, const std::string&) {};
    const struct Case {
        const char* what;
        int type;  // 0 DP, 1 SB, -1 none
        const char* listName;
        std::string rows;
        std::function<void(WindowSetup&, const std::string& list)> arrange;
        output::SepaChoices choices;
        std::string message;
    } cases[] = {
        {"row messages",
         0,
         "O150126P.1DP",
         row("BG00BNBG96611020345678", "", "Ivan", "1"),
         none,
         {},
         "Списъкът има съобщения за грешни редове: SEPA файл се съставя само от коректен "
         "списък!"_cp},
        {"no payment type",
         -1,
         "O150126P.1DP",
         std::string(kRow),
         none,
         {},
         "Не е избран вид плащане!"_cp},
        {"budget payments",
         1,
         "O150126P.1SB",
         sebraRow,
         none,
         {},
         "Плащанията към бюджета (вид SB) не се записват като SEPA файл: за тях още няма "
         "обявено съответствие с pain.001!"_cp},
        {"value date in leva",
         0,
         "O311225P.1DP",
         std::string(kRow),
         none,
         {},
         "Датата на МП е преди 01.01.2026: тогава сумите са в лева, а SEPA файлът е в евро!"_cp},
        {"amount over the limit",
         0,
         "O150126P.1DP",
         std::string(kRow) + row(iban, "", "Maria", "1000000000.00"),
         none,
         {},
         "Сума извън границите за SEPA (от 0.01 до 999999999.99 евро) на ред: 2"_cp},
        {"no name",
         0,
         "O150126P.1DP",
         row(iban, "", "", "5"),
         none,
         {},
         "Няма име на получателя, което да се изпише с латински букви, на ред: 1"_cp},
        {"a name with no letter for Latin",
         0,
         "O150126P.1DP",
         row(iban, "", "«»"_cp, "5"),
         none,
         {},
         "Няма име на получателя, което да се изпише с латински букви, на ред: 1"_cp},
        // The row check refuses an account longer than its country's IBANs before the export
        // could.
        {"an account longer than any IBAN",
         0,
         "O150126P.1DP",
         row(longIban, "", "Ivan", "5"),
         none,
         {},
         "Списъкът има съобщения за грешни редове: SEPA файл се съставя само от коректен "
         "списък!"_cp},
        {"a test BIC in .03",
         0,
         "O150126P.1DP",
         row(iban, "BNBGBG1A", "Ivan", "5"),
         none,
         {PainVersion::v03, false, "", {}, {}},
         "BIC на получателя не е във вида за pain.001.001.03 на ред: 1"_cp},
        {"an IBAN of a country outside the schemes",
         0,
         "O150126P.1DP",
         std::string(kRow) + std::string(kRow) + row("TR330006100519786457841326", "", "Ali", "5"),
         none,
         {},
         "IBAN на получателя е от държава извън SEPA (TR) на ред: 3"_cp},
        {"a payer IBAN outside the schemes",
         0,
         "O150126P.1DP",
         std::string(kRow),
         [](WindowSetup& w, const std::string&) {
             w.host.type(idPayerIban, "XK051212012345678906");
         },
         {},
         "Грешен IBAN на платеца!"_cp},
        {"a budget account, whose payment code the file has no place for",
         0,
         "O150126P.1DP",
         std::string(kRow) + row("BG21BNBG96618000123457", "", "NAP", "5"),
         none,
         {},
         "Плащане към бюджетна сметка не се записва в SEPA файл: за кода за плащане и "
         "задълженото лице още няма обявено съответствие с pain.001, на ред: 2"_cp},
        {"payer IBAN",
         0,
         "O150126P.1DP",
         std::string(kRow),
         [](WindowSetup& w, const std::string&) {
             w.host.type(idPayerIban, "BG00BNBG96618000123456");
         },
         {},
         "Грешен IBAN на платеца!"_cp},
        {"payer BIC",
         0,
         "O150126P.1DP",
         std::string(kRow),
         [](WindowSetup& w, const std::string&) { w.host.type(idPayerBic, ""); },
         {},
         "Грешен BIC!"_cp},
        {"payer name with no letter for Latin",
         0,
         "O150126P.1DP",
         std::string(kRow),
         [](WindowSetup& w, const std::string&) { w.host.type(idPayerName, "„“"_cp); },
         {},
         "Не е въведено наименование на наредителя!"_cp},
        {"category purpose in small letters",
         0,
         "O150126P.1DP",
         std::string(kRow),
         none,
         {PainVersion::v09, false, "Sala", {}, {}},
         "Категорията на плащането трябва да е код от списъка ExternalCategoryPurpose1Code на "
         "ISO 20022 (например SALA)!"_cp},
        {"category purpose of four capitals but no code of the list",
         0,
         "O150126P.1DP",
         std::string(kRow),
         none,
         {PainVersion::v09, false, "ABCD", {}, {}},
         "Категорията на плащането трябва да е код от списъка ExternalCategoryPurpose1Code на "
         "ISO 20022 (например SALA)!"_cp},
        {"list changed since the scan",
         0,
         "O150126P.1DP",
         std::string(kRow),
         [&](WindowSetup&, const std::string& list) {
             testing::writeFileBytes(list, std::string(kRow) + std::string(kRow));
         },
         {},
         "Файлът не е коректен!"_cp},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(kSettings);
        w.selectType(c.type);
        const std::string list = w.writeList(c.listName, c.rows);
        w.browse(list);
        c.arrange(w, list);
        const std::string before = testing::readFileBytes(list);
        w.host.clearEvents();
        const std::string path = w.dir.file("out.xml");
        EXPECT_FALSE(w.dialog->exportSepa(c.choices, path).done);
        EXPECT_EQ(w.host.messages(), std::vector<std::string>{c.message});
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(testing::readFileBytes(list), before);
    }
}

// The ids the export makes are its own: two lists whose long names begin alike, or one list
// exported twice, share none, and each stays within the rules' 35 characters.
TEST(SepaExport, EachExportGivesItsRowsIdsOfItsOwn) {
    const std::string common = "O150126-zaplati-za-yanuari-otdel-prodazhbi-i-marketing";
    const struct {
        const char* what;
        std::string first;
        std::string second;
    } cases[] = {
        {"two lists with long common names", common + "-A.1DP", common + "-B.1DP"},
        {"one list exported twice", common + "-A.1DP", common + "-A.1DP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(kSettings);
        std::set<std::string> ids;
        for (const std::string& name : {c.first, c.second}) {
            w.browse(w.writeList(name, std::string(kRow) + std::string(kRow)));
            ASSERT_TRUE(w.state().fileValid);
            const std::string path = w.dir.file("out.xml");
            std::filesystem::remove(path);
            ASSERT_TRUE(w.dialog->exportSepa({}, path).done);
            const testing::SepaFileRead file = readBack(path);
            EXPECT_EQ(testing::sepaRuleFaults(file), std::vector<std::string>{});
            ASSERT_EQ(file.transactions.size(), 2u);
            for (std::size_t i = 0; i < 2; ++i) {
                const std::string& id = file.transactions[i].endToEndId;
                EXPECT_LE(id.size(), 35u) << id;
                EXPECT_TRUE(id.ends_with(tokenOf(file) + "-" + std::to_string(i + 1))) << id;
                EXPECT_TRUE(ids.insert(id).second) << id << " again";
            }
        }
    }
}

// A format that names an E2E field gives the rows' ids: taken as they are when each is an id the
// file may carry and no other row gave it; otherwise the row is refused and nothing written.
TEST(SepaExport, AnE2EFieldGivesTheIdsOnlyWhenEachIsAUniqueSepaId) {
    const std::string settings =
        std::string(kClient) +
        "[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nNAME = 2\r\nSUM = 3\r\nE2E = 4\r\n";
    const std::string start = "BG80BNBG96611020345678;Ivan;10.50";
    const auto rows = [&](std::initializer_list<std::string> ids) {
        std::string out;
        for (const std::string& id : ids) out += start + id + "\r\n";
        return out;
    };
    const std::string notAnId =
        "Стойността в полето E2E не е от 1 до 35 знака от набора за SEPA (без / в началото, в "
        "края или два поред) на ред: "_cp;
    const struct {
        const char* what;
        std::string rows;
        std::vector<std::string> ids;  // as written; none when refused
        std::string message;
    } cases[] = {
        {"ids of the SEPA set",
         rows({";INV 2026/001", ";(A)+1:2,3.4'5?", ";" + std::string(35, '9')}),
         {"INV 2026/001", "(A)+1:2,3.4'5?", std::string(35, '9')},
         ""},
        {"a Cyrillic letter", rows({";A-1", ";Ф-2"_cp}), {}, notAnId + "2"},
        {"36 characters", rows({";" + std::string(36, '9')}), {}, notAnId + "1"},
        {"a slash in front", rows({";A-1", ";/A-2"}), {}, notAnId + "2"},
        {"a slash at the end", rows({";A-1/"}), {}, notAnId + "1"},
        {"two slashes", rows({";A//1"}), {}, notAnId + "1"},
        {"an empty value", rows({";A-1", ";"}), {}, notAnId + "2"},
        {"a row that ends before the field", rows({";A-1", ""}), {}, notAnId + "2"},
        {"an id given twice",
         rows({";A-1", ";A-2", ";A-1"}),
         {},
         "Стойността в полето E2E повтаря тази от ред 1 на ред: 3"_cp},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(settings);
        w.browse(w.writeList("O150126P.1DP", c.rows));
        ASSERT_TRUE(w.state().fileValid);
        w.host.clearEvents();
        const std::string path = w.dir.file("out.xml");
        const bool done = w.dialog->exportSepa({}, path).done;
        EXPECT_EQ(done, c.message.empty());
        if (!done) {
            EXPECT_EQ(w.host.messages(), std::vector<std::string>{c.message});
            EXPECT_FALSE(std::filesystem::exists(path));
            continue;
        }
        EXPECT_TRUE(xmllintValidates(path, PainVersion::v09));
        const testing::SepaFileRead file = readBack(path);
        EXPECT_EQ(testing::sepaRuleFaults(file), std::vector<std::string>{});
        std::vector<std::string> ids;
        for (const auto& t : file.transactions) ids.push_back(t.endToEndId);
        EXPECT_EQ(ids, c.ids);
    }
}

// A name or text the file cuts at the rules' length is shown to the operator, with the text as
// sent, and warned about by its row; one that fits is not.
TEST(SepaExport, ANameOrTextTheFileCutsIsWarnedAboutByItsRow) {
    const std::string zh35(35, "ж"_cp.view()[0]);  // 70 Latin letters
    const std::string longName = zh35 + "a";
    const std::string longText = zh35 + zh35 + " f-ra 123";
    const std::string nameCut =
        "Името на получателя е по-дълго от 70 знака на латиница и във файла е съкратено на ред: "_cp;
    const std::string textCut =
        "Основанието е по-дълго от 140 знака на латиница и във файла е съкратено (краят му се "
        "губи) на ред: "_cp;
    const struct {
        const char* what;
        std::string name;
        std::string reason;
        std::vector<std::string> warnings;
    } cases[] = {
        {"both fit", zh35, zh35 + zh35, {}},
        {"a name over 70", longName, "Zaplata", {nameCut + "2"}},
        {"a text over 140", "Ivan", longText, {textCut + "2"}},
        {"both over", longName, longText, {nameCut + "2", textCut + "2"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        WindowSetup w(kSettings);
        const std::string list =
            w.writeList("O150126P.1DP", std::string(kRow) + "BG80BNBG96611020345678;" + c.name +
                                            ";1;" + c.reason + "\r\n");
        w.browse(list);
        w.dialog->onCommand(idSepaExport);
        ASSERT_EQ(w.host.sepaNamesShown.size(), 2u);
        const SepaName& shown = w.host.sepaNamesShown[1];
        EXPECT_EQ(shown.nameCut, c.name == longName);
        EXPECT_EQ(shown.remittanceCut, c.reason == longText);
        EXPECT_EQ(shown.remittance, output::sepaText(c.reason, output::kMaxSepaRemittance));
        SepaOutcome outcome;
        outcome.names = w.host.sepaNamesShown;
        std::vector<std::string> warnings;
        for (const session::SepaCutWarning& warning : session::sepaCutWarnings(outcome))
            warnings.push_back(warning.text);
        EXPECT_EQ(warnings, c.warnings);
    }
}

// The file never replaces the list or the settings, and a write that fails leaves no file.
TEST(SepaExport, NothingIsReplacedButTheFileAndAFailedWriteLeavesNone) {
    WindowSetup w(kSettings);
    const std::string list = w.writeList("O150126P.1DP", kRow);
    w.browse(list);
    for (const std::string& own : {list, w.settingsPath}) {
        const std::string before = testing::readFileBytes(own);
        w.host.clearEvents();
        EXPECT_FALSE(w.dialog->exportSepa({}, own).done);
        EXPECT_EQ(w.host.messages(),
                  std::vector<std::string>{
                      "SEPA файлът не може да замени списъка или файла с настройките!"_cp});
        EXPECT_EQ(testing::readFileBytes(own), before);
    }
    const std::string path = w.dir.file("out.xml");
    w.fs.failCall(testing::FaultyFileSystem::Step::write);
    w.host.clearEvents();
    EXPECT_FALSE(w.dialog->exportSepa({}, path).done);
    EXPECT_EQ(w.host.messages(), std::vector<std::string>{"Грешка при запис във файлa!"_cp});
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(w.dir.path()), {}), 2);
}

// The context menu's command: the dialog sees every name as written and as sent and the list's
// name with ".xml", and its answer is what gets written; a cancelled dialog writes nothing.
TEST(SepaExport, TheMenuCommandShowsTheNamesThenWritesWhatTheDialogAnswers) {
    WindowSetup w(kSettings);
    const std::string list =
        w.writeList("O150126P.1DP",
                    std::string(kRow) + std::string("BG95UNCR70001523456789;Щерю Янев;2\r\n"_cp));
    w.browse(list);
    w.dialog->onCommand(idSepaExport);
    EXPECT_EQ(
        w.host.sepaNamesShown,
        (std::vector<SepaName>{{1, "Ivan", "Ivan", "", false, false, "", false},
                               {2, "Щерю Янев"_cp, "Shteryu Yanev", "", false, false, "", false}}));
    EXPECT_EQ(w.host.sepaSuggestedPath, list + ".xml");
    EXPECT_FALSE(std::filesystem::exists(list + ".xml"));

    w.host.sepaAnswer = SepaExportAnswer{{PainVersion::v03, true, "PENS", {}, {}}, list + ".xml"};
    w.dialog->onCommand(idSepaExport);
    EXPECT_TRUE(w.host.messages().empty());
    EXPECT_TRUE(xmllintValidates(list + ".xml", PainVersion::v03));
    const testing::SepaFileRead file = readBack(list + ".xml");
    EXPECT_EQ(file.localInstrument + " " + file.categoryPurpose, "INST PENS");
    EXPECT_EQ(file.transactions.size(), 2u);
}

// Once every check passed, the operator is shown what a bank's page would show before the file is
// written; "Не" writes nothing and ends the export as stopped.
TEST(SepaExport, TheOperatorConfirmsTheFileBeforeItIsWritten) {
    struct Case {
        output::SepaChoices choices;
        bool yes;
        std::vector<std::string> lines;
    } cases[] = {
        {{PainVersion::v09, false, "SALA", "", std::nullopt},
         true,
         {"Сметка на наредителя: BG48BNBG96618000123456"_cp, "Дата на изпълнение: 15.01.2026"_cp,
          "Брой преводи: 2"_cp, "Обща сума: 12.50 EUR"_cp,
          "Вид на файла: Стандартен (препоръчан)"_cp, "Версия: pain.001.001.09"_cp,
          "Категория на плащането: SALA – "_cp, "Незабавен превод (SEPA Instant): не"_cp}},
        {{PainVersion::v03, true, "", "", std::nullopt},
         false,
         {"Вид на файла: За банки, които искат старата версия"_cp, "Версия: pain.001.001.03"_cp,
          "Категория на плащането: не е посочена"_cp, "Незабавен превод (SEPA Instant): да"_cp}},
    };
    for (const Case& c : cases) {
        WindowSetup w(kSettings);
        const std::string list =
            w.writeList("O150126P.1DP", std::string(kRow) + "BG95UNCR70001523456789;Maria;2\r\n");
        w.browse(list);
        const std::string path = w.dir.file("out.xml");
        w.host.confirmAnswer = c.yes;
        const Outcome outcome = w.dialog->exportSepa(c.choices, path);
        ASSERT_TRUE(outcome.sepaConfirmation.has_value());
        for (const std::string& line : c.lines)
            EXPECT_NE(outcome.sepaConfirmation->find(line), std::string::npos)
                << line << " in " << *outcome.sepaConfirmation;
        EXPECT_EQ(outcome.done, c.yes);
        EXPECT_EQ(outcome.cancelled, !c.yes);
        EXPECT_EQ(std::filesystem::exists(path), c.yes);
    }
}

// Past a thousand rows the dialog is shown only the names that lose more than their letters'
// spelling, so that what it holds stays bounded whatever the list's length.
TEST(SepaExport, ALongListShowsOnlyTheNamesThatLoseCharacters) {
    WindowSetup w(kSettings);
    const std::string lossy = "BG95UNCR70001523456789;Иван \"Бор\";2\r\n"_cp;
    std::string rows;
    for (int i = 1; i <= 1001; ++i) rows += i == 5 ? lossy : std::string(kRow);
    w.browse(w.writeList("O150126P.1DP", rows));
    w.dialog->onCommand(idSepaExport);
    EXPECT_EQ(
        w.host.sepaNamesShown,
        (std::vector<SepaName>{{5, "Иван \"Бор\""_cp, "Ivan Bor", "", false, false, "", false}}));
}

// The export reads the list as long work twice, its review and its write; the operator may stop
// it, which writes nothing and says nothing but the value date's question it asked before (the
// tests' day lies in 2006, the list's value date in 2026).
TEST(SepaExport, ItsReadingsAreLongWorkTheOperatorCanStop) {
    WindowSetup w(kSettings);
    const std::string list = w.writeList("O150126P.1DP", std::string(kRow) + std::string(kRow));
    w.browse(list);
    const std::string path = w.dir.file("out.xml");
    w.host.longWork.clear();
    EXPECT_TRUE(w.dialog->exportSepa({}, path).done);
    EXPECT_EQ(w.host.longWork, (std::vector<std::string>{std::string(readingListText()),
                                                         std::string(readingListText())}));
    std::filesystem::remove(path);

    w.host.clearEvents();
    w.host.stopWorkAt = 1;
    const Outcome stopped = w.dialog->exportSepa({}, path);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.done);
    ASSERT_EQ(stopped.messages.size(), 1u);
    EXPECT_EQ(stopped.messages[0].kind, Message::valueDateQuestion);
    EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace velcor::window::test
