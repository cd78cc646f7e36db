#include "settings/Settings.h"

#include "settings/SettingsLines.h"

#include "text/Text.h"
#include "text/Utf8Sniffer.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>

namespace velcor::settings {

namespace {

constexpr std::string_view kCommentMark = "//";

enum class Section { none, client, format };

struct KeyLine {
    std::string_view key;    // trimmed
    std::string_view value;  // cut at the first "//", not trimmed
};

std::optional<KeyLine> splitKeyLine(std::string_view trimmed) {
    const std::size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return std::nullopt;
    KeyLine line{text::trimBlanks(trimmed.substr(0, equals)), trimmed.substr(equals + 1)};
    const std::size_t comment = line.value.find(kCommentMark);
    if (comment != std::string_view::npos) line.value = line.value.substr(0, comment);
    return line;
}

void applyClientKey(const KeyLine& line, ClientData& client) {
    const auto set = [&](std::string& value, bool& wasEmpty) {
        value = std::string(text::trimWhitespace(line.value));
        if (value.empty()) wasEmpty = true;
    };
    if (text::equalsIgnoreAsciiCase(line.key, "BIC"))
        set(client.bic, client.bicWasEmpty);
    else if (text::equalsIgnoreAsciiCase(line.key, "IBAN"))
        set(client.iban, client.ibanWasEmpty);
    else if (text::equalsIgnoreAsciiCase(line.key, "NAME"))
        set(client.name, client.nameWasEmpty);
    else if (text::equalsIgnoreAsciiCase(line.key, "CODE"))
        set(client.code, client.codeWasEmpty);
}

// "DELIMITED" (exact case) makes the section delimited; the first character other than a blank
// inside the brackets that follow, if any, is the delimiter. Only blanks are passed over there:
// a TAB between the brackets is the TAB-separated layout, not padding. A later key may change the
// delimiter, but a section once delimited stays so.
void applyFormatKey(std::string_view value, FormatDefinition& format) {
    const std::string_view trimmed = text::trimBlanks(value);
    if (!trimmed.starts_with("DELIMITED")) return;
    format.delimited = true;
    format.delimiter = ' ';
    const std::size_t open = trimmed.find('(');
    if (open == std::string_view::npos) return;
    const std::size_t close = trimmed.find(')', open + 1);
    if (close == std::string_view::npos) return;
    const std::string_view inside = trimmed.substr(open + 1, close - open - 1);
    const std::size_t first = inside.find_first_not_of(' ');
    if (first != std::string_view::npos) format.delimiter = inside[first];
}

FieldDefinition readField(const KeyLine& line) {
    FieldDefinition field;
    field.name = std::string(line.key);
    const std::string_view value = line.value;
    const std::size_t first = value.find(',');
    if (first == std::string_view::npos) {
        field.number = text::leadingInteger(value);
        return field;
    }
    field.number = text::leadingInteger(value.substr(0, first));
    const std::size_t second = value.find(',', first + 1);
    if (second == std::string_view::npos) return field;  // the text after a lone comma is unused
    field.start = text::leadingInteger(value.substr(first + 1, second - first - 1));
    field.end = text::leadingInteger(value.substr(second + 1));
    return field;
}

struct PendingFormat {
    FormatDefinition definition;
    std::string entryText;
};

enum class Numbering { lineOrder, columns, mixed };

Numbering numberingOf(const std::vector<FieldDefinition>& fields) {
    bool allZero = true;
    bool allPositive = true;
    for (const FieldDefinition& field : fields) {
        allZero = allZero && field.number == 0;
        allPositive = allPositive && field.number > 0;
    }
    if (allZero) return Numbering::lineOrder;
    if (!allPositive) return Numbering::mixed;
    std::vector<std::int32_t> numbers;
    numbers.reserve(fields.size());
    for (const FieldDefinition& field : fields) numbers.push_back(field.number);
    std::sort(numbers.begin(), numbers.end());
    return std::adjacent_find(numbers.begin(), numbers.end()) == numbers.end() ? Numbering::columns
                                                                               : Numbering::mixed;
}

// Whether the section that ends here may become a format; otherwise `result` says why not.
bool sectionFits(const FormatDefinition& format, LoadResult& result) {
    bool seen[std::size(kSingleFieldNames)] = {};
    for (const FieldDefinition& field : format.fields) {
        for (std::size_t i = 0; i < std::size(kSingleFieldNames); ++i) {
            if (!text::equalsIgnoreAsciiCase(field.name, kSingleFieldNames[i])) continue;
            if (seen[i]) {
                result.error = LoadError::repeatedField;
                result.fieldName = field.name;
                result.sectionName = format.name;
                return false;
            }
            seen[i] = true;
        }
    }
    if (format.delimited && numberingOf(format.fields) == Numbering::mixed) {
        result.error = LoadError::badFieldNumbering;
        result.sectionName = format.name;
        return false;
    }
    return true;
}

// Adds the pending section to the formats when it gives one; false, with `result` saying why,
// when it ends the load.
bool finishPending(std::optional<PendingFormat>& pending, LoadedSettings& out, LoadResult& result) {
    if (pending && !pending->definition.fields.empty() && !pending->definition.name.empty()) {
        if (!sectionFits(pending->definition, result)) return false;
        out.formats.push_back(std::move(pending->definition));
        out.entryTexts.push_back(std::move(pending->entryText));
    }
    pending.reset();
    return true;
}

bool readWholeFile(fileio::FileSystem& fs, const std::string& path, std::string& bytes,
                   std::error_code& cause) {
    auto file = fs.openRead(path, cause);
    if (!file) return false;
    char buffer[16384];
    for (;;) {
        const std::ptrdiff_t got = file->read(buffer, sizeof buffer);
        if (got == 0) return true;
        // A read error must not pass for the end of the file: a save would then drop the unread
        // rest of the formats.
        if (got < 0) {
            cause = file->error();
            return false;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

}  // namespace

LoadResult parseSettings(std::string_view bytes, LoadedSettings& out) {
    LoadResult result;
    // Read as Windows-1251, a file saved in UTF-8 would give the payer's name and the sections'
    // Cyrillic texts as garbage, and the mark itself would hide the first section's header.
    if (bytes.starts_with(text::kUtf8Bom)) {
        result.error = LoadError::savedAsUtf8;
        return result;
    }

    LoadedSettings loaded;
    Section section = Section::none;
    std::optional<PendingFormat> pending;

    detail::LinePieces pieces(bytes);
    while (const auto piece = pieces.next()) {
        const std::string_view line = *piece;
        // The rules see a line only up to a NUL byte; the remainder keeps all of its bytes so
        // that a save loses nothing.
        const std::string_view trimmed = detail::seenText(line);

        if (detail::isSectionHeader(trimmed)) {
            const std::string_view name = trimmed.substr(1, trimmed.find(']') - 1);
            if (text::equalsIgnoreAsciiCase(name, "CLIENT")) {
                section = Section::client;
                continue;
            }
            loaded.iniRemainder.append(line);
            if (!finishPending(pending, loaded, result)) return result;
            pending.emplace();
            pending->definition.name = std::string(text::trimBlanks(name));
            pending->entryText = std::string(trimmed);
            section = Section::format;
            continue;
        }
        // A line that opens like a header but has no "]" is neither a header nor a key line. It
        // is kept like any other line outside [CLIENT]: a save must not lose it, and dropping it
        // could leave the save opening with whatever followed it.
        const bool brokenHeader = trimmed.starts_with('[');

        if (section == Section::client) {
            if (brokenHeader) continue;
            if (const auto key = splitKeyLine(trimmed)) applyClientKey(*key, loaded.client);
            continue;
        }

        loaded.iniRemainder.append(line);
        if (section != Section::format || brokenHeader) continue;

        const auto key = splitKeyLine(trimmed);
        if (!key || key->key.empty() || key->key.starts_with(kCommentMark)) continue;
        FormatDefinition& format = pending->definition;
        if (format.fields.empty() && text::equalsIgnoreAsciiCase(key->key, "FORMAT")) {
            applyFormatKey(key->value, format);
            continue;
        }
        FieldDefinition field = readField(*key);
        if (!format.delimited && (field.end == 0 || field.start > field.end)) {
            result.error = LoadError::badFieldDefinition;
            result.fieldName = std::move(field.name);
            result.sectionName = format.name;
            return result;
        }
        format.fields.push_back(std::move(field));
    }

    if (!finishPending(pending, loaded, result)) return result;
    out = std::move(loaded);
    return result;
}

bool readsByColumnNumber(const FormatDefinition& format) {
    return format.delimited && numberingOf(format.fields) == Numbering::columns;
}

LoadResult loadSettings(fileio::FileSystem& fs, const std::string& path, LoadedSettings& out) {
    std::string bytes;
    std::error_code cause;
    if (!readWholeFile(fs, path, bytes, cause)) {
        LoadResult result;
        result.error = LoadError::cannotRead;
        result.cause = cause;
        return result;
    }
    return parseSettings(bytes, out);
}

}  // namespace velcor::settings
