// Writes a generated payment list of the given number of rows, for measuring whole velcor-cli
// runs on it. Usage: make-list ROWS FILE
#include "ListGenerator.h"

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-list ROWS FILE\n");
        return 2;
    }
    const std::uint64_t written = velcor::bench::writeGeneratedList(argv[2], std::atoi(argv[1]));
    if (written == 0) return 1;
    std::printf("%llu bytes\n", static_cast<unsigned long long>(written));
    return 0;
}
