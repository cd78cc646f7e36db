#pragma once

// What an edit of the main window accepts from the operator: only characters that Windows-1251
// can hold (every text inside Velcor is Windows-1251, so anything else would be lost on the way
// in), none of the characters refused for that edit, and, for a limited edit, no growth past the
// limit. A text that is already longer (set by the program from the settings file or a prepared
// file's header) is shown whole and may be shortened, but not lengthened again, as with a Windows
// edit limit.

#include <QPointer>
#include <QString>
#include <QValidator>

class QLineEdit;

namespace velcor::app {

class LimitedTextValidator : public QValidator {
  public:
    // `limit` 0 means no length limit.
    LimitedTextValidator(QLineEdit* edit, int limit);

    void setLimit(int limit);
    int limit() const { return limit_; }
    // Lets the program put a text of `length` characters into the edit whole.
    void admitLength(qsizetype length);
    // Characters that the operator may not type or paste into the edit (none at first).
    void setRefusedCharacters(const QString& characters) { refused_ = characters; }

    State validate(QString& input, int& pos) const override;

  private:
    void applyLimit();

    QPointer<QLineEdit> edit_;
    int limit_ = 0;
    QString refused_;
};

// Whether every character of `text` has a Windows-1251 byte.
bool fitsCp1251(const QString& text);

}  // namespace velcor::app
