#include "processing/PaymentRecord.h"

namespace velcor::processing {

std::size_t FieldValues::chainOf(std::string_view name) {
    std::uint32_t h = 0;
    for (const char c : name)
        h = h * 33u +
            static_cast<std::uint32_t>(static_cast<std::int32_t>(static_cast<signed char>(c)));
    return h % kChains;
}

const std::string_view* FieldValues::find(std::string_view name) const {
    for (int at = heads_[chainOf(name)]; at >= 0; at = entries_[static_cast<std::size_t>(at)].next)
        if (entries_[static_cast<std::size_t>(at)].name == name)
            return &entries_[static_cast<std::size_t>(at)].value;
    return nullptr;
}

void FieldValues::set(std::string_view name, std::size_t chain, std::string_view value) {
    for (int at = heads_[chain]; at >= 0; at = entries_[static_cast<std::size_t>(at)].next) {
        Entry& entry = entries_[static_cast<std::size_t>(at)];
        if (entry.name == name) {
            entry.value = value;
            return;
        }
    }
    if (used_ == entries_.size()) entries_.emplace_back();
    Entry& entry = entries_[used_];
    entry.name.assign(name);
    entry.value = value;
    entry.next = heads_[chain];
    heads_[chain] = static_cast<int>(used_);
    ++used_;
}

void FieldValues::clear() {
    used_ = 0;
    heads_ = emptyHeads();
}

}  // namespace velcor::processing
