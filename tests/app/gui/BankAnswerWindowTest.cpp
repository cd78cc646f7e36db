#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "app/gui/BankAnswerWindow.h"
#include "support/SepaFileReader.h"
#include "support/TestSupport.h"
#include "window/ControlIds.h"

#include <QAction>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QTableWidget>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

namespace velcor::app::test {
namespace {

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// The operator sends the example list as a SEPA file; the bank accepts it in part. "Файл →
// Отговор от банката (pain.002)…" shows the two payments it rejected with their reasons, sorts
// them, and writes them as a new list of the rows as the list held them.
TEST(BankAnswerWindow, ShowsTheRejectedPaymentsAndWritesThemAsANewList) {
    velcor::testing::TempDir dir;
    // The export's record goes to the user's data folder: here, the test's own.
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(dir.file("data")));
    qputenv("LOCALAPPDATA", QByteArray::fromStdString(dir.file("data")));
    const std::string settingsPath = dir.file("omp.ini");
    std::filesystem::copy_file(kExamples / "omp.ini", settingsPath);
    const std::string list = dir.file("O150126P.1DP");
    std::filesystem::copy_file(kExamples / "O081206P.1DP", list);
    const std::string sepa = dir.file("bank.xml");
    const std::string answer = dir.file("answer.xml");
    const std::string rejected = dir.file("rejected.1DP");

    MainWindowSession session(fileio::standardFileSystem(), settingsPath);
    MainWindow& window = session.window();
    std::string chosen = list;
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(chosen); });

    QStringList names, amounts, texts;
    QString summary;
    session.host().setBankAnswerObserver([&](BankAnswerWindow& shown) {
        QTimer::singleShot(0, &shown, [&] {
            QTableWidget* table = shown.table();
            table->sortByColumn(3, Qt::DescendingOrder);  // the larger amount first
            for (int row = 0; row < table->rowCount(); ++row) {
                names << table->item(row, 1)->text();
                amounts << table->item(row, 3)->text();
                texts << table->item(row, 6)->text();
            }
            summary = shown.summary()->text();
            saveScreenshot(shown, QStringLiteral("bank-answer"));
            shown.writeRejectedTo(QString::fromStdString(rejected));
            shown.reject();
        });
    });

    ModalScript script({&window});
    script.answerMessage(QMessageBox::Yes);  // the list's value date is gone by: go on
    script.answerMessage(QMessageBox::Yes);  // the file, as a bank's page shows it
    script.answerMessage();                  // written
    script.answerMessage();                  // the rejected rows written

    QTimer::singleShot(0, &window, [&] {
        session.dialog().openList(list);
        ASSERT_TRUE(session.dialog().exportSepa({}, sepa).done);
        const auto file = velcor::testing::readSepaFile(velcor::testing::readFileBytes(sepa));
        ASSERT_TRUE(file.has_value());
        const auto id = [&](std::size_t row) { return file->transactions[row - 1].endToEndId; };
        velcor::testing::writeFileBytes(
            answer,
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Document "
            "xmlns=\"urn:iso:std:iso:20022:tech:xsd:pain.002.001.10\"><CstmrPmtStsRpt><GrpHdr>"
            "<MsgId>BANK-1</MsgId><CreDtTm>2026-01-16T10:00:00</CreDtTm></GrpHdr>"
            "<OrgnlGrpInfAndSts><OrgnlMsgId>" +
                file->messageId +
                "</OrgnlMsgId><OrgnlMsgNmId>pain.001.001.09</OrgnlMsgNmId><GrpSts>PART</GrpSts>"
                "</OrgnlGrpInfAndSts><OrgnlPmtInfAndSts><OrgnlPmtInfId>X</OrgnlPmtInfId>"
                "<TxInfAndSts><OrgnlEndToEndId>" +
                id(2) +
                "</OrgnlEndToEndId><TxSts>RJCT</TxSts><StsRsnInf><Rsn><Cd>AC04</Cd></Rsn>"
                "<AddtlInf>ACCOUNT CLOSED</AddtlInf></StsRsnInf></TxInfAndSts><TxInfAndSts>"
                "<OrgnlEndToEndId>" +
                id(4) +
                "</OrgnlEndToEndId><TxSts>RJCT</TxSts><StsRsnInf><Rsn><Cd>AC01</Cd></Rsn>"
                "</StsRsnInf></TxInfAndSts><TxInfAndSts><OrgnlEndToEndId>" +
                id(1) +
                "</OrgnlEndToEndId><TxSts>ACCC</TxSts></TxInfAndSts></OrgnlPmtInfAndSts>"
                "</CstmrPmtStsRpt></Document>\n");
        chosen = answer;
        QAction* entry = window.menuBarAction(window::idBankAnswer);
        ASSERT_NE(entry, nullptr);
        ASSERT_TRUE(entry->isVisible());
        entry->trigger();
        window.reject();
    });
    EXPECT_TRUE(session.run());

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    EXPECT_EQ(names, (QStringList{"Maria Ivanova", "Agro AD"}));
    EXPECT_EQ(amounts, (QStringList{"830.45", "95.60"}));
    EXPECT_EQ(texts, (QStringList{"ACCOUNT CLOSED", ""}));
    EXPECT_TRUE(summary.contains(QString::fromUtf8("частично приет"))) << summary.toStdString();
    ASSERT_EQ(script.messages().size(), 4u);
    EXPECT_TRUE(script.messages()[3].startsWith(QString::fromUtf8("Отхвърлените редове (2)")));
    // The rows as the list held them, the second and the fourth.
    const std::string original = velcor::testing::readFileBytes(list);
    std::vector<std::string> lines;
    for (std::size_t start = 0; start < original.size();) {
        const std::size_t end = original.find('\n', start);
        lines.push_back(original.substr(start, end - start + 1));
        start = end + 1;
    }
    ASSERT_GE(lines.size(), 4u);
    EXPECT_EQ(velcor::testing::readFileBytes(rejected), lines[1] + lines[3]);
}

}  // namespace
}  // namespace velcor::app::test
