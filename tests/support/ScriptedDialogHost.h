#pragma once

// The tests' host of the window logic: the headless host, whose answers and typing a test
// scripts and whose record it inspects, with its clock pinned so that names and dates of the day
// are known.

#include "support/HeadlessDialogHost.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace velcor::testing {

class ScriptedDialogHost : public window::HeadlessDialogHost {
  public:
    explicit ScriptedDialogHost(const processing::LocalDateTime& today) : today_(today) {}
    processing::LocalDateTime now() override { return today_; }

    // The SEPA export's dialog: what it was shown, and the answer a test scripts (nothing:
    // cancelled).
    std::optional<session::SepaExportAnswer> chooseSepaExport(
        const session::SepaOutcome& review, std::string_view suggestedPath) override {
        sepaNamesShown = review.names;
        sepaSuggestedPath = std::string(suggestedPath);
        return sepaAnswer;
    }
    std::optional<session::SepaExportAnswer> sepaAnswer;
    std::vector<session::SepaName> sepaNamesShown;
    std::string sepaSuggestedPath;
    // The long work runs here and now; the operator stops the next one at its report number
    // `stopWorkAt` (0: lets it run).
    void runLongWork(std::string_view what, const session::LongWork& work) override {
        longWork.emplace_back(what);
        const int stopAt = std::exchange(stopWorkAt, 0);
        if (stopAt == 0) return work({});
        int heard = 0;
        work([&heard, stopAt](std::uint64_t, std::uint64_t) { return ++heard < stopAt; });
    }
    int stopWorkAt = 0;
    std::vector<std::string> longWork;  // what each long work was called, in order

  private:
    processing::LocalDateTime today_;
};

}  // namespace velcor::testing
