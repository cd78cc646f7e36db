#include "support/HeadlessDialogHost.h"

#include "window/ControlTable.h"

#include <gtest/gtest.h>

namespace velcor::window {
namespace {

// Both hosts place list entries as the control table says: the format-kind list sorted, the
// payment-type list in the order the entries come; the selected entry stays selected.
TEST(HeadlessDialogHost, ListsPlaceEntriesAsTheControlTableSays) {
    HeadlessDialogHost host;
    host.addListEntry(idFormatKind, formatKindFixed());
    host.setListSelection(idFormatKind, 0);
    host.addListEntry(idFormatKind, formatKindDelimited());
    EXPECT_EQ(host.listEntries(idFormatKind),
              (std::vector<std::string>{std::string(formatKindDelimited()),
                                        std::string(formatKindFixed())}));
    EXPECT_EQ(host.listSelection(idFormatKind), 1) << "still the fixed-length entry";

    for (const char* entry : {"[SB]", "[DP] // main", "[AA]"})
        host.addListEntry(idPaymentType, entry);
    EXPECT_EQ(host.listEntries(idPaymentType),
              (std::vector<std::string>{"[SB]", "[DP] // main", "[AA]"}));
    EXPECT_EQ(host.listSelection(idPaymentType), -1) << "adding selects nothing";
    host.setListSelection(idPaymentType, 3);
    EXPECT_EQ(host.listSelection(idPaymentType), -1) << "a position past the end selects nothing";
}

}  // namespace
}  // namespace velcor::window
