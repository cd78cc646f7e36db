// How fast a large payment list is scanned, and what that costs in memory, against a plain read
// of the same file that only computes the CRC.

#include "ListGenerator.h"
#include "fileio/FileSystem.h"
#include "processing/ControlData.h"
#include "processing/Scan.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace velcor::bench {
namespace {

constexpr int kRows = 1'000'000;

double peakResidentMegabytes() {
#if defined(_WIN32)
    return 0.0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
#endif
}

struct GeneratedList {
    std::string path;
    std::uint64_t size = 0;
    double residentBeforeScans = 0.0;  // the process's peak before any scan ran
    GeneratedList() {
        path = (std::filesystem::temp_directory_path() / "velcor-scan-bench.txt").string();
        size = writeGeneratedList(path, kRows);
        residentBeforeScans = peakResidentMegabytes();
    }
    ~GeneratedList() { std::remove(path.c_str()); }
};

const GeneratedList& list() {
    static const GeneratedList generated;
    return generated;
}

// Scans the generated list; with `checked` false no payment type is selected, so the same scan
// reads, splits and keeps the rows and computes the control data, but checks no field: the
// difference between the two is what the row checks cost.
void scanList(benchmark::State& bench, bool checked) {
    const GeneratedList& file = list();
    const settings::FormatDefinition format = generatedListFormat();
    bool ok = true;
    for (auto _ : bench) {
        const processing::ScanResult result = processing::scanPaymentFile(
            fileio::standardFileSystem(), file.path, checked ? &format : nullptr, ';');
        ok = result.error == processing::ScanError::none && result.rowFindings.empty() && ok;
        if (result.controlData.recordCount != kRows) bench.SkipWithError("rows lost");
        benchmark::DoNotOptimize(result.controlData.controlCrc);
    }
    if (!ok) bench.SkipWithError("the generated list did not pass its checks");
    bench.SetItemsProcessed(bench.iterations() * kRows);
    bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(file.size));
    const double fileMegabytes = static_cast<double>(file.size) / (1024.0 * 1024.0);
    bench.counters["file_MB"] = fileMegabytes;
    bench.counters["peak_rss_MB"] = peakResidentMegabytes();
    bench.counters["rss_before_scans_MB"] = file.residentBeforeScans;
    bench.counters["limit_MB"] = 1.25 * fileMegabytes + 40.0;
}

void BM_ScanList(benchmark::State& bench) { scanList(bench, true); }
void BM_ScanListWithoutChecks(benchmark::State& bench) { scanList(bench, false); }
BENCHMARK(BM_ScanList)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_ScanListWithoutChecks)->Unit(benchmark::kMillisecond)->MinTime(2.0);

void BM_ReadWithCrcOnly(benchmark::State& bench) {
    const GeneratedList& file = list();
    std::vector<char> buffer(64 * 1024);
    for (auto _ : bench) {
        std::error_code cause;
        std::unique_ptr<fileio::ReadFile> in =
            fileio::standardFileSystem().openRead(file.path, cause);
        std::uint32_t crc = 0xFFFFFFFFu;
        std::ptrdiff_t got;
        while ((got = in->read(buffer.data(), buffer.size())) > 0)
            crc = processing::crc32Update(crc, buffer.data(), static_cast<std::size_t>(got));
        benchmark::DoNotOptimize(crc);
    }
    bench.SetItemsProcessed(bench.iterations() * kRows);
    bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(file.size));
}
BENCHMARK(BM_ReadWithCrcOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velcor::bench

BENCHMARK_MAIN();
