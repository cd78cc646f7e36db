// Feeds any texts to the processing report: the list's path, the control data texts, the
// payment-type entry, the delimiter and the value date. What must hold: no text from a file or
// from the settings opens or closes a tag, and each appears in the page, escaped. The texts typed
// as the payer's name and payment kind into a list that is then prepared give a file a bank
// reads as one checked row per data line, with the count, total and control code the list gives
// again (support/PreparedRoundTrip.h).

#include "output/ProcessingReport.h"
#include "processing/ListName.h"
#include "support/ListFormats.h"
#include "support/PreparedRoundTrip.h"
#include "text/Text.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace velcor;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

std::size_t tagMarks(const std::string& html) {
    return static_cast<std::size_t>(std::count(html.begin(), html.end(), '<') +
                                    std::count(html.begin(), html.end(), '>'));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 4) return 0;
    std::vector<settings::FormatDefinition> formats = testing::listFormats();
    formats[0].delimiter = static_cast<char>(data[0]);
    const int position = data[1] % 4 - 1;  // -1: nothing selected
    const processing::LocalDateTime date{
        1990 + data[2] % 40, 1 + data[3] % 13, 1 + (data[3] >> 4) * 2, 0, 0, 0, true};

    // The rest holds five texts separated by 0x01; NUL bytes are left out.
    std::vector<std::string> texts(5);
    std::size_t which = 0;
    for (std::size_t i = 4; i < size; ++i) {
        if (data[i] == 0x01 && which + 1 < texts.size())
            ++which;
        else if (data[i] != 0)  // texts end at a NUL in the C-style formatting of the page

            texts[which] += static_cast<char>(data[i]);
    }
    const settings::FormatDefinition* format =
        position >= 0 ? &formats[static_cast<std::size_t>(position)] : nullptr;

    const std::string baseline = output::buildProcessingReport(
        output::reportFields({}, date, format, std::string_view(), processing::ControlData{}));

    processing::ControlData shown;
    shown.totalText = texts[1];
    shown.countText = texts[2];
    shown.controlCodeText = texts[3];
    const std::string report = output::buildProcessingReport(
        output::reportFields(texts[0], date, format, texts[4], shown));

    require(tagMarks(report) == tagMarks(baseline), "a text opened or closed a tag");
    for (std::size_t i = 1; i < texts.size(); ++i)
        require(report.find(text::escapeHtml(texts[i])) != std::string::npos,
                "a text is missing from the report");
    require(report.find(text::escapeHtml(processing::listFileName(texts[0]))) != std::string::npos,
            "the file name is missing from the report");

    testing::TypedPayer payer;
    payer.name = texts[4];
    payer.kindCode = texts[3];
    testing::preparedRoundTrip(testing::kRoundTripSettings, 0, testing::kRoundTripDelimitedRows,
                               payer, require);
    return 0;
}
