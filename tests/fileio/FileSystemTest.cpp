#include "fileio/FileSystem.h"
#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"
#include "text/Cp1251.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/stat.h>
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
    auto file = standardFileSystem().openRead(dir.file("a.bin"));
    ASSERT_TRUE(file);
    EXPECT_EQ(readAll(*file), content);
}

TEST(StandardFileSystem, RefusesWhatIsNotARegularFile) {
    TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    EXPECT_FALSE(standardFileSystem().openRead(dir.file("missing.txt")));
    EXPECT_FALSE(standardFileSystem().openRead(dir.file("folder")));
#if !defined(_WIN32)
    // A FIFO without a writer would block an ordinary open for ever.
    ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
    EXPECT_FALSE(standardFileSystem().openRead(dir.file("pipe")));
    EXPECT_FALSE(standardFileSystem().openRead("/dev/null"));
#endif
}

TEST(StandardFileSystem, PathsAreWindows1251) {
    TempDir dir;
    const std::string name = "плащания.txt"_cp;
    const std::string path = dir.file("") + name;
    ASSERT_EQ(replaceFile(standardFileSystem(), path, {"abc"}), ReplaceResult::ok);
    // On disk the name is the host's spelling of the same letters.
    EXPECT_EQ(readFileBytes(dir.path() / std::filesystem::path(u8"плащания.txt")), "abc");
    auto file = standardFileSystem().openRead(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(readAll(*file), "abc");
    const auto stamp = standardFileSystem().stamp(path);
    ASSERT_TRUE(stamp);
    EXPECT_EQ(stamp->size, 3u);
}

TEST(StandardFileSystem, TemporaryFilesAreNewUniqueAndBesideTheTarget) {
    TempDir dir;
    const std::string target = dir.file("omp.ini");
    std::string first, second;
    auto a = standardFileSystem().createTemporaryBeside(target, first);
    auto b = standardFileSystem().createTemporaryBeside(target, second);
    ASSERT_TRUE(a);
    ASSERT_TRUE(b);
    EXPECT_NE(first, second);
    EXPECT_EQ(std::filesystem::path(first).parent_path(), dir.path());
    EXPECT_EQ(std::filesystem::path(second).parent_path(), dir.path());
    EXPECT_TRUE(a->write("x", 1) && a->flush() && a->sync() && a->close());
    EXPECT_TRUE(b->close());
    EXPECT_EQ(readFileBytes(first), "x");
    EXPECT_EQ(readFileBytes(second), "");
    EXPECT_FALSE(std::filesystem::exists(target));
    EXPECT_FALSE(standardFileSystem().createTemporaryBeside(dir.file("no/such/folder/f"), first));
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
    EXPECT_TRUE(fs.rename(dir.file("c"), dir.file("b")));
    EXPECT_EQ(readFileBytes(dir.path() / "b"), "other");
    const auto after = fs.stamp(dir.file("b"));
    ASSERT_TRUE(after);
    EXPECT_NE(*before, *after);  // same size, yet another file
    EXPECT_EQ(*after, *fs.stamp(dir.file("b")));

    EXPECT_TRUE(fs.remove(dir.file("b")));
    EXPECT_FALSE(fs.remove(dir.file("b")));
    EXPECT_FALSE(fs.stamp(dir.file("b")));
    EXPECT_FALSE(fs.rename(dir.file("b"), dir.file("a")));
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

#if !defined(_WIN32)
TEST(ReplaceFile, KeepsThePermissionBitsOfTheTarget) {
    TempDir dir;
    const std::string target = dir.file("list.txt");
    for (const auto mode : {0600, 0640, 0444}) {
        writeFileBytes(target, "old");
        ASSERT_EQ(::chmod(target.c_str(), static_cast<mode_t>(mode)), 0);
        ASSERT_EQ(replaceFile(standardFileSystem(), target, {"new"}), ReplaceResult::ok);
        struct stat info {};
        ASSERT_EQ(::stat(target.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, static_cast<mode_t>(mode));
        EXPECT_EQ(readFileBytes(target), "new");
        ::chmod(target.c_str(), 0600);
    }
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
    [](const auto& info) { return std::string(info.param.label); });

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
    EXPECT_TRUE(fs.openRead(dir.file("a")));
    EXPECT_FALSE(fs.openRead(dir.file("a")));
    EXPECT_TRUE(fs.openRead(dir.file("a")));
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
    auto file = fs.openRead(dir.file("a"));
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
    auto file = fs.createTemporaryBeside(dir.file("t"), temp);
    ASSERT_TRUE(file);
    EXPECT_FALSE(file->write("abcdef", 6));
    EXPECT_TRUE(file->close());
    EXPECT_EQ(readFileBytes(temp), "abc");
}

}  // namespace
}  // namespace velcor::fileio
