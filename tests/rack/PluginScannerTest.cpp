#include "rack/PluginScanner.h"
#include "rack/PluginScanChild.h"
#include "rack/PluginScanIds.h"
#include "rack/PluginScanThread.h"
#include "tests/rack/TestPlugins.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <juce_events/juce_events.h>

using TestPlugins::Kind;
using Result = PluginScanner::FileResult;

namespace
{
class PluginScan : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DRAVIN8_SKIP_WITHOUT_TEST_PLUGINS();
        formats.addDefaultFormats();
        options = TestPlugins::makeOptions (temp.getFile());
    }

    PluginScanner makeScanner() { return PluginScanner (formats, list, options); }

    juce::String log() const { return options.logFile.loadFileAsString(); }
    juce::String blockedText() const
    {
        return options.userFolder.getChildFile (PluginScanIds::blockedPluginsFileName).loadFileAsString();
    }
    juce::File knownPluginsFile() const
    {
        return options.userFolder.getChildFile (PluginScanIds::knownPluginsFileName);
    }

    void writeBlocked (const juce::String& text) const
    {
        ASSERT_TRUE (options.userFolder.createDirectory());
        ASSERT_TRUE (options.userFolder.getChildFile (PluginScanIds::blockedPluginsFileName).replaceWithText (text));
    }

    static juce::String path (Kind kind) { return TestPlugins::bundle (kind).getFullPathName(); }

    static juce::StringArray pathsInTestFolder()
    {
        juce::StringArray paths;
        for (auto& identity : TestPluginNames::identities)
            if (identity.kind != Kind::hang)
                paths.add (path (identity.kind));
        return paths;
    }

    TempDir temp;
    juce::AudioPluginFormatManager formats;
    juce::KnownPluginList list;
    PluginScanOptions options;
};

juce::String scanLine (Kind kind, const char* ending)
{
    return PluginScanIds::scanning + TestPlugins::bundleName (kind) + " ... " +
           juce::String (ending).replace ("\n", "\r\n");
}
} // namespace

TEST_F (PluginScan, ListsTheGoodPluginsBlocksTheOneThatCrashesAndSkipsItNextTime)
{
    {
        auto scanner = makeScanner();
        scanner.scanPluginFiles (pathsInTestFolder());
    }

    // "known_plugins.xml": JUCE's list XML with the four good plug-ins and what they are.
    const auto xml = juce::parseXML (knownPluginsFile());
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName (PluginScanIds::knownPluginsTag));
    EXPECT_EQ (xml->getNumChildElements(), 4); // no entries on JUCE's own blocked list either
    EXPECT_TRUE (list.getBlacklistedFiles().isEmpty());

    struct Expected
    {
        Kind kind;
        int inputs, outputs;
        bool instrument;
    };

    for (auto& expected : {Expected{Kind::gain, 2, 2, false}, Expected{Kind::monoToStereo, 1, 2, false},
                           Expected{Kind::quadSynth, 0, 4, true}, Expected{Kind::state, 2, 2, false}})
    {
        SCOPED_TRACE (TestPlugins::displayName (expected.kind));
        auto* element = xml->getChildByAttribute ("file", path (expected.kind));
        ASSERT_NE (element, nullptr);
        EXPECT_TRUE (element->hasTagName ("PLUGIN"));
        EXPECT_EQ (element->getStringAttribute ("name"), TestPlugins::displayName (expected.kind));
        EXPECT_EQ (element->getStringAttribute ("format"), "VST3");
        EXPECT_EQ (element->getIntAttribute ("numInputs"), expected.inputs);
        EXPECT_EQ (element->getIntAttribute ("numOutputs"), expected.outputs);
        EXPECT_EQ (element->getBoolAttribute ("isInstrument"), expected.instrument);
        EXPECT_TRUE (log().contains (scanLine (expected.kind, PluginScanIds::scanOk)));
    }

    EXPECT_EQ (blockedText(), TestPlugins::bundleName (Kind::crash) + "\r\n");
    EXPECT_TRUE (log().startsWith ("--- STARTING TARGETED SCAN ---\r\n"));
    EXPECT_TRUE (log().contains (scanLine (Kind::crash, PluginScanIds::scanCrashed)));

    // The next scan, with a fresh list, does not load the crashing plug-in again.
    juce::KnownPluginList freshList;
    PluginScanner (formats, freshList, options).scanPluginFiles (pathsInTestFolder());

    EXPECT_EQ (freshList.getNumTypes(), 4);
    EXPECT_TRUE (log().contains (juce::String (PluginScanIds::skippingKnownCrash) +
                                 TestPlugins::bundleName (Kind::crash) + "\r\n"));
    EXPECT_FALSE (log().contains (scanLine (Kind::crash, "")));
    EXPECT_EQ (blockedText(), TestPlugins::bundleName (Kind::crash) + "\r\n");

    // What the processor loads at start-up.
    juce::KnownPluginList loaded;
    ASSERT_TRUE (PluginScanner::loadKnownPluginList (loaded, options.userFolder));
    EXPECT_EQ (loaded.getNumTypes(), 4);
    for (auto kind : TestPlugins::goodKinds)
        EXPECT_NE (loaded.getTypeForFile (path (kind)), nullptr);
}

TEST_F (PluginScan, APluginThatHangsIsKilledAtTheTimeOutAndBlocked)
{
    options.scanTimeoutMs = 1000;
    auto scanner = makeScanner();
    scanner.startScanLog();

    const auto start = juce::Time::getMillisecondCounterHiRes();
    EXPECT_EQ (scanner.scanFile (path (Kind::hang)), Result::timedOut);
    const auto elapsed = juce::Time::getMillisecondCounterHiRes() - start;

    EXPECT_GE (elapsed, 1000.0);
    EXPECT_LT (elapsed, 10000.0);
    EXPECT_EQ (list.getNumTypes(), 0);
    EXPECT_EQ (blockedText(), TestPlugins::bundleName (Kind::hang) + "\r\n");
    EXPECT_TRUE (log().contains (scanLine (Kind::hang, PluginScanIds::scanTimedOut)));

    EXPECT_EQ (scanner.scanFile (path (Kind::hang)), Result::skippedBlocked);
}

TEST_F (PluginScan, CancellingWhileAFileLoadsKillsItsChildAndBlocksNothing)
{
    auto scanner = makeScanner();
    const auto start = juce::Time::getMillisecondCounterHiRes();
    scanner.shouldCancel = [start] { return juce::Time::getMillisecondCounterHiRes() - start > 300.0; };

    EXPECT_EQ (scanner.scanFile (path (Kind::hang)), Result::cancelled);
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 10000.0);
    EXPECT_EQ (blockedText(), "");
    EXPECT_TRUE (log().contains (scanLine (Kind::hang, PluginScanIds::scanCancelled)));
}

TEST_F (PluginScan, ASuccessfulScanLeavesTheOtherBlockedNamesAsTheyWere)
{
    writeBlocked ("Zeta.vst3\r\nAlpha.vst3\r\n");

    EXPECT_EQ (makeScanner().scanFile (path (Kind::gain)), Result::scanned);

    EXPECT_EQ (blockedText(), "Zeta.vst3\r\nAlpha.vst3\r\n");
    EXPECT_EQ (list.getNumTypes(), 1);
}

TEST_F (PluginScan, ABlockedNameIsSkippedInEveryFolderWithoutLoadingIt)
{
    writeBlocked (TestPlugins::bundleName (Kind::gain) + "\r\n");
    const auto elsewhere = (temp / "elsewhere").getChildFile (TestPlugins::bundleName (Kind::gain));
    ASSERT_TRUE (elsewhere.createDirectory());

    options.scanExecutable = temp / "no such program"; // loading anything would fail differently
    auto scanner = makeScanner();

    EXPECT_EQ (scanner.scanFile (path (Kind::gain)), Result::skippedBlocked);
    EXPECT_EQ (scanner.scanFile (elsewhere.getFullPathName()), Result::skippedBlocked);

    EXPECT_EQ (log(), "SKIPPING (Known Crash): DravinTestGain.vst3\r\nSKIPPING (Known Crash): DravinTestGain.vst3\r\n");
    EXPECT_EQ (list.getNumTypes(), 0);
}

TEST_F (PluginScan, AFileNoFormatTakesIsBlocked)
{
    const auto component = temp / "Old.component";
    ASSERT_TRUE (component.createDirectory());

    EXPECT_EQ (makeScanner().scanFile (component.getFullPathName()), Result::noFormat);
    EXPECT_EQ (blockedText(), "Old.component\r\n");
    EXPECT_EQ (log(), juce::String ("Scanning: Old.component ... ") +
                          juce::String (PluginScanIds::scanNoFormat).replace ("\n", "\r\n"));
}

TEST_F (PluginScan, MissingFilesAreSkippedSilentlyAndTheListIsStillWritten)
{
    makeScanner().scanPluginFiles ({"", (temp / "gone.vst3").getFullPathName(), "relative.vst3"});

    EXPECT_EQ (log(), "--- STARTING TARGETED SCAN ---\r\n");
    EXPECT_FALSE (options.userFolder.getChildFile (PluginScanIds::blockedPluginsFileName).exists());

    const auto xml = juce::parseXML (knownPluginsFile());
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName (PluginScanIds::knownPluginsTag));
    EXPECT_EQ (xml->getNumChildElements(), 0);
}

TEST_F (PluginScan, AScannerThatCannotRunBlocksNothing)
{
    // A missing program, and one that exits at once, successfully, without scanning anything.
    for (auto executable : {temp / "no such program", juce::File ("/bin/true")})
    {
        SCOPED_TRACE (executable.getFullPathName());
        options.scanExecutable = executable;

        EXPECT_EQ (makeScanner().scanFile (path (Kind::gain)), Result::scannerNotStarted);
        EXPECT_EQ (blockedText(), "");
        EXPECT_EQ (list.getNumTypes(), 0);
    }

    EXPECT_TRUE (log().contains (scanLine (Kind::gain, PluginScanIds::scanNotStarted)));
}

TEST_F (PluginScan, AFileAlreadyInTheListIsNotLoadedAgain)
{
    EXPECT_EQ (makeScanner().scanFile (path (Kind::gain)), Result::scanned);

    options.scanExecutable = temp / "no such program";
    EXPECT_EQ (makeScanner().scanFile (path (Kind::gain)), Result::scanned);
    EXPECT_EQ (list.getNumTypes(), 1);
    EXPECT_EQ (blockedText(), "");
}

TEST_F (PluginScan, TheThreadReportsProgressPerFileAndSavesTheList)
{
    const auto paths = pathsInTestFolder();
    juce::StringArray progress;
    bool finished = false;

    {
        PluginScanThread thread (formats, list, paths, options);
        EXPECT_EQ (thread.getThreadName(), "ScannerThread");
        thread.onProgress = [&] (const juce::String& text) { progress.add (text); };
        thread.onFinished = [&] { finished = true; };
        thread.startThread();

        for (int i = 0; i < 600 && ! finished; ++i)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
        ASSERT_TRUE (finished);
    }

    ASSERT_EQ (progress.size(), paths.size());
    EXPECT_EQ (progress[1], "Scanning 2 of 5:\n" + juce::File (paths[1]).getFileName());

    EXPECT_EQ (list.getNumTypes(), 4);
    const auto xml = juce::parseXML (knownPluginsFile());
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getNumChildElements(), 4);

    // One log for the whole scan, with every file in it.
    EXPECT_EQ (log().indexOf ("--- STARTING TARGETED SCAN ---"), 0);
    EXPECT_EQ (log().lastIndexOf ("--- STARTING TARGETED SCAN ---"), 0);
    for (auto kind : TestPlugins::goodKinds)
        EXPECT_TRUE (log().contains (scanLine (kind, PluginScanIds::scanOk)));
    EXPECT_TRUE (log().contains (scanLine (Kind::crash, PluginScanIds::scanCrashed)));
}

TEST_F (PluginScan, CancellingTheThreadGivesUpTheFileBeingLoadedAndStartsNoOther)
{
    juce::StringArray progress;
    bool finished = false;
    const auto start = juce::Time::getMillisecondCounterHiRes();

    {
        PluginScanThread thread (formats, list, {path (Kind::hang), path (Kind::gain)}, options);
        thread.onProgress = [&] (const juce::String& text)
        {
            progress.add (text);
            thread.cancel();
        };
        thread.onFinished = [&] { finished = true; };
        thread.startThread();

        for (int i = 0; i < 300 && ! finished; ++i)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (100);
        ASSERT_TRUE (finished);
    }

    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - start, 20000.0);
    EXPECT_EQ (progress.size(), 1);
    EXPECT_EQ (list.getNumTypes(), 0);
    EXPECT_EQ (blockedText(), "");
    EXPECT_FALSE (log().contains (TestPlugins::bundleName (Kind::gain)));
}

TEST_F (PluginScan, CallbacksPostedAfterTheThreadIsGoneAreDropped)
{
    bool called = false;

    {
        PluginScanThread thread (formats, list, {path (Kind::gain)}, options);
        thread.onProgress = [&] (const juce::String&) { called = true; };
        thread.onFinished = [&] { called = true; };
        thread.startThread();
        EXPECT_TRUE (thread.waitForThreadToExit (30000));
    }

    juce::MessageManager::getInstance()->runDispatchLoopUntil (200);
    EXPECT_FALSE (called);
    EXPECT_EQ (list.getNumTypes(), 1);
}

TEST (PluginScanChild, RunsOnlyWhenAskedToAndRefusesBadArguments)
{
    const char* noFlag[] = {"Dravin8", "/music/My Reel/My Reel.reel"};
    EXPECT_FALSE (PluginScanChild::runIfRequested (2, noFlag).has_value());

    const char* programOnly[] = {"Dravin8"};
    EXPECT_FALSE (PluginScanChild::runIfRequested (1, programOnly).has_value());

    const char* missingResult[] = {"Dravin8", PluginScanChild::commandLineFlag, "VST3", "/x.vst3"};
    EXPECT_EQ (PluginScanChild::runIfRequested (4, missingResult), PluginScanChild::badArguments);

    const auto arguments = PluginScanChild::makeArguments (juce::File ("/opt/Dravin 8/Dravin8"), "VST3",
                                                           "/plug ins/A B.vst3", juce::File ("/tmp/r 1.xml"));
    EXPECT_EQ (arguments, juce::StringArray ({"/opt/Dravin 8/Dravin8", PluginScanChild::commandLineFlag, "VST3",
                                              "/plug ins/A B.vst3", "/tmp/r 1.xml"}));
}
