#include "session/HeaderTakeOver.h"

#include <gtest/gtest.h>

#include <string>

namespace velcor::session {
namespace {

using processing::LocalDateTime;
using processing::readPreparedHeader;

TEST(PreparedHeader, TakesWhatTheHeaderHoldsIntoTheState) {
    const LocalDateTime before{2023, 5, 6, 7, 8, 9, true};
    struct Case {
        std::string line;
        LocalDateTime date;  // the value date afterwards
        std::string iban;
        std::string code;  // the control code text afterwards
        bool prepared;
    } cases[] = {
        {"OMPDP;15032024;BG80BNBG96611020345678; 1;N;1.00;1; C2412435; \n",
         {2024, 3, 15, 7, 8, 9, true},
         "BG80BNBG96611020345678",
         "C2412435",
         true},
        // A line that is no whole header brings nothing, however much of it reads.
        {"OMPDP;31022024;BG80BNBG96611020345678; 1;N;1.00;1; C2412435; \n", before, "old iban",
         "old", false},
        {"OMPDP;15032024;BG80BNBG96611020345678; 1;N;1.00;1;\n", before, "old iban", "old", false},
        {"OMPDP;1503202;BG80\n", before, "old iban", "old", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        ListState state;
        state.paymentDate = before;
        state.payerIban = "old iban";
        state.controlCodeText = "old";
        state.payerBic = "kept";
        takeHeaderInto(readPreparedHeader(c.line), state);
        EXPECT_EQ(state.paymentDate, c.date);
        EXPECT_EQ(state.payerIban, c.iban);
        EXPECT_EQ(state.controlCodeText, c.code);
        EXPECT_EQ(state.payerBic, "kept") << "the standard layout holds no BIC";
        EXPECT_EQ(state.filePrepared, c.prepared);
    }
}

}  // namespace
}  // namespace velcor::session
