#include "rack/PluginLoadPolicy.h"
#include "platform/Platform.h"
#include "rack/PluginScanIds.h"
#include "rack/PluginScanOptions.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

// Which plug-in files a reel may make the program load. Paths are only compared, nothing is
// loaded here.

namespace
{
class PluginLoadPolicyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        policy.standardFolders = {standard};
        policy.userFolder = temp / "user";
        policy.userFolder.createDirectory();
    }

    void block (const juce::String& text)
    {
        policy.userFolder.getChildFile (PluginScanIds::blockedPluginsFileName).replaceWithText (text);
    }

    void know (const juce::String& path)
    {
        juce::PluginDescription description;
        description.name = "Known";
        description.pluginFormatName = "VST3";
        description.fileOrIdentifier = path;
        known.addType (description);
    }

    bool allowed (const juce::String& path) const { return policy.isPathAllowed (path, known); }

    TempDir temp;
    juce::File standard = temp / "vst3";
    PluginLoadPolicy policy;
    juce::KnownPluginList known;
};
} // namespace

TEST (PluginLoadPolicyDefaults, TheStandardFoldersAreTheScannersOnes)
{
    const PluginLoadPolicy policy;
    EXPECT_EQ (policy.standardFolders, PluginScanOptions::getStandardSearchFolders());
    EXPECT_EQ (policy.userFolder, juce::File());

#if JUCE_LINUX
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);
    EXPECT_TRUE (policy.isInStandardFolder (home.getChildFile (".vst3/Some.vst3").getFullPathName()));
    EXPECT_TRUE (policy.isInStandardFolder ("/usr/lib/vst3/Some.vst3"));
    EXPECT_TRUE (policy.isInStandardFolder ("/usr/local/lib/vst3/Vendor/Some.vst3"));
    EXPECT_FALSE (policy.isInStandardFolder ("/tmp/Some.vst3"));
#endif
}

TEST_F (PluginLoadPolicyTest, OnlyStandardFoldersAndKnownFilesMayBeLoaded)
{
    const auto elsewhere = (temp / "Downloads").getChildFile ("Stranger.vst3").getFullPathName();
    const auto knownElsewhere = (temp / "Projects").getChildFile ("Scanned.vst3").getFullPathName();
    know (knownElsewhere);

    struct Case
    {
        juce::String what, path;
        bool expected;
    };

    const Case cases[] = {
        {"directly in a standard folder", standard.getChildFile ("Plain.vst3").getFullPathName(), true},
        {"in a vendor folder", standard.getChildFile ("Vendor/Plain.vst3").getFullPathName(), true},
        {"in the known list", knownElsewhere, true},
        {"the known entry with a trailing slash", knownElsewhere + "/", true},
        {"elsewhere, not known", elsewhere, false},
        {"beside a standard folder with a longer name", (temp / "vst3-extra").getChildFile ("X.vst3").getFullPathName(),
         false},
        {"climbing out of a standard folder", standard.getFullPathName() + "/../Downloads/Stranger.vst3", false},
        {"climbing out at the end", standard.getFullPathName() + "/Vendor/../..", false},
        {"the standard folder itself", standard.getFullPathName(), false},
        {"a relative path", "vst3/Plain.vst3", false},
        {"a Windows path", "C:\\Program Files\\Common Files\\VST3\\Plain.vst3", false},
        {"nothing", "", false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.what + ": " + c.path);
        EXPECT_EQ (allowed (c.path), c.expected);
    }
}

TEST_F (PluginLoadPolicyTest, ABlockedNameIsNeverLoadedWhereverItLies)
{
    const auto inStandard = standard.getChildFile ("Vendor/Crashy.vst3").getFullPathName();
    const auto knownElsewhere = (temp / "Projects").getChildFile ("Crashy.vst3").getFullPathName();
    const auto other = standard.getChildFile ("Fine.vst3").getFullPathName();
    know (knownElsewhere);

    EXPECT_TRUE (allowed (inStandard));
    EXPECT_TRUE (allowed (knownElsewhere));

    // Lines end in CR LF as the scanner writes them; names compare exactly, as the scanner's do.
    block ("Other.vst3\r\nCrashy.vst3\r\n");
    EXPECT_FALSE (allowed (inStandard));
    EXPECT_FALSE (allowed (knownElsewhere));
    EXPECT_TRUE (allowed (other));
    EXPECT_TRUE (allowed (standard.getChildFile ("crashy.vst3").getFullPathName()));

    // The known list's own blacklist counts as well.
    known.addToBlacklist (other);
    EXPECT_FALSE (allowed (other));
}

TEST_F (PluginLoadPolicyTest, WithoutAUserFolderTheBlockedListIsThePerUserOne)
{
    policy.userFolder = juce::File();
    const Platform::ScopedFolderOverride folders (temp / "per-user", temp / "music");
    const auto path = standard.getChildFile ("Crashy.vst3").getFullPathName();
    EXPECT_TRUE (allowed (path));

    Platform::getUserDataFolder().createDirectory();
    Platform::getUserDataFolder()
        .getChildFile (PluginScanIds::blockedPluginsFileName)
        .replaceWithText ("Crashy.vst3\r\n");
    EXPECT_FALSE (allowed (path));
}
