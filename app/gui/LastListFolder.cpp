#include "app/gui/LastListFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace velcor::app {

namespace {

const QString kKey = QStringLiteral("lastListFolder");

QSettings userSettings() { return QSettings(QStringLiteral("velcor"), QStringLiteral("velcor")); }

}  // namespace

QString lastListFolder() {
    const QString folder = userSettings().value(kKey).toString();
    return !folder.isEmpty() && QDir(folder).exists() ? folder : QString();
}

void rememberListFolder(const QString& listPath) {
    QSettings settings = userSettings();
    if (listPath.isEmpty())
        settings.remove(kKey);
    else
        settings.setValue(kKey, QFileInfo(listPath).absolutePath());
}

}  // namespace velcor::app
