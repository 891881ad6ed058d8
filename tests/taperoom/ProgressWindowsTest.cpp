#include "TapeRoomTestSupport.h"

#include "engine/TavrelDelayAudioProcessor.h"
#include "tests/editor/EditorTestSupport.h"
#include "ui/panels/OfflineExportThread.h"

using EditorTest::EditorFixture;
using TapeRoomTest::modalDialog;

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
