#pragma once

// The processing report of a prepared list: a short HTML text for the report window.

#include "processing/WorkingState.h"
#include "settings/Settings.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::output {

// The Bulgarian weekday name, 0 = Sunday ... 6 = Saturday; empty outside that range.
std::string_view weekdayName(int dayOfWeek);

// The last character of the path when it is a decimal digit, otherwise '0'.
char sequenceDigit(std::string_view path);

// "С разделител(;)" for a delimited format, "С Фиксирана дължина" otherwise (also for none).
std::string reportFormatDescription(const settings::FormatDefinition* format);

// The report text from the state as it stands. `paymentTypeText` is the selected entry of the
// payment-type list (nothing selected: the cell stays empty); an invalid value date leaves the
// date cell empty. Texts that come from files or settings are escaped for HTML.
std::string buildProcessingReport(const processing::WorkingState& state,
                                  const settings::FormatDefinition* format,
                                  std::optional<std::string_view> paymentTypeText);

}  // namespace velcor::output
