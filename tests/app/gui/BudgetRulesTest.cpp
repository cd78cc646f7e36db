#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/BudgetRulesSetting.h"
#include "processing/BudgetRules.h"
#include "support/TestSupport.h"
#include "window/ControlTable.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

using processing::BudgetRules;

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// What the window showed at one moment.
struct Seen {
    QString rules;
    QString hint;
    bool valid = false;
};

Seen look(MainWindowSession& session) {
    MainWindow& window = session.window();
    return {window.budgetRulesBox()->currentText(), window.budgetRulesHintLabel()->text(),
            session.dialog().state().fileValid};
}

// The operator opens a list of 2 October 2023 to a budget account with the obligor's EGN and no
// payment code: by the older rules it fails and the window says beside the choice that newer
// rules exist; choosing "от 01.10.2023" checks it again, clean. The next start begins with that
// choice, kept in the user's own settings and not in omp.ini.
TEST(BudgetRulesChoice, ChecksTheListAgainAndIsRememberedAcrossStarts) {
    rememberBudgetRules(BudgetRules::before2023);
    velcor::testing::TempDir dir;
    const std::string settingsPath = dir.file("omp.ini");
    std::filesystem::copy_file(kExamples / "omp.ini", settingsPath);
    const std::string settingsBefore = velcor::testing::readFileBytes(settingsPath);
    const std::string listPath = dir.file("O021023P.1DP");
    velcor::testing::writeFileBytes(listPath,
                                    "BG56BNBG96618020345678;BNBGBGSD;Ivan;7501020018;;100.00;\r\n");

    Seen started, opened, chosen, restarted, reopened;
    Seen earlier;
    bool reachedByAlt = false;
    {
        MainWindowSession session(fileio::standardFileSystem(), settingsPath);
        MainWindow& window = session.window();
        session.host().setOpenFileChooser([&](const QString&) -> std::optional<QString> {
            return QString::fromStdString(listPath);
        });
        ModalScript script({&window});
        QString findings;
        script.then([&](QWidget* report) {  // the list's findings by the older rules
            findings = report->windowTitle();
            report->close();
        });
        QTimer::singleShot(0, &window, [&] {
            started = look(session);
            QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idBrowse)),
                              Qt::LeftButton);
            opened = look(session);
            saveScreenshot(window, QStringLiteral("main-window-budget-rules-hint"));
            // The hint follows the value date the picker shows.
            auto* date = static_cast<QDateEdit*>(window.control(window::idPaymentDate));
            date->setDate(QDate(2023, 9, 29));
            earlier = look(session);
            date->setDate(QDate(2023, 10, 2));
            // Alt+З reaches the choice (Tab passes over it); the arrow chooses.
            window.activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
            window.control(window::idBrowse)->setFocus();
            QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(u'З'),
                                QStringLiteral("з"), Qt::AltModifier);
            reachedByAlt = QApplication::focusWidget() == window.budgetRulesBox();
            QTest::keyClick(window.budgetRulesBox(), Qt::Key_Down);
            chosen = look(session);
            saveScreenshot(window, QStringLiteral("main-window-budget-rules"));
            QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idCancel)),
                              Qt::LeftButton);
        });
        EXPECT_TRUE(session.run());
        EXPECT_TRUE(script.done());
        EXPECT_FALSE(findings.isEmpty());
        EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
        EXPECT_EQ(session.dialog().state().budgetRules, BudgetRules::from2023);
        EXPECT_TRUE(reachedByAlt);
    }
    {
        MainWindowSession session(fileio::standardFileSystem(), settingsPath);
        MainWindow& window = session.window();
        session.host().setOpenFileChooser([&](const QString&) -> std::optional<QString> {
            return QString::fromStdString(listPath);
        });
        ModalScript script({&window});
        QTimer::singleShot(0, &window, [&] {
            restarted = look(session);
            QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idBrowse)),
                              Qt::LeftButton);
            reopened = look(session);
            QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idCancel)),
                              Qt::LeftButton);
        });
        EXPECT_TRUE(session.run());
        EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    }
    // Put back for the other tests, which start with the default rules.
    rememberBudgetRules(BudgetRules::before2023);

    const QString older = shown(processing::budgetRulesText(BudgetRules::before2023));
    const QString newer = shown(processing::budgetRulesText(BudgetRules::from2023));
    const QString hint = shown(processing::laterBudgetRulesHint());
    const struct {
        const char* when;
        const Seen& seen;
        QString rules;
        QString hint;
        bool valid;
    } cases[] = {
        {"started", started, older, {}, false},
        {"opened by the older rules", opened, older, hint, false},
        {"dated before the newer rules", earlier, older, {}, false},
        {"checked again by the newer", chosen, newer, {}, true},
        {"started again", restarted, newer, {}, false},
        {"opened again", reopened, newer, {}, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.when);
        EXPECT_EQ(c.seen.rules, c.rules);
        EXPECT_EQ(c.seen.hint, c.hint);
        EXPECT_EQ(c.seen.valid, c.valid);
    }
    EXPECT_EQ(velcor::testing::readFileBytes(settingsPath), settingsBefore)
        << "the choice is not the payer's: omp.ini stays as it was";
}

}  // namespace
}  // namespace velcor::app::test
