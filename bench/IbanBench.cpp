#include "checks/Iban.h"
#include "checks/giant/Giant.h"

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

namespace {

using velcor::checks::CheckIban;
using velcor::checks::IbanCheckValue;

// Bulgarian IBANs as they appear in payment lists: BG, check digits, a four-letter bank code,
// four branch digits, two account-type digits and an eight-character account.
std::vector<std::string> bulgarianIbans(int count) {
    static constexpr const char* banks[] = {"BNBG", "UNCR", "STSA", "RZBB", "FINV", "UBBS"};
    std::mt19937 random(2024);
    std::vector<std::string> ibans;
    for (int i = 0; i < count; ++i) {
        std::string iban = std::string("BG00") + banks[random() % 6];
        for (int k = 0; k < 14; ++k) iban += static_cast<char>('0' + random() % 10);
        const int value = IbanCheckValue(iban.c_str());
        iban[2] = static_cast<char>('0' + value / 10);
        iban[3] = static_cast<char>('0' + value % 10);
        ibans.push_back(iban);
    }
    return ibans;
}

// Checks the IBANs round and round for as long as the benchmark runs.
void checkInTurn(benchmark::State& state, const std::vector<std::string>& ibans) {
    char message[256];
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            CheckIban(ibans[i++ % ibans.size()].c_str(), message, sizeof message));
    }
    state.SetItemsProcessed(state.iterations());
    state.counters["size_limit"] = velcor::checks::giant_size_limit;
}

void BM_CheckIban(benchmark::State& state) { checkInTurn(state, bulgarianIbans(1024)); }

// Many calls first, so the size limit has long reached 524288 digits: the cost per call must
// not grow with it.
void BM_CheckIbanAfterManyCalls(benchmark::State& state) {
    const std::vector<std::string> ibans = bulgarianIbans(1024);
    char message[256];
    for (int k = 0; k < 100000; ++k) CheckIban(ibans[k & 1023].c_str(), message, sizeof message);
    checkInTurn(state, ibans);
}

void BM_CheckIbanGrouped(benchmark::State& state) {
    std::vector<std::string> ibans;
    for (const std::string& iban : bulgarianIbans(1024)) {
        std::string grouped;
        for (std::size_t pos = 0; pos < iban.size(); ++pos) {
            if (pos > 0 && pos % 4 == 0) grouped += ' ';
            grouped += iban[pos];
        }
        ibans.push_back(grouped);
    }
    checkInTurn(state, ibans);
}

}  // namespace

BENCHMARK(BM_CheckIban);
BENCHMARK(BM_CheckIbanAfterManyCalls);
BENCHMARK(BM_CheckIbanGrouped);
BENCHMARK_MAIN();
