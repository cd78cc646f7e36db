#include "window/WindowSetup.h"

#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace velcor::window::test {
namespace {

using namespace velcor::text::literals;
using testing::FaultyFileSystem;

// A blank line and CR LF, which the prepared file drops: only the kept copy has them.
constexpr std::string_view kRows =
    "BG80BNBG96611020345678;BNBGBGSD;Ivan;10.50\r\n\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\n";

// A window that keeps its prepares in a folder of the test's own, with the DP list scanned.
struct KeptWindow {
    KeptWindow() : w(standardSettings()), history(w.dir.file("data/undo")) {
        w.dialog->keepPreparesIn(history);
        w.selectType(1);
        list = w.writeList("O081206P.1DP", kRows);
        w.browse(list);
        w.host.clearEvents();
    }
    std::size_t historyFiles() const {
        std::error_code error;
        std::size_t count = 0;
        for (std::filesystem::directory_iterator it(history, error), end; !error && it != end;
             it.increment(error))
            ++count;
        return count;
    }
    WindowSetup w;
    std::string history;
    std::string list;
};

std::vector<Message> kindsOf(const Outcome& outcome) {
    std::vector<Message> kinds;
    for (const ShownMessage& message : outcome.messages) kinds.push_back(message.kind);
    return kinds;
}

// "Файлът вече е обработен!" keeps its text and says below it where the undo is; the window's
// other refusals say nothing below theirs.
TEST(UndoPrepare, AListPreparedAlreadyIsToldWhereItsUndoIs) {
    KeptWindow k;
    ASSERT_TRUE(k.w.dialog->prepare().done);
    struct Case {
        const char* what;
        std::function<Outcome()> act;
        Message kind;
        std::string_view detail;
    } cases[] = {
        {"prepared again", [&] { return k.w.dialog->prepare(); }, Message::alreadyPrepared,
         session::alreadyPreparedHint()},
        {"a list that is no more",
         [&] {
             k.w.dialog->pathEdited();
             return k.w.dialog->prepare();
         },
         Message::notValid,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        k.w.host.clearEvents();
        const Outcome outcome = c.act();
        EXPECT_EQ(kindsOf(outcome), std::vector<Message>{c.kind});
        ASSERT_EQ(k.w.host.events().size(), 1u);
        EXPECT_EQ(k.w.host.events()[0].text, session::messageText(c.kind));
        EXPECT_EQ(k.w.host.events()[0].detail, c.detail);
    }
    EXPECT_NE(session::alreadyPreparedHint().find("„Файл“"_cp.view()), std::string_view::npos);
}

// Work done is confirmed in an information box that names the list, its count and its total in
// the currency of its value date: the prepare, and the undo with the list as it is put back.
TEST(UndoPrepare, ThePrepareAndItsUndoAreConfirmedWithTheFiguresAndTheCurrency) {
    struct Case {
        const char* what;
        int year;  // of the value date; the day is 8 December
        std::string_view currency;
    } cases[] = {
        {"in leva", 2006, "лв."_cp},
        {"in euro", 2026, "EUR"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        KeptWindow k;
        ASSERT_TRUE(k.w.dialog->setValueDate(8, 12, c.year).done);
        const Outcome prepared = k.w.dialog->prepare();
        ASSERT_TRUE(prepared.done);
        const std::string figures = std::string("Файл: "_cp) + k.list + "\n" +
                                    std::string("Брой: 2\nОбща сума: 30.75 "_cp) +
                                    std::string(c.currency);
        ASSERT_TRUE(prepared.confirmation.has_value());
        EXPECT_EQ(prepared.confirmation->kind, Message::prepareDone);
        EXPECT_EQ(prepared.confirmation->text, std::string("Файлът е подготвен.\n"_cp) + figures);
        EXPECT_TRUE(prepared.messages.size() <= 2u)
            << "at most the euro note and the date question";

        const Outcome undone = k.w.dialog->undoPrepare();
        ASSERT_TRUE(undone.done);
        ASSERT_TRUE(undone.confirmation.has_value());
        EXPECT_EQ(undone.confirmation->kind, Message::prepareUndone);
        EXPECT_EQ(undone.confirmation->text,
                  std::string(session::messageText(Message::prepareUndone)) + "\n" + figures);
        // Confirmations are no warnings: the message boxes stay as they were.
        EXPECT_EQ(k.w.host.confirmations(), (std::vector<std::string>{prepared.confirmation->text,
                                                                      undone.confirmation->text}));
        for (const std::string& message : k.w.host.messages())
            EXPECT_NE(message, session::messageText(Message::prepareUndone));
    }
}

// The payer name typed wrong goes into the header; undone, the list is as it was, opened again,
// and prepared anew with the name put right.
TEST(UndoPrepare, PutsTheListBackAndItCanBePreparedAgain) {
    KeptWindow k;
    k.w.host.type(idPayerName, "Firma OOF");
    ASSERT_TRUE(k.w.dialog->prepare().done);
    const std::string prepared = testing::readFileBytes(k.list);
    ASSERT_NE(prepared.find("Firma OOF"), std::string::npos);

    const Outcome undone = k.w.dialog->undoPrepare();
    EXPECT_TRUE(undone.done);
    EXPECT_EQ(kindsOf(undone), std::vector<Message>{Message::prepareUndone});
    EXPECT_EQ(testing::readFileBytes(k.list), kRows);
    EXPECT_FALSE(undone.filePrepared);
    EXPECT_TRUE(undone.fileValid);
    EXPECT_EQ(undone.shown.count, "2");
    EXPECT_FALSE(k.w.host.isChecked(idPrepared));

    const Outcome again = k.w.dialog->undoPrepare();
    EXPECT_FALSE(again.done);
    EXPECT_EQ(kindsOf(again), std::vector<Message>{Message::alreadyUndone});

    k.w.host.type(idPayerName, "Firma OOD");
    ASSERT_TRUE(k.w.dialog->prepare().done);
    EXPECT_NE(testing::readFileBytes(k.list).find("Firma OOD"), std::string::npos);
}

TEST(UndoPrepare, RefusesWhatItCannotPutBackAndLeavesTheListAsItIs) {
    const struct {
        const char* what;
        std::function<void(KeptWindow&)> arrange;
        Message message;
    } cases[] = {
        {"the list edited after its prepare",
         [](KeptWindow& k) {
             k.w.dialog->prepare();
             testing::writeFileBytes(k.list, testing::readFileBytes(k.list) + "\n");
         },
         Message::changedSincePrepare},
        {"a list never prepared here", [](KeptWindow&) {}, Message::nothingToUndo},
        {"a window that keeps no prepares",
         [](KeptWindow& k) {
             k.w.dialog->prepare();
             k.w.dialog->keepPreparesIn(std::nullopt);
         },
         Message::nothingToUndo},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeptWindow k;
        c.arrange(k);
        const std::string before = testing::readFileBytes(k.list);
        k.w.fs.resetCounts();
        const Outcome outcome = k.w.dialog->undoPrepare();
        EXPECT_FALSE(outcome.done);
        EXPECT_EQ(kindsOf(outcome), std::vector<Message>{c.message});
        EXPECT_EQ(testing::readFileBytes(k.list), before);
        EXPECT_EQ(k.w.fs.calls(FaultyFileSystem::Step::rename), 0u);
    }
}

// Without a copy to undo it with, the list is not prepared; a prepare that does not replace the
// list keeps nothing of it.
TEST(UndoPrepare, APrepareWithoutItsCopyWritesNothing) {
    const struct {
        const char* what;
        std::function<void(KeptWindow&)> arrange;
        Message message;
    } cases[] = {
        {"no folder for the copies",
         [](KeptWindow& k) { k.w.dialog->keepPreparesIn(std::nullopt); }, Message::noHistoryFolder},
        {"a file where the folder should be",
         [](KeptWindow& k) { testing::writeFileBytes(k.w.dir.file("data"), ""); },
         Message::historyNotKept},
        // The list linked into the history: the prepared list is made, then the record.
        {"the record not written",
         [](KeptWindow& k) { k.w.fs.failCall(FaultyFileSystem::Step::createTemporary, 2); },
         Message::historyNotKept},
        {"the list not replaced",  // the record, then the list
         [](KeptWindow& k) { k.w.fs.failCall(FaultyFileSystem::Step::rename, 2); },
         Message::writeFailed},
        // On another file system the list is copied: the copy, the prepared list, the record.
        {"the copy's record not written",
         [](KeptWindow& k) {
             k.w.fs.failFromCall(FaultyFileSystem::Step::link);
             k.w.fs.failCall(FaultyFileSystem::Step::createTemporary, 3);
         },
         Message::historyNotKept},
        {"the copied list not replaced",  // the copy, the record, then the list
         [](KeptWindow& k) {
             k.w.fs.failFromCall(FaultyFileSystem::Step::link);
             k.w.fs.failCall(FaultyFileSystem::Step::rename, 3);
         },
         Message::writeFailed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        KeptWindow k;
        k.w.fs.resetCounts();
        c.arrange(k);
        const Outcome outcome = k.w.dialog->prepare();
        EXPECT_FALSE(outcome.done);
        ASSERT_EQ(outcome.messages.size(), 1u);
        EXPECT_EQ(outcome.messages[0].kind, c.message);
        EXPECT_EQ(testing::readFileBytes(k.list), kRows);
        EXPECT_FALSE(outcome.filePrepared);
        EXPECT_EQ(k.historyFiles(), 0u);
    }
    KeptWindow k;
    testing::writeFileBytes(k.w.dir.file("data"), "");
    EXPECT_EQ(k.w.dialog->prepare().messages.at(0).text,
              std::string("Файлът не е подготвен: копието му за отмяна на подготовката не може "
                          "да се запише в "_cp) +
                  k.history + std::string(" (част от пътя не е папка)!"_cp));
}

// The copy and the undo are long work; a list whose copy the undo folder let go to stay within its
// cap is told so, with the folder and its cap, and stays as it is.
TEST(UndoPrepare, ItsCopiesAreLongWorkAndALetGoCopyIsToldOf) {
    KeptWindow k;
    k.w.dialog->keepPreparesIn(k.history, output::HistoryCap{10, 90});
    k.w.host.longWork.clear();
    ASSERT_TRUE(k.w.dialog->prepare().done);
    EXPECT_EQ(k.w.host.longWork,
              (std::vector<std::string>{std::string(session::keepingCopyText()),
                                        std::string(session::writingListText())}));
    const std::string first = testing::readFileBytes(k.list);

    // Another list prepared: the first one's copy is over the cap, and goes.
    const std::string other = k.w.writeList("O081206P.2DP", kRows);
    k.w.browse(other);
    ASSERT_TRUE(k.w.dialog->prepare().done);
    k.w.browse(k.list);
    k.w.host.longWork.clear();
    const Outcome refused = k.w.dialog->undoPrepare();
    EXPECT_FALSE(refused.done);
    EXPECT_EQ(k.w.host.longWork, std::vector<std::string>{std::string(session::undoingText())});
    ASSERT_EQ(kindsOf(refused), std::vector<Message>{Message::keptCopyLetGo});
    const std::string& text = refused.messages[0].text;
    for (const std::string& part :
         {k.history, std::string("10 байта"_cp), std::string("90 дни"_cp)})
        EXPECT_NE(text.find(part), std::string::npos) << part << " in " << text;
    EXPECT_EQ(testing::readFileBytes(k.list), first);

    // The other, the newest, is undone; stopped, nothing is put back.
    k.w.browse(other);
    k.w.host.stopWorkAt = 1;
    EXPECT_TRUE(k.w.dialog->undoPrepare().cancelled);
    EXPECT_NE(testing::readFileBytes(other), kRows);
    EXPECT_TRUE(k.w.dialog->undoPrepare().done);
    EXPECT_EQ(testing::readFileBytes(other), kRows);
}

}  // namespace
}  // namespace velcor::window::test
