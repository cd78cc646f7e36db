#include "app/gui/LimitedTextValidator.h"

#include "text/Text.h"

#include <QLineEdit>

#include <algorithm>
#include <string>

namespace velcor::app {

namespace {
constexpr qsizetype kNoLimit = 32767;  // QLineEdit's own default
}

LimitedTextValidator::LimitedTextValidator(QLineEdit* edit, int limit)
    : QValidator(edit), edit_(edit) {
    // The edit's maximum follows its text down to the limit, never up: what makes the text
    // longer than the limit is refused (a paste is cut to fit), shortening is always allowed.
    connect(edit, &QLineEdit::textChanged, this, [this] { applyLimit(); });
    setLimit(limit);
}

void LimitedTextValidator::setLimit(int limit) {
    limit_ = std::max(limit, 0);
    applyLimit();
}

void LimitedTextValidator::admitLength(qsizetype length) {
    if (edit_ && limit_ > 0 && length > edit_->maxLength())
        edit_->setMaxLength(static_cast<int>(length));
}

void LimitedTextValidator::applyLimit() {
    if (!edit_) return;
    const qsizetype maximum =
        limit_ > 0 ? std::max<qsizetype>(limit_, edit_->text().size()) : kNoLimit;
    if (edit_->maxLength() == maximum) return;
    // QLineEdit resets its text when its maximum changes: keep what the operator sees and did.
    const bool modified = edit_->isModified();
    const int cursor = edit_->cursorPosition();
    edit_->setMaxLength(static_cast<int>(maximum));
    edit_->setModified(modified);
    edit_->setCursorPosition(cursor);
}

QValidator::State LimitedTextValidator::validate(QString& input, int& /*pos*/) const {
    for (const QChar c : refused_)
        if (input.contains(c)) return Invalid;
    return fitsCp1251(input) ? Acceptable : Invalid;
}

bool fitsCp1251(const QString& text) {
    std::string converted;
    return text::fromUtf8(text.toStdString(), converted);
}

}  // namespace velcor::app
