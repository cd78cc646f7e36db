// Feeds any first line to the reader of a prepared list's header. What must hold: a refusal
// names the value its layout checks (a refused IBAN with the check's reason); a header it takes
// has payer data that passes the checks it stands for, and the header written back from what was
// taken reads back to the same values; and a list prepared with the payer values it took is a
// file a bank reads as one checked row per data line, with the count, total and control code the
// list gives again (support/PreparedRoundTrip.h).

#include "checks/Iban.h"
#include "output/PreparedFile.h"
#include "processing/BudgetUnitCode.h"
#include "processing/PreparedHeader.h"
#include "session/HeaderTakeOver.h"
#include "support/ListFormats.h"
#include "support/PreparedRoundTrip.h"
#include "text/Text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

using namespace velcor;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

session::ListState freshState() {
    session::ListState state;
    state.formats = testing::listFormats();
    state.paymentDate = processing::LocalDateTime{2006, 12, 8, 0, 0, 0, true};
    return state;
}

std::string zeroFree(std::string text) {
    std::replace(text.begin(), text.end(), '\0', ' ');
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view line(reinterpret_cast<const char*>(data), size);
    // The scan hands over one piece: up to its LF, at most 4094 bytes.
    line = line.substr(0, std::min(line.find('\n') + 1, std::size_t{4094}));
    if (!line.starts_with("OMP")) return 0;

    const bool sebra = line.substr(3, 2) == "SB";
    const processing::PreparedHeader header = processing::readPreparedHeader(line);
    require(header.sebra == sebra, "the layout is read from bytes 4 and 5");
    switch (header.refusal) {
        case processing::HeaderRefusal::none:
            break;
        case processing::HeaderRefusal::payerIban:
            require(!sebra && !header.ibanReason.empty(), "a refused IBAN has its reason");
            return 0;
        case processing::HeaderRefusal::budgetUnitCode:
            require(sebra, "only the budget layout checks a budget-unit code");
            return 0;
        case processing::HeaderRefusal::notAHeader:
            require(!header.complete, "a line refused as no header is not complete");
            return 0;
    }
    if (!header.complete) return 0;
    session::ListState state = freshState();
    session::takeHeaderInto(header, state);
    require(state.filePrepared, "a complete header marks the list as prepared");

    char reason[64];
    if (sebra)
        require(processing::CheckBudgetUnitCode(zeroFree(state.budgetUnitCode).c_str()),
                "a taken budget header has a valid budget-unit code");
    else
        require(checks::CheckIban(zeroFree(state.payerIban).c_str(), reason, sizeof reason) == 1,
                "a taken header has a valid IBAN");

    // Written back under the layout it came in, the header must read to the same payer data.
    // Values with a NUL byte are left out: the window's edits cannot hold one, and the checks
    // of "Подготовка" see such a value only up to the NUL.
    for (const std::string* value : {&state.payerIban, &state.payerBic, &state.payerName,
                                     &state.budgetUnitCode, &state.controlCodeText})
        if (value->find('\0') != std::string::npos) return 0;
    const settings::FormatDefinition* format = &state.formats[sebra ? 2 : 0];
    const std::string written =
        processing::buildHeaderLine(session::payerOf(state), state.paymentDate, state, format);
    const processing::PreparedHeader writtenHeader = processing::readPreparedHeader(written);
    require(writtenHeader.refusal == processing::HeaderRefusal::none, "written header reads");
    session::ListState again = freshState();
    session::takeHeaderInto(writtenHeader, again);
    require(again.filePrepared, "written header is a prepared header");
    // A header date that is no date leaves the picker invalid; its old fields are not written.
    if (state.paymentDate.valid) require(again.paymentDate == state.paymentDate, "date changed");
    require(again.payerName == text::trimWhitespace(state.payerName), "name changed");
    require(again.controlCodeText == state.controlCodeText, "control code changed");
    if (sebra) {
        require(again.budgetUnitCode == state.budgetUnitCode, "budget-unit code changed");
        require(again.payerBic == text::trimWhitespace(state.payerBic), "BIC changed");
    } else {
        require(again.payerIban == state.payerIban, "IBAN changed");
    }

    // The values a header brought in are the ones "Подготовка" writes into the next list's.
    testing::TypedPayer payer;
    payer.name = state.payerName;
    if (sebra) {
        payer.bic = state.payerBic;
        payer.budgetUnitCode = state.budgetUnitCode;
    } else {
        payer.iban = state.payerIban;
        payer.kindCode = state.paymentKindCode;
    }
    testing::preparedRoundTrip(
        testing::kRoundTripSettings, sebra ? 2 : 0,
        sebra ? testing::kRoundTripSebraRows : testing::kRoundTripDelimitedRows, payer, require);
    return 0;
}
