#include "output/CategoryPurpose.h"

#include "text/Cp1251.h"

#include <algorithm>
#include <iterator>

namespace velcor::output {

namespace {

using namespace velcor::text::literals;

// The codes of ExternalCategoryPurpose1Code as ISO 20022's external code sets list them
// (ExternalCodeSets, the release of 2024); codes added by a later release are refused until they
// are added here. Sorted by code, for the search.
constexpr CategoryPurpose kPurposes[] = {
    {"BONU", "бонуси"_cp},
    {"CASH", "управление на паричните средства"_cp},
    {"CBLK", "групов клиринг на плащания с карти"_cp},
    {"CCRD", "плащане с кредитна карта"_cp},
    {"CORT", "сетълмент на търговска сделка"_cp},
    {"DCRD", "плащане с дебитна карта"_cp},
    {"DIVI", "дивиденти"_cp},
    {"DVPM", "доставка срещу плащане"_cp},
    {"EPAY", "електронно плащане"_cp},
    {"FCDT", "вътрешен превод във валута"_cp},
    {"FCIN", "такси и лихви"_cp},
    {"FCOL", "събиране на такси"_cp},
    {"GOVT", "плащане към държавата"_cp},
    {"GP2P", "плащане между физически лица"_cp},
    {"HEDG", "хеджиране"_cp},
    {"ICCP", "неотменимо плащане с кредитна карта"_cp},
    {"IDCP", "неотменимо плащане с дебитна карта"_cp},
    {"INTC", "плащане в група от дружества"_cp},
    {"INTE", "лихви"_cp},
    {"LBOX", "плащания, събрани чрез пощенска кутия (lockbox)"_cp},
    {"LOAN", "кредит"_cp},
    {"MP2B", "мобилно плащане към търговец"_cp},
    {"MP2P", "мобилно плащане между физически лица"_cp},
    {"OTHR", "друго плащане"_cp},
    {"PENS", "пенсии"_cp},
    {"RPRE", "повторно представено плащане"_cp},
    {"RRCT", "възстановяване на получен превод"_cp},
    {"RVPM", "получаване срещу плащане"_cp},
    {"SALA", "заплати"_cp},
    {"SECU", "ценни книжа"_cp},
    {"SSBE", "социални помощи"_cp},
    {"SUPP", "плащане към доставчик"_cp},
    {"SWEP", "прехвърляне на салдо между сметки (sweep)"_cp},
    {"TAXS", "данъци"_cp},
    {"TOPG", "захранване на сметка до салдо (top-up)"_cp},
    {"TRAD", "търговска сделка"_cp},
    {"TREA", "касови операции"_cp},
    {"VATX", "данък добавена стойност"_cp},
    {"WHLD", "удържан данък"_cp},
    {"ZABA", "сметка с нулево салдо"_cp},
};

constexpr bool byCode(const CategoryPurpose& a, const CategoryPurpose& b) {
    return a.code < b.code;
}
static_assert(std::is_sorted(std::begin(kPurposes), std::end(kPurposes), byCode));

}  // namespace

std::span<const CategoryPurpose> categoryPurposes() { return kPurposes; }

const CategoryPurpose* findCategoryPurpose(std::string_view code) {
    const CategoryPurpose* found = std::lower_bound(std::begin(kPurposes), std::end(kPurposes),
                                                    CategoryPurpose{code, {}}, byCode);
    return found != std::end(kPurposes) && found->code == code ? found : nullptr;
}

}  // namespace velcor::output
