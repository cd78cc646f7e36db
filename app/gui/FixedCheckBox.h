#pragma once

// A check box that only shows a state set by the program: a click or the space bar reaches the
// window as a command but never flips the mark, so the box cannot claim a file is prepared when
// it is not.

#include <QCheckBox>

namespace velcor::app {

class FixedCheckBox : public QCheckBox {
  public:
    using QCheckBox::QCheckBox;

  protected:
    void nextCheckState() override {}
};

}  // namespace velcor::app
