#include "platform/Platform.h"
#include "rack/PluginScanIds.h"
#include "rack/PluginScanner.h"
#include "tests/rack/TestPlugins.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace
{
struct Discovery
{
    explicit Discovery (juce::Array<juce::File> folders)
    {
        options = TestPlugins::makeOptions (temp.getFile());
        options.searchFolders = std::move (folders);
        formats.addDefaultFormats();
    }

    juce::StringArray discover() const
    {
        PluginScanner scanner (formats, list, options);
        return scanner.discoverPluginFiles();
    }

    juce::String log() const { return options.logFile.loadFileAsString(); }

    TempDir temp;
    PluginScanOptions options;
    mutable juce::AudioPluginFormatManager formats;
    mutable juce::KnownPluginList list;
};

void makeFolder (const juce::File& folder)
{
    ASSERT_TRUE (folder.createDirectory());
}

void makeFile (const juce::File& file)
{
    ASSERT_TRUE (file.getParentDirectory().createDirectory());
    ASSERT_TRUE (file.create());
}

bool everyLineEndIsCrLf (const juce::String& text)
{
    for (int i = 0; i < text.length(); ++i)
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;

    return true;
}
} // namespace

TEST (PluginDiscovery, FindsTheTestBundlesInAnOverriddenFolder)
{
    DRAVIN8_SKIP_WITHOUT_TEST_PLUGINS();

    const Discovery discovery ({TestPlugins::folder(), TestPlugins::hangFolder()});
    const auto found = discovery.discover();

    ASSERT_EQ (found.size(), (int)std::size (TestPluginNames::identities));
    for (auto& identity : TestPluginNames::identities)
    {
        SCOPED_TRACE (identity.binaryName);
        EXPECT_TRUE (found.contains (TestPlugins::bundle (identity.kind).getFullPathName()));
    }

    const auto log = discovery.log();
    EXPECT_TRUE (log.contains (juce::String (PluginScanIds::checkingDir) + TestPlugins::folder().getFullPathName() +
                               " ... Found 5 files.\r\n"));
    EXPECT_TRUE (log.contains ("Total files ready to list: 6\r\n"));
}

TEST (PluginDiscovery, LooksOneVendorFolderDeepAndTakesBundleFoldersAsResults)
{
    const TempDir root;
    const auto top = root / "plugins";

    makeFolder (top.getChildFile ("A.vst3"));                 // a bundle folder
    makeFile (top.getChildFile ("b.component"));              // a plain file
    makeFile (top.getChildFile ("readme.txt"));               // not a plug-in
    makeFolder (top.getChildFile ("Vendor/C.vst3"));          // one folder below: found
    makeFolder (top.getChildFile ("Vendor/Deeper/D.vst3"));   // two folders below: not found
    makeFolder (top.getChildFile ("E.VST3/Contents/F.vst3")); // a bundle is not searched inside
    makeFile (top.getChildFile ("Other Vendor/G.VST3"));      // extension case ignored

    const auto missing = root / "no such folder";
    const Discovery discovery ({missing, top});

    auto found = discovery.discover();
    found.sort (false);

    juce::StringArray expected;
    for (auto* path : {"A.vst3", "b.component", "Vendor/C.vst3", "E.VST3", "Other Vendor/G.VST3"})
        expected.add (top.getChildFile (path).getFullPathName());
    expected.sort (false);

    EXPECT_EQ (found, expected);

    const auto log = discovery.log();
    EXPECT_TRUE (log.startsWith ("\r\n--- DISCOVERY PHASE ---\r\n"));
    EXPECT_TRUE (
        log.contains ("Checking Dir: " + missing.getFullPathName() + " ... NOT FOUND or Permission Denied\r\n"));
    EXPECT_TRUE (log.contains ("Checking Dir: " + top.getFullPathName() + " ... Found 5 files.\r\n"));
    EXPECT_TRUE (log.endsWith ("Total files ready to list: 5\r\n"));
    EXPECT_TRUE (everyLineEndIsCrLf (log));
}

TEST (PluginDiscovery, AppendsToTheLog)
{
    const Discovery discovery ({});
    ASSERT_TRUE (discovery.options.logFile.getParentDirectory().createDirectory());
    ASSERT_TRUE (discovery.options.logFile.replaceWithText ("earlier scan\r\n"));

    EXPECT_TRUE (discovery.discover().isEmpty());
    EXPECT_EQ (discovery.log(), "earlier scan\r\n\r\n--- DISCOVERY PHASE ---\r\nTotal files ready to list: 0\r\n");
}

TEST (PluginScanOptions, DefaultsAreTheStandardFoldersThePerUserFolderAndThisProgram)
{
    const auto options = PluginScanOptions::createDefault();
    const auto home = juce::File::getSpecialLocation (juce::File::userHomeDirectory);

    EXPECT_EQ (options.searchFolders,
               juce::Array<juce::File> (
                   {home.getChildFile (".vst3"), juce::File ("/usr/lib/vst3"), juce::File ("/usr/local/lib/vst3")}));
    EXPECT_EQ (options.userFolder, Platform::getUserDataFolder());
    EXPECT_EQ (options.logFile.getFileName(), PluginScanIds::scanLogFileName);
    EXPECT_EQ (options.scanExecutable, juce::File::getSpecialLocation (juce::File::currentExecutableFile));

    // On the desktop when there is one, otherwise with the other per-user files.
    const auto desktop = juce::File::getSpecialLocation (juce::File::userDesktopDirectory);
    EXPECT_EQ (options.logFile.getParentDirectory(), desktop.isDirectory() ? desktop : Platform::getUserDataFolder());
}
