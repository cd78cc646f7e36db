// How fast omp.ini loads when one of its lines is very long (a pasted blob, a file that lost its
// line ends): the line is read in pieces of 4094 bytes, and the time should grow with its length,
// not with its square. And how fast a session opens a list under a payment type of very many
// fields: the time should grow with their number, not with its square.

#include "fileio/FileSystem.h"
#include "session/ListSession.h"
#include "settings/Settings.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace velcor::bench {
namespace {

constexpr std::int64_t kMegabyte = 1024 * 1024;

// An omp.ini whose DP section holds, between its format key and its fields, one comment line of
// `lineBytes` bytes without a line end of its own until the very end.
struct SettingsWithLongLine {
    std::string path;
    std::uint64_t size = 0;
    explicit SettingsWithLongLine(std::int64_t lineBytes) {
        path = (std::filesystem::temp_directory_path() /
                ("velcor-settings-bench-" + std::to_string(lineBytes) + ".ini"))
                   .string();
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        const std::string head =
            "[CLIENT]\r\nBIC = BNBGBGSD\r\nIBAN = BG48BNBG96618000123456\r\nNAME = Firma\r\n"
            "CODE = 1234563\r\n[DP]\r\nFORMAT = DELIMITED(;)\r\n; ";
        const std::string tail = "\r\nIBAN = 1\r\nBIC = 2\r\nNAME = 3\r\nSUM = 4\r\n";
        out << head;
        const std::string block(static_cast<std::size_t>(kMegabyte), 'x');
        for (std::int64_t left = lineBytes; left > 0; left -= kMegabyte)
            out.write(block.data(), static_cast<std::streamsize>(std::min(left, kMegabyte)));
        out << tail;
        out.close();
        size = std::filesystem::file_size(path);
    }
    ~SettingsWithLongLine() { std::remove(path.c_str()); }
};

void BM_LoadSettingsWithLongLine(benchmark::State& bench) {
    const SettingsWithLongLine file(bench.range(0) * kMegabyte);
    bool ok = true;
    for (auto _ : bench) {
        settings::LoadedSettings loaded;
        ok = settings::loadSettings(fileio::standardFileSystem(), file.path, loaded).ok() &&
             loaded.formats.size() == 1 && loaded.formats[0].fields.size() == 4 && ok;
        benchmark::DoNotOptimize(loaded.iniRemainder.data());
    }
    if (!ok) bench.SkipWithError("the settings did not load as written");
    bench.SetBytesProcessed(bench.iterations() * static_cast<std::int64_t>(file.size));
    bench.counters["line_MB"] = static_cast<double>(bench.range(0));
}
BENCHMARK(BM_LoadSettingsWithLongLine)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond);

// Settings whose DP type has `fields` PAYMENT fields after its IBAN and SUM, and a one-row list.
struct SettingsWithManyFields {
    std::filesystem::path folder;
    explicit SettingsWithManyFields(std::int64_t fields) {
        folder = std::filesystem::temp_directory_path() /
                 ("velcor-fields-bench-" + std::to_string(fields));
        std::filesystem::create_directories(folder);
        std::ofstream ini(folder / "omp.ini", std::ios::binary | std::ios::trunc);
        ini << "[CLIENT]\r\nIBAN = BG48BNBG96618000123456\r\nNAME = Firma\r\n"
               "[DP]\r\nFORMAT = DELIMITED(;)\r\nIBAN = 1\r\nSUM = 2\r\n";
        for (std::int64_t i = 0; i < fields; ++i)
            ini << "PAYMENT_" << i << " = " << i + 3 << "\r\n";
        std::ofstream list(folder / "O081206P.1DP", std::ios::binary | std::ios::trunc);
        list << "BG80BNBG96611020345678;12.50\r\n";
    }
    ~SettingsWithManyFields() {
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

void BM_OpenListUnderManyFields(benchmark::State& bench) {
    const SettingsWithManyFields files(bench.range(0));
    bool ok = true;
    for (auto _ : bench) {
        session::ListSession session(fileio::standardFileSystem(),
                                     (files.folder / "omp.ini").string());
        ok = session.loadSettings().done() && ok;
        session.open((files.folder / "O081206P.1DP").string());
        ok = session.state().countText == "1" && ok;
    }
    if (!ok) bench.SkipWithError("the list did not open");
    bench.SetItemsProcessed(bench.iterations() * bench.range(0));
}
BENCHMARK(BM_OpenListUnderManyFields)->Arg(12000)->Arg(120000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace velcor::bench

BENCHMARK_MAIN();
