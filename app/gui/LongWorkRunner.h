#pragma once

// Long work of the window's logic (reading a list, writing the prepared file) run off the window's
// thread, so that the window keeps painting: once it has gone on for a while, a progress dialog
// shows the share read, with "Отказ", over a busy cursor.

#include "session/LongWork.h"

#include <QString>

#include <chrono>

class QWidget;

namespace velcor::app {

// Work shorter than this shows nothing.
inline constexpr std::chrono::milliseconds kProgressDelay{500};

// Runs `work` on a thread of its own and returns once it has ended, with the work's exception, if
// any, thrown here. After `delay` a modal progress dialog over `parent` shows `label` and the
// share read; its "Отказ" asks the work to stop. Until the dialog shows, and after it has been
// cancelled, the operator's input waits for the work's end, as it would while the window's own
// thread worked: nothing the window does can meet the work halfway.
void runWithProgress(QWidget* parent, const QString& label, const session::LongWork& work,
                     std::chrono::milliseconds delay = kProgressDelay);

}  // namespace velcor::app
