#include "app/gui/AboutBox.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/ScreenFit.h"
#include "ui_AboutBox.h"
#include "window/ControlTable.h"

namespace velcor::app {

AboutBox::AboutBox(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::AboutBox>()) {
    ui_->setupUi(this);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(fromCp1251(window::aboutCaption()));
    ui_->iconLabel->setPixmap(applicationIcon().pixmap(32, 32));
    ui_->versionLabel->setText(fromCp1251(window::aboutText()));
    setFixedSize(sizeHint());
    keepOnScreen(*this);
}

AboutBox::~AboutBox() = default;

}  // namespace velcor::app
