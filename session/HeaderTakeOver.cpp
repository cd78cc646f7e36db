#include "session/HeaderTakeOver.h"

namespace velcor::session {

void takeHeaderInto(const processing::PreparedHeader& header, ListState& state) {
    if (!header.complete) return;
    // A complete header has a valid date.
    state.paymentDate.day = header.date->day;
    state.paymentDate.month = header.date->month;
    state.paymentDate.year = header.date->year;
    state.paymentDate.valid = true;
    const auto take = [](const std::optional<std::string>& value, std::string& member) {
        if (value) member = *value;
    };
    take(header.payerIban, state.payerIban);
    take(header.payerBic, state.payerBic);
    take(header.paymentKindCode, state.paymentKindCode);
    take(header.budgetUnitCode, state.budgetUnitCode);
    take(header.payerName, state.payerName);
    take(header.totalText, state.totalText);
    take(header.countText, state.countText);
    take(header.controlCodeText, state.controlCodeText);
    state.filePrepared = true;
}

}  // namespace velcor::session
