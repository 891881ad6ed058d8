#include "bench/RealTimeFactor.h"
#include "engine/tape/TapeTrack.h"
#include "engine/tape/TapeTransportModel.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
constexpr int numTracks = 24;
constexpr double tapeSeconds = 20.0;

/** 24 tracks with recorded noise, an aged tape (400 defect spots per track), the home format
    with hiss, and the console EQ after the tape: the whole playback path of every track. */
std::vector<TapeTrack> makePlayingReel()
{
    std::vector<TapeTrack> tracks ((size_t)numTracks);
    juce::Random random (1);

    for (auto& track : tracks)
    {
        track.prepare (sampleRate, tapeSeconds);
        auto* tape = track.getAudio().getWritePointer (0);

        for (int i = 0; i < track.getAudio().getNumSamples(); ++i)
            tape[i] = 0.25f * (2.0f * random.nextFloat() - 1.0f);

        track.recordedLength = track.getAudio().getNumSamples() - 1;
        track.setPositionSeconds (1.0); // past the head gap: the play head reads tape from the start
    }

    return tracks;
}
/** Times renderBlock after half a second of it, so that the ramps and envelopes have
    settled as in a running reel. */
template <typename RenderBlock> void runSettled (benchmark::State& state, RenderBlock&& renderBlock)
{
    for (int block = 0; block < (int)(0.5 * sampleRate) / blockSize; ++block)
        renderBlock();

    for (auto _ : state)
        renderBlock();

    setRealTimeFactor (state, blockSize, sampleRate);
}
} // namespace

// All 24 tracks of a reel playing back through the full tape model at 48 kHz, with the speed
// wandering slightly around 1 so that every read interpolates between samples. The arguments
// set the tape age (0: a new tape, the default; 50: AGE 0.5, 400 defect spots on every track),
// switch the console EQ of every track on (1) or leave it flat (0, the default), and choose how
// the tracks are run: sample by sample through process() (0), or (1) as a block stage runs
// them, track 1 sample by sample beside the mechanics (its drag moves the tension arm) and the
// other 23 through processBlock() with the block's speeds.
static void BM_TapeTracksPlayback24 (benchmark::State& state)
{
    const auto age = (float)state.range (0) / 100.0f;
    const bool consoleEq = state.range (1) != 0;
    const bool blockwise = state.range (2) != 0;
    auto tracks = makePlayingReel();
    std::vector<float> outputs ((size_t)numTracks);
    std::vector<float> silence ((size_t)blockSize, 0.0f), output ((size_t)blockSize);
    std::vector<double> speeds ((size_t)blockSize);
    TapeTrack::RunSettings settings;
    settings.headGapMs = 200.0f;
    settings.monitorMode = 1;
    const int format = 2;
    double time = 0.0;

    const auto renderBlock = [&]
    {
        const juce::ScopedNoDenormals noDenormals; // as the block callback runs

        for (int t = 0; t < numTracks; ++t)
        {
            auto& track = tracks[(size_t)t];
            track.setOutputGain (1.0f);
            track.setTrim (1.0f);
            if (consoleEq)
                track.setEq (sampleRate, 1.2f, 0.9f, 1200.0f, 1.1f);
            else
                track.setEq (sampleRate, 1.0f, 1.0f, 1000.0f, 1.0f);

            track.setLoop (0.0, tapeSeconds - 1.0, true);
            track.getHead().setNoiseAndAge (0.5f * TapeTransportModel::getFormatHissFactor (format) / 0.00015f, age,
                                            TapeTransportModel::getFormatBandwidth (format), true);
            track.getHead().setHeadBump (60.0f);
            track.getHead().setFormat (format);
            track.setDrive (2.0f);
        }

        for (int i = 0; i < blockSize; ++i)
        {
            const auto speed = 1.0 + 0.002 * std::sin (time);
            time += 0.0005;
            speeds[(size_t)i] = speed;

            for (int t = 0; t < (blockwise ? 1 : numTracks); ++t)
                outputs[(size_t)t] =
                    tracks[(size_t)t].process (0.0f, speed, 200.0f, false, 1, 0, false, true, false, false);
        }

        if (blockwise)
        {
            for (int t = 1; t < numTracks; ++t)
            {
                tracks[(size_t)t].processBlock (silence.data(), speeds.data(), output.data(), blockSize, settings);
                outputs[(size_t)t] = output.back();
            }
        }

        benchmark::DoNotOptimize (outputs.data());
    };

    runSettled (state, renderBlock);
}
BENCHMARK (BM_TapeTracksPlayback24)
    ->ArgNames ({"age", "consoleEq", "blockwise"})
    ->ArgsProduct ({{0, 50}, {0, 1}, {0, 1}})
    ->Unit (benchmark::kMillisecond);

// One track, as the block stage runs every track but the first: a playing track (tape
// monitoring, recorded noise on the tape) against the same track armed and recording its
// input through the elastic write, with the speed wandering around 1 as wow and flutter move
// it. Argument: recording (1) or playing (0). The ratio of the two is the cost of recording.
static void BM_TapeTrack (benchmark::State& state)
{
    const bool recording = state.range (0) != 0;
    auto tracks = makePlayingReel();
    auto& track = tracks.front();
    track.setArmed (recording);

    juce::Random random (7);
    std::vector<float> input ((size_t)blockSize), output ((size_t)blockSize);

    for (auto& sample : input)
        sample = 0.3f * (2.0f * random.nextFloat() - 1.0f);

    // The speeds of 64 blocks, worked out beforehand so that the sines are not timed.
    constexpr int numSpeedBlocks = 64;
    std::vector<double> speedTable ((size_t)(numSpeedBlocks * blockSize));

    for (size_t i = 0; i < speedTable.size(); ++i)
        speedTable[i] = 1.0 + 0.002 * std::sin ((double)i * 0.0005) + 0.0005 * std::sin ((double)i * 0.0185);

    int speedBlock = 0;

    TapeTrack::RunSettings settings;
    settings.headGapMs = recording ? 2.5f : 200.0f; // what the block stage gives an armed track in record
    settings.recording = recording;
    settings.monitorMode = recording ? 0 : 1;
    const int format = 2;

    const auto renderBlock = [&]
    {
        const juce::ScopedNoDenormals noDenormals;
        track.setOutputGain (1.0f);
        track.setTrim (1.0f);
        track.setEq (sampleRate, 1.2f, 0.9f, 1200.0f, 1.1f);
        track.setLoop (0.0, tapeSeconds - 1.0, true);
        track.getHead().setNoiseAndAge (0.5f * TapeTransportModel::getFormatHissFactor (format) / 0.00015f, 0.0f,
                                        TapeTransportModel::getFormatBandwidth (format), true);
        track.getHead().setHeadBump (60.0f);
        track.getHead().setFormat (format);
        track.setDrive (2.0f);

        const auto* blockSpeeds = speedTable.data() + (size_t)(speedBlock * blockSize);
        speedBlock = (speedBlock + 1) % numSpeedBlocks;

        track.processBlock (input.data(), blockSpeeds, output.data(), blockSize, settings);
        benchmark::DoNotOptimize (output.data());
    };

    runSettled (state, renderBlock);
}
BENCHMARK (BM_TapeTrack)->ArgName ("recording")->Arg (0)->Arg (1);
