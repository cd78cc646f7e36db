#include "session/LongWork.h"

#include "text/Cp1251.h"

namespace velcor::session {

using namespace velcor::text::literals;

namespace {

constexpr auto kReadingList = "Проверка на файла..."_cp;
constexpr auto kWritingList = "Подготовка на файла..."_cp;
constexpr auto kKeepingCopy = "Копие за отмяна на подготовката..."_cp;
constexpr auto kUndoing = "Отмяна на подготовката..."_cp;
constexpr auto kStopWork = "Отказ"_cp;

}  // namespace

std::string_view readingListText() { return kReadingList.view(); }

std::string_view writingListText() { return kWritingList.view(); }

std::string_view keepingCopyText() { return kKeepingCopy.view(); }

std::string_view undoingText() { return kUndoing.view(); }

std::string_view stopWorkText() { return kStopWork.view(); }

}  // namespace velcor::session
