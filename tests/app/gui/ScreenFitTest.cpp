#include "GuiTestSupport.h"

#include "app/gui/AboutBox.h"
#include "app/gui/MainWindow.h"
#include "app/gui/ReportWindow.h"
#include "app/gui/ScreenFit.h"
#include "text/Cp1251.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

namespace velcor::app::test {
namespace {

using namespace velcor::text::literals;

std::string describe(const QRect& r) {
    return QStringLiteral("%1,%2 %3x%4")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toStdString();
}

// Shows `window` and tells whether its frame lies within its screen's available area; saves a
// screenshot named after the window and the area.
::testing::AssertionResult showsWithinScreen(QWidget& window, const QString& name) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return ::testing::AssertionFailure() << "not shown";
    const QRect area = window.screen()->availableGeometry();
    saveScreenshot(window, QStringLiteral("%1-%2x%3-at-%4")
                               .arg(name)
                               .arg(area.width())
                               .arg(area.height())
                               .arg(window.screen()->devicePixelRatio()));
    if (area.contains(window.frameGeometry())) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "frame " << describe(window.frameGeometry()) << " outside " << describe(area);
}

// ctest runs this again on a 1280×1024 screen at the scale factor 1.5.
TEST(ScreenFit, EveryWindowFitsItsScreen) {
    MainWindow main;
    EXPECT_TRUE(showsWithinScreen(main, QStringLiteral("fit-main-window")));
    AboutBox about(&main);
    EXPECT_TRUE(showsWithinScreen(about, QStringLiteral("fit-about-box")));
    about.close();
    ReportWindow report(&main);
    report.setReportHtml("<B>1</B><BR>");
    EXPECT_TRUE(showsWithinScreen(report, QStringLiteral("fit-report-window")));
    report.close();
    // With the table of a list's findings above its message list, the window asks for more room.
    ReportWindow findings(&main);
    processing::RowFindings rows;
    rows.add(processing::FindingKind::zeroSum, 1, "Нулева сума на ред: %lld"_cp.c_str(), 1LL);
    findings.setReportHtml(rows.kept[0].text);
    findings.showFindings(rows, "O081206P.1DP");
    EXPECT_TRUE(showsWithinScreen(findings, QStringLiteral("fit-findings-window")));
}

// However small the screen, the main window's boxes and buttons stay clear of every label.
TEST(ScreenFit, NoBoxOverlapsALabel) {
    MainWindow main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const auto inWindow = [&](const QWidget* w) {
        return QRect(w->mapTo(&main, QPoint(0, 0)), w->size());
    };
    const QList<QLabel*> labels = main.findChildren<QLabel*>();
    QList<QWidget*> boxes;
    for (QWidget* w : main.findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractButton*>(w))
            boxes << w;
    ASSERT_GT(labels.size(), 10);
    for (const QLabel* label : labels) {
        if (!label->isVisible() || label->text().isEmpty()) continue;
        for (const QWidget* box : boxes) {
            if (!box->isVisible() || box->parentWidget() == label) continue;
            EXPECT_FALSE(inWindow(label).intersects(inWindow(box)))
                << label->text().toStdString() << " " << describe(inWindow(label)) << " under "
                << box->objectName().toStdString() << " " << describe(inWindow(box));
        }
    }
}

TEST(ScreenFit, AWindowIsShrunkToTheScreenAndMovedInside) {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    const QSize twice = area.size() * 2;
    const QSize small(200, 100);
    struct Case {
        const char* what;
        QSize size;
        bool fixed;
        QPoint position;
        bool staysPut;
    } cases[] = {
        {"larger than the screen, above and left of it", twice, false,
         area.topLeft() - QPoint(50, 50), false},
        {"of fixed size larger than the screen", twice, true, area.topLeft(), false},
        {"half beyond the right and bottom edges", small, false,
         area.bottomRight() - QPoint(100, 50), false},
        {"inside the screen", small, false, area.topLeft() + QPoint(20, 30), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QDialog window;
        keepOnScreen(window);
        if (c.fixed)
            window.setFixedSize(c.size);
        else
            window.resize(c.size);
        window.move(c.position);
        EXPECT_TRUE(showsWithinScreen(window, QStringLiteral("fit-plain-window")));
        EXPECT_EQ(window.minimumSize() == window.maximumSize(), c.fixed);
        if (c.staysPut) {
            EXPECT_EQ(window.pos(), c.position);
            EXPECT_EQ(window.size(), c.size);
        }
    }
}

}  // namespace
}  // namespace velcor::app::test
