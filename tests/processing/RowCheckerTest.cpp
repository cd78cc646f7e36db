#include "processing/RowChecker.h"

#include "support/Findings.h"
#include "support/ListFormats.h"
#include "text/Text.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace velcor::processing {
namespace {

using testing::delimitedFormat;
using testing::fixedFormat;

// "NAME=value" for every field the format defines (first definition of a name), "NAME-" when the
// row did not reach it.
std::string describe(const PaymentRecord& record, const settings::FormatDefinition& format) {
    std::string out;
    std::vector<std::string> seen;
    for (const settings::FieldDefinition& field : format.fields) {
        const std::string name = text::upperLatin(field.name);
        if (std::find(seen.begin(), seen.end(), name) != seen.end()) continue;
        seen.push_back(name);
        if (!out.empty()) out += '|';
        const std::string_view* value = record.values.find(name);
        out += value != nullptr ? name + "=" + std::string(*value) : name + "-";
    }
    return out;
}

struct ReadCase {
    settings::FormatDefinition format;
    std::string line;
    std::string expected;
    std::string messages = {};  // UTF-8
};

TEST(RowReader, ReadsFixedLengthAndDelimitedColumns) {
    const auto abc = fixedFormat("F", {{"F1", 1, 3}, {"F2", 4, 4}, {"F3", 4, 5}, {"F4", 1, 1}});
    const auto three = delimitedFormat("D", ';', {"F1", "F2", "F3"});
    const ReadCase cases[] = {
        // Rows that do not span their layout are read all the same, and refused for it.
        {abc, "ABC\n", "F1=ABC|F2=|F3-|F4-", "Редът е по-къс от формата (5 знака) на ред: 7<BR>"},
        // The last line without LF: column 4 is past the end.
        {abc, "ABC", "F1=ABC|F2-|F3-|F4-", "Редът е по-къс от формата (5 знака) на ред: 7<BR>"},
        {fixedFormat("F", {{"F1", 1, 5}}), "  42 \n", "F1=42"},
        {fixedFormat("F", {{"F1", 1, 4}}), "\t \t4 \n", "F1=4"},
        {fixedFormat("F", {{"F1", 3, 10}, {"F2", 1, 1}}), "ABC\n", "F1-|F2-",
         "Редът е по-къс от формата (10 знака) на ред: 7<BR>"},
        {fixedFormat("F", {{"F1", 3, 2}, {"F2", 1, 1}}), "AB\n", "F1-|F2-"},
        // A start below column 1 reads from column 1; the end still decides whether it is there.
        {fixedFormat("F", {{"F1", -2, 2}, {"F2", 0, 3}, {"F3", 4, 4}}), "ABCD\n",
         "F1=AB|F2=ABC|F3=D"},
        {fixedFormat("F", {{"F1", -5, -1}, {"F2", 2, 3}}), "ABC\n", "F1=|F2=BC"},
        {fixedFormat("F", {{"F1", -5, 9}, {"F2", 2, 3}}), "ABCD\n", "F1-|F2-",
         "Редът е по-къс от формата (9 знака) на ред: 7<BR>"},
        {three, "x;y;z\n", "F1=x|F2=y|F3=z"},
        {three, "x;y;\n", "F1=x|F2=y|F3="},
        {three, "x;y\n", "F1=x|F2=y|F3-"},
        {three, " x ; y ;z \r\n", "F1=x|F2=y|F3=z"},
        {three, ";;\n", "F1=|F2=|F3="},
        {three, "xyz\n", "F1=xyz|F2-|F3-", "Няма разделител (;)  на ред: 7<BR>"},
        {delimitedFormat("D", ';', {"F1"}), "x;y\n", "F1=x"},
        {delimitedFormat("D", ';', {"F1", "F2"}), "\"a;b\";z\n", "F1=\"a|F2=b\""},
        // Names are upper-cased; a repeated name keeps the later value.
        {delimitedFormat("D", ';', {"name", "Name", "x"}), "a;b;c\n", "NAME=b|X=c"},
        // The value keeps a NUL byte and what follows it; the row is refused for the byte.
        {three, std::string("a\0b;c\n", 6), std::string("F1=a\0b|F2=c|F3-", 15),
         "Недопустим управляващ знак (0x00) на ред: 7<BR>"},
    };
    for (const ReadCase& c : cases) {
        Cents total = 0;
        RowFindings messages;
        RowChecker checker(&c.format, c.format.delimiter);
        checker.check(c.line, 7, total, messages);
        EXPECT_EQ(describe(checker.record(), c.format), c.expected) << c.line;
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)), c.messages) << c.line;
        EXPECT_EQ(checker.record().rowNumber, 7);
    }
}

// A delimited format whose fields carry the given numbers.
settings::FormatDefinition numbered(std::initializer_list<std::pair<const char*, int>> fields) {
    settings::FormatDefinition format{"DP", true, ';', {}};
    for (const auto& [name, number] : fields) format.fields.push_back({name, number, 0, 0});
    return format;
}

TEST(RowReader, NumberedDelimitedFieldsReadTheirOwnColumns) {
    const auto noDocument = numbered({{"IBAN", 1}, {"BIC", 2}, {"NAME", 3}, {"SUM", 5}});
    const auto shuffled = numbered({{"SUM", 3}, {"IBAN", 1}, {"NAME", 2}});
    const auto inOrder = numbered({{"F1", 1}, {"F2", 2}, {"F3", 3}});
    const auto byLine = numbered({{"F1", 0}, {"F2", 0}, {"F3", 0}});
    const auto far = numbered({{"F1", 2147483647}, {"F2", 1}});
    const std::string iban = "BG80BNBG96611020345678";
    const ReadCase cases[] = {
        // Column 4 (a document number) is read by nobody; the amount is column 5.
        {noDocument, iban + ";BNBGBGSD;Ivan;DOC-17;12.50\n",
         "IBAN=" + iban + "|BIC=BNBGBGSD|NAME=Ivan|SUM=12.50"},
        {shuffled, "BG80BNBG96611020345678; Ivan ;7\n", "SUM=7|IBAN=" + iban + "|NAME=Ivan"},
        // A column past the row's end leaves the field absent; an amount is then checked empty.
        {noDocument, iban + ";BNBGBGSD;Ivan;DOC\n",
         "IBAN=" + iban + "|BIC=BNBGBGSD|NAME=Ivan|SUM=", "Нулева сума на ред: 7<BR>"},
        {far, "a;b\n", "F1-|F2=a"},
        {far, "a\n", "F1-|F2=a", "Няма разделител (;)  на ред: 7<BR>"},
        // Numbered 1..n in line order, or all 0, a row reads as the line order reads it.
        {inOrder, "x;y\n", "F1=x|F2=y|F3-"},
        {byLine, "x;y\n", "F1=x|F2=y|F3-"},
        {inOrder, "xyz\n", "F1=xyz|F2-|F3-", "Няма разделител (;)  на ред: 7<BR>"},
        {byLine, "xyz\n", "F1=xyz|F2-|F3-", "Няма разделител (;)  на ред: 7<BR>"},
    };
    for (const ReadCase& c : cases) {
        Cents total = 0;
        RowFindings messages;
        RowChecker checker(&c.format, c.format.delimiter);
        checker.check(c.line, 7, total, messages);
        EXPECT_EQ(describe(checker.record(), c.format), c.expected) << c.line;
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)), c.messages) << c.line;
    }
}

TEST(RowReader, NumberedFieldsKeepTheOrderOfTheirLinesInMessages) {
    // The IBAN's line comes after the EGN's: its message follows, whatever the columns.
    const auto format = numbered({{"EGN", 2}, {"IBAN", 1}, {"SUM", 3}});
    Cents total = 0;
    RowFindings messages;
    RowChecker(&format, ';').check("BG81BNBG96611020345678;7523169264;1\n", 4, total, messages);
    EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)),
              "Грешен ЕГН  на ред: 4<BR>Грешен IBAN( Wrong IBAN ! ) на ред: 4<BR>");
    EXPECT_EQ(total, 100);
}

TEST(RowReader, SplitsAtTheDelimiterItIsGiven) {
    const auto format = delimitedFormat("D", ';', {"F1", "F2"});
    Cents total = 0;
    RowFindings messages;
    RowChecker checker(&format, ',');
    checker.check("a;b,c\n", 1, total, messages);
    EXPECT_EQ(describe(checker.record(), format), "F1=a;b|F2=c");
}

TEST(RowReader, WithoutAFormatReadsNoFieldsAndChecksNothing) {
    Cents total = 0;
    RowFindings messages;
    RowChecker checker(nullptr, ';');
    checker.check("BG00XXXX;0;;\n", 3, total, messages);
    EXPECT_TRUE(checker.record().values.empty());
    EXPECT_EQ(messages.count, 0);
    EXPECT_EQ(total, 0);
}

constexpr const char* kIban = "BG80BNBG96611020345678";
constexpr const char* kBudgetIban = "BG56BNBG96618020345678";  // 13th character 8

struct CheckCase {
    settings::FormatDefinition format;
    std::string line;
    std::string messages;  // UTF-8, row number 5
    Cents total = 0;
};

std::string cp1251(std::string_view utf8) {
    std::string out;
    EXPECT_TRUE(text::fromUtf8(utf8, out)) << utf8;
    return out;
}

std::string row(std::initializer_list<std::string> values) {
    std::string out;
    bool first = true;
    for (const std::string& value : values) {
        out += (first ? "" : ";") + value;
        first = false;
    }
    return out + "\n";
}

TEST(RowChecks, RaiseEachMessageInTheDefinedOrder) {
    const auto dp = delimitedFormat("DP", ';', {"IBAN", "BIC", "NAME", "EGN", "BULSTAT", "SUM"});
    const auto bicFirst = delimitedFormat("DP", ';', {"BIC", "IBAN", "Sum"});
    const auto sb = delimitedFormat("SB", ';', {"IBAN", "PAYMENT", "PAYMENT_SEBRA", "SUM"});
    const auto sbLower = delimitedFormat("sb", ';', {"IBAN", "PAYMENT", "PAYMENT_SEBRA", "SUM"});
    const auto sbLonger = delimitedFormat("SBX", ';', {"IBAN", "PAYMENT", "PAYMENT_SEBRA", "SUM"});
    const auto twoSums = delimitedFormat("DP", ';', {"SUM", "sum"});
    const std::string wrongIban = "Грешен IBAN( Wrong IBAN ! ) на ред: 5<BR>";
    const std::string bicMismatch = "BIC за банка, различна от банката на IBAN  на ред: 5<BR>";
    const std::string zero = "Нулева сума на ред: 5<BR>";
    const std::string invalidSum = "Невалидна сума на ред: 5<BR>";
    const std::string noBudgetCode = "Липсва код за плащане на бюджетна сметка на ред: 5<BR>";
    const std::string noSebraCode = "Липсва код за плащане СЕБРА на ред: 5<BR>";
    const std::string wrongBic = "Грешен BIC на ред: 5<BR>";
    const std::string noBic = "Липсва BIC на ред: 5<BR>";
    const CheckCase cases[] = {
        {dp, row({kIban, "BNBGBGSD", "Ivan", "7523169263", "831642181", "12.50"}), "", 1250},
        {dp, row({"BG81BNBG96611020345678", "BNBGBGSD", "", "", "", "1"}), wrongIban, 100},
        {dp, row({kIban, "UNCRBGSF", "", "", "", "1"}), bicMismatch, 100},
        {dp, row({kIban, "", "", "", "", "1"}), noBic, 100},
        // A BIC has its form, or it is no BIC: its first four letters alone matched before.
        {dp, row({kIban, "BNB", "", "", "", "1"}), wrongBic, 100},
        {dp, row({kIban, "BNBG", "", "", "", "1"}), wrongBic, 100},
        {dp, row({kIban, "BNBG!!@@", "", "", "", "1"}), wrongBic, 100},
        {dp, row({kIban, "BNBGbgsd", "", "", "", "1"}), wrongBic, 100},
        {dp, row({kIban, "BNBG BGSD", "", "", "", "1"}), wrongBic, 100},
        {dp, row({kIban, "bnbgbgsd", "", "", "", "1"}), wrongBic, 100},
        {dp, row({kIban, "BNBGBGSDX", "", "", "", "1"}), wrongBic, 100},
        {dp, row({kIban, "BNBGBGSDXXX", "", "", "", "1"}), "", 100},
        {dp, row({kIban, " BNBGBGSD ", "", "", "", "1"}), "", 100},
        // The bank code holds for Bulgarian IBANs; others are matched by country, a territory
        // that uses another country's IBANs by that country.
        {dp, row({"DE89370400440532013000", "COBADEFFXXX", "", "", "", "1"}), "", 100},
        {dp, row({"DE89370400440532013000", "COBAATWW", "", "", "", "1"}), bicMismatch, 100},
        {dp, row({"DE89370400440532013000", "BNBGBGSD", "", "", "", "1"}), bicMismatch, 100},
        {dp, row({"FR1420041010050500013M02606", "BFCORERX", "", "", "", "1"}), "", 100},
        {dp, row({"FR1420041010050500013M02606", "BNPAFRPP", "", "", "", "1"}), "", 100},
        {dp, row({"GB29NWBK60161331926819", "RBOSJESH", "", "", "", "1"}), "", 100},
        {dp, row({"GB29NWBK60161331926819", "BFCORERX", "", "", "", "1"}), bicMismatch, 100},
        // An IBAN too short to hold a bank code never matches a BIC.
        {dp, row({"BG80BNB", "BNBGBGSD", "", "", "", "1"}),
         "Грешен IBAN( Wrong IBAN ! ) на ред: 5<BR>" + bicMismatch, 100},
        {dp, row({"", "", "", "", "", "1"}), "Грешен IBAN( Wrong IBAN! ) на ред: 5<BR>" + noBic,
         100},
        {dp, row({"", "BNBGBGSD", "", "", "", "1"}),
         "Грешен IBAN( Wrong IBAN! ) на ред: 5<BR>" + bicMismatch, 100},
        {dp, row({kIban, "BNBGBGSD", "", "7523169264", "", "1"}), "Грешен ЕГН  на ред: 5<BR>", 100},
        {dp, row({kIban, "BNBGBGSD", "", "", "831642182", "1"}), "Грешен БУЛСТАТ  на ред: 5<BR>",
         100},
        {dp, row({kIban, "BNBGBGSD", "", "", "", "0"}), zero},
        {dp, row({kIban, "BNBGBGSD", "", "", "", ""}), zero},
        {dp, row({kIban, "BNBGBGSD", "", "", "", "-0.00"}), zero},
        // A text that is no plain decimal is refused, never read in part or taken for zero; a
        // credit transfer is never negative.
        {dp, row({kIban, "BNBGBGSD", "", "", "", "abc"}), invalidSum},
        {dp, row({kIban, "BNBGBGSD", "", "", "", "-5"}), invalidSum},
        {dp, row({kIban, "BNBGBGSD", "", "", "", "12,50"}), invalidSum},
        {dp, row({kIban, "BNBGBGSD", "", "", "", "0.000001"}), invalidSum},
        {dp, row({kIban, "BNBGBGSD", "", "", "", "1e3"}), invalidSum},
        // With the BIC first the match runs at the IBAN, after the IBAN check's own message.
        {bicFirst, row({"UNCRBGSF", "BG81BNBG96611020345678", "3"}), wrongIban + bicMismatch, 300},
        {bicFirst, row({"BNBGBGSD", kIban, "3"}), "", 300},
        {bicFirst, row({"UNCR", kIban, "3"}), wrongBic, 300},
        {twoSums, row({"2", "3"}), "", 500},
        {twoSums, row({"0", "3"}), zero, 300},
        // Budget accounts need every PAYMENT code; the SEBRA code is needed by "SB" alone.
        {sb, row({kBudgetIban, "", "", "1"}), noBudgetCode + noSebraCode + noBudgetCode, 100},
        {sb, row({kBudgetIban, "1", "", "1"}), noBudgetCode + noSebraCode, 100},
        {sb, row({kIban, "", "", "1"}), noSebraCode, 100},
        {sb, row({kIban, "1", "2", "1"}), "", 100},
        // "SB" in any case is the budget type.
        {sbLower, row({kIban, "", "", "1"}), noSebraCode, 100},
        {sbLonger, row({kBudgetIban, "", "1", "1"}), noBudgetCode, 100},
        {delimitedFormat("DP", ';', {"IBAN", "payment_x"}), row({kBudgetIban, ""}), noBudgetCode},
        // Codes are visited chain by chain (PAYMENT_E in 0, PAYMENT_SEBRA and PAYMENT_I in 4),
        // the name added last first within a chain; a repeated name holds its latest value.
        {delimitedFormat("SB", ';', {"IBAN", "PAYMENT_SEBRA", "PAYMENT_E"}),
         row({kBudgetIban, "", ""}), noBudgetCode + noBudgetCode + noSebraCode},
        {delimitedFormat("SB", ';', {"IBAN", "PAYMENT_SEBRA", "PAYMENT_I"}),
         row({kBudgetIban, "", ""}), noBudgetCode + noBudgetCode + noSebraCode},
        {delimitedFormat("SB", ';', {"IBAN", "PAYMENT_SEBRA", "PAYMENT", "PAYMENT_SEBRA"}),
         row({kBudgetIban, "", "", "1"}), noBudgetCode},
        {delimitedFormat("SB", ';', {"IBAN", "PAYMENT_SEBRA", "PAYMENT", "PAYMENT_SEBRA"}),
         row({kBudgetIban, "1", "", ""}), noBudgetCode + noSebraCode + noBudgetCode},
        // Thirteen characters are not enough for a budget account.
        {delimitedFormat("DP", ';', {"IBAN", "PAYMENT"}), row({"BG56BNBG96618", ""}),
         "Грешен IBAN( Wrong IBAN ! ) на ред: 5<BR>"},
        // A row that ends before its IBAN or SUM is checked as if both were there and empty.
        {delimitedFormat("DP", ';', {"BIC", "NAME", "IBAN", "SUM"}), "BNBGBGSD\n",
         "Няма разделител (;)  на ред: 5<BR>Грешен IBAN( Wrong IBAN! ) на ред: 5<BR>" +
             bicMismatch + zero},
        // A BIC is not: a row may leave out a BIC at its end (a SEPA payment needs none), but
        // one it holds must be a BIC.
        {delimitedFormat("DP", ';', {"IBAN", "SUM", "BIC"}), std::string(kIban) + ";1\n", "", 100},
        {delimitedFormat("DP", ';', {"IBAN", "SUM", "BIC"}), std::string(kIban) + ";1;\n", noBic,
         100},
        {fixedFormat("F", {{"IBAN", 1, 22}, {"SUM", 23, 30}}), std::string(kIban) + "\n",
         "Редът е по-къс от формата (30 знака) на ред: 5<BR>" + zero},
        // So is a payment code: spreadsheets drop the empty cells at a row's end.
        {delimitedFormat("DP", ';', {"IBAN", "PAYMENT"}), std::string(kBudgetIban) + "\n",
         "Няма разделител (;)  на ред: 5<BR>" + noBudgetCode},
        {delimitedFormat("SB", ';', {"IBAN", "PAYMENT", "NAME", "PAYMENT_SEBRA"}),
         std::string(kBudgetIban) + ";;x\n", noBudgetCode + noSebraCode + noBudgetCode},
        // Missing fields are checked once per name, whatever the format repeats.
        {delimitedFormat("DP", ';', {"IBAN", "NAME", "SUM", "SUM"}), std::string(kIban) + "\n",
         "Няма разделител (;)  на ред: 5<BR>" + zero},
        {delimitedFormat("DP", ';', {"SUM", "IBAN", "SUM"}), "7\n",
         "Няма разделител (;)  на ред: 5<BR>Грешен IBAN( Wrong IBAN! ) на ред: 5<BR>" + zero, 700},
        // The bank code and the budget-account digit are read from the IBAN as its check reads
        // it: blanks and dashes left out, upper case.
        {delimitedFormat("DP", ';', {"IBAN", "BIC", "PAYMENT", "SUM"}),
         row({"BG56 BNBG 9661 8020 3456 78", "BNBGBGSD", "", "1"}), noBudgetCode, 100},
        {delimitedFormat("DP", ';', {"IBAN", "BIC", "PAYMENT", "SUM"}),
         row({"bg56-bnbg-9661-8020-3456-78", "BNBGBGSD", "1", "1"}), "", 100},
        {delimitedFormat("DP", ';', {"BIC", "IBAN", "SUM"}),
         row({"UNCRBGSF", "BG56 BNBG 9661 8020 3456 78", "1"}), bicMismatch, 100},
        // A NUL is refused with the row, and in an IBAN as a byte no account holds.
        {delimitedFormat("DP", ';', {"IBAN", "F2"}), std::string(kIban) + std::string("\0X;\n", 4),
         "Недопустим управляващ знак (0x00) на ред: 5<BR>"
         "Грешен IBAN( Wrong IBAN character! ) на ред: 5<BR>"},
        // The IBAN field is the account as written to the bank: only its separators are passed
        // over, and its length is its country's.
        {dp, row({kIban + cp1251(" (Мария)"), "BNBGBGSD", "", "", "", "1"}),
         "Грешен IBAN( Wrong IBAN character! ) на ред: 5<BR>", 100},
        {dp, row({cp1251("BG80BNBG9661102034567А8"), "BNBGBGSD", "", "", "", "1"}),
         "Грешен IBAN( Wrong IBAN character! ) на ред: 5<BR>", 100},
        {dp, row({"BG34BNBG9661102034567", "BNBGBGSD", "", "", "", "1"}),
         "Грешен IBAN( Wrong IBAN length! ) на ред: 5<BR>", 100},
        {dp, row({"XY22BNBG96611020345678", "BNBGBGSD", "", "", "", "1"}),
         "Грешен IBAN( Unknown IBAN country! ) на ред: 5<BR>" + bicMismatch, 100},
        // Identifier fields hold digits (a BULSTAT's grouped by blanks and hyphens) and nothing
        // else: a letter or a sign would be weighed by its code and could pass by chance.
        {dp, row({kIban, "BNBGBGSD", "", "", "831 642-181", "1"}), "", 100},
        {dp, row({kIban, "BNBGBGSD", "", "", "BG831642181", "1"}), "Грешен БУЛСТАТ  на ред: 5<BR>",
         100},
        {dp, row({kIban, "BNBGBGSD", "", "7501020A#8", "", "1"}), "Грешен ЕГН  на ред: 5<BR>", 100},
        {dp, row({kIban, "BNBGBGSD", "", "7501020 98", "", "1"}), "Грешен ЕГН  на ред: 5<BR>", 100},
    };
    for (const CheckCase& c : cases) {
        Cents total = 0;
        RowFindings messages;
        RowChecker(&c.format, ';').check(c.line, 5, total, messages);
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)), c.messages)
            << c.format.name << " " << c.line;
        EXPECT_EQ(total, c.total) << c.line;
    }
}

// Rows to accounts with 80, 84 and 88 at positions 13-14, and to an ordinary one, under both
// rules for payments to the budget: before 1 October 2023 every budget account needs a payment
// code; since then it needs the obligor's identifier, and a code only on an "84" account.
TEST(BudgetRows, AreCheckedByTheRulesChosen) {
    const std::string budget80 = kBudgetIban;
    const std::string budget84 = "BG38BNBG96618420345678";
    const std::string budget88 = "BG20BNBG96618820345678";
    const auto dp = delimitedFormat("DP", ';', {"IBAN", "EGN", "BULSTAT", "PAYMENT", "SUM"});
    const auto noIds = delimitedFormat("DP", ';', {"IBAN", "PAYMENT", "SUM"});
    const auto sb = delimitedFormat("SB", ';', {"IBAN", "EGN", "PAYMENT", "PAYMENT_SEBRA", "SUM"});
    const std::string egn = "7523169263";
    const std::string eik9 = "831642181";
    const std::string eik13 = "1234567800023";
    const std::string lnc = "LNC7111042925";
    const std::string noCode = "Липсва код за плащане на бюджетна сметка на ред: 5<BR>";
    const std::string noSebra = "Липсва код за плащане СЕБРА на ред: 5<BR>";
    const std::string noId = "Липсва идентификатор на задълженото лице на ред: 5<BR>";
    const std::string wrongId = "Грешен идентификатор на задълженото лице на ред: 5<BR>";
    const std::string codeNot84 =
        "Код за плащане се попълва само за сметки с 84 на позиции 13-14 на ред: 5<BR>";
    const std::string wrongEgn = "Грешен ЕГН  на ред: 5<BR>";
    const std::string wrongBulstat = "Грешен БУЛСТАТ  на ред: 5<BR>";
    const struct {
        settings::FormatDefinition format;
        std::string line;
        std::string before2023;  // UTF-8
        std::string from2023;
    } cases[] = {
        // Identifiers with no code.
        {dp, row({budget80, egn, "", "", "1"}), noCode, ""},
        {dp, row({budget80, "", eik9, "", "1"}), noCode, ""},
        {dp, row({budget80, "", eik13, "", "1"}), noCode, ""},
        {dp, row({budget80, lnc, "", "", "1"}), wrongEgn + noCode, ""},
        {dp, row({budget80, "", lnc, "", "1"}), wrongBulstat + noCode, ""},
        {dp, row({budget84, egn, "", "", "1"}), noCode, ""},
        {dp, row({budget88, "", eik9, "", "1"}), noCode, ""},
        // No identifier, or a wrong one.
        {dp, row({budget80, "", "", "", "1"}), noCode, noId},
        {dp, row({budget84, "", "", "123456", "1"}), "", noId},
        {noIds, row({budget84, "123456", "1"}), "", noId},
        {dp, row({budget80, "7523169264", "", "", "1"}), wrongEgn + noCode, wrongEgn + wrongId},
        {dp, row({budget80, "", "831642182", "", "1"}), wrongBulstat + noCode,
         wrongBulstat + wrongId},
        {dp, row({budget80, "LNC7111042922", "", "", "1"}), wrongEgn + noCode, wrongId},
        {dp, row({budget80, "8801011234561", "", "", "1"}), noCode, wrongId},
        {dp, row({budget80, "", "831 642-181", "", "1"}), noCode, wrongId},
        {dp, row({budget80, "7523169264", eik9, "", "1"}), wrongEgn + noCode, wrongEgn},
        // A code: only an "84" account takes one.
        {dp, row({budget84, egn, "", "123456", "1"}), "", ""},
        {dp, row({budget80, egn, "", "123456", "1"}), "", codeNot84},
        {dp, row({budget88, "", eik13, "123456", "1"}), "", codeNot84},
        {dp, row({budget80, "", "", "123456", "1"}), "", noId + codeNot84},
        // An ordinary account is no payment to the budget; a foreigner's number is an identifier
        // all the same under the newer rules.
        {dp, row({kIban, "", "", "", "1"}), "", ""},
        {dp, row({kIban, "", "", "123456", "1"}), "", ""},
        {dp, row({kIban, lnc, "", "", "1"}), wrongEgn, ""},
        // The SEBRA code keeps its rule, and is no payment-type code.
        {sb, row({budget80, egn, "", "", "1"}), noCode + noSebra + noCode, noSebra},
        {sb, row({budget80, egn, "", "1", "1"}), noCode, ""},
        {sb, row({budget80, egn, "123456", "1", "1"}), "", codeNot84},
    };
    for (const auto& c : cases) {
        for (const BudgetRules rules : {BudgetRules::before2023, BudgetRules::from2023}) {
            Cents total = 0;
            RowFindings messages;
            RowChecker(&c.format, ';', rules).check(c.line, 5, total, messages);
            EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)),
                      rules == BudgetRules::before2023 ? c.before2023 : c.from2023)
                << budgetRulesName(rules) << " " << c.format.name << " " << c.line;
            EXPECT_EQ(total, 100) << c.line;
        }
    }
}

// The example layout's rows: IBAN 1-22, BIC 23-30, NAME 31-50, SUM 51-62.
std::string fx(std::string name, std::string amount, std::string tail = "\n") {
    return std::string(kIban) + "BNBGBGSD" + name + amount + tail;
}

TEST(RowWidth, AFixedLengthRowThatCouldReadAnotherAmountIsRefused) {
    const auto format =
        fixedFormat("FX", {{"IBAN", 1, 22}, {"BIC", 23, 30}, {"NAME", 31, 50}, {"SUM", 51, 62}});
    const std::string name(20, 'N');
    const std::string shortRow = "Редът е по-къс от формата (62 знака) на ред: 5<BR>";
    const std::string longRow = "Редът е по-дълъг от формата (62 знака) на ред: 5<BR>";
    const CheckCase cases[] = {
        {format, fx(name, "      830.45"), "", 83045},
        {format, fx(name, "      830.45", ""), "", 83045},  // the last line, without LF
        // A zero-padded amount filling its columns, next to a name that ends in a digit.
        {format, fx(std::string(19, 'N') + "7", "000000830.45"), "", 83045},
        // Blanks beyond the last column are padding.
        {format, fx(name, "      830.45", "      \r\n"), "", 83045},
        // One byte short with a blank in front of the amount: the line end stands in the last
        // column, as layouts that count it are written.
        {format, fx(name, "     830.45"), "", 83045},
        // Digits beyond the last column, or a lost first digit: the row is refused and its
        // amount is not counted.
        {format, fx(name, "       830.45"), longRow},
        {format, fx(name, "      12345.67"), longRow},
        {format, fx(std::string(19, 'N'), "123456789.12"), shortRow},
        {format, fx(std::string(18, 'N'), "      830.45"), shortRow + "Нулева сума на ред: 5<BR>"},
    };
    for (const CheckCase& c : cases) {
        Cents total = 0;
        RowFindings messages;
        RowChecker(&c.format, ' ').check(c.line, 5, total, messages);
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)), c.messages) << c.line;
        EXPECT_EQ(total, c.total) << c.line;
    }
}

TEST(RowBytes, ARowHoldingAControlByteIsRefused) {
    const auto format = delimitedFormat("DP", ';', {"NAME", "SUM"});
    const struct {
        std::string line;
        const char* messages;  // UTF-8, row number 5
    } cases[] = {
        {"Ivan\tIvanov;1\n", ""},
        {"Ivan \x85;1\r\n", ""},  // 0x85 is a Windows-1251 character
        {std::string("Ivan\0;1\n", 8), "Недопустим управляващ знак (0x00) на ред: 5<BR>"},
        {"Ivan\vPetrov;1\n", "Недопустим управляващ знак (0x0B) на ред: 5<BR>"},
        {"Ivan;1\fX\n",
         "Недопустим управляващ знак (0x0C) на ред: 5<BR>Невалидна сума на ред: 5<BR>"},
        {"Ivan\x1B[2J;1\n", "Недопустим управляващ знак (0x1B) на ред: 5<BR>"},
        {"Ivan\x7F\x01;1\n", "Недопустим управляващ знак (0x7F) на ред: 5<BR>"},
    };
    for (const auto& c : cases) {
        Cents total = 0;
        RowFindings messages;
        RowChecker(&format, ';').check(c.line, 5, total, messages);
        EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)), c.messages) << c.line;
    }
}

TEST(RowChecks, MessagesOfSeveralRowsFollowEachOther) {
    const auto format = fixedFormat("F", {{"EGN", 1, 10}, {"SUM", 11, 14}});
    Cents total = 0;
    RowFindings messages;
    RowChecker checker(&format, ' ');
    checker.check("7523169264   0\n", 1, total, messages);
    checker.check("          2.0\n", 2, total, messages);
    checker.check("7523169263 1.5\n", 3, total, messages);
    EXPECT_EQ(text::toUtf8(testing::joinedTexts(messages)),
              "Грешен ЕГН  на ред: 1<BR>Нулева сума на ред: 1<BR>");
    EXPECT_EQ(total, 350);
}

}  // namespace
}  // namespace velcor::processing
