#include "app/gui/ScreenFit.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace velcor::app {

namespace {

class ScreenFit : public QObject {
  public:
    explicit ScreenFit(QWidget& window) : QObject(&window), window_(window) {
        window.installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != &window_ || event->type() != QEvent::Show || event->spontaneous() ||
            delivering_)
            return false;
        fitSize();
        // A dialog centres itself while it handles its show event, so the frame is checked once
        // the window has had the event, still before the platform shows it.
        delivering_ = true;
        QCoreApplication::sendEvent(&window_, event);
        delivering_ = false;
        fitPosition();
        return true;
    }

  private:
    QRect availableArea() const {
        const QScreen* screen = window_.screen();
        return screen ? screen->availableGeometry() : QRect();
    }

    QMargins frameMargins() const {
        const QWindow* handle = window_.windowHandle();
        return handle ? handle->frameMargins() : QMargins();
    }

    void fitSize() {
        const QRect area = availableArea();
        if (area.isEmpty()) return;
        const QSize room = area.size().shrunkBy(frameMargins()).expandedTo(QSize(1, 1));
        const QSize size = window_.size().boundedTo(room);
        if (window_.minimumSize() == window_.maximumSize()) {
            // A window of fixed size stays fixed, only smaller.
            if (size != window_.size()) window_.setFixedSize(size);
            return;
        }
        const QSize minimum = window_.minimumSize().boundedTo(room);
        if (minimum != window_.minimumSize()) window_.setMinimumSize(minimum);
        if (size != window_.size()) window_.resize(size);
    }

    void fitPosition() {
        const QRect area = availableArea();
        if (area.isEmpty()) return;
        const QRect frame = window_.frameGeometry();
        const QPoint inside(
            std::max(area.left(), std::min(frame.left(), area.right() + 1 - frame.width())),
            std::max(area.top(), std::min(frame.top(), area.bottom() + 1 - frame.height())));
        if (inside == frame.topLeft()) return;
        // Not an explicit position: a dialog shown again centres itself again.
        const bool moved = window_.testAttribute(Qt::WA_Moved);
        window_.move(inside);
        window_.setAttribute(Qt::WA_Moved, moved);
    }

    QWidget& window_;
    bool delivering_ = false;
};

}  // namespace

void keepOnScreen(QWidget& window) { new ScreenFit(window); }

}  // namespace velcor::app
