#include "session/PayerValues.h"

#include <algorithm>

namespace velcor::session {

std::string_view headerBreakingCharacters() {
    // A control byte in the header is one no bank takes, a line end the worst of them; a TAB
    // stays, as in the rows.
    static const std::string refused = [] {
        std::string bytes = ";";
        for (int b = 0; b < 0x20; ++b)
            if (b != '\t') bytes += static_cast<char>(b);
        return bytes + '\x7F';
    }();
    return refused;
}

std::string payerFieldName(PayerField field) {
    std::string name(payerFieldLabel(field));
    if (name.ends_with(':')) name.pop_back();
    std::replace(name.begin(), name.end(), '\n', ' ');
    return name;
}

namespace {

// The member of `values` (PayerValues or TypedPayerValues, which name them alike) for `field`.
template <class Values>
auto& memberOf(Values& values, PayerField field) {
    switch (field) {
        case PayerField::iban:
            return values.iban;
        case PayerField::bic:
            return values.bic;
        case PayerField::name:
            return values.name;
        case PayerField::kindCode:
            return values.kindCode;
        case PayerField::budgetUnitCode:
            break;
    }
    return values.budgetUnitCode;
}

}  // namespace

std::string& PayerValues::operator[](PayerField field) { return memberOf(*this, field); }

const std::string& PayerValues::operator[](PayerField field) const {
    return memberOf(*this, field);
}

std::optional<std::string>& TypedPayerValues::operator[](PayerField field) {
    return memberOf(*this, field);
}

std::optional<PayerField> takeOverPayerValues(TypedPayerValues& typed, PayerValues& values) {
    for (const PayerField field : kPayerFields) {
        std::optional<std::string>& given = typed[field];
        if (!given) continue;
        values[field] = std::move(*given);
        given.reset();
        if (values[field].size() > static_cast<std::size_t>(payerFieldLimit(field))) return field;
    }
    return std::nullopt;
}

}  // namespace velcor::session
