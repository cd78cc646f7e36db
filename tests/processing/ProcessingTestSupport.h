#pragma once

// Shared pieces of the processing tests: formats built in code and a scan host that records.

#include "processing/WorkingState.h"
#include "settings/Settings.h"

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velcor::testing {

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

inline settings::FormatDefinition fixedFormat(std::string name,
                                              std::initializer_list<Column> columns) {
    settings::FormatDefinition format{std::move(name), false, ' ', {}};
    int number = 0;
    for (const Column& column : columns)
        format.fields.push_back({column.name, ++number, column.start, column.end});
    return format;
}

// Records what the scan shows and counts the exchanges with the controls.
class RecordingScanHost : public processing::ScanHost {
  public:
    bool readControls() override {
        ++readCount;
        return readResult;
    }
    void updateControls() override { ++updateCount; }
    void showMessage(std::string_view text) override { messages.emplace_back(text); }
    int selectedPaymentType() override { return selection; }

    int selection = 0;
    bool readResult = true;
    int readCount = 0;
    int updateCount = 0;
    std::vector<std::string> messages;
};

}  // namespace velcor::testing
