#include "bench/RealTimeFactor.h"
#include "effects/EqualizerEngine.h"
#include "effects/FetCompEngine.h"
#include "effects/LineAmplifier.h"
#include "effects/MultiModulatorEngine.h"
#include "effects/OptoCompEngine.h"
#include "effects/ReverbEngine.h"
#include "effects/TapeEchoEngine.h"

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_dsp/juce_dsp.h>

// Each engine runs as the processor runs it: parameters pushed, then one 512-sample stereo block
// processed in place at 48 kHz. The block is refilled with noise every iteration (that copy is
// timed too) so compressors and distortion keep seeing program material.

namespace
{
constexpr int blockSize = 512;
constexpr double sampleRate = 48000.0;

juce::AudioBuffer<float> makeNoiseBlock()
{
    juce::Random random (42);
    juce::AudioBuffer<float> buffer (2, blockSize);
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < blockSize; ++i)
            buffer.setSample (ch, i, 0.7f * (2.0f * random.nextFloat() - 1.0f));
    return buffer;
}

template <typename ProcessBlock> void runBlocks (benchmark::State& state, ProcessBlock&& processBlock)
{
    const auto source = makeNoiseBlock();
    juce::AudioBuffer<float> block (2, blockSize);

    for (auto _ : state)
    {
        for (int ch = 0; ch < 2; ++ch)
            block.copyFrom (ch, 0, source, ch, 0, blockSize);
        processBlock (block);
        benchmark::DoNotOptimize (block.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    setRealTimeFactor (state, blockSize, sampleRate);
}
} // namespace

// Argument: the algorithm, 1 Spring, 2 Plate, 3 Hall, 4 Dream.
static void BM_ReverbEngine (benchmark::State& state)
{
    ReverbEngine reverb;
    reverb.prepare (sampleRate);
    const int algorithm = (int)state.range (0);
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   reverb.setParameters (algorithm, 0.8f, 0.4f, 0.5f, 0.0f);
                   reverb.process (block);
               });
}
BENCHMARK (BM_ReverbEngine)->DenseRange (1, 4);

// Argument: the tape age, 1 Clean, 2 Worn, 3 Old (the wow and tone filter cost the most).
static void BM_TapeEchoEngine (benchmark::State& state)
{
    auto echo = makeTapeEchoEngine();
    echo->prepare (sampleRate);
    const int age = (int)state.range (0);
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   echo->setParameters (300.0f, 0.6f, age, 0.5f, 0.0f, false, 120.0, 0.5f);
                   echo->process (block);
               });
}
BENCHMARK (BM_TapeEchoEngine)->DenseRange (1, 3);

static void BM_OptoCompEngine (benchmark::State& state)
{
    OptoCompEngine opto;
    opto.prepare (sampleRate);
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   opto.setParameters (60.0f, 60.0f, OptoCompEngine::Compress);
                   opto.process (block);
               });
}
BENCHMARK (BM_OptoCompEngine);

static void BM_FetCompEngine (benchmark::State& state)
{
    FetCompEngine fet;
    fet.prepare (sampleRate);
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   fet.setParameters (12.0f, -3.0f, 0.2f, 300.0f, 2);
                   fet.process (block);
               });
}
BENCHMARK (BM_FetCompEngine);

// The framework's own compressor on the same blocks, as the yardstick for the two above: a
// -24 dB threshold at 4:1 with 1 ms attack and 100 ms release.
static void BM_JuceDspCompressor (benchmark::State& state)
{
    juce::dsp::Compressor<float> compressor;
    compressor.prepare ({sampleRate, (juce::uint32)blockSize, 2});
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   compressor.setThreshold (-24.0f);
                   compressor.setRatio (4.0f);
                   compressor.setAttack (1.0f);
                   compressor.setRelease (100.0f);
                   juce::dsp::AudioBlock<float> audioBlock (block);
                   compressor.process (juce::dsp::ProcessContextReplacing<float> (audioBlock));
               });
}
BENCHMARK (BM_JuceDspCompressor);

static void BM_LineAmplifier (benchmark::State& state)
{
    float gain = 1.0f;
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   setLineAmpGain (&gain, -4.5f);
                   block.applyGain (gain);
               });
}
BENCHMARK (BM_LineAmplifier);

static void BM_EqualizerEngine (benchmark::State& state)
{
    auto eq = makeEqualizerEngine();
    eq->sampleRate = sampleRate;
    const float gains[EqualizerEngine::numBands] = {4.0f, -3.0f, 6.0f, -2.0f, 3.0f};
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   for (int k = 0; k < EqualizerEngine::numBands; ++k)
                       eq->gainDb[(size_t)k] = gains[k];
                   eq->process (block);
               });
}
BENCHMARK (BM_EqualizerEngine);

// Argument: the effect, 0 Phaser, 1 Flanger, 2 Chorus, 3 ADT, 4 Distortion, 5 Vibrato, 6 Tremolo.
static void BM_MultiModulatorEngine (benchmark::State& state)
{
    auto multi = makeMultiModulatorEngine();
    multi->prepare (sampleRate);
    const int type = (int)state.range (0);
    runBlocks (state,
               [&] (juce::AudioBuffer<float>& block)
               {
                   multi->setParameters (type, 0.7f, 0.4f, false, 120.0);
                   multi->process (block);
               });
}
BENCHMARK (BM_MultiModulatorEngine)->DenseRange (0, 6);
