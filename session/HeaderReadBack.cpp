#include "session/HeaderReadBack.h"

#include "processing/PreparedHeader.h"
#include "processing/TextModeReader.h"
#include "text/Text.h"

#include <algorithm>
#include <cstring>

namespace velcor::session {

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

}  // namespace

bool headerReadsBack(std::string_view header, const ListState& state) {
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

    // A value the reader refuses (a payer IBAN, say) is not told here: a header that does not
    // read back is refused as a whole.
    const processing::PreparedHeader read = processing::readPreparedHeader(line);
    if (read.refusal != processing::HeaderRefusal::none || !read.complete) return false;

    const processing::LocalDateTime& date = state.paymentDate;
    return read.date && read.date->valid && read.date->day == date.day &&
           read.date->month == date.month && read.date->year == date.year &&
           read.totalText == text::trimBlanks(state.totalText) &&
           read.countText == text::trimBlanks(state.countText) &&
           read.controlCodeText == text::trimBlanks(state.controlCodeText);
}

}  // namespace velcor::session
