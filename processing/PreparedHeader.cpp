#include "processing/PreparedHeader.h"
#include <algorithm>
#include <cstring>
#include "fileio/FileSystem.h"
#include "processing/Amount.h"
#include "processing/TextModeReader.h"

#include "checks/Iban.h"
#include "processing/BudgetUnitCode.h"
#include "processing/ByteSearch.h"
#include "processing/CheckText.h"
#include "processing/DateTime.h"
#include "settings/Settings.h"
#include "text/Text.h"

#include <string>

namespace velcor::processing {

namespace {

bool allOf(std::string_view text, bool (*fits)(char)) {
    for (const char c : text)
        if (!fits(c)) return false;
    return true;
}
bool isDigit(char c) { return c >= '0' && c <= '9'; }
bool isUpperHex(char c) { return isDigit(c) || (c >= 'A' && c <= 'F'); }

// Nothing when the value does not have exactly eight characters once trimmed.
std::optional<HeaderDate> readDate(std::string_view value) {
    const std::string_view text = text::trimBlanks(value);
    if (text.size() != 8) return std::nullopt;
    HeaderDate date;
    date.day = text::leadingInteger(text.substr(0, 2));
    date.month = text::leadingInteger(text.substr(2, 2));
    date.year = text::leadingInteger(text.substr(4, 4));
    date.valid = allOf(text, isDigit) && isValidDate(date.day, date.month, date.year);
    return date;
}

// Names written by programs that still use the DOS code page MIK have their Cyrillic letters at
// 0x80-0xBF; raising those bytes by 0x40 gives the same letters in Windows-1251. A name that holds
// a Windows-1251 letter (0xC0-0xFF) is Windows-1251 already: its bytes 0x80-0xBF are punctuation
// („ “ – № « ») and stay as they are.
std::string raiseMikLetters(std::string_view value) {
    std::string name(value);
    for (const char c : name)
        if (static_cast<unsigned char>(c) >= 0xC0) return name;
    for (char& c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0xBF) c = static_cast<char>(b + 0x40);
    }
    return name;
}

// The total as the writer puts it: digits, a point and two decimals, a minus sign in front at
// most.
bool isTotal(std::string_view total) {
    if (total.starts_with('-')) total.remove_prefix(1);
    const std::size_t point = total.find('.');
    return point != std::string_view::npos && point > 0 && total.size() - point == 3 &&
           allOf(total.substr(0, point), isDigit) && allOf(total.substr(point + 1), isDigit);
}

// Whether the values read have the shape their layout gives them; the payer's identifiers were
// checked as they were read.
bool readsAsLayout(std::string_view line, std::string_view typeValue,
                   const PreparedHeader& header) {
    const bool payer = header.sebra ? header.payerBic->size() == 8 : true;
    // The writer puts no control byte into a header; a bank would read one as it reads it in a
    // row (a vertical tab, or a CR before the line's end, as a line end).
    std::string_view body = line;
    if (body.ends_with('\n')) body.remove_suffix(1);
    if (body.ends_with('\r')) body.remove_suffix(1);
    return findControlByte(body) == std::string_view::npos &&
           body.find('\r') == std::string_view::npos && typeValue.size() == 5 && header.date &&
           header.date->valid && payer && !header.payerName->empty() &&
           isTotal(*header.totalText) && !header.countText->empty() &&
           allOf(*header.countText, isDigit) && header.controlCodeText->size() == 8 &&
           allOf(*header.controlCodeText, isUpperHex);
}

// Stores value `index` (2 to 7) of the header; false when its check refuses it.
bool takeValue(int index, std::string_view raw, PreparedHeader& header) {
    const std::string_view value = text::trimBlanks(raw);
    switch (index) {
        case 2: {
            if (header.sebra) {
                header.payerBic.emplace(value);
                return true;
            }
            header.payerIban.emplace(value);
            char reason[kReasonBufferSize] = {};
            if (checks::CheckIban(CheckText(value).c_str(), reason, sizeof reason)) return true;
            header.refusal = HeaderRefusal::payerIban;
            header.ibanReason = reason;
            return false;
        }
        case 3:
            if (!header.sebra) {
                header.paymentKindCode.emplace(value);
                return true;
            }
            header.budgetUnitCode.emplace(value);
            if (CheckBudgetUnitCode(CheckText(value).c_str())) return true;
            header.refusal = HeaderRefusal::budgetUnitCode;
            return false;
        case 4:
            header.payerName.emplace(text::trimBlanks(raiseMikLetters(raw)));
            return true;
        case 5:
            header.totalText.emplace(value);
            return true;
        case 6:
            header.countText.emplace(value);
            return true;
        default:
            header.controlCodeText.emplace(value);
            return true;
    }
}

}  // namespace

PreparedHeader readPreparedHeader(std::string_view line) {
    PreparedHeader header;
    header.sebra = line.size() >= 5 && line.substr(3, 2) == settings::kSebraTypeName;
    // The values between semicolons: the type, the date, then values 2 to 7.
    std::size_t semicolon = line.find(';');
    const std::string_view type = line.substr(0, semicolon);
    for (int index = 1; index <= 7; ++index) {
        const std::size_t next =
            semicolon == std::string_view::npos ? semicolon : line.find(';', semicolon + 1);
        if (next == std::string_view::npos) {
            header.refusal = HeaderRefusal::notAHeader;
            return header;
        }
        const std::string_view value = line.substr(semicolon + 1, next - semicolon - 1);
        if (index == 1)
            header.date = readDate(value);
        else if (!takeValue(index, value, header))
            return header;
        semicolon = next;
    }
    if (!readsAsLayout(line, type, header)) {
        header.refusal = HeaderRefusal::notAHeader;
        return header;
    }
    header.complete = true;
    return header;
}

std::string headerFormatDescription(const settings::FormatDefinition* format) {
    if (format == nullptr || !format->delimited) return {};
    return "DELIMITED(" + std::string(1, format->delimiter) + ")";
}

// The kind code goes into the header only for payers whose IBAN has the digit 8 as its 13th
// character; a shorter IBAN has no such character and gets the one-blank column.
static std::string kindCodeColumn(const PayerData& payer) {
    if (processing::hasBudgetAccountDigit(payer.iban)) return payer.kindCode;
    return " ";
}

std::string buildHeaderLine(const PayerData& payer, const LocalDateTime& date,
                            const ControlData& data, const settings::FormatDefinition* format) {
    const std::string upperName = format != nullptr ? text::upperLatin(format->name) : "";
    const std::string description = headerFormatDescription(format);
    const std::string name(text::trimWhitespace(payer.name));
    const std::string total = formatCents(data.totalSum, 20);

    // The blank flag of "% 22s" and the like has no effect on strings, so the widths alone give
    // the columns; "% 6lld" keeps its blank in place of a plus sign.
    if (settings::isSebraType(format)) {
        const std::string bic(text::trimWhitespace(payer.bic));
        return text::format("OMPSB;%02d%02d%04d;", date.day, date.month, date.year) +
               text::format("%-8s;%-10s;%-35s;%s;% 6lld; %8s; %s\r\n", bic.c_str(),
                            payer.budgetUnitCode.c_str(), name.c_str(), total.c_str(),
                            static_cast<long long>(data.recordCount), data.controlCodeText.c_str(),
                            description.c_str());
    }
    const std::string code = upperName.substr(0, 2);
    return text::format("OMP%2.2s;%02d%02d%04d;", code.c_str(), date.day, date.month, date.year) +
           text::format("%22s;%6s;%-35s;%s;% 6lld; %8s; %s\r\n", payer.iban.c_str(),
                        kindCodeColumn(payer).c_str(), name.c_str(), total.c_str(),
                        static_cast<long long>(data.recordCount), data.controlCodeText.c_str(),
                        description.c_str());
}

bool headerReadsBack(std::string_view header, const LocalDateTime& date, const ControlData& data) {
    if (!header.ends_with("\r\n")) return false;
    // The header as the file the scan would open.
    fileio::BytesReadFile file(header);
    TextModeReader reader(file);
    std::string_view line;
    if (reader.next(line) != TextModeReader::Result::piece) return false;
    // Text mode turns the closing CR LF into LF; anything that ends the line sooner would leave
    // the rest of the header to be read as a payment row.
    const std::string_view body = header.substr(0, header.size() - 2);
    if (line.size() != body.size() + 1 || !line.starts_with(body) || !line.ends_with('\n'))
        return false;
    // The scan takes only such a first line for a header.
    if (!line.starts_with("OMP")) return false;

    // A value the reader refuses (a payer IBAN, say) is not told here: a header that does not
    // read back is refused as a whole.
    const PreparedHeader read = readPreparedHeader(line);
    if (read.refusal != HeaderRefusal::none || !read.complete) return false;

    return read.date && read.date->valid && read.date->day == date.day &&
           read.date->month == date.month && read.date->year == date.year &&
           read.totalText == text::trimBlanks(data.totalText) &&
           read.countText == text::trimBlanks(data.countText) &&
           read.controlCodeText == text::trimBlanks(data.controlCodeText);
}

}  // namespace velcor::processing
