#include "processing/WorkingState.h"

namespace velcor::processing {

const settings::FormatDefinition* formatAt(const WorkingState& state, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= state.formats.size()) return nullptr;
    return &state.formats[static_cast<std::size_t>(position)];
}

}  // namespace velcor::processing
