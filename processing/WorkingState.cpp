#include "processing/WorkingState.h"

#include "text/Cp1251.h"
#include "text/Text.h"

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kMoreRowMessages =
    "Показани са първите %lld съобщения; още %lld не са показани.<BR>"_cp;

}  // namespace

void addRowMessage(WorkingState& state, std::string_view message) {
    if (state.rowMessageCount++ < kMaxRowMessages) state.rowMessages += message;
}

void clearRowMessages(WorkingState& state) {
    state.rowMessages.clear();
    state.rowMessageCount = 0;
}

void closeRowMessages(WorkingState& state) {
    if (state.rowMessageCount <= kMaxRowMessages) return;
    state.rowMessages +=
        text::format(kMoreRowMessages.c_str(), static_cast<long long>(kMaxRowMessages),
                     static_cast<long long>(state.rowMessageCount - kMaxRowMessages));
}

const settings::FormatDefinition* formatAt(const WorkingState& state, int position) {
    if (position < 0 || static_cast<std::size_t>(position) >= state.formats.size()) return nullptr;
    return &state.formats[static_cast<std::size_t>(position)];
}

}  // namespace velcor::processing
