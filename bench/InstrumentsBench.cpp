#include "bench/RealTimeFactor.h"
#include "instruments/MonoSynthEngine.h"
#include "instruments/PolySynthEngine.h"
#include "instruments/RhythmEngine.h"
#include "instruments/StageKeyboardEngine.h"
#include "instruments/TannerinEngine.h"

#include <juce_audio_basics/juce_audio_basics.h>

// Each built-in instrument rendering 512-sample stereo blocks at 48 kHz with every voice
// it has sounding and its costliest modulation switched on.
namespace
{
constexpr int blockSize = 512;
constexpr double sampleRate = 48000.0;

juce::MidiBuffer chord (int firstNote, int count, int spacing)
{
    juce::MidiBuffer midi;
    for (int i = 0; i < count; ++i)
        midi.addEvent (juce::MidiMessage::noteOn (1, firstNote + i * spacing, (juce::uint8)100), 0);
    return midi;
}

/** Argument "wide" 1 runs the AVX2 copies of the voice loops where the processor has them,
    0 the portable SSE2 loops every x86-64 processor runs. */
struct ScopedLoopChoice
{
    explicit ScopedLoopChoice (benchmark::State& state, int argument = 0)
    {
        const bool wide = state.range (argument) != 0;
        VoiceLanes::wideTargetAllowed() = wide;
        state.SetLabel (wide ? (VoiceLanes::hasWideTarget() ? "avx2" : "no avx2 here") : "sse2");
    }

    ~ScopedLoopChoice() { VoiceLanes::wideTargetAllowed() = true; }
};

template <typename RenderBlock>
void runEngine (benchmark::State& state, juce::MidiBuffer firstMidi, RenderBlock&& renderBlock)
{
    juce::AudioBuffer<float> buffer (2, blockSize);
    juce::MidiBuffer none;

    buffer.clear();
    renderBlock (buffer, firstMidi);

    for (auto _ : state)
    {
        buffer.clear();
        renderBlock (buffer, none);
        benchmark::DoNotOptimize (buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    setRealTimeFactor (state, blockSize, sampleRate);
}
} // namespace

static void BM_MonoSynthEngine (benchmark::State& state)
{
    auto engine = makeMonoSynthEngine();
    engine->prepare (sampleRate);
    engine->noiseMix = 0.5f;
    engine->lfoAmt = 0.5f;
    engine->lfoTarget = 0;
    engine->synthRes = 0.8f;

    runEngine (state, chord (36, 1, 0), [&] (auto& b, auto& m) { engine->renderNextBlock (b, m); });
}
BENCHMARK (BM_MonoSynthEngine);

static void BM_PolySynthEngine (benchmark::State& state)
{
    const ScopedLoopChoice loops (state);
    auto engine = makePolySynthEngine();
    engine->prepare (sampleRate);
    engine->noiseMix = 0.3f;
    engine->polyModOscBFreqA = 3.0f;
    engine->polyModFEnvFreqA = 2.0f;
    engine->polyModOscBFilter = 0.3f;
    engine->polyModOscBPW = 0.5f;
    engine->syncMode = true;
    engine->lfoAmt = 0.5f;
    engine->lfoTarget = 0;
    engine->osc1Wave = 1;

    runEngine (state, chord (48, PolySynthEngine::numVoices, 3),
               [&] (auto& b, auto& m) { engine->renderNextBlock (b, m); });

    if (engine->getNumSoundingVoices() != PolySynthEngine::numVoices)
        state.SkipWithError ("not every voice was sounding");
}
BENCHMARK (BM_PolySynthEngine)->Arg (1)->Arg (0);

static void BM_PolySynthEngineDefaultPatch (benchmark::State& state)
{
    auto engine = makePolySynthEngine();
    engine->prepare (sampleRate);

    runEngine (state, chord (48, PolySynthEngine::numVoices, 3),
               [&] (auto& b, auto& m) { engine->renderNextBlock (b, m); });

    if (engine->getNumSoundingVoices() != PolySynthEngine::numVoices)
        state.SkipWithError ("not every voice was sounding");
}
BENCHMARK (BM_PolySynthEngineDefaultPatch);

static void BM_RhythmEngine (benchmark::State& state)
{
    auto engine = makeRhythmEngine();
    engine->prepare (sampleRate);
    engine->rmSync = false;
    engine->playing = true;
    engine->rmBpm = 240.0f;

    for (auto& row : engine->steps)
        for (auto& cell : row)
            cell = true;

    for (auto& length : engine->voiceLength)
        length = 1.0f;

    runEngine (state, {}, [&] (auto& b, auto& m) { engine->renderNextBlock (b, m, 120.0, true); });
}
BENCHMARK (BM_RhythmEngine);

static void BM_TannerinEngine (benchmark::State& state)
{
    auto engine = makeTannerinEngine();
    engine->prepare (sampleRate);
    engine->waveShape = 1;
    engine->osc2Wave = 2;
    engine->lfoAmt = 0.5f;
    engine->lfoDelay = 100.0f;
    engine->lfoAttack = 100.0f;
    engine->synthEnvMod = 3000.0f;

    runEngine (state, chord (60, 1, 0), [&] (auto& b, auto& m) { engine->renderNextBlock (b, m); });
}
BENCHMARK (BM_TannerinEngine);

static void BM_StageKeyboardEngine (benchmark::State& state)
{
    const ScopedLoopChoice loops (state, 1);
    auto engine = makeStageKeyboardEngine();
    engine->prepare (sampleRate);
    engine->model = (int)state.range (0);
    engine->tremDepth = 0.5f;
    engine->bass = 0.5f;
    engine->treble = -0.3f;
    engine->drive = 0.5f;
    const auto label =
        juce::String (StageKeyboardEngine::getModelName (engine->model)) + (state.range (1) != 0 ? " avx2" : " sse2");
    state.SetLabel (label.toStdString());

    runEngine (state, chord (36, StageKeyboardEngine::numVoices, 2),
               [&] (auto& b, auto& m) { engine->renderNextBlock (b, m); });

    if (engine->getNumSoundingVoices() != StageKeyboardEngine::numVoices)
        state.SkipWithError ("not every voice was sounding");
}
BENCHMARK (BM_StageKeyboardEngine)
    ->ArgsProduct ({benchmark::CreateDenseRange (0, StageKeyboardEngine::numModels - 1, 1), {1, 0}});
