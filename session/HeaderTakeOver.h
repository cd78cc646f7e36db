#pragma once

// How the header of a prepared list reaches the window: its payer values, value date and control
// data texts become the state's.

#include "processing/PreparedHeader.h"
#include "session/ListState.h"

namespace velcor::session {

// Takes what a complete header holds into the state and marks the list as prepared; the time of
// day of the value date stays. A refused header brings nothing.
void takeHeaderInto(const processing::PreparedHeader& header, ListState& state);

}  // namespace velcor::session
