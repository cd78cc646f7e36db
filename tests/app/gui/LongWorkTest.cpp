#include "GuiTestSupport.h"

#include "app/gui/Application.h"
#include "bench/ListGenerator.h"
#include "session/LongWork.h"
#include "support/TestSupport.h"
#include "window/ControlTable.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <vector>

namespace velcor::app::test {
namespace {

const std::filesystem::path kExamples = VELCOR_EXAMPLES_DIR;

// The standard file system, but every reading of one file stops at its `holdAt`th block until the
// test lets it go on: the reading then lasts as long as the test needs.
class HeldFileSystem final : public fileio::ForwardingFileSystem {
  public:
    HeldFileSystem(std::string heldPath, int holdAt)
        : ForwardingFileSystem(fileio::standardFileSystem()),
          heldPath_(std::move(heldPath)),
          holdAt_(holdAt) {}

    // Lets the held reading, or the next one to be held, go on.
    void release() {
        const std::lock_guard<std::mutex> lock(mutex_);
        ++released_;
        changed_.notify_all();
    }

    std::unique_ptr<fileio::ReadFile> openRead(const std::string& path,
                                               std::error_code& cause) override {
        std::unique_ptr<fileio::ReadFile> file = inner().openRead(path, cause);
        if (file == nullptr || path != heldPath_) return file;
        return std::make_unique<HeldRead>(std::move(file), *this);
    }

  private:
    class HeldRead final : public fileio::ReadFile {
      public:
        HeldRead(std::unique_ptr<fileio::ReadFile> file, HeldFileSystem& fs)
            : file_(std::move(file)), fs_(fs) {}
        std::ptrdiff_t read(char* buffer, std::size_t size) override {
            if (++reads_ == fs_.holdAt_) fs_.hold();
            return file_->read(buffer, size);
        }

      private:
        std::unique_ptr<fileio::ReadFile> file_;
        HeldFileSystem& fs_;
        int reads_ = 0;
    };

    void hold() {
        std::unique_lock<std::mutex> lock(mutex_);
        const int ticket = ++held_;
        // A reading that never shows its dialog is let go in the end, for the test to fail.
        changed_.wait_for(lock, std::chrono::seconds(20), [&] { return released_ >= ticket; });
    }

    std::string heldPath_;
    int holdAt_;
    std::mutex mutex_;
    std::condition_variable changed_;
    int held_ = 0;
    int released_ = 0;
};

// Counts the paintings of a widget.
class PaintCounter : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint) ++paints;
        return false;
    }
};

QString fieldText(MainWindow& window, int id) { return window.edit(id)->text().trimmed(); }

void click(MainWindow& window, int id) {
    QTest::mouseClick(static_cast<QPushButton*>(window.control(id)), Qt::LeftButton);
}

QPushButton* cancelButton(QProgressDialog& dialog) {
    const auto buttons = dialog.findChildren<QPushButton*>();
    return buttons.size() == 1 ? buttons.front() : nullptr;
}

// A list that takes long to read shows its progress with "Отказ" after half a second, over a busy
// cursor, while the window goes on painting. "Отказ" leaves the window showing the list opened
// before; let run, the reading ends with the new list's figures and no dialog left.
TEST(LongWorkWindow, ALongReadingShowsItsProgressAndStopsWhenCancelled) {
    velcor::testing::TempDir dir;
    const std::string settingsPath = dir.file("omp.ini");
    std::filesystem::copy_file(kExamples / "omp.ini", settingsPath);
    const std::string small = dir.file("O081206P.1DP");
    std::filesystem::copy_file(kExamples / "O081206P.1DP", small);
    const std::string large = dir.file("O081206P.5DP");
    ASSERT_GT(bench::writeGeneratedList(large, 20000), 0u);
    // Held after a few blocks of about forty.
    HeldFileSystem fs(large, 8);

    MainWindowSession session(fs, settingsPath);
    MainWindow& window = session.window();
    std::string chosen = small;
    session.host().setOpenFileChooser(
        [&](const QString&) -> std::optional<QString> { return QString::fromStdString(chosen); });
    PaintCounter painted;
    window.installEventFilter(&painted);

    struct Seen {
        QString label, cancel;
        int value = -1, maximum = 0;
        bool busyCursor = false;
        int paintsBefore = 0, paintsWhileHeld = 0;
    } first, second;
    ModalScript script({&window});
    const auto watch = [&](Seen& seen, bool stop) {
        return [&seen, stop, &fs, &painted, &window](QWidget* widget) {
            auto* dialog = qobject_cast<QProgressDialog*>(widget);
            ASSERT_NE(dialog, nullptr);
            seen.label = dialog->labelText();
            seen.cancel = cancelButton(*dialog) ? cancelButton(*dialog)->text() : QString();
            seen.value = dialog->value();
            seen.maximum = dialog->maximum();
            seen.busyCursor = QApplication::overrideCursor() &&
                              QApplication::overrideCursor()->shape() == Qt::BusyCursor;
            if (stop) {
                QPixmap shot = window.grab();
                QPainter painter(&shot);
                const QPixmap box = dialog->grab();
                const QRect place((shot.width() - box.width()) / 2,
                                  (shot.height() - box.height()) / 2, box.width(), box.height());
                painter.drawPixmap(place, box);
                painter.drawRect(place.adjusted(-1, -1, 0, 0));  // the frame a desktop would draw
                painter.end();
                saveScreenshot(shot, QStringLiteral("progress-dialog"));
            }
            // The window paints while the reading is held; then the dialog is answered.
            seen.paintsBefore = painted.paints;
            window.update();
            QTimer::singleShot(200, dialog, [&seen, stop, &fs, &painted, dialog] {
                seen.paintsWhileHeld = painted.paints;
                if (QPushButton* button = stop ? cancelButton(*dialog) : nullptr)
                    QTest::mouseClick(button, Qt::LeftButton);
                fs.release();
            });
        };
    };
    script.then(watch(first, true)).then(watch(second, false));

    QString pathBefore, totalBefore, countBefore, codeBefore;
    QString pathStopped, totalStopped, countStopped, codeStopped;
    QString totalRead, countRead;
    bool dialogLeft = true, cursorLeft = true;
    QTimer::singleShot(0, &window, [&] {
        click(window, window::idBrowse);
        pathBefore = fieldText(window, window::idInputPath);
        totalBefore = fieldText(window, window::idTotal);
        countBefore = fieldText(window, window::idCount);
        codeBefore = fieldText(window, window::idControlCode);

        chosen = large;
        click(window, window::idBrowse);
        pathStopped = fieldText(window, window::idInputPath);
        totalStopped = fieldText(window, window::idTotal);
        countStopped = fieldText(window, window::idCount);
        codeStopped = fieldText(window, window::idControlCode);

        click(window, window::idBrowse);
        totalRead = fieldText(window, window::idTotal);
        countRead = fieldText(window, window::idCount);
        dialogLeft = QApplication::activeModalWidget() != &window;
        cursorLeft = QApplication::overrideCursor() != nullptr;
        click(window, window::idCancel);
    });
    session.run();

    EXPECT_TRUE(script.done());
    EXPECT_TRUE(script.unexpected().empty()) << script.unexpected().front().toStdString();
    for (const Seen* seen : {&first, &second}) {
        EXPECT_EQ(seen->label, shown(session::readingListText()));
        EXPECT_EQ(seen->cancel, QString::fromUtf8("Отказ"));
        EXPECT_GT(seen->value, 0);
        EXPECT_LT(seen->value, seen->maximum);
        EXPECT_TRUE(seen->busyCursor);
        EXPECT_GT(seen->paintsWhileHeld, seen->paintsBefore);
    }
    EXPECT_EQ(totalBefore, QStringLiteral("6276.15"));
    EXPECT_EQ(pathStopped, pathBefore);
    EXPECT_EQ(totalStopped, totalBefore);
    EXPECT_EQ(countStopped, countBefore);
    EXPECT_EQ(codeStopped, codeBefore);
    EXPECT_EQ(countRead, QStringLiteral("20000"));
    EXPECT_NE(totalRead, totalBefore);
    EXPECT_FALSE(dialogLeft);
    EXPECT_FALSE(cursorLeft);
}

}  // namespace
}  // namespace velcor::app::test
