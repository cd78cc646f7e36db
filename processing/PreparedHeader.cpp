#include "checks/Iban.h"
#include "processing/BudgetUnitCode.h"
#include "processing/CheckText.h"
#include "processing/DateTime.h"
#include "processing/Scan.h"
#include "text/Cp1251.h"
#include "text/Text.h"

#include <algorithm>
#include <cstring>
#include <string>

namespace velcor::processing {

using namespace text::literals;

namespace {

void readDate(std::string_view value, LocalDateTime& date) {
    const std::string_view text = text::trimBlanks(value);
    if (text.size() != 8) return;
    const int day = text::leadingInteger(text.substr(0, 2));
    const int month = text::leadingInteger(text.substr(2, 2));
    const int year = text::leadingInteger(text.substr(4, 4));
    if (!isValidDate(day, month, year)) {
        date.valid = false;
        return;
    }
    date.day = day;
    date.month = month;
    date.year = year;
    date.valid = true;
}

// Names written by programs that still use the DOS code page MIK have their Cyrillic letters at
// 0x80-0xBF; raising those bytes by 0x40 gives the same letters in Windows-1251.
std::string raiseMikLetters(std::string_view value) {
    std::string name(value);
    for (char& c : name) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x80 && b <= 0xBF) c = static_cast<char>(b + 0x40);
    }
    return name;
}

}  // namespace

bool readPreparedHeader(std::string_view line, WorkingState& state, ScanHost& host) {
    std::size_t semicolon = line.find(';');
    if (semicolon == std::string_view::npos) return true;
    std::size_t next = line.find(';', semicolon + 1);
    if (next == std::string_view::npos) return true;
    readDate(line.substr(semicolon + 1, next - semicolon - 1), state.paymentDate);

    const bool sebra = line.size() >= 5 && line.substr(3, 2) == "SB";
    for (int index = 2; index <= 7; ++index) {
        semicolon = next;
        next = line.find(';', semicolon + 1);
        if (next == std::string_view::npos) return true;
        const std::string_view raw = line.substr(semicolon + 1, next - semicolon - 1);
        const std::string_view value = text::trimBlanks(raw);
        switch (index) {
            case 2:
                if (sebra) {
                    state.payerBic.assign(value);
                } else {
                    state.payerIban.assign(value);
                    char reason[256] = {};
                    if (!checks::CheckIban(CheckText(value).c_str(), reason, sizeof reason)) {
                        host.showMessage(reason);
                        return false;
                    }
                }
                break;
            case 3:
                if (sebra) {
                    state.budgetUnitCode.assign(value);
                    if (!CheckBudgetUnitCode(CheckText(value).c_str())) {
                        host.showMessage(kWrongBudgetUnitCodeMessage);
                        return false;
                    }
                } else {
                    state.paymentKindCode.assign(value);
                }
                break;
            case 4:
                state.payerName.assign(text::trimBlanks(raiseMikLetters(raw)));
                break;
            case 5:
                state.totalText.assign(value);
                break;
            case 6:
                state.countText.assign(value);
                break;
            case 7:
                state.controlCodeText.assign(value);
                break;
        }
    }
    state.filePrepared = true;
    return true;
}

}  // namespace velcor::processing
