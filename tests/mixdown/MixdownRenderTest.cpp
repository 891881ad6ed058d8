#include "tests/mixdown/MixdownFixture.h"
#include "tests/support/AudioTestUtils.h"

namespace
{
namespace Id = ParameterIds;
using namespace AudioTestUtils;
using Outcome = OfflineRenderResult::Outcome;

constexpr double rate = 44100.0;

class MixdownRenderTest : public MixdownProcessorTest
{
protected:
    void SetUp() override
    {
        makeReel (8, 25.0, rate);
        p.prepareToPlay (rate, 512);

        // A steady machine with the playback head at the record head, so that pitch, level and
        // timing can be measured.
        for (auto* id : {Id::WOW, Id::FLUTTER, Id::DIGITAL_FINGER, Id::AGE, Id::NOISE, Id::TIME})
            setParameter (id, 0.0f);

        setParameter (Id::DISABLE_NOISE, 1.0f);

        // The mixdown plays what the tracks monitor: their tapes.
        for (int k = 1; k <= 8; ++k)
            setParameter (Id::forTrack (Id::MON_, k), 1.0f);
    }

    /** Track k's tape: a tone of the frequency from the time on, silence before. */
    void recordTone (int k, double frequency, double fromSeconds, float amplitude = 0.5f)
    {
        auto& track = p.tracks[(size_t)k];
        auto* tape = track.getAudio().getWritePointer (0);
        const auto from = (int)(fromSeconds * rate);

        for (int i = 0; i < track.getAudio().getNumSamples(); ++i)
            tape[i] = i < from ? 0.0f : amplitude * (float)std::sin (twoPi * frequency * (i - from) / rate);

        track.recordedLength = track.getAudio().getNumSamples();
    }

    OfflineRenderResult render (const juce::File& target, double start, double end, bool ignoreVarispeed = true,
                                juce::Array<int> excluded = {}, std::function<bool (float)> progress = {})
    {
        return p.renderOfflineMixdown (target, start, end, std::move (progress), std::move (excluded), ignoreVarispeed);
    }

    /** Names of the files in the temporary folder, to find left-over partial files. */
    juce::StringArray filesInFolder()
    {
        juce::StringArray names;

        for (const auto& entry : juce::RangedDirectoryIterator (
                 temp.getFile(), false, "*", juce::File::findFiles | juce::File::ignoreHiddenFiles * 0))
            names.add (entry.getFile().getFileName());

        names.sort (true);
        return names;
    }
};
} // namespace

TEST_F (MixdownRenderTest, TenSecondsAreExactlyTenSecondsFromTheStartPoint)
{
    recordTone (0, 1000.0, 10.0);
    p.tracks[0].setPositionSeconds (3.0);
    const auto target = temp / "mix.wav";

    const auto result = render (target, 10.0, 20.0);
    ASSERT_TRUE (result.wasFinished()) << result.error;
    EXPECT_EQ (result.samplesWritten, 441000);

    const auto file = readAudioFile (target);
    ASSERT_EQ (file.audio.getNumChannels(), 2);
    EXPECT_EQ (file.audio.getNumSamples(), 441000);
    EXPECT_EQ (file.bits, 24);
    EXPECT_EQ (file.rate, rate);
    EXPECT_TRUE (allFinite (file.audio));

    // The tone starts at 10 s of tape, so the file has it from its first moments (the tape
    // before, rendered as pre-roll, is silent and not written).
    EXPECT_NEAR (zeroCrossingFrequency (file.audio, 0, rate), 1000.0, 5.0);
    const auto steady = rms (file.audio, 0, 200000, 44100);
    EXPECT_GT (steady, 0.01);
    EXPECT_GT (rms (file.audio, 0, 2205, 2205), steady * 0.5);

    // Centre pan: both sides alike. The live tape is back where it was and processing runs.
    EXPECT_NEAR (rms (file.audio, 1, 200000, 44100), steady, steady * 0.01);
    EXPECT_NEAR (p.tracks[0].getPositionSeconds(), 3.0, 1.0e-9);
    EXPECT_FALSE (p.isSuspended());
}

TEST_F (MixdownRenderTest, HalfSpeedDoublesTheLengthAndHalvesThePitch)
{
    recordTone (0, 1000.0, 0.0);
    setParameter (Id::VARISPEED, 0.5f);
    const auto target = temp / "slow.wav";

    const auto result = render (target, 2.0, 4.0, false);
    ASSERT_TRUE (result.wasFinished()) << result.error;

    const auto file = readAudioFile (target);
    EXPECT_EQ (file.audio.getNumSamples(), 176400);
    EXPECT_NEAR (zeroCrossingFrequency (file.audio, 0, rate), 500.0, 5.0);

    // Ignoring the varispeed gives the nominal length and pitch.
    ASSERT_TRUE (render (target, 2.0, 4.0, true).wasFinished());
    const auto nominal = readAudioFile (target);
    EXPECT_EQ (nominal.audio.getNumSamples(), 88200);
    EXPECT_NEAR (zeroCrossingFrequency (nominal.audio, 0, rate), 1000.0, 5.0);
}

TEST_F (MixdownRenderTest, CancelStopsAndLeavesTheOldFileAlone)
{
    recordTone (0, 1000.0, 0.0);
    const auto target = temp / "mix.wav";
    ASSERT_TRUE (target.replaceWithText ("an earlier mixdown"));
    const auto before = filesInFolder();

    int calls = 0;
    const auto result = render (target, 0.0, 20.0, true, {},
                                [&] (float fraction)
                                {
                                    EXPECT_GE (fraction, 0.0f);
                                    EXPECT_LE (fraction, 1.0f);
                                    return ++calls < 2;
                                });

    EXPECT_TRUE (result.wasCancelled());
    EXPECT_EQ (calls, 2);
    EXPECT_EQ (result.samplesWritten, 100 * 512 - (int)(0.0 * rate)); // two reports of 50 blocks
    EXPECT_EQ (target.loadFileAsString(), "an earlier mixdown");
    EXPECT_EQ (filesInFolder(), before);
    EXPECT_FALSE (p.isSuspended());

    // Without an earlier file, a cancel leaves none.
    const auto fresh = temp / "fresh.wav";
    EXPECT_TRUE (render (fresh, 0.0, 20.0, true, {}, [] (float) { return false; }).wasCancelled());
    EXPECT_FALSE (fresh.exists());
    EXPECT_EQ (filesInFolder(), before);
}

TEST_F (MixdownRenderTest, ImpossibleRendersAreRefusedWithoutTouchingTheTarget)
{
    recordTone (0, 1000.0, 0.0);
    const auto target = temp / "mix.wav";
    ASSERT_TRUE (target.replaceWithText ("an earlier mixdown"));

    setParameter (Id::REVERSE, 1.0f);
    auto result = render (target, 0.0, 1.0, false);
    EXPECT_TRUE (result.failed());
    EXPECT_FALSE (result.error.isEmpty());
    EXPECT_EQ (target.loadFileAsString(), "an earlier mixdown");
    setParameter (Id::REVERSE, 0.0f);

    // A folder that does not exist.
    result = render ((temp / "missing").getChildFile ("mix.wav"), 0.0, 1.0);
    EXPECT_TRUE (result.failed());
    EXPECT_FALSE ((temp / "missing").exists());
    EXPECT_FALSE (p.isSuspended());
}

TEST_F (MixdownRenderTest, TheExtensionChoosesTheFormat)
{
    recordTone (0, 1000.0, 0.0);

    for (auto [name, formatName] :
         {std::pair{"mix.flac", "FLAC file"}, std::pair{"mix.aiff", "AIFF file"}, std::pair{"mix.xyz", "WAV file"}})
    {
        SCOPED_TRACE (name);
        ASSERT_TRUE (render (temp / name, 1.0, 2.0).wasFinished());
        const auto file = readAudioFile (temp / name);
        EXPECT_EQ (file.formatName, formatName);
        EXPECT_EQ (file.audio.getNumSamples(), 44100);
        EXPECT_EQ (file.bits, 24);
    }
}

TEST_F (MixdownRenderTest, MuteSoloAndExclusion)
{
    recordTone (0, 1000.0, 0.0);
    recordTone (1, 300.0, 0.0);
    const auto target = temp / "mix.wav";

    auto levelOf = [&] (juce::Array<int> excluded)
    {
        EXPECT_TRUE (render (target, 1.0, 2.0, true, excluded).wasFinished());
        const auto file = readAudioFile (target);
        return rms (file.audio, 0, 4410, 30000);
    };

    const auto both = levelOf ({});
    EXPECT_GT (both, 0.01);

    // Excluding track 1 leaves track 2's tone.
    ASSERT_TRUE (render (target, 1.0, 2.0, true, {0}).wasFinished());
    EXPECT_NEAR (zeroCrossingFrequency (readAudioFile (target).audio, 0, rate), 300.0, 5.0);

    // A soloed track that is excluded: nothing plays at all.
    setParameter (Id::forTrack (Id::SOLO_, 1), 1.0f);
    EXPECT_LT (levelOf ({0}), 1.0e-4);
    setParameter (Id::forTrack (Id::SOLO_, 1), 0.0f);

    setParameter (Id::forTrack (Id::MUTE_, 1), 1.0f);
    setParameter (Id::forTrack (Id::MUTE_, 2), 1.0f);
    EXPECT_LT (levelOf ({}), 1.0e-4);
}

TEST_F (MixdownRenderTest, AutomatedFaderPlaysItsLane)
{
    recordTone (0, 1000.0, 0.0);
    const auto target = temp / "mix.wav";

    ASSERT_TRUE (render (target, 1.0, 2.0).wasFinished());
    const auto atUnity = rms (readAudioFile (target).audio, 0, 4410, 30000);

    // The fader says half; the lane in read mode says 0.75786 (gain 1.0 on the fader's scale).
    setParameter (Id::forTrack (Id::VOL_, 1), 0.5f);
    p.automationData.clear (0, 0, p.automationData.getNumSamples());
    juce::FloatVectorOperations::fill (p.automationData.getWritePointer (0), 0.75786f,
                                       p.automationData.getNumSamples());
    p.automationModes[0] = TavrelDelayAudioProcessor::automationRead;

    ASSERT_TRUE (render (target, 1.0, 2.0).wasFinished());
    EXPECT_NEAR (toDecibels (rms (readAudioFile (target).audio, 0, 4410, 30000)), toDecibels (atUnity), 0.05);

    // The lane is read from the zero point on: with zero at 60 s a render from 0 s reads row 0.
    juce::FloatVectorOperations::fill (p.automationData.getWritePointer (0), 0.0f, p.automationData.getNumSamples());
    p.automationData.setSample (0, 0, 0.75786f);
    p.automationData.setSample (0, 1, 0.75786f);
    p.zeroOffset = 1.0;
    ASSERT_TRUE (render (target, 0.0, 0.005).wasFinished());
    EXPECT_GT (rms (readAudioFile (target).audio, 0, 0, 100), 0.01);
}

TEST_F (MixdownRenderTest, BuiltInMasterInsertsShapeTheRender)
{
    recordTone (0, 1000.0, 0.0);
    const auto target = temp / "mix.wav";

    auto level = [&]
    {
        EXPECT_TRUE (render (target, 1.0, 2.0).wasFinished());
        return rms (readAudioFile (target).audio, 0, 4410, 30000);
    };

    const auto open = level();
    ASSERT_GT (open, 0.01);

    // A line amplifier on the master chain at -100 dB mutes the render; at +6 dB it doubles it.
    p.addBuiltInEffect (4, -1, 5);
    ASSERT_EQ (p.masterInserts.size(), 1u);
    p.masterInserts.back()->gainLevel = -100.0f;
    EXPECT_LT (level(), 1.0e-5);

    p.masterInserts.back()->gainLevel = 6.0f;
    EXPECT_NEAR (level() / open, std::pow (10.0, 6.0 / 20.0), 0.05);
}
