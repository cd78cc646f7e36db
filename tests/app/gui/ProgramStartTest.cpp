#include "fileio/FileSystem.h"
#include "settings/Settings.h"
#include "support/ShellRun.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

namespace velcor::app::test {
namespace {

using testing::CliRun;
using testing::quoted;
using ProgramStart = testing::ExamplesShell;

// Started from a terminal in a folder whose omp.ini is missing or cannot be read, the window
// program opens nothing, says why and fails; without the file it also says how to start it with
// the launcher, and where the starter settings are.
TEST_F(ProgramStart, WindowWithoutReadableSettingsSaysWhereAndFails) {
    std::filesystem::create_directory(dir.path() / "empty");
    std::filesystem::create_directories(dir.path() / "folder" / "omp.ini");
    struct Case {
        const char* folder;
        std::string line;
        std::string hint;
    } cases[] = {
        {"empty", "velcor: няма файл omp.ini в папка ",
         "Стартирайте velcor-launch, както менюто: той пуска програмата в ~/.config/velcor и "
         "слага там omp.ini по образеца " VELCOR_STARTER_SETTINGS "\n"},
        {"folder", "velcor: не може да се прочете файл omp.ini в папка ", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder);
        // From a terminal without a display: the line alone.
        const CliRun r = runShell("cd " + quoted(c.folder) +
                                  " && env -u QT_QPA_PLATFORM -u DISPLAY -u WAYLAND_DISPLAY "
                                  "timeout 60 " +
                                  quoted(VELCOR_GUI));
        EXPECT_EQ(r.status, 1);
        EXPECT_EQ(r.err, c.line + std::filesystem::canonical(dir.path() / c.folder).string() +
                             "\n" + c.hint);
        EXPECT_TRUE(r.out.empty()) << r.out;
    }
}

// The program itself, started where there is a screen and no omp.ini: the line on the standard
// error stream comes at once, and the program then waits on its box (here, until it is stopped).
TEST_F(ProgramStart, WithAScreenItWaitsOnItsBox) {
    std::filesystem::create_directory(dir.path() / "empty");
    const CliRun r =
        runShell("cd empty && QT_QPA_PLATFORM=offscreen timeout 3 " + quoted(VELCOR_GUI));
    EXPECT_EQ(r.status, 124) << "ended before it was stopped";
    EXPECT_EQ(r.err.rfind("velcor: няма файл omp.ini в папка ", 0), 0u) << r.err;
}

#if defined(VELCOR_CMAKE)
// The desktop entry's launcher and its starter settings, installed alone into a scratch folder
// beside a stand-in for the window program that tells where it was started.
TEST_F(ProgramStart, LauncherStartsTheWindowInTheUsersSettingsFolder) {
    const std::filesystem::path prefix = dir.path() / "prefix";
    const CliRun install =
        runShell(quoted(VELCOR_CMAKE) + " --install " + quoted(VELCOR_BUILD_DIR) +
                 " --component launcher --prefix " + quoted(prefix.string()) + " >/dev/null");
    ASSERT_EQ(install.status, 0) << install.err;
    const std::filesystem::path starter = prefix / "share" / "velcor" / "omp.ini";
    const std::string starterBytes = testing::readFileBytes(starter);
    testing::writeFileBytes(prefix / "bin" / "velcor", "#!/bin/sh\necho \"$(pwd -P) $*\"\n");
    std::filesystem::permissions(prefix / "bin" / "velcor", std::filesystem::perms::owner_all);

    const std::filesystem::path home = dir.path() / "home";
    const std::string kept = "[CLIENT]\r\nNAME = Firma\r\n";
    std::filesystem::create_directories(dir.path() / "kept" / "velcor");
    testing::writeFileBytes(dir.path() / "kept" / "velcor" / "omp.ini", kept);
    struct Case {
        std::string environment;
        std::filesystem::path folder;
        std::string settings;
    } cases[] = {
        {"env -u XDG_CONFIG_HOME", home / ".config" / "velcor", starterBytes},
        {"XDG_CONFIG_HOME=" + quoted((dir.path() / "xdg" / "config").string()),
         dir.path() / "xdg" / "config" / "velcor", starterBytes},
        {"XDG_CONFIG_HOME=relative", home / ".config" / "velcor", starterBytes},
        {"XDG_CONFIG_HOME=" + quoted((dir.path() / "kept").string()),
         dir.path() / "kept" / "velcor", kept},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.environment);
        std::filesystem::remove_all(home);
        const CliRun r = runShell("HOME=" + quoted(home.string()) + " " + c.environment + " " +
                                  quoted((prefix / "bin" / "velcor-launch").string()) + " -x");
        EXPECT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, std::filesystem::canonical(c.folder).string() + " -x\n");
        EXPECT_EQ(testing::readFileBytes(c.folder / "omp.ini"), c.settings);
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(c.folder), {}), 1)
            << "nothing but omp.ini";
    }

    // Without an absolute folder to put the settings in, the launcher says so in one line and
    // creates nothing: neither in the folder it was started in nor anywhere a relative HOME
    // would point from there.
    const std::filesystem::path started = dir.path() / "started";
    std::filesystem::create_directory(started);
    for (const std::string unusable : {"env -u HOME", "HOME=", "HOME=relative"}) {
        SCOPED_TRACE(unusable);
        const CliRun r = runShell("cd started && " + unusable + " XDG_CONFIG_HOME=relative " +
                                  quoted((prefix / "bin" / "velcor-launch").string()) + " -x");
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.out.empty()) << r.out;
        EXPECT_EQ(r.err.rfind("velcor-launch: ", 0), 0u) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << r.err;
        EXPECT_TRUE(std::filesystem::is_empty(started));
    }

    // The starter settings load with every payer value empty, so that the first close after
    // "Подготовка" offers to keep what was typed, and read each example list.
    settings::LoadedSettings loaded;
    ASSERT_TRUE(
        settings::loadSettings(fileio::standardFileSystem(), starter.string(), loaded).ok());
    EXPECT_TRUE(loaded.client.bicWasEmpty && loaded.client.ibanWasEmpty &&
                loaded.client.nameWasEmpty && loaded.client.codeWasEmpty);
    for (const char* type : {"DP", "FX", "SB"}) {
        const CliRun r = run("--ini " + quoted(starter.string()) + " --type " + type +
                             " check O081206P.1" + type);
        EXPECT_EQ(r.status, 0) << type << r.out << r.err;
    }
}
#endif

}  // namespace
}  // namespace velcor::app::test
