#pragma once

// The processing report of a prepared list: a short HTML text for the report window.

#include "processing/BudgetRules.h"
#include "processing/ControlData.h"
#include "processing/DateTime.h"
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

// What the report states, each as its cell shows it (unescaped).
struct ReportFields {
    std::string fileName;
    // The value date; nothing when it is no date (the cell stays empty).
    std::optional<processing::LocalDateTime> date;
    std::string weekday;
    char sequenceDigit = '0';
    std::string paymentType;  // the selected entry of the payment-type list; empty for none
    std::string formatDescription;
    std::string total;  // the control data as the window shows them
    std::string count;
    std::string controlCode;
    // The rules the list's rows to the budget were checked by; the report names the newer ones.
    processing::BudgetRules budgetRules = processing::BudgetRules::before2023;
};

// The report's fields for the list at `inputPath`, its value date, its payment type (`format` and
// the selected entry's text, nothing when none is selected) and its control data as shown.
ReportFields reportFields(
    std::string_view inputPath, const processing::LocalDateTime& date,
    const settings::FormatDefinition* format, std::optional<std::string_view> paymentTypeText,
    const processing::ControlData& shown,
    processing::BudgetRules budgetRules = processing::BudgetRules::before2023);

// The report text of those fields. Texts that come from files or settings are escaped for HTML.
std::string buildProcessingReport(const ReportFields& fields);

}  // namespace velcor::output
