#pragma once

// A FileSystem for failure tests. It passes every call on to a real one (the standard file system
// unless told otherwise) and makes chosen calls fail, one step at a time, so that a test can show
// what the code under test does when exactly that step goes wrong.
//
//     velcor::testing::FaultyFileSystem fs;
//     fs.failCall(FaultyFileSystem::Step::rename);      // the first rename fails
//     fs.failCall(FaultyFileSystem::Step::write, 2);    // and the second write
//     fs.failFromCall(FaultyFileSystem::Step::copy);    // every copy fails
//     fs.runAtCall(FaultyFileSystem::Step::close, 1, [] { /* another program edits the list */ });
//     ... run the code with `fs` ...
//     EXPECT_EQ(fs.calls(FaultyFileSystem::Step::sync), 1u);
//     fs.clearFailures();                               // the same object now behaves normally
//
// Calls are counted per step from 1 over the life of the object (or since resetCounts()); the
// counters of files opened through it are shared with it. What a failing call does:
//   openRead, createTemporary  return nullptr; nothing is opened or created. The cause is an
//                              input/output error, as it is for every failing step.
//   read                       returns -1.
//   write                      writes the first half of the bytes, then reports failure (a disk
//                              that filled up mid-way), so a careless caller leaves a torn file.
//   flush, sync                report failure without doing anything.
//   close                      closes the file for real (no descriptor leaks) and reports failure.
//   rename, remove, copy       report failure and leave the files as they are.
//   stamp                      returns no stamp.
//   lock                       (one call per attempt, so a wait for a busy file makes several)
//                              takes no lock and reports that it cannot be taken, not that the
//                              file is busy.
//   createFolder               creates nothing and reports failure.
//   listFolder                 finds nothing.
//   link                       makes no link and reports that the two paths are on different
//                              file systems, the one refusal a caller has to expect.
//   makePrivate                leaves the file as it is and reports failure.

#include "fileio/FileSystem.h"

#include <array>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace velcor::testing {

class FaultyFileSystem final : public fileio::FileSystem {
  public:
    enum class Step {
        openRead,
        createTemporary,
        read,
        write,
        flush,
        sync,
        close,
        rename,
        remove,
        copy,
        stamp,
        lock,
        createFolder,
        listFolder,
        link,
        makePrivate,
    };
    static constexpr std::size_t kStepCount = static_cast<std::size_t>(Step::makePrivate) + 1;

    explicit FaultyFileSystem(fileio::FileSystem& inner = fileio::standardFileSystem());

    // Makes the `nth` call (1-based) of `step` fail; earlier and later calls pass.
    void failCall(Step step, unsigned nth = 1);
    // Makes the `nth` call of `step` and every one after it fail.
    void failFromCall(Step step, unsigned nth = 1);
    // Runs `action` when the `nth` call of `step` is made, before that call goes on: what another
    // program does to a file meanwhile. One action per step.
    void runAtCall(Step step, unsigned nth, std::function<void()> action);
    // Every call passes again and no action is left; the counters keep running.
    void clearFailures();
    void resetCounts();

    // How many calls of `step` were made, and how many of them were made to fail.
    unsigned calls(Step step) const;
    unsigned failures(Step step) const;
    unsigned totalFailures() const;

    // Counts one call of `step`; true when that call is to fail. Used by the wrapped files.
    bool nextCallFails(Step step);

    std::unique_ptr<fileio::ReadFile> openRead(const std::string& path,
                                               std::error_code& cause) override;
    std::unique_ptr<fileio::WriteFile> createTemporaryBeside(const std::string& targetPath,
                                                             std::string& tempPath,
                                                             std::error_code& cause) override;
    bool rename(const std::string& from, const std::string& to, std::error_code& cause) override;
    bool remove(const std::string& path) override;
    bool copy(const std::string& from, const std::string& to) override;
    std::optional<fileio::FileStamp> stamp(const std::string& path) override;
    fileio::LockAttempt tryLock(const std::string& path) override;
    bool createPrivateFolder(const std::string& path, std::error_code& cause) override;
    std::vector<std::string> folderEntries(const std::string& path) override;
    bool hardLink(const std::string& from, const std::string& to, std::error_code& cause) override;
    bool makePrivate(const std::string& path) override;

  private:
    struct Rule {
        unsigned onlyCall = 0;  // 0: none
        unsigned fromCall = 0;  // 0: none
    };
    struct Action {
        unsigned call = 0;
        std::function<void()> run;
    };
    static std::size_t index(Step step) { return static_cast<std::size_t>(step); }

    fileio::FileSystem& inner_;
    std::array<Rule, kStepCount> rules_{};
    std::array<Action, kStepCount> actions_{};
    std::array<unsigned, kStepCount> calls_{};
    std::array<unsigned, kStepCount> failures_{};
};

}  // namespace velcor::testing
