#pragma once

// The values of one row of a payment list, keyed by upper-case field name.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace velcor::processing {

// A small chained table whose visiting order is part of the system's behaviour: the row checks
// raise their messages in this order. A name goes to chain h mod 17 (h = h * 33 + b over the
// name's bytes taken as signed); chains are visited from 0 up, the most recently added name of a
// chain first; replacing a value keeps the entry where it is.
// Values are views into the row's text and live as long as that text does. clear() keeps the
// storage, so one table reused row after row allocates nothing once it has grown.
class FieldValues {
  public:
    static constexpr std::size_t kChains = 17;

    static std::size_t chainOf(std::string_view name);

    // Stores `value` under `name` (upper case already), replacing an earlier value in place.
    void set(std::string_view name, std::string_view value) { set(name, chainOf(name), value); }
    // The same with the name's chain worked out before (chainOf), for names used row after row.
    void set(std::string_view name, std::size_t chain, std::string_view value);
    // The value stored under `name`, or nullptr.
    const std::string_view* find(std::string_view name) const;
    bool empty() const { return used_ == 0; }
    std::size_t size() const { return used_; }
    void clear();

    // Calls visit(name, value) for every entry in the table's visiting order.
    template <typename Visit>
    void forEach(Visit&& visit) const {
        for (const int head : heads_)
            for (int at = head; at >= 0; at = entries_[static_cast<std::size_t>(at)].next)
                visit(std::string_view(entries_[static_cast<std::size_t>(at)].name),
                      entries_[static_cast<std::size_t>(at)].value);
    }

  private:
    struct Entry {
        std::string name;
        std::string_view value;
        int next = -1;
    };
    std::vector<Entry> entries_;  // the first used_ are live; the rest keep their storage
    std::size_t used_ = 0;
    std::array<int, kChains> heads_ = emptyHeads();

    static constexpr std::array<int, kChains> emptyHeads() {
        std::array<int, kChains> heads{};
        heads.fill(-1);
        return heads;
    }
};

// One row while it is read and checked; nothing of it is kept after the row.
struct PaymentRecord {
    FieldValues values;
    bool budgetAccount = false;  // the row pays into a budget account (set by the IBAN check)
    std::int64_t rowNumber = 0;  // the row's number among the list's non-blank lines, from 1
};

}  // namespace velcor::processing
