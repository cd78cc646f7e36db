#include "app/gui/AppIdentity.h"

#include "text/Text.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace velcor::app {

QIcon applicationIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/velcor/icon-%1.png").arg(size), QSize(size, size));
    return icon;
}

QString applicationTitle() {
    // Taken from the running program rather than QCoreApplication::applicationName(), which
    // start-up code or a platform plug-in may have changed.
    const QString path = QCoreApplication::applicationFilePath();
    if (path.isEmpty()) return QCoreApplication::applicationName();
    return QFileInfo(path).completeBaseName();
}

QString fromCp1251(std::string_view text) {
    const std::string utf8 = text::toUtf8(text);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace velcor::app
