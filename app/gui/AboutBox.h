#pragma once

// The About box: the application icon, the version line and OK.

#include <QDialog>

#include <memory>

namespace Ui {
class AboutBox;
}

namespace velcor::app {

class AboutBox : public QDialog {
  public:
    explicit AboutBox(QWidget* parent = nullptr);
    ~AboutBox() override;

  private:
    std::unique_ptr<Ui::AboutBox> ui_;
};

}  // namespace velcor::app
