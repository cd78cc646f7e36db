#pragma once

// The last check before "Подготовка" writes: the header line it built must read back, through the
// prepared-list reader, as what a later scan of the written list will compare against.

#include "session/ListState.h"

#include <string_view>

namespace velcor::session {

// Whether `header` (ending CR LF) comes back as one whole line when the list is read in text
// mode, and the prepared-list reader takes from it the value date of `state` and its control
// data: total, count and control code as their texts stand. A value that slipped a ";", a line
// break or an end-of-file byte into the header fails here.
bool headerReadsBack(std::string_view header, const ListState& state);

}  // namespace velcor::session
