#pragma once

// The tests' host of the window logic: the headless host, whose answers and typing a test
// scripts and whose record it inspects, with its clock pinned so that names and dates of the day
// are known.

#include "window/HeadlessDialogHost.h"

namespace velcor::testing {

class ScriptedDialogHost : public window::HeadlessDialogHost {
  public:
    explicit ScriptedDialogHost(const processing::LocalDateTime& today) : today_(today) {}
    processing::LocalDateTime now() override { return today_; }

  private:
    processing::LocalDateTime today_;
};

}  // namespace velcor::testing
