#include "output/PrepareHistory.h"

#include "support/FaultyFileSystem.h"
#include "support/TestSupport.h"
#include "text/Text.h"

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
    // A prepare as the window makes one: the copy kept, the record written, the list replaced
    // by a rename, the history settled.
    PendingPrepare prepare(const std::string& path, const std::string& prepared) {
        const std::string original = testing::readFileBytes(path);
        const KeptCopy kept = history.keepCopy(path, *fs.stamp(path));
        EXPECT_EQ(kept.result, KeepResult::kept) << kept.cause.message();
        std::error_code cause;
        EXPECT_TRUE(history.record(kept.pending, digestOf(original), digestOf(prepared), cause));
        EXPECT_TRUE(fileio::replaceFile(fs, path, {prepared}).ok());
        history.settle(kept.pending);
        return kept.pending;
    }
    std::string copyOf(const PendingPrepare& pending) {
        return dir.file("data/velcor/undo/" + pending.id + ".copy");
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
// A prepare is found by the file its path named as well as by the path: one made through a
// linked folder or a link to the list is undone from the list's real path and the other way
// round, also once the link is gone; another list of the same folder is not it.
TEST_F(History, APrepareIsFoundByTheFileItsPathNamed) {
    const struct {
        const char* what;
        const char* preparedThrough;
        const char* undoneThrough;
        bool linksGone;
        RestoreResult result;
    } cases[] = {
        {"a linked folder, then the real path", "link/O081206P.1DP", "real/O081206P.1DP", false,
         RestoreResult::restored},
        {"the real path, then a linked folder", "real/O081206P.1DP", "link/O081206P.1DP", false,
         RestoreResult::restored},
        {"a link to the list, then the real path", "alias.1DP", "real/O081206P.1DP", false,
         RestoreResult::restored},
        {"another spelling of the folder", "real/../real/./O081206P.1DP", "real/O081206P.1DP",
         false, RestoreResult::restored},
        {"a linked folder gone since", "link/O081206P.1DP", "real/O081206P.1DP", true,
         RestoreResult::restored},
        {"another list of the folder", "real/O081206P.1DP", "real/O081206P.2DP", false,
         RestoreResult::noEntry},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir here;
        PrepareHistory own(fs, here.file("undo"));
        std::filesystem::create_directory(here.file("real"));
        testing::writeFileBytes(here.file("real/O081206P.1DP"), kOriginal);
        testing::writeFileBytes(here.file("real/O081206P.2DP"), kPrepared);
        // Where the system makes no symbolic links (Windows without the right), only the cases
        // without them run.
        std::error_code error;
        std::filesystem::create_directory_symlink(here.file("real"), here.file("link"), error);
        if (!error)
            std::filesystem::create_symlink(here.file("real/O081206P.1DP"), here.file("alias.1DP"),
                                            error);
        const std::string paths = std::string(c.preparedThrough) + c.undoneThrough;
        if (error &&
            (paths.find("link") != std::string::npos || paths.find("alias") != std::string::npos))
            continue;

        const std::string through = here.file(c.preparedThrough);
        const KeptCopy kept = own.keepCopy(through, *fs.stamp(through));
        ASSERT_EQ(kept.result, KeepResult::kept);
        std::error_code cause;
        ASSERT_TRUE(own.record(kept.pending, digestOf(kOriginal), digestOf(kPrepared), cause));
        ASSERT_TRUE(fileio::replaceFile(fs, through, {kPrepared}).ok());
        own.settle(kept.pending);
        if (c.linksGone) {
            std::filesystem::remove(here.file("link"));
            std::filesystem::remove(here.file("alias.1DP"));
        }

        EXPECT_EQ(own.restore(here.file(c.undoneThrough)).result, c.result);
        const bool undone = c.result == RestoreResult::restored;
        EXPECT_EQ(testing::readFileBytes(here.file("real/O081206P.1DP")),
                  undone ? kOriginal : kPrepared);
    }
}

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
    // Put back, an entry has done its work: its copies are gone, and a mark of each says so.
    const std::vector<std::string> left = names();
    EXPECT_EQ(left.size(), 2u);
    EXPECT_TRUE(std::all_of(left.begin(), left.end(),
                            [](const std::string& n) { return n.ends_with(".undone"); }));
    EXPECT_EQ(history.restore(list).result, RestoreResult::alreadyRestored);
    testing::writeFileBytes(list, kPrepared);
    EXPECT_EQ(history.restore(list).result, RestoreResult::noEntry);
    // The same list named by another path still is that list.
    testing::writeFileBytes(list, kOriginal);
    prepare(list, kPrepared);
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
    // The two oldest are let go, each leaving its mark, and their undo says so.
    EXPECT_EQ(names().size(), 2 * kKeptPrepares + 2);
    EXPECT_EQ(history.restore(lists[0]).result, RestoreResult::copyLetGo);
    EXPECT_EQ(history.restore(lists[1]).result, RestoreResult::copyLetGo);
    EXPECT_EQ(testing::readFileBytes(lists[1]), kPrepared + "1");
    EXPECT_EQ(history.restore(lists[2]).result, RestoreResult::restored);
    EXPECT_EQ(testing::readFileBytes(lists[2]), kOriginal + "2");
}

// Beyond the cap's bytes or days the oldest copies go first; the newest stays whatever its size,
// so that the prepare just made can be undone. A list changed since its let-go prepare is told
// nothing of it.
TEST_F(History, TheCapLetsTheOldestCopiesGoFirst) {
    const std::string big(1000, 'x');
    const struct {
        const char* what;
        HistoryCap cap;
        int daysBackOfTheOldest;
        std::vector<RestoreResult> results;  // oldest first
    } cases[] = {
        {"within the cap",
         {1 << 20, 90},
         0,
         {RestoreResult::restored, RestoreResult::restored, RestoreResult::restored}},
        {"two copies fit",
         {2500, 90},
         0,
         {RestoreResult::copyLetGo, RestoreResult::restored, RestoreResult::restored}},
        {"the newest alone is over",
         {10, 90},
         0,
         {RestoreResult::copyLetGo, RestoreResult::copyLetGo, RestoreResult::restored}},
        {"the oldest is too old",
         {1 << 20, 90},
         91,
         {RestoreResult::copyLetGo, RestoreResult::restored, RestoreResult::restored}},
        {"a day within",
         {1 << 20, 90},
         89,
         {RestoreResult::restored, RestoreResult::restored, RestoreResult::restored}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::TempDir here;
        PrepareHistory own(fs, here.file("undo"));
        own.setCap(c.cap);
        std::vector<std::string> lists;
        for (int i = 0; i < 3; ++i) {
            lists.push_back(here.file("O081206P." + std::to_string(i)));
            testing::writeFileBytes(lists.back(), big + std::to_string(i));
            const KeptCopy kept = own.keepCopy(lists.back(), *fs.stamp(lists.back()));
            ASSERT_EQ(kept.result, KeepResult::kept);
            std::error_code cause;
            ASSERT_TRUE(own.record(kept.pending, digestOf(big + std::to_string(i)),
                                   digestOf(kPrepared + std::to_string(i)), cause));
            ASSERT_TRUE(
                fileio::replaceFile(fs, lists.back(), {kPrepared + std::to_string(i)}).ok());
            std::string id = kept.pending.id;
            if (i == 0 && c.daysBackOfTheOldest > 0) {
                // Its id carries the time it was begun: made as old as the case wants.
                const long long begun =
                    std::stoll(id.substr(0, 20)) -
                    static_cast<long long>(c.daysBackOfTheOldest) * 24 * 3600 * 1'000'000'000LL;
                const std::string older = text::format("%020lld", begun) + id.substr(20);
                for (const char* extension : {".copy", ".prepare"})
                    std::filesystem::rename(here.file("undo/" + id + extension),
                                            here.file("undo/" + older + extension));
                id = older;
            }
            own.settle({id, kept.pending.listPath, kept.pending.resolvedPath});
        }
        for (std::size_t i = 0; i < lists.size(); ++i)
            EXPECT_EQ(own.restore(lists[i]).result, c.results[i]) << i;
        // Changed since, a list whose prepare was let go (or put back) has nothing to undo, and
        // is told nothing of a copy let go.
        testing::writeFileBytes(lists[0], "edited\r\n");
        EXPECT_EQ(own.restore(lists[0]).result, RestoreResult::noEntry);
    }
}

// The copies are long work: a progress that asks to stop keeps nothing and puts nothing back.
TEST_F(History, AStoppedCopyKeepsOrPutsBackNothing) {
    const std::string big(3u << 20, 'x');
    testing::writeFileBytes(list, big);
    FaultyFileSystem unlinked;
    unlinked.failFromCall(FaultyFileSystem::Step::link);
    PrepareHistory copying(unlinked, history.folder());
    int heard = 0;
    const CopyProgress stopSecond = [&heard](std::uint64_t, std::uint64_t) { return ++heard < 2; };
    EXPECT_EQ(copying.keepCopy(list, *fs.stamp(list), stopSecond).result, KeepResult::cancelled);
    EXPECT_TRUE(names().empty());

    prepare(list, kPrepared);
    heard = 0;
    EXPECT_EQ(history.restore(list, stopSecond).result, RestoreResult::cancelled);
    EXPECT_EQ(testing::readFileBytes(list), kPrepared);
    EXPECT_EQ(history.restore(list).result, RestoreResult::restored);
    EXPECT_EQ(testing::readFileBytes(list), big);
}

// On the list's file system the kept copy is the list's own file, which the prepare's rename
// leaves to the history; where no link can be made (another file system) it is a copy. Either
// way it holds the list as it was, while the list holds what replaced it.
TEST_F(History, KeepsTheListsOwnFileWhereItCanAndACopyElsewhere) {
    const struct {
        const char* what;
        bool linksFail;
    } cases[] = {{"one file system", false}, {"across file systems", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        FaultyFileSystem faulty;
        if (c.linksFail) faulty.failFromCall(FaultyFileSystem::Step::link);
        PrepareHistory kept(faulty, history.folder());
        testing::writeFileBytes(list, kOriginal);
        const fileio::FileStamp before = *fs.stamp(list);
        const KeptCopy copy = kept.keepCopy(list, before);
        ASSERT_EQ(copy.result, KeepResult::kept) << copy.cause.message();
        const std::string copyPath = copyOf(copy.pending);
        EXPECT_EQ(fs.stamp(copyPath)->fileId == before.fileId, !c.linksFail);
        std::error_code cause;
        ASSERT_TRUE(kept.record(copy.pending, digestOf(kOriginal), digestOf(kPrepared), cause));
        ASSERT_TRUE(fileio::replaceFile(faulty, list, {kPrepared}, before).ok());
        kept.settle(copy.pending);
        EXPECT_EQ(testing::readFileBytes(copyPath), kOriginal);
        EXPECT_EQ(testing::readFileBytes(list), kPrepared);
        EXPECT_NE(fs.stamp(list)->fileId, fs.stamp(copyPath)->fileId);
        EXPECT_EQ(faulty.calls(FaultyFileSystem::Step::copy), 0u);
        EXPECT_EQ(kept.restore(list).result, RestoreResult::restored);
        EXPECT_EQ(testing::readFileBytes(list), kOriginal);
    }
}

// A copy without its record, as a run killed before it wrote the record leaves, is no entry; a
// day after it was kept it goes, as does a temporary file of such a run. A linked copy shows
// the list's own time, however old: it is judged by the time its name holds.
TEST_F(History, AnEntryWithoutItsRecordIsNoneAndGoesADayLater) {
    const std::string folder = dir.file("data/velcor/undo/");
    const auto twoDaysAgo = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    testing::writeFileBytes(list, kOriginal);
    std::filesystem::last_write_time(list, twoDaysAgo);
    const KeptCopy first = history.keepCopy(list, *fs.stamp(list));
    const KeptCopy second = history.keepCopy(list, *fs.stamp(list));
    ASSERT_EQ(second.result, KeepResult::kept);
    EXPECT_EQ(history.restore(list).result, RestoreResult::noEntry);
    // The first as a run two days ago would have named it.
    const std::int64_t then =
        std::chrono::duration_cast<std::chrono::nanoseconds>(
            std::chrono::system_clock::now().time_since_epoch() - std::chrono::hours(48))
            .count();
    const std::string oldId =
        text::format("%020lld", static_cast<long long>(then)) + first.pending.id.substr(20);
    std::filesystem::rename(folder + first.pending.id + ".copy", folder + oldId + ".copy");
    testing::writeFileBytes(folder + ".velcor-1.tmp", "half");
    std::filesystem::last_write_time(folder + ".velcor-1.tmp", twoDaysAgo);
    history.prune();
    EXPECT_EQ(names(), std::vector<std::string>{second.pending.id + ".copy"});
}

// What the prepare is about to replace must be what was kept, and a copy that cannot be kept
// whole leaves nothing behind.
TEST_F(History, AKeptCopyIsTheVersionThePrepareReplacesOrNone) {
    const std::string large = kOriginal + std::string(3 << 20, 'x');
    const struct {
        const char* what;
        std::function<void(FaultyFileSystem&)> arrange;
        KeepResult result;
        std::error_code cause;
    } cases[] = {
        {"the list changed before it was linked",
         [&](FaultyFileSystem& faulty) {
             faulty.runAtCall(FaultyFileSystem::Step::link, 1,
                              [&] { testing::writeFileBytes(list, kOriginal + "appended"); });
         },
         KeepResult::listChanged,
         {}},
        {"the list changed while it was copied",
         [&](FaultyFileSystem& faulty) {
             faulty.failFromCall(FaultyFileSystem::Step::link);
             faulty.runAtCall(FaultyFileSystem::Step::read, 2,
                              [&] { testing::writeFileBytes(list, kOriginal + "appended"); });
         },
         KeepResult::listChanged,
         {}},
        {"the copy not synced",
         [](FaultyFileSystem& faulty) {
             faulty.failFromCall(FaultyFileSystem::Step::link);
             faulty.failCall(FaultyFileSystem::Step::sync);
         },
         KeepResult::failed, std::make_error_code(std::errc::io_error)},
        {"the list not readable for its copy",
         [](FaultyFileSystem& faulty) {
             faulty.failFromCall(FaultyFileSystem::Step::link);
             faulty.failCall(FaultyFileSystem::Step::read);
         },
         KeepResult::failed, std::make_error_code(std::errc::io_error)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        testing::writeFileBytes(list, large);
        const fileio::FileStamp stamp = *fs.stamp(list);
        FaultyFileSystem faulty;
        c.arrange(faulty);
        PrepareHistory kept(faulty, history.folder());
        const KeptCopy copy = kept.keepCopy(list, stamp);
        EXPECT_EQ(copy.result, c.result);
        EXPECT_EQ(copy.cause, c.cause);
        EXPECT_TRUE(names().empty());
    }
    PrepareHistory blocked(fs, list + "/undo");
    EXPECT_EQ(blocked.keepCopy(list, *fs.stamp(list)).cause, std::errc::not_a_directory);
}

#if !defined(_WIN32)
// A linked copy is closed to others once the rename has left it to the history, as a copy is
// from the start; but not where the list's file has a name elsewhere too, which would lose what
// it allows with it.
TEST_F(History, IsTheUsersAlone) {
    using std::filesystem::perms;
    const perms open =
        perms::owner_read | perms::owner_write | perms::group_read | perms::others_read;
    const perms privateFile = perms::owner_read | perms::owner_write;
    const std::string folder = dir.file("data/velcor/undo");
    const std::string otherName = dir.file("kept elsewhere");
    for (const bool secondName : {false, true}) {
        SCOPED_TRACE(secondName ? "a list with a second name" : "a list open to others");
        testing::writeFileBytes(list, kOriginal);
        std::filesystem::permissions(list, open);
        std::filesystem::remove(otherName);
        if (secondName) std::filesystem::create_hard_link(list, otherName);
        const PendingPrepare pending = prepare(list, kPrepared);
        EXPECT_EQ(std::filesystem::status(dir.file("data")).permissions(), perms::owner_all);
        EXPECT_EQ(std::filesystem::status(folder).permissions(), perms::owner_all);
        EXPECT_EQ(std::filesystem::status(folder + "/" + pending.id + ".prepare").permissions(),
                  privateFile);
        EXPECT_EQ(std::filesystem::status(folder + "/" + pending.id + ".copy").permissions(),
                  secondName ? open : privateFile);
        EXPECT_EQ(std::filesystem::status(list).permissions(), open);
        if (secondName) {
            EXPECT_EQ(testing::readFileBytes(otherName), kOriginal);
        }
    }
}
#endif

}  // namespace
}  // namespace velcor::output
