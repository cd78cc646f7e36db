#include "app/gui/LimitedTextValidator.h"

#include "text/Text.h"

#include <QLineEdit>

#include <string>

namespace velcor::app {

LimitedTextValidator::LimitedTextValidator(QLineEdit* edit, int limit)
    : QValidator(edit), edit_(edit), limit_(limit) {}

QValidator::State LimitedTextValidator::validate(QString& input, int& /*pos*/) const {
    if (!fitsCp1251(input)) return Invalid;
    if (limit_ > 0 && input.size() > limit_) {
        // Like a Windows edit limit: what makes the text longer is refused; editing a text that
        // is already over the limit without making it longer is allowed.
        const qsizetype before = edit_ ? edit_->text().size() : 0;
        if (input.size() > before) return Invalid;
    }
    return Acceptable;
}

bool fitsCp1251(const QString& text) {
    std::string converted;
    return text::fromUtf8(text.toStdString(), converted);
}

}  // namespace velcor::app
