#include "engine/tape/TapeTrack.h"
#include "engine/tape/TapeTransportModel.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

using namespace AudioTestUtils;

namespace
{
constexpr double rate = 48000.0;

/** The per-block settings the block stage gives a track, in its order: flat console EQ, no
    hiss, no age, the given format and drive. */
void applyBlockSettings (TapeTrack& track, int format = 0, float drive = 1.0f, float hiss = 0.0f)
{
    track.setOutputGain (1.0f);
    track.setTrim (1.0f);
    track.setEq (track.sampleRate, 1.0f, 1.0f, 1000.0f, 1.0f);
    track.getHead().setNoiseAndAge (hiss, 0.0f, TapeTransportModel::getFormatBandwidth (format), false);
    track.getHead().setHeadBump (40.0f);
    track.getHead().setFormat (format);
    track.setDrive (drive);
}

TapeTrack makeTrack (double seconds = 3.0)
{
    TapeTrack track;
    EXPECT_TRUE (track.prepare (rate, seconds).wasOk());
    applyBlockSettings (track);
    return track;
}

struct Run
{
    double speed = 1.0;
    float headGapMs = 0.0f;
    bool recording = false;
    int monitorMode = 1;
    bool elasticWrite = true;
    bool soundOnSound = false;
};

juce::AudioBuffer<float> run (TapeTrack& track, const juce::AudioBuffer<float>& input, const Run& r)
{
    juce::AudioBuffer<float> out (1, input.getNumSamples());

    for (int i = 0; i < input.getNumSamples(); ++i)
        out.setSample (0, i,
                       track.process (input.getSample (0, i), r.speed, r.headGapMs, r.recording, r.monitorMode, 0,
                                      false, r.elasticWrite, false, r.soundOnSound));

    return out;
}

juce::AudioBuffer<float> silence (int numSamples)
{
    juce::AudioBuffer<float> buffer (1, numSamples);
    buffer.clear();
    return buffer;
}

double tapeRms (const TapeTrack& track, double fromSeconds, double toSeconds)
{
    const auto start = (int)(fromSeconds * rate);
    return rms (track.getAudio(), 0, start, (int)(toSeconds * rate) - start);
}
} // namespace

//==============================================================================
TEST (TapeTrackPrepare, RatesAndLengthsAreMadeSafe)
{
    struct Case
    {
        double rate, seconds, expectedRate;
        int expectedLength;
    };

    const Case cases[] = {
        {0.0, 1.0, 44100.0, 44100},     {-48000.0, 1.0, 44100.0, 44100}, {48000.0, 0.001, 48000.0, 1024},
        {48000.0, -3.0, 48000.0, 1024}, {8000.0, 2.0, 8000.0, 16000},    {192000.0, 0.5, 192000.0, 96000},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.rate) + " Hz, " + juce::String (c.seconds) + " s");
        TapeTrack track;
        EXPECT_TRUE (track.isArmed());
        EXPECT_TRUE (track.prepare (c.rate, c.seconds).wasOk());
        EXPECT_EQ (track.sampleRate, c.expectedRate);
        EXPECT_EQ (track.getAudio().getNumSamples(), c.expectedLength);
        EXPECT_EQ (track.getAudio().getNumChannels(), 1);
        EXPECT_FALSE (track.isArmed());
        EXPECT_EQ ((int)track.getHead().defects.size(), 12000);
    }
}

TEST (TapeTrackPrepare, RefusesRatesAndLengthsAReelCannotHaveAndKeepsTheTape)
{
    struct Case
    {
        double rate, seconds;
    };

    const Case cases[] = {{7999.0, 1.0}, {192001.0, 1.0}, {48000.0, 3600.5}, {48000.0, std::nan ("")}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.rate) + " Hz, " + juce::String (c.seconds) + " s");
        auto track = makeTrack (1.0);
        const auto result = track.prepare (c.rate, c.seconds);
        EXPECT_TRUE (result.failed());
        EXPECT_FALSE (result.getErrorMessage().isEmpty());
        EXPECT_EQ (track.sampleRate, rate);
        EXPECT_EQ (track.getAudio().getNumSamples(), (int)rate);
    }

    TapeTrack hour;
    EXPECT_TRUE (hour.prepare (8000.0, 3600.0).wasOk());
    EXPECT_EQ (hour.getAudio().getNumSamples(), 8000 * 3600);
}

TEST (TapeTrackPrepare, SameSizeKeepsTheRecordingAndTheDefectMapAnotherSizeStartsSilent)
{
    auto track = makeTrack (2.0);
    track.setArmed (true);
    run (track, makeSine (1, (int)rate, 1000.0, rate, 0.2f), {1.0, 0.0f, true});
    track.getHead().paintSpot (rate, 3, TapeDefectKind::drag, 0.0f, 1.0f);
    const auto recorded = tapeRms (track, 0.2, 0.8);
    const auto position = track.position;
    ASSERT_GT (recorded, 0.05);

    EXPECT_TRUE (track.prepare (rate, 2.0).wasOk());
    EXPECT_NEAR (tapeRms (track, 0.2, 0.8), recorded, 1.0e-9);
    EXPECT_FLOAT_EQ (track.getHead().defects[400].lanes[3], 31.0f);
    EXPECT_EQ (track.position, position);
    EXPECT_TRUE (track.dirty.load());

    EXPECT_TRUE (track.prepare (rate, 3.0).wasOk());
    EXPECT_EQ (tapeRms (track, 0.0, 3.0), 0.0);
    EXPECT_FLOAT_EQ (track.getHead().defects[400].lanes[3], 31.0f);
    EXPECT_EQ (track.recordedLength, 0); // a silent new tape holds no recording
}

//==============================================================================
TEST (TapeTrackRecording, RecordsAndPlaysBackSampleBySample)
{
    for (const bool elastic : {true, false})
    {
        SCOPED_TRACE (elastic ? "elastic write" : "direct write");
        auto track = makeTrack();
        track.setArmed (true);
        const auto n = (int)rate;

        run (track, makeSine (1, n, 1000.0, rate, 0.1f), {1.0, 0.0f, true, 1, elastic});
        EXPECT_TRUE (track.dirty.load());
        EXPECT_NEAR (track.position, rate, 1.0e-6);
        EXPECT_NEAR (track.recordedLength, n, 2);

        track.setPositionSeconds (0.0);
        const auto played = run (track, silence (n), {1.0, 0.0f, false, 1, elastic});
        const auto level = toneAmplitude (played.getReadPointer (0, n / 4), n / 2, 1000.0, rate);
        EXPECT_GT (level, 0.05);
        EXPECT_LT (level, 0.2);
        EXPECT_NEAR (zeroCrossingFrequency (played, 0, rate, n / 4, n / 2), 1000.0, 1.0);
    }
}

TEST (TapeTrackRecording, TheHeadGapDelaysWhatThePlayHeadHears)
{
    auto track = makeTrack();
    track.setArmed (true);
    const auto n = (int)rate;
    auto burst = makeSine (1, n, 1000.0, rate, 0.3f);
    burst.clear (0, 0, n / 2); // the tone starts at 0.5 s

    const auto out = run (track, burst, {1.0, 100.0f, true, 1});

    int onset = -1;
    for (int i = (int)(0.35 * rate); i < n && onset < 0; ++i)
        if (std::abs (out.getSample (0, i)) > 0.02f)
            onset = i;

    EXPECT_NEAR (onset / rate, 0.6, 0.005);
}

TEST (TapeTrackRecording, SoundOnSoundAddsToTheTapeInsteadOfReplacingIt)
{
    for (const bool elastic : {true, false})
    {
        SCOPED_TRACE (elastic ? "elastic write" : "direct write");

        for (const bool soundOnSound : {false, true})
        {
            SCOPED_TRACE (soundOnSound ? "sound on sound" : "replace");
            auto track = makeTrack();
            track.setArmed (true);
            const auto take = makeSine (1, (int)rate, 500.0, rate, 0.1f);

            run (track, take, {1.0, 0.0f, true, 1, elastic, soundOnSound});
            const auto first = tapeRms (track, 0.2, 0.8);
            track.setPositionSeconds (0.0);
            run (track, take, {1.0, 0.0f, true, 1, elastic, soundOnSound});

            EXPECT_NEAR (tapeRms (track, 0.2, 0.8) / first, soundOnSound ? 2.0 : 1.0, 0.02);
        }
    }
}

TEST (TapeTrackRecording, WithoutElasticWriteTheRecordingTrackKeepsExactSampleSteps)
{
    struct Case
    {
        bool armed, elastic;
        double expectedStep;
    };

    const Case cases[] = {{true, false, 1.0}, {false, false, 1.3}, {true, true, 1.3}};

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String ((int)c.armed) + " armed, " + juce::String ((int)c.elastic) + " elastic");
        auto track = makeTrack();
        track.setArmed (c.armed);
        run (track, silence (1000), {1.3, 0.0f, true, 1, c.elastic});
        EXPECT_NEAR (track.position, 1000.0 * c.expectedStep, 1.0e-6);
    }
}

TEST (TapeTrackRecording, AStandingTapeTakesNoElasticWriteAndHasNoHiss)
{
    auto track = makeTrack();
    applyBlockSettings (track, 3, 1.0f, 10.0f);
    track.setArmed (true);
    track.setPositionSeconds (1.0);

    const auto out = run (track, makeSine (1, 4800, 1000.0, rate, 0.5f), {0.0, 0.0f, true, 1});

    EXPECT_EQ (tapeRms (track, 0.0, 3.0), 0.0);
    EXPECT_EQ (peak (out, 0, 2400), 0.0f);
    EXPECT_EQ (track.position, rate);
}

//==============================================================================
TEST (TapeTrackLoop, AWrapCrossfadesOverTwoHundredSamplesFromTheHeldOutput)
{
    auto track = makeTrack (1.0);
    track.setLoop (0.1, 0.2, true);
    track.setPositionSeconds (0.1);
    run (track, silence (2000), {1.0, 0.0f, false, 0}); // settle the smoothers inside the loop

    track.position = 0.2 * rate - 50.0;
    auto input = silence (400);
    input.clear();
    for (int i = 49; i < 400; ++i)
        input.setSample (0, i, 1.0f); // the input steps up on the sample that wraps

    const auto out = run (track, input, {1.0, 0.0f, false, 0});

    EXPECT_NEAR (track.position, 0.1 * rate + 350.0, 1.0e-6);
    EXPECT_NEAR (out.getSample (0, 49), 0.0f, 1.0e-5f);
    EXPECT_NEAR (out.getSample (0, 49 + 100), 0.5f, 1.0e-3f);
    EXPECT_NEAR (out.getSample (0, 49 + 199), 199.0f / 200.0f, 1.0e-3f);
    EXPECT_NEAR (out.getSample (0, 49 + 200), 1.0f, 1.0e-3f);
    EXPECT_FALSE (track.spliceFadeActive);
    EXPECT_EQ (track.spliceFadeCount, 200);
}

TEST (TapeTrackLoop, AnEmptyOrInvertedLoopIsIgnoredAndBackwardsPlayWrapsToTheEnd)
{
    auto track = makeTrack (1.0);
    track.setLoop (0.2, 0.1, true);
    track.setPositionSeconds (0.15);
    run (track, silence (4800), {});
    EXPECT_NEAR (track.getPositionSeconds(), 0.25, 1.0e-9);
    EXPECT_FALSE (track.spliceFadeActive);

    track.setLoop (0.1, 0.2, true);
    track.setPositionSeconds (0.1);
    run (track, silence (10), {-1.0});
    EXPECT_NEAR (track.position, 0.2 * rate - 10.0, 1.0e-6);
}

//==============================================================================
TEST (TapeTrackCopy, ACopyCarriesTheTapeTheDefectsAndEveryFilterState)
{
    auto original = makeTrack();
    applyBlockSettings (original, 2, 2.0f, 1.0f);
    original.setArmed (true);
    original.getHead().setNoiseAndAge (1.0f, 0.7f, 18000.0f, true);
    run (original, makeNoise (1, 24000, 0.3f), {1.0, 50.0f, true, 1});

    auto copy = original;
    EXPECT_EQ (copy.getAudio().getNumSamples(), original.getAudio().getNumSamples());

    const auto more = makeNoise (1, 4800, 0.3f, 7);
    const auto a = run (original, more, {1.0, 50.0f, true, 1});
    const auto b = run (copy, more, {1.0, 50.0f, true, 1});

    for (int i = 0; i < more.getNumSamples(); ++i)
        ASSERT_EQ (a.getSample (0, i), b.getSample (0, i)) << "sample " << i;

    copy.getAudio().clear();
    EXPECT_GT (tapeRms (original, 0.0, 0.5), 0.01);

    auto moved = std::move (copy);
    EXPECT_EQ (moved.getAudio().getNumSamples(), original.getAudio().getNumSamples());
    EXPECT_TRUE (moved.dirty.load());
}

//==============================================================================
TEST (TapeTrackMemory, ATapeThatDoesNotFitIsReportedAndLeavesAWorkingShortTape)
{
    // Runs in a child process, whose address space is capped just above what it uses.
    GTEST_FLAG_SET (death_test_style, "threadsafe");

    EXPECT_EXIT (
        {
            auto track = makeTrack (1.0);

            rlimit limit{};
            getrlimit (RLIMIT_AS, &limit);
            const auto used = juce::File ("/proc/self/statm").loadFileAsString().getLargeIntValue() * 4096;
            limit.rlim_cur = (rlim_t)(used + 256 * 1024 * 1024);
            setrlimit (RLIMIT_AS, &limit);

            const auto result = track.prepare (rate, 3600.0); // 691 MB
            const bool reported = result.failed() && result.getErrorMessage().contains ("memory");
            const bool shortTape = track.getAudio().getNumSamples() == TapeTrack::minimumLength;
            track.setArmed (true);
            const auto out = run (track, makeSine (1, 4800, 1000.0, rate, 0.1f), {1.0, 0.0f, true, 1});
            std::exit (reported && shortTape && allFinite (out) ? 0 : 1);
        },
        ::testing::ExitedWithCode (0), "");
}

//==============================================================================
namespace
{
/** The elastic write as a plain loop over its 17 taps, each with its own sines and cosines. */
void writeElasticByTheFormula (std::vector<float>& tape, double writePoint, float value, float gate, double speed)
{
    const auto length = (int)tape.size();
    const auto whole = (int)writePoint;
    const auto pi = juce::MathConstants<double>::pi;

    for (int k = 10; k < 30; ++k)
    {
        const auto index = speed < 0.0 ? whole - k : whole + k;

        if (index >= 0 && index < length)
            tape[(size_t)index] *= 1.0f - gate;
    }

    for (int j = -8; j <= 8; ++j)
    {
        auto index = (whole + j) % length;
        index += index < 0 ? length : 0;
        const auto t = j + (whole - writePoint);
        const auto sinc = std::abs (t) <= 1.0e-4 ? 1.0 : std::sin (pi * t) / (pi * t);
        const auto window = 0.42 + 0.5 * std::cos (2.0 * pi * t / 16.0) + 0.08 * std::cos (4.0 * pi * t / 16.0);
        tape[(size_t)index] += (float)(window * sinc) * value * (float)juce::jmin (std::abs (speed), 1.0);
    }
}
} // namespace

TEST (TapeTrackRecording, TheElasticWriteMatchesTheWindowedSincTapByTapAcrossTheWrap)
{
    // Varispeed and wow sweep the fractional write position through every phase, forwards
    // across the tape's end and backwards across its start, the record gate opening on the
    // way (2400 samples) and fully open when the write crosses the end of the tape.
    for (const double direction : {1.0, -1.0})
    {
        for (const bool blockwise : {false, true})
        {
            SCOPED_TRACE (juce::String (direction > 0.0 ? "forwards" : "backwards") +
                          (blockwise ? ", in runs" : ", sample by sample"));
            auto track = makeTrack (0.1);
            track.setArmed (true);
            const auto length = track.getAudio().getNumSamples();
            const auto n = 3600;
            const auto input = makeNoise (1, n, 0.3f, 9);

            // Settle the drive ramp with the tape standing, then record from well before the wrap.
            run (track, input, {0.0, 0.0f, false, 1});
            track.position = direction > 0.0 ? length - 3000.5 : 3000.25;
            auto head = track.getHead();
            juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> gate;
            gate.reset ((int)std::floor (rate * 0.05));
            // An earlier take on the tape, for the erase ahead of the write to clear.
            std::vector<float> expected ((size_t)length, 0.0f);
            juce::Random earlierTake (5);

            for (int i = 0; i < length; ++i)
            {
                expected[(size_t)i] = 0.2f * (2.0f * earlierTake.nextFloat() - 1.0f);
                track.getAudio().setSample (0, i, expected[(size_t)i]);
            }

            auto position = track.position;
            std::vector<double> speeds ((size_t)n);
            std::vector<float> out ((size_t)n);

            for (int i = 0; i < n; ++i)
            {
                speeds[(size_t)i] = direction * (1.0 + 0.3 * std::sin (i * 0.01) + 0.02 * std::sin (i * 0.3));
                const auto x = input.getSample (0, i);
                const auto recorded = head.recordSample (std::abs (x) > 1.0e-8f ? x : 0.0f, 1.0f, 1.0f);
                gate.setTargetValue (1.0f);
                const auto e = gate.getNextValue();

                if (e > 1.0e-4f)
                    writeElasticByTheFormula (expected, position, e * recorded, e, speeds[(size_t)i]);

                position += speeds[(size_t)i];
            }

            if (blockwise)
            {
                TapeTrack::RunSettings settings;
                settings.recording = true;
                settings.headGapMs = 2.5f;
                settings.monitorMode = 1;

                for (int start = 0; start < n; start += 256)
                    track.processBlock (input.getReadPointer (0, start), speeds.data() + start, out.data() + start,
                                        std::min (256, n - start), settings);
            }
            else
            {
                for (int i = 0; i < n; ++i)
                    track.process (input.getSample (0, i), speeds[(size_t)i], 2.5f, true, 1, 0, false, true, false,
                                   false);
            }

            const auto* tape = track.getAudio().getReadPointer (0);
            double written = 0.0;

            for (int i = 0; i < length; ++i)
            {
                ASSERT_NEAR (tape[i], expected[(size_t)i], 1.0e-6) << "tape sample " << i;
                written += std::abs (expected[(size_t)i]);
            }

            EXPECT_GT (written, 10.0);
            EXPECT_NEAR (track.position, position, 1.0e-9);
        }
    }
}

TEST (TapeTrackRecording, APunchInStartsFromTheStateTheInputLeftInTheRecordFilters)
{
    // A track armed only at the punch-in writes what a track armed all along writes: the record
    // filters ran on the input of both before recording started.
    for (const bool blockwise : {false, true})
    {
        SCOPED_TRACE (blockwise ? "in runs" : "sample by sample");
        auto armedAllAlong = makeTrack();
        applyBlockSettings (armedAllAlong, 2, 3.0f);
        auto punchedIn = armedAllAlong;
        armedAllAlong.setArmed (true);

        const auto input = makeNoise (1, 9600, 0.5f, 4);
        const auto recordFrom = 4800;
        std::vector<double> speeds (9600, 1.0);
        std::vector<float> out (9600);

        for (auto* track : {&armedAllAlong, &punchedIn})
        {
            for (int start = 0; start < input.getNumSamples(); start += 480)
            {
                const bool recording = start >= recordFrom;

                if (recording)
                    track->setArmed (true);

                if (blockwise)
                {
                    TapeTrack::RunSettings settings;
                    settings.recording = recording;
                    settings.monitorMode = 1;
                    settings.headGapMs = 2.5f;
                    track->processBlock (input.getReadPointer (0, start), speeds.data() + start, out.data() + start,
                                         480, settings);
                }
                else
                {
                    for (int i = start; i < start + 480; ++i)
                        track->process (input.getSample (0, i), 1.0, 2.5f, recording, 1, 0, false, true, false, false);
                }
            }
        }

        const auto* expected = armedAllAlong.getAudio().getReadPointer (0);
        const auto* actual = punchedIn.getAudio().getReadPointer (0);

        for (int i = 0; i < armedAllAlong.getAudio().getNumSamples(); ++i)
            ASSERT_NEAR (actual[i], expected[i], 1.0e-6f) << "tape sample " << i;

        EXPECT_GT (tapeRms (punchedIn, 0.1, 0.2), 0.01);
    }
}

//==============================================================================
TEST (TapeTrackBlock, ARunGivesExactlyWhatSampleBySampleProcessingGives)
{
    struct Case
    {
        const char* name;
        float age;
        bool loop, eqOn, eqBefore, mute, armed, recordInMiddle;
        int monitorMode;
        bool elastic, soundOnSound;
        int recordOffset;
        double direction;
    };

    const Case cases[] = {
        {"plain playback", 0.0f, false, false, false, false, false, false, 1, true, false, 0, 1.0},
        {"aged tape with painted defects and a loop", 0.7f, true, true, false, false, false, false, 1, true, false, 0,
         1.0},
        {"input monitoring, EQ before the tape, muted input", 0.3f, false, true, true, true, false, false, 0, true,
         false, 0, 1.0},
        {"armed track, recording in the middle", 0.5f, true, false, false, false, true, true, 1, true, false, 0, 1.0},
        {"recording with a latency offset, the write behind the play head", 0.5f, true, true, false, false, true,
         true, 1, true, false, 300, 1.0},
        {"recording backwards, sound on sound", 0.2f, true, false, false, false, true, true, 1, true, true, 40, -1.0},
        {"direct write under varispeed", 0.0f, false, false, false, false, true, true, 1, false, false, 0, 1.0},
        {"direct write backwards, sound on sound", 0.5f, true, false, true, false, true, true, 0, false, true, 0, -1.0},
        {"creeping backwards, across the slowest speed the head gap follows", 0.3f, false, false, false, false, false,
         false, 1, true, false, 0, -0.05},
    };

    // Both paths of the band bank: the eight bands in one wide register where the processor
    // has one, and in two narrow ones.
    for (const bool wide : {true, false})
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.name) + (wide ? ", wide registers" : ", narrow registers"));
        TapeHeadModel::setWideRegistersAllowed (wide);
        auto reference = makeTrack (2.0);
        applyBlockSettings (reference, 3, 2.5f, 1.0f);

        if (c.eqOn)
            reference.setEq (rate, 1.5f, 0.7f, 800.0f, 1.3f);

        reference.getHead().setNoiseAndAge (1.0f, c.age, 14000.0f, true);
        reference.getHead().paintSpot (0.3 * rate, 2, TapeDefectKind::flutter, 0.05f, 0.8f);
        reference.getHead().paintSpot (0.5 * rate, 5, TapeDefectKind::crinkle, 0.05f, 0.8f);
        reference.getHead().paintSpot (0.7 * rate, 0, TapeDefectKind::drag, 0.02f, 1.0f);
        reference.setLoop (0.25, 0.6, c.loop);
        reference.setArmed (c.armed);

        auto* tape = reference.getAudio().getWritePointer (0);
        juce::Random random (3);

        for (int i = 0; i < reference.getAudio().getNumSamples(); ++i)
            tape[i] = 0.3f * (2.0f * random.nextFloat() - 1.0f);

        reference.recordedLength = reference.getAudio().getNumSamples() - 1;
        auto blockwise = reference;

        const auto n = (int)(0.9 * rate);
        const auto input = makeNoise (1, n, 0.2f, 11);
        std::vector<double> speeds ((size_t)n);

        for (int i = 0; i < n; ++i)
            speeds[(size_t)i] = c.direction * (1.0 + 0.3 * std::sin (i * 0.0003) + (i > n / 2 ? -0.5 : 0.0));

        std::vector<float> expected ((size_t)n), actual ((size_t)n);

        // Runs of uneven length, with the head gap and the recording changing between runs, the
        // controls ramping from one run into the next, and later a hiss ramp without the noise
        // print (which steps the hiss twice per sample).
        for (int start = 0, run = 0; start < n; ++run)
        {
            const auto length = std::min (n - start, 300 + 137 * (run % 5));

            for (auto* track : {&reference, &blockwise})
            {
                if (run == 8)
                {
                    track->setOutputGain (0.6f);
                    track->setDrive (1.7f);
                    track->setTrim (1.3f);
                }

                if (run == 30)
                    track->getHead().setNoiseAndAge (0.4f, c.age, 14000.0f, false);
            }
            TapeTrack::RunSettings settings;
            settings.headGapMs = run % 2 == 0 ? 40.0f : 120.0f;
            settings.recording = c.recordInMiddle && run >= 20 && run < 25;
            settings.monitorMode = c.monitorMode;
            settings.muteInputMonitor = c.mute;
            settings.eqBeforeTape = c.eqBefore;
            settings.elasticWrite = c.elastic;
            settings.soundOnSound = c.soundOnSound;
            settings.recordOffsetSamples = c.recordOffset;

            for (int i = start; i < start + length; ++i)
                expected[(size_t)i] = reference.process (
                    input.getSample (0, i), speeds[(size_t)i], settings.headGapMs, settings.recording,
                    settings.monitorMode, settings.recordOffsetSamples, settings.muteInputMonitor, settings.elasticWrite,
                    settings.eqBeforeTape, settings.soundOnSound);

            blockwise.processBlock (input.getReadPointer (0, start), speeds.data() + start, actual.data() + start,
                                    length, settings);
            start += length;
        }

        for (int i = 0; i < n; ++i)
            ASSERT_EQ (expected[(size_t)i], actual[(size_t)i]) << "sample " << i;

        EXPECT_EQ (reference.position, blockwise.position);
        EXPECT_EQ (reference.lastOutput, blockwise.lastOutput);
        EXPECT_EQ (reference.meterLevel, blockwise.meterLevel);
        EXPECT_EQ (reference.getHead().wander, blockwise.getHead().wander);
        EXPECT_EQ (reference.getHead().random.getSeed(), blockwise.getHead().random.getSeed());
        EXPECT_EQ (reference.recordedLength, blockwise.recordedLength);
        EXPECT_GT (rms (input, 0), 0.0);

        const auto* expectedTape = reference.getAudio().getReadPointer (0);
        const auto* actualTape = blockwise.getAudio().getReadPointer (0);

        for (int i = 0; i < reference.getAudio().getNumSamples(); ++i)
            ASSERT_EQ (expectedTape[i], actualTape[i]) << "tape sample " << i;
    }

    TapeHeadModel::setWideRegistersAllowed (true);
}

TEST (TapeTrackBlock, ARecordingRunReadsWhatTheWritesBeforeEachSampleLeft)
{
    // A run may do its writes before its reads only where no read can reach a sample a later
    // write touches. Play heads close behind the record head and far behind it, with defects
    // that pull the read position back and forth (flutter, drag, dropouts all over the lanes),
    // in both directions: every run must give what sample-by-sample processing gives.
    struct Case
    {
        const char* name;
        float gapMs;
        int defects; // 0 none, 1 flutter and drag, 2 dropouts in every lane
        double direction;
        int recordOffset;
    };

    const Case cases[] = {
        {"play head 2.5 ms behind, clean tape", 2.5f, 0, 1.0, 0},
        {"play head 2.5 ms behind, flutter and drag", 2.5f, 1, 1.0, 0},
        {"play head 2.5 ms behind, dropouts", 2.5f, 2, 1.0, 0},
        {"play head 0.8 ms behind, flutter and drag", 0.8f, 1, 1.0, 0},
        {"play head 0.25 ms behind, flutter and drag", 0.25f, 1, 1.0, 0},
        {"play head at the record head", 0.0f, 0, 1.0, 0},
        {"backwards, 2.5 ms, flutter and drag", 2.5f, 1, -1.0, 0},
        {"backwards, 0.5 ms, clean", 0.5f, 0, -1.0, 0},
        {"backwards, 0.8 ms, dropouts", 0.8f, 2, -1.0, 0},
        {"write 100 samples behind the record head", 1.0f, 1, 1.0, 100},
    };

    for (const bool wide : {true, false})
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.name) + (wide ? ", wide registers" : ", narrow registers"));
        TapeHeadModel::setWideRegistersAllowed (wide);
        auto reference = makeTrack (1.0);
        applyBlockSettings (reference, 2, 2.0f, 1.0f);
        reference.setArmed (true);
        auto& head = reference.getHead();

        for (double at = 0.05; at < 0.95; at += 0.1)
        {
            if (c.defects == 1)
            {
                // Four lanes of flutter swing the read up to 40 samples either way.
                for (const int lane : {1, 3, 4, 5})
                    head.paintSpot (at * rate, lane, TapeDefectKind::flutter, 0.03f, 1.0f);

                head.paintSpot ((at + 0.05) * rate, 6, TapeDefectKind::drag, 0.02f, 1.0f);
            }
            else if (c.defects == 2)
            {
                for (int lane = 0; lane < TapeDefectCell::numLanes; ++lane)
                    head.paintSpot (at * rate, lane, TapeDefectKind::dropout, 0.04f, 1.0f);
            }
        }

        reference.setPositionSeconds (c.direction > 0.0 ? 0.1 : 0.9);
        auto blockwise = reference;

        const auto n = (int)(0.6 * rate);
        const auto input = makeNoise (1, n, 0.3f, 21);
        std::vector<double> speeds ((size_t)n);

        for (int i = 0; i < n; ++i)
            speeds[(size_t)i] = c.direction * (1.0 + 0.3 * std::sin (i * 0.0005) + 0.02 * std::sin (i * 0.3));

        std::vector<float> expected ((size_t)n), actual ((size_t)n);
        TapeTrack::RunSettings settings;
        settings.headGapMs = c.gapMs;
        settings.recording = true;
        settings.monitorMode = 1;
        settings.recordOffsetSamples = c.recordOffset;

        for (int start = 0; start < n; start += 512)
        {
            const auto length = std::min (512, n - start);

            for (int i = start; i < start + length; ++i)
                expected[(size_t)i] = reference.process (input.getSample (0, i), speeds[(size_t)i], c.gapMs, true, 1,
                                                         c.recordOffset, false, true, false, false);

            blockwise.processBlock (input.getReadPointer (0, start), speeds.data() + start, actual.data() + start,
                                    length, settings);
        }

        for (int i = 0; i < n; ++i)
            ASSERT_EQ (expected[(size_t)i], actual[(size_t)i]) << "sample " << i;

        const auto* expectedTape = reference.getAudio().getReadPointer (0);
        const auto* actualTape = blockwise.getAudio().getReadPointer (0);

        for (int i = 0; i < reference.getAudio().getNumSamples(); ++i)
            ASSERT_EQ (expectedTape[i], actualTape[i]) << "tape sample " << i;

        EXPECT_GT (rms (actual.data(), n), 0.01);
    }

    TapeHeadModel::setWideRegistersAllowed (true);
}

TEST (TapeTrackBlock, AGroupGivesEveryTrackExactlyWhatItsOwnRunGives)
{
    // Tracks of one group in every state the shared filter chains meet: the usual case side
    // by side, and tracks that leave it (a format with a flat section, a bandwidth ramp, a
    // loop's splice thump, a play head off the tape, a recording, a tape that is missing).
    struct Member
    {
        int format;
        float age;
        bool loop, recording, eq, noTape;
        double startSeconds;
    };

    const std::vector<std::vector<Member>> groups = {
        {{2, 0.0f, false, false, false, false, 0.5}, {3, 0.5f, false, false, true, false, 0.6},
         {2, 0.3f, true, false, false, false, 0.4}, {3, 0.0f, false, true, true, false, 0.7}},
        {{2, 0.2f, false, false, true, false, 0.5}, {0, 0.0f, false, false, false, false, 0.5},
         {3, 0.0f, false, false, false, false, 0.001}},
        {{3, 0.4f, false, false, false, false, 0.8}, {2, 0.0f, false, false, false, true, 0.5}},
    };

    for (size_t g = 0; g < groups.size(); ++g)
    {
        SCOPED_TRACE ("group " + juce::String ((int)g));
        const auto& members = groups[g];
        const auto count = (int)members.size();
        std::vector<TapeTrack> alone, together;

        for (const auto& m : members)
        {
            TapeTrack track;

            if (! m.noTape)
            {
                EXPECT_TRUE (track.prepare (rate, 2.0).wasOk());
                auto* tape = track.getAudio().getWritePointer (0);
                juce::Random random (17 + (int)alone.size());

                for (int i = 0; i < track.getAudio().getNumSamples(); ++i)
                    tape[i] = 0.3f * (2.0f * random.nextFloat() - 1.0f);

                track.recordedLength = track.getAudio().getNumSamples() - 1;
            }

            applyBlockSettings (track, m.format, 2.0f, 1.0f);
            track.getHead().setNoiseAndAge (1.0f, m.age, 12000.0f, true);

            if (m.eq)
                track.setEq (rate, 1.4f, 0.8f, 900.0f, 1.2f);

            track.setLoop (0.45, 0.55, m.loop);
            track.setArmed (m.recording);
            track.setPositionSeconds (m.startSeconds);
            alone.push_back (track);
            together.push_back (track);
        }

        const auto n = (int)(0.3 * rate);
        std::vector<juce::AudioBuffer<float>> inputs;
        std::vector<std::vector<float>> expected ((size_t)count, std::vector<float> ((size_t)n)),
            actual ((size_t)count, std::vector<float> ((size_t)n));

        for (int t = 0; t < count; ++t)
            inputs.push_back (makeNoise (1, n, 0.2f, 30 + t));

        std::vector<double> speeds ((size_t)n);

        for (int i = 0; i < n; ++i)
            speeds[(size_t)i] = 1.0 + 0.2 * std::sin (i * 0.001) + 0.01 * std::sin (i * 0.07);

        std::vector<TapeTrack::RunScratch> scratch (TapeTrack::maxGroup);

        // Runs of uneven length (some not a multiple of four), the bandwidth moving midway.
        for (int start = 0, run = 0; start < n; ++run)
        {
            const auto length = std::min (n - start, 97 + 61 * (run % 4));
            std::vector<TapeTrack::RunSettings> settings ((size_t)count);
            std::vector<TapeTrack*> group;
            std::vector<const float*> in;
            std::vector<float*> out;

            for (int t = 0; t < count; ++t)
            {
                auto& s = settings[(size_t)t];
                s.headGapMs = members[(size_t)t].recording ? 2.5f : 60.0f;
                s.recording = members[(size_t)t].recording && run >= 3;
                s.monitorMode = t % 2 == 0 ? 1 : 0;

                if (run == 10)
                {
                    alone[(size_t)t].getHead().setNoiseAndAge (1.0f, members[(size_t)t].age, 8000.0f, true);
                    together[(size_t)t].getHead().setNoiseAndAge (1.0f, members[(size_t)t].age, 8000.0f, true);
                }

                alone[(size_t)t].processBlock (inputs[(size_t)t].getReadPointer (0, start), speeds.data() + start,
                                               expected[(size_t)t].data() + start, length, s);
                group.push_back (&together[(size_t)t]);
                in.push_back (inputs[(size_t)t].getReadPointer (0, start));
                out.push_back (actual[(size_t)t].data() + start);
            }

            TapeTrack::processBlockGroup (group.data(), in.data(), speeds.data() + start, out.data(), settings.data(),
                                          count, length, scratch.data());
            start += length;
        }

        for (int t = 0; t < count; ++t)
        {
            SCOPED_TRACE ("track " + juce::String (t));

            for (int i = 0; i < n; ++i)
                ASSERT_EQ (expected[(size_t)t][(size_t)i], actual[(size_t)t][(size_t)i]) << "sample " << i;

            const auto& a = alone[(size_t)t];
            const auto& b = together[(size_t)t];
            EXPECT_EQ (a.position, b.position);
            EXPECT_EQ (a.lastOutput, b.lastOutput);
            EXPECT_EQ (a.meterLevel, b.meterLevel);
            EXPECT_EQ (a.getHead().bandwidthState, b.getHead().bandwidthState);
            EXPECT_EQ (a.getHead().formatHighShelf.v1, b.getHead().formatHighShelf.v1);
            EXPECT_EQ (a.getHead().deEmphasisFilter.v2, b.getHead().deEmphasisFilter.v2);
            EXPECT_EQ (a.getHead().bandwidth.getCurrentValue(), b.getHead().bandwidth.getCurrentValue());
            EXPECT_EQ (a.recordedLength, b.recordedLength);

            for (int i = 0; i < a.getAudio().getNumSamples(); ++i)
                ASSERT_EQ (a.getAudio().getSample (0, i), b.getAudio().getSample (0, i)) << "tape sample " << i;
        }

        EXPECT_GT (rms (juce::AudioBuffer<float> (std::vector<float*> {actual[0].data()}.data(), 1, n), 0), 0.001);
    }
}
