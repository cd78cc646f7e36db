#include "processing/PaymentRecord.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velcor::processing {
namespace {

using namespace text::literals;

std::vector<std::string> visitingOrder(const FieldValues& values) {
    std::vector<std::string> names;
    values.forEach([&](std::string_view name, std::string_view value) {
        names.push_back(std::string(name) + "=" + std::string(value));
    });
    return names;
}

TEST(FieldValues, ChainsFollowTheSignedByteHash) {
    EXPECT_EQ(FieldValues::chainOf("PAYMENT_SEBRA"), 4u);
    EXPECT_EQ(FieldValues::chainOf("PAYMENT"), 10u);
    EXPECT_EQ(FieldValues::chainOf(""), 0u);
    EXPECT_EQ(FieldValues::chainOf("A"), 65u % 17u);
    // Bytes above 0x7F count as negative; read as unsigned, these names would land in 0 and 7.
    EXPECT_EQ(FieldValues::chainOf("ЯЯ"_cp), 1u);
    EXPECT_EQ(FieldValues::chainOf("СУМА"_cp), 8u);
}

TEST(FieldValues, VisitsChainsUpwardsNewestFirstAndReplacesInPlace) {
    FieldValues values;
    // "B" (66) and "S" (83) share chain 15; "PAYMENT" is chain 10, "PAYMENT_SEBRA" chain 4.
    ASSERT_EQ(FieldValues::chainOf("B"), FieldValues::chainOf("S"));
    values.set("PAYMENT", "1");
    values.set("B", "2");
    values.set("PAYMENT_SEBRA", "3");
    values.set("S", "4");
    values.set("B", "5");  // replaced: stays behind S in its chain
    EXPECT_EQ(values.size(), 4u);
    EXPECT_EQ(visitingOrder(values),
              (std::vector<std::string>{"PAYMENT_SEBRA=3", "PAYMENT=1", "S=4", "B=5"}));
    ASSERT_NE(values.find("B"), nullptr);
    EXPECT_EQ(*values.find("B"), "5");
    EXPECT_EQ(values.find("b"), nullptr);

    values.clear();
    EXPECT_TRUE(values.empty());
    EXPECT_EQ(values.find("PAYMENT"), nullptr);
    values.set("S", "6");
    EXPECT_EQ(visitingOrder(values), (std::vector<std::string>{"S=6"}));
}

}  // namespace
}  // namespace velcor::processing
