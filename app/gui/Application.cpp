#include "app/gui/Application.h"

#include "app/gui/AppIdentity.h"
#include "window/ControlIds.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include <clocale>

namespace velcor::app {

MainWindowSession::MainWindowSession(fileio::FileSystem& fs, std::string settingsPath)
    : host_(window_), dialog_(host_, fs, std::move(settingsPath)) {
    window_.setCommandHandler([this](int id) { dialog_.onCommand(id); });
}

bool MainWindowSession::run() {
    const bool loaded = dialog_.initialise();
    if (loaded && !host_.ended()) {
        // The focus starts on the first control, the path of the list.
        if (QWidget* first = window_.control(window::idInputPath)) first->setFocus();
        window_.exec();
    }
    // The window goes away here, whether it ran or ended while opening; the payer data are
    // saved only where the logic finds reason to.
    dialog_.saveSettings();
    return loaded;
}

bool installQtTranslation(QTranslator& translator) {
    const QString name = QStringLiteral("qtbase_bg");
    // Where Qt keeps its translations, or beside the program where a Windows installation puts
    // them.
    const bool loaded = translator.load(name, QLibraryInfo::path(QLibraryInfo::TranslationsPath)) ||
                        translator.load(name, QCoreApplication::applicationDirPath() +
                                                  QStringLiteral("/translations"));
    return loaded && QCoreApplication::installTranslator(&translator);
}

int runApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    // Qt has set the C library's locale from the environment. Amounts are written with printf
    // formats and read back with strtod, and the bank file must carry a full stop as the decimal
    // separator whatever the operator's locale, so numbers stay in the "C" locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(applicationIcon());
    // Everything the operator reads is Bulgarian, Qt's own buttons and dialogs too.
    QTranslator qtTexts;
    installQtTranslation(qtTexts);

    MainWindowSession session(fileio::standardFileSystem(), "omp.ini");
    session.run();
    return 0;
}

}  // namespace velcor::app
