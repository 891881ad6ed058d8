#include "tests/mixdown/MixdownFixture.h"
#include "tests/support/AudioTestUtils.h"

namespace
{
namespace Id = ParameterIds;
using namespace AudioTestUtils;

constexpr double fileRate = 44100.0;
constexpr double reelRate = 48000.0;

class ImportTest : public MixdownProcessorTest
{
protected:
    void SetUp() override { makeReel (8, 6.0, reelRate); }

    /** One second at 44.1 kHz: 441 Hz on the left, 1500 Hz on the right. */
    static juce::AudioBuffer<float> makeStereoTones()
    {
        juce::AudioBuffer<float> audio (2, (int)fileRate);
        juce::AudioBuffer<float> left (1, (int)fileRate), right (1, (int)fileRate);
        fillSine (left, 441.0, fileRate, 0.5f);
        fillSine (right, 1500.0, fileRate, 0.25f);
        audio.copyFrom (0, 0, left, 0, 0, audio.getNumSamples());
        audio.copyFrom (1, 0, right, 0, 0, audio.getNumSamples());
        return audio;
    }

    const float* tape (int track) { return p.tracks[(size_t)track].getAudio().getReadPointer (0); }

    /** Frequency and level of a stretch of a track's tape, leaving out the edges. */
    double frequencyOn (int track, int from, int count)
    {
        return zeroCrossingFrequency (tape (track) + from + 2000, count - 4000, reelRate);
    }

    double levelOn (int track, int from, int count) { return rms (tape (track) + from + 2000, count - 4000); }

    juce::File file (const juce::String& name) { return temp / name; }
};
} // namespace

class ImportFormatTest : public ImportTest, public ::testing::WithParamInterface<const char*>
{
};

TEST_P (ImportFormatTest, StereoFileLandsResampledOnTwoTracksAtTheChosenTime)
{
    const auto source = file (juce::String ("tones.") + GetParam());
    ASSERT_TRUE (writeAudioFile (source, makeStereoTones(), fileRate));

    auto result = p.importAudioToTrack (source, 2, 2.0, true, 1.0f, 1.0f, false);
    ASSERT_TRUE (result.wasOk()) << result.getErrorMessage();

    const int start = 96000, length = 48000; // one second at the reel's rate
    EXPECT_NEAR (frequencyOn (2, start, length), 441.0, 3.0);
    EXPECT_NEAR (frequencyOn (3, start, length), 1500.0, 8.0);
    // The record chain colours but keeps the level in the same range (pre-emphasis lifts
    // the higher tone more).
    EXPECT_NEAR (toDecibels (levelOn (2, start, length)), toDecibels (0.5 / std::sqrt (2.0)), 3.0);
    EXPECT_GT (levelOn (3, start, length), 0.1);

    // Nothing before the start point, and the resampled file ends after one second.
    for (int track : {2, 3})
    {
        SCOPED_TRACE (track);
        EXPECT_EQ (rms (tape (track), start), 0.0);
        EXPECT_LT (rms (tape (track) + start + length + 64, 20000), 1.0e-3);
        EXPECT_EQ (p.tracks[(size_t)track].recordedLength, start + length);
        EXPECT_TRUE (p.tracks[(size_t)track].dirty);
        EXPECT_EQ (raw (Id::forTrack (Id::MON_, track + 1)), 1.0f);
    }

    // The neighbours are untouched.
    EXPECT_FALSE (p.tracks[1].dirty);
    EXPECT_FALSE (p.tracks[4].dirty);
    EXPECT_EQ (rms (tape (4), p.tracks[4].getAudio().getNumSamples()), 0.0);
}

INSTANTIATE_TEST_SUITE_P (Formats, ImportFormatTest, ::testing::Values ("wav", "aif", "flac", "ogg"));

TEST_F (ImportTest, WithoutSplitOrOnTheLastTrackTheChannelsAreMixed)
{
    // Left and right in opposite phase: their average is silence.
    auto audio = makeStereoTones();
    audio.copyFrom (1, 0, audio, 0, 0, audio.getNumSamples());
    audio.applyGain (1, 0, audio.getNumSamples(), -1.0f);
    const auto source = file ("opposed.wav");
    ASSERT_TRUE (writeAudioFile (source, audio, fileRate));

    for (auto [track, split] : {std::pair{0, false}, std::pair{7, true}})
    {
        SCOPED_TRACE (track);
        ASSERT_TRUE (p.importAudioToTrack (source, track, 1.0, split, 1.0f, 1.0f, false).wasOk());
        EXPECT_LT (levelOn (track, 48000, 48000), 1.0e-3);
        EXPECT_EQ (p.tracks[(size_t)track].recordedLength, 96000);
        EXPECT_FALSE (p.tracks[(size_t)track + (track == 7 ? -1 : 1)].dirty);
    }
}

TEST_F (ImportTest, ReverseWritesBackwardsFromTheStart)
{
    const auto source = file ("tones.wav");
    ASSERT_TRUE (writeAudioFile (source, makeStereoTones(), fileRate));
    setParameter (Id::REVERSE, 1.0f);

    ASSERT_TRUE (p.importAudioToTrack (source, 0, 3.0, false, 1.0f, 1.0f, false).wasOk());

    // From 3 s backwards to 2 s; the recorded length reaches only the start point.
    EXPECT_GT (levelOn (0, 96000, 48000), 0.05);
    EXPECT_EQ (rms (tape (0) + 144001, 48000), 0.0);
    EXPECT_LT (rms (tape (0) + 90000, 5000), 1.0e-3);
    EXPECT_EQ (p.tracks[0].recordedLength, 144000);

    // Bounce-to-tape ignores the switch.
    ASSERT_TRUE (p.importAudioToTrack (source, 1, 3.0, false, 1.0f, 1.0f, true).wasOk());
    EXPECT_GT (levelOn (1, 144000, 48000), 0.05);
    EXPECT_EQ (p.tracks[1].recordedLength, 192000);
}

TEST_F (ImportTest, OnlyWhatFitsOnTheTapeIsWritten)
{
    const auto source = file ("tones.flac");
    ASSERT_TRUE (writeAudioFile (source, makeStereoTones(), fileRate));
    const auto tapeLength = p.tracks[0].getAudio().getNumSamples();

    // Half a second before the end: the rest of the file is cut.
    ASSERT_TRUE (p.importAudioToTrack (source, 0, 5.5, false, 1.0f, 1.0f, false).wasOk());
    EXPECT_EQ (p.tracks[0].recordedLength, tapeLength);
    EXPECT_GT (rms (tape (0) + tapeLength - 10000, 8000), 0.05);

    // Reversed from an early start: what falls before the tape's start is dropped.
    setParameter (Id::REVERSE, 1.0f);
    ASSERT_TRUE (p.importAudioToTrack (source, 1, 0.25, false, 1.0f, 1.0f, false).wasOk());
    EXPECT_EQ (p.tracks[1].recordedLength, 12000);
    EXPECT_GT (rms (tape (1) + 2000, 8000), 0.05);
    EXPECT_EQ (rms (tape (1) + 12001, 48000), 0.0);
}

TEST_F (ImportTest, ImportReplacesWhatItCovers)
{
    auto* samples = p.tracks[0].getAudio().getWritePointer (0);
    juce::FloatVectorOperations::fill (samples, 0.9f, p.tracks[0].getAudio().getNumSamples());
    p.tracks[0].recordedLength = p.tracks[0].getAudio().getNumSamples();
    setParameter (Id::SOUND_ON_SOUND, 1.0f);

    juce::AudioBuffer<float> silence (1, (int)fileRate);
    silence.clear();
    const auto source = file ("silence.wav");
    ASSERT_TRUE (writeAudioFile (source, silence, fileRate));
    ASSERT_TRUE (p.importAudioToTrack (source, 0, 1.0, false, 1.0f, 1.0f, false).wasOk());

    EXPECT_LT (levelOn (0, 48000, 48000), 1.0e-3);
    EXPECT_EQ (tape (0)[47999], 0.9f);
    EXPECT_EQ (tape (0)[96001], 0.9f);
}

TEST_F (ImportTest, FailuresAreReportedAndChangeNothing)
{
    const auto garbage = file ("garbage.wav");
    ASSERT_TRUE (garbage.replaceWithText ("this is not audio"));
    const auto source = file ("tones.wav");
    ASSERT_TRUE (writeAudioFile (source, makeStereoTones(), fileRate));

    struct Case
    {
        const char* what;
        juce::File file;
        int track;
        double start;
    };

    for (const auto& c : {Case{"not audio", garbage, 0, 0.0}, Case{"missing", file ("none.wav"), 0, 0.0},
                          Case{"track below", source, -1, 0.0}, Case{"track beyond", source, 8, 0.0},
                          Case{"after the tape", source, 0, 7.0}})
    {
        SCOPED_TRACE (c.what);
        const auto result = p.importAudioToTrack (c.file, c.track, c.start, false, 1.0f, 1.0f, false);
        EXPECT_TRUE (result.failed());
        EXPECT_FALSE (result.getErrorMessage().isEmpty());
        EXPECT_FALSE (p.hasUnsavedChanges());
        EXPECT_EQ (p.tracks[0].recordedLength, 0);
        EXPECT_FALSE (p.isSuspended());
    }
}
