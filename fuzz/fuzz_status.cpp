// Feeds any bytes as a bank's status report (pain.002) answering an export of three payments
// whose record is kept. What must hold beside "no crash":
//  - a report read counts every payment of the export once: accepted, rejected and pending add
//    up to three, and each payment not accepted is told exactly once, with its record's row;
//  - the rejected list it writes holds exactly the rejected rows, as the record keeps them, in
//    row order;
//  - a report refused says why, tells no payment and writes no list.

#include "output/StatusReport.h"
#include "session/StatusTexts.h"
#include "support/MemoryFileSystem.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>

namespace {

using namespace velcor;

void require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "property broken: %s\n", what);
        std::abort();
    }
}

constexpr const char* kFolder = "/data";
constexpr const char* kReport = "/report.xml";
constexpr const char* kRejected = "/rejected.1DP";

// The export the seeds answer: ids ID-1 to ID-3, the rows' lines "row N\r\n" as the list held
// them.
void keepRecord(testing::MemoryFileSystem& fs) {
    output::SepaRecorder recorder(fs, kFolder);
    bool kept = recorder.begin({"VC20260115100000-0000000000AB",
                                output::PainVersion::v09,
                                "/O150126P.1DP",
                                {2026, 1, 15, 0, 0, 0, true},
                                3,
                                6000});
    for (int row = 1; row <= 3; ++row)
        kept = kept && recorder.add({"ID-" + std::to_string(row), row, row * 1000,
                                     "NAME " + std::to_string(row), "BG80BNBG96611020345678",
                                     "row " + std::to_string(row) + "\n"});
    kept = kept && recorder.finish({1, {}}, true) && recorder.place();
    require(kept, "the record is not kept");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    testing::MemoryFileSystem fs;
    keepRecord(fs);
    fs.files[kReport] = std::string(reinterpret_cast<const char*>(data), size);
    std::multiset<std::int64_t> told;
    std::set<std::int64_t> rejected;
    output::StatusReadOptions options;
    options.rejectedListPath = kRejected;
    options.payments = [&](const output::PaymentStatusLine& line) {
        require(line.row >= 1 && line.row <= 3, "a payment told that the export did not write");
        require(line.state != output::PaymentState::accepted, "an accepted payment told");
        told.insert(line.row);
        if (line.state == output::PaymentState::rejected) rejected.insert(line.row);
    };
    const output::StatusReport report = output::readStatusReport(fs, kReport, kFolder, options);
    const auto list = fs.files.find(kRejected);
    if (!report.ok()) {
        require(!session::statusErrorText(report, kReport).empty(), "a refusal without its text");
        require(told.empty(), "a refused report told a payment");
        require(list == fs.files.end(), "a refused report wrote a rejected list");
        return 0;
    }
    require(report.accepted + report.rejected + report.pending == 3,
            "the payments do not add up to the export's");
    require(static_cast<std::int64_t>(told.size()) == report.rejected + report.pending,
            "not every payment not accepted is told");
    require(std::set<std::int64_t>(told.begin(), told.end()).size() == told.size(),
            "a payment told twice");
    require(static_cast<std::int64_t>(rejected.size()) == report.rejected,
            "the rejected payments told are not those counted");
    std::string rows;
    for (const std::int64_t row : rejected) rows += "row " + std::to_string(row) + "\r\n";
    if (report.rejected == 0) {
        require(list == fs.files.end(), "a rejected list without a rejected row");
    } else {
        require(list != fs.files.end() && list->second == rows,
                "the rejected list is not the rejected rows as the list held them");
        require(report.rejectedRows == report.rejected, "the rejected list's count");
    }
    return 0;
}
