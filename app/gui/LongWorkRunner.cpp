#include "app/gui/LongWorkRunner.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/ScreenFit.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMetaObject>
#include <QProgressDialog>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <memory>
#include <system_error>
#include <thread>

namespace velcor::app {

namespace {

constexpr int kSteps = 1000;  // the dialog's range: the share read in tenths of a percent

// What the work and the window's thread share while it runs.
struct Shared {
    std::atomic<std::uint64_t> done{0};
    std::atomic<std::uint64_t> total{0};
    std::atomic<bool> stop{false};
    std::atomic<bool> ended{false};
    std::exception_ptr failure;  // written before `ended`, read after the join
};

int shareRead(const Shared& shared) {
    const std::uint64_t total = shared.total.load(std::memory_order_relaxed);
    const std::uint64_t done = shared.done.load(std::memory_order_relaxed);
    if (total == 0) return 0;
    return static_cast<int>(std::min(done, total) * kSteps / total);
}

// The progress dialog and the busy cursor, for as long as they are shown.
class ProgressShown {
  public:
    ProgressShown(QWidget* parent, const QString& label, Shared& shared)
        : dialog_(label, fromCp1251(session::stopWorkText()), 0, kSteps, parent) {
        dialog_.setWindowTitle(applicationTitle());
        dialog_.setMinimumWidth(dialog_.fontMetrics().averageCharWidth() * 50);
        dialog_.setWindowModality(Qt::ApplicationModal);
        // It stays until the work has ended, whatever share it shows.
        dialog_.setAutoReset(false);
        dialog_.setAutoClose(false);
        QObject::connect(&dialog_, &QProgressDialog::canceled, &dialog_,
                         [&shared] { shared.stop.store(true, std::memory_order_relaxed); });
        keepOnScreen(dialog_);
        QApplication::setOverrideCursor(Qt::BusyCursor);
        dialog_.show();
    }
    ~ProgressShown() {
        dialog_.hide();
        QApplication::restoreOverrideCursor();
    }
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

    // A modal dialog takes its events while it sets a value, so the value waits once the dialog
    // is gone: those events would be the window's.
    void show(int share) {
        if (dialog_.isVisible()) dialog_.setValue(share);
    }
    // Cancelled, the dialog has hidden itself while the work comes to its stop.
    bool takesInput() const { return dialog_.isVisible(); }

  private:
    QProgressDialog dialog_;
};

}  // namespace

void runWithProgress(QWidget* parent, const QString& label, const session::LongWork& work,
                     std::chrono::milliseconds delay) {
    Shared shared;
    // Lives on the window's thread; the work's end is posted to it, which wakes the loop below.
    QObject waker;
    std::thread worker;
    try {
        worker = std::thread([&] {
            try {
                work([&shared](std::uint64_t done, std::uint64_t total) {
                    shared.total.store(total, std::memory_order_relaxed);
                    shared.done.store(done, std::memory_order_relaxed);
                    return !shared.stop.load(std::memory_order_relaxed);
                });
            } catch (...) {
                shared.failure = std::current_exception();
            }
            shared.ended.store(true, std::memory_order_release);
            QMetaObject::invokeMethod(
                &waker, [] {}, Qt::QueuedConnection);
        });
    } catch (const std::system_error&) {
        // No thread to be had: the work runs here, as it always did, unwatched.
        work({});
        return;
    }

    QElapsedTimer clock;
    clock.start();
    // Wakes the loop to show the dialog when it is due and to move its bar on.
    QTimer tick;
    tick.start(50);
    std::unique_ptr<ProgressShown> progress;
    QEventLoop loop;
    while (!shared.ended.load(std::memory_order_acquire)) {
        if (!progress && clock.elapsed() >= delay.count())
            progress = std::make_unique<ProgressShown>(parent, label, shared);
        if (progress) progress->show(shareRead(shared));
        // The window is painted throughout. Its input is for the dialog while that is up (the
        // window, which it blocks, takes none); otherwise it waits.
        const QEventLoop::ProcessEventsFlags input = progress && progress->takesInput()
                                                         ? QEventLoop::AllEvents
                                                         : QEventLoop::ExcludeUserInputEvents;
        loop.processEvents(input | QEventLoop::WaitForMoreEvents);
    }
    worker.join();
    progress.reset();
    if (shared.failure) std::rethrow_exception(shared.failure);
}

}  // namespace velcor::app
