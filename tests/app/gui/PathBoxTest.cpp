#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/LastListFolder.h"
#include "support/TestSupport.h"

#include <QCheckBox>
#include <QDateEdit>
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

// The path box through the real window: after "..." the focus waits on "Подготовка"; a changed
// path takes the figures and the tick of the list shown away; Enter opens the typed list, which
// "Подготовка" then prepares, and no other.
TEST(PathBox, TheFiguresBesideThePathAreAlwaysThoseOfTheListItNames) {
    velcor::testing::TempDir dir;
    std::filesystem::copy_file(kExamples / "omp.ini", dir.path() / "omp.ini");
    const std::string first = dir.file("O081206P.1DP");
    std::filesystem::copy_file(kExamples / "O081206P.1DP", first);
    // The example's first two rows, dated by another name.
    const std::string whole = velcor::testing::readFileBytes(first);
    // In a folder of its own: the open dialog starts where the list typed and opened is.
    std::filesystem::create_directory(dir.path() / "typed");
    const std::string second = (dir.path() / "typed" / "O150107P.1DP").string();
    velcor::testing::writeFileBytes(second,
                                    whole.substr(0, whole.find('\n', whole.find('\n') + 1) + 1));

    MainWindowSession session(fileio::standardFileSystem(), dir.file("omp.ini"));
    MainWindow& window = session.window();
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(first); });
    QLineEdit* path = window.edit(window::idInputPath);
    auto* prepared = static_cast<QCheckBox*>(window.control(window::idPrepared));
    auto* prepare = static_cast<QPushButton*>(window.control(window::idPrepare));
    const auto figures = [&] {
        return QStringList{window.edit(window::idTotal)->text().trimmed(),
                           window.edit(window::idCount)->text(),
                           window.edit(window::idControlCode)->text()};
    };

    ModalScript script({&window});
    // Both lists' value dates (2006, 2007) are gone: each "Подготовка" asks, goes on, and
    // confirms.
    script.answerMessage(QMessageBox::Yes).answerMessage();
    script.answerMessage(QMessageBox::Yes).answerMessage();
    struct Seen {
        QStringList figures;
        bool prepared = false;
        bool prepareFocused = false;
    } chosen, preparedFirst, edited, entered, preparedSecond;
    QDate enteredDate;
    QTimer::singleShot(0, &window, [&] {
        window.activateWindow();
        if (!QTest::qWaitForWindowActive(&window)) return;
        QTest::mouseClick(static_cast<QPushButton*>(window.control(window::idBrowse)),
                          Qt::LeftButton);
        chosen = {figures(), prepared->isChecked(), prepare->hasFocus()};
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        preparedFirst = {figures(), prepared->isChecked(), false};

        path->setFocus();
        path->end(false);
        typeText(path, QStringLiteral("x"));
        edited = {figures(), prepared->isChecked(), false};

        path->selectAll();
        typeText(path, QString::fromStdString(second));
        QTest::keyClick(path, Qt::Key_Return);
        entered = {figures(), prepared->isChecked(), false};
        enteredDate = static_cast<QDateEdit*>(window.control(window::idPaymentDate))->date();

        QTest::keyClick(window.edit(window::idPayerName), Qt::Key_Return);
        preparedSecond = {figures(), prepared->isChecked(), false};
        window.reject();
    });
    EXPECT_TRUE(session.run());
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();

    EXPECT_EQ(chosen.figures, (QStringList{"6276.15", "4", "42C4757F"}));
    EXPECT_TRUE(chosen.prepareFocused);
    EXPECT_TRUE(preparedFirst.prepared);
    EXPECT_EQ(edited.figures, (QStringList{"", "", ""}));
    EXPECT_FALSE(edited.prepared);
    EXPECT_EQ(entered.figures.mid(0, 2), (QStringList{"2080.45", "2"}));
    EXPECT_FALSE(entered.prepared);
    EXPECT_EQ(enteredDate, QDate(2007, 1, 15));
    EXPECT_TRUE(preparedSecond.prepared);
    EXPECT_EQ(lastListFolder(), QString::fromStdString((dir.path() / "typed").string()));
    EXPECT_EQ(velcor::testing::readFileBytes(second).substr(0, 5), "OMPDP");
    // The first list was prepared once, by its own "Подготовка", and holds its own rows.
    const std::string firstNow = velcor::testing::readFileBytes(first);
    EXPECT_EQ(firstNow.substr(0, 5), "OMPDP");
    EXPECT_NE(firstNow.find("6276.15"), std::string::npos);
}

}  // namespace
}  // namespace velcor::app::test
