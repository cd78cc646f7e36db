#pragma once

// Formats of payment lists built in code, for the tests, the fuzz targets and the benchmarks.

#include "settings/Settings.h"

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace velcor::testing {

// A delimited format whose fields are numbered in the order given.
inline settings::FormatDefinition delimitedFormat(std::string name, char delimiter,
                                                  std::initializer_list<const char*> fields) {
    settings::FormatDefinition format{std::move(name), true, delimiter, {}};
    int number = 0;
    for (const char* field : fields) format.fields.push_back({field, ++number, 0, 0});
    return format;
}

struct Column {
    const char* name;
    int start;
    int end;
};

// A fixed-length format whose fields are numbered in the order given.
inline settings::FormatDefinition fixedFormat(std::string name,
                                              std::initializer_list<Column> columns) {
    settings::FormatDefinition format{std::move(name), false, ' ', {}};
    int number = 0;
    for (const Column& column : columns)
        format.fields.push_back({column.name, ++number, column.start, column.end});
    return format;
}

// The payment kinds of the example settings: a delimited list, a fixed-length list and a budget
// ("SB") list, in this order.
inline std::vector<settings::FormatDefinition> listFormats() {
    return {
        delimitedFormat("DP", ';', {"IBAN", "BIC", "NAME", "EGN", "BULSTAT", "SUM", "PAYMENT"}),
        fixedFormat("FX", {{"IBAN", 1, 22}, {"BIC", 23, 30}, {"NAME", 31, 50}, {"SUM", 51, 62}}),
        delimitedFormat("SB", ';', {"IBAN", "BIC", "NAME", "SUM", "PAYMENT", "PAYMENT_SEBRA"})};
}

}  // namespace velcor::testing
