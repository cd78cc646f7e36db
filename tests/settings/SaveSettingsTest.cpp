#include "settings/Settings.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace velcor::settings {
namespace {

using namespace velcor::text::literals;
using testing::FaultyFileSystem;
using testing::readFileBytes;
using testing::TempDir;
using testing::writeFileBytes;
using Step = FaultyFileSystem::Step;

const std::string kDataDir = std::string(VELCOR_TEST_DATA_DIR) + "/settings/";

TEST(SaveWanted, OnlyAnEmptyKeyThatNowHasAValueAfterAPreparedFile) {
    struct Case {
        const char* label;
        bool filePrepared;
        ClientData flags;
        PayerValues payer;
        bool wanted;
    };
    auto flags = [](bool bic, bool iban, bool name, bool code) {
        ClientData c;
        c.bicWasEmpty = bic;
        c.ibanWasEmpty = iban;
        c.nameWasEmpty = name;
        c.codeWasEmpty = code;
        return c;
    };
    const PayerValues all{"BIC", "IBAN", "NAME", "CODE"};
    const PayerValues none{};
    const std::vector<Case> cases = {
        {"nothing was empty", true, flags(false, false, false, false), all, false},
        {"not prepared", false, flags(true, true, true, true), all, false},
        {"bic filled", true, flags(true, false, false, false), {"B", "", "", ""}, true},
        {"bic still empty", true, flags(true, false, false, false), none, false},
        {"iban filled", true, flags(false, true, false, false), {"", "I", "", ""}, true},
        {"iban still empty", true, flags(false, true, false, false), none, false},
        {"code filled", true, flags(false, false, false, true), {"", "", "", "C"}, true},
        {"code still empty", true, flags(false, false, false, true), none, false},
        {"name counts even empty", true, flags(false, false, true, false), none, true},
        {"other key filled", true, flags(true, false, false, false), {"", "I", "N", "C"}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(saveWanted(c.filePrepared, c.flags, c.payer), c.wanted);
    }
}

struct Saved {
    bool ok = false;
    SaveResult result = SaveResult::writeFailed;
};

Saved save(fileio::FileSystem& fs, const std::string& path, const PayerValues& payer,
           std::string_view remainder) {
    const SaveResult result = writeSettings(fs, path, payer, remainder);
    return {result == SaveResult::ok, result};
}

TEST(WriteSettings, RoundTripPutsClientFirstAndKeepsTheRestByteForByte) {
    TempDir dir;
    const std::string path = dir.file("omp.ini");
    const std::string original = readFileBytes(kDataDir + "every_rule.ini");
    writeFileBytes(path, original);

    LoadedSettings first;
    ASSERT_TRUE(loadSettings(fileio::standardFileSystem(), path, first).ok());
    const PayerValues payer{"UNCRBGSF", "BG80BNBG96611020345678", "Фирма \"Алфа\" ООД"_cp, ""};
    const Saved saved = save(fileio::standardFileSystem(), path, payer, first.iniRemainder);
    ASSERT_TRUE(saved.ok);

    // The lines that stood before any section stay in front of [CLIENT]; everything else of the
    // old file follows the block unchanged.
    const std::string remainder = readFileBytes(kDataDir + "every_rule.remainder");
    const std::string leading =
        "; before the first header: no section, kept as it is\r\n"
        "ORPHAN = 1,2,3\r\n";
    ASSERT_TRUE(remainder.starts_with(leading));
    const std::string expected =
        leading +
        "[CLIENT]\r\nBIC = UNCRBGSF\r\nIBAN = BG80BNBG96611020345678\r\nNAME= " + payer.payerName +
        "\r\nCODE= \r\n\r\n" + remainder.substr(leading.size());
    EXPECT_EQ(readFileBytes(path), expected);
    EXPECT_EQ(readFileBytes(path + ".bak"), original);

    LoadedSettings second;
    ASSERT_TRUE(loadSettings(fileio::standardFileSystem(), path, second).ok());
    EXPECT_EQ(second.client.bic, payer.payerBic);
    EXPECT_EQ(second.client.iban, payer.payerIban);
    EXPECT_EQ(second.client.name, payer.payerName);
    EXPECT_EQ(second.client.code, "");
    EXPECT_TRUE(second.client.codeWasEmpty);
    EXPECT_FALSE(second.client.nameWasEmpty);
    EXPECT_EQ(second.iniRemainder, first.iniRemainder);
    EXPECT_EQ(second.entryTexts, first.entryTexts);
    ASSERT_EQ(second.formats.size(), first.formats.size());
    for (std::size_t i = 0; i < first.formats.size(); ++i)
        EXPECT_EQ(second.formats[i].fields.size(), first.formats[i].fields.size());

    // Saved once more, the file stays the same: nothing accumulates.
    ASSERT_TRUE(save(fileio::standardFileSystem(), path, payer, second.iniRemainder).ok);
    EXPECT_EQ(readFileBytes(path), expected);
}

TEST(WriteSettings, ClientBlockComesFirstWhenTheFileOpensWithASection) {
    TempDir dir;
    const std::string path = dir.file("omp.ini");
    ASSERT_TRUE(save(fileio::standardFileSystem(), path, {"B", "I", "N", "C"},
                     "[DP] // main\n; note\r\nA = 1,1,2")
                    .ok);
    EXPECT_EQ(readFileBytes(path),
              "[CLIENT]\r\nBIC = B\r\nIBAN = I\r\nNAME= N\r\nCODE= C\r\n\r\n"
              "[DP] // main\n; note\r\nA = 1,1,2");
}

// Lines before the first section would belong to [CLIENT] if written after its header: the next
// load would take their keys as payer values and the next save would drop them.
TEST(WriteSettings, LinesBeforeAnySectionSurviveRepeatedSaves) {
    struct Case {
        const char* label;
        std::string file;
        std::string savedStart;
    };
    const std::vector<Case> cases = {
        {"stray keys", "NAME = Stray\r\n; comment\r\n[CLIENT]\r\nNAME=\r\n[DP]\r\nA=1,1,2\r\n",
         "NAME = Stray\r\n; comment\r\n[CLIENT]\r\n"},
        {"no line end", "; only a comment", "; only a comment\r\n[CLIENT]\r\n"},
        {"[ without ]", "[x\r\nBIC = 1\r\n[DP]\r\nA=1,1,2\r\n", "[x\r\nBIC = 1\r\n[CLIENT]\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        const std::string path = dir.file("omp.ini");
        writeFileBytes(path, c.file);
        const PayerValues payer{"UNCRBGSF", "BG80BNBG96611020345678", "Real", "1"};
        LoadedSettings first;
        ASSERT_TRUE(loadSettings(fileio::standardFileSystem(), path, first).ok());
        ASSERT_TRUE(save(fileio::standardFileSystem(), path, payer, first.iniRemainder).ok);
        const std::string once = readFileBytes(path);
        EXPECT_TRUE(once.starts_with(c.savedStart)) << once;

        LoadedSettings second;
        ASSERT_TRUE(loadSettings(fileio::standardFileSystem(), path, second).ok());
        EXPECT_EQ(second.client.name, "Real");
        EXPECT_EQ(second.client.bic, "UNCRBGSF");
        EXPECT_TRUE(second.iniRemainder.starts_with(first.iniRemainder));  // no byte lost
        ASSERT_TRUE(save(fileio::standardFileSystem(), path, payer, second.iniRemainder).ok);
        EXPECT_EQ(readFileBytes(path), once);
    }
}

TEST(WriteSettings, EmptyRemainderStillWritesTheClientBlock) {
    TempDir dir;
    const std::string path = dir.file("omp.ini");
    writeFileBytes(path, "[CLIENT]\r\nNAME=\r\n");
    ASSERT_TRUE(save(fileio::standardFileSystem(), path, {"", "", "", ""}, "").ok);
    EXPECT_EQ(readFileBytes(path), "[CLIENT]\r\nBIC = \r\nIBAN = \r\nNAME= \r\nCODE= \r\n\r\n");
}

// What a save writes must load back to the remainder's formats and payment types and to the
// payer's values; bytes that would not are never written, and omp.ini and its backup stay as
// they were.
TEST(WriteSettings, WritesOnlyWhatLoadsBackTheSame) {
    const std::string formats = "[DP] // main\r\nFORMAT = DELIMITED(;)\r\nA = 1\r\n";
    const std::string bomBehind("[\r\n[\n\xEF\xBB\xBF\xBE[", 10);
    const struct {
        const char* label;
        std::string remainder;
        std::string name;
        bool saved;
    } cases[] = {
        {"formats", formats, "Firma", true},
        {"a mark behind lines of [ kept whole", bomBehind, "Firma", true},
        {"blanks at the ends of a value", formats, " Firma\t", true},
        {"the longest value a line holds", formats, std::string(4088, 'N'), true},
        {"a value longer than a line", formats, std::string(4089, 'N'), false},
        {"a line break in a value adds a section", formats, "Firma\r\n[SB]\r\nB = 1,1,2", false},
        {"a comment mark in a value", formats, "Firma // OOD", false},
        {"a remainder that opens with a byte order mark", bomBehind.substr(5), "Firma", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        const std::string path = dir.file("omp.ini");
        const std::string original = "[CLIENT]\r\nNAME =\r\n" + formats;
        writeFileBytes(path, original);
        const PayerValues payer{"UNCRBGSF", "BG80BNBG96611020345678", c.name, "1234563"};
        const Saved saved = save(fileio::standardFileSystem(), path, payer, c.remainder);
        EXPECT_EQ(saved.ok, c.saved);
        if (!c.saved) {
            EXPECT_EQ(saved.result, SaveResult::writeFailed);
            EXPECT_EQ(readFileBytes(path), original);
            EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1)
                << "neither a backup nor a temporary file";
            continue;
        }
        if (!saved.ok) continue;
        LoadedSettings kept;
        ASSERT_TRUE(parseSettings(c.remainder, kept).ok());
        LoadedSettings reloaded;
        ASSERT_TRUE(loadSettings(fileio::standardFileSystem(), path, reloaded).ok());
        EXPECT_EQ(reloaded.formats, kept.formats);
        EXPECT_EQ(reloaded.entryTexts, kept.entryTexts);
        EXPECT_EQ(reloaded.client.name, text::trimWhitespace(c.name));
        EXPECT_EQ(reloaded.client.code, payer.budgetUnitCode);
        EXPECT_TRUE(reloaded.iniRemainder.starts_with(c.remainder));
    }
}

TEST(WriteSettings, ReplacesAnOldBackupAndSavesWhenTheBackupFails) {
    TempDir dir;
    const std::string path = dir.file("omp.ini");
    writeFileBytes(path, "old");
    writeFileBytes(path + ".bak", "older");
    ASSERT_TRUE(save(fileio::standardFileSystem(), path, {}, "[DP]\r\n").ok);
    EXPECT_EQ(readFileBytes(path + ".bak"), "old");

    FaultyFileSystem fs;
    fs.failCall(Step::copy);
    const Saved saved = save(fs, path, {"X", "", "", ""}, "");
    EXPECT_TRUE(saved.ok);
    EXPECT_EQ(readFileBytes(path), "[CLIENT]\r\nBIC = X\r\nIBAN = \r\nNAME= \r\nCODE= \r\n\r\n");
}

struct SaveFailure {
    const char* label;
    Step step;
    unsigned nth;
    bool openFailed;
};

class WriteSettingsFailure : public ::testing::TestWithParam<SaveFailure> {};

TEST_P(WriteSettingsFailure, LeavesTheFileAsItWasAndSaysSo) {
    const SaveFailure& c = GetParam();
    TempDir dir;
    const std::string path = dir.file("omp.ini");
    const std::string original = readFileBytes(kDataDir + "every_rule.ini");
    writeFileBytes(path, original);

    FaultyFileSystem fs;
    fs.failCall(c.step, c.nth);
    const Saved saved = save(fs, path, {"B", "I", "N", "C"}, "[DP]\r\nA = 1,1,2\r\n");
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(fs.failures(c.step), 1u);
    EXPECT_EQ(saved.result, c.openFailed ? SaveResult::openFailed : SaveResult::writeFailed);
    EXPECT_EQ(readFileBytes(path), original);
    EXPECT_EQ(readFileBytes(path + ".bak"), original);  // the backup comes first
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"omp.ini", "omp.ini.bak"}));
}

INSTANTIATE_TEST_SUITE_P(EachStep, WriteSettingsFailure,
                         ::testing::Values(SaveFailure{"create", Step::createTemporary, 1, true},
                                           SaveFailure{"blockWrite", Step::write, 1, false},
                                           SaveFailure{"remainderWrite", Step::write, 2, false},
                                           SaveFailure{"flush", Step::flush, 1, false},
                                           SaveFailure{"sync", Step::sync, 1, false},
                                           SaveFailure{"close", Step::close, 1, false},
                                           SaveFailure{"rename", Step::rename, 1, false}),
                         [](const auto& test) { return std::string(test.param.label); });

}  // namespace
}  // namespace velcor::settings
