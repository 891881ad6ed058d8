#include "engine/tape/TapeTrack.h"
#include "platform/Platform.h"
#include "storage/ReelLibrary.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>
#include <juce_audio_processors/juce_audio_processors.h>

#include <cmath>

namespace
{
// An 8-track, 10-minute reel at 48 kHz, every track recorded to the end: the largest save of
// that reel (8 track files of 57.6 MB and the defect map).
constexpr int numTracks = 8;
constexpr double rate = 48000.0;
constexpr double seconds = 600.0;

struct BenchProcessor : juce::AudioProcessor
{
    BenchProcessor() : state (*this, nullptr, "PARAMETERS", {}) {}
    const juce::String getName() const override { return {}; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return false; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

    juce::AudioProcessorValueTreeState state;
};

struct BenchReel
{
    TempDir temp{"dravin8-reelbench"};
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    ReelLibrary library;
    BenchProcessor processor;
    std::vector<TapeTrack> tracks;

    BenchReel()
    {
        tracks.resize (numTracks);
        juce::Random random (3);

        for (size_t t = 0; t < tracks.size(); ++t)
        {
            auto& track = tracks[t];
            track.prepare (rate, seconds);
            auto* samples = track.getAudio().getWritePointer (0);
            const auto n = track.getAudio().getNumSamples();

            for (int i = 0; i < n; ++i)
                samples[i] = 0.3f * std::sin (0.0575f * (float)(i % 100000) * (float)(t + 1)) +
                             0.01f * (random.nextFloat() - 0.5f);

            track.recordedLength = n;
            track.dirty = true;
        }
    }

    juce::int64 trackBytes() const { return numTracks * (104 + 2 * (juce::int64) (rate * seconds)); }
};

void setMegabytesPerSecond (benchmark::State& state, juce::int64 bytes)
{
    state.counters["MB/s"] =
        benchmark::Counter ((double)bytes * (double)state.iterations() / 1.0e6, benchmark::Counter::kIsRate);
}

void BM_ReelFolderSave (benchmark::State& state)
{
    BenchReel reel;

    for (auto _ : state)
    {
        const auto result =
            reel.library.writeReel ("Bench", reel.tracks, reel.processor.state, 0.0, 0.0, rate, nullptr, nullptr, 2);

        if (result.failed())
            state.SkipWithError (result.getErrorMessage().toRawUTF8());
    }

    setMegabytesPerSecond (state, reel.trackBytes());
}

void BM_ReelFolderLoad (benchmark::State& state)
{
    BenchReel reel;
    reel.library.writeReel ("Bench", reel.tracks, reel.processor.state, 0.0, 0.0, rate, nullptr, nullptr, 0);

    for (auto _ : state)
    {
        double position = 0.0, zero = 0.0;
        std::unique_ptr<juce::XmlElement> rack, automation;
        benchmark::DoNotOptimize (reel.library.readReel ("Bench", reel.tracks, reel.processor.state, rate, position,
                                                         zero, rack, automation, 0));
    }

    setMegabytesPerSecond (state, reel.trackBytes());
}

// The same bytes written plainly, one file a track, flushed to the disk: the disk's own pace.
void BM_PlainSequentialWrite (benchmark::State& state)
{
    BenchReel reel;
    const auto perTrack = (size_t)(reel.trackBytes() / numTracks);
    juce::HeapBlock<char> bytes (perTrack, true);

    for (auto _ : state)
    {
        for (int t = 0; t < numTracks; ++t)
        {
            const auto file = reel.temp.getFile().getChildFile ("plain_" + juce::String (t));
            file.deleteFile();
            juce::FileOutputStream out (file, 1 << 20);
            out.write (bytes, perTrack);
            out.flush();
        }
    }

    setMegabytesPerSecond (state, reel.trackBytes());
}
} // namespace

BENCHMARK (BM_ReelFolderSave)->Unit (benchmark::kMillisecond)->Iterations (3)->UseRealTime();
BENCHMARK (BM_ReelFolderLoad)->Unit (benchmark::kMillisecond)->Iterations (3)->UseRealTime();
BENCHMARK (BM_PlainSequentialWrite)->Unit (benchmark::kMillisecond)->Iterations (3)->UseRealTime();
