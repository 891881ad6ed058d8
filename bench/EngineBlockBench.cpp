#include "bench/RealTimeFactor.h"
#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "engine/tape/TapeHeadModel.h"
#include "platform/Platform.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 512;
constexpr double tapeSeconds = 20.0;

/** A whole console at work: every track of the reel running through the tape model (default
    wow, flutter, hiss and drive) and the console with its three-band EQ on, panned across the
    stereo field, sending to both aux returns (the built-in reverb and tape echo), out through
    the master. Playing back, each track plays its own recorded noise on tape monitoring;
    recording, each armed track records its own device input. The tape loops over its first
    15 seconds so that it never runs out. */
class BusyConsole
{
public:
    BusyConsole (int numTracks, bool recording, float age)
        : sandbox (
              juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("dravin8-bench", {})),
          folders (sandbox.getChildFile ("user"), sandbox.getChildFile ("music"))
    {
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        auto& p = *processor;
        p.prepareReel (numTracks, tapeSeconds, sampleRate);
        p.setRateAndBufferSizeDetails (sampleRate, blockSize);
        p.prepareToPlay (sampleRate, blockSize);

        using namespace ParameterIds;
        juce::Random random (1);

        for (int n = 1; n <= numTracks; ++n)
        {
            auto& track = p.tracks[(size_t)n - 1];
            auto* tape = track.getAudio().getWritePointer (0);

            for (int i = 0; i < track.getAudio().getNumSamples(); ++i)
                tape[i] = 0.25f * (2.0f * random.nextFloat() - 1.0f);

            track.recordedLength = track.getAudio().getNumSamples() - 1;
            track.setPositionSeconds (1.0);
            track.setArmed (recording);
            p.trackInputSources[(size_t)n - 1] = recording ? n - 1 : -1;

            set (forTrack (EQ_HIGH_, n), 1.2f);
            set (forTrack (EQ_MID_GAIN_, n), 0.9f);
            set (forTrack (EQ_MID_FREQ_, n), 1200.0f);
            set (forTrack (EQ_LOW_, n), 1.1f);
            set (forTrack (AUX1_, n), 0.3f);
            set (forTrack (AUX2_, n), 0.2f);
            set (forTrack (PAN_, n), -1.0f + 2.0f * (float)(n - 1) / (float)juce::jmax (1, numTracks - 1));
            set (forTrack (VOL_, n), 0.8f);
            set (forTrack (MON_, n), recording ? 0.0f : 1.0f);
        }

        set (AGE, age);
        p.aux1BuiltIn = 1;
        p.aux2BuiltIn = 2;
        p.loopIn = 0.0;
        p.loopOut = 15.0;
        p.loopEnabled = true;
        p.transportState =
            recording ? TavrelDelayAudioProcessor::transportRecord : TavrelDelayAudioProcessor::transportPlay;
        p.speedSmoother.setCurrentAndTargetValue (1.0f);

        input.setSize (TavrelDelayAudioProcessor::maxTracks, blockSize);

        for (int ch = 0; ch < input.getNumChannels(); ++ch)
            for (int i = 0; i < blockSize; ++i)
                input.setSample (ch, i, recording ? 0.3f * (2.0f * random.nextFloat() - 1.0f) : 0.0f);

        buffer.makeCopyOf (input);

        // Past the fade-in and up to speed.
        for (int b = 0; b < 100; ++b)
            processBlock();
    }

    ~BusyConsole()
    {
        processor.reset();
        sandbox.deleteRecursively();
    }

    void processBlock()
    {
        // The device hands over its inputs every block.
        for (int ch = 0; ch < input.getNumChannels(); ++ch)
            buffer.copyFrom (ch, 0, input, ch, 0, blockSize);

        processor->processBlock (buffer, midi);
    }

    TavrelDelayAudioProcessor& getProcessor() { return *processor; }

private:
    void set (const juce::String& id, float value)
    {
        auto* parameter = processor->parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    juce::File sandbox;
    Platform::ScopedFolderOverride folders;
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
    juce::AudioBuffer<float> input, buffer;
    juce::MidiBuffer midi;
};
} // namespace

// The engine's headline figure: the whole block callback for a reel at 48 kHz in 512-sample
// blocks, on one core. Arguments: the number of tracks, whether they all record (1) or play
// back (0), and the tape age in hundredths ("AGE" 0.5: 400 defect spots on every track).
static void BM_ConsoleBlock (benchmark::State& state)
{
    BusyConsole console ((int)state.range (0), state.range (1) != 0, (float)state.range (2) / 100.0f);

    for (auto _ : state)
    {
        console.processBlock();
        benchmark::ClobberMemory();
    }

    setRealTimeFactor (state, blockSize, sampleRate);
    state.counters["loadPercent"] = console.getProcessor().cpuLoadPercent.load();
}
BENCHMARK (BM_ConsoleBlock)
    ->ArgNames ({"tracks", "recording", "age"})
    ->Args ({24, 0, 0})
    ->Args ({24, 0, 50})
    ->Args ({8, 0, 0})
    ->Args ({24, 1, 0})
    ->Unit (benchmark::kMicrosecond);

// The same block with the tape read's band bank kept to narrow registers, so that the wide
// path can be compared with it in one run.
static void BM_ConsoleBlockNarrowBank (benchmark::State& state)
{
    TapeHeadModel::setWideRegistersAllowed (false);
    BM_ConsoleBlock (state);
    TapeHeadModel::setWideRegistersAllowed (true);
}
BENCHMARK (BM_ConsoleBlockNarrowBank)
    ->ArgNames ({"tracks", "recording", "age"})
    ->Args ({24, 0, 0})
    ->Args ({24, 0, 50})
    ->Unit (benchmark::kMicrosecond);
