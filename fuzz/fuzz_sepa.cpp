// Feeds any bytes through the SEPA export as a payment list dated 15 January 2026, the first byte
// choosing the payment type, the version, SEPA instant, the category purpose, the payer's EIK and
// batch booking. What must hold
// beside "no crash":
//  - a file that was written is valid under its version's schema, and a reader of its own
//    (support/SepaFileReader.h) finds it within the EPC rules, with one transaction per row of
//    the list, the list's count and total, and each end-to-end id naming its row;
//  - the schema never refuses what the export's own checks let through: every row the rules
//    would break is refused, with its message, before a document is made;
//  - a refusal says why and writes nothing.

#include "output/SepaDocument.h"
#include "output/SepaSchema.h"
#include "support/HeadlessDialogHost.h"
#include "support/MemoryFileSystem.h"
#include "support/PreparedRoundTrip.h"
#include "support/SepaFileReader.h"
#include "window/BulkPaymentDialog.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace velcor;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

// The example payment types and payer, and a list layout with a REASON field, the BIC, then a
// creditor reference.
const std::string kSettings = std::string(testing::kRoundTripSettings) +
                              "\r\n[RS]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nNAME = 2\r\n"
                              "SUM = 3\r\nREASON = 4\r\nBIC = 5\r\nRF = 6\r\n";
constexpr const char* kListPath = "O150126P.1DP";
constexpr const char* kFilePath = "out.xml";
// Purposes: none, a code, and one the export must refuse.
constexpr const char* kPurposes[] = {"", "SALA", "Supp", "TAXS"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::uint8_t options = data[0];
    testing::MemoryFileSystem fs;
    fs.files["omp.ini"] = kSettings;
    fs.files[kListPath] = std::string(reinterpret_cast<const char*>(data) + 1, size - 1);

    window::HeadlessDialogHost host;
    window::BulkPaymentDialog dialog(host, fs, "omp.ini");
    require(dialog.initialise().done, "the settings do not load");
    // DP, FX, SB and RS, in the settings' order.
    dialog.choosePaymentType(options & 3);
    dialog.openList(kListPath);
    output::SepaChoices choices;
    choices.version = (options & 4) != 0 ? output::PainVersion::v03 : output::PainVersion::v09;
    choices.instant = (options & 8) != 0;
    choices.categoryPurpose = kPurposes[(options >> 4) & 3];
    if ((options & 64) != 0) choices.initiatorId = "831 641 791";
    if ((options & 128) != 0) choices.batchBooking = (options & 8) == 0;

    const window::Outcome outcome = dialog.exportSepa(choices, kFilePath);
    const auto written = fs.files.find(kFilePath);
    if (!outcome.done) {
        require(written == fs.files.end(), "a refused export wrote a file");
        // Once the list's value date lies in the past, the write asks about it first.
        std::vector<session::ShownMessage> told = outcome.messages;
        std::erase_if(told, [](const session::ShownMessage& message) {
            return message.kind == session::Message::valueDateQuestion;
        });
        require(told.size() == 1, "a refusal without its message");
        require(told[0].kind != session::Message::sepaSchemaRefused,
                "the schema refused a file the export's checks let through");
        return 0;
    }
    require(written != fs.files.end(), "no file where the export says it wrote one");
    const std::string& xml = written->second;
    require(!output::schemaViolation(choices.version, xml), "a written file breaks its schema");
    const std::optional<testing::SepaFileRead> file = testing::readSepaFile(xml);
    require(file.has_value(), "a written file is no XML");
    require(testing::sepaRuleFaults(*file).empty(), "a written file breaks the EPC rules");
    const session::ListState& state = dialog.state();
    require(file->transactions.size() == static_cast<std::size_t>(state.recordCount),
            "not one transaction per row");
    require(testing::sepaCents(file->headerSum) == state.totalSum, "not the list's total");
    for (std::size_t i = 0; i < file->transactions.size(); ++i)
        require(file->transactions[i].endToEndId.ends_with("-" + std::to_string(i + 1)),
                "an end-to-end id that names another row");
    require(file->categoryPurpose == choices.categoryPurpose, "not the purpose chosen");
    require((file->localInstrument == "INST") == choices.instant, "not the instant chosen");
    require(file->initiatingId == (choices.initiatorId.empty() ? "" : "831641791"),
            "not the initiator's id chosen");
    require(file->batchBooking == (!choices.batchBooking   ? ""
                                   : *choices.batchBooking ? "true"
                                                           : "false"),
            "not the batch booking chosen");
    for (const testing::SepaFileRead::Transaction& t : file->transactions)
        require(t.reference.empty() || output::isCreditorReference(t.reference),
                "a creditor reference that fails its check");
    return 0;
}
