#include "bench/RealTimeFactor.h"

#include <juce_audio_basics/juce_audio_basics.h>

// The floor every engine figure is read against: a stereo block copied with a gain, which is
// about the least work a processing stage can do.
static void BM_BaselineGainCopy (benchmark::State& state)
{
    constexpr int blockSize = 512;
    constexpr double sampleRate = 48000.0;
    juce::AudioBuffer<float> source (2, blockSize), destination (2, blockSize);
    source.clear();
    source.setSample (0, 0, 1.0f);

    for (auto _ : state)
    {
        for (int ch = 0; ch < 2; ++ch)
            destination.copyFrom (ch, 0, source.getReadPointer (ch), blockSize, 0.5f);
        benchmark::DoNotOptimize (destination.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    setRealTimeFactor (state, blockSize, sampleRate);
}
BENCHMARK (BM_BaselineGainCopy);
