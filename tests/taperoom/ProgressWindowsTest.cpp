#include "TapeRoomTestSupport.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "tests/editor/EditorTestSupport.h"
#include "ui/panels/OfflineExportThread.h"

using EditorTest::EditorFixture;
using TapeRoomTest::modalDialog;

namespace
{
bool savingWindowShown()
{
    auto* window = modalDialog();
    return window != nullptr && window->getName() == "Saving Reel...";
}
} // namespace

TEST_F (EditorFixture, SaveRunsBehindItsWindowAndAFailureIsTold)
{
    if (! TapeRoomTest::displayAvailable())
        GTEST_SKIP() << "needs a display";

    processor->prepareToPlay (48000.0, 512); // the tape is sized for the device's rate
    auto& editor = makeEditor();
    std::vector<juce::Result> results;
    bool sawWindow = false;

    editor.saveReelWithProgress (0, "Take One", [&] (juce::Result r) { results.push_back (r); });
    sawWindow = savingWindowShown();
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return ! results.empty(); }, 20000));
    EXPECT_TRUE (sawWindow);
    EXPECT_TRUE (results[0].wasOk()) << results[0].getErrorMessage();
    EXPECT_TRUE (processor->reelLibrary.getReelFolder ("Take One").getChildFile ("settings.xml").existsAsFile());
    EXPECT_EQ (modalDialog(), nullptr); // the window has gone, no alert for a good save

    // A name the library cannot take: the save fails, the user is told why.
    editor.saveReelWithProgress (0, "../Elsewhere", [&] (juce::Result r) { results.push_back (r); });
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return results.size() == 2; }, 20000));
    EXPECT_TRUE (results[1].failed());
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([] { return modalDialog() != nullptr; }, 2000));
    EXPECT_EQ (modalDialog()->getName(), "Save Failed");
    TapeRoomTest::closeAllDialogs();
}

TEST_F (EditorFixture, ExportThatCannotRenderSkipsItsCallbackAndSaysWhy)
{
    if (! TapeRoomTest::displayAvailable())
        GTEST_SKIP() << "needs a display";

    const TempDir folder ("dravin8-export");
    juce::Array<int> excluded{3, 4};
    bool completed = false, finished = false;
    OfflineRenderResult outcome;

    // No audio device has started: the renderer refuses, nothing is written.
    auto* thread = new OfflineExportThread (*processor, (folder / "Mix.wav").getFullPathName(), 0.0, 5.0, excluded,
                                            false);
    EXPECT_TRUE (excluded.isEmpty()); // moved in
    thread->setCompletionCallback ([&] (const juce::File&) { completed = true; });
    thread->onFinished = [&] (const OfflineRenderResult& r) {
        outcome = r;
        finished = true;
    };
    EXPECT_EQ (thread->getAlertWindow()->getName(), "Exporting Tape...");
    thread->launchThread();

    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return finished; }, 20000));
    EXPECT_TRUE (outcome.failed());
    EXPECT_FALSE (completed);
    EXPECT_FALSE ((folder / "Mix.wav").exists());
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([] { return modalDialog() != nullptr; }, 2000));
    EXPECT_EQ (modalDialog()->getName(), "Export Failed");
    TapeRoomTest::closeAllDialogs();
}
