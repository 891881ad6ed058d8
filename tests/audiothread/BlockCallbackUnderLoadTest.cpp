// The block callback on its own thread while the threads around it work: the auto-saver takes
// the rack (a plug-in slow to give its state), MIDI learn, MIDI-bound parameters, the loop cut
// and click toggle commands and the latency measurement all hand work to the message thread.
// The callback must never allocate, never wait and never fall silent. The C allocation functions
// are replaced for this executable (in this source only), counting on the audio thread.

#include "tests/audiothread/AudioThreadSupport.h"

#include "engine/GlobalMidiMap.h"
#include "engine/KeyboardNoteQueue.h"
#include "storage/ReelFolderFormat.h"

#include <atomic>
#include <thread>

#include "tests/support/AllocationCounter.h"

#if ! DRAVIN8_COUNT_ALLOCATIONS
// Without the counter (under a sanitizer) the load test still runs, for the races it may meet.
namespace
{
thread_local int allocationCount = 0;
thread_local bool countingAllocations = false;
} // namespace
#endif

namespace
{
using namespace ParameterIds;

constexpr int volumeKey = 7, learnKey = 30, loopCutKey = 21, clickKey = 22, stopKey = 23;

/** Counts the notifications of one parameter and on which thread they came; the first one on
    the message thread keeps it (and the parameter's listener lock) for a long while, as a slow
    attachment might: an audio thread that notified would wait that long. */
struct WatchingListener : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged (int, float) override
    {
        ++calls;

        if (! juce::MessageManager::existsAndIsCurrentThread())
            ++callsOffMessageThread;
        else if (holdCalls.fetch_sub (1) > 0)
            juce::Thread::sleep (800);
    }

    void parameterGestureChanged (int, bool) override {}

    std::atomic<int> calls{0}, callsOffMessageThread{0}, holdCalls{1};
};

bool isSilent (const juce::AudioBuffer<float>& buffer)
{
    return buffer.getMagnitude (0, 0, buffer.getNumSamples()) == 0.0f
           && buffer.getMagnitude (1, 0, buffer.getNumSamples()) == 0.0f;
}

TEST_F (AudioThreadTest, TheBlockCallbackNeverAllocatesWaitsOrFallsSilentWhileTheThreadsAroundItWork)
{
    quietTape();
    prepare();
    setReelName ("Song");

    // Track 1 monitors device input 1 (the output is never silent by itself); track 2 records it.
    p.trackInputSources[0] = 0;
    p.trackInputSources[1] = 0;
    p.tracks[1].setArmed (true);
    auto& plugin = addSlowStatePlugin (300);

    p.midiMap = {{volumeKey, MASTER_VOL}, {loopCutKey, "loop_cut"}, {clickKey, "click_toggle"}, {stopKey, "stop_button"}};
    p.publishMidiMap();
    p.loopIn = 0.5;
    p.loopOut = 0.52;

    WatchingListener volumeListener;
    auto* masterVolume = p.parameters.getParameter (MASTER_VOL);
    masterVolume->addListener (&volumeListener);

    p.transportState = Processor::transportPlay;
    run ((int)rate * 2, sineOn (0, 220.0, 0.3f)); // up to speed
    p.setMidiLearnTarget (VARISPEED);
    p.startLatencyMeasurement();

    std::atomic<bool> audioDone{false}, saverDone{false};
    std::atomic<int> allocations{0}, silentBlocks{0}, blocks{0};
    std::atomic<double> longestBlockMs{0.0};
    std::atomic<juce::int64> punchSamplesFed{0}, punchTapeAdvance{0};

    // The audio thread: device input and MIDI of a player, block after block, until the saves
    // are done and every command has been sent.
    std::thread audio (
        [&]
        {
            juce::AudioBuffer<float> buffer (24, blockSize);
            juce::MidiBuffer deviceMidi;
            deviceMidi.ensureSize (4096);
            juce::int64 sample = samplesRun;
            bool punched = false, stopped = false;
            double punchStart = 0.0;

            for (int b = 0; ! (saverDone && stopped && b >= 400); ++b)
            {
                buffer.clear();

                for (int s = 0; s < blockSize; ++s)
                    buffer.setSample (0, s, 0.3f * (float)std::sin (AudioTestUtils::twoPi * 220.0 * (double)(sample + s) / rate));

                deviceMidi.clear();

                // Learn takes the first controller that comes, so it comes first.
                if (b == 10)
                    deviceMidi.addEvent (juce::MidiMessage::controllerEvent (1, learnKey, 100), 1);

                if (b > 10 && b % 10 == 0)
                    deviceMidi.addEvent (juce::MidiMessage::controllerEvent (1, volumeKey, 64 + b % 64), 0);

                if (b == 60)
                    deviceMidi.addEvent (juce::MidiMessage::controllerEvent (1, clickKey, 127), 2);

                if (b == 120)
                    deviceMidi.addEvent (juce::MidiMessage::controllerEvent (1, loopCutKey, 127), 3);

                // Punch in while a save is taking the plug-in's state; out again by MIDI.
                if (! punched && plugin.stateRequests > 0)
                {
                    punched = true;
                    punchStart = p.tracks[1].getPositionSeconds();
                    p.transportState = Processor::transportRecord;
                }

                const bool stopNow = punched && ! stopped && punchSamplesFed >= (juce::int64)rate / 2;

                if (stopNow)
                    deviceMidi.addEvent (juce::MidiMessage::controllerEvent (1, stopKey, 127), 0);

                // The block runs as the device's player runs it: under the processor's callback
                // lock, which a suspension takes.
                bool suspended = false;
                double elapsed = 0.0;
                {
                    const juce::ScopedLock callback (p.getCallbackLock());
                    suspended = p.isSuspended();
                    const auto start = juce::Time::getMillisecondCounterHiRes();

                    allocationCount = 0;
                    countingAllocations = true;
                    p.processBlock (buffer, deviceMidi);
                    countingAllocations = false;

                    elapsed = juce::Time::getMillisecondCounterHiRes() - start;
                }

                allocations += allocationCount;
                longestBlockMs = juce::jmax (longestBlockMs.load(), elapsed);

                // A deliberate edit on the message thread (the loop cut, the click tape) suspends
                // processing: only a silence that nothing explains counts.
                if (isSilent (buffer) && ! suspended)
                    ++silentBlocks;

                if (stopNow)
                {
                    stopped = true;
                }
                else if (punched && ! stopped)
                {
                    punchSamplesFed += blockSize;
                    punchTapeAdvance = juce::roundToInt ((p.tracks[1].getPositionSeconds() - punchStart) * rate);
                }

                sample += blockSize;
                ++blocks;
                std::this_thread::sleep_for (std::chrono::milliseconds (1));
            }

            audioDone = true;
        });

    // The auto-saver: three recovery copies, each waiting for the slow plug-in.
    std::thread saver (
        [&]
        {
            int lastSlotTick = 0;

            for (int tick = 1; tick <= 3; ++tick)
            {
                while (p.transportState == Processor::transportRecord)
                    std::this_thread::sleep_for (std::chrono::milliseconds (5));

                p.unsavedChanges = true;
                p.runAutoSaveTick (tick, lastSlotTick);
            }

            saverDone = true;
        });

    while (! audioDone)
        juce::MessageManager::getInstance()->runDispatchLoopUntil (5);

    audio.join();
    saver.join();
    juce::MessageManager::getInstance()->runDispatchLoopUntil (50);
    masterVolume->removeListener (&volumeListener);

#if DRAVIN8_COUNT_ALLOCATIONS
    EXPECT_EQ (allocations, 0);
#endif
    EXPECT_EQ (silentBlocks, 0) << "of " << blocks.load();
    EXPECT_LT (longestBlockMs.load(), 400.0); // far above a loaded machine's jitter, below the hold

    // The recording that started during the save lost nothing: the tape moved on by every
    // sample the device gave it.
    EXPECT_GT (punchSamplesFed.load(), 0);
    EXPECT_NEAR ((double)punchTapeAdvance.load(), (double)punchSamplesFed.load(), blockSize / 4.0);

    // The saves took the plug-in's state on the message thread, never under the audio lock.
    EXPECT_EQ (p.backgroundSaveError, juce::String());
    EXPECT_TRUE (reel ("Song").getChildFile ("Recovery/settings.xml").existsAsFile());
    EXPECT_GE (plugin.stateRequests.load(), 3);
    EXPECT_EQ (plugin.stateRequestsOffMessageThread.load(), 0);
    EXPECT_EQ (p.lockedSnapshots.load(), 0);

    // Learn, the bound parameter, the stop's auto-disarm and the measurement all arrived on
    // the message thread, and the parameter tree holds the values the audio thread set.
    EXPECT_EQ (p.midiMap.count (learnKey), 1u);
    EXPECT_GT (volumeListener.calls.load(), 0);
    EXPECT_EQ (volumeListener.callsOffMessageThread.load(), 0);
    const auto treeVolume = (float)p.parameters.copyState().getChildWithProperty ("id", MASTER_VOL).getProperty ("value");
    EXPECT_FLOAT_EQ (treeVolume, p.parameters.getRawParameterValue (MASTER_VOL)->load());
    EXPECT_EQ (p.transportState.load(), (int)Processor::transportStop);
    EXPECT_FALSE (p.tracks[1].isArmed());
    EXPECT_EQ ((int)p.parameters.getRawParameterValue (forTrack (MON_, 2))->load(), 1);
    EXPECT_FALSE (p.latencyMeasureActive);
    EXPECT_NE (p.clickTrack, nullptr);
    p.setClickEnabled (false, 120.0, 4, 4);
}

//==============================================================================
TEST_F (AudioThreadTest, AFloodOfKeyboardNotesOrAHugeSysExAllocatesNothing)
{
#if ! DRAVIN8_COUNT_ALLOCATIONS
    GTEST_SKIP() << "allocation counting needs glibc without sanitizers";
#else
    prepare();
    auto slot = makeInstrumentPlugin();
    int notesSeen = 0;
    slot->instance = std::make_unique<FakePlugin> (0, 2,
                                                   [&notesSeen] (juce::AudioBuffer<float>&, juce::MidiBuffer& midi)
                                                   {
                                                       for (const auto metadata : midi)
                                                           if (metadata.getMessage().isNoteOn())
                                                               ++notesSeen;
                                                   });
    p.instruments.push_back (slot);
    settle();

    // Far more notes than a block takes: they arrive over several blocks.
    for (int i = 0; i < 2000; ++i)
    {
        p.keyboardState.noteOn (1, 36 + i % 60, 0.7f);
        p.keyboardState.noteOff (1, 36 + i % 60, 0.0f);
    }

    // A system-exclusive dump larger than the room a block keeps for device MIDI, and a note.
    std::vector<juce::uint8> dump (20000, 0x11);
    dump.front() = 0xf0;
    dump.back() = 0xf7;

    juce::AudioBuffer<float> buffer (24, blockSize);
    juce::MidiBuffer deviceMidi;
    deviceMidi.addEvent (dump.data(), (int)dump.size(), 0);
    deviceMidi.addEvent (juce::MidiMessage::noteOn (1, 90, 0.5f), 10);
    int allocations = 0;

    for (int b = 0; b < 40; ++b)
    {
        buffer.clear();
        allocationCount = 0;
        countingAllocations = true;
        p.processBlock (buffer, deviceMidi);
        countingAllocations = false;
        allocations += allocationCount;

        if (b == 0)
        {
            EXPECT_EQ (notesSeen, KeyboardNoteQueue::maxNotesPerBlock / 2 + 1);
        }

        deviceMidi.clear();
    }

    EXPECT_EQ (allocations, 0);
    EXPECT_EQ (notesSeen, 2000 + 1);
#endif
}
} // namespace
