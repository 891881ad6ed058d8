#include "tests/engine/MechanicsProcessorFixture.h"

namespace
{
using P = TavrelDelayAudioProcessor;

enum Sound
{
    none,
    click,
    stop
};

class TransportTest : public MechanicsProcessorTest
{
protected:
    P p;

    Sound startedSound()
    {
        const auto started = takeStartedSound (p);

        if (started.sound == nullptr)
            return none;

        if (started.sound == &p.clickSound)
            return click;

        EXPECT_EQ (started.sound, &p.stopSound);
        return stop;
    }

    void placeTape (double seconds) { p.tracks.front().setPositionSeconds (seconds); }
};
} // namespace

TEST_F (TransportTest, EveryTransitionOfTheStateMachine)
{
    struct Case
    {
        int from, request;
        bool ready, locating; // record latch and return to zero before the request
        int state;            // afterwards
        bool readyAfter, loopOn, locatingAfter;
        Sound sound;
    };

    // Looping is on before every request; winding switches it off.
    const Case cases[] = {
        // from stop
        {0, 0, false, false, 0, false, true, false, none},
        {0, 0, false, true, 0, false, true, false, stop}, // cancels a return to zero
        {0, 1, false, false, 1, false, true, false, click},
        {0, 1, true, false, 2, true, true, false, click}, // the record latch: play records
        {0, 1, false, true, 1, false, true, true, click}, // play leaves a locate running
        {0, 2, false, false, 2, true, true, false, click},
        {0, 2, false, true, 2, true, true, true, click},
        {0, 3, false, true, 3, false, false, false, click},
        {0, 4, true, true, 4, true, false, false, click},
        {0, 5, false, true, 5, false, true, false, none}, // into scrub: silent
        // from play
        {1, 0, false, false, 0, false, true, false, stop},
        {1, 1, false, true, 1, false, true, true, none},
        {1, 2, false, false, 2, true, true, false, click},
        {1, 3, false, false, 3, false, false, false, click},
        {1, 4, false, false, 4, false, false, false, click},
        {1, 5, false, false, 5, false, true, false, none},
        // from record
        {2, 0, true, false, 0, false, true, false, stop},
        {2, 1, true, false, 1, true, true, false, click}, // punch out
        {2, 2, true, false, 2, true, true, false, none},
        {2, 3, true, false, 3, true, false, false, click},
        {2, 4, true, false, 4, true, false, false, click},
        {2, 5, true, false, 5, true, true, false, none},
        // from rewind
        {3, 0, false, false, 0, false, true, false, stop},
        {3, 1, false, false, 1, false, true, false, click},
        {3, 2, false, false, 2, true, true, false, click},
        {3, 3, false, false, 3, false, true, false, none},
        {3, 4, false, false, 4, false, false, false, click},
        {3, 5, false, false, 5, false, true, false, none},
        // from fast forward
        {4, 0, false, false, 0, false, true, false, stop},
        {4, 1, false, false, 1, false, true, false, click},
        {4, 2, false, false, 2, true, true, false, click},
        {4, 3, false, false, 3, false, false, false, click},
        {4, 4, false, false, 4, false, true, false, none},
        {4, 5, false, false, 5, false, true, false, none},
        // from scrub: every way out is silent
        {5, 0, false, false, 0, false, true, false, none},
        {5, 1, false, false, 1, false, true, false, none},
        {5, 2, false, false, 2, true, true, false, none},
        {5, 3, false, false, 3, false, false, false, none},
        {5, 4, false, false, 4, false, false, false, none},
        {5, 5, false, false, 5, false, true, false, none},
        // requests outside the states change nothing
        {1, 6, false, false, 1, false, true, false, none},
        {1, -1, false, false, 1, false, true, false, none},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.from) + " -> " + juce::String (c.request) + (c.ready ? ", ready" : "") +
                      (c.locating ? ", locating" : ""));
        p.transportState = c.from;
        p.recordReady = c.ready;
        p.locateToZeroPending = c.locating;
        p.loopEnabled = true;
        startedSound();

        p.setTransportState (c.request);

        EXPECT_EQ (p.transportState, c.state);
        EXPECT_EQ (p.recordReady, c.readyAfter);
        EXPECT_EQ (p.loopEnabled, c.loopOn);
        EXPECT_EQ (p.locateToZeroPending, c.locatingAfter);
        EXPECT_EQ (startedSound(), c.sound);
    }
}

TEST_F (TransportTest, TransportSoundsPlayAtTheirGains)
{
    float lowest = 1.0f, highest = 0.0f;

    for (int i = 0; i < 200; ++i)
    {
        p.transportState = P::transportStop;
        startedSound();
        p.setTransportState (P::transportPlay);
        const auto play = takeStartedSound (p);
        p.setTransportState (P::transportStop);
        const auto stopped = takeStartedSound (p);

        ASSERT_EQ (play.sound, &p.clickSound);
        ASSERT_EQ (stopped.sound, &p.stopSound);
        EXPECT_GE (play.gain, 0.4f * 0.55f);
        EXPECT_LT (play.gain, 0.4f * 0.65f);
        EXPECT_GE (stopped.gain, 0.55f);
        EXPECT_LT (stopped.gain, 0.65f);
        lowest = juce::jmin (lowest, stopped.gain);
        highest = juce::jmax (highest, stopped.gain);
    }

    // No two presses quite alike.
    EXPECT_GT (highest - lowest, 0.05f);
}

TEST_F (TransportTest, LeavingRecordDisarmsAndMonitorsTheTape)
{
    struct Case
    {
        const char* name;
        int leaveTo;
        bool autoDisarmOff;
        bool disarmed;
    };

    const Case cases[] = {
        {"punch out", P::transportPlay, false, true},
        {"stop", P::transportStop, false, true},
        {"rewind", P::transportRewind, false, false},
        {"fast forward", P::transportFastForward, false, false},
        {"scrub", P::transportScrub, false, false},
        {"punch out, auto-disarm off", P::transportPlay, true, false},
        {"stop, auto-disarm off", P::transportStop, true, false},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        setParameter (p, ParameterIds::DISABLE_AUTO_DISARM, c.autoDisarmOff ? 1.0f : 0.0f);

        for (int n = 1; n <= 8; ++n)
            setParameter (p, ParameterIds::forTrack (ParameterIds::MON_, n), 0.0f);

        for (auto& track : p.tracks)
            track.setArmed (false);

        p.tracks[1].setArmed (true);
        p.tracks[4].setArmed (true);
        p.transportState = P::transportStop;
        p.setTransportState (P::transportRecord);
        p.setTransportState (c.leaveTo);

        EXPECT_EQ (p.transportState, c.leaveTo);
        EXPECT_EQ (p.tracks[1].isArmed(), ! c.disarmed);
        EXPECT_EQ (p.tracks[4].isArmed(), ! c.disarmed);

        for (int i = 0; i < 8; ++i)
        {
            const auto monitor = raw (p, ParameterIds::forTrack (ParameterIds::MON_, i + 1));
            EXPECT_EQ (monitor, c.disarmed && (i == 1 || i == 4) ? 1.0f : 0.0f) << "track " << i + 1;
        }
    }
}

TEST_F (TransportTest, StoppingTurnsWriteAutomationIntoLatch)
{
    for (int leaveFrom : {P::transportPlay, P::transportRecord, P::transportRewind})
    {
        SCOPED_TRACE (leaveFrom);

        for (int channel = 0; channel < P::numChannels; ++channel)
            p.automationModes[(size_t)channel] = P::automationWrite;

        p.automationModes[3] = P::automationRead;
        p.transportState = leaveFrom;
        p.setTransportState (P::transportStop);

        // Channels of the reel's eight tracks and both aux returns; tracks 9 to 24 do not exist.
        for (int channel = 0; channel < P::numChannels; ++channel)
        {
            const auto expected = channel == 3                             ? P::automationRead
                                  : channel < 8 || channel >= P::maxTracks ? P::automationLatch
                                                                           : P::automationWrite;
            EXPECT_EQ (p.automationModes[(size_t)channel], expected) << "channel " << channel;
        }
    }

    // Write stays write while the tape rolls on.
    p.automationModes[0] = P::automationWrite;
    p.transportState = P::transportPlay;
    p.setTransportState (P::transportRecord);
    EXPECT_EQ (p.automationModes[0], P::automationWrite);
}

TEST_F (TransportTest, TheRecordButtonLatchesPunchesInAndOut)
{
    p.tracks[0].setArmed (true);
    startedSound();

    // Stopped: the button only arms the latch (a full click) and disarms it again.
    p.recordButtonPressed();
    auto pressed = takeStartedSound (p);
    EXPECT_TRUE (p.recordReady);
    EXPECT_EQ (p.transportState, P::transportStop);
    EXPECT_EQ (pressed.sound, &p.clickSound);
    EXPECT_GE (pressed.gain, 0.55f);
    EXPECT_LT (pressed.gain, 0.65f);

    p.recordButtonPressed();
    EXPECT_FALSE (p.recordReady);
    p.recordButtonPressed();

    // Play then records; stop clears the latch.
    p.setTransportState (P::transportPlay);
    EXPECT_EQ (p.transportState, P::transportRecord);
    p.setTransportState (P::transportStop);
    EXPECT_FALSE (p.recordReady);
    EXPECT_FALSE (p.tracks[0].isArmed());

    // Playing: punch in and out, each at the transport's quieter click.
    p.tracks[0].setArmed (true);
    p.setTransportState (P::transportPlay);
    startedSound();
    p.recordButtonPressed();
    pressed = takeStartedSound (p);
    EXPECT_EQ (p.transportState, P::transportRecord);
    EXPECT_LT (pressed.gain, 0.4f * 0.65f);

    p.recordButtonPressed();
    EXPECT_EQ (p.transportState, P::transportPlay);
    EXPECT_FALSE (p.tracks[0].isArmed());

    // While winding or scrubbing it clicks and does nothing else.
    for (int state : {P::transportRewind, P::transportFastForward, P::transportScrub})
    {
        SCOPED_TRACE (state);
        p.transportState = state;
        p.recordReady = false;
        p.recordButtonPressed();
        EXPECT_EQ (p.transportState, state);
        EXPECT_FALSE (p.recordReady);
        EXPECT_EQ (startedSound(), click);
    }
}

TEST_F (TransportTest, ReturnToZeroStopsAndAsksForTheLocate)
{
    p.transportState = P::transportPlay;
    p.loopEnabled = true;
    startedSound();

    p.returnToZero();
    EXPECT_EQ (p.transportState, P::transportStop);
    EXPECT_FALSE (p.loopEnabled);
    EXPECT_TRUE (p.locateToZeroPending);
    const auto pressed = takeStartedSound (p);
    EXPECT_EQ (pressed.sound, &p.clickSound); // one firm click, never the stop sound
    EXPECT_EQ (pressed.gain, 0.6f);

    // Play and record leave the locate running; stop, winding and scrub cancel it.
    struct Case
    {
        int request;
        bool keeps;
    };

    for (const auto& c :
         {Case{P::transportPlay, true}, Case{P::transportRecord, true}, Case{P::transportStop, false},
          Case{P::transportRewind, false}, Case{P::transportFastForward, false}, Case{P::transportScrub, false}})
    {
        SCOPED_TRACE (c.request);
        p.transportState = P::transportStop;
        p.returnToZero();
        p.setTransportState (c.request);
        EXPECT_EQ (p.locateToZeroPending, c.keeps);
    }

    // From a stop it still clicks, at the fixed gain.
    p.transportState = P::transportStop;
    p.locateToZeroPending = false;
    startedSound();
    p.returnToZero();
    EXPECT_EQ (takeStartedSound (p).gain, 0.6f);
}

TEST_F (TransportTest, TheCounterRunsFromTheZeroPoint)
{
    EXPECT_EQ (p.getElapsedSinceZero(), 0.0);

    placeTape (12.5);
    EXPECT_DOUBLE_EQ (p.getElapsedSinceZero(), 12.5);

    startedSound();
    EXPECT_DOUBLE_EQ (p.setZeroPoint(), 12.5);
    EXPECT_DOUBLE_EQ (p.zeroOffset, 12.5);
    EXPECT_EQ (p.getElapsedSinceZero(), 0.0);
    const auto pressed = takeStartedSound (p);
    EXPECT_EQ (pressed.sound, &p.clickSound);
    EXPECT_GE (pressed.gain, 0.55f);

    // Before the zero point the counter runs negative; the counter follows track 1 alone.
    placeTape (10.0);
    p.tracks[1].setPositionSeconds (30.0);
    EXPECT_DOUBLE_EQ (p.getElapsedSinceZero(), -2.5);
    placeTape (70.25);
    EXPECT_DOUBLE_EQ (p.getElapsedSinceZero(), 57.75);
}

TEST_F (TransportTest, WithButtonSoundsOffNothingSoundsAndNothingIsDrawn)
{
    setParameter (p, ParameterIds::DISABLE_SFX, 1.0f);
    p.soundRandom.setSeed (1234);
    startedSound();

    p.setTransportState (P::transportPlay);
    p.setTransportState (P::transportStop);
    p.recordButtonPressed();
    p.setTransportState (P::transportRewind);
    p.returnToZero();
    p.setZeroPoint();
    p.setTransportState (P::transportFastForward);

    EXPECT_EQ (startedSound(), none);
    EXPECT_EQ (p.soundRandom.getSeed(), 1234);

    // A sound already playing finishes.
    setParameter (p, ParameterIds::DISABLE_SFX, 0.0f);
    p.setTransportState (P::transportStop);
    juce::AudioBuffer<float> block (2, 64);
    block.clear();
    p.buttonVoice.mixInto (block);
    setParameter (p, ParameterIds::DISABLE_SFX, 1.0f);
    p.setTransportState (P::transportPlay);
    block.clear();
    p.buttonVoice.mixInto (block);
    EXPECT_TRUE (p.buttonVoice.active);
    EXPECT_EQ (p.buttonVoice.sound, &p.stopSound);
    EXPECT_EQ (p.buttonVoice.position, 128);
}
