#include "window/WorkingState.h"

namespace velcor::window {

const settings::FormatDefinition* formatAt(const WorkingState& state, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= state.formats.size()) return nullptr;
    return &state.formats[static_cast<std::size_t>(position)];
}

output::PayerData payerOf(const WorkingState& state) {
    return {state.payerIban, state.payerBic, state.payerName, state.paymentKindCode,
            state.budgetUnitCode};
}

}  // namespace velcor::window
