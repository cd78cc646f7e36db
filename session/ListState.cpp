#include "session/ListState.h"

namespace velcor::session {

const settings::FormatDefinition* formatAt(const ListState& state, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= state.formats.size()) return nullptr;
    return &state.formats[static_cast<std::size_t>(position)];
}

processing::PayerData payerOf(const ListState& state) {
    return {state.payerIban, state.payerBic, state.payerName, state.paymentKindCode,
            state.budgetUnitCode};
}

PayerValues payerValuesOf(const ListState& state) {
    return {state.payerIban, state.payerBic, state.payerName, state.paymentKindCode,
            state.budgetUnitCode};
}

void setPayerValues(ListState& state, const PayerValues& values) {
    state.payerIban = values.iban;
    state.payerBic = values.bic;
    state.payerName = values.name;
    state.paymentKindCode = values.kindCode;
    state.budgetUnitCode = values.budgetUnitCode;
}

}  // namespace velcor::session
