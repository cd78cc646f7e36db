#include "settings/Settings.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

namespace velcor::settings {

// Lets a failing comparison print a definition readably.
void PrintTo(const FieldDefinition& f, std::ostream* os) {
    *os << f.name << "(" << f.number << "," << f.start << "," << f.end << ")";
}

namespace {

using namespace velcor::text::literals;
using testing::FaultyFileSystem;
using testing::TempDir;
using testing::writeFileBytes;

constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();

const std::string kDataDir = std::string(VELCOR_TEST_DATA_DIR) + "/settings/";

// Loads `content` as a settings file.
struct Loaded {
    bool ok = false;
    LoadResult result;
    LoadedSettings settings;
};

Loaded loadFile(const std::string& path, fileio::FileSystem& fs = fileio::standardFileSystem()) {
    Loaded loaded;
    loaded.result = loadSettings(fs, path, loaded.settings);
    loaded.ok = loaded.result.ok();
    return loaded;
}

Loaded loadText(std::string_view content) {
    TempDir dir;
    writeFileBytes(dir.path() / "omp.ini", content);
    return loadFile(dir.file("omp.ini"));
}

// Constants at namespace scope: clang 14 crashes on some long literals inside function bodies.
constexpr auto kFieldName = "Сума"_cp;
constexpr auto kSectionName = "Заплати"_cp;

// What a load found wrong: the kind, and the field and section a refused field line names.
std::string finding(const Loaded& loaded) {
    switch (loaded.result.error) {
        case LoadError::none:
            return "none";
        case LoadError::cannotRead:
            return "cannot read";
        case LoadError::savedAsUtf8:
            return "UTF-8";
        case LoadError::badFieldDefinition:
            return "field " + loaded.result.fieldName + " of " + loaded.result.sectionName;
        case LoadError::badFieldNumbering:
            return "numbering of " + loaded.result.sectionName;
        case LoadError::repeatedField:
            return "repeated " + loaded.result.fieldName + " in " + loaded.result.sectionName;
    }
    return {};
}

std::string badField(std::string_view field, std::string_view section) {
    return "field " + std::string(field) + " of " + std::string(section);
}

TEST(LoadSettings, EveryRuleOfTheFile) {
    const Loaded loaded = loadFile(kDataDir + "every_rule.ini");
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(finding(loaded), "none");
    const LoadedSettings& s = loaded.settings;

    struct Expected {
        std::string name;
        bool delimited;
        char delimiter;
        std::string entry;
        std::vector<FieldDefinition> fields;
    };
    const std::vector<Expected> expected = {
        {"DP",
         true,
         ';',
         "[DP] // main",
         {{"AMOUNT", 1, 0, 0}, {"IBAN", 2, 0, 0}, {"NAME", 3, 1, 0}}},
        {"SB",
         false,
         ' ',
         "[SB]",
         {{"EGN", 1, 1, 10}, {"AMOUNT", 2, 11, 20}, {"FORMAT", 3, 21, 30}}},
        {"CLIENT", true, ' ', "[ CLIENT ]", {{"X", 0, 0, 0}}},
        {"TAB", true, '|', "[ TAB ]", {{"B", 0, 7, kMax}, {"FORMAT", 0, 0, 0}}},
        {"NUMS",
         true,
         '\t',
         "[NUMS]",
         {{"C", 7, 0, 0}, {"D", 2, -3, 12}, {"E", 5, 0, 5}, {"F", kMax, kMin, 1}, {"G", 4, 0, 0}}},
    };
    ASSERT_EQ(s.formats.size(), expected.size());
    ASSERT_EQ(s.entryTexts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(s.formats[i].name, expected[i].name);
        EXPECT_EQ(s.formats[i].delimited, expected[i].delimited);
        EXPECT_EQ(s.formats[i].delimiter, expected[i].delimiter);
        EXPECT_EQ(s.formats[i].fields, expected[i].fields);
        EXPECT_EQ(s.entryTexts[i], expected[i].entry);
    }

    EXPECT_EQ(s.client.bic, "12345678");
    EXPECT_EQ(s.client.iban, "BG80BNBG96611020345678");
    EXPECT_EQ(s.client.name, "Firma OOD");
    EXPECT_EQ(s.client.code, "1234567890");
    EXPECT_FALSE(s.client.bicWasEmpty);
    EXPECT_FALSE(s.client.ibanWasEmpty);
    EXPECT_TRUE(s.client.nameWasEmpty);  // a later value does not clear the flag
    EXPECT_TRUE(s.client.codeWasEmpty);

    EXPECT_EQ(s.iniRemainder, testing::readFileBytes(kDataDir + "every_rule.remainder"));
}

TEST(LoadSettings, MissingOrUnreadableFileCannotBeRead) {
    TempDir dir;
    EXPECT_EQ(finding(loadFile(dir.file("omp.ini"))), "cannot read");
    EXPECT_EQ(finding(loadFile(dir.path().string())), "cannot read");  // a folder

    // A read error halfway must not pass for a short file: a save would then lose its rest.
    writeFileBytes(dir.path() / "omp.ini", "[DP]\r\nA = 1,1,2\r\n");
    FaultyFileSystem fs;
    fs.failCall(FaultyFileSystem::Step::read);
    LoadedSettings out;
    out.iniRemainder = "untouched";
    EXPECT_EQ(loadSettings(fs, dir.file("omp.ini"), out).error, LoadError::cannotRead);
    EXPECT_EQ(out.iniRemainder, "untouched");
}

// Saved in UTF-8 by an editor, the file would load with a garbled payer name and without its
// first section; it is refused, so that the window can tell how to save it again.
TEST(LoadSettings, FileSavedAsUtf8WithItsByteOrderMarkIsRefused) {
    TempDir dir;
    const std::string path = dir.file("omp.ini");
    writeFileBytes(path, "\xEF\xBB\xBF[CLIENT]\r\nNAME = \xD0\xA4\xD0\xB8\r\n[DP]\r\nA = 1\r\n");
    LoadedSettings out;
    out.iniRemainder = "untouched";
    EXPECT_EQ(loadSettings(fileio::standardFileSystem(), path, out).error, LoadError::savedAsUtf8);
    EXPECT_EQ(out.iniRemainder, "untouched");
}

TEST(LoadSettings, FileWithoutClientSectionLoadsWithEmptyPayer) {
    const Loaded loaded = loadText("[DP]\nFORMAT=DELIMITED(,)\nA=1\n");
    ASSERT_TRUE(loaded.ok);
    EXPECT_EQ(loaded.settings.formats.size(), 1u);
    EXPECT_EQ(loaded.settings.formats[0].delimiter, ',');
    const ClientData& c = loaded.settings.client;
    EXPECT_TRUE(c.bic.empty() && c.iban.empty() && c.name.empty() && c.code.empty());
    EXPECT_FALSE(c.bicWasEmpty || c.ibanWasEmpty || c.nameWasEmpty || c.codeWasEmpty);
    EXPECT_EQ(loaded.settings.iniRemainder, "[DP]\nFORMAT=DELIMITED(,)\nA=1\n");
}

TEST(LoadSettings, FormatKeyValues) {
    struct Case {
        std::string value;
        bool delimited;
        char delimiter;
    };
    const std::vector<Case> cases = {
        {"DELIMITED(;)", true, ';'},
        {"DELIMITED", true, ' '},
        {"DELIMITED( )", true, ' '},
        {"DELIMITED()", true, ' '},
        {"DELIMITED( ; )", true, ';'},
        {"DELIMITED(\t)", true, '\t'},
        {"DELIMITED( \t )", true, '\t'},  // blanks around it are passed over, the TAB is not
        {"delimited(;)", false, ' '},
        {"Delimited(;)", false, ' '},
        {" \tDELIMITED ( ab ) more", true, 'a'},
        {"DELIMITED(;", true, ' '},
        {"DELIMITED);(", true, ' '},
        {"DELIMITED)(;)", true, ';'},
        {"DELIMITED(//)", true, ' '},  // "//" starts a comment, so no closing bracket is left
        {"DELIMITED(\xE0)", true, '\xE0'},
        {"FIXED", false, ' '},
        {"", false, ' '},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const Loaded loaded = loadText("[T]\r\nFORMAT = " + c.value + "\r\nA = 1,1,1\r\n");
        ASSERT_TRUE(loaded.ok);
        ASSERT_EQ(loaded.settings.formats.size(), 1u);
        EXPECT_EQ(loaded.settings.formats[0].delimited, c.delimited);
        EXPECT_EQ(loaded.settings.formats[0].delimiter, c.delimiter);
    }
}

TEST(LoadSettings, ADelimitedSectionStaysDelimited) {
    const Loaded loaded = loadText("[T]\nFORMAT=DELIMITED(;)\nformat=FIXED\nA=1\n");
    ASSERT_TRUE(loaded.ok);
    EXPECT_TRUE(loaded.settings.formats[0].delimited);
    EXPECT_EQ(loaded.settings.formats[0].delimiter, ';');
}

TEST(LoadSettings, FixedLengthFieldCheck) {
    struct Case {
        std::string value;
        bool fixedAccepts;
    };
    const std::vector<Case> cases = {
        {"3,40,55", true}, {"3,40,40", true}, {"3,55,40", false}, {"3,40,0", false},
        {"3,40", false},   {"3", false},      {"", false},        {"3,0,-1", false},
        {"3,-2,5", true},  {"3,1,5,9", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.value);
        const Loaded fixed = loadText("[ SB ] x\r\nOK = 1,1,2\r\nBAD = " + c.value + "\r\n");
        EXPECT_EQ(fixed.ok, c.fixedAccepts);
        EXPECT_EQ(finding(fixed), c.fixedAccepts ? "none" : badField("BAD", "SB"));
        const Loaded delimited =
            loadText("[ SB ] x\r\nFORMAT=DELIMITED\r\nOK = 1,1,2\r\nBAD = " + c.value + "\r\n");
        // Only the first number counts there: an empty value is column 0 beside column 1.
        EXPECT_EQ(finding(delimited), c.value.empty() ? "numbering of SB" : "none");
    }
}

// A delimited section either numbers every field with a column of its own or none at all; any
// other numbering would read a column other than the one meant.
TEST(LoadSettings, DelimitedFieldNumbersAreColumnsOrAllZero) {
    struct Case {
        std::string fields;
        std::string expected;
        bool byColumn = false;
    };
    const std::vector<Case> cases = {
        {"IBAN = 1\nBIC = 2\nNAME = 3\nSUM = 5\n", "none", true},
        {"SUM = 3\nIBAN = 1\n", "none", true},
        {"A = 7\n", "none", true},
        {"A = 2147483647\nB = 1\n", "none", true},
        {"IBAN = 0\nSUM = 0\n", "none"},
        {"IBAN\t=\nSUM = x\n", "none"},  // no digits read as 0
        {"IBAN = 1\nSUM = 0\n", "numbering of DP"},
        {"IBAN = 0\nSUM = 2\n", "numbering of DP"},
        {"IBAN = 1\nSUM = 1\n", "numbering of DP"},
        {"IBAN = 2\nBIC = 1\nSUM = 2\n", "numbering of DP"},
        {"IBAN = -1\nSUM = 2\n", "numbering of DP"},
        {"IBAN = -1\n", "numbering of DP"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fields);
        const Loaded loaded =
            loadText("[DP] x\nFORMAT=DELIMITED(;)\n" + c.fields + "[FX]\nA=1,1,1\n");
        EXPECT_EQ(finding(loaded), c.expected);
        if (!loaded.ok) continue;
        ASSERT_EQ(loaded.settings.formats.size(), 2u);
        EXPECT_EQ(readsByColumnNumber(loaded.settings.formats[0]), c.byColumn);
        // Fixed-length sections keep their numbers as labels.
        EXPECT_FALSE(readsByColumnNumber(loaded.settings.formats[1]));
    }
    // The section that ends the load is named in Windows-1251 as written, trimmed.
    const std::string section(kSectionName.view());
    EXPECT_EQ(finding(loadText("[ " + section + " ]\nFORMAT=DELIMITED\nA=1\nB=1\n")),
              "numbering of " + section);
    // Fixed-length sections may number their fields as they like.
    EXPECT_EQ(finding(loadText("[FX]\nA = 1,1,2\nB = 1,3,4\nC = -1,5,6\n")), "none");
}

// A field that the checks, the header, the report or the SEPA export read is defined once: with
// two, one value would be checked and the other paid.
TEST(LoadSettings, AFieldReadBeyondTheRowIsDefinedOnce) {
    const struct {
        std::string section;
        std::string expected;
    } cases[] = {
        {"[DP]\nFORMAT=DELIMITED(;)\nSUM = 1\nIBAN = 2\nsum = 3\n", "repeated sum in DP"},
        {"[FX]\nIBAN = 1,1,22\nIban = 2,23,44\n", "repeated Iban in FX"},
        {"[FX]\nBIC = 1,1,8\nA = 2,9,9\nBIC = 3,10,17\n", "repeated BIC in FX"},
        {"[DP]\nFORMAT=DELIMITED\nReason = 0\nREASON = 0\n", "repeated REASON in DP"},
        {"[SB]\nFORMAT=DELIMITED\nPAYMENT_SEBRA\t= 0\nPAYMENT_SEBRA = 0\n",
         "repeated PAYMENT_SEBRA in SB"},
        {"[SB]\nFORMAT=DELIMITED\nPAYMENT = 1\nPayment = 1\n", "repeated Payment in SB"},
        {"[DP]\nFORMAT=DELIMITED\nNAME=0\nEGN=0\nBULSTAT=0\nEGN=0\n", "repeated EGN in DP"},
        // The repeat is named before a numbering that the repeat itself may cause.
        {"[DP]\nFORMAT=DELIMITED\nNAME = 3\nNAME = 3\n", "repeated NAME in DP"},
        // Other names, and names the checks read by a prefix alone, may repeat.
        {"[DP]\nFORMAT=DELIMITED\nX = 0\nX = 0\nPAYMENT_X = 0\nPAYMENT_X = 0\n", "none"},
        {"[FX]\nNOTE = 1,1,2\nNOTE = 2,3,4\nPAYMENT = 3,5,6\nPAYMENT_SEBRA = 4,7,8\n", "none"},
        // Each section counts its own fields.
        {"[A]\nSUM = 1,1,2\n[B]\nSUM = 1,1,2\n", "none"},
        {"[A]\nSUM = 1,1,2\n[CLIENT]\nNAME = x\n[B]\nSUM = 1,1,2\nSUM = 1,3,4\n",
         "repeated SUM in B"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.section);
        EXPECT_EQ(finding(loadText(c.section)), c.expected);
    }
}

TEST(LoadSettings, FormatKeyAfterAFieldIsAField) {
    const Loaded loaded = loadText("[DP]\nA = 1,1,5\nFORMAT = DELIMITED(;)\nB = 2,6,9\n");
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(finding(loaded), badField("FORMAT", "DP"));
}

TEST(LoadSettings, RefusedFieldKeepsItsWindows1251Names) {
    const std::string name(kFieldName.view());
    const std::string section(kSectionName.view());
    const Loaded loaded = loadText("[" + section + "]\n" + name + " = 1,%s,0\n");
    EXPECT_FALSE(loaded.ok);
    EXPECT_EQ(finding(loaded), badField(name, section));
}

TEST(LoadSettings, SectionHeaders) {
    const Loaded loaded = loadText(
        "[ before any section\n"
        "[Client]\nBIC = AAAABBBB\n[NAME = Lost\n"
        "[ CLIENT ]\nA = 1,1,1\n"
        "[ ]\nB = 1,1,1\n"
        "[NOFIELDS]\n; nothing here\n"
        "[X]Y]\nC = 1,1,1\n"
        "[DP\nD = 1,2,3\n"  // not a header: D still belongs to [X]
        "[Q = 1,1,0\n"      // nor a field: the bad numbers would end the load
        "[CLIENT]garbage\nIBAN = BG00\n"
        "[LAST]\nE = 1,1,1\n");
    ASSERT_TRUE(loaded.ok);
    const LoadedSettings& s = loaded.settings;
    EXPECT_EQ(s.entryTexts, (std::vector<std::string>{"[ CLIENT ]", "[X]Y]", "[LAST]"}));
    ASSERT_EQ(s.formats.size(), 3u);
    EXPECT_EQ(s.formats[0].name, "CLIENT");
    EXPECT_EQ(s.formats[1].name, "X");
    EXPECT_EQ(s.formats[1].fields.size(), 2u);
    EXPECT_EQ(s.formats[2].fields[0].name, "E");
    EXPECT_EQ(s.client.bic, "AAAABBBB");
    EXPECT_EQ(s.client.iban, "BG00");
    EXPECT_TRUE(s.client.name.empty());
    // Lines that open with "[" but hold no "]" are kept wherever a line outside [CLIENT] is.
    EXPECT_EQ(s.iniRemainder,
              "[ before any section\n[ CLIENT ]\nA = 1,1,1\n[ ]\nB = 1,1,1\n[NOFIELDS]\n"
              "; nothing here\n[X]Y]\nC = 1,1,1\n[DP\nD = 1,2,3\n[Q = 1,1,0\n[LAST]\nE = 1,1,1\n");

    // A save once put the line after such lines first, and a byte order mark there made the
    // saved file one that no load accepts.
    const std::string bomBehind("[\r\n[\n\xEF\xBB\xBF\xBE[", 10);
    LoadedSettings behind;
    ASSERT_TRUE(parseSettings(bomBehind, behind).ok());
    EXPECT_EQ(behind.iniRemainder, bomBehind);
}

TEST(LoadSettings, ClientValues) {
    struct Case {
        std::string line;
        std::string bic;
        bool bicWasEmpty;
    };
    const std::vector<Case> cases = {
        {"BIC = 12345678 // bank", "12345678", false},
        {"bic=\v\f 12345678 \v\r", "12345678", false},
        {"BIC =", "", true},
        {"BIC = // only a comment", "", true},
        {"BIC = \v\f", "", true},
        {" BIC = A=B", "A=B", false},
        {"BIC", "", false},  // no "=": not a key line
        {"BICX = 1", "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const Loaded loaded = loadText("[CLIENT]\r\n" + c.line + "\r\n");
        ASSERT_TRUE(loaded.ok);
        EXPECT_EQ(loaded.settings.client.bic, c.bic);
        EXPECT_EQ(loaded.settings.client.bicWasEmpty, c.bicWasEmpty);
        EXPECT_EQ(loaded.settings.iniRemainder, "");
    }
}

TEST(LoadSettings, ClientBetweenFieldsDoesNotEndTheFormat) {
    const Loaded loaded =
        loadText("[DP]\nA = 1,1,2\n[CLIENT]\nNAME = X\nB = 1,3,4\n[DP]\nC = 1,5,6\n");
    ASSERT_TRUE(loaded.ok);
    ASSERT_EQ(loaded.settings.formats.size(), 2u);
    ASSERT_EQ(loaded.settings.formats[0].fields.size(), 1u);  // B belongs to [CLIENT]
    EXPECT_EQ(loaded.settings.formats[1].fields[0].name, "C");
}

TEST(LoadSettings, FieldCommentsAndNumbers) {
    const Loaded loaded = loadText(
        "[T]\nFORMAT = DELIMITED\n//A = 1,1,1\n = 5\nB = 7 // 1,2,3\nC = 1,2,3//4\n"
        "D = 2,\t+9 ,0x7\nE= +3, - 4, 1\n");
    ASSERT_TRUE(loaded.ok);
    ASSERT_EQ(loaded.settings.formats.size(), 1u);
    EXPECT_EQ(loaded.settings.formats[0].fields,
              (std::vector<FieldDefinition>{
                  {"B", 7, 0, 0}, {"C", 1, 2, 3}, {"D", 2, 9, 0}, {"E", 3, 0, 1}}));
}

// A physical line longer than 4094 bytes is read as several lines; its bytes all stay.
TEST(LoadSettings, LongLinesAreReadInPieces) {
    const std::string pad = "; " + std::string(4092, '.');  // exactly one piece, no "="
    const std::string content = "[DP]\r\n" + pad + "Z = 1,1,2\r\n" +
                                "[CLIENT]\r\nNAME = " + std::string(4087, 'n') + "IBAN = BG1\r\n";
    ASSERT_EQ(pad.size(), 4094u);
    const Loaded loaded = loadText(content);
    ASSERT_TRUE(loaded.ok);
    ASSERT_EQ(loaded.settings.formats.size(), 1u);
    ASSERT_EQ(loaded.settings.formats[0].fields.size(), 1u);
    EXPECT_EQ(loaded.settings.formats[0].fields[0].name, "Z");
    EXPECT_EQ(loaded.settings.client.name, std::string(4087, 'n'));
    EXPECT_EQ(loaded.settings.client.iban, "BG1");
    EXPECT_EQ(loaded.settings.iniRemainder, "[DP]\r\n" + pad + "Z = 1,1,2\r\n");

    // A 5000-byte line in a format section: the second piece is a field of its own.
    const std::string longLine = std::string(4094, ' ') + "W = 1,4,4" + std::string(897, ' ');
    ASSERT_EQ(longLine.size(), 5000u);
    const Loaded five = loadText("[DP]\n" + longLine + "\n");
    ASSERT_TRUE(five.ok);
    ASSERT_EQ(five.settings.formats.size(), 1u);
    EXPECT_EQ(five.settings.formats[0].fields[0].name, "W");
    EXPECT_EQ(five.settings.iniRemainder, "[DP]\n" + longLine + "\n");
}

TEST(LoadSettings, NulByteHidesTheRestOfTheLineButIsKept) {
    const std::string content = std::string("[DP]\r\nA = 1,1,5\0B = 2,6,9\r\n", 27) +
                                std::string("C = 3,\0 junk\r\n", 14) + "[CLIENT]\r\n" +
                                std::string("NAME = X\0Y\r\n", 12);
    const Loaded loaded = loadText(content);
    ASSERT_FALSE(loaded.ok);  // C sees only "3,": no end column
    EXPECT_EQ(finding(loaded), badField("C", "DP"));

    const std::string good = std::string("[DP]\r\nA = 1,1,5\0B = 2,6,9\r\n", 27) + "[CLIENT]\r\n" +
                             std::string("NAME = X\0Y\r\n", 12) + std::string("[\0]\r\n", 5);
    const Loaded kept = loadText(good);
    ASSERT_TRUE(kept.ok);
    ASSERT_EQ(kept.settings.formats.size(), 1u);
    EXPECT_EQ(kept.settings.formats[0].fields, (std::vector<FieldDefinition>{{"A", 1, 1, 5}}));
    EXPECT_EQ(kept.settings.client.name, "X");
    EXPECT_EQ(kept.settings.iniRemainder, std::string("[DP]\r\nA = 1,1,5\0B = 2,6,9\r\n", 27));
}

TEST(LoadSettings, FailedLoadLeavesTheOutputAlone) {
    LoadedSettings out;
    out.formats.push_back({"OLD", false, ' ', {}});
    TempDir dir;
    writeFileBytes(dir.path() / "omp.ini", "[A]\nX=1,1,1\n[B]\nY=1,2,1\n");
    EXPECT_FALSE(loadSettings(fileio::standardFileSystem(), dir.file("omp.ini"), out).ok());
    ASSERT_EQ(out.formats.size(), 1u);
    EXPECT_EQ(out.formats[0].name, "OLD");
}

}  // namespace
}  // namespace velcor::settings
