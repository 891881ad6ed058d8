#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"
#include "instruments/BuiltInInstruments.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"
#include "platform/SimulatedAudioDeviceType.h"
#include "tests/engine/MechanicsProcessorFixture.h"

#include <juce_audio_utils/juce_audio_utils.h>

namespace
{
using P = TavrelDelayAudioProcessor;

/** The processor played by a simulated audio device whose rate and block size the test
    chooses, as the application plays it on a real one. */
class DevicePreparationTest : public MechanicsProcessorTest
{
protected:
    P p;
    juce::AudioDeviceManager manager;
    juce::AudioProcessorPlayer player;

    void SetUp() override
    {
        SimulatedAudioDevice::Config config;
        config.name = "Test Interface";
        config.clock = SimulatedAudioDevice::Clock::manual;
        config.sampleRates = {44100.0, 48000.0, 96000.0};
        config.bufferSizes = {64, 256, 480, 512, 2048};
        manager.addAudioDeviceType (
            std::make_unique<SimulatedAudioDeviceType> (juce::Array<SimulatedAudioDevice::Config>{config}));
        manager.setCurrentAudioDeviceType (SimulatedAudioDeviceType::typeName, true);
        p.deviceManager = &manager;
    }

    void TearDown() override
    {
        manager.removeAudioCallback (&player);
        player.setProcessor (nullptr);
        manager.closeAudioDevice();
    }

    /** Opens the device at the rate and block size and starts playing the processor. */
    void open (double rate, int blockSize)
    {
        juce::AudioDeviceManager::AudioDeviceSetup setup;
        setup.outputDeviceName = "Test Interface";
        setup.inputDeviceName = "Test Interface";
        setup.sampleRate = rate;
        setup.bufferSize = blockSize;
        ASSERT_EQ (manager.initialise (2, 2, nullptr, false, {}, &setup), juce::String());
        ASSERT_NE (manager.getCurrentAudioDevice(), nullptr);
        player.setProcessor (&p);
        manager.addAudioCallback (&player);
    }

    /** The same device, set up anew with another block size (the settings panel does this). */
    void changeBlockSize (int blockSize)
    {
        auto setup = manager.getAudioDeviceSetup();
        setup.bufferSize = blockSize;
        ASSERT_EQ (manager.setAudioDeviceSetup (setup, true), juce::String());
    }

    SimulatedAudioDevice& device() { return *dynamic_cast<SimulatedAudioDevice*> (manager.getCurrentAudioDevice()); }

    /** A named reel at 44.1 kHz with something recorded on track 1 and a click track. */
    void openNamedReel()
    {
        p.reelName = "Night Session";
        p.tracks[0].getAudio().setSample (0, 44100, 0.5f);
        p.tracks[0].dirty = true;
        p.tracks[0].setPositionSeconds (10.0);
        p.zeroOffset = 4.0;
        p.transportState = P::transportPlay;
        p.clickTrack = std::make_unique<TapeTrack>();
    }
};
} // namespace

TEST_F (DevicePreparationTest, TheFirstStartReadiesEverythingTheBlockCallbackWalks)
{
    setParameter (p, ParameterIds::forTrack (ParameterIds::VOL_, 3), 0.25f);
    setParameter (p, ParameterIds::SCRUB, 0.8f);
    p.deviceLatencySamples = 77;
    p.tracks[5].setArmed (true);
    open (44100.0, 256);

    // Tracks of the default ten minutes at the device's rate, disarmed.
    ASSERT_EQ (p.tracks.size(), 8u);

    for (const auto& track : p.tracks)
    {
        EXPECT_EQ (track.sampleRate, 44100.0);
        EXPECT_EQ (track.getAudio().getNumSamples(), 44100 * 600);
        EXPECT_FALSE (track.isArmed());
    }

    // The automation rows exist from construction, holding each fader's value then; the
    // first start keeps them (a later fader move does not rewrite recorded lanes), with
    // nothing pending and every mode off.
    ASSERT_EQ (p.automationData.getNumChannels(), 26);
    ASSERT_EQ (p.automationData.getNumSamples(), 360000);
    const auto volume1 = p.parameters.getParameter ("VOL_1")->getValue();
    const auto aux2 = p.parameters.getParameter (ParameterIds::AUX2_RETURN)->getValue();
    EXPECT_EQ (p.automationData.getSample (2, 0), volume1);
    EXPECT_EQ (p.automationData.getSample (2, 359999), volume1);
    EXPECT_EQ (p.automationData.getSample (0, 180000), volume1);
    EXPECT_EQ (p.automationData.getSample (25, 359999), aux2);

    for (size_t channel = 0; channel < 26; ++channel)
    {
        EXPECT_EQ (p.pendingFaderValues[channel], -1.0f);
        EXPECT_EQ (p.automationModes[channel], 0);
    }

    // Block buffers of the block size.
    EXPECT_EQ (p.trackOutputBuffers.size(), 8u);
    EXPECT_EQ (p.trackOutputBuffers[7].getNumSamples(), 256);
    EXPECT_EQ (p.trackInputBuffers.size(), 24u);
    EXPECT_EQ (p.instrumentRenderBuffer.getNumChannels(), 64);
    EXPECT_EQ (p.trackInsertBuffer.getNumChannels(), 2);
    EXPECT_EQ (p.instrumentOutputs.getNumSamples(), 256);

    // Cached parameters: raw values for the tracks, the parameter objects for the channels.
    EXPECT_EQ (p.trackVolumeValues[2]->load(), 0.25f);
    EXPECT_EQ (p.trackMonitorValues[23], p.parameters.getRawParameterValue ("MON_24"));
    EXPECT_EQ (p.trackEqLowValues[23], p.parameters.getRawParameterValue ("EQ_LOW_24"));
    EXPECT_EQ (p.channelVolumeValues[0], p.parameters.getParameter ("VOL_1"));
    EXPECT_EQ (p.channelVolumeValues[24], p.parameters.getParameter (ParameterIds::AUX1_RETURN));

    // Smoothers at their parameter's value with a 20 ms ramp.
    EXPECT_EQ (p.volumeSmoothers[2].getCurrentValue(), 0.25f);
    EXPECT_EQ (p.masterVolumeSmoother.getCurrentValue(), raw (p, ParameterIds::MASTER_VOL));
    const auto ramp = (int)std::floor (44100.0 * 0.02);
    auto smoother = p.panSmoothers[0];
    smoother.setTargetValue (smoother.getCurrentValue() + 1.0f);
    smoother.skip (ramp - 1);
    EXPECT_TRUE (smoother.isSmoothing());
    smoother.skip (1);
    EXPECT_FALSE (smoother.isSmoothing());

    // The mechanics at the rate, the shuttle where it stands, the latency of the device.
    EXPECT_DOUBLE_EQ (p.tapeMechanics.dt, 1.0 / 44100.0);
    EXPECT_EQ (p.tapeMechanics.targetSpeed, 0.0);
    EXPECT_FLOAT_EQ (p.scrubControlValue, 0.8f);
    EXPECT_EQ (p.deviceLatencySamples, 0);
    EXPECT_EQ (p.fadeInGain, 0.0f);
    EXPECT_FALSE (p.groupBaselineReady);

    // The device drives the block callback.
    EXPECT_EQ (device().processBlocks (4), 4);
}

TEST_F (DevicePreparationTest, ARestartKeepsTheReelAutomationAndPlace)
{
    open (48000.0, 512);
    p.automationData.setSample (4, 1000, 0.9f);
    p.automationModes[4] = P::automationLatch;
    p.tracks[0].getAudio().setSample (0, 123456, 0.75f);
    p.tracks[0].setPositionSeconds (42.5);
    p.tracks[3].setArmed (true);
    setParameter (p, ParameterIds::TAPE_LENGTH, 5.0f);
    p.fadeInGain = 1.0f;
    p.groupBaselineReady = true;

    for (int blockSize : {64, 480, 2048})
    {
        SCOPED_TRACE (blockSize);
        changeBlockSize (blockSize);

        EXPECT_EQ (p.automationData.getSample (4, 1000), 0.9f);
        EXPECT_EQ (p.automationModes[4], P::automationLatch);
        EXPECT_EQ (p.tracks[0].getAudio().getNumSamples(), 48000 * 600); // not the new default
        EXPECT_EQ (p.tracks[0].getAudio().getSample (0, 123456), 0.75f);
        EXPECT_EQ (p.tracks[0].getPositionSeconds(), 42.5);
        EXPECT_FALSE (p.tracks[3].isArmed());
        EXPECT_EQ (p.trackOutputBuffers[0].getNumSamples(), blockSize);
        EXPECT_EQ (p.trackInputBuffers[0].getNumSamples(), blockSize);
        EXPECT_EQ (p.fadeInGain, 0.0f); // fades in again
        EXPECT_FALSE (p.groupBaselineReady);
        EXPECT_EQ (device().processBlocks (2), 2);
        p.tracks[3].setArmed (true);
    }
}

TEST_F (DevicePreparationTest, AReelWhoseRateNoLongerMatchesIsClosed)
{
    struct Case
    {
        const char* reel;
        double newRate;
        bool closed;
    };

    const Case cases[] = {
        {"Night Session", 48000.0, true},
        {"Night Session", 96000.0, true},
        {"Night Session", 44101.0, false}, // within a hertz: plays on at the device's rate
        {"Night Session", 44099.25, false},
        {"Untitled", 48000.0, false}, // a scratch reel has nothing on disk to protect
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.reel) + " at " + juce::String (c.newRate));
        open (44100.0, 512);
        openNamedReel();
        p.reelName = c.reel;

        device().simulateSampleRateChange (c.newRate);

        EXPECT_EQ (p.getReelName(), c.closed ? "Untitled" : c.reel);
        EXPECT_EQ (p.tracks[0].sampleRate, c.newRate);

        if (c.closed)
        {
            EXPECT_EQ (p.zeroOffset, 0.0);
            EXPECT_FALSE (p.tracks[0].dirty);
            EXPECT_EQ (p.transportState, P::transportStop);
            EXPECT_EQ (p.clickTrack, nullptr);
        }
        else
        {
            EXPECT_EQ (p.zeroOffset, 4.0);
            EXPECT_TRUE (p.tracks[0].dirty);
            EXPECT_EQ (p.transportState, P::transportPlay);
            EXPECT_NE (p.clickTrack, nullptr);
        }

        const auto sameTape = std::abs (c.newRate - 44100.0) <= 1.0;

        if (sameTape)
        {
            // The very samples of the reel stay, and the head stays on the same sample.
            EXPECT_EQ (p.tracks[0].getAudio().getNumSamples(), 44100 * 600);
            EXPECT_EQ (p.tracks[0].getAudio().getSample (0, 44100), 0.5f);
            EXPECT_EQ (p.tracks[0].position, 441000.0);
        }
        else
        {
            // A blank tape of the same length in seconds, the head at the same place.
            EXPECT_EQ (p.tracks[0].getAudio().getNumSamples(), (int)(c.newRate * 600));
            EXPECT_EQ (p.tracks[0].getAudio().getMagnitude (0, 0, 100000), 0.0f);
            EXPECT_DOUBLE_EQ (p.tracks[0].getPositionSeconds(), 10.0);
        }

        if (p.clickTrack != nullptr)
        {
            EXPECT_EQ (p.clickTrack->sampleRate, c.newRate);
        }

        TearDown();
        p.reelName = "Untitled";
        p.clickTrack.reset();
        ASSERT_TRUE (p.prepareReel (8, 600.0, 44100.0).wasOk());
        p.tracks[0].setPositionSeconds (0.0);
    }
}

TEST_F (DevicePreparationTest, EveryEngineFollowsTheRate)
{
    using namespace BuiltInInstruments;

    for (int type = MonoSynth; type <= StageKeyboard; ++type)
    {
        auto slot = makeInstrumentPlugin();
        slot->builtInType = type;
        slot->createEngine (44100.0);
        p.instruments.push_back (slot);
    }

    // The user's own drum pattern survives a device restart.
    auto& drums = *p.instruments[1]->rhythmEngine;
    drums.loadPattern (15);
    drums.steps[2][5] = true;

    auto insert = makeInsertPlugin();

    for (int type = 1; type <= 7; ++type)
    {
        insert->builtInType = type;
        insert->createEngine (44100.0);
    }

    insert->optoEngine->envelopeDb = 6.0f;
    insert->optoEngine->meterReductionDb = 6.0f;
    insert->fetEngine->envelopeDb = 3.0f;
    insert->fetEngine->meterReductionDb = 3.0f;
    p.inputInserts.push_back (insert);
    p.trackInserts.push_back (makeInsertPlugin()); // an empty slot is passed over
    p.masterInserts.push_back (nullptr);

    open (96000.0, 512);

    EXPECT_EQ (p.instruments[0]->monoEngine->sampleRate, 96000.0);
    EXPECT_EQ (p.instruments[1]->rhythmEngine->sampleRate, 96000.0);
    EXPECT_EQ (p.instruments[2]->polyEngine->sampleRate, 96000.0);
    EXPECT_EQ (p.instruments[3]->tannerinEngine->sampleRate, 96000.0);
    EXPECT_EQ (p.instruments[4]->keyboardEngine->sampleRate, 96000.0);
    EXPECT_TRUE (drums.steps[2][5]);
    EXPECT_FALSE (drums.steps[0][0]);

    EXPECT_EQ (insert->reverbEngine->getSampleRate(), 96000.0);
    EXPECT_EQ (insert->echoEngine->getSampleRate(), 96000.0);
    EXPECT_EQ (insert->optoEngine->sampleRate, 96000.0);
    EXPECT_EQ (insert->optoEngine->envelopeDb, 0.0f);
    EXPECT_EQ (insert->optoEngine->meterReductionDb, 0.0f);
    EXPECT_EQ (insert->fetEngine->sampleRate, 96000.0);
    EXPECT_EQ (insert->fetEngine->envelopeDb, 0.0f);
    EXPECT_EQ (insert->fetEngine->meterReductionDb, 0.0f);
    EXPECT_EQ (insert->eqEngine->sampleRate, 96000.0);
    EXPECT_EQ (insert->multiEngine->getSampleRate(), 96000.0);

    EXPECT_EQ (p.aux1Reverb.getSampleRate(), 96000.0);
    EXPECT_EQ (p.aux2Echo.getSampleRate(), 96000.0);

    // And again after the driver's rate changes under the program.
    device().simulateSampleRateChange (48000.0);
    EXPECT_EQ (p.instruments[2]->polyEngine->sampleRate, 48000.0);
    EXPECT_EQ (p.instruments[4]->keyboardEngine->sampleRate, 48000.0);
    EXPECT_EQ (insert->multiEngine->getSampleRate(), 48000.0);
    EXPECT_TRUE (drums.steps[2][5]);
}
