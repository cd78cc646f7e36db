// velcor-cli sepa run in-process on the example settings and a list dated 15 January 2026.

#include "app/cli/CliRun.h"
#include "support/MemoryFileSystem.h"
#include "support/SepaFileReader.h"
#include "support/TestSupport.h"

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
                        "\"written\": \"Иван Петров\", \"sent\": \"Ivan Petrov\"}, "))
        << out.str();
    EXPECT_EQ(testing::readSepaFile(fs.files[path("x.xml")])->localInstrument, "INST");
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

}  // namespace
}  // namespace velcor::app::cli
