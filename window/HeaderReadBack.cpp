#include "window/HeaderReadBack.h"

#include "processing/Scan.h"
#include "processing/TextModeReader.h"
#include "text/Text.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace velcor::window {

namespace {

// The header as the file the scan would open.
class HeaderFile : public fileio::ReadFile {
  public:
    explicit HeaderFile(std::string_view bytes) : rest_(bytes) {}
    std::ptrdiff_t read(char* buffer, std::size_t size) override {
        const std::size_t count = std::min(size, rest_.size());
        if (count > 0) std::memcpy(buffer, rest_.data(), count);
        rest_.remove_prefix(count);
        return static_cast<std::ptrdiff_t>(count);
    }

  private:
    std::string_view rest_;
};

// The reader's own messages (a payer IBAN it rejects, say) are not for the operator here: a
// header that does not read back is refused as a whole.
class SilentHost : public processing::ScanHost {
  public:
    bool readControls() override { return true; }
    void updateControls() override {}
    void showMessage(std::string_view) override {}
    int selectedPaymentType() override { return -1; }
};

}  // namespace

bool headerReadsBack(std::string_view header, const processing::WorkingState& state) {
    if (!header.ends_with("\r\n")) return false;
    HeaderFile file(header);
    processing::TextModeReader reader(file);
    std::string_view line;
    if (reader.next(line) != processing::TextModeReader::Result::piece) return false;
    // Text mode turns the closing CR LF into LF; anything that ends the line sooner would leave
    // the rest of the header to be read as a payment row.
    const std::string_view body = header.substr(0, header.size() - 2);
    if (line.size() != body.size() + 1 || !line.starts_with(body) || !line.ends_with('\n'))
        return false;
    // The scan takes only such a first line for a header.
    if (!line.starts_with("OMP")) return false;

    processing::WorkingState scratch;
    scratch.paymentDate = {};
    scratch.paymentDate.valid = false;
    SilentHost host;
    if (!processing::readPreparedHeader(line, scratch, host) || !scratch.filePrepared) return false;

    const processing::LocalDateTime& date = state.paymentDate;
    const processing::LocalDateTime& read = scratch.paymentDate;
    return read.valid && read.day == date.day && read.month == date.month &&
           read.year == date.year && scratch.totalText == text::trimBlanks(state.totalText) &&
           scratch.countText == text::trimBlanks(state.countText) &&
           scratch.controlCodeText == text::trimBlanks(state.controlCodeText);
}

}  // namespace velcor::window
