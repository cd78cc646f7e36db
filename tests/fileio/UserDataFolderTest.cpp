#include "fileio/FileSystem.h"
#include "fileio/UserDataFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

#if !defined(_WIN32)
#include <sys/stat.h>
#endif

namespace velcor::fileio {
namespace {

// Sets an environment variable for the life of the object, then puts back what was there.
class EnvironmentValue {
  public:
    EnvironmentValue(const char* name, std::optional<std::string> value) : name_(name) {
        if (const char* before = std::getenv(name)) before_ = before;
        set(value);
    }
    ~EnvironmentValue() { set(before_); }
    EnvironmentValue(const EnvironmentValue&) = delete;
    EnvironmentValue& operator=(const EnvironmentValue&) = delete;

  private:
    void set(const std::optional<std::string>& value) {
#if defined(_WIN32)
        _putenv_s(name_, value ? value->c_str() : "");
#else
        if (value)
            ::setenv(name_, value->c_str(), 1);
        else
            ::unsetenv(name_);
#endif
    }
    const char* name_;
    std::optional<std::string> before_;
};

#if defined(_WIN32)
TEST(UserDataFolder, IsTheUsersLocalApplicationDataFolder) {
    const EnvironmentValue local("LOCALAPPDATA", "C:\\Users\\ivan\\AppData\\Local");
    EXPECT_EQ(userDataFolder(), "C:\\Users\\ivan\\AppData\\Local\\velcor");
    const EnvironmentValue none("LOCALAPPDATA", std::nullopt);
    EXPECT_EQ(userDataFolder(), std::nullopt);
}
#else
TEST(UserDataFolder, IsXdgDataHomeWhenAbsoluteElseTheHomesLocalShare) {
    const struct {
        std::optional<std::string> dataHome;
        std::optional<std::string> home;
        std::optional<std::string> folder;
    } cases[] = {
        {"/data", "/home/ivan", "/data/velcor"},
        {"/data/", "/home/ivan", "/data/velcor"},
        {"data", "/home/ivan", "/home/ivan/.local/share/velcor"},
        {"", "/home/ivan", "/home/ivan/.local/share/velcor"},
        {std::nullopt, "/home/ivan", "/home/ivan/.local/share/velcor"},
        {std::nullopt, "home", std::nullopt},
        {std::nullopt, std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dataHome.value_or("(none)") + " " + c.home.value_or("(none)"));
        const EnvironmentValue dataHome("XDG_DATA_HOME", c.dataHome);
        const EnvironmentValue home("HOME", c.home);
        EXPECT_EQ(userDataFolder(), c.folder);
    }
}

std::filesystem::perms permissionsOf(const std::string& path) {
    return std::filesystem::status(path).permissions();
}

// Parents made on the way are private too; an own folder that others could enter is closed; a
// file that the atomic replacement creates there is the user's alone, whatever the umask.
TEST(PrivateFolder, IsMadeClosedAndKeepsItsNewFilesPrivate) {
    using std::filesystem::perms;
    testing::TempDir dir;
    FileSystem& fs = standardFileSystem();
    const std::string folder = dir.file("share/velcor/undo");
    const mode_t umask = ::umask(022);
    std::error_code cause;
    EXPECT_TRUE(fs.createPrivateFolder(folder, cause)) << cause.message();
    EXPECT_EQ(permissionsOf(dir.file("share")), perms::owner_all);
    EXPECT_EQ(permissionsOf(folder), perms::owner_all);
    ASSERT_TRUE(replaceFile(fs, folder + "/entry", {"bytes"}).ok());
    EXPECT_EQ(permissionsOf(folder + "/entry"), perms::owner_read | perms::owner_write);
    ASSERT_TRUE(replaceFile(fs, dir.file("beside"), {"bytes"}).ok());
    EXPECT_EQ(permissionsOf(dir.file("beside")) & perms::others_read, perms::others_read)
        << "a folder open to others keeps the umask's defaults";
    ::umask(umask);

    std::filesystem::permissions(folder, perms::all);
    EXPECT_TRUE(fs.createPrivateFolder(folder, cause));
    EXPECT_EQ(permissionsOf(folder), perms::owner_all);

    const std::vector<std::string> names = fs.folderEntries(folder);
    EXPECT_EQ(names, std::vector<std::string>{"entry"});

    EXPECT_FALSE(fs.createPrivateFolder(folder + "/entry", cause));
    EXPECT_EQ(cause, std::errc::not_a_directory);
    EXPECT_FALSE(fs.createPrivateFolder(folder + "/entry/below", cause));
}
#endif

}  // namespace
}  // namespace velcor::fileio
