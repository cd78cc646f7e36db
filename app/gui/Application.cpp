#include "app/gui/Application.h"

#include "app/gui/AppIdentity.h"
#include "app/gui/BudgetRulesSetting.h"
#include "app/gui/LastListFolder.h"
#include "app/gui/UndoFolderSetting.h"
#include "output/PrepareHistory.h"
#include "session/Messages.h"
#include "text/Cp1251.h"
#include "text/Text.h"
#include "window/ControlIds.h"

#include <QApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QTranslator>

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <new>
#include <system_error>

namespace velcor::app {

using namespace velcor::text::literals;

namespace {

constexpr auto kNoSettingsFile = "няма файл %s в папка %s"_cp;
constexpr auto kSettingsUnreadable = "не може да се прочете файл %s в папка %s"_cp;
#ifdef VELCOR_STARTER_SETTINGS
// The way out for one who typed the program's name in a terminal: the desktop menu's start.
constexpr auto kStartWithLauncher =
    "Стартирайте velcor-launch, както менюто: той пуска програмата в ~/.config/velcor и слага там "
    "omp.ini по образеца %s"_cp;
#endif

}  // namespace

MainWindowSession::MainWindowSession(fileio::FileSystem& fs, std::string settingsPath)
    : host_(window_), dialog_(host_, fs, std::move(settingsPath)) {
    // A prepare can be undone from a copy of the list kept in the user's own data folder.
    dialog_.keepPreparesIn(output::userPrepareHistoryFolder(), undoFolderCap());
    // Qt does not let an exception pass through its event loop: running out of memory in a
    // command ends that command with a message, never the program with an abort.
    window_.setCommandHandler([this](window::ControlId id) {
        try {
            dialog_.onCommand(id);
            // A list typed into the path box and opened with Enter is opened as one chosen with
            // "..." is: the open dialog starts in its folder next time.
            if (id == window::idInputPath) {
                const QFileInfo typed(window_.edit(window::idInputPath)->text());
                if (typed.isFile()) rememberListFolder(typed.absoluteFilePath());
            }
        } catch (const std::bad_alloc&) {
            host_.showMessage(session::messageText(session::Message::outOfMemory));
        }
    });
    window_.setSepaExportAvailable([this] { return dialog_.sepaExportAvailable(); });
    QObject::connect(&window_, &MainWindow::pathEdited, &window_, [this] {
        dialog_.pathEdited();
        showBudgetRulesHint();
    });
    // The rules chosen last time; no list is open yet, so nothing is read by them.
    dialog_.chooseBudgetRules(rememberedBudgetRules());
    window_.showBudgetRules(dialog_.state().budgetRules);
    QObject::connect(&window_, &MainWindow::budgetRulesChosen, &window_,
                     [this](processing::BudgetRules rules) {
                         try {
                             dialog_.chooseBudgetRules(rules);
                         } catch (const std::bad_alloc&) {
                             host_.showMessage(session::messageText(session::Message::outOfMemory));
                         }
                         // A reading the operator stopped keeps the rules it was checked by.
                         const processing::BudgetRules kept = dialog_.state().budgetRules;
                         window_.showBudgetRules(kept);
                         rememberBudgetRules(kept);
                         showBudgetRulesHint();
                     });
    // Every command may open another list or change its value date; so may the operator.
    QObject::connect(&window_, &MainWindow::commandFinished, &window_,
                     [this] { showBudgetRulesHint(); });
    if (auto* date = qobject_cast<QDateEdit*>(window_.control(window::idPaymentDate)))
        QObject::connect(date, &QDateEdit::dateChanged, &window_,
                         [this] { showBudgetRulesHint(); });
}

void MainWindowSession::showBudgetRulesHint() {
    window_.showBudgetRulesHint(dialog_.budgetRulesHint());
}

bool MainWindowSession::run() {
    const bool loaded = dialog_.initialise().done;
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

std::string programName(int argc, char** argv) {
    return argc > 0 && argv[0] != nullptr ? std::filesystem::path(argv[0]).stem().string()
                                          : std::string("velcor");
}

std::optional<std::string> settingsStartProblem(fileio::FileSystem& fs,
                                                const std::string& settingsPath,
                                                const std::string& folder) {
    std::error_code cause;
    if (fs.openRead(settingsPath, cause)) return std::nullopt;
    // A file that is there (a folder, no permission) is told apart from one that is missing.
    const std::string form =
        text::toUtf8(fs.stamp(settingsPath) ? kSettingsUnreadable.view() : kNoSettingsFile.view());
    std::string problem =
        text::format(form.c_str(), text::toUtf8(settingsPath).c_str(), folder.c_str());
#ifdef VELCOR_STARTER_SETTINGS
    if (!fs.stamp(settingsPath)) {
        problem += '\n';
        problem +=
            text::format(text::toUtf8(kStartWithLauncher.view()).c_str(), VELCOR_STARTER_SETTINGS);
    }
#endif
    return problem;
}

bool screenReachable() {
#ifdef Q_OS_WIN
    return true;
#else
    for (const char* name : {"QT_QPA_PLATFORM", "WAYLAND_DISPLAY", "DISPLAY"})
        if (!qEnvironmentVariableIsEmpty(name)) return true;
    return false;
#endif
}

void showStartProblem(const std::string& problem) {
    QMessageBox box(QMessageBox::Warning, applicationTitle(), QString::fromStdString(problem),
                    QMessageBox::Ok);
    box.setTextFormat(Qt::PlainText);
    box.setWindowIcon(applicationIcon());
    box.exec();
}

int runSession(fileio::FileSystem& fs, const std::string& settingsPath) {
    MainWindowSession session(fs, settingsPath);
    return session.run() ? 0 : 1;
}

int runApplication(int argc, char** argv) {
    fileio::FileSystem& fs = fileio::standardFileSystem();
    const std::string settingsPath = "omp.ini";
    // Started in a folder without settings (a terminal elsewhere, a file manager), the program
    // has nothing to work on and must not pass for a success. The line comes before the
    // application object, so that a terminal without a display gets it too; where there is a
    // screen, a message box says the same to one who started it without a terminal.
    std::error_code error;
    const std::filesystem::path folder = std::filesystem::current_path(error);
    if (const auto problem =
            settingsStartProblem(fs, settingsPath, error ? std::string(".") : folder.string())) {
        std::fprintf(stderr, "%s: %s\n", programName(argc, argv).c_str(), problem->c_str());
        std::fflush(stderr);
        if (screenReachable()) {
            QApplication application(argc, argv);
            QTranslator qtTexts;
            installQtTranslation(qtTexts);
            showStartProblem(*problem);
        }
        return 1;
    }

    QApplication application(argc, argv);
    // Qt has set the C library's locale from the environment. Amounts are written with printf
    // formats and read back with strtod, and the bank file must carry a full stop as the decimal
    // separator whatever the operator's locale, so numbers stay in the "C" locale.
    std::setlocale(LC_NUMERIC, "C");
    QApplication::setWindowIcon(applicationIcon());
    // The desktop shows the menu entry's name and icon for the window (Wayland asks by this name).
    QGuiApplication::setDesktopFileName(QStringLiteral("velcor"));
    // Everything the operator reads is Bulgarian, Qt's own buttons and dialogs too.
    QTranslator qtTexts;
    installQtTranslation(qtTexts);

    return runSession(fs, settingsPath);
}

}  // namespace velcor::app
