#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "support/TestSupport.h"
#include "window/ControlIds.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// The example list opened with Ctrl+O and "Печат" pressed before "Подготовка": with the type DP
// chosen the window sends the operator to "Подготовка"; with settings that have no DP, nothing is
// chosen, so the list's figures stay empty, the focus waits in the type box and "Печат" asks for a
// type, whose choice then brings the figures.
TEST(WhatComesFirst, PrintBeforePrepareAndAListWithoutAType) {
    struct Case {
        const char* what;
        bool withDp;
        QString printSays;
        bool figuresShown;
    } cases[] = {
        {"DP chosen", true,
         QString::fromUtf8("Справката се съставя за подготвен файл: натиснете „Подготовка“."),
         true},
        {"no type", false, QString::fromUtf8("Не е избран вид плащане!"), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        velcor::testing::TempDir dir;
        std::string settings = velcor::testing::readFileBytes((kExamples / "omp.ini").string());
        if (!c.withDp) settings.replace(settings.find("[DP]"), 4, "[DQ]");
        velcor::testing::writeFileBytes(dir.file("omp.ini"), settings);
        const std::string list = dir.file("O081206P.1DP");
        std::filesystem::copy_file(kExamples / "O081206P.1DP", list);

        MainWindowSession session(fileio::standardFileSystem(), dir.file("omp.ini"));
        MainWindow& w = session.window();
        session.host().setOpenFileChooser(
            [&](const QString&) -> std::optional<QString> { return QString::fromStdString(list); });
        ModalScript script({&w});
        script.answerMessage();
        QString countAfterOpen;
        bool typeBoxFocused = false;
        QString countAfterType;
        QTimer::singleShot(0, &w, [&] {
            w.activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
            QTest::keyClick(w.control(window::idBrowse), Qt::Key_O, Qt::ControlModifier);
            countAfterOpen = w.edit(window::idCount)->text();
            typeBoxFocused = QApplication::focusWidget() == w.control(window::idPaymentType);
            QTest::mouseClick(static_cast<QPushButton*>(w.control(window::idPrint)),
                              Qt::LeftButton);
            // The first type, chosen from the keyboard in the type box.
            if (!c.withDp) {
                auto* types = static_cast<QComboBox*>(w.control(window::idPaymentType));
                types->setFocus();
                QTest::keyClick(types, Qt::Key_Down);
            }
            countAfterType = w.edit(window::idCount)->text();
            w.reject();
        });
        EXPECT_TRUE(session.run());
        EXPECT_EQ(countAfterOpen.isEmpty(), !c.figuresShown);
        EXPECT_EQ(typeBoxFocused, !c.figuresShown);
        ASSERT_EQ(script.messages().size(), 1u);
        EXPECT_EQ(script.messages()[0], c.printSays);
        EXPECT_EQ(countAfterType, QStringLiteral("4"));
        EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    }
}

}  // namespace
}  // namespace velcor::app::test
