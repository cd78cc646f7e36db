// Seeded round trips: lists built at random from good rows, blank lines and every kind of line
// end, scanned, prepared and scanned again.

#include "HardeningSupport.h"

#include "fuzz/support/ListModel.h"
#include "output/PreparedFile.h"
#include "processing/Scan.h"

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

struct Scanned {
    processing::WorkingState state;
    bool accepted = false;
    std::vector<std::string> messages;
};

Scanned scan(const std::string& path, int position) {
    Scanned result;
    result.state.formats = fuzz::listFormats();
    result.state.inputPath = path;
    result.state.paymentDate = kListDay;
    result.state.payerIban = "BG48BNBG96618000123456";
    result.state.payerName = "Payer";
    result.state.paymentKindCode = "101";
    fuzz::RecordingScanHost host(position);
    result.accepted = processing::scanPaymentFile(result.state, host, fileio::standardFileSystem());
    result.messages = host.messages;
    return result;
}

TEST(RoundTrip, AcceptedListsPreparedAndScannedAgainKeepTheirControlDataAndRows) {
    std::mt19937 random(20061208);
    testing::TempDir dir;
    const std::string path = dir.file("O081206P.1DP");
    for (int round = 0; round < 300; ++round) {
        const bool fixed = round % 3 == 2;
        const int position = fixed ? 1 : 0;
        const std::string list = randomList(random, fixed);
        SCOPED_TRACE(::testing::PrintToString(list));
        testing::writeFileBytes(path, list);

        const Scanned first = scan(path, position);
        ASSERT_TRUE(first.accepted) << first.state.rowMessages;
        ASSERT_EQ(first.state.acceptedLines, fuzz::expectedRows(list));
        if (first.state.acceptedLines.empty()) continue;

        const settings::FormatDefinition* format = &first.state.formats[position];
        ASSERT_EQ(output::writePreparedFile(fileio::standardFileSystem(), path,
                                            output::buildHeaderLine(first.state, format),
                                            first.state.acceptedLines),
                  output::PrepareWriteResult::ok);
        const std::string prepared = testing::readFileBytes(path);
        EXPECT_EQ(prepared.substr(prepared.find('\n') + 1), first.state.acceptedLines);

        const Scanned again = scan(path, position);
        EXPECT_TRUE(again.accepted) << ::testing::PrintToString(again.messages);
        EXPECT_TRUE(again.state.filePrepared);
        EXPECT_EQ(again.state.controlCodeText, first.state.controlCodeText);
        EXPECT_EQ(again.state.totalText, first.state.totalText);
        EXPECT_EQ(again.state.countText, first.state.countText);
        EXPECT_EQ(again.state.acceptedLines, first.state.acceptedLines);
    }
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
        const auto ignore = [](std::string_view) {};
        ASSERT_TRUE(settings::loadSettings(fileio::standardFileSystem(), path, loaded, ignore));
        const settings::PayerValues payer{"UNCRBGSF", loaded.client.iban, "Name", "1234563"};
        ASSERT_TRUE(settings::writeSettings(fileio::standardFileSystem(), path, payer,
                                            loaded.iniRemainder, ignore));
        settings::LoadedSettings reloaded;
        ASSERT_TRUE(settings::loadSettings(fileio::standardFileSystem(), path, reloaded, ignore));
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
