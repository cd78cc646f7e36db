#pragma once

// What the SEPA export's dialog starts with next time: the payer's EIK as the initiating party's
// id and the batch booking chosen last. Like the rules for payments to the budget, they are the
// operator's own settings: they live in the platform's place for a user's application settings,
// never in omp.ini.

#include <optional>
#include <string>

namespace velcor::app {

// The EIK remembered as typed (digits, blanks, hyphens); empty when none is.
std::string rememberedInitiatorId();
void rememberInitiatorId(const std::string& id);

// The batch booking remembered; nothing when none is (or what is kept is neither yes nor no).
std::optional<bool> rememberedBatchBooking();
void rememberBatchBooking(std::optional<bool> batchBooking);

}  // namespace velcor::app
