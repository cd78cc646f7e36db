#pragma once

// The page the report window shows; the given text goes into its element "file_name_load".

#include <string_view>

namespace velcor::output {

// The twelve lines of the page, each ending CR LF.
std::string_view reportPage();

// The id of the element that receives the text.
inline constexpr std::string_view kReportElementId = "file_name_load";

}  // namespace velcor::output
