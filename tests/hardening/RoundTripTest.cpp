// Seeded round trips: lists built at random from good rows, blank lines and every kind of line
// end, scanned, prepared and scanned again.

#include "HardeningSupport.h"

#include "support/KeptRows.h"
#include "support/ListModel.h"
#include "support/PreparedRoundTrip.h"

#include <gtest/gtest.h>

#include <random>

namespace velcor::hardening {
namespace {

// Good rows of the delimited (DP) and fixed-length (FX) example formats.
const char* const kDelimitedRows[] = {
    "BG80BNBG96611020345678;BNBGBGSD;Ivan Petrov;7501020018;;1250.00;",
    "BG95UNCR70001523456789;UNCRBGSF;Maria;8203151234;;830.45;",
    "BG21STSA93000012345678;STSABGSF;Stroy EOOD;;831053674;4100.10;",
    "BG72RZBB91551012345678;RZBBBGSF;Agro AD;;120276669;95.60;",
};
const char* const kFixedRows[] = {
    "BG80BNBG96611020345678BNBGBGSDIvan Petrov              1250.00",
    "BG95UNCR70001523456789UNCRBGSFMaria                     830.45",
};
const char* const kLineEnds[] = {"\r\n", "\n", "\r\n", "\n\n", "\r\n \t \r\n"};

std::string randomList(std::mt19937& random, bool fixed) {
    std::string list;
    const int rows = std::uniform_int_distribution<int>(1, 12)(random);
    for (int i = 0; i < rows; ++i) {
        if (random() % 5 == 0)
            list += random() % 2 ? "   " : "\t";  // a blank line
        else if (fixed)
            list += kFixedRows[random() % std::size(kFixedRows)];
        else
            list += kDelimitedRows[random() % std::size(kDelimitedRows)];
        if (i + 1 < rows || random() % 2) list += kLineEnds[random() % std::size(kLineEnds)];
    }
    // The old end-of-file mark, with the padding some programs write behind it.
    if (random() % 6 == 0) list += "\x1A\r\n \x1A\t";
    return list;
}

// Each list is chosen, prepared and chosen again in the window, as the operator would.
TEST(RoundTrip, AcceptedListsPreparedAndScannedAgainKeepTheirControlDataAndRows) {
    std::mt19937 random(20061208);
    for (int round = 0; round < 300; ++round) {
        const bool fixed = round % 3 == 2;
        const std::string list = randomList(random, fixed);
        SCOPED_TRACE(::testing::PrintToString(list));
        Session s;
        s.selectType(fixed ? 1 : 0);
        testing::writeFileBytes(s.listPath, list);

        s.browse();
        const session::ListState first = s.state();
        // A list of blank lines has nothing to pay: refused, and never written.
        if (testing::expectedRows(list).empty()) {
            EXPECT_FALSE(first.fileValid);
            EXPECT_FALSE(s.dialog->prepare().done);
            EXPECT_EQ(s.listBytes(), list);
            continue;
        }
        ASSERT_TRUE(first.fileValid) << session::rowFindingsHtml(first.rowFindings);

        ASSERT_TRUE(s.dialog->prepare().done) << ::testing::PrintToString(s.messages());
        const std::string prepared = s.listBytes();
        const std::string rows = testing::expectedRows(list);
        EXPECT_EQ(prepared.substr(prepared.find('\n') + 1), rows);
        EXPECT_EQ(testing::preparedFileFault(prepared, first.recordCount), std::nullopt);

        s.browse();
        const session::ListState& again = s.state();
        EXPECT_TRUE(s.messages().empty()) << ::testing::PrintToString(s.messages());
        EXPECT_TRUE(again.fileValid);
        EXPECT_TRUE(again.filePrepared);
        EXPECT_EQ(again.controlCodeText, first.controlCodeText);
        EXPECT_EQ(again.totalText, first.totalText);
        EXPECT_EQ(again.countText, first.countText);
        // The prepared file keeps its rows as they are: a scan of it hands on the same ones.
        EXPECT_EQ(testing::scanKeepingRows(fileio::standardFileSystem(), s.listPath, nullptr, ' ')
                      .acceptedLines,
                  rows);
    }
}

// The lists the fuzz targets start from are prepared, so that their property is never vacuous;
// and the reader they hold a prepared file to refuses what a bank would.
TEST(RoundTrip, FuzzStartingListsPrepareAndTheirReaderRefusesWhatABankWould) {
    const auto require = [](bool condition, const char* what) { EXPECT_TRUE(condition) << what; };
    const std::string_view lists[] = {testing::kRoundTripDelimitedRows,
                                      testing::kRoundTripFixedRows, testing::kRoundTripSebraRows};
    for (int position = 0; position < 3; ++position)
        EXPECT_TRUE(testing::preparedRoundTrip(testing::kRoundTripSettings, position,
                                               lists[position], {}, require))
            << position;

    const std::string header = "OMPDP;08122006;BG48BNBG96618000123456;      ;PAYER;1.00;1; ";
    const struct {
        std::string file;
        std::optional<std::string> fault;
    } cases[] = {
        {header + "E9559903; \r\nx;1.00\n", std::nullopt},
        {header + "E9559903; \r\nx;1.00\n\n", "a blank data line"},
        {header + "E9559903; \r\nx;1.00\vy\n", "a control byte in a data line"},
        {header + "E9559903; \r\nx;1.00\ny\n", "data lines that are not one checked row each"},
        {header + "E9559904; \r\nx;1.00\n", "a header control code of other bytes"},
        {header + "E9559903; \r\n" + std::string(4095, 'x') + "\n",
         "a data line longer than 4094 bytes"},
    };
    for (const auto& c : cases) EXPECT_EQ(testing::preparedFileFault(c.file, 1), c.fault) << c.file;
}

// The settings loader and a save, over omp.ini variants: the lines outside [CLIENT] survive.
TEST(RoundTrip, SavedSettingsLoadToTheSameFormatsAndKeepEveryOtherLine) {
    std::mt19937 random(1251);
    const std::string example = exampleBytes("omp.ini");
    const char* const extras[] = {"; note\r\n",
                                  "\r\n",
                                  "// PAYMENT = 1\r\n",
                                  " = 5 // no key\n",
                                  "  [CLIENT]  \r\nNAME=\r\n",
                                  "\t\r\n",
                                  "[Client]\nBIC=\n"};
    testing::TempDir dir;
    const std::string path = dir.file("omp.ini");
    for (int round = 0; round < 200; ++round) {
        std::string ini;
        for (std::size_t start = 0; start < example.size();) {
            const std::size_t end = example.find('\n', start);
            const std::size_t size = end == std::string::npos ? std::string::npos : end - start + 1;
            ini += example.substr(start, size);
            if (random() % 3 == 0) ini += extras[random() % std::size(extras)];
            start = end == std::string::npos ? example.size() : end + 1;
        }
        SCOPED_TRACE(::testing::PrintToString(ini));
        testing::writeFileBytes(path, ini);
        settings::LoadedSettings loaded;
        ASSERT_TRUE(settings::loadSettings(fileio::standardFileSystem(), path, loaded).ok());
        const settings::PayerValues payer{"UNCRBGSF", loaded.client.iban, "Name", "1234563"};
        ASSERT_EQ(
            settings::writeSettings(fileio::standardFileSystem(), path, payer, loaded.iniRemainder),
            settings::SaveResult::ok);
        settings::LoadedSettings reloaded;
        ASSERT_TRUE(settings::loadSettings(fileio::standardFileSystem(), path, reloaded).ok());
        EXPECT_EQ(reloaded.iniRemainder, loaded.iniRemainder);
        EXPECT_EQ(reloaded.entryTexts, loaded.entryTexts);
        ASSERT_EQ(reloaded.formats.size(), loaded.formats.size());
        for (std::size_t i = 0; i < loaded.formats.size(); ++i)
            EXPECT_EQ(reloaded.formats[i].fields.size(), loaded.formats[i].fields.size());
        EXPECT_EQ(reloaded.client.bic, "UNCRBGSF");
        EXPECT_EQ(reloaded.client.name, "Name");
        EXPECT_EQ(reloaded.client.code, "1234563");
    }
}

}  // namespace
}  // namespace velcor::hardening
