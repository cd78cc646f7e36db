#include "processing/PreparedHeader.h"
#include "session/ListState.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace velcor::session {
namespace {

// A scanned list as "Подготовка" finds it: payer data, value date and control data. The total
// is zero, so the header's and the shown total text agree whatever type the sum has.
ListState scannedState() {
    ListState state;
    state.paymentDate = {2006, 12, 8, 10, 30, 0, true};
    state.payerIban = "BG48BNBG96618000123456";
    state.payerBic = "BNBGBGSD";
    state.payerName = "Firma OOD";
    state.paymentKindCode = "12345";
    state.budgetUnitCode = "1234563";
    state.recordCount = 2;
    state.totalText = "        0.00";
    state.countText = "2";
    state.controlCodeText = "C2412435";
    return state;
}

TEST(HeaderReadBack, OnlyAHeaderThatReadsBackAsTheListsDateAndControlDataPasses) {
    struct Case {
        const char* what;
        const char* format;  // the format's name; delimited by ";" unless changed below
        // Changes the state (and the format) before the header is built from them.
        std::function<void(ListState&, settings::FormatDefinition&)> before;
        // Changes the state afterwards, so that the header states other data than the list.
        std::function<void(ListState&)> after;
        bool readsBack;
    } cases[] = {
        {"standard layout", "DP", {}, {}, true},
        {"budget layout", "SB", {}, {}, true},
        {"fixed-length format, no description",
         "FX",
         [](auto&, settings::FormatDefinition& f) { f.delimited = false; },
         {},
         true},
        {"a count that widens its column",
         "DP",
         [](ListState& s, auto&) {
             s.recordCount = 1234567;
             s.countText = "1234567";
         },
         {},
         true},
        {"a semicolon in the name shifts the control data",
         "DP",
         [](ListState& s, auto&) { s.payerName = "Firma;OOD"; },
         {},
         false},
        {"a semicolon in the budget-unit code",
         "SB",
         [](ListState& s, auto&) { s.budgetUnitCode = "12;34563"; },
         {},
         false},
        {"a line feed in the kind code ends the line early",
         "DP",
         [](ListState& s, auto&) { s.paymentKindCode = "12\n3"; },
         {},
         false},
        {"an end-of-file byte as delimiter cuts the line",
         "DP",
         [](auto&, settings::FormatDefinition& f) { f.delimiter = '\x1A'; },
         {},
         false},
        {"a year of five digits is no date",
         "DP",
         [](ListState& s, auto&) { s.paymentDate.year = 20060; },
         {},
         false},
        {"a budget-unit code the reader refuses",
         "sb",
         [](ListState& s, auto&) { s.budgetUnitCode = "bad"; },
         {},
         false},
        {"another total", "DP", {}, [](ListState& s) { s.totalText = "        1.00"; }, false},
        {"another count", "DP", {}, [](ListState& s) { s.countText = "3"; }, false},
        {"another control code",
         "DP",
         {},
         [](ListState& s) { s.controlCodeText = "00000000"; },
         false},
        {"another date", "DP", {}, [](ListState& s) { s.paymentDate.day = 9; }, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ListState state = scannedState();
        settings::FormatDefinition format{c.format, true, ';', {{"IBAN", 1, 0, 0}}};
        if (c.before) c.before(state, format);
        const std::string header =
            processing::buildHeaderLine(payerOf(state), state.paymentDate, state, &format);
        if (c.after) c.after(state);
        EXPECT_EQ(processing::headerReadsBack(header, state.paymentDate, state), c.readsBack)
            << header;
    }
}

}  // namespace
}  // namespace velcor::session
