// Checks that an ordinary block allocates nothing, however busy the console. The C allocation
// functions are replaced for this test executable (forwarding to glibc's own), so that
// everything that reaches the heap is seen: operator new, std::vector, juce::HeapBlock and
// juce::String alike.

#include "tests/block/BlockTestFixture.h"
#include "tests/block/FakePlugin.h"

#include "effects/BuiltInEffects.h"
#include "instruments/BuiltInInstruments.h"

#include <cstdlib>

#include "tests/support/AllocationCounter.h"

namespace
{
using namespace ParameterIds;

TEST_F (BlockTest, ABusyConsoleAllocatesNothingInItsBlocks)
{
#if ! DRAVIN8_COUNT_ALLOCATIONS
    GTEST_SKIP() << "allocation counting needs glibc without sanitizers";
#else
    prepare();

    // Every kind of source, every built-in effect in every chain, a hosted insert, every
    // built-in instrument, both aux returns, the click and the automation of every channel.
    for (int i = 0; i < p.numTracks; ++i)
    {
        const auto n = i + 1;
        p.trackInputSources[(size_t)i] = i < 2 ? i : (i < 4 ? 100 + i : (i < 6 ? 200 : 300 + (i % 4)));
        setTrack (EQ_LOW_, n, 1.5f);
        setTrack (AUX1_, n, 0.3f);
        setTrack (AUX2_, n, 0.3f);
        setTrack (PAN_, n, 0.3f);
        p.automationModes[(size_t)i] = Processor::automationWrite;
    }

    for (int type = BuiltInEffects::firstType; type <= BuiltInEffects::lastType; ++type)
    {
        p.addBuiltInEffect (type, 0, Processor::InputInserts);
        p.addBuiltInEffect (type, 1, Processor::TrackInserts);
        p.addBuiltInEffect (type, -1, Processor::MasterInserts);
    }

    auto hosted = makeInsertPlugin();
    hosted->targetTrack = 2;
    hosted->instance = std::make_unique<FakePlugin> (2, 4);
    p.trackInserts.push_back (hosted);

    for (int type = BuiltInInstruments::firstType; type <= BuiltInInstruments::lastType; ++type)
    {
        auto slot = makeInstrumentPlugin();
        slot->builtInType = type;
        slot->midiChannel = type == 1 ? 2 : 0;
        slot->createEngine (rate);
        p.instruments.push_back (slot);
    }

    p.keyboardTargetSlot = -1;
    p.midiMap.emplace (7, MASTER_VOL);
    p.midiMap.emplace (20, "loop_toggle");
    p.publishMidiMap();
    p.setClickEnabled (true, 120.0, 4, 4);
    p.tracks[0].setArmed (true);
    set (DEGRADE_ON, 1.0f);
    set (AGE, 0.4f);
    p.transportState = Processor::transportRecord;
    settle (sineOn (0, 220.0, 0.3f));

    // The measurement bursts and then listens in vain: a result would be posted to the message
    // thread, which allocates the message (once, at the end of a calibration).
    setTrack (TRIM_, 1, 0.1f);
    p.startLatencyMeasurement();

    juce::AudioBuffer<float> buffer (24, blockSize);
    int allocations = 0;

    for (int b = 0; b < 400; ++b)
    {
        for (int ch = 0; ch < 24; ++ch)
            for (int s = 0; s < blockSize; ++s)
                buffer.setSample (ch, s, 0.2f * (float)std::sin (0.05 * (s + b * blockSize + ch)));

        midi.clear();
        midi.addEvent (juce::MidiMessage::noteOn (1 + b % 3, 48 + b % 24, 0.8f), b % blockSize);
        midi.addEvent (juce::MidiMessage::noteOff (1 + (b + 5) % 3, 48 + (b + 7) % 24), (b * 7) % blockSize);
        midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, b % 128), 3);
        midi.addEvent (juce::MidiMessage::pitchWheel (2, (b * 97) % 16384), 5);

        if (b % 50 == 0)
            p.keyboardState.noteOn (1, 60 + b % 12, 0.7f);

        if (b % 50 == 25)
            p.keyboardState.noteOff (1, 60 + (b - 25) % 12, 0.0f);

        if (b == 200)
            set (SCRUB, 0.7f); // the shuttle takes over the transport

        allocationCount = 0;
        countingAllocations = true;
        p.processBlock (buffer, midi);
        countingAllocations = false;
        allocations += allocationCount;
    }

    EXPECT_EQ (allocations, 0);
    EXPECT_TRUE (AudioTestUtils::allFinite (buffer));
    p.setClickEnabled (false, 120.0, 4, 4);
#endif
}
} // namespace
