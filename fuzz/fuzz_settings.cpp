// Feeds any bytes to the settings loader as omp.ini, then saves what it loaded. What must hold:
//  - the kept remainder is every line outside [CLIENT] (a line that opens with "[" but holds no
//    "]" too), byte for byte;
//  - a failed load has a reason the window tells the operator;
//  - the save succeeds, unless a payer value is too long for one line of the file as the loader
//    reads it, and then omp.ini stays as it was;
//  - the saved file is the remainder with the [CLIENT] block put in, and loading it again gives
//    the same formats and the same payer values;
//  - under each of its first payment types, good rows prepared as the window prepares them give
//    a file a bank reads as one checked row per data line, with the count, total and control
//    code the list gives again (support/PreparedRoundTrip.h).

#include "session/Messages.h"
#include "settings/Settings.h"
#include "support/MemoryFileSystem.h"
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

// The lines outside [CLIENT], worked out apart from the loader.
std::string linesOutsideClient(std::string_view bytes) {
    std::string kept;
    bool inClient = false;
    while (!bytes.empty()) {
        std::size_t size = bytes.find('\n');
        size = size == std::string_view::npos ? bytes.size() : size + 1;
        if (size > 4094) size = 4094;
        const std::string_view line = bytes.substr(0, size);
        bytes.remove_prefix(size);
        const std::string_view seen = text::trimBlanks(line.substr(0, line.find('\0')));
        const std::size_t close = seen.starts_with('[') ? seen.find(']') : std::string_view::npos;
        if (close != std::string_view::npos) {
            inClient = text::equalsIgnoreAsciiCase(seen.substr(1, close - 1), "CLIENT");
            if (inClient) continue;
        }
        if (!inClient) kept += line;
    }
    return kept;
}

bool sameFormats(const std::vector<settings::FormatDefinition>& a,
                 const std::vector<settings::FormatDefinition>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].name != b[i].name || a[i].delimited != b[i].delimited ||
            a[i].delimiter != b[i].delimiter || a[i].fields.size() != b[i].fields.size())
            return false;
        for (std::size_t k = 0; k < a[i].fields.size(); ++k) {
            const auto& x = a[i].fields[k];
            const auto& y = b[i].fields[k];
            if (x.name != y.name || x.number != y.number || x.start != y.start || x.end != y.end)
                return false;
        }
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    testing::MemoryFileSystem fs;
    fs.files["omp.ini"] = bytes;

    settings::LoadedSettings loaded;
    const settings::LoadResult load = settings::loadSettings(fs, "omp.ini", loaded);
    if (!load.ok()) {
        require(session::loadErrorMessage(load, "omp.ini").has_value(),
                "a refused file that could be read is refused with a message");
        return 0;
    }
    require(loaded.formats.size() == loaded.entryTexts.size(), "one entry per format");
    require(loaded.iniRemainder == linesOutsideClient(bytes), "remainder lost or gained bytes");

    // Payer values that pass every check, and rows split at each format's own delimiter.
    const testing::TypedPayer goodPayer{"BG48BNBG96618000123456", "BNBGBGSD", "PAYER", "101",
                                        "1234563"};
    for (std::size_t position = 0; position < loaded.formats.size() && position < 3; ++position) {
        const settings::FormatDefinition& format = loaded.formats[position];
        std::string rows(format.delimited ? testing::kRoundTripDelimitedRows
                                          : testing::kRoundTripFixedRows);
        if (format.delimited) std::replace(rows.begin(), rows.end(), ';', format.delimiter);
        testing::preparedRoundTrip(bytes, static_cast<int>(position), rows, goodPayer, require);
    }

    const settings::PayerValues payer{loaded.client.bic, loaded.client.iban, loaded.client.name,
                                      loaded.client.code};
    const settings::SaveResult save =
        settings::writeSettings(fs, "omp.ini", payer, loaded.iniRemainder);
    // A line is read 4094 bytes at a time: a longer "IBAN = ..." would load back cut short.
    const bool fitsOnALine =
        payer.payerBic.size() <= 4094 - 6 && payer.payerIban.size() <= 4094 - 7 &&
        payer.payerName.size() <= 4094 - 6 && payer.budgetUnitCode.size() <= 4094 - 6;
    if (!fitsOnALine) {
        require(save == settings::SaveResult::writeFailed, "a value too long for a line is saved");
        require(fs.files["omp.ini"] == bytes, "a refused save changed omp.ini");
        return 0;
    }
    require(save == settings::SaveResult::ok, "saving to memory");
    require(fs.files["omp.ini.bak"] == bytes, "the backup holds the file as it was");

    // The saved file is the remainder with the block put in after the lines that stood before
    // any section. The block's text may stand in those lines too, so every place is tried.
    const std::string& saved = fs.files["omp.ini"];
    const std::string block = "[CLIENT]\r\nBIC = " + payer.payerBic +
                              "\r\nIBAN = " + payer.payerIban + "\r\nNAME= " + payer.payerName +
                              "\r\nCODE= " + payer.budgetUnitCode + "\r\n\r\n";
    require(saved.size() >= block.size() + loaded.iniRemainder.size(), "the save is complete");
    bool keptWhole = false;
    for (std::size_t at = saved.find(block); at != std::string::npos && !keptWhole;
         at = saved.find(block, at + 1)) {
        const std::string leading = saved.substr(0, at);
        const std::string rest = saved.substr(at + block.size());
        // A leading line without its line end is given one, so that it does not swallow [CLIENT].
        const std::string_view shorter = std::string_view(leading).substr(
            0, leading.ends_with("\r\n") ? leading.size() - 2 : leading.size());
        keptWhole = leading + rest == loaded.iniRemainder ||
                    (shorter.size() < leading.size() && !shorter.ends_with('\n') &&
                     std::string(shorter) + rest == loaded.iniRemainder);
    }
    require(keptWhole, "the save lost or changed bytes outside [CLIENT]");

    settings::LoadedSettings reloaded;
    require(settings::loadSettings(fs, "omp.ini", reloaded).ok(), "the saved file loads");
    require(sameFormats(reloaded.formats, loaded.formats), "formats changed by a save");
    require(reloaded.entryTexts == loaded.entryTexts, "payment types changed by a save");
    require(reloaded.client.bic == payer.payerBic && reloaded.client.iban == payer.payerIban &&
                reloaded.client.name == payer.payerName &&
                reloaded.client.code == payer.budgetUnitCode,
            "payer values changed by a save");
    return 0;
}
