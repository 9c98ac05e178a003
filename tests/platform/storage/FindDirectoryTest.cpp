#include <FindDirectory.h>
#include <Path.h>

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <optional>
#include <pwd.h>
#include <sys/stat.h>

// Sets or clears an environment variable for the life of the object.
class ScopedVariable {
public:
    ScopedVariable(const char* name, const char* value) : fName(name)
    {
        if (const char* previous = getenv(name))
            fPrevious = previous;
        if (value != nullptr)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedVariable()
    {
        if (fPrevious)
            setenv(fName.c_str(), fPrevious->c_str(), 1);
        else
            unsetenv(fName.c_str());
    }

private:
    std::string fName;
    std::optional<std::string> fPrevious;
};

static std::string found(directory_which which, bool createIt = false)
{
    BPath path;
    status_t status = find_directory(which, &path, createIt);
    return status == B_OK ? path.Path() : "error " + std::to_string(status);
}

TEST(FindDirectoryTest, SettingsFollowXdgConfigHome)
{
    TempFolder folder;
    ScopedVariable home("HOME", folder.Path().c_str());
    {
        ScopedVariable config("XDG_CONFIG_HOME", (folder / "conf").c_str());
        EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / "conf");
        EXPECT_EQ(found(B_USER_CONFIG_DIRECTORY), folder / "conf");
    }
    {
        ScopedVariable config("XDG_CONFIG_HOME", nullptr);
        EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / ".config");
    }
    {
        // Relative and empty values are not locations; the default applies.
        ScopedVariable config("XDG_CONFIG_HOME", "relative/conf");
        EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / ".config");
        ScopedVariable empty("XDG_CONFIG_HOME", "");
        EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / ".config");
    }
}

TEST(FindDirectoryTest, HomeComesFromTheAccountWithoutHome)
{
    TempFolder folder;
    {
        ScopedVariable home("HOME", (folder.Path() + "/").c_str());
        EXPECT_EQ(found(B_USER_DIRECTORY), folder.Path());
    }
    struct passwd* account = getpwuid(getuid());
    ASSERT_NE(account, nullptr);
    ScopedVariable home("HOME", nullptr);
    ScopedVariable config("XDG_CONFIG_HOME", nullptr);
    EXPECT_EQ(found(B_USER_DIRECTORY), BPath(account->pw_dir).Path());
    EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), BPath(account->pw_dir, ".config").Path());
}

TEST(FindDirectoryTest, CreateItMakesTheMissingLevels)
{
    TempFolder folder;
    ScopedVariable config("XDG_CONFIG_HOME", (folder / "a/b/conf").c_str());
    EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY), folder / "a/b/conf");
    struct stat st;
    EXPECT_NE(stat((folder / "a").c_str(), &st), 0); // asking does not create

    EXPECT_EQ(found(B_USER_SETTINGS_DIRECTORY, true), folder / "a/b/conf");
    ASSERT_EQ(stat((folder / "a/b/conf").c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(FindDirectoryTest, TemporaryFolderAndBadRequests)
{
    {
        ScopedVariable tmp("TMPDIR", "/var/tmp");
        EXPECT_EQ(found(B_SYSTEM_TEMP_DIRECTORY), "/var/tmp");
    }
    {
        ScopedVariable tmp("TMPDIR", nullptr);
        EXPECT_EQ(found(B_SYSTEM_TEMP_DIRECTORY), "/tmp");
    }
    // The classic trash (1) has no counterpart here.
    BPath path("/somewhere");
    EXPECT_EQ(find_directory((directory_which)1, &path), B_BAD_VALUE);
    EXPECT_EQ(find_directory((directory_which)12345, &path), B_BAD_VALUE);
    EXPECT_EQ(path.InitCheck(), B_NO_INIT);
    EXPECT_EQ(find_directory(B_USER_DIRECTORY, nullptr), B_BAD_VALUE);
}
