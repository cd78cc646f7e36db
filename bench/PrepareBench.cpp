// How long "Подготовка" of a large list takes with what it keeps for undoing it, and what that
// costs in memory, against the simplest program that looks at every byte of the same file: a
// read with a byte-wise CRC-32. The prepare reads the list again, writes and syncs the prepared
// file, digests both, keeps the list as it was (a hard link on one file system, a copy across
// two) and writes the record; the ratio is the one the prepare is held to.

#include "ListGenerator.h"
#include "fileio/FileSystem.h"
#include "output/PrepareHistory.h"
#include "output/PreparedFile.h"
#include "processing/Scan.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace velcor::bench {
namespace {

constexpr int kRows = 1'000'000;
constexpr double kRatioLimit = 2.5;
constexpr double kResidentLimitMegabytes = 16.0;

double peakResidentMegabytes() {
#if defined(_WIN32)
    return 0.0;
#else
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;  // kilobytes on Linux
#endif
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// The reference: the file read in 64 KiB blocks and its CRC-32 taken a byte at a time through
// one table, as bench/process/ReadCrc.c does it.
std::uint32_t readWithBytewiseCrc(const std::string& path) {
    static const std::array<std::uint32_t, 256> table = [] {
        std::array<std::uint32_t, 256> made{};
        for (std::uint32_t i = 0; i < 256; ++i) {
            std::uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            made[i] = c;
        }
        return made;
    }();
    std::vector<unsigned char> buffer(64 * 1024);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return 0;
    std::uint32_t crc = 0xFFFFFFFFu;
    std::size_t got;
    while ((got = std::fread(buffer.data(), 1, buffer.size(), file)) > 0)
        for (std::size_t i = 0; i < got; ++i) crc = table[(crc ^ buffer[i]) & 0xFF] ^ (crc >> 8);
    std::fclose(file);
    return ~crc;
}

// Lays the list as generated in place, on the disk already, as a list a user prepares has long
// been: its write-back does not compete with the prepare's own sync.
void layList(const std::string& source, const std::string& list) {
    std::filesystem::copy_file(source, list, std::filesystem::copy_options::overwrite_existing);
#if !defined(_WIN32)
    const int fd = ::open(list.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
#endif
}

// A list and its history folder beside it (one file system).
struct Workplace {
    std::filesystem::path folder;
    std::string source;  // the list as generated, laid anew before each prepare
    std::string list;
    std::string history;
    std::uint64_t size = 0;
    processing::ControlData expected;

    Workplace() {
        folder = std::filesystem::temp_directory_path() / "velcor-prepare-bench";
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder);
        source = (folder / "generated.txt").string();
        list = (folder / "O081206P.1DP").string();
        history = (folder / "undo").string();
        size = writeGeneratedList(source, kRows);
        expected = processing::scanPaymentFile(fileio::standardFileSystem(), source, nullptr, ' ')
                       .controlData;
    }
    ~Workplace() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Workplace& workplace() {
    static Workplace made;
    return made;
}

// The standard file system as it is on two file systems: no link can be made, the list is copied.
class WithoutLinks final : public fileio::ForwardingFileSystem {
  public:
    WithoutLinks() : ForwardingFileSystem(fileio::standardFileSystem()) {}
    bool hardLink(const std::string&, const std::string&, std::error_code& cause) override {
        cause = std::make_error_code(std::errc::cross_device_link);
        return false;
    }
};

// One prepare as the window makes it, from the kept copy to the settled history, of the list as
// generated. The reference reads the same list right before each prepare, so that both meet the
// machine as it is at the time: the ratio is of their sums.
void prepareList(benchmark::State& bench, fileio::FileSystem& fs) {
    Workplace& place = workplace();
    output::PrepareHistory history(fs, place.history);
    double seconds = 0.0;
    double referenceSeconds = 0.0;
    bool ok = true;
    for (auto _ : bench) {
        bench.PauseTiming();
        layList(place.source, place.list);
        const auto reading = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(readWithBytewiseCrc(place.list));
        referenceSeconds += secondsSince(reading);
        bench.ResumeTiming();
        const auto start = std::chrono::steady_clock::now();
        const std::optional<fileio::FileStamp> stamp = fs.stamp(place.list);
        const output::KeptCopy kept = history.keepCopy(place.list, *stamp);
        std::error_code cause;
        const output::PreparedWrite written = output::writePreparedFile(
            fs, place.list, "OMPDP;08122006;header\r\n", place.expected, stamp, {},
            [&](const fileio::ContentDigest& original, const fileio::ContentDigest& prepared) {
                return history.record(kept.pending, original, prepared, cause);
            });
        history.settle(kept.pending);
        seconds += secondsSince(start);
        ok = ok && kept.result == output::KeepResult::kept && written.replaced.ok();
        // The entry goes again, so that the disk does not fill with kept lists.
        bench.PauseTiming();
        history.discard(kept.pending);
        bench.ResumeTiming();
    }
    if (!ok) bench.SkipWithError("a prepare failed");
    bench.SetItemsProcessed(bench.iterations() * kRows);
    bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(place.size));
    bench.counters["file_MB"] = static_cast<double>(place.size) / (1024.0 * 1024.0);
    bench.counters["read_crc_ms"] =
        referenceSeconds * 1000.0 / static_cast<double>(bench.iterations());
    bench.counters["ratio_to_read_crc"] = seconds / referenceSeconds;
    bench.counters["ratio_limit"] = kRatioLimit;
    bench.counters["peak_rss_MB"] = peakResidentMegabytes();
    bench.counters["rss_limit_MB"] = kResidentLimitMegabytes;
}

void BM_PrepareKeepingTheListByALink(benchmark::State& bench) {
    prepareList(bench, fileio::standardFileSystem());
}
void BM_PrepareKeepingACopyOfTheList(benchmark::State& bench) {
    WithoutLinks fs;
    prepareList(bench, fs);
}
BENCHMARK(BM_PrepareKeepingTheListByALink)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_PrepareKeepingACopyOfTheList)->Unit(benchmark::kMillisecond)->MinTime(3.0);

void BM_ReadWithBytewiseCrc(benchmark::State& bench) {
    const Workplace& place = workplace();
    for (auto _ : bench) benchmark::DoNotOptimize(readWithBytewiseCrc(place.list));
    bench.SetItemsProcessed(bench.iterations() * kRows);
    bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(place.size));
}
BENCHMARK(BM_ReadWithBytewiseCrc)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velcor::bench

BENCHMARK_MAIN();
