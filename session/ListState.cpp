#include "session/ListState.h"

namespace velcor::session {

const settings::FormatDefinition* formatAt(const ListState& state, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= state.formats.size()) return nullptr;
    return &state.formats[static_cast<std::size_t>(position)];
}

std::optional<std::string> budgetRulesHint(const ListState& state) {
    return budgetRulesHint(state, state.paymentDate);
}

std::optional<std::string> budgetRulesHint(const ListState& state,
                                           const processing::LocalDateTime& valueDate) {
    // Only a list that was checked, whatever the check found, was checked by the older rules; and
    // only its rows to the budget are checked otherwise by the newer ones.
    const bool checked = state.fileValid || !state.rowFindings.empty();
    if (!checked || state.budgetRows == 0 ||
        !processing::laterBudgetRulesApply(state.budgetRules, valueDate))
        return std::nullopt;
    return std::string(processing::laterBudgetRulesHint());
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
