#include "GuiTestSupport.h"

#include "app/gui/AppIdentity.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>

namespace velcor::app::test {

QString shown(std::string_view cp1251) { return fromCp1251(cp1251); }

QString readText(const QString& marked) {
    QString text;
    for (qsizetype i = 0; i < marked.size(); ++i) {
        if (marked[i] == QLatin1Char('&') && i + 1 < marked.size()) ++i;
        text += marked[i];
    }
    return text;
}

ModalScript::ModalScript(std::vector<QWidget*> ignored) {
    for (QWidget* widget : ignored) ignored_.emplace_back(widget);
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &ModalScript::poll);
    timer->start(10);
}

ModalScript& ModalScript::then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

ModalScript& ModalScript::answerMessage(int button) {
    return then([this, button](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        if (!box) {
            unexpected_.push_back(QStringLiteral("not a message box: ") + widget->windowTitle());
            static_cast<QDialog*>(widget)->reject();
            return;
        }
        messages_.push_back(box->text());
        details_.push_back(box->informativeText());
        icons_.push_back(box->icon());
        QAbstractButton* press = button
                                     ? box->button(static_cast<QMessageBox::StandardButton>(button))
                                     : static_cast<QAbstractButton*>(box->defaultButton());
        if (press)
            press->click();
        else
            box->reject();
    });
}

void ModalScript::poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || !modal->isVisible()) return;
    const auto same = [modal](const QPointer<QWidget>& p) { return p.data() == modal; };
    if (std::any_of(ignored_.begin(), ignored_.end(), same) ||
        std::any_of(handled_.begin(), handled_.end(), same))
        return;
    handled_.emplace_back(modal);
    if (steps_.empty()) {
        const auto* box = qobject_cast<QMessageBox*>(modal);
        unexpected_.push_back(box ? box->text() : modal->windowTitle());
        if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
        return;
    }
    Step step = std::move(steps_.front());
    steps_.pop_front();
    step(modal);
}

void typeText(QWidget* widget, const QString& text) {
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_unknown, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

QString screenshotDir() {
    const QString fromEnvironment = qEnvironmentVariable("VELCOR_SCREENSHOT_DIR");
    return fromEnvironment.isEmpty() ? QStringLiteral(VELCOR_DEFAULT_SCREENSHOT_DIR)
                                     : fromEnvironment;
}

bool saveScreenshot(QWidget& widget, const QString& name) {
    return saveScreenshot(widget.grab(), name);
}

bool saveScreenshot(const QPixmap& picture, const QString& name) {
    const QDir dir(screenshotDir());
    if (!dir.mkpath(QStringLiteral("."))) return false;
    return picture.save(dir.filePath(name + QStringLiteral(".png")));
}

}  // namespace velcor::app::test

int main(int argc, char** argv) {
    // Headless unless the caller chose a platform (e.g. xcb to watch the tests run).
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    // What the window remembers for the user goes to a scratch place, not the real user's.
    QStandardPaths::setTestModeEnabled(true);
    // As the program does: numbers in the "C" locale whatever Qt took from the environment.
    std::setlocale(LC_NUMERIC, "C");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
