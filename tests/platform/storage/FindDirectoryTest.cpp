#include <FindDirectory.h>
#include <Path.h>

#include "Environment.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

static std::string found(directory_which which, bool createIt = false)
{
    BPath path;
    status_t status = find_directory(which, &path, createIt);
    return status == B_OK ? path.Path() : "error " + std::to_string(status);
}

TEST(FindDirectoryTest, SettingsFollowXdgConfigHomeMadeOnlyWhenAskedTo)
{
    TempFolder folder;
    ScopedVariable home("HOME", folder.Path().c_str());
    ScopedVariable config("XDG_CONFIG_HOME", (folder / "conf").c_str());
    EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / "conf");
    EXPECT_EQ(found(B_USER_CONFIG_DIRECTORY), folder / "conf");

    // Unset, relative or empty, it names no place; the default applies.
    for (const char* value : {(const char*)nullptr, "relative/conf", ""}) {
        ScopedVariable other("XDG_CONFIG_HOME", value);
        EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / ".config") << (value ? value : "-");
    }

    // Asking alone creates nothing; createIt makes the missing levels.
    ScopedVariable deep("XDG_CONFIG_HOME", (folder / "a/b/conf").c_str());
    EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / "a/b/conf");
    struct stat st;
    EXPECT_NE(stat((folder / "a").c_str(), &st), 0);
    EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY, true), folder / "a/b/conf");
    EXPECT_EQ(stat((folder / "a/b/conf").c_str(), &st), 0);
}

TEST(FindDirectoryTest, HomeComesFromTheAccountWithoutHome)
{
    struct passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    ScopedVariable home("HOME", nullptr);
    ScopedVariable config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(found(B_USER_DIRECTORY), BPath(account->pw_dir).Path());
    EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), BPath(account->pw_dir, ".config").Path());
}

TEST(FindDirectoryTest, TemporaryFolderAndBadRequests)
{
    ScopedVariable tmp("TMPDIR", "/var/tmp");
    EXPECT_EQ(found(B_SYSTEM_TEMP_DIRECTORY), "/var/tmp");
    ScopedVariable noTmp("TMPDIR", nullptr);
    EXPECT_EQ(found(B_SYSTEM_TEMP_DIRECTORY), "/tmp");

    // The classic trash (1) has no counterpart here.
    BPath path("/somewhere");
    EXPECT_EQ(find_directory((directory_which)1, &path), B_BAD_VALUE);
    EXPECT_EQ(path.InitCheck(), B_NO_INIT);
    EXPECT_EQ(find_directory(B_USER_DIRECTORY, nullptr), B_BAD_VALUE);
}
