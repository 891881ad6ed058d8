#include "rack/SafePluginScanner.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/PluginScanIds.h"
#include "tests/rack/TestPlugins.h"
#include "tests/shell/ShellTestSupport.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

using TestPlugins::Kind;

namespace
{
class SafeScan : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DRAVIN8_SKIP_WITHOUT_DISPLAY();
        DRAVIN8_SKIP_WITHOUT_TEST_PLUGINS();
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        options = TestPlugins::makeOptions (temp.getFile());
    }

    void TearDown() override
    {
        processor.reset();
        ShellTest::runMessages (50);
    }

    /** Starts a scanner as callers do (new, no pointer kept) and records, for each progress
        message, the text its window then holds. */
    juce::WeakReference<SafePluginScanner> start (const juce::StringArray& paths)
    {
        auto* scanner = new SafePluginScanner (*processor, paths, options);
        window = scanner->getProgressWindow();

        // Safe to wrap here: the thread's messages are only delivered by the loop run below.
        scanner->onProgress = [this, scanner, show = scanner->onProgress] (const juce::String& text)
        {
            show (text);
            auto* w = scanner->getProgressWindow();
            shown.add (w != nullptr ? w->getProperties()[SafeAlertWindow::bodyTextProperty].toString() : "<no window>");
            if (onShown)
                onShown (shown.size());
        };

        return scanner;
    }

    static bool waitUntilGone (const juce::WeakReference<SafePluginScanner>& scanner)
    {
        return ShellTest::runMessagesUntil ([&] { return scanner.get() == nullptr; }, 120000);
    }

    juce::TextButton* findButton (const juce::String& text) const
    {
        for (auto* child : window->getChildren())
            if (auto* button = dynamic_cast<juce::TextButton*> (child);
                button != nullptr && button->getButtonText() == text)
                return button;
        return nullptr;
    }

    juce::String blockedText() const
    {
        return options.userFolder.getChildFile (PluginScanIds::blockedPluginsFileName).loadFileAsString();
    }

    std::unique_ptr<juce::XmlElement> knownPluginsXml() const
    {
        return juce::parseXML (options.userFolder.getChildFile (PluginScanIds::knownPluginsFileName));
    }

    juce::String log() const { return options.logFile.loadFileAsString(); }

    static juce::String path (Kind kind) { return TestPlugins::bundle (kind).getFullPathName(); }

    TempDir temp;
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    PluginScanOptions options;
    juce::Component::SafePointer<SafeAlertWindow> window;
    juce::StringArray shown;
    std::function<void (int)> onShown;
};
} // namespace

TEST_F (SafeScan, ScansBehindItsProgressWindowBlocksTheCrashingPluginAndDeletesItself)
{
    // The crashing plug-in second: the scan must go on past it.
    const juce::StringArray paths{path (Kind::gain), path (Kind::crash), path (Kind::monoToStereo),
                                  path (Kind::quadSynth), path (Kind::state)};
    auto scanner = start (paths);

    EXPECT_EQ (scanner->getThreadName(), "ScannerThread");
    ASSERT_NE (window, nullptr);
    ShellTest::runMessages (20);
    ASSERT_NE (window, nullptr);
    EXPECT_TRUE (ShellTest::hasNativeWindow (*window));
    EXPECT_TRUE (window->isAlwaysOnTop());
    EXPECT_TRUE (window->isCurrentlyModal());
    EXPECT_EQ (window->getName(), "Scanning Plugins");
    EXPECT_EQ (window->getNumButtons(), 1);
    auto* cancel = findButton ("Cancel");
    ASSERT_NE (cancel, nullptr);
    EXPECT_TRUE (cancel->isRegisteredForShortcut (juce::KeyPress (juce::KeyPress::escapeKey)));

    ASSERT_TRUE (waitUntilGone (scanner));
    ShellTest::runMessages (100); // the window's own dismissal and its modal callback come after
    EXPECT_EQ (window, nullptr);

    ASSERT_EQ (shown.size(), 5);
    EXPECT_EQ (shown[1], "Scanning 2 of 5:\n" + TestPlugins::bundleName (Kind::crash));
    EXPECT_EQ (shown[4], "Scanning 5 of 5:\n" + TestPlugins::bundleName (Kind::state));

    EXPECT_EQ (processor->knownPluginList.getNumTypes(), 4);
    const auto xml = knownPluginsXml();
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName (PluginScanIds::knownPluginsTag));
    EXPECT_EQ (xml->getNumChildElements(), 4);
    for (auto kind : TestPlugins::goodKinds)
        EXPECT_NE (xml->getChildByAttribute ("file", path (kind)), nullptr);

    EXPECT_EQ (blockedText(), TestPlugins::bundleName (Kind::crash) + "\r\n");
    EXPECT_TRUE (log().contains (TestPlugins::bundleName (Kind::crash) + " ... " +
                                 juce::String (PluginScanIds::scanCrashed).replace ("\n", "\r\n")));
}

TEST_F (SafeScan, CancelStopsMidScanGivesUpTheLoadingFileAndStillSavesTheList)
{
    // The second plug-in never finishes loading: only Cancel ends its scan before the time-out.
    onShown = [this] (int count)
    {
        if (count == 2 && window != nullptr)
            ShellTest::pressKey (*window, juce::KeyPress::escapeKey);
    };

    const auto started = juce::Time::getMillisecondCounterHiRes();
    auto scanner = start ({path (Kind::gain), path (Kind::hang), path (Kind::state)});

    ASSERT_TRUE (waitUntilGone (scanner));
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 20000.0);
    ShellTest::runMessages (100);
    EXPECT_EQ (window, nullptr);

    juce::StringArray expectedTexts;
    expectedTexts.add ("Scanning 1 of 3:\n" + TestPlugins::bundleName (Kind::gain));
    expectedTexts.add ("Scanning 2 of 3:\n" + TestPlugins::bundleName (Kind::hang));
    EXPECT_EQ (shown, expectedTexts);

    EXPECT_EQ (processor->knownPluginList.getNumTypes(), 1);
    const auto xml = knownPluginsXml();
    ASSERT_NE (xml, nullptr);
    ASSERT_EQ (xml->getNumChildElements(), 1);
    EXPECT_NE (xml->getChildByAttribute ("file", path (Kind::gain)), nullptr);

    EXPECT_EQ (blockedText(), ""); // a cancelled load is no crash
    EXPECT_FALSE (log().contains (TestPlugins::bundleName (Kind::state)));
}

TEST_F (SafeScan, ProgressAfterTheWindowIsGoneFindsNoWindow)
{
    // The window deleted under a running scan (as the modal manager does on dismissal): its
    // modal callback cancels the scan, messages already posted find no window, and the scanner
    // still saves the list and deletes itself.
    onShown = [this] (int count)
    {
        if (count == 1)
            delete window.getComponent();
    };

    auto scanner = start ({path (Kind::gain), path (Kind::state)});

    ASSERT_TRUE (waitUntilGone (scanner));
    ShellTest::runMessages (100);
    EXPECT_EQ (window, nullptr);
    EXPECT_LE (shown.size(), 2);
    if (shown.size() == 2)
    {
        EXPECT_EQ (shown[1], "<no window>");
    }
    EXPECT_NE (knownPluginsXml(), nullptr);
    EXPECT_EQ (blockedText(), ""); // the file given up when the window went is not blocked
}

TEST_F (SafeScan, DeletingAllAtShutdownStopsAScanStillLoadingAFile)
{
    const auto started = juce::Time::getMillisecondCounterHiRes();
    auto scanner = start ({path (Kind::hang), path (Kind::gain)});
    EXPECT_EQ (SafePluginScanner::getNumRunning(), 1);
    ASSERT_TRUE (ShellTest::runMessagesUntil ([this] { return shown.size() == 1; }, 10000));

    SafePluginScanner::deleteAll();

    EXPECT_EQ (scanner.get(), nullptr);
    EXPECT_EQ (window, nullptr);
    EXPECT_EQ (SafePluginScanner::getNumRunning(), 0);
    EXPECT_LT (juce::Time::getMillisecondCounterHiRes() - started, 20000.0);
    ShellTest::runMessages (100); // late messages of the deleted scanner and window find nothing
    EXPECT_EQ (processor->knownPluginList.getNumTypes(), 0);
    EXPECT_EQ (blockedText(), "");
}

TEST_F (SafeScan, NothingToScanStillSavesTheListAndDeletesItself)
{
    auto scanner = start ({});

    ASSERT_TRUE (waitUntilGone (scanner));
    ShellTest::runMessages (100);
    EXPECT_EQ (window, nullptr);
    EXPECT_TRUE (shown.isEmpty());

    const auto xml = knownPluginsXml();
    ASSERT_NE (xml, nullptr);
    EXPECT_EQ (xml->getNumChildElements(), 0);
}
