#include "output/PrepareHistory.h"

#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace velcor::output {
namespace {

using testing::FaultyFileSystem;

// Bytes a scan would read otherwise than they are: CR LF, a blank line, a lone CR, the end mark
// and what follows it, Cyrillic letters. A list is put back as bytes, not as rows.
const std::string kOriginal =
    "BG80BNBG96611020345678;BNBGBGSD;\xC8\xE2\xE0\xED;10.50\r\n\r\n"
    "BG95UNCR70001523456789;UNCRBGSF;Maria;20.25\r\x1Atail";
const std::string kPrepared =
    "OMPDP;08122006;...\r\nBG80BNBG96611020345678;BNBGBGSD;\xC8\xE2\xE0\xED;10.50\n";

fileio::ContentDigest digestOf(const std::string& bytes) {
    fileio::ContentDigester digester;
    digester.add(bytes.data(), bytes.size());
    return digester.finish();
}

class History : public ::testing::Test {
  public:
    // A prepare as the window makes one: the copy kept, the record written, the list replaced.
    PendingPrepare prepare(const std::string& path, const std::string& prepared) {
        const KeptCopy kept = history.keepCopy(path, *fs.stamp(path));
        EXPECT_EQ(kept.result, KeepResult::kept) << kept.cause.message();
        std::error_code cause;
        EXPECT_TRUE(history.record(kept.pending, digestOf(prepared), cause));
        EXPECT_TRUE(fileio::replaceFile(fs, path, {prepared}).ok());
        return kept.pending;
    }
    std::vector<std::string> names() {
        std::vector<std::string> found = fs.folderEntries(history.folder());
        std::sort(found.begin(), found.end());
        return found;
    }

    testing::TempDir dir;
    FaultyFileSystem fs;
    PrepareHistory history{fs, dir.file("data/velcor/undo")};
    std::string list = dir.file("O081206P.1DP");
};

// Whatever happened to the list or its copy since the prepare, it is put back only when it is
// still the prepared file and the copy is what was kept; else it stays as it is.
TEST_F(History, PutsTheListBackOnlyWhileItIsThePreparedFile) {
    const struct {
        const char* what;
        std::function<void(History&, const PendingPrepare&)> after;
        RestoreResult result;
    } cases[] = {
        {"nothing", [](History&, const PendingPrepare&) {}, RestoreResult::restored},
        {"a byte of the list changed",
         [](History& h, const PendingPrepare&) {
             testing::writeFileBytes(h.list, kPrepared.substr(0, kPrepared.size() - 2) + "1\n");
         },
         RestoreResult::listChanged},
        {"the list put back already",
         [](History& h, const PendingPrepare&) { testing::writeFileBytes(h.list, kOriginal); },
         RestoreResult::alreadyRestored},
        {"the list removed",
         [](History& h, const PendingPrepare&) { std::filesystem::remove(h.list); },
         RestoreResult::listUnreadable},
        {"the copy changed",
         [](History& h, const PendingPrepare& p) {
             testing::writeFileBytes(h.dir.file("data/velcor/undo/" + p.id + ".copy"),
                                     "BG80BNBG96611020345678;BNBGBGSD;Ivan;99.99\r\n");
         },
         RestoreResult::copyDamaged},
        {"the copy removed",
         [](History& h, const PendingPrepare& p) {
             std::filesystem::remove(h.dir.file("data/velcor/undo/" + p.id + ".copy"));
         },
         RestoreResult::copyDamaged},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::writeFileBytes(list, kOriginal);
        const PendingPrepare pending = prepare(list, kPrepared);
        c.after(*this, pending);
        const std::string before = testing::readFileBytes(list);
        const Restored restored = history.restore(list);
        EXPECT_EQ(restored.result, c.result);
        EXPECT_EQ(testing::readFileBytes(list),
                  c.result == RestoreResult::restored ? kOriginal : before);
        const std::vector<std::string> left = names();
        EXPECT_EQ(std::count_if(left.begin(), left.end(),
                                [](const std::string& n) { return n.starts_with("."); }),
                  0);
    }
    EXPECT_EQ(history.restore(dir.file("O081206P.2DP")).result, RestoreResult::noEntry);
}

// The content decides which prepare is undone: the newest whose prepared file the list is.
TEST_F(History, TheNewestPrepareWhoseFileTheListIsIsUndone) {
    testing::writeFileBytes(list, kOriginal);
    prepare(list, kPrepared);
    testing::writeFileBytes(list, "edited\r\n");
    prepare(list, kPrepared + "second\n");
    EXPECT_EQ(history.restore(list).result, RestoreResult::restored);
    EXPECT_EQ(testing::readFileBytes(list), "edited\r\n");
    testing::writeFileBytes(list, kPrepared);
    EXPECT_EQ(history.restore(list).result, RestoreResult::restored);
    EXPECT_EQ(testing::readFileBytes(list), kOriginal);
    // The same list named by another path still is that list.
    testing::writeFileBytes(list, kPrepared);
    const std::filesystem::path folder = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    EXPECT_EQ(history.restore("./data/../O081206P.1DP").result, RestoreResult::restored);
    std::filesystem::current_path(folder);
}

TEST_F(History, KeepsTheLastHundredPrepares) {
    std::vector<std::string> lists;
    for (std::size_t i = 0; i < kKeptPrepares + 2; ++i) {
        lists.push_back(dir.file("O081206P." + std::to_string(i)));
        testing::writeFileBytes(lists.back(), kOriginal + std::to_string(i));
        prepare(lists.back(), kPrepared + std::to_string(i));
    }
    history.prune();
    EXPECT_EQ(names().size(), 2 * kKeptPrepares);
    EXPECT_EQ(history.restore(lists[0]).result, RestoreResult::noEntry);
    EXPECT_EQ(history.restore(lists[1]).result, RestoreResult::noEntry);
    EXPECT_EQ(history.restore(lists[2]).result, RestoreResult::restored);
    EXPECT_EQ(testing::readFileBytes(lists[2]), kOriginal + "2");
}

// A copy without its record, as a run killed before it wrote the record leaves, is no entry; a
// day later it goes, as does a temporary file of such a run.
TEST_F(History, AnEntryWithoutItsRecordIsNoneAndGoesADayLater) {
    testing::writeFileBytes(list, kOriginal);
    const KeptCopy first = history.keepCopy(list, *fs.stamp(list));
    const KeptCopy second = history.keepCopy(list, *fs.stamp(list));
    ASSERT_EQ(second.result, KeepResult::kept);
    testing::writeFileBytes(list, kPrepared);
    EXPECT_EQ(history.restore(list).result, RestoreResult::noEntry);
    const std::string folder = dir.file("data/velcor/undo/");
    testing::writeFileBytes(folder + ".velcor-1.tmp", "half");
    const auto twoDaysAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    std::filesystem::last_write_time(folder + first.pending.id + ".copy", twoDaysAgo);
    std::filesystem::last_write_time(folder + ".velcor-1.tmp", twoDaysAgo);
    history.prune();
    EXPECT_EQ(names(), std::vector<std::string>{second.pending.id + ".copy"});
}

// What the prepare is about to replace must be what was copied, and a copy that cannot be kept
// whole leaves nothing behind.
TEST_F(History, AKeptCopyIsTheVersionThePrepareReplacesOrNone) {
    testing::writeFileBytes(list, kOriginal + std::string(3 << 20, 'x'));
    const fileio::FileStamp stamp = *fs.stamp(list);
    fs.runAtCall(FaultyFileSystem::Step::read, 2,
                 [&] { testing::writeFileBytes(list, kOriginal + "appended"); });
    EXPECT_EQ(history.keepCopy(list, stamp).result, KeepResult::listChanged);
    EXPECT_TRUE(names().empty());

    const fileio::FileStamp now = *fs.stamp(list);
    fs.failCall(FaultyFileSystem::Step::sync, fs.calls(FaultyFileSystem::Step::sync) + 1);
    const KeptCopy failed = history.keepCopy(list, now);
    EXPECT_EQ(failed.result, KeepResult::failed);
    EXPECT_EQ(failed.cause, std::errc::io_error);
    EXPECT_TRUE(names().empty());

    PrepareHistory blocked(fs, list + "/undo");
    EXPECT_EQ(blocked.keepCopy(list, now).cause, std::errc::not_a_directory);
}

#if !defined(_WIN32)
TEST_F(History, IsTheUsersAlone) {
    using std::filesystem::perms;
    testing::writeFileBytes(list, kOriginal);
    const PendingPrepare pending = prepare(list, kPrepared);
    const std::string folder = dir.file("data/velcor/undo");
    EXPECT_EQ(std::filesystem::status(dir.file("data")).permissions(), perms::owner_all);
    EXPECT_EQ(std::filesystem::status(folder).permissions(), perms::owner_all);
    for (const char* extension : {".copy", ".prepare"})
        EXPECT_EQ(std::filesystem::status(folder + "/" + pending.id + extension).permissions(),
                  perms::owner_read | perms::owner_write);
}
#endif

}  // namespace
}  // namespace velcor::output
