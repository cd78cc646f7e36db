// Every step of writing a prepared list and of saving omp.ini made to fail in turn: the file
// stays byte for byte as it was, the operator is told, and a retry once the fault is gone works.
// Also the cases a user meets on a real disk.

#include "HardeningSupport.h"

#include "settings/Settings.h"
#include "support/ListModel.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <algorithm>
#include <cstddef>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace velcor::hardening {
namespace {

using namespace velcor::text::literals;
using Step = testing::FaultyFileSystem::Step;

const std::string kOpenForWrite(std::string_view("Грешка при отваряне на файла за запис"_cp));
const std::string kWriteFailed(std::string_view("Грешка при запис във файлa!"_cp));
const std::string kNotValid(std::string_view("Файлът не е коректен!"_cp));
const std::string kCannotRead(std::string_view("Не може да се прочете файл: "_cp));
const std::string kReadError(std::string_view("Грешка при четене на файла!"_cp));

struct FaultCase {
    Step step;
    unsigned nth;
    const std::string* message;  // what the operator is told
};

// Writing the prepared list: the header and the rows go out in blocks (a short list in one) as
// the list is read again. The list's stamp is read once before anything is written, twice by
// that reading, and once right before the rename, under a lock on the list.
const FaultCase kPrepareFaults[] = {
    {Step::createTemporary, 1, &kOpenForWrite},
    {Step::write, 1, &kWriteFailed},
    {Step::openRead, 1, &kWriteFailed},
    {Step::read, 1, &kWriteFailed},
    {Step::flush, 1, &kWriteFailed},
    {Step::sync, 1, &kWriteFailed},
    {Step::close, 1, &kWriteFailed},
    {Step::lock, 1, &kWriteFailed},
    {Step::stamp, 4, &kWriteFailed},
    {Step::rename, 1, &kWriteFailed},
};

TEST(PrepareFaults, EachStepLeavesTheListWholeAndARetryWorks) {
    for (const FaultCase& c : kPrepareFaults) {
        SCOPED_TRACE(static_cast<int>(c.step) * 10 + static_cast<int>(c.nth));
        Session s;
        ASSERT_TRUE(s.initialised);
        s.browse();
        ASSERT_TRUE(s.state().fileValid);
        const std::string before = s.listBytes();
        s.host.clearEvents();
        s.fs.resetCounts();

        s.fs.failCall(c.step, c.nth);
        s.dialog->prepare().done;
        EXPECT_EQ(s.fs.totalFailures(), 1u);
        EXPECT_EQ(s.messages(), std::vector<std::string>{*c.message});
        EXPECT_FALSE(s.state().filePrepared);
        EXPECT_EQ(s.listBytes(), before);
        // No temporary file is left behind in the user's folder.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(s.dir.path()),
                                std::filesystem::directory_iterator()),
                  2);

        s.fs.clearFailures();
        s.host.clearEvents();
        s.dialog->prepare().done;
        EXPECT_TRUE(s.messages().empty());
        EXPECT_TRUE(s.state().filePrepared);
        const std::string after = s.listBytes();
        EXPECT_TRUE(after.starts_with("OMPDP;08122006;"));
        // The rows as read: text mode turns their CR LF into LF.
        EXPECT_EQ(after.substr(after.find('\n') + 1), testing::expectedRows(before));
    }
}

// The list's folder refuses new files: as root a real read-only folder cannot show it, so the
// seam refuses the temporary file; the real folder is tried too when the tests do not run as root.
// On Windows a folder's read-only mark does not stop new files (only its access list would), so
// there the seam alone shows it.
TEST(PrepareFaults, ReadOnlyFolderRefusesCleanly) {
    Session s;
    s.browse();
    const std::string before = s.listBytes();
    s.host.clearEvents();
    s.fs.failFromCall(Step::createTemporary);
    s.dialog->prepare().done;
    EXPECT_EQ(s.messages(), std::vector<std::string>{kOpenForWrite});
    EXPECT_EQ(s.listBytes(), before);

#if !defined(_WIN32)
    if (::geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    s.fs.clearFailures();
    s.host.clearEvents();
    namespace fs = std::filesystem;
    fs::permissions(s.dir.path(), fs::perms::owner_write, fs::perm_options::remove);
    s.dialog->prepare().done;
    fs::permissions(s.dir.path(), fs::perms::owner_write, fs::perm_options::add);
    EXPECT_EQ(s.messages(), std::vector<std::string>{kOpenForWrite});
    EXPECT_EQ(s.listBytes(), before);
#endif
}

// A list edited in place between the scan and the write, its size and time kept (as a tool that
// restores them would): its stamp is the one scanned, but the rows read again while they are
// written give another control code. Nothing is written, and the list must be checked again.
TEST(PrepareFaults, AListThatReadsOtherwiseWhileWrittenIsKept) {
    Session s;
    s.browse();
    ASSERT_TRUE(s.state().fileValid);
    std::string edited = s.listBytes();
    edited.replace(edited.find("1250.00"), 7, "9250.00");
    const auto written = std::filesystem::last_write_time(s.listPath);
    s.fs.resetCounts();
    s.fs.runAtCall(Step::openRead, 1, [&] {
        std::FILE* file = std::fopen(s.listPath.c_str(), "r+b");
        ASSERT_NE(file, nullptr);
        std::fwrite(edited.data(), 1, edited.size(), file);
        std::fclose(file);
        std::filesystem::last_write_time(s.listPath, written);
    });
    s.host.clearEvents();
    EXPECT_FALSE(s.dialog->prepare().done);
    EXPECT_EQ(s.messages(), std::vector<std::string>{kWriteFailed});
    EXPECT_EQ(s.listBytes(), edited);
    EXPECT_FALSE(s.state().fileValid);
    s.host.clearEvents();
    EXPECT_FALSE(s.dialog->prepare().done);
    EXPECT_EQ(s.messages(), std::vector<std::string>{kNotValid});
}

TEST(PrepareFaults, ListDeletedOrReplacedAfterTheScanIsNotOverwritten) {
    {
        Session s;
        s.browse();
        std::filesystem::remove(s.listPath);
        s.host.clearEvents();
        // Gone, it is said to be gone (the box names it and the cause), not to be incorrect.
        const window::Outcome gone = s.dialog->prepare();
        EXPECT_EQ(s.messages(), std::vector<std::string>{kReadError});
        EXPECT_EQ(gone.fileCause, std::errc::no_such_file_or_directory);
        EXPECT_FALSE(std::filesystem::exists(s.listPath));
    }
    {
        Session s;
        s.browse();
        // Another list put in its place under the same name, as a copy from a stick would.
        const std::string other = exampleBytes("O081206P.2DP");
        const std::string replacement = s.dir.file("incoming");
        testing::writeFileBytes(replacement, other);
        std::filesystem::rename(replacement, s.listPath);
        s.host.clearEvents();
        s.dialog->prepare().done;
        EXPECT_EQ(s.messages(), std::vector<std::string>{kNotValid});
        EXPECT_EQ(s.listBytes(), other);
    }
}

// Someone adds a row while the prepared list is being written: the rename would drop it, so the
// list stays as it is now, and it has to be read again before it can be prepared.
TEST(PrepareFaults, ARowAddedWhileTheListIsWrittenIsKept) {
    Session s;
    s.browse();
    ASSERT_TRUE(s.state().fileValid);
    const std::string grown =
        s.listBytes() + "BG80BNBG96611020345678;BNBGBGSD;LATE;7501020018;;10.00;\r\n";
    s.host.clearEvents();
    s.fs.runAtCall(Step::sync, s.fs.calls(Step::sync) + 1,
                   [&] { testing::writeFileBytes(s.listPath, grown); });
    s.dialog->prepare().done;
    EXPECT_EQ(s.messages(), std::vector<std::string>{kWriteFailed});
    EXPECT_FALSE(s.state().filePrepared);
    EXPECT_EQ(s.listBytes(), grown);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(s.dir.path()),
                            std::filesystem::directory_iterator()),
              2);

    s.host.clearEvents();
    s.dialog->prepare().done;
    EXPECT_EQ(s.messages(), std::vector<std::string>{kNotValid});
    EXPECT_EQ(s.listBytes(), grown);
}

// A list or an omp.ini its owner made read-only is not rewritten, though the folder would allow
// the rename; as root too, since a file without any write bit counts as read-only for everyone.
TEST(PrepareFaults, ReadOnlyListAndOmpIniAreRefusedUntouched) {
    Session s;
    s.browse();
    ASSERT_TRUE(s.state().fileValid);
    const std::string before = s.listBytes();
    namespace fs = std::filesystem;
    const auto readOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(s.listPath, readOnly);
    s.host.clearEvents();
    s.dialog->prepare().done;
    EXPECT_EQ(s.messages(), std::vector<std::string>{kOpenForWrite});
    EXPECT_FALSE(s.state().filePrepared);
    EXPECT_EQ(s.listBytes(), before);
    EXPECT_EQ(fs::status(s.listPath).permissions(), readOnly);

    const std::string settingsBefore = testing::readFileBytes(s.settingsPath);
    fs::permissions(s.settingsPath, readOnly);
    EXPECT_EQ(
        settings::writeSettings(s.fs, s.settingsPath,
                                {"UNCRBGSF", "BG95UNCR70001523456789", "New Name", ""}, "[DP]\r\n"),
        settings::SaveResult::openFailed);
    EXPECT_EQ(testing::readFileBytes(s.settingsPath), settingsBefore);
}

// A link to a list prepares the list it points to and stays a link; a list named near the
// system's limit of 255 characters prepares too, as the temporary file's name does not grow with
// it. Windows lets only privileged users make symbolic links, so there the long name alone is
// tried.
TEST(PrepareFaults, ListsBehindALinkOrWithALongNamePrepare) {
    namespace fs = std::filesystem;
    Session s;
    const std::string before = s.listBytes();
    const std::string longName = s.dir.file("O081206P.6DP" + std::string(255 - 12, 'x'));
    testing::writeFileBytes(longName, before);
    std::vector<std::string> chosenLists{longName};
#if !defined(_WIN32)
    const std::string link = s.dir.file("O081206P.5DP");
    fs::create_symlink(s.listPath, link);
    chosenLists.push_back(link);
#endif

    for (const std::string& chosen : chosenLists) {
        SCOPED_TRACE(chosen.size());
        s.host.clearEvents();
        s.host.openFileAnswer = chosen;
        s.dialog->onCommand(window::idBrowse);
        ASSERT_TRUE(s.state().fileValid);
        s.dialog->prepare().done;
        EXPECT_TRUE(s.messages().empty());
        EXPECT_TRUE(s.state().filePrepared);
        const std::string after = testing::readFileBytes(chosen);
        EXPECT_TRUE(after.starts_with("OMPDP;08122006;"));
        EXPECT_EQ(after.substr(after.find('\n') + 1), testing::expectedRows(before));
    }
#if !defined(_WIN32)
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(testing::readFileBytes(s.listPath), testing::readFileBytes(link));
#endif
    EXPECT_EQ(std::distance(fs::directory_iterator(s.dir.path()), fs::directory_iterator()),
              static_cast<std::ptrdiff_t>(2 + chosenLists.size()));
}

// A list in a folder with a Cyrillic name is read, prepared in place and recognised when chosen
// again, whichever spelling of its path the system takes: Windows takes backslashes and forward
// slashes alike.
TEST(PrepareFaults, ListsInACyrillicFolderPrepareByEverySpellingOfTheirPath) {
    namespace fs = std::filesystem;
    Session s;
    const std::string before = s.listBytes();
    const fs::path folder = s.dir.path() / fs::path(u8"Плащания 2006");
    fs::create_directory(folder);
    const std::string base = s.dir.file("");
    const std::string name = "Плащания 2006"_cp;
    std::vector<std::string> spellings = {
        base + name + "/O081206P.1DP",
        base + name + "/../" + name + "/./O081206P.1DP",
    };
#if defined(_WIN32)
    for (const auto& [from, to] : {std::pair{'/', '\\'}, std::pair{'\\', '/'}}) {
        std::string path = base + name + "/O081206P.1DP";
        std::replace(path.begin(), path.end(), from, to);
        spellings.push_back(path);
    }
#endif
    for (const std::string& path : spellings) {
        SCOPED_TRACE(path);
        testing::writeFileBytes(folder / "O081206P.1DP", before);
        s.host.clearEvents();
        s.host.openFileAnswer = path;
        s.dialog->onCommand(window::idBrowse);
        ASSERT_TRUE(s.state().fileValid) << session::rowFindingsHtml(s.state().rowFindings);
        s.dialog->prepare().done;
        EXPECT_TRUE(s.messages().empty());
        const std::string after = testing::readFileBytes(folder / "O081206P.1DP");
        EXPECT_TRUE(after.starts_with("OMPDP;08122006;"));
        EXPECT_EQ(after.substr(after.find('\n') + 1), testing::expectedRows(before));
        EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);

        s.dialog->onCommand(window::idBrowse);
        EXPECT_TRUE(s.state().filePrepared);
        EXPECT_TRUE(s.state().fileValid);
    }
}

TEST(ScanFaults, DirectoryDeviceAndFailedReadsAreRefusedWithTheirMessage) {
    Session s;
    const struct {
        std::string path;
        std::string message;
    } cases[] = {
        {s.dir.path().string(), kCannotRead + s.dir.path().string()},
#if defined(_WIN32)
        {"NUL", kCannotRead + "NUL"},
        {"CON", kCannotRead + "CON"},
#else
        {"/dev/zero", kCannotRead + "/dev/zero"},
        {"/dev/null", kCannotRead + "/dev/null"},
#endif
    };
    for (const auto& c : cases) {
        s.host.clearEvents();
        s.host.openFileAnswer = c.path;
        s.dialog->onCommand(window::idBrowse);
        EXPECT_EQ(s.messages(), std::vector<std::string>{c.message}) << c.path;
        EXPECT_FALSE(s.state().fileValid);
    }

    s.host.clearEvents();
    s.fs.failCall(Step::read, s.fs.calls(Step::read) + 1);
    s.browse();
    EXPECT_EQ(s.messages(), std::vector<std::string>{kReadError});
    EXPECT_FALSE(s.state().fileValid);
    s.fs.clearFailures();
    s.host.clearEvents();
    s.browse();
    EXPECT_TRUE(s.messages().empty());
    EXPECT_TRUE(s.state().fileValid);
}

// Saving omp.ini: the backup copy, then the rewrite through a temporary file.
struct SaveFaultCase {
    Step step;
    unsigned nth;
    settings::SaveResult result;  // ok: the step's failure does not stop the save
};

const SaveFaultCase kSaveFaults[] = {
    {Step::createTemporary, 1, settings::SaveResult::openFailed},
    {Step::write, 1, settings::SaveResult::writeFailed},
    {Step::write, 2, settings::SaveResult::writeFailed},
    {Step::flush, 1, settings::SaveResult::writeFailed},
    {Step::sync, 1, settings::SaveResult::writeFailed},
    {Step::close, 1, settings::SaveResult::writeFailed},
    {Step::rename, 1, settings::SaveResult::writeFailed},
    {Step::copy, 1, settings::SaveResult::ok},
    {Step::remove, 1, settings::SaveResult::ok},
};

TEST(SaveFaults, EachStepLeavesOmpIniWholeAndARetryWorks) {
    testing::TempDir dir;
    const std::string path = dir.file("omp.ini");
    const std::string original = exampleBytes("omp.ini");
    settings::LoadedSettings loaded;
    testing::writeFileBytes(path, original);
    ASSERT_TRUE(settings::loadSettings(fileio::standardFileSystem(), path, loaded).ok());
    const settings::PayerValues payer{"UNCRBGSF", "BG95UNCR70001523456789", "New Name", ""};

    for (const SaveFaultCase& c : kSaveFaults) {
        SCOPED_TRACE(static_cast<int>(c.step) * 10 + static_cast<int>(c.nth));
        testing::writeFileBytes(path, original);
        std::filesystem::remove(path + ".bak");
        testing::FaultyFileSystem fs;
        fs.failCall(c.step, c.nth);
        EXPECT_EQ(settings::writeSettings(fs, path, payer, loaded.iniRemainder), c.result);
        EXPECT_EQ(fs.totalFailures(), 1u);
        if (c.result != settings::SaveResult::ok) {
            EXPECT_EQ(testing::readFileBytes(path), original);
            EXPECT_EQ(testing::readFileBytes(path + ".bak"), original);
            fs.clearFailures();
            ASSERT_EQ(settings::writeSettings(fs, path, payer, loaded.iniRemainder),
                      settings::SaveResult::ok);
        }
        const std::string rewritten = testing::readFileBytes(path);
        EXPECT_NE(rewritten.find("\n[CLIENT]\r\nBIC = UNCRBGSF\r\n"), std::string::npos);
        EXPECT_NE(rewritten.find(loaded.iniRemainder.substr(loaded.iniRemainder.find('['))),
                  std::string::npos);
    }
}

TEST(SaveFaults, UnreadableOmpIniEndsTheWindowWithoutTouchingIt) {
    for (const Step step : {Step::openRead, Step::read}) {
        testing::TempDir dir;
        const std::string path = dir.file("omp.ini");
        const std::string original = exampleBytes("omp.ini");
        testing::writeFileBytes(path, original);
        testing::FaultyFileSystem fs;
        fs.failFromCall(step);
        window::HeadlessDialogHost host;
        window::BulkPaymentDialog dialog(host, fs, path);
        EXPECT_FALSE(dialog.initialise().done);
        EXPECT_TRUE(host.endResult().has_value());
        dialog.saveSettings();
        EXPECT_EQ(testing::readFileBytes(path), original);
        EXPECT_FALSE(std::filesystem::exists(path + ".bak"));
    }
}

}  // namespace
}  // namespace velcor::hardening
