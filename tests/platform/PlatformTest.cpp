#include "platform/Platform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST (PlatformFolders, DefaultPerUserFolderIsVelmoraDravin8InApplicationData)
{
    // The test main overrides the folders; an empty override falls back to the real locations.
    const Platform::ScopedFolderOverride none ({}, {});
    const auto folder = Platform::getUserDataFolder();

    EXPECT_EQ (folder.getFileName(), "Dravin 8");
    EXPECT_EQ (folder.getParentDirectory().getFileName(), "Velmora");
    EXPECT_EQ (folder.getParentDirectory().getParentDirectory(),
               juce::File::getSpecialLocation (juce::File::userApplicationDataDirectory));
    EXPECT_TRUE (Platform::getDefaultMusicFolder().isDirectory());
}

TEST (PlatformFolders, OverridesNestAndRestore)
{
    const TempDir temp;
    const auto outerUser = Platform::getUserDataFolder();
    {
        const Platform::ScopedFolderOverride inner (temp / "user", temp / "music");
        EXPECT_EQ (Platform::getUserDataFolder(), temp / "user");
        EXPECT_EQ (Platform::getDefaultMusicFolder(), temp / "music");
    }
    EXPECT_EQ (Platform::getUserDataFolder(), outerUser);
}

TEST (PlatformFolders, TestsNeverSeeTheRealHomeFolder)
{
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    EXPECT_FALSE (Platform::getUserDataFolder().isAChildOf (home));
    EXPECT_FALSE (Platform::getDefaultMusicFolder().isAChildOf (home));
}

TEST (PlatformReplaceFile, ReplacesTheTargetInOneStep)
{
    const TempDir temp;
    const auto target = temp / "track_1.wav";
    const auto fresh = temp / "track_1.wav.tmp";
    ASSERT_TRUE (target.replaceWithText ("old take"));
    ASSERT_TRUE (fresh.replaceWithText ("new take"));

    ASSERT_TRUE (Platform::replaceFile (fresh, target));
    EXPECT_EQ (target.loadFileAsString(), "new take");
    EXPECT_FALSE (fresh.exists());
}

TEST (PlatformReplaceFile, CreatesTargetThatDidNotExist)
{
    const TempDir temp;
    ASSERT_TRUE ((temp / "a").replaceWithText ("x"));
    EXPECT_TRUE (Platform::replaceFile (temp / "a", temp / "b"));
    EXPECT_EQ ((temp / "b").loadFileAsString(), "x");
}

TEST (PlatformReplaceFile, FailureLeavesBothFilesAlone)
{
    const TempDir temp;
    const auto target = temp / "settings.xml";
    ASSERT_TRUE (target.replaceWithText ("keep me"));

    // Missing source.
    EXPECT_FALSE (Platform::replaceFile (temp / "missing", target));
    EXPECT_EQ (target.loadFileAsString(), "keep me");

    // Target is a folder.
    const auto folder = temp / "folder";
    ASSERT_TRUE (folder.createDirectory());
    ASSERT_TRUE ((temp / "src").replaceWithText ("data"));
    EXPECT_FALSE (Platform::replaceFile (temp / "src", folder));
    EXPECT_TRUE (folder.isDirectory());
    EXPECT_EQ ((temp / "src").loadFileAsString(), "data");
}
