#pragma once

// Makes a QDateEdit type like the platform's own date picker. A click selects the section under
// it, and the first digit typed into a section replaces the section rather than going in beside
// the digits already there (which turned a typed 15 into another day); the second digit completes
// it and the typing moves on to the next section. The calendar opens aligned to the picker's
// right edge.

#include <QDateTimeEdit>
#include <QObject>
#include <QPointer>

class QDateEdit;
class QLineEdit;

namespace velcor::app {

class DatePickerBehaviour : public QObject {
  public:
    // Lives as long as `picker`, its parent.
    explicit DatePickerBehaviour(QDateEdit& picker);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void beforeDigit();
    void alignCalendar(QWidget& popup) const;

    QDateEdit& picker_;
    QLineEdit* text_ = nullptr;
    QPointer<QWidget> calendarPopup_;
    // The section that digits are being typed into; none when the next digit starts afresh.
    QDateTimeEdit::Section typing_ = QDateTimeEdit::NoSection;
};

}  // namespace velcor::app
