#include "TapeRoomTestSupport.h"

#include "ui/deck/BackupThread.h"
#include "ui/deck/ProgressWindowThread.h"

#include <atomic>

using TapeRoomTest::TapeRoomFixture;
using TapeRoomTest::modalDialog;

namespace
{
/** A worker that runs until asked to stop and then takes its time to clean up. */
struct SlowWorker : public ProgressWindowThread
{
    SlowWorker (std::atomic<bool>& cleanedUp, std::function<void (bool)> done)
        : ProgressWindowThread ("Working...", true, true), cleaned (cleanedUp), onDone (std::move (done))
    {
    }

    void run() override
    {
        while (! threadShouldExit())
            wait (5);

        juce::Thread::sleep (300);
        cleaned = true;
    }

    void threadComplete (bool cancelled) override
    {
        auto done = std::move (onDone);
        delete this;
        done (cancelled);
    }

    std::atomic<bool>& cleaned;
    std::function<void (bool)> onDone;
};

/** Fills a file with noise, which the compressor cannot shrink. */
void writeNoise (const juce::File& file, int megabytes)
{
    juce::FileOutputStream out (file);
    out.setPosition (0);
    out.truncate();
    juce::Random random (7);
    juce::HeapBlock<char> block (1 << 20);
    for (int i = 0; i < megabytes; ++i)
    {
        random.fillBitsRandomly (block.getData(), 1 << 20);
        out.write (block.getData(), 1 << 20);
    }
}
} // namespace

TEST (ProgressWindowThread, CancelWaitsForTheWorkerWithoutBlockingOrKillingIt)
{
    if (! TapeRoomTest::displayAvailable())
        GTEST_SKIP() << "needs a display";

    std::atomic<bool> cleanedUp{false};
    bool finished = false, reportedCancel = false, cleanedBeforeReport = false;
    auto* worker = new SlowWorker (cleanedUp, [&] (bool cancelled) {
        finished = true;
        reportedCancel = cancelled;
        cleanedBeforeReport = cleanedUp;
    });
    auto* window = worker->getAlertWindow();
    worker->launchThread();
    TapeRoomTest::runMessages (150);

    window->triggerButtonClick ("Cancel");
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return window->getProperties()["bodyText"] == "Cancelling..."; }, 2000));
    EXPECT_TRUE (window->isCurrentlyModal()); // still up while the worker cleans up

    // The message loop runs on meanwhile.
    bool messageDelivered = false;
    juce::MessageManager::callAsync ([&] { messageDelivered = true; });
    EXPECT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return messageDelivered; }, 200));
    EXPECT_FALSE (finished);

    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return finished; }, 5000));
    EXPECT_TRUE (reportedCancel);
    EXPECT_TRUE (cleanedBeforeReport);
}

TEST_F (TapeRoomFixture, BackupWritesAnArchiveThatOpenBringsBackAsANewReel)
{
    requireDisplay();
    makeReel ("Song");
    root.getFile().getChildFile ("Song/track_1.wav").replaceWithText ("audio");
    select ("Song");
    const TempDir home ("dravin8-home");

    room->startBackup ("Song", home / "Backup.zip"); // written as Backup.reel
    auto* backup = dynamic_cast<juce::AlertWindow*> (modalDialog());
    ASSERT_NE (backup, nullptr);
    EXPECT_EQ (backup->getName(), "Backing up Tape...");
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] {
        auto* dialog = modalDialog();
        return dialog != nullptr && dialog->getName() == "Backup Complete";
    }));
    EXPECT_TRUE (TapeRoomTest::bodyOf (modalDialog()).contains ((home / "Backup.reel").getFullPathName()));
    TapeRoomTest::press (modalDialog(), "OK");
    ASSERT_TRUE ((home / "Backup.reel").existsAsFile());
    EXPECT_FALSE ((home / "Backup.zip").exists());

    // OPEN... of the archive named after the reel unpacks it beside the original.
    ASSERT_TRUE ((home / "Backup.reel").copyFileTo (home / "Song.reel"));
    room->openChosenReel (home / "Song.reel");
    EXPECT_EQ (opened, juce::StringArray ({"Song (2)"}));
    EXPECT_EQ (root.getFile().getChildFile ("Song (2)/track_1.wav").loadFileAsString(), "audio");
}

TEST_F (TapeRoomFixture, CancelledBackupLeavesNoArchiveKeepsTheOldOneAndSaysSo)
{
    requireDisplay();
    makeReel ("Big");
    for (int i = 1; i <= 3; ++i)
        writeNoise (root.getFile().getChildFile ("Big/track_" + juce::String (i) + ".wav"), 48);

    const TempDir home ("dravin8-home");
    const auto archive = home / "Big.reel";
    archive.replaceWithText ("an older backup");

    juce::Result outcome = juce::Result::ok();
    bool finished = false;
    auto* backup = new BackupThread (&library, "Big", archive);
    backup->look = &room->look;
    backup->onFinished = [&] (const juce::Result& r) {
        outcome = r;
        finished = true;
    };
    auto* window = backup->getAlertWindow();
    backup->launchThread();
    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return backup->progressValue.load() > 0.0; }));
    window->triggerButtonClick ("Cancel");

    ASSERT_TRUE (TapeRoomTest::runMessagesUntil ([&] { return finished; }, 20000));
    EXPECT_EQ (outcome.getErrorMessage(), "The backup was cancelled."); // the writer returned by itself
    auto* notice = modalDialog();
    ASSERT_NE (notice, nullptr);
    EXPECT_EQ (notice->getName(), "Backup Cancelled");
    EXPECT_EQ (archive.loadFileAsString(), "an older backup");
    EXPECT_EQ (home.getFile().findChildFiles (juce::File::findFiles, false, "*", juce::File::FollowSymlinks::no).size(), 1);
}
