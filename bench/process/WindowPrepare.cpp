// Opens a list in the real window (offscreen) and prepares it, as the operator's "..." and
// "Подготовка" do, for measuring whether the window's memory grows with the list.
// Usage: window-prepare SETTINGS LIST; exits 0 when the list was prepared.
#include "app/gui/Application.h"
#include "app/gui/MainWindow.h"
#include "app/gui/QtDialogHost.h"
#include "fileio/FileSystem.h"
#include "window/ControlIds.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QString>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: window-prepare SETTINGS LIST\n");
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    velcor::app::MainWindowSession session(velcor::fileio::standardFileSystem(), argv[1]);
    if (!session.dialog().initialise().done) return 1;
    session.window().show();
    const QString list = QString::fromLocal8Bit(argv[2]);
    session.host().setOpenFileChooser([&](const QString&) { return list; });
    session.dialog().onCommand(velcor::window::idBrowse);
    // The list's value date may be one the bank refuses (a day gone by): the question about it is
    // answered "Да".
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            if (QAbstractButton* yes = box->button(QMessageBox::Yes)) yes->click();
    });
    answer.start(10);
    session.dialog().onCommand(velcor::window::idPrepare);
    return session.dialog().state().filePrepared ? 0 : 1;
}
