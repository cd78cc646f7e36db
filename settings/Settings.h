#pragma once

// omp.ini: the payer's data ([CLIENT]) and the formats of the payment lists (every other
// section). Loading keeps every line outside [CLIENT] so that a save rewrites only [CLIENT].

#include "fileio/FileSystem.h"
#include "text/Text.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace velcor::settings {

// One field line of a format section: "NAME = number, start, end".
struct FieldDefinition {
    std::string name;  // trimmed, case kept
    // Delimited: the 1-based column the field is read from, or 0 in every field line of a section
    // whose fields are taken in line order.
    std::int32_t number = 0;
    std::int32_t start = 0;  // fixed-length: 1-based first column
    std::int32_t end = 0;    // fixed-length: 1-based last column, inclusive
    friend bool operator==(const FieldDefinition&, const FieldDefinition&) = default;
};

// The payment type of budget (SEBRA) payments, matched in any case, and the one the window
// selects at start-up, matched in exact case.
inline constexpr std::string_view kSebraTypeName = "SB";
inline constexpr std::string_view kDefaultTypeName = "DP";

// One format section; at the same time one kind of payment in the window.
struct FormatDefinition {
    std::string name;  // section name, trimmed
    bool delimited = false;
    char delimiter = ' ';
    std::vector<FieldDefinition> fields;
    friend bool operator==(const FormatDefinition&, const FormatDefinition&) = default;
};

// The payer's values in [CLIENT], and whether each key stood there with an empty value.
struct ClientData {
    std::string bic;
    std::string iban;
    std::string name;
    std::string code;
    bool bicWasEmpty = false;
    bool ibanWasEmpty = false;
    bool nameWasEmpty = false;
    bool codeWasEmpty = false;
};

// Everything a load produces.
struct LoadedSettings {
    std::vector<FormatDefinition> formats;
    // One payment-type entry per format, same order: the section's whole trimmed header line.
    std::vector<std::string> entryTexts;
    ClientData client;
    // Every line outside [CLIENT], byte for byte, in file order.
    std::string iniRemainder;
};

// Why a load failed.
enum class LoadError {
    none,
    cannotRead,          // the file cannot be opened or read
    savedAsUtf8,         // the file begins with UTF-8's byte order mark
    badFieldDefinition,  // a field line of a fixed-length section has no end or starts after it
    // A delimited section whose fields are neither all numbered 0 nor each given its own column
    // from 1 on: a column read by two fields, or one field read by line order beside numbered
    // ones, would read another column than the one meant.
    badFieldNumbering,
    // A section that defines a field the checks, the header, the report or the SEPA export read
    // more than once: one of the two values would be checked and the other paid.
    repeatedField,
};

struct LoadResult {
    LoadError error = LoadError::none;
    std::error_code cause;  // cannotRead: why, as the system said it
    // badFieldDefinition, repeatedField: the field's name and its section's name;
    // badFieldNumbering: the section's name.
    std::string fieldName;
    std::string sectionName;

    bool ok() const { return error == LoadError::none; }
};

// Reads the settings file at `path` into `out`; `out` is left as it was when the load fails.
LoadResult loadSettings(fileio::FileSystem& fs, const std::string& path, LoadedSettings& out);

// Reads the bytes of a settings file, held in memory, by the same rules (cannotRead aside).
LoadResult parseSettings(std::string_view bytes, LoadedSettings& out);

// The field names that something beyond the row reader reads (ASCII case ignored): a section may
// define each of them once. Other names may repeat.
inline constexpr std::string_view kSingleFieldNames[] = {
    "IBAN", "BIC", "NAME", "SUM", "EGN", "BULSTAT", "PAYMENT", "PAYMENT_SEBRA", "REASON", "RF"};

// Whether the fields of a delimited format are read from the columns their numbers name (every
// number 1 or more, no two alike) rather than in line order (every number 0).
bool readsByColumnNumber(const FormatDefinition& format);

// What a save writes into [CLIENT].
struct PayerValues {
    std::string payerBic;
    std::string payerIban;
    std::string payerName;
    std::string budgetUnitCode;
};

// Whether closing the window must ask the save question: a file was prepared, and a key that
// stood empty in the file now has a value (the name counts whatever it holds now).
bool saveWanted(bool filePrepared, const ClientData& flags, const PayerValues& payer);

enum class SaveResult {
    ok,
    openFailed,   // the temporary file could not be made; the file is as it was
    writeFailed,  // the file is as it was
};

// Writes the settings file anew after the operator agreed: backup `path` + ".bak" first, then the
// [CLIENT] block and `iniRemainder` through a temporary file renamed over `path`. `path` is
// unchanged after any failure. Bytes that would not load back to the formats and payment types
// of `iniRemainder` and to `payer` (blanks at the ends of a value aside) are not written at all
// (writeFailed, no backup made): a payer value holding a line break or "//", or too long for one
// line of the file, and a remainder no load could have kept.
SaveResult writeSettings(fileio::FileSystem& fs, const std::string& path, const PayerValues& payer,
                         std::string_view iniRemainder);

// Whether `format` is the budget type, its name "SB" in any case: it gets the budget header
// layout, the SEBRA checks of its rows and the budget checks of the payer, all three together, so
// that no list gets the budget header without the checks behind it.
inline bool isSebraType(const FormatDefinition* format) {
    return format != nullptr && text::equalsIgnoreAsciiCase(format->name, kSebraTypeName);
}

}  // namespace velcor::settings
