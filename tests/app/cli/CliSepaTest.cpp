// velcor-cli sepa run in-process on the example settings and a list dated 15 January 2026.

#include "app/cli/CliRun.h"
#include "support/MemoryFileSystem.h"
#include "support/SepaFileReader.h"
#include "support/TestSupport.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace velcor::app::cli {
namespace {

class CliSepa : public ::testing::Test {
  protected:
    CliSepa() {
        const std::string examples = VELCOR_EXAMPLES_DIR;
        fs.files[path("O150126P.1DP")] = testing::readFileBytes(examples + "/O081206P.1DP");
        fs.files[path("O081206P.1DP")] = testing::readFileBytes(examples + "/O081206P.1DP");
        fs.files["omp.ini"] = testing::readFileBytes(examples + "/omp.ini");
    }
    static std::string path(const char* name) {
        return std::filesystem::absolute(name).lexically_normal().string();
    }
    int run(std::vector<std::string> arguments) {
        arguments.insert(arguments.begin(), "velcor-cli");
        out.str("");
        err.str("");
        return runCommandLine(arguments, out, err, fs);
    }
    bool printed(const std::string& text) const {
        return out.str().find(text) != std::string::npos;
    }

    testing::MemoryFileSystem fs;
    std::ostringstream out;
    std::ostringstream err;
};

TEST_F(CliSepa, WritesTheFileBesideTheListOrWhereOutSaysAndTellsOfIt) {
    ASSERT_EQ(run({"sepa", "--names", "O150126P.1DP"}), 0) << out.str() << err.str();
    const std::string beside = path("O150126P.1DP") + ".xml";
    const auto file = testing::readSepaFile(fs.files[beside]);
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(file->transactions.size(), 4u);
    EXPECT_TRUE(printed("ред 3: Строй ЕООД -> Stroy EOOD\n")) << out.str();
    EXPECT_TRUE(
        printed("SEPA файл: " + beside + " (pain.001.001.09, плащания: 4, сума: 6276.15 EUR)\n"))
        << out.str();

    ASSERT_EQ(run({"--json", "sepa", "--pain", "03", "--instant", "--purpose", "SALA", "--names",
                   "--out", "x.xml", "O150126P.1DP"}),
              0);
    EXPECT_TRUE(printed("\"sepa\": {\"path\": \"" + path("x.xml") +
                        "\", \"version\": \"pain.001.001.03\", \"instant\": true, \"purpose\": "
                        "\"SALA\", \"initiatorId\": null, \"batchBooking\": null, \"count\": 4, "
                        "\"total\": \"6276.15\", \"names\": [{\"row\": 1, "
                        "\"written\": \"Иван Петров\", \"sent\": \"Ivan Petrov\", "
                        "\"remittance\": \"\", \"reference\": null}, "))
        << out.str();
    EXPECT_EQ(testing::readSepaFile(fs.files[path("x.xml")])->localInstrument, "INST");
}

// The payer's EIK and batch booking go into the file of either version and into the JSON
// object's choices; left out, the file has neither element.
TEST_F(CliSepa, TheInitiatorsIdAndBatchBookingGoIntoTheFileAndTheJson) {
    const struct {
        std::vector<std::string> arguments;
        std::string initiatingId;
        std::string batchBooking;
        std::string json;
    } cases[] = {
        {{"--pain", "09", "--initiator-id", "831641791", "--batch-booking", "no"},
         "831641791",
         "false",
         "\"initiatorId\": \"831641791\", \"batchBooking\": false"},
        {{"--pain", "03", "--initiator-id=121234566 123 7", "--batch-booking=yes"},
         "1212345661237",
         "true",
         "\"initiatorId\": \"1212345661237\", \"batchBooking\": true"},
        {{"--pain", "03"}, "", "", "\"initiatorId\": null, \"batchBooking\": null"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        std::vector<std::string> arguments{"--json", "sepa", "--out", "x.xml"};
        arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
        arguments.push_back("O150126P.1DP");
        ASSERT_EQ(run(arguments), 0) << out.str() << err.str();
        EXPECT_TRUE(printed(c.json)) << out.str();
        const auto file = testing::readSepaFile(fs.files[path("x.xml")]);
        ASSERT_TRUE(file.has_value());
        EXPECT_EQ(file->initiatingId, c.initiatingId);
        EXPECT_EQ(file->batchBooking, c.batchBooking);
    }
}

// A list whose format names an RF field sends its references structured, and says so by row.
TEST_F(CliSepa, ARowsReferenceIsSentInsteadOfItsText) {
    std::string ini = fs.files["omp.ini"];
    const std::size_t dp = ini.find("PAYMENT = 7");
    ASSERT_NE(dp, std::string::npos);
    ini.insert(dp, "REASON = 8\r\nRF = 9\r\n");
    fs.files["omp.ini"] = ini;
    fs.files[path("O150126P.3DP")] =
        "BG80BNBG96611020345678;BNBGBGSD;Ivan;7501020018;;10.00;;Faktura 1;RF18 5390 0754 "
        "7034\r\nBG80BNBG96611020345678;BNBGBGSD;Petar;7501020018;;5.00;;Zaplata;\r\n";
    ASSERT_EQ(run({"--json", "sepa", "--names", "O150126P.3DP"}), 0) << out.str() << err.str();
    EXPECT_TRUE(printed("\"remittance\": \"\", \"reference\": \"RF18539007547034\"}")) << out.str();
    EXPECT_TRUE(
        printed("{\"kind\": \"sepa-remittance-dropped\", \"row\": 1, \"text\": "
                "\"Основанието не се изпраща: във файла вместо него е референцията от "
                "полето RF на ред: 1\"}"))
        << out.str();
    const auto file = testing::readSepaFile(fs.files[path("O150126P.3DP") + ".xml"]);
    ASSERT_TRUE(file.has_value());
    ASSERT_EQ(file->transactions.size(), 2u);
    EXPECT_EQ(file->transactions[0].reference, "RF18539007547034");
    EXPECT_EQ(file->transactions[0].remittance, "");
    EXPECT_EQ(file->transactions[1].remittance, "Zaplata");
}

// A name the file cuts is warned about by its row on the error stream, or in the JSON object's
// warnings; the file is written all the same.
TEST_F(CliSepa, ANameTheFileCutsIsWarnedAboutByItsRow) {
    std::string longName;
    for (int i = 0; i < 30; ++i) longName += "Щ";  // "Sht" thirty times
    std::string cp1251;
    ASSERT_TRUE(
        text::fromUtf8("BG80BNBG96611020345678;BNBGBGSD;" + longName + ";;;5.00;\r\n", cp1251));
    fs.files[path("O150126P.2DP")] =
        testing::readFileBytes(std::string(VELCOR_EXAMPLES_DIR) + "/O081206P.1DP") + cp1251;
    const std::string warning =
        "Името на получателя е по-дълго от 70 знака на латиница и във "
        "файла е съкратено на ред: 5";
    const struct {
        const char* what;
        std::vector<std::string> arguments;
        std::string onOut;
        std::string onErr;
    } cases[] = {
        {"for a person",
         {"sepa", "O150126P.2DP"},
         "",
         "velcor-cli: предупреждение: " + warning + "\n"},
        {"as JSON",
         {"--json", "sepa", "O150126P.2DP"},
         "\"warnings\": [{\"kind\": \"value-date\", \"reason\": \"in-the-past\", \"text\": ",
         ""},
        {"as JSON, by its row",
         {"--json", "sepa", "O150126P.2DP"},
         "{\"kind\": \"sepa-name-cut\", \"row\": 5, \"text\": \"" + warning + "\"}]",
         ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        fs.files.erase(path("O150126P.2DP") + ".xml");
        EXPECT_EQ(run(c.arguments), 0) << err.str();
        EXPECT_TRUE(printed(c.onOut)) << out.str();
        EXPECT_NE(err.str().find(c.onErr), std::string::npos) << err.str();
        EXPECT_EQ(
            testing::readSepaFile(fs.files[path("O150126P.2DP") + ".xml"])->transactions.size(),
            5u);
    }
}

TEST_F(CliSepa, ARefusalWritesNothingAndAMisusedOptionIsAUsageError) {
    EXPECT_EQ(run({"--json", "sepa", "O081206P.1DP"}), 1);
    EXPECT_TRUE(printed("\"kind\": \"sepa-before-euro\"")) << out.str();
    EXPECT_TRUE(printed("\"sepa\": null")) << out.str();
    EXPECT_EQ(fs.files.count(path("O081206P.1DP") + ".xml"), 0u);

    const struct {
        std::vector<std::string> arguments;
        std::string error;
    } cases[] = {
        {{"sepa", "--pain", "9", "O150126P.1DP"}, "--pain иска 09 или 03"},
        {{"sepa", "--purpose", "Sala", "O150126P.1DP"},
         "--purpose иска код от списъка ExternalCategoryPurpose1Code на ISO 20022, например SALA"},
        {{"sepa", "--purpose", "ABCD", "O150126P.1DP"},
         "--purpose иска код от списъка ExternalCategoryPurpose1Code на ISO 20022, например SALA"},
        {{"--instant", "check", "O150126P.1DP"}, "--instant е само за командата sepa"},
        {{"report", "--out", "x.xml", "O150126P.1DP"}, "--out е само за командата sepa"},
        {{"sepa", "--initiator-id", "831641792", "O150126P.1DP"},
         "--initiator-id иска ЕИК/БУЛСТАТ от 9 или 13 цифри с верни контролни цифри"},
        {{"sepa", "--initiator-id=BG831641791", "O150126P.1DP"},
         "--initiator-id иска ЕИК/БУЛСТАТ от 9 или 13 цифри с верни контролни цифри"},
        {{"sepa", "--batch-booking", "true", "O150126P.1DP"}, "--batch-booking иска yes или no"},
        {{"--batch-booking", "yes", "check", "O150126P.1DP"},
         "--batch-booking е само за командата sepa"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.error);
        EXPECT_EQ(run(c.arguments), 2);
        EXPECT_EQ(err.str().rfind("velcor-cli: " + c.error + "\n", 0), 0u) << err.str();
    }
}

// Every way out passes the same gate: no SEPA file over the list or over a file of another
// kind (a usage error, before anything runs), the payer's BIC of the payer IBAN's bank, and the
// value date warned about, or refused with --strict-date.
TEST_F(CliSepa, TheExportPassesTheGatesOfAPrepare) {
    fs.files[path("notes.txt")] = "a list of mine\n";
    fs.files[path("old.xml")] =
        "<?xml version=\"1.0\"?>\n<Document "
        "xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.001.001.09\"/>\n";
    const std::string pastDate =
        "velcor-cli: предупреждение: Датата на МП (15.01.2026) е в миналото.\n";
    const struct {
        std::vector<std::string> arguments;
        int status;
        std::string error;      // the error stream, from its start
        std::string untouched;  // a file that must keep its bytes
    } cases[] = {
        {{"sepa", "--out", "O150126P.1DP", "O150126P.1DP"},
         2,
         "velcor-cli: --out не може да замени списъка или файла с настройките: O150126P.1DP\n",
         "O150126P.1DP"},
        {{"sepa", "--out", "notes.txt", "O150126P.1DP"},
         2,
         "velcor-cli: --out не заменя файл, който не е SEPA файл (pain.001): notes.txt\n",
         "notes.txt"},
        // Refused before the date is looked at: no warning either.
        {{"--bic", "UNCRBGSF", "sepa", "--out", "new.xml", "O150126P.1DP"}, 1, "", "O150126P.1DP"},
        {{"--strict-date", "sepa", "--out", "new.xml", "O150126P.1DP"},
         1,
         pastDate +
             "velcor-cli: SEPA файлът не е записан: --strict-date не приема тази дата на МП\n",
         "O150126P.1DP"},
        {{"sepa", "--out", "old.xml", "O150126P.1DP"}, 0, pastDate, "O150126P.1DP"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.arguments));
        const std::string before = fs.files[path(c.untouched.c_str())];
        EXPECT_EQ(run(c.arguments), c.status);
        if (c.error.empty()) {
            EXPECT_EQ(err.str(), "");
        } else {
            EXPECT_EQ(err.str().rfind(c.error, 0), 0u) << err.str();
        }
        EXPECT_EQ(fs.files[path(c.untouched.c_str())], before);
        if (c.status != 0) {
            EXPECT_EQ(fs.files.count(path("new.xml")), 0u);
        }
    }
    EXPECT_TRUE(testing::readSepaFile(fs.files[path("old.xml")]).has_value())
        << "an earlier SEPA file is replaced by the new one";
    EXPECT_EQ(run({"--json", "--bic", "UNCRBGSF", "sepa", "--out", "new.xml", "O150126P.1DP"}), 1);
    EXPECT_TRUE(
        printed("\"kind\": \"payer-bic-other-bank\", \"text\": \"BIC на платеца "
                "(UNCRBGSF) е на друга банка, не на банката на IBAN на платеца "
                "(BG48BNBG96618000123456)!\""))
        << out.str();
}

}  // namespace
}  // namespace velcor::app::cli
