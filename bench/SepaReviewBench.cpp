// What the SEPA dialog's preview of a large list costs: the review reads a million rows again and
// keeps no more of their names than its bound, however many of them change on the way to Latin.

#include "ListGenerator.h"
#include "fileio/FileSystem.h"
#include "output/SepaExport.h"
#include "output/Transliteration.h"
#include "processing/Scan.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace velcor::bench {
namespace {

using namespace velcor::text::literals;

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

// The names of a million rows, every third of which loses a character (its quotes) in Latin.
void BM_SepaNamesOfAMillionRows(benchmark::State& bench) {
    output::SepaPayment plain;
    plain.writtenName = "Иван Петров Иванов"_cp;
    plain.name = output::sepaText(plain.writtenName, output::kMaxSepaName);
    output::SepaPayment changed;
    changed.writtenName = "Строй \"Север\" ЕООД"_cp;
    changed.name = output::sepaText(changed.writtenName, output::kMaxSepaName);
    std::size_t shown = 0;
    std::int64_t leftOut = 0;
    for (auto _ : bench) {
        output::SepaNames names;
        for (std::int64_t row = 1; row <= kRows; ++row) {
            output::SepaPayment& payment = row % 3 == 0 ? changed : plain;
            payment.row = row;
            names.add(payment);
        }
        shown = names.shown.size();
        leftOut = names.leftOut;
        if (shown > output::SepaNames::kShown)
            bench.SkipWithError("more names kept than the bound");
        if (static_cast<std::int64_t>(shown) + leftOut != kRows) bench.SkipWithError("rows lost");
    }
    bench.SetItemsProcessed(bench.iterations() * kRows);
    bench.counters["shown"] = static_cast<double>(shown);
    bench.counters["left_out"] = static_cast<double>(leftOut);
    bench.counters["peak_rss_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_SepaNamesOfAMillionRows)->Unit(benchmark::kMillisecond);

// The review the dialog waits for, with its progress, on a generated list of a million rows.
void BM_ReviewSepaListOfAMillionRows(benchmark::State& bench) {
    const std::string path =
        (std::filesystem::temp_directory_path() / "velcor-sepa-review-bench.txt").string();
    if (writeGeneratedList(path, kRows) == 0) {
        bench.SkipWithError("the list could not be written");
        return;
    }
    fileio::FileSystem& fs = fileio::standardFileSystem();
    const settings::FormatDefinition format = generatedListFormat();
    const processing::ScanResult scan = processing::scanPaymentFile(fs, path, &format, ';');
    const output::SepaList list{
        path, &format, ';', scan.stamp, scan.controlData.recordCount, scan.controlData.totalSum};
    const double residentBefore = peakResidentMegabytes();
    std::size_t shown = 0;
    for (auto _ : bench) {
        std::uint64_t reports = 0;
        const output::SepaReview review =
            output::reviewSepaList(fs, list, output::PainVersion::v09,
                                   [&](std::uint64_t, std::uint64_t) { return ++reports > 0; });
        if (review.error != output::SepaListError::none) bench.SkipWithError("review failed");
        shown = review.names.shown.size();
        if (shown > output::SepaNames::kShown)
            bench.SkipWithError("more names kept than the bound");
        benchmark::DoNotOptimize(reports);
    }
    std::remove(path.c_str());
    bench.SetItemsProcessed(bench.iterations() * kRows);
    bench.counters["shown"] = static_cast<double>(shown);
    bench.counters["rss_before_MB"] = residentBefore;
    bench.counters["peak_rss_MB"] = peakResidentMegabytes();
}
BENCHMARK(BM_ReviewSepaListOfAMillionRows)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace
}  // namespace velcor::bench

BENCHMARK_MAIN();
