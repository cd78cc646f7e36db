#pragma once

// velcor-cli's report --pdf: the report window's own rendering of a report, saved to a file that
// is replaced in one step, so that a script can archive the report.

#include "fileio/FileSystem.h"

#include <optional>
#include <string>
#include <string_view>

namespace velcor::app::cli {

// Renders `reportHtml` (Windows-1251 markup) as the report window's "Запис като PDF..." does and
// replaces the file `path` (Windows-1251, as the file layer takes paths) with the PDF. Nothing
// when it was written; otherwise why not, in words for the operator (Windows-1251).
std::optional<std::string> writeReportPdf(fileio::FileSystem& fs, std::string_view reportHtml,
                                          const std::string& path);

}  // namespace velcor::app::cli
