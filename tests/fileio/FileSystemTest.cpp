#include "fileio/FileError.h"
#include "fileio/FileSystem.h"
#include "fileio/WriteAccess.h"
#include "support/FaultyFileSystem.h"
#include "support/MemoryFileSystem.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#if defined(_WIN32)
#include <windows.h>
// The name of a Win32 call, which would rename the tests of replaceFile.
#undef ReplaceFile
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif
#if defined(__linux__)
#include <sys/xattr.h>
#endif

namespace velcor::fileio {
namespace {

using namespace velcor::text::literals;
using testing::FaultyFileSystem;
using testing::readFileBytes;
using testing::TempDir;
using testing::writeFileBytes;
using Step = FaultyFileSystem::Step;

std::string readAll(ReadFile& file) {
    std::string bytes;
    char buffer[7];  // small on purpose: the content arrives in several reads
    for (;;) {
        const auto got = file.read(buffer, sizeof buffer);
        if (got <= 0) {
            EXPECT_EQ(got, 0);
            return bytes;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
    }
}

// The cause of a failed call, where a test does not look at it.
thread_local std::error_code ignored;

std::vector<std::string> folderEntries(const TempDir& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(StandardFileSystem, ReadsBytesOfARegularFileUnchanged) {
    TempDir dir;
    const std::string content("line1\r\nline2\0tail\x1a\xff\r\n", 21);
    writeFileBytes(dir.path() / "a.bin", content);
    auto file = standardFileSystem().openRead(dir.file("a.bin"), ignored);
    ASSERT_TRUE(file);
    EXPECT_EQ(readAll(*file), content);
}

// Each refusal says why, as the system said it where the open failed.
TEST(StandardFileSystem, RefusesWhatIsNotARegularFileAndSaysWhy) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    std::vector<std::pair<std::string, std::error_code>> cases = {
        {dir.file("missing.txt"), std::make_error_code(std::errc::no_such_file_or_directory)},
        {dir.file("missing/a.txt"), std::make_error_code(std::errc::no_such_file_or_directory)},
        {dir.file("folder"), std::make_error_code(std::errc::is_a_directory)},
    };
#if !defined(_WIN32)
    // A FIFO without a writer would block an ordinary open for ever.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    cases.push_back({dir.file("pipe"), FileError::notRegularFile});
    cases.push_back({"/dev/null", FileError::notRegularFile});
#endif
    for (const auto& [path, expected] : cases) {
        std::error_code cause;
        EXPECT_FALSE(standardFileSystem().openRead(path, cause)) << path;
        EXPECT_EQ(cause, expected) << path << ": " << cause.message();
    }
}

TEST(StandardFileSystem, PathsAreWindows1251) {
    TempDir dir;
    const std::string name = "плащания.txt"_cp;
    const std::string path = dir.file("") + name;
    ASSERT_EQ(replaceFile(standardFileSystem(), path, {"abc"}), ReplaceResult::ok);
    // On disk the name is the host's spelling of the same letters.
    EXPECT_EQ(readFileBytes(dir.path() / std::filesystem::path(u8"плащания.txt")), "abc");
    auto file = standardFileSystem().openRead(path, ignored);
    ASSERT_TRUE(file);
    EXPECT_EQ(readAll(*file), "abc");
    const auto stamp = standardFileSystem().stamp(path);
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->size, 3u);
}

TEST(StandardFileSystem, TemporaryFilesAreHiddenUniqueAndBesideTheTarget) {
    TempDir dir;
    const std::string target = dir.file("O081206P.1DP");
    std::string first, second;
    auto a = standardFileSystem().createTemporaryBeside(target, first, ignored);
    auto b = standardFileSystem().createTemporaryBeside(target, second, ignored);
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_NE(first, second);
    for (const std::string& temp : {first, second}) {
        const std::filesystem::path path(temp);
        EXPECT_EQ(path.parent_path(), dir.path());
        // A file left by a killed run must never pass for a list of that day.
        const std::string name = path.filename().string();
        EXPECT_TRUE(name.starts_with('.')) << name;
        EXPECT_EQ(name.find("O081206P"), std::string::npos) << name;
    }
    EXPECT_TRUE(a->write("x", 1) && a->flush() && a->sync() && a->close());
    EXPECT_TRUE(b->close());
    EXPECT_EQ(readFileBytes(first), "x");
    EXPECT_EQ(readFileBytes(second), "");
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(
        standardFileSystem().createTemporaryBeside(dir.file("no/such/folder/f"), first, ignored));
}

TEST(StandardFileSystem, CopyRemoveRenameAndStamp) {
    TempDir dir;
    auto& fs = standardFileSystem();
    writeFileBytes(dir.path() / "a", "first");
    writeFileBytes(dir.path() / "b", "something longer");
    EXPECT_TRUE(fs.copy(dir.file("a"), dir.file("b")));
    EXPECT_EQ(readFileBytes(dir.path() / "b"), "first");
    EXPECT_FALSE(fs.copy(dir.file("missing"), dir.file("c")));

    const auto before = fs.stamp(dir.file("b"));
    ASSERT_TRUE(before);
    EXPECT_EQ(before->size, 5u);
    EXPECT_NE(before->fileId, 0u);
    writeFileBytes(dir.path() / "c", "other");
    EXPECT_TRUE(fs.rename(dir.file("c"), dir.file("b"), ignored));
    EXPECT_EQ(readFileBytes(dir.path() / "b"), "other");
    const auto after = fs.stamp(dir.file("b"));
    ASSERT_TRUE(after);
    EXPECT_NE(*before, *after);  // same size, yet another file
    EXPECT_EQ(*after, *fs.stamp(dir.file("b")));

    EXPECT_TRUE(fs.remove(dir.file("b")));
    EXPECT_FALSE(fs.remove(dir.file("b")));
    EXPECT_FALSE(fs.stamp(dir.file("b")));
    EXPECT_FALSE(fs.rename(dir.file("b"), dir.file("a"), ignored));
    EXPECT_EQ(readFileBytes(dir.path() / "a"), "first");
}

TEST(ReplaceFile, WritesThePiecesInOrderAndCreatesAMissingTarget) {
    TempDir dir;
    const std::string target = dir.file("list.txt");
    EXPECT_EQ(replaceFile(standardFileSystem(), target, {"OMP header\r\n", "", "row 1\r\n"}),
              ReplaceResult::ok);
    EXPECT_EQ(readFileBytes(target), "OMP header\r\nrow 1\r\n");
    EXPECT_EQ(replaceFile(standardFileSystem(), target, {}), ReplaceResult::ok);
    EXPECT_EQ(readFileBytes(target), "");
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"list.txt"});
}

TEST(ReplaceFile, ANameAtTheSystemsLengthLimitIsReplaced) {
    TempDir dir;
    const std::string name = "O081206P.1DP" + std::string(255 - 12, 'x');
    writeFileBytes(dir.path() / name, "old");
    EXPECT_EQ(replaceFile(standardFileSystem(), dir.file(name), {"new"}), ReplaceResult::ok);
    EXPECT_EQ(readFileBytes(dir.path() / name), "new");
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{name});
}

// The stamp the list had when it was read is compared right before the rename, after the
// temporary file was written: whatever happens to the list until then is kept.
TEST(ReplaceFile, AListChangedBeforeTheRenameIsKept) {
    const struct {
        const char* label;
        FaultyFileSystem::Step step;  // while this step runs, `change` edits the list
        std::function<void(const std::string& list)> change;
        std::optional<std::string> listAfter;  // nullopt: no file under the list's name
    } cases[] = {
        {"row appended", Step::write,
         [](const std::string& list) { writeFileBytes(list, "row 1\nrow 2\n"); }, "row 1\nrow 2\n"},
        {"replaced", Step::close,
         [](const std::string& list) {
             writeFileBytes(list + ".new", "row 9\n");
             std::filesystem::rename(list + ".new", list);
         },
         "row 9\n"},
        {"deleted", Step::sync, [](const std::string& list) { std::filesystem::remove(list); },
         std::nullopt},
        {"stamp unreadable", Step::stamp, nullptr, "row 1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        TempDir dir;
        const std::string list = dir.file("list.txt");
        writeFileBytes(list, "row 1\n");
        const std::optional<FileStamp> scanned = standardFileSystem().stamp(list);
        ASSERT_TRUE(scanned);
        FaultyFileSystem fs;
        if (c.change) {
            fs.runAtCall(c.step, 1, [&] { c.change(list); });
        } else {
            fs.failCall(c.step);
        }
        EXPECT_EQ(replaceFile(fs, list, {"OMP\r\n", "row 1\n"}, scanned),
                  ReplaceResult::writeFailed);
        EXPECT_EQ(std::filesystem::exists(list), c.listAfter.has_value());
        EXPECT_EQ(readFileBytes(list), c.listAfter.value_or(""));
        EXPECT_EQ(folderEntries(dir).size(), c.listAfter ? 1u : 0u) << "no temporary file is left";
    }

    TempDir dir;
    const std::string list = dir.file("list.txt");
    writeFileBytes(list, "row 1\n");
    EXPECT_EQ(replaceFile(standardFileSystem(), list, {"OMP\r\n", "row 1\n"},
                          standardFileSystem().stamp(list)),
              ReplaceResult::ok);
    EXPECT_EQ(readFileBytes(list), "OMP\r\nrow 1\n");
}

// Two runs that read the same version of a list (two windows, or a window and velcor-cli) prepare
// it at the same moment. The first at its rename waits there until the other has found the list
// locked, has reached its own rename too (both passed the stamp check: without the lock both
// rename and both report success, though the list keeps one of them) or has ended. A second run
// at its rename waits until the first has ended, as two renames at once may clash.
TEST(ReplaceFile, OfTwoReplacementsExpectingTheSameStampOnlyOneRenames) {
    TempDir dir;
    const std::string list = dir.file("list.txt");
    writeFileBytes(list, "row 1\n");
    const std::optional<FileStamp> scanned = standardFileSystem().stamp(list);
    ASSERT_TRUE(scanned);

    struct Progress {
        bool foundLocked = false;
        bool atRename = false;
        bool ended = false;
    };
    Progress progress[2];
    int renaming = 0;
    std::mutex mutex;
    std::condition_variable changed;
    const auto note = [&](bool Progress::*what, Progress& run) {
        {
            const std::lock_guard<std::mutex> hold(mutex);
            run.*what = true;
        }
        changed.notify_all();
    };
    const std::string headers[] = {"OMP first\r\n", "OMP second\r\n"};
    ReplaceResult results[2] = {};
    std::vector<std::thread> runs;
    for (int run = 0; run < 2; ++run) {
        runs.emplace_back([&, run] {
            Progress& self = progress[run];
            const Progress& other = progress[1 - run];
            FaultyFileSystem fs;
            fs.runAtCall(Step::lock, 2, [&] { note(&Progress::foundLocked, self); });
            fs.runAtCall(Step::rename, 1, [&] {
                std::unique_lock<std::mutex> hold(mutex);
                self.atRename = true;
                const bool first = ++renaming == 1;
                changed.notify_all();
                changed.wait(hold, [&] {
                    return other.ended || (first && (other.foundLocked || other.atRename));
                });
            });
            results[run] = replaceFile(fs, list, {headers[run], "row 1\n"}, scanned).result;
            note(&Progress::ended, self);
        });
    }
    for (std::thread& run : runs) run.join();

    EXPECT_EQ(std::count(std::begin(results), std::end(results), ReplaceResult::ok), 1);
    EXPECT_EQ(std::count(std::begin(results), std::end(results), ReplaceResult::writeFailed), 1);
    const int winner = results[0] == ReplaceResult::ok ? 0 : 1;
    EXPECT_EQ(readFileBytes(list), headers[winner] + "row 1\n");
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"list.txt"});
}

TEST(WriteAccess, TheWriteBitOfTheWritersClassDecides) {
    const detail::Writer root{0, 0, {}};
    const detail::Writer owner{1000, 100, {}};
    const detail::Writer groupMember{1001, 100, {}};
    const detail::Writer supplementaryMember{1002, 200, {5, 100}};
    const detail::Writer other{1003, 300, {5}};
    const struct {
        std::uint32_t mode;
        const detail::Writer& writer;
        bool writable;
    } cases[] = {
        {0644, root, true},         {0020, root, true},
        {0444, root, false},        {0000, root, false},
        {0644, owner, true},        {0444, owner, false},
        {0066, owner, false},       {0664, groupMember, true},
        {0646, groupMember, false}, {0464, supplementaryMember, true},
        {0646, other, true},        {0664, other, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(detail::permitsWriting(c.mode, 1000, 100, c.writer), c.writable)
            << std::oct << c.mode << " for user " << std::dec << c.writer.user;
    }
}

// Mode, owner and group are POSIX's; Windows has its own test of what it hands on below.
#if !defined(_WIN32)
// The temporary file has the list's mode (and, for a process allowed to give files away, its
// owner and group) before anything is written to it, and so has the replaced list.
TEST(ReplaceFile, KeepsTheModeOwnerAndGroupOfTheTarget) {
    const bool root = ::geteuid() == 0;
    TempDir dir;
    const std::string target = dir.file("list.txt");
    for (const mode_t mode : {0600u, 0640u, 0604u, 0660u}) {
        SCOPED_TRACE(mode);
        writeFileBytes(target, "old");
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        if (root) {
            ASSERT_EQ(::chown(target.c_str(), 4321, 4322), 0);
        }
        struct stat listInfo {};
        ASSERT_EQ(::stat(target.c_str(), &listInfo), 0);

        std::string temp;
        auto file = standardFileSystem().createTemporaryBeside(target, temp, ignored);
        ASSERT_TRUE(file);
        struct stat info {};
        ASSERT_EQ(::stat(temp.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(info.st_uid, listInfo.st_uid);
        EXPECT_EQ(info.st_gid, listInfo.st_gid);
        file->close();
        ::unlink(temp.c_str());

        ASSERT_EQ(replaceFile(standardFileSystem(), target, {"new"}), ReplaceResult::ok);
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        EXPECT_EQ(info.st_uid, listInfo.st_uid);
        EXPECT_EQ(info.st_gid, listInfo.st_gid);
        EXPECT_EQ(readFileBytes(target), "new");
    }
}

// A list made read-only is refused even though its folder would let it be replaced; the same
// holds for root, so the test means the same whoever runs it. Nor is anything but a regular
// file replaced.
TEST(ReplaceFile, RefusesATargetThatMayNotBeWritten) {
    TempDir dir;
    const std::string target = dir.file("list.txt");
    for (const mode_t mode : {0444u, 0400u, 0000u}) {
        SCOPED_TRACE(mode);
        writeFileBytes(target, "old");
        ASSERT_EQ(::chmod(target.c_str(), mode), 0);
        const Replaced replaced = replaceFile(standardFileSystem(), target, {"new"});
        EXPECT_EQ(replaced, ReplaceResult::openFailed);
        EXPECT_EQ(replaced.cause, std::errc::permission_denied);
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, mode);
        ASSERT_EQ(::chmod(target.c_str(), 0600), 0);
        EXPECT_EQ(readFileBytes(target), "old");
        EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"list.txt"});
    }
    std::filesystem::remove(target);
    std::filesystem::create_directory(dir.path() / "folder");
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    // Each refusal carries its cause, as the call that failed was told it.
    const std::pair<const char*, std::error_code> refused[] = {
        {"folder", std::make_error_code(std::errc::is_a_directory)},
        {"pipe", FileError::notRegularFile},
        {"missing/list.txt", std::make_error_code(std::errc::no_such_file_or_directory)}};
    for (const auto& [name, cause] : refused) {
        const Replaced replaced = replaceFile(standardFileSystem(), dir.file(name), {"new"});
        EXPECT_EQ(replaced, ReplaceResult::openFailed) << name;
        EXPECT_EQ(replaced.cause, cause) << name << ": " << replaced.cause.message();
    }
    EXPECT_EQ(folderEntries(dir), (std::vector<std::string>{"folder", "pipe"}));
}

#else
// Windows hands on no owner or mode: a new file takes its folder's access rules. What it has of
// its own is the hidden mark, which the temporary file carries from its creation (a leading full
// stop hides nothing there) and the replaced list never takes over.
TEST(ReplaceFile, TheTemporaryFileIsHiddenAndTheReplacedListIsNot) {
    TempDir dir;
    const std::string target = dir.file("list.txt");
    const auto hidden = [](const std::filesystem::path& path) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    };
    for (const bool existing : {false, true}) {
        SCOPED_TRACE(existing);
        std::string temp;
        auto file = standardFileSystem().createTemporaryBeside(target, temp, ignored);
        ASSERT_TRUE(file);
        EXPECT_TRUE(hidden(temp));
        file->close();
        std::filesystem::remove(temp);

        ASSERT_EQ(replaceFile(standardFileSystem(), target, {"new"}), ReplaceResult::ok);
        EXPECT_TRUE(std::filesystem::exists(target));
        EXPECT_FALSE(hidden(target));
        EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"list.txt"});
    }
}

// The read-only attribute binds every user on Windows: a list that carries it is refused though
// its folder would let it be replaced. Nor is a folder or a device replaced.
TEST(ReplaceFile, RefusesATargetThatMayNotBeWritten) {
    namespace fs = std::filesystem;
    TempDir dir;
    const std::string target = dir.file("list.txt");
    writeFileBytes(target, "old");
    fs::permissions(target,
                    fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_EQ(replaceFile(standardFileSystem(), target, {"new"}), ReplaceResult::openFailed);
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(readFileBytes(target), "old");
    fs::permissions(target, fs::perms::owner_write, fs::perm_options::add);
    fs::remove(target);
    fs::create_directory(dir.path() / "folder");
    for (const std::string& name : {dir.file("folder"), std::string("NUL")})
        EXPECT_EQ(replaceFile(standardFileSystem(), name, {"new"}), ReplaceResult::openFailed)
            << name;
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"folder"});
}
#endif

// Symbolic links are POSIX's: Windows lets only privileged users make them.
// A second name of a file is that file, until a rename puts another in the place of one of
// the names: the other keeps the old file. Only a new name is made; a file system with no links
// (the fake held in memory) says so.
TEST(StandardFileSystem, AHardLinkIsTheFileItselfUntilARenameReplacesOneName) {
    TempDir dir;
    auto& fs = standardFileSystem();
    writeFileBytes(dir.path() / "list", "old");
    ASSERT_TRUE(fs.hardLink(dir.file("list"), dir.file("kept"), ignored)) << ignored.message();
    EXPECT_EQ(fs.stamp(dir.file("kept")), fs.stamp(dir.file("list")));
    ASSERT_EQ(replaceFile(fs, dir.file("list"), {"new"}), ReplaceResult::ok);
    EXPECT_EQ(readFileBytes(dir.path() / "kept"), "old");
    EXPECT_EQ(readFileBytes(dir.path() / "list"), "new");
    EXPECT_NE(fs.stamp(dir.file("kept"))->fileId, fs.stamp(dir.file("list"))->fileId);

    const struct {
        const char* from;
        const char* to;
        std::errc cause;
    } refused[] = {
        {"list", "kept", std::errc::file_exists},
        {"missing", "other", std::errc::no_such_file_or_directory},
        {"list", "no folder/other", std::errc::no_such_file_or_directory},
    };
    for (const auto& r : refused) {
        SCOPED_TRACE(r.from + std::string(" -> ") + r.to);
        std::error_code cause;
        EXPECT_FALSE(fs.hardLink(dir.file(r.from), dir.file(r.to), cause));
#if defined(_WIN32)
        EXPECT_TRUE(cause);  // as Windows numbers it
#else
        EXPECT_EQ(cause, r.cause);
#endif
    }
    testing::MemoryFileSystem memory;
    memory.files["list"] = "old";
    std::error_code cause;
    EXPECT_FALSE(memory.hardLink("list", "kept", cause));
    EXPECT_EQ(cause, std::errc::operation_not_supported);
    EXPECT_EQ(memory.files.count("kept"), 0u);
}

#if !defined(_WIN32)
// Linked through a symbolic link, the name is the file's, never the link's; and a file is closed
// to others only where it has no other name, whose readers would lose it too.
TEST(StandardFileSystem, LinksTheFileALinkPointsToAndClosesOnlyAFileOfOneName) {
    namespace sfs = std::filesystem;
    TempDir dir;
    auto& fs = standardFileSystem();
    writeFileBytes(dir.path() / "list", "bytes");
    sfs::permissions(dir.path() / "list", sfs::perms(0644));
    sfs::create_symlink("list", dir.path() / "symbolic");
    ASSERT_TRUE(fs.hardLink(dir.file("symbolic"), dir.file("kept"), ignored)) << ignored.message();
    EXPECT_FALSE(sfs::is_symlink(dir.path() / "kept"));
    EXPECT_EQ(fs.stamp(dir.file("kept"))->fileId, fs.stamp(dir.file("list"))->fileId);

    EXPECT_FALSE(fs.makePrivate(dir.file("kept")));
    EXPECT_EQ(sfs::status(dir.path() / "list").permissions(), sfs::perms(0644));
    sfs::remove(dir.path() / "list");
    EXPECT_TRUE(fs.makePrivate(dir.file("kept")));
    EXPECT_EQ(sfs::status(dir.path() / "kept").permissions(), sfs::perms(0600));
    EXPECT_TRUE(fs.makePrivate(dir.file("kept")));
    EXPECT_FALSE(fs.makePrivate(dir.file("missing")));
}
#endif

#if !defined(_WIN32)
// A link to a list: the list it points to is replaced (the temporary file goes beside it, so the
// rename stays in one folder) and the link stays a link. A loop of links is refused.
TEST(ReplaceFile, ReplacesTheFileALinkPointsToAndKeepsTheLink) {
    TempDir dir;
    namespace fs = std::filesystem;
    fs::create_directory(dir.path() / "lists");
    fs::create_directory(dir.path() / "links");
    const fs::path list = dir.path() / "lists" / "O081206P.1DP";
    writeFileBytes(list, "old");
    ASSERT_EQ(::chmod(list.c_str(), 0640), 0);
    fs::create_symlink("../lists/O081206P.1DP", dir.path() / "links" / "relative");
    fs::create_symlink(list, dir.path() / "links" / "absolute");
    fs::create_symlink("relative", dir.path() / "links" / "chain");
    fs::create_symlink("loop", dir.path() / "links" / "loop");

    for (const char* link : {"relative", "absolute", "chain"}) {
        SCOPED_TRACE(link);
        const fs::path path = dir.path() / "links" / link;
        ASSERT_EQ(replaceFile(standardFileSystem(), path.string(), {"new ", link}),
                  ReplaceResult::ok);
        EXPECT_TRUE(fs::is_symlink(path));
        EXPECT_EQ(readFileBytes(list), std::string("new ") + link);
        EXPECT_EQ(fs::status(list).permissions(), fs::perms(0640));
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "lists"), {}), 1);
        EXPECT_EQ(std::distance(fs::directory_iterator(dir.path() / "links"), {}), 4);
    }
    const fs::path loop = dir.path() / "links" / "loop";
    EXPECT_EQ(replaceFile(standardFileSystem(), loop.string(), {"new"}), ReplaceResult::openFailed);
    EXPECT_TRUE(fs::is_symlink(loop));
}
#endif

// Extended attributes are Linux's here; other systems hand none on.
#if defined(__linux__)
// Runs a shell command; its status, and what it wrote on either stream.
int runCommand(const std::string& command, std::string& output) {
    output.clear();
    FILE* pipe = ::popen((command + " 2>&1").c_str(), "r");
    if (pipe == nullptr) return -1;
    char buffer[256];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
        output.append(buffer, got);
    const int status = ::pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// What other programs keep with a list (under user.*) stays with it once it is prepared.
TEST(ReplaceFile, KeepsTheExtendedAttributesOfTheTarget) {
    TempDir dir;
    const std::string target = dir.file("list.txt");
    writeFileBytes(target, "old");
    const std::string value("checked\0\xE0", 9);
    if (::setxattr(target.c_str(), "user.velcor.note", value.data(), value.size(), 0) != 0)
        GTEST_SKIP() << "the file system of " << dir.path() << " holds no user attributes";
    ASSERT_EQ(
        replaceFile(standardFileSystem(), target, {"new"}, standardFileSystem().stamp(target)),
        ReplaceResult::ok);
    EXPECT_EQ(readFileBytes(target), "new");
    char kept[32];
    const ssize_t size = ::getxattr(target.c_str(), "user.velcor.note", kept, sizeof kept);
    ASSERT_GE(size, 0) << "the attribute is gone";
    EXPECT_EQ(std::string(kept, static_cast<std::size_t>(size)), value);
}

// A list shared through a POSIX access list keeps the list and its mode, whose group bits the
// access list's mask sets.
TEST(ReplaceFile, KeepsTheAccessListAndTheModeOfTheTarget) {
    TempDir dir;
    const std::string target = dir.file("list.txt");
    writeFileBytes(target, "old");
    ASSERT_EQ(::chmod(target.c_str(), 0640), 0);
    const std::string quoted = "'" + target + "'";
    std::string output;
    // A user and a group by number, who need not exist; the mask becomes rw-.
    if (runCommand("setfacl -m u:4321:rw-,g:4322:r-- -- " + quoted, output) != 0) {
        ASSERT_NE(output.find("not supported"), std::string::npos) << output;
        GTEST_SKIP() << "the file system of " << dir.path() << " holds no access lists";
    }
    std::string before;
    ASSERT_EQ(runCommand("getfacl -c -n -p -- " + quoted, before), 0) << before;
    ASSERT_NE(before.find("user:4321:rw-"), std::string::npos) << before;
    struct stat listInfo {};
    ASSERT_EQ(::stat(target.c_str(), &listInfo), 0);

    ASSERT_EQ(
        replaceFile(standardFileSystem(), target, {"new"}, standardFileSystem().stamp(target)),
        ReplaceResult::ok);
    std::string after;
    ASSERT_EQ(runCommand("getfacl -c -n -p -- " + quoted, after), 0) << after;
    EXPECT_EQ(after, before);
    struct stat info {};
    ASSERT_EQ(::stat(target.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, listInfo.st_mode & 07777);
    EXPECT_EQ(readFileBytes(target), "new");
}
#endif

struct FailingStep {
    const char* label;
    Step step;
    unsigned nth;
    ReplaceResult expected;
};

class ReplaceFileFailure : public ::testing::TestWithParam<FailingStep> {};

TEST_P(ReplaceFileFailure, LeavesTheTargetAsItWasAndNoTemporaryFile) {
    const FailingStep& c = GetParam();
    TempDir dir;
    const std::string target = dir.file("omp.ini");
    const std::string original("[DP]\r\nA = 1,1,5\r\n\0end", 22);
    writeFileBytes(target, original);

    FaultyFileSystem fs;
    fs.failCall(c.step, c.nth);
    const std::string bigPiece(100000, 'x');
    EXPECT_EQ(replaceFile(fs, target, {"[CLIENT]\r\n", bigPiece, "tail"}), c.expected);
    EXPECT_EQ(fs.failures(c.step), 1u);
    EXPECT_EQ(readFileBytes(target), original);
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"omp.ini"});

    // The failure was one-off: the same call again goes through.
    EXPECT_EQ(replaceFile(fs, target, {"[CLIENT]\r\n", bigPiece, "tail"}), ReplaceResult::ok);
    EXPECT_EQ(readFileBytes(target), "[CLIENT]\r\n" + bigPiece + "tail");
    EXPECT_EQ(folderEntries(dir), std::vector<std::string>{"omp.ini"});
}

INSTANTIATE_TEST_SUITE_P(
    EachStep, ReplaceFileFailure,
    ::testing::Values(FailingStep{"create", Step::createTemporary, 1, ReplaceResult::openFailed},
                      FailingStep{"firstWrite", Step::write, 1, ReplaceResult::writeFailed},
                      FailingStep{"middleWrite", Step::write, 2, ReplaceResult::writeFailed},
                      FailingStep{"lastWrite", Step::write, 3, ReplaceResult::writeFailed},
                      FailingStep{"flush", Step::flush, 1, ReplaceResult::writeFailed},
                      FailingStep{"sync", Step::sync, 1, ReplaceResult::writeFailed},
                      FailingStep{"close", Step::close, 1, ReplaceResult::writeFailed},
                      FailingStep{"rename", Step::rename, 1, ReplaceResult::writeFailed}),
    [](const auto& test) { return std::string(test.param.label); });

TEST(ReplaceFile, AFailingCleanupStillReportsTheFailure) {
    TempDir dir;
    const std::string target = dir.file("omp.ini");
    writeFileBytes(target, "old");
    FaultyFileSystem fs;
    fs.failCall(Step::rename);
    fs.failCall(Step::remove);
    EXPECT_EQ(replaceFile(fs, target, {"new"}), ReplaceResult::writeFailed);
    EXPECT_EQ(readFileBytes(target), "old");
}

TEST(FaultyFileSystem, FailsExactlyTheChosenCalls) {
    TempDir dir;
    writeFileBytes(dir.path() / "a", "abc");
    FaultyFileSystem fs;
    fs.failCall(Step::openRead, 2);
    fs.failFromCall(Step::copy, 2);
    EXPECT_TRUE(fs.openRead(dir.file("a"), ignored));
    EXPECT_FALSE(fs.openRead(dir.file("a"), ignored));
    EXPECT_TRUE(fs.openRead(dir.file("a"), ignored));
    EXPECT_TRUE(fs.copy(dir.file("a"), dir.file("b")));
    EXPECT_FALSE(fs.copy(dir.file("a"), dir.file("c")));
    EXPECT_FALSE(fs.copy(dir.file("a"), dir.file("c")));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "c"));
    EXPECT_EQ(fs.calls(Step::openRead), 3u);
    EXPECT_EQ(fs.failures(Step::copy), 2u);
    EXPECT_EQ(fs.totalFailures(), 3u);

    fs.clearFailures();
    EXPECT_TRUE(fs.copy(dir.file("a"), dir.file("c")));
    fs.failCall(Step::read);
    auto file = fs.openRead(dir.file("a"), ignored);
    ASSERT_TRUE(file);
    char buffer[8];
    EXPECT_EQ(file->read(buffer, sizeof buffer), -1);
    EXPECT_EQ(file->read(buffer, sizeof buffer), 3);
    fs.resetCounts();
    EXPECT_EQ(fs.calls(Step::read), 0u);
}

TEST(FaultyFileSystem, AFailingWriteLeavesATornFile) {
    TempDir dir;
    FaultyFileSystem fs;
    fs.failCall(Step::write);
    std::string temp;
    auto file = fs.createTemporaryBeside(dir.file("t"), temp, ignored);
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->write("abcdef", 6));
    EXPECT_TRUE(file->close());
    EXPECT_EQ(readFileBytes(temp), "abc");
}

}  // namespace
}  // namespace velcor::fileio
