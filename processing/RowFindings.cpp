#include "processing/RowMessages.h"

#include "text/Cp1251.h"
#include "text/Text.h"

namespace velcor::processing {

using namespace text::literals;

namespace {

constexpr auto kMoreRowMessages =
    "Показани са първите %lld съобщения; още %lld не са показани.<BR>"_cp;

}  // namespace

void RowMessages::add(std::string_view message) {
    if (count++ < kMaxRowMessages) text += message;
}

void RowMessages::close() {
    if (count <= kMaxRowMessages) return;
    text += text::format(kMoreRowMessages.c_str(), static_cast<long long>(kMaxRowMessages),
                         static_cast<long long>(count - kMaxRowMessages));
}

}  // namespace velcor::processing
