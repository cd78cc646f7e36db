#pragma once

// How much the undo folder keeps: the operator's own setting, beside the other remembered ones in
// the platform's place for a user's application settings ("undo/maxMegabytes", "undo/maxDays");
// the defaults where none is set or what is set is no positive number.

#include "output/PrepareHistory.h"

namespace velcor::app {

output::HistoryCap undoFolderCap();

}  // namespace velcor::app
