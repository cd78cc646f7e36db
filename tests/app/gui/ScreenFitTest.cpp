#include "GuiTestSupport.h"

#include "app/gui/AboutBox.h"
#include "app/gui/FindingsPanel.h"
#include "app/gui/LongWorkRunner.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "app/gui/ReportWindow.h"
#include "app/gui/ScreenFit.h"
#include "app/gui/SepaExportDialog.h"
#include "output/CategoryPurpose.h"
#include "text/Cp1251.h"
#include "window/FindingsTable.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <thread>

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
    if (!area.contains(window.frameGeometry()))
        return ::testing::AssertionFailure()
               << "frame " << describe(window.frameGeometry()) << " outside " << describe(area);
    // Its layout fitted too: no button cut off at its edge.
    const QRect inside = window.rect();
    for (const QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
        if (!button->isVisibleTo(&window) || button->window() != &window ||
            qobject_cast<const QAbstractItemView*>(button->parentWidget()) ||
            button->inherits("QToolButton"))
            continue;
        const QRect at(button->mapTo(&window, QPoint(0, 0)), button->size());
        if (!inside.contains(at))
            return ::testing::AssertionFailure() << button->text().toStdString() << " "
                                                 << describe(at) << " outside " << describe(inside);
    }
    return ::testing::AssertionSuccess();
}

// Shows the modal dialog the host opens in `open` and tells whether it fits its screen; closes it.
::testing::AssertionResult opensWithinScreen(MainWindow& main, const QString& name,
                                             const std::function<void()>& open) {
    ::testing::AssertionResult fits = ::testing::AssertionFailure() << "no dialog opened";
    ModalScript script({&main});
    script.then([&](QWidget* dialog) {
        fits = showsWithinScreen(*dialog, name);
        static_cast<QDialog*>(dialog)->reject();
    });
    open();
    return fits;
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
    // The problem column is in sight, and takes what the others leave of the table's width.
    const QTreeView& table = *findings.findings()->table();
    const QHeaderView& columns = *table.header();
    const int problem = window::kFindingsColumns - 1;
    EXPECT_LE(columns.sectionViewportPosition(problem) + columns.sectionSize(problem),
              table.viewport()->width() + 1);
    EXPECT_GE(columns.sectionSize(problem), table.viewport()->width() / 3);
    findings.close();

    session::SepaOutcome review;
    review.names = {
        {1, std::string(80, 'b'), std::string(70, 'b'), "Zaplata", true, false, "", false}};
    review.namesLeftOut = 999999;
    SepaExportDialog sepa(review, &main);
    // With the purpose whose meaning is the longest beside it.
    const auto purposes = output::categoryPurposes();
    const auto longest = std::max_element(
        purposes.begin(), purposes.end(),
        [](const auto& a, const auto& b) { return a.meaning.size() < b.meaning.size(); });
    sepa.purposeList()->lineEdit()->setText(QString::fromStdString(std::string(longest->code)));
    ASSERT_FALSE(sepa.purposeMeaning()->text().isEmpty());
    EXPECT_TRUE(showsWithinScreen(sepa, QStringLiteral("fit-sepa-dialog")));
    sepa.close();

    // The file dialogs, and the SEPA dialog as the menu entry opens it, its save dialog after it.
    QtDialogHost host(main);
    EXPECT_TRUE(opensWithinScreen(main, QStringLiteral("fit-open-dialog"),
                                  [&] { host.chooseOpenFile("O*.1DP"); }));
    EXPECT_TRUE(opensWithinScreen(main, QStringLiteral("fit-pdf-dialog"),
                                  [&] { findings.saveAsPdfChosen(); }));
    {
        ModalScript script({&main});
        bool sepaFits = false;
        bool saveFits = false;
        script
            .then([&](QWidget* dialog) {
                sepaFits = showsWithinScreen(*dialog, QStringLiteral("fit-sepa-menu-dialog"));
                static_cast<QDialog*>(dialog)->accept();
            })
            .then([&](QWidget* dialog) {
                saveFits = showsWithinScreen(*dialog, QStringLiteral("fit-save-dialog"));
                static_cast<QDialog*>(dialog)->reject();
            });
        host.chooseSepaExport(review, "O081206P.1DP.xml");
        EXPECT_TRUE(sepaFits);
        EXPECT_TRUE(saveFits);
        EXPECT_TRUE(script.done());
    }

    // The progress of long work, which runs until its "Отказ" is pressed (ten seconds at most).
    bool progressFits = false;
    ModalScript progress({&main});
    progress.then([&](QWidget* dialog) {
        progressFits = showsWithinScreen(*dialog, QStringLiteral("fit-progress-dialog"));
        if (auto* stop = dialog->findChild<QPushButton*>()) QTest::mouseClick(stop, Qt::LeftButton);
    });
    runWithProgress(
        &main, QStringLiteral("..."),
        [](const session::WorkProgress& told) {
            for (int i = 0; i < 1000 && told(1, 2); ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        },
        std::chrono::milliseconds(0));
    EXPECT_TRUE(progressFits);
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
