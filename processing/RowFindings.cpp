#include "processing/RowFindings.h"

namespace velcor::processing {

std::string_view findingKindName(FindingKind kind) {
    switch (kind) {
        case FindingKind::noDelimiter:
            return "no-delimiter";
        case FindingKind::bicMismatch:
            return "bic-mismatch";
        case FindingKind::wrongIban:
            return "wrong-iban";
        case FindingKind::wrongEgn:
            return "wrong-egn";
        case FindingKind::wrongBulstat:
            return "wrong-bulstat";
        case FindingKind::zeroSum:
            return "zero-sum";
        case FindingKind::invalidSum:
            return "invalid-sum";
        case FindingKind::noBudgetCode:
            return "no-budget-code";
        case FindingKind::noSebraCode:
            return "no-sebra-code";
        case FindingKind::controlByte:
            return "control-byte";
        case FindingKind::rowTooShort:
            return "row-too-short";
        case FindingKind::rowTooLong:
            return "row-too-long";
        case FindingKind::lineTooLong:
            return "line-too-long";
        case FindingKind::loneCr:
            return "lone-cr";
        case FindingKind::dataAfterEndMark:
            return "data-after-end-mark";
        case FindingKind::wrongBic:
            return "wrong-bic";
        case FindingKind::noBic:
            return "no-bic";
        case FindingKind::noObligorId:
            return "no-obligor-id";
        case FindingKind::wrongObligorId:
            return "wrong-obligor-id";
        case FindingKind::paymentCodeNotAllowed:
            return "payment-code-not-allowed";
    }
    return {};
}

}  // namespace velcor::processing
