#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"

#include <benchmark/benchmark.h>

#include <sys/resource.h>

namespace
{
double peakResidentMegabytes()
{
    rusage usage{};
    getrusage (RUSAGE_SELF, &usage);
    return (double)usage.ru_maxrss / 1024.0; // kilobytes on Linux
}
} // namespace

// What an 8-track, 10-minute reel at 48 kHz costs the process once every sample of it has been
// recorded. Run it on its own (--benchmark_filter=ReelMemory), so that the peak is this reel's.
static void BM_ReelMemory8Tracks10Minutes (benchmark::State& state)
{
    const auto sandbox =
        juce::File::getSpecialLocation (juce::File::tempDirectory).getNonexistentChildFile ("dravin8-bench", {});
    const Platform::ScopedFolderOverride folders (sandbox.getChildFile ("user"), sandbox.getChildFile ("music"));
    const auto rawMegabytes = 8.0 * 600.0 * 48000.0 * sizeof (float) / (1024.0 * 1024.0);
    double before = 0.0, peak = 0.0;

    for (auto _ : state)
    {
        before = peakResidentMegabytes();
        TavrelDelayAudioProcessor processor;

        if (! processor.prepareReel (8, 600.0, 48000.0).wasOk())
        {
            state.SkipWithError (processor.reelError.toRawUTF8());
            break;
        }

        // A full reel: every sample of every track written.
        for (auto& track : processor.tracks)
        {
            auto& audio = track.getAudio();
            juce::FloatVectorOperations::fill (audio.getWritePointer (0), 0.1f, audio.getNumSamples());
            track.recordedLength = audio.getNumSamples() - 1;
        }

        peak = peakResidentMegabytes();
    }

    state.counters["rawMB"] = rawMegabytes;
    state.counters["peakRssMB"] = peak;
    state.counters["growthMB"] = peak - before;
    state.counters["overheadMB"] = peak - before - rawMegabytes;
    sandbox.deleteRecursively();
}
BENCHMARK (BM_ReelMemory8Tracks10Minutes)->Iterations (1)->Unit (benchmark::kMillisecond);
