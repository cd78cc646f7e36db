#include "GuiTestSupport.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/Application.h"

#include <QMessageBox>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace velcor::app::test {
namespace {

// Why the program cannot start, in a box captioned with its name and its exclamation icon, with
// the words of the standard error stream.
TEST(StartProblemBox, SaysWhatTheTerminalLineSays) {
    const std::string problem = "няма файл omp.ini в папка /home/op/Изтегляния";
    ModalScript script;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    script.then([&](QWidget* widget) {
        auto* box = qobject_cast<QMessageBox*>(widget);
        ASSERT_NE(box, nullptr);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        saveScreenshot(*box, QStringLiteral("start-problem-box"));
        box->accept();
    });
    showStartProblem(problem);
    EXPECT_EQ(title, applicationTitle());
    EXPECT_EQ(icon, QMessageBox::Warning);
    EXPECT_EQ(text, QString::fromStdString(problem));
    EXPECT_TRUE(script.done());
}

#ifndef Q_OS_WIN
// A screen is reachable when the environment names a display or a Qt platform.
TEST(StartProblemBox, AScreenIsThereWhenTheEnvironmentNamesOne) {
    const char* const names[] = {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"};
    std::vector<std::pair<const char*, QByteArray>> saved;
    for (const char* name : names) saved.emplace_back(name, qgetenv(name));
    struct Case {
        const char* set;  // nullptr: none
        bool reachable;
    } cases[] = {
        {nullptr, false}, {"QT_QPA_PLATFORM", true}, {"WAYLAND_DISPLAY", true}, {"DISPLAY", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.set ? c.set : "none");
        for (const char* name : names) qunsetenv(name);
        if (c.set) qputenv(c.set, "x");
        EXPECT_EQ(screenReachable(), c.reachable);
    }
    for (const auto& [name, value] : saved) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
}
#endif

}  // namespace
}  // namespace velcor::app::test
