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
                        "\"SALA\", \"count\": 4, \"total\": \"6276.15\", \"names\": [{\"row\": 1, "
                        "\"written\": \"Иван Петров\", \"sent\": \"Ivan Petrov\", "
                        "\"remittance\": \"\"}, "))
        << out.str();
    EXPECT_EQ(testing::readSepaFile(fs.files[path("x.xml")])->localInstrument, "INST");
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
