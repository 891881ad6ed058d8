// What crosses between the message thread and the threads around the audio: the reel name and
// the parameter tree a save reads while the message thread works, a save's report arriving after
// its creator has gone, plug-ins replaced while their windows are open, and a live bounce whose
// writer falls behind. Run under ThreadSanitizer by scripts/tsan.sh.

#include "tests/audiothread/AudioThreadSupport.h"

#include "engine/SaveReelThread.h"
#include "storage/ReelFolderFormat.h"
#include "storage/StateXmlIds.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <thread>

namespace
{
using namespace ParameterIds;

//==============================================================================
TEST_F (AudioThreadTest, SaveAsRenamesTheReelWhileTheMessageThreadReadsTheName)
{
    prepare (48000.0, 512);
    setReelName ("Song");
    savedReels.add ("Song Copy");

    SaveReelThread save (p, 0, "Song Copy");
    std::atomic<bool> reported{false};
    save.onComplete = [&reported] (juce::Result result)
    {
        EXPECT_TRUE (result.wasOk()) << result.getErrorMessage();
        reported = true;
    };
    save.startThread();

    juce::StringArray namesSeen;

    const auto end = juce::Time::getMillisecondCounter() + 60000;

    while (! reported && juce::Time::getMillisecondCounter() < end)
    {
        namesSeen.addIfNotAlreadyThere (p.getReelName());
        runMessages (1);
    }

    ASSERT_TRUE (reported);
    EXPECT_EQ (p.getReelName(), "Song Copy");

    for (const auto& name : namesSeen)
        EXPECT_TRUE (name == "Song" || name == "Song Copy") << name;
}

TEST_F (AudioThreadTest, BackgroundSavesCopyTheTreeWhileTheMessageThreadChangesIt)
{
    prepare (48000.0, 512);
    setReelName ("Song");
    std::atomic<bool> done{false};

    std::thread saver (
        [&]
        {
            int lastSlotTick = 0;

            for (int tick = 1; tick <= 5; ++tick)
            {
                p.unsavedChanges = true;
                p.runAutoSaveTick (tick, lastSlotTick);
            }

            done = true;
        });

    for (int i = 0; ! done; ++i)
    {
        p.parameters.state.setProperty (PROJECT_BPM, 90.0 + i % 50, nullptr);
        p.parameters.getParameter (MASTER_VOL)->setValueNotifyingHost ((float)(i % 100) / 100.0f);
        runMessages (1);
    }

    saver.join();
    EXPECT_EQ (p.lockedSnapshots.load(), 0);
    EXPECT_TRUE (reel ("Song").getChildFile ("Recovery/settings.xml").existsAsFile());
    EXPECT_EQ (p.backgroundSaveError, juce::String());
}

TEST_F (AudioThreadTest, ASaveWhoseMessageThreadDoesNotAnswerTakesTheRackItselfAndFinishes)
{
    prepare (48000.0, 512);
    setReelName ("Song");
    auto& plugin = addSlowStatePlugin (0);
    p.snapshotTimeoutMilliseconds = 100;

    // The message thread is busy (not dispatching) for the whole save.
    std::atomic<bool> done{false};
    std::thread saver (
        [&]
        {
            p.unsavedChanges = true;
            EXPECT_TRUE (p.saveReel (ReelFolderFormat::recoverySlot).wasOk());
            done = true;
        });

    saver.join();
    EXPECT_TRUE (done);
    EXPECT_EQ (p.lockedSnapshots.load(), 1);
    EXPECT_EQ (plugin.stateRequests.load(), 1);

    // The request it gave up on arrives later and does nothing.
    runMessages (50);
    EXPECT_EQ (plugin.stateRequests.load(), 1);
}

TEST_F (AudioThreadTest, ASaveReportIsNotDeliveredOnceItsThreadObjectIsGone)
{
    prepare (48000.0, 512);
    setReelName ("Song");
    p.snapshotTimeoutMilliseconds = 100; // the message thread waits for the save here
    auto reported = std::make_shared<std::atomic<bool>> (false);

    {
        SaveReelThread save (p, 3, {});
        save.onComplete = [reported] (juce::Result) { *reported = true; };
        save.startThread();
        ASSERT_TRUE (save.waitForThreadToExit (20000));
    }

    runMessages (50);
    EXPECT_FALSE (*reported);
}

//==============================================================================
/** A plug-in with an editor; it tells the test when it is destroyed. */
class WindowedPlugin : public FakePlugin
{
public:
    explicit WindowedPlugin (std::atomic<bool>& destroyedFlag) : FakePlugin (2, 2), destroyed (destroyedFlag) {}
    ~WindowedPlugin() override { destroyed = true; }

    bool hasEditor() const override { return true; }

    juce::AudioProcessorEditor* createEditor() override
    {
        struct Editor : juce::AudioProcessorEditor
        {
            explicit Editor (juce::AudioProcessor& owner) : juce::AudioProcessorEditor (owner) { setSize (100, 100); }
            void paint (juce::Graphics&) override {}
        };

        return new Editor (*this);
    }

private:
    std::atomic<bool>& destroyed;
};

TEST_F (AudioThreadTest, PlugInsReplacedWhileTheirWindowIsOpenGoOnlyOnceItCloses)
{
    std::atomic<bool> insertGone{false}, auxGone{false}, instrumentGone{false}, removedGone{false};

    const auto addInsert = [this] (std::atomic<bool>& flag)
    {
        auto slot = makeInsertPlugin();
        slot->instance = std::make_unique<WindowedPlugin> (flag);
        p.trackInserts.push_back (slot);
        return slot->instance.get();
    };

    auto* insert = addInsert (insertGone);
    auto* removed = addInsert (removedGone);
    p.aux1Plugin = std::make_unique<WindowedPlugin> (auxGone);
    auto* aux = p.aux1Plugin.get();
    auto instrument = makeInstrumentPlugin();
    instrument->instance = std::make_unique<WindowedPlugin> (instrumentGone);
    p.instruments.push_back (instrument);
    auto* instrumentPlugin = instrument->instance.get();
    instrument.reset();

    std::vector<std::unique_ptr<juce::AudioProcessorEditor>> windows;

    for (auto* plugin : {insert, removed, aux, instrumentPlugin})
        windows.emplace_back (plugin->createEditorIfNeeded());

    p.removeTrackInsert (1);
    juce::XmlElement emptyRack (StateXmlIds::RACK_STATE);
    p.restoreRackState (emptyRack);
    runMessages (50);

    EXPECT_FALSE (insertGone);
    EXPECT_FALSE (removedGone);
    EXPECT_FALSE (auxGone);
    EXPECT_FALSE (instrumentGone);

    windows.clear();
    runMessages (50);

    EXPECT_TRUE (insertGone);
    EXPECT_TRUE (removedGone);
    EXPECT_TRUE (auxGone);
    EXPECT_TRUE (instrumentGone);
}

//==============================================================================
/** Holds the live bounce's writing thread until released, as a stalled disk would. */
struct StallingClient : juce::TimeSliceClient
{
    int useTimeSlice() override
    {
        release.wait (10000);
        return 1000;
    }

    juce::WaitableEvent release;
};

TEST_F (AudioThreadTest, ALiveBounceWhoseWriterStallsCountsItsGapsAndSaysSo)
{
    quietTape();
    prepare();
    p.trackInputSources[0] = 0;
    const TempDir temp;
    const auto file = temp.getFile().getChildFile ("bounce.wav");

    // A writer that keeps up leaves nothing to report.
    p.startLiveBounce (file);
    run (blockSize * 20, constantOn (0, 0.5f));
    p.stopLiveBounce();
    EXPECT_EQ (p.getLiveBounceDroppedBlocks(), 0);
    EXPECT_TRUE (p.getLiveBounceReport().isEmpty());

    // A stalled one: the queue fills, later blocks are left out and counted.
    p.startLiveBounce (file);
    StallingClient stall;
    p.liveBounceThread.addTimeSliceClient (&stall);
    const int blocks = 200;
    run (blockSize * blocks, constantOn (0, 0.5f));
    stall.release.signal();
    p.liveBounceThread.removeTimeSliceClient (&stall);
    p.stopLiveBounce();

    const auto dropped = p.getLiveBounceDroppedBlocks();
    EXPECT_GT (dropped, 0);
    EXPECT_LT (dropped, blocks);
    EXPECT_TRUE (p.getLiveBounceReport().contains ("gaps")) << p.getLiveBounceReport();
    EXPECT_TRUE (p.getLiveBounceReport().contains (juce::String (dropped) + " blocks")) << p.getLiveBounceReport();

    juce::WavAudioFormat wav;
    std::unique_ptr<juce::AudioFormatReader> reader (wav.createReaderFor (new juce::FileInputStream (file), true));
    ASSERT_NE (reader, nullptr);
    EXPECT_EQ (reader->lengthInSamples, (juce::int64) (blocks - dropped) * blockSize);

    // The next bounce starts counting afresh.
    p.startLiveBounce (file);
    EXPECT_EQ (p.getLiveBounceDroppedBlocks(), 0);
    p.stopLiveBounce();
}
} // namespace
