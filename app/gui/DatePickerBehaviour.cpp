#include "app/gui/DatePickerBehaviour.h"

#include <QChildEvent>
#include <QDateEdit>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

#include <algorithm>

namespace velcor::app {

namespace {

int digitsOf(QDateTimeEdit::Section section) {
    return section == QDateTimeEdit::YearSection ? 4 : 2;
}

bool isDigitKey(const QKeyEvent& key) {
    return key.text().size() == 1 && key.text().front().isDigit() &&
           !(key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier));
}

}  // namespace

DatePickerBehaviour::DatePickerBehaviour(QDateEdit& picker)
    : QObject(&picker), picker_(picker), text_(picker.findChild<QLineEdit*>()) {
    picker_.installEventFilter(this);
    if (text_) text_->installEventFilter(this);
}

bool DatePickerBehaviour::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
            if (watched != &picker_) break;
            if (isDigitKey(*static_cast<QKeyEvent*>(event)))
                beforeDigit();
            else
                typing_ = QDateTimeEdit::NoSection;
            break;
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            typing_ = QDateTimeEdit::NoSection;
            // A press inside the selected section would begin dragging its text, and the release
            // would then clear the selection.
            if (watched == text_ && event->type() == QEvent::MouseButtonPress) text_->deselect();
            break;
        case QEvent::MouseButtonRelease:
            // The press has put the cursor into a section; the picker marks that section whole.
            if (watched == text_ && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
                picker_.setSelectedSection(picker_.currentSection());
            break;
        case QEvent::ChildPolished:
            // The calendar pop-up is created when it first opens; it is a window of its own,
            // placed by the picker just before it shows.
            if (watched == &picker_) {
                QObject* child = static_cast<QChildEvent*>(event)->child();
                auto* widget = qobject_cast<QWidget*>(child);
                if (widget && widget->windowType() == Qt::Popup && widget != calendarPopup_) {
                    calendarPopup_ = widget;
                    widget->installEventFilter(this);
                }
            }
            break;
        case QEvent::Show:
            if (watched == calendarPopup_) alignCalendar(*calendarPopup_);
            break;
        default:
            break;
    }
    return false;
}

void DatePickerBehaviour::beforeDigit() {
    const QDateTimeEdit::Section section = picker_.currentSection();
    if (section == QDateTimeEdit::NoSection || !text_) return;
    const QString sectionText = picker_.sectionText(section);
    const bool continuing =
        section == typing_ && !text_->hasSelectedText() && sectionText.size() < digitsOf(section);
    // A first digit, or one after a section already complete, replaces the section. The picker
    // then completes the section and moves on to the next one as soon as no further digit fits.
    if (!continuing && text_->selectedText() != sectionText) picker_.setSelectedSection(section);
    typing_ = section;
}

void DatePickerBehaviour::alignCalendar(QWidget& popup) const {
    const QRect picker(picker_.mapToGlobal(QPoint(0, 0)), picker_.size());
    int x = picker.right() + 1 - popup.width();
    if (const QScreen* screen = picker_.screen()) {
        const QRect area = screen->availableGeometry();
        x = std::max(area.left(), std::min(x, area.right() + 1 - popup.width()));
    }
    // The picker has chosen above or below; only the side changes.
    popup.move(x, popup.y());
}

}  // namespace velcor::app
