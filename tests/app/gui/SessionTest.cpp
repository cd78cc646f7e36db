#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/ReportWindow.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"
#include "window/ControlTable.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

using namespace velcor::text::literals;

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// The example settings with the company name left empty, as a payer would start.
std::string settingsWithoutName() {
    std::string settings = velcor::testing::readFileBytes(kExamples / "omp.ini");
    const std::string name = "NAME = Примерна фирма ООД"_cp;
    const auto at = settings.find(name);
    if (at != std::string::npos) settings.replace(at, name.size(), "NAME =");
    return settings;
}

void click(MainWindow& window, int id) {
    QTest::mouseClick(static_cast<QPushButton*>(window.control(id)), Qt::LeftButton);
}

QString fieldText(MainWindow& window, int id) { return window.edit(id)->text().trimmed(); }

// Settings that do not load end the program with exit status 1 before the window opens, a broken
// field definition after its message.
TEST(Session, MissingOrBadSettingsEndTheProgramBeforeTheWindowOpens) {
    velcor::testing::TempDir dir;
    {
        ModalScript script;
        EXPECT_EQ(runSession(fileio::standardFileSystem(), dir.file("omp.ini")), 1);
        EXPECT_TRUE(script.unexpected().empty());
    }
    {
        velcor::testing::writeFileBytes(dir.file("omp.ini"), "[FX]\r\nIBAN = 1,5,2\r\n");
        ModalScript script;
        script.answerMessage();
        EXPECT_EQ(runSession(fileio::standardFileSystem(), dir.file("omp.ini")), 1);
        EXPECT_TRUE(script.done());
        ASSERT_EQ(script.messages().size(), 1u);
        EXPECT_TRUE(script.messages()[0].startsWith(QString::fromUtf8("Некоректна дефиниция")));
        EXPECT_TRUE(script.unexpected().empty());
    }
}

// One working day through the real widgets: open the example list, see its control data,
// type the company name, prepare with Enter, print the report to PDF, close and keep the name.
TEST(Session, OpenPreparePrintAndClose) {
    velcor::testing::TempDir dir;
    const std::string settingsPath = dir.file("omp.ini");
    velcor::testing::writeFileBytes(settingsPath, settingsWithoutName());
    const std::string listPath = dir.file("O081206P.1DP");
    std::filesystem::copy_file(kExamples / "O081206P.1DP", listPath);
    // "Запис като PDF..." proposes the list's own folder and name.
    const QString pdfPath = QString::fromStdString(listPath) + QStringLiteral(".pdf");

    MainWindowSession session(fileio::standardFileSystem(), settingsPath);
    MainWindow& window = session.window();
    QString suggested;
    session.host().setOpenFileChooser([&](const QString& name) -> std::optional<QString> {
        suggested = name;
        return QString::fromStdString(listPath);
    });

    ModalScript script({&window});
    QString reportText;
    script.answerMessage(QMessageBox::Yes);  // the list's value date, 8 December 2006, is gone
    script.answerMessage();                  // the prepare is confirmed
    script.then([&](QWidget* widget) {
        auto* report = qobject_cast<ReportWindow*>(widget);
        ASSERT_NE(report, nullptr);
        reportText = report->view()->toPlainText();
        saveScreenshot(*report, QStringLiteral("report-window"));
        // Clicked from the report's own loop: the script's next step is the dialog it opens.
        QTimer::singleShot(0, report, [report] {
            QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("pdfButton")),
                              Qt::LeftButton);
            QTest::mouseClick(report->findChild<QPushButton*>(QStringLiteral("closeButton")),
                              Qt::LeftButton);
        });
    });
    script.then([&](QWidget* widget) {
        auto* dialog = qobject_cast<QFileDialog*>(widget);
        ASSERT_NE(dialog, nullptr);
        // Accepted as proposed. The dialog reads its folder on a thread of its own and may turn
        // down an accept that comes before: press again until it closes.
        auto* retry = new QTimer(dialog);
        QObject::connect(retry, &QTimer::timeout, dialog, [dialog, retry, tries = 0]() mutable {
            if (++tries > 1000) {
                dialog->reject();
                return;
            }
            QMetaObject::invokeMethod(dialog, "accept");
            if (!dialog->isVisible()) retry->stop();
        });
        retry->start(10);
    });
    script.answerMessage(QMessageBox::Yes);  // the save question when closing

    struct Seen {
        QString paymentType, delimiter, formatKind, total, count, code;
        bool prepared = false;
    } initial, opened, afterPrepare;
    const auto look = [&](Seen& s) {
        s.paymentType =
            static_cast<QComboBox*>(window.control(window::idPaymentType))->currentText();
        s.formatKind = static_cast<QComboBox*>(window.control(window::idFormatKind))->currentText();
        s.delimiter = window.edit(window::idDelimiter)->text();
        s.total = fieldText(window, window::idTotal);
        s.count = fieldText(window, window::idCount);
        s.code = fieldText(window, window::idControlCode);
        s.prepared = static_cast<QCheckBox*>(window.control(window::idPrepared))->isChecked();
    };

    QTimer::singleShot(0, &window, [&] {
        look(initial);
        click(window, window::idBrowse);
        look(opened);
        QLineEdit* name = window.edit(window::idPayerName);
        name->setFocus();
        typeText(name, QString::fromUtf8("Примерна фирма ООД"));
        QTest::keyClick(name, Qt::Key_Return);
        look(afterPrepare);
        saveScreenshot(window, QStringLiteral("main-window"));
        click(window, window::idPrint);
        click(window, window::idCancel);
    });
    EXPECT_TRUE(session.run());

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    EXPECT_EQ(initial.paymentType, QStringLiteral("[DP]"));
    EXPECT_EQ(initial.delimiter, QStringLiteral(";"));
    EXPECT_EQ(initial.formatKind, shown(window::formatKindDelimited()));
    EXPECT_TRUE(initial.total.isEmpty());
    EXPECT_TRUE(suggested.startsWith(QLatin1Char('O')) &&
                suggested.endsWith(QLatin1String("P.*DP*")))
        << suggested.toStdString();

    EXPECT_EQ(opened.total, QStringLiteral("6276.15"));
    EXPECT_EQ(opened.count, QStringLiteral("4"));
    EXPECT_EQ(opened.code, QStringLiteral("42C4757F"));
    EXPECT_FALSE(opened.prepared);
    EXPECT_TRUE(afterPrepare.prepared);

    // The list now carries its header; the report went to PDF; the typed name was kept.
    const std::string list = velcor::testing::readFileBytes(listPath);
    EXPECT_EQ(list.substr(0, 5), "OMPDP");
    EXPECT_TRUE(reportText.contains(QStringLiteral("6276.15"))) << reportText.toStdString();
    EXPECT_EQ(velcor::testing::readFileBytes(pdfPath.toStdString()).substr(0, 5), "%PDF-");
    ASSERT_EQ(script.messages().size(), 3u);
    EXPECT_EQ(script.messages()[1], QString::fromUtf8("Файлът е подготвен."));
    EXPECT_EQ(script.messages()[2],
              QString::fromUtf8("Да се запишат ли данните за фирмата в INI файла?"));
    const std::string settings = velcor::testing::readFileBytes(settingsPath);
    EXPECT_NE(settings.find("Примерна фирма ООД"_cp), std::string::npos);
}

}  // namespace
}  // namespace velcor::app::test
