// The sources and tape stage: recording onto the tape and playing it back, input routing and
// its source codes, record-path inserts, the instrument slots with their MIDI, built-in effects
// in every chain, the latency measurement, and what a busy lock or a long block does.

#include "tests/block/BlockTestFixture.h"
#include "tests/block/FakePlugin.h"

#include "effects/BuiltInEffects.h"
#include "effects/EqualizerEngine.h"
#include "engine/tape/TapeNoise.h"
#include "instruments/BuiltInInstruments.h"

#include <cmath>
#include <thread>

namespace
{
using namespace ParameterIds;
using AudioTestUtils::rms;

const float centre = std::cos (0.7854f) * 0.35f;

class SourcesTest : public BlockTest
{
protected:
    void SetUp() override
    {
        quietTape();
        prepare();
    }

    void rewindAllTracks()
    {
        for (auto& track : p.tracks)
            track.setPositionSeconds (0.0);
    }

    std::shared_ptr<Processor::InstrumentPlugin> addInstrument (int type, int midiChannel = 0)
    {
        auto slot = makeInstrumentPlugin();
        slot->builtInType = type;
        slot->name = BuiltInInstruments::getDeviceName (type);
        slot->midiChannel = midiChannel;
        slot->createEngine (rate);
        p.instruments.push_back (slot);
        return slot;
    }

    static void runMessages (int milliseconds = 50)
    {
        juce::MessageManager::getInstance()->runDispatchLoopUntil (milliseconds);
    }
};

//==============================================================================
TEST_F (SourcesTest, AnArmedTrackRecordsItsDeviceInputAndPlaysItBack)
{
    p.trackInputSources[0] = 0;
    p.trackInputSources[1] = 1;
    p.tracks[0].setArmed (true); // track 2 stays unarmed
    const auto input = [this] (int ch, juce::int64 sample)
    { return ch <= 1 ? 0.5f * (float)std::sin (AudioTestUtils::twoPi * 1000.0 * (double)sample / rate) : 0.0f; };

    settle();
    p.transportState = Processor::transportRecord;

    // From a standstill nothing is written until the tape is up to speed.
    run (blockSize * 8, input);
    EXPECT_FALSE (p.tracks[0].dirty);
    run ((int)rate * 3, input);
    p.transportState = Processor::transportStop;
    run ((int)rate * 2);

    EXPECT_TRUE (p.tracks[0].dirty);
    EXPECT_GT (p.tracks[0].recordedLength, (int)rate);
    EXPECT_GT (rms (p.tracks[0].getAudio(), 0, (int)rate, (int)rate), 0.1);
    EXPECT_EQ (p.tracks[1].recordedLength, 0);
    EXPECT_FALSE (p.tracks[1].dirty);

    // At rest a track on tape monitoring is silent.
    setTrack (MON_, 1, 1.0f);
    EXPECT_LT (run (blockSize * 4).getMagnitude (0, 0, blockSize * 4), 1.0e-4f);

    rewindAllTracks();
    p.transportState = Processor::transportPlay;
    run ((int)rate * 2); // up to speed, past the head gap and the start of the take
    const auto played = run ((int)rate / 2);
    EXPECT_NEAR (AudioTestUtils::zeroCrossingFrequency (played, 0, rate), 1000.0, 5.0);
    EXPECT_GT (AudioTestUtils::toneAmplitude (played.getReadPointer (0), played.getNumSamples(), 1000.0, rate),
               0.25 * centre);
}

TEST_F (SourcesTest, TapeMonitoringIsFaintWhileWindingButNotWhileScrubbing)
{
    // A tape holding one steady tone from end to end, heard at the same speed both ways.
    auto& track = p.tracks[0];
    auto* tape = track.getAudio().getWritePointer (0);

    for (int i = 0; i < track.getAudio().getNumSamples(); ++i)
        tape[i] = 0.5f * (float)std::sin (AudioTestUtils::twoPi * 100.0 * i / rate);

    track.recordedLength = track.getAudio().getNumSamples() - 1;
    setTrack (MON_, 1, 1.0f);

    for (auto& t : p.tracks)
        t.setPositionSeconds (250.0);

    p.reelHeld = true; // the shuttle keeps its speed
    p.scrubSpeed = -45.0f;
    p.transportState = Processor::transportScrub;
    run ((int)rate / 2);
    const auto scrubbing = rms (run ((int)rate / 2), 0);

    p.transportState = Processor::transportRewind;
    run ((int)rate * 2); // up to winding speed
    EXPECT_NEAR (p.tapeMechanics.getSpeed(), -45.0, 1.0);
    const auto winding = rms (run ((int)rate / 2), 0);

    EXPECT_GT (scrubbing, 0.01);
    EXPECT_NEAR (winding / scrubbing, 0.3, 0.03);
}

TEST_F (SourcesTest, TracksHearOtherTracksThisSampleOrOneSampleLate)
{
    // Track 1 and track 3 take clicks from the device; track 2 listens to track 3 (later in
    // the order: one sample late) and track 4 to track 1 (earlier: the same sample).
    p.trackInputSources[0] = 0;
    p.trackInputSources[2] = 1;
    p.trackInputSources[1] = 202;
    p.trackInputSources[3] = 200;
    settle();

    const auto click = [] (int ch, juce::int64 sample) { return ch <= 1 && sample % 512 == 100 ? 1.0f : 0.0f; };
    run (blockSize, click);
    const auto* track2 = p.trackOutputBuffers[1].getReadPointer (0);
    const auto* track4 = p.trackOutputBuffers[3].getReadPointer (0);
    EXPECT_FLOAT_EQ (track4[100], 1.0f);
    EXPECT_FLOAT_EQ (track2[100], 0.0f);
    EXPECT_FLOAT_EQ (track2[101], 1.0f);
}

TEST (TapeRuns, TracksRunInStretchesGiveExactlyWhatTheyGiveSampleBySample)
{
    // Two identical reels, except that in one a muted track listens to another track, which
    // makes every track run sample by sample. Aged tape with wear painting new defects, wow and
    // flutter, the tape starting up, a recording track, and the punch-in switch flipped.
    BlockRig stretches, samples;

    for (auto* rig : {&stretches, &samples})
    {
        auto& p = rig->p;
        rig->set (AGE, 0.6f);
        rig->set (DEGRADE_ON, 1.0f);
        rig->set (DEGRADE_RATE, 1.0f);
        rig->prepare();
        p.wearRandom.setSeed (7);
        juce::Random tapeNoise (3);

        for (int i = 0; i < p.numTracks; ++i)
        {
            auto& track = p.tracks[(size_t)i];
            track.getHead().random = TapeNoise (100 + i);
            auto* tape = track.getAudio().getWritePointer (0);

            for (int k = 0; k < (int)rig->rate * 4; ++k)
                tape[k] = 0.3f * (tapeNoise.nextFloat() * 2.0f - 1.0f);

            track.recordedLength = (int)rig->rate * 4;
            track.setPositionSeconds (1.0);
            rig->setTrack (MON_, i + 1, i == 2 ? 0.0f : 1.0f);
        }

        p.trackInputSources[1] = 0; // recording
        p.trackInputSources[2] = 1; // monitoring its input
        p.tracks[1].setArmed (true);
        rig->setTrack (MUTE_, 8, 1.0f);
        p.trackInputSources[7] = rig == &samples ? 206 : -1;
        p.transportState = TavrelDelayAudioProcessor::transportRecord;
    }

    const auto input = [] (int ch, juce::int64 sample)
    { return ch <= 1 ? 0.2f * (float)std::sin (0.01 * (double)sample) : 0.0f; };

    for (int b = 0; b < 120; ++b)
    {
        SCOPED_TRACE (b);

        if (b % 20 == 10)
            for (auto* rig : {&stretches, &samples})
                rig->set (PUNCH_IN, b % 40 == 10 ? 1.0f : 0.0f);

        const auto a = stretches.run (512, input);
        const auto c = samples.run (512, input);

        for (int ch = 0; ch < 2; ++ch)
            for (int k = 0; k < 512; ++k)
                ASSERT_EQ (a.getSample (ch, k), c.getSample (ch, k)) << ch << " " << k;
    }

    EXPECT_GT (stretches.p.tracks[1].recordedLength, 0);
}

TEST_F (SourcesTest, SourceCodesOutsideTheListedRangesGiveSilence)
{
    // Every device input carries a full-scale signal, so any stray read would be heard.
    const auto everywhere = [] (int, juce::int64) { return 1.0f; };

    // 201 is track 2 itself, 208 and 223 are tracks beyond this 8-track reel, 100 and 115 are
    // instrument slots that do not exist.
    for (const int code : {-1, 24, 99, 100, 115, 116, 199, 201, 208, 223, 299, 304, 399, 9999,
                           std::numeric_limits<int>::min(), std::numeric_limits<int>::max()})
    {
        SCOPED_TRACE (code);
        p.trackInputSources[0] = 1; // track 1 is busy; track 2 tries the code
        p.trackInputSources[1] = code;
        setTrack (MUTE_, 1, 1.0f);
        run (blockSize * 2, everywhere);
        EXPECT_EQ (p.trackOutputBuffers[1].getMagnitude (0, 0, blockSize), 0.0f);
    }
}

TEST_F (SourcesTest, AuxBusesReturnToTracksOneBlockLate)
{
    p.aux1BuiltIn = 0; // a dry return
    p.trackInputSources[0] = 0;
    p.trackInputSources[1] = 300;
    p.trackInputSources[2] = 303; // aux 2 right: nothing sent there
    setTrack (AUX1_, 1, 1.0f);
    settle (constantOn (0, 0.5f));

    run (blockSize, constantOn (0, 0.5f));
    EXPECT_FLOAT_EQ (p.trackOutputBuffers[1].getSample (0, 0), 0.5f);
    EXPECT_FLOAT_EQ (p.trackOutputBuffers[2].getSample (0, 0), 0.0f);

    // The input stops: this block still hears the previous block's send, the next one does not.
    run (blockSize);
    EXPECT_FLOAT_EQ (p.trackOutputBuffers[1].getSample (0, 0), 0.5f);
    run (blockSize);
    EXPECT_FLOAT_EQ (p.trackOutputBuffers[1].getSample (0, blockSize - 1), 0.0f);
}

//==============================================================================
TEST_F (SourcesTest, RecordPathInsertsRunInChainOrderOnTheTracksInput)
{
    p.trackInputSources[0] = 0;
    p.addBuiltInEffect (LineAmp, 0, Processor::InputInserts);
    p.addBuiltInEffect (LineAmp, 0, Processor::InputInserts);
    p.addBuiltInEffect (LineAmp, 1, Processor::InputInserts); // another track's
    p.addBuiltInEffect (LineAmp, 0, Processor::InputInserts); // bypassed
    ASSERT_EQ (p.inputInserts.size(), 4u);

    for (auto& slot : p.inputInserts)
        slot->gainLevel = 6.0206f; // x 2

    p.inputInserts[3]->bypass = true;
    settle (constantOn (0, 0.1f));
    const auto output = run (blockSize, constantOn (0, 0.1f));
    EXPECT_NEAR (last (output, 0), 0.4f * centre, 1.0e-4f);
}

TEST_F (SourcesTest, AHostedRecordPathInsertGetsTheTrackInStereoAndIsAveraged)
{
    p.trackInputSources[0] = 0;
    auto slot = makeInsertPlugin();
    slot->targetTrack = 0;
    slot->instance = std::make_unique<FakePlugin> (2, 2,
                                                   [] (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
                                                   {
                                                       EXPECT_TRUE (midi.isEmpty());
                                                       buffer.applyGain (1, 0, buffer.getNumSamples(), 0.0f);
                                                   });
    p.inputInserts.push_back (slot);
    settle (constantOn (0, 0.5f));
    const auto output = run (blockSize, constantOn (0, 0.5f));
    EXPECT_NEAR (last (output, 0), 0.25f * centre, 1.0e-4f); // (x + 0) / 2
}

//==============================================================================
TEST_F (SourcesTest, InstrumentSlotsFilterTheirMidiChannelAndFeedTheirBusPair)
{
    addInstrument (BuiltInInstruments::MonoSynth, 3);
    addInstrument (BuiltInInstruments::PolySynth, 0);
    p.keyboardTargetSlot = 5; // no such slot: the keyboard reaches nobody
    settle();

    const auto level = [this] (int channel) { return p.instrumentOutputs.getMagnitude (channel, 0, blockSize); };

    // A note on channel 1: the poly synthesizer (every channel) plays, the mono one (channel 3) not.
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);
    run (blockSize * 4);
    EXPECT_EQ (level (0), 0.0f);
    EXPECT_EQ (level (1), 0.0f);
    EXPECT_GT (level (2), 1.0e-3f);
    EXPECT_FLOAT_EQ (level (2), level (3));
    EXPECT_EQ (level (4), 0.0f);

    midi.addEvent (juce::MidiMessage::noteOn (3, 48, 1.0f), 0);
    run (blockSize * 4);
    EXPECT_GT (level (0), 1.0e-3f);

    // Track inputs pick the bus channels: 100 + 2 x slot (left), 101 + 2 x slot (right).
    p.trackInputSources[0] = 101;
    run (blockSize);
    EXPECT_GT (p.trackOutputBuffers[0].getMagnitude (0, 0, blockSize), 1.0e-3f);
}

TEST_F (SourcesTest, KeyboardNotesReachTheTargetSlotOrEverySlot)
{
    addInstrument (BuiltInInstruments::PolySynth, 2);
    addInstrument (BuiltInInstruments::PolySynth, 2);
    settle();

    const auto level = [this] (int slot) { return p.instrumentOutputs.getMagnitude (2 * slot, 0, blockSize); };

    // The keyboards play on channel 1; the target slot hears them whatever its own channel.
    p.keyboardTargetSlot = 1;
    p.keyboardState.noteOn (1, 64, 0.9f);
    run (blockSize * 2);
    EXPECT_EQ (level (0), 0.0f);
    EXPECT_GT (level (1), 1.0e-3f);
    p.keyboardState.noteOff (1, 64, 0.0f);

    p.keyboardTargetSlot = -1;
    p.keyboardState.noteOn (1, 67, 0.9f);
    run (blockSize * 2);
    EXPECT_GT (level (0), 1.0e-3f);
}

TEST_F (SourcesTest, AKeyboardNoteEndsAtTheSlotItBeganOnAfterTheTargetMoves)
{
    addInstrument (BuiltInInstruments::PolySynth, 2);
    addInstrument (BuiltInInstruments::PolySynth, 2);
    settle();

    const auto level = [this] (int slot) { return p.instrumentOutputs.getMagnitude (2 * slot, 0, blockSize); };

    p.keyboardTargetSlot = 0;
    p.keyboardState.noteOn (1, 64, 0.9f);
    run (blockSize * 2);
    ASSERT_GT (level (0), 1.0e-3f);

    // The strip of the other slot takes the keyboards while the key is still down.
    p.keyboardTargetSlot = 1;
    p.keyboardState.noteOff (1, 64, 0.0f);
    run (blockSize * 200); // past the release

    EXPECT_LT (level (0), 1.0e-5f) << "the first instrument still holds the note";
    EXPECT_EQ (level (1), 0.0f);

    // The next note goes to the new target alone.
    p.keyboardState.noteOn (1, 60, 0.9f);
    run (blockSize * 2);
    EXPECT_GT (level (1), 1.0e-3f);
    EXPECT_LT (level (0), 1.0e-5f);
}

TEST_F (SourcesTest, AHostedInstrumentGetsItsChannelsAndItsMidiWithoutControllers)
{
    juce::Array<juce::MidiMessage> received;
    auto slot = makeInstrumentPlugin();
    slot->midiChannel = 3;
    slot->instance = std::make_unique<FakePlugin> (0, 6,
                                                   [&] (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midiIn)
                                                   {
                                                       for (const auto metadata : midiIn)
                                                           received.add (metadata.getMessage());

                                                       for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                                                           juce::FloatVectorOperations::fill (
                                                               buffer.getWritePointer (ch), 0.1f * (float)(ch + 1),
                                                               buffer.getNumSamples());
                                                   });
    auto* plugin = dynamic_cast<FakePlugin*> (slot->instance.get());
    p.instruments.push_back (slot);
    p.keyboardTargetSlot = 0;
    settle();

    const juce::uint8 sysex[] = {0xf0, 0x7d, 0x01, 0xf7};
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 1.0f), 0);
    midi.addEvent (juce::MidiMessage::noteOn (3, 62, 1.0f), 1);
    midi.addEvent (juce::MidiMessage::controllerEvent (3, 7, 100), 2);
    midi.addEvent (sysex, 4, 3);
    p.keyboardState.noteOn (1, 65, 1.0f);
    received.clear();
    run (blockSize);

    ASSERT_EQ (plugin->channelsSeen, 6);
    EXPECT_FLOAT_EQ (p.instrumentOutputs.getSample (0, 10), 0.1f);
    EXPECT_FLOAT_EQ (p.instrumentOutputs.getSample (1, 10), 0.2f);

    // The keyboard's note (at the block's start) is merged in; channel 1 and the controller
    // are not passed.
    ASSERT_EQ (received.size(), 3);
    EXPECT_TRUE (received[0].isNoteOn() && received[0].getNoteNumber() == 65);
    EXPECT_TRUE (received[1].isNoteOn() && received[1].getNoteNumber() == 62);
    EXPECT_TRUE (received[2].isSysEx());
}

//==============================================================================
struct EffectCase
{
    int type;
    int chain;
};

class BuiltInEffectChainTest : public SourcesTest, public ::testing::WithParamInterface<EffectCase>
{
};

TEST_P (BuiltInEffectChainTest, ABuiltInEffectProcessesTheSignalInItsChain)
{
    const auto [type, chain] = GetParam();
    p.trackInputSources[0] = 0;
    p.addBuiltInEffect (type, chain == Processor::MasterInserts ? -1 : 0, chain);
    auto& chainSlots = chain == Processor::InputInserts
                           ? p.inputInserts
                           : (chain == Processor::TrackInserts ? p.trackInserts : p.masterInserts);
    ASSERT_EQ (chainSlots.size(), 1u);
    auto& slot = *chainSlots.front();
    EXPECT_EQ (slot.name, BuiltInEffects::getDeviceName (type));

    // Settings that make each effect plainly audible on a 1 kHz tone.
    slot.laReduction = 90.0f;
    slot.gainLevel = 6.0f;
    slot.eqGain[2] = 12.0f;
    slot.fetInput = 24.0f;
    slot.echoTime = 50.0f;

    const auto tone = sineOn (0, 1000.0, 0.5f);
    settle (tone);
    const auto output = run ((int)rate / 2, tone);
    auto difference = 0.0, dry = 0.0;

    for (int s = 0; s < output.getNumSamples(); ++s)
    {
        const auto expected = centre * tone (0, samplesRun - output.getNumSamples() + s);
        difference += std::pow (output.getSample (0, s) - expected, 2.0);
        dry += expected * expected;
    }

    EXPECT_GT (std::sqrt (difference / dry), 0.1);
    EXPECT_TRUE (AudioTestUtils::allFinite (output));
}

INSTANTIATE_TEST_SUITE_P (Block, BuiltInEffectChainTest,
                          ::testing::ValuesIn (
                              []
                              {
                                  std::vector<EffectCase> cases;
                                  for (int type = AnalogReverb; type <= FetComp; ++type)
                                      for (int chain : {1, 4, 5})
                                          cases.push_back ({type, chain});
                                  return cases;
                              }()),
                          [] (const auto& info) {
                              return "Type" + std::to_string (info.param.type) + "Chain" +
                                     std::to_string (info.param.chain);
                          });

TEST_F (SourcesTest, AddBuiltInEffectTakesOnlyTheThreeChains)
{
    for (const int chain : {0, 2, 3, 6})
        p.addBuiltInEffect (Equalizer, 0, chain);

    EXPECT_TRUE (p.inputInserts.empty());
    EXPECT_TRUE (p.trackInserts.empty());
    EXPECT_TRUE (p.masterInserts.empty());

    // A type outside the catalogue: a nameless slot that processes nothing.
    p.addBuiltInEffect (9, 0, Processor::TrackInserts);
    ASSERT_EQ (p.trackInserts.size(), 1u);
    EXPECT_TRUE (p.trackInserts[0]->name.isEmpty());
    p.trackInputSources[0] = 0;
    settle (constantOn (0, 1.0f));
    EXPECT_NEAR (last (run (blockSize, constantOn (0, 1.0f)), 0), centre, 1.0e-4f);
    EXPECT_FALSE (p.isSuspended());
}

TEST (AddBuiltInEffect, BeforeTheDeviceRunsTheEngineIsPreparedAt44100)
{
    TavrelDelayAudioProcessor p;
    p.addBuiltInEffect (AnalogReverb, -1, TavrelDelayAudioProcessor::MasterInserts);
    p.addBuiltInEffect (Equalizer, -1, TavrelDelayAudioProcessor::MasterInserts);
    ASSERT_EQ (p.masterInserts.size(), 2u);
    EXPECT_EQ (p.masterInserts[0]->reverbEngine->getSampleRate(), 44100.0);
    EXPECT_EQ (p.masterInserts[1]->eqEngine->sampleRate, 44100.0);
    EXPECT_FALSE (p.hasUnsavedChanges());
}

TEST_F (SourcesTest, AnEchoSlotAtMinus100DbOrBelowIsFedNothing)
{
    p.trackInputSources[0] = 0;
    p.addBuiltInEffect (TapeEcho, 0, Processor::TrackInserts);
    auto& slot = *p.trackInserts[0];
    slot.echoMix = 1.0f; // wet only
    slot.echoDrive = -100.0f;
    settle (sineOn (0, 500.0, 0.5f));
    EXPECT_LT (run ((int)rate / 2, sineOn (0, 500.0, 0.5f)).getMagnitude (0, 0, (int)rate / 2), 1.0e-4f);
}

//==============================================================================
struct LatencyCase
{
    int echoAt, deviceLatency, expected;
};

class LatencyMeasurementTest : public SourcesTest, public ::testing::WithParamInterface<LatencyCase>
{
};

TEST_P (LatencyMeasurementTest, TheEchoOfTheBurstSetsTheRecordOffset)
{
    const auto [echoAt, deviceLatency, expected] = GetParam();
    p.trackInputSources[0] = 0;
    p.deviceLatencySamples = deviceLatency;
    settle();

    // The first sample after the start counts 1: the echo arrives at counter echoAt.
    const auto start = samplesRun;
    p.startLatencyMeasurement();
    const auto echo = [start, echoAt = echoAt] (int ch, juce::int64 sample)
    { return ch == 0 && sample - start == echoAt - 1 ? 0.5f : 0.0f; };

    const auto output = run (8192, echo);
    EXPECT_GT (rms (output, 0, 0, 4000), 0.05); // the burst
    EXPECT_TRUE (p.latencyMeasureActive);       // until the result is applied
    runMessages();
    EXPECT_FALSE (p.latencyMeasureActive);
    EXPECT_EQ ((int)p.parameters.getRawParameterValue (REC_OFFSET)->load(), expected);
}

INSTANTIATE_TEST_SUITE_P (Block, LatencyMeasurementTest,
                          ::testing::Values (LatencyCase{4500, 1000, 3500}, LatencyCase{4100, 6200, 0},
                                             LatencyCase{4100, 5000, -900}));

TEST_F (SourcesTest, TheLatencyMeasurementGivesUpWithoutAnEcho)
{
    set (REC_OFFSET, 123.0f);
    settle();
    p.startLatencyMeasurement();
    // 4001 samples of noise (counts 1 to 4001), then silence while listening.
    const auto output = run (80000);
    EXPECT_GT (rms (output, 0, 3990, 11), 0.0);
    EXPECT_EQ (output.getMagnitude (0, 4001, 1000), 0.0f);
    EXPECT_FALSE (p.latencyMeasureActive);
    runMessages();
    EXPECT_EQ ((int)p.parameters.getRawParameterValue (REC_OFFSET)->load(), 123);
}

//==============================================================================
TEST_F (SourcesTest, ABusyAudioLockGivesASilentBlockWithoutWaiting)
{
    p.trackInputSources[0] = 0;
    settle (constantOn (0, 1.0f));

    juce::WaitableEvent held, release;
    std::thread holder (
        [&]
        {
            const juce::ScopedLock lock (p.audioLock);
            held.signal();
            release.wait (5000);
        });
    held.wait();

    const auto before = juce::Time::getMillisecondCounterHiRes();
    const auto output = run (blockSize, constantOn (0, 1.0f));
    const auto elapsed = juce::Time::getMillisecondCounterHiRes() - before;
    release.signal();
    holder.join();

    EXPECT_EQ (output.getMagnitude (0, blockSize), 0.0f);
    EXPECT_LT (elapsed, 100.0);

    // Free again: sound.
    EXPECT_NEAR (last (run (blockSize, constantOn (0, 1.0f)), 0), centre, 1.0e-4f);

    p.suspendProcessing (true);
    EXPECT_EQ (run (blockSize, constantOn (0, 1.0f)).getMagnitude (0, blockSize), 0.0f);
    p.suspendProcessing (false);
}

TEST_F (SourcesTest, ABlockLongerThanPreparedIsProcessedOnlyAsFarAsPrepared)
{
    prepare (rate, 256);
    p.trackInputSources[0] = 0;
    settle (constantOn (0, 1.0f));

    juce::AudioBuffer<float> buffer (24, 512);
    buffer.clear();
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 1.0f, 512);
    p.processBlock (buffer, midi);
    EXPECT_NEAR (buffer.getSample (0, 255), centre, 1.0e-4f);
    EXPECT_EQ (buffer.getMagnitude (0, 256, 256), 0.0f);
    EXPECT_EQ (buffer.getMagnitude (1, 256, 256), 0.0f);
}

TEST (BlockWithoutPreparation, IsSilent)
{
    TavrelDelayAudioProcessor p;
    juce::AudioBuffer<float> buffer (24, 512);
    buffer.clear();
    juce::FloatVectorOperations::fill (buffer.getWritePointer (0), 1.0f, 512);
    juce::MidiBuffer midi;
    p.processBlock (buffer, midi);
    EXPECT_EQ (buffer.getMagnitude (0, 512), 0.0f);
}
} // namespace
