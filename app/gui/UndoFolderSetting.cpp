#include "app/gui/UndoFolderSetting.h"

#include <QSettings>

namespace velcor::app {

output::HistoryCap undoFolderCap() {
    const QSettings settings(QStringLiteral("velcor"), QStringLiteral("velcor"));
    output::HistoryCap cap;
    bool ok = false;
    const qlonglong megabytes = settings.value(QStringLiteral("undo/maxMegabytes")).toLongLong(&ok);
    // Up to a petabyte: a larger number is a typing slip, not a wish.
    if (ok && megabytes > 0 && megabytes <= (qlonglong{1} << 30))
        cap.maxBytes = static_cast<std::uint64_t>(megabytes) << 20;
    const int days = settings.value(QStringLiteral("undo/maxDays")).toInt(&ok);
    if (ok && days > 0) cap.maxDays = days;
    return cap;
}

}  // namespace velcor::app
