#include "instruments/StageKeyboardEngine.h"

using namespace VoiceHelpers;

namespace
{
constexpr float invTwoPi = 1.0f / twoPi;
} // namespace

const char* StageKeyboardEngine::getModelName (int modelIndex) noexcept
{
    static constexpr const char* names[numModels] = {"RHODES",   "WURLI",     "TACK PIANO",
                                                     "FM PIANO", "TONEWHEEL", "TRANSISTOR"};
    return juce::isPositiveAndBelow (modelIndex, numModels) ? names[modelIndex] : "";
}

StageKeyboardEngine::StageKeyboardEngine()
{
    random.setSeedRandomly();
    laneNoise.seed ((std::uint32_t)random.nextInt());
}

std::unique_ptr<StageKeyboardEngine> makeStageKeyboardEngine()
{
    return std::make_unique<StageKeyboardEngine>();
}

void StageKeyboardEngine::clampSettings() noexcept
{
    model = clampSetting (model, 0, numModels - 1, 0);
    masterVol = clampSetting (masterVol, 0.0f, 2.0f, 1.0f);
    drive = clampSetting (drive, 0.0f, 1.0f, 0.0f);
    bass = clampSetting (bass, -1.0f, 1.0f, 0.0f);
    treble = clampSetting (treble, -1.0f, 1.0f, 0.0f);
    tremRate = clampSetting (tremRate, 0.1f, 15.0f, 4.0f);
    tremDepth = clampSetting (tremDepth, 0.0f, 1.0f, 0.0f);
}

void StageKeyboardEngine::prepare (double newSampleRate) noexcept
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;

    for (auto& voice : voices)
    {
        voice.state = StageKeyboardVoice::idle;
        voice.note = -1;
        voice.held = false;
    }

    tremPhase = 0.0f;
    lowBand = 0.0f;
    highSplit = 0.0f;
}

int StageKeyboardEngine::getNumSoundingVoices() const noexcept
{
    int count = 0;

    for (const auto& voice : voices)
        if (voice.state != StageKeyboardVoice::idle)
            ++count;

    return count;
}

void StageKeyboardEngine::releaseVoice (StageKeyboardVoice& voice) noexcept
{
    voice.state = StageKeyboardVoice::released;
    voice.releaseTime = 0.0f;
    voice.releaseSamples = 0;
}

void StageKeyboardEngine::startNote (int note, int velocity127) noexcept
{
    StageKeyboardVoice* chosen = nullptr;

    for (auto& voice : voices)
    {
        if (voice.state == StageKeyboardVoice::idle)
        {
            chosen = &voice;
            break;
        }
    }

    if (chosen == nullptr)
    {
        for (auto& voice : voices)
        {
            if (voice.state == StageKeyboardVoice::released)
            {
                chosen = &voice;
                break;
            }
        }
    }

    if (chosen == nullptr)
    {
        // Every voice held: take the one that has sounded longest.
        chosen = &voices[0];

        for (auto& voice : voices)
            if (voice.age > chosen->age)
                chosen = &voice;
    }

    auto& voice = *chosen;
    voice.note = note;
    voice.held = true;
    voice.velocity = (float)velocity127 / 127.0f;
    voice.frequency = noteToFrequency (note);
    voice.state = StageKeyboardVoice::on;
    voice.age = 0.0f;
    voice.ageSamples = 0;
    std::fill (std::begin (voice.modelPhases), std::end (voice.modelPhases), 0.0f);
    std::fill (std::begin (voice.phaseCycles), std::end (voice.phaseCycles), 0.0f);
}

void StageKeyboardEngine::stopNote (int note) noexcept
{
    for (auto& voice : voices)
    {
        if (voice.note != note || ! voice.held)
            continue;

        voice.held = false;

        if (! sustainPedal && voice.state == StageKeyboardVoice::on)
            releaseVoice (voice);
    }
}

void StageKeyboardEngine::handleMidiEvent (const MidiEvent& event) noexcept
{
    applyMidiEvent (
        event, pitchBend, modWheel, sustainPedal, [this] (int note, int velocity127) { startNote (note, velocity127); },
        [this] (int note) { stopNote (note); },
        [this]
        {
            for (auto& voice : voices)
                if (voice.state == StageKeyboardVoice::on && ! voice.held)
                    releaseVoice (voice);
        },
        [this]
        {
            sustainPedal = false;

            for (auto& voice : voices)
            {
                voice.held = false;

                if (voice.state == StageKeyboardVoice::on)
                    releaseVoice (voice);
            }
        });
}

template <int ModelIndex>
VOICE_LANES_INLINE void StageKeyboardEngine::renderVoiceGroup (const int* voiceIndices, int numLanes, float bendFactor,
                                                               int count) noexcept
{
    using namespace VoiceLanes;
    using Voice = StageKeyboardVoice;

    constexpr bool organ = ModelIndex == tonewheel || ModelIndex == transistor;
    const float invSampleRate = (float)(1.0 / sampleRate);

    // Gather up to four voices into lanes. Unused lanes have no level and die at once.
    Float inc{}, v{}, age{}, t1{}, t2{}, t3{}, t4{}, t5{}, noiseState{};
    Float rate1{}, rate2{}, releaseLevel{}, releaseStep{};
    Int releasing{}, alive{}; // unused lanes are neither alive nor releasing, and add nothing

    const float releaseRate = organ ? 50.0f : 12.0f;

    for (int lane = 0; lane < numLanes; ++lane)
    {
        const auto& voice = voices[voiceIndices[lane]];
        const float k = juce::jmax (voice.frequency / 300.0f, 0.5f); // higher notes decay faster

        inc[lane] = voice.frequency * bendFactor * invSampleRate; // cycles per sample
        v[lane] = voice.velocity;
        age[lane] = (float)voice.ageSamples * invSampleRate;
        t1[lane] = voice.phaseCycles[0];
        t2[lane] = voice.phaseCycles[1];
        t3[lane] = voice.phaseCycles[2];
        t4[lane] = voice.phaseCycles[3];
        t5[lane] = voice.phaseCycles[4];
        noiseState[lane] = voice.noiseState;
        alive[lane] = -1;
        releasing[lane] = voice.state == Voice::released ? -1 : 0;
        releaseLevel[lane] = voice.state == Voice::released
                                 ? std::exp (-releaseRate * (float)voice.releaseSamples * invSampleRate)
                                 : 1.0f;

        // The models' own envelopes, all functions of the voice's age.
        rate1[lane] = ModelIndex == rhodes      ? 0.8f * k
                      : ModelIndex == wurli     ? 1.5f * k
                      : ModelIndex == tackPiano ? 0.6f * k
                      : ModelIndex == fmPiano   ? 0.7f * k
                                                : 200.0f;
        rate2[lane] = ModelIndex == rhodes      ? 10.0f
                      : ModelIndex == wurli     ? 5.0f
                      : ModelIndex == tackPiano ? 30.0f
                      : ModelIndex == fmPiano   ? 3.0f * k
                                                : 0.0f;
    }

    releaseStep = splat (std::exp (-releaseRate * invSampleRate));

    // Exponential decays stepped per sample by multiplication.
    Float env1 = VoiceLanes::exp (-rate1 * age), env2 = VoiceLanes::exp (-rate2 * age);
    const Float step1 = VoiceLanes::exp (-rate1 * invSampleRate), step2 = VoiceLanes::exp (-rate2 * invSampleRate);
    const Float level = ModelIndex == tonewheel || ModelIndex == transistor ? 0.5f * v + 0.5f : v;

    int lastAlive[width] = {count, count, count, count};
    const float chunkSeconds = (float)count * invSampleRate;
    const bool anyReleasing = laneBits (releasing) != 0;
    const bool anyAttacking = laneBits (age < 0.005f) != 0;
    const bool anyClicking = ModelIndex == tonewheel && laneBits (age < 0.015f + chunkSeconds) != 0;

    for (int i = 0; i < count; ++i)
    {
        const Float a = age + (float)i * invSampleRate;

        // Level: a 5 ms attack ramp while on; the release curve while released, ending
        // the voice when it falls below 0.001.
        Float gain = anyAttacking ? min (a * 200.0f, splat (1.0f)) : splat (1.0f);

        if (anyReleasing)
        {
            const Int ended = releasing & (releaseLevel < 0.001f);

            if (const int bits = laneBits (ended & alive); bits != 0)
                for (int lane = 0; lane < width; ++lane)
                    if ((bits & (1 << lane)) != 0)
                        lastAlive[lane] = i;

            alive &= ~ended;
            gain = select (releasing, releaseLevel, gain);
            releaseLevel *= select (releasing, releaseStep, splat (1.0f));
        }

        Float raw;

        if constexpr (ModelIndex == rhodes)
        {
            t1 = advancePhase (t1, inc);
            t2 = wrapPositive (t2 + 14.0f * inc);
            const Float index = (2.0f * v + 0.5f) * env1 * invTwoPi;
            raw = (sinCycles (t1 + index * sinCycles (2.0f * t1)) * env1 + 0.5f * v * env2 * sinCycles (t2)) * v;
        }
        else if constexpr (ModelIndex == wurli)
        {
            t1 = advancePhase (t1, inc);
            t2 = wrapPositive (t2 + 2.0f * inc);
            const Float index = (2.5f * v * env2 + 0.8f) * invTwoPi;
            const Float x = sinCycles (t1 + index * sinCycles (t2));
            raw = env1 * (x + 0.4f * x * x) * v;
        }
        else if constexpr (ModelIndex == tackPiano)
        {
            t1 = advancePhase (t1, inc);
            t2 = wrapPositive (t2 + 1.0025f * inc);
            t3 = advancePhase (t3, 0.9975f * inc);
            t4 = wrapPositive (t4 + 12.5f * inc);
            noiseState = 0.5f * noiseState + 0.5f * laneNoise.next();
            const Float h = sinCycles (2.0f * t1) * (v + 0.5f) * invTwoPi;
            const Float body = (sinCycles (h + t2) + sinCycles (h + t1) + sinCycles (h + t3)) * 0.33f * env1;
            const Float knock = sinCycles (noiseState * (3.0f * invTwoPi) + t4) * env2 * 1.5f;
            raw = (body + knock) * v;
        }
        else if constexpr (ModelIndex == fmPiano)
        {
            t1 = advancePhase (t1, inc);
            t2 = wrapPositive (t2 + 14.0f * inc);
            t3 = wrapPositive (t3 + 1.001f * inc);
            const Float u = 3.0f * env1 * sinCycles (t1 + 2.0f * v * env2 * invTwoPi * sinCycles (t2)) * invTwoPi;
            raw = (sinCycles (u + t3) + sinCycles (u + t1)) * 0.5f * env1 * v;
        }
        else if constexpr (ModelIndex == tonewheel)
        {
            t1 = advancePhase (t1, 0.5f * inc);
            t2 = advancePhase (t2, inc);
            t3 = wrapPositive (t3 + 1.4983f * inc);
            t4 = wrapPositive (t4 + 2.0f * inc);
            t5 = wrapPositive (t5 + 2.9966f * inc);
            const Float drawbars = 0.8f * sinCycles (t1) + sinCycles (t2) + 0.6f * sinCycles (t3) +
                                   0.5f * sinCycles (t4) + 0.4f * sinCycles (t5);
            const Float click = anyClicking ? keepWhere (a < 0.015f, env1 * laneNoise.next() * 0.06f) : Float{};
            raw = (0.3f * drawbars + click) * level;
        }
        else // transistor
        {
            t1 = advancePhase (t1, inc);
            t2 = wrapPositive (t2 + 2.0f * inc);
            t3 = wrapPositive (t3 + 3.0f * inc);

            // sin 3x and sin 5x from sin x (exact identities, four sine evaluations fewer)
            const Float s1 = sinCycles (t1), sB = sinCycles (t2);
            const Float q1 = s1 * s1, qB = sB * sB;
            const Float s13 = s1 * (3.0f - 4.0f * q1);
            const Float s15 = s1 * (5.0f + q1 * (-20.0f + 16.0f * q1));
            const Float sB3 = sB * (3.0f - 4.0f * qB);
            const Float harmonics = s1 + 0.33f * s13 + 0.2f * s15 + 0.7f * (sB + 0.33f * sB3);
            raw = (harmonics + 0.4f * sinCycles (t3)) * 0.3f * level;
        }

        env1 *= step1;
        env2 *= step2;
        mixSum[i] += sum (keepWhere (alive, gain * raw));
    }

    for (int lane = 0; lane < numLanes; ++lane)
    {
        auto& voice = voices[voiceIndices[lane]];
        voice.ageSamples += lastAlive[lane];
        voice.age = (float)((double)voice.ageSamples / sampleRate);
        voice.phaseCycles[0] = t1[lane];
        voice.modelPhases[0] = t1[lane] * twoPi;
        voice.phaseCycles[1] = t2[lane];
        voice.modelPhases[1] = t2[lane] * twoPi;
        voice.phaseCycles[2] = t3[lane];
        voice.modelPhases[2] = t3[lane] * twoPi;
        voice.phaseCycles[3] = t4[lane];
        voice.modelPhases[3] = t4[lane] * twoPi;
        voice.phaseCycles[4] = t5[lane];
        voice.modelPhases[4] = t5[lane] * twoPi;
        voice.noiseState = noiseState[lane];

        if (voice.state == Voice::released)
        {
            voice.releaseSamples += lastAlive[lane];
            voice.releaseTime = (float)((double)voice.releaseSamples / sampleRate);

            if (alive[lane] == 0)
                voice.state = Voice::idle;
        }
    }
}

// Inlined into both the baseline and the wide-target caller, so each compiles the groups
// with its own instruction set.
VOICE_LANES_INLINE void StageKeyboardEngine::renderInGroups (int modelIndex, const int* voiceIndices, int numSounding,
                                                             float bendFactor, int count) noexcept
{
    for (int first = 0; first < numSounding; first += VoiceLanes::width)
    {
        const int* group = voiceIndices + first;
        const int lanes = juce::jmin (VoiceLanes::width, numSounding - first);

        switch (modelIndex)
        {
            case rhodes:
                renderVoiceGroup<rhodes> (group, lanes, bendFactor, count);
                break;
            case wurli:
                renderVoiceGroup<wurli> (group, lanes, bendFactor, count);
                break;
            case tackPiano:
                renderVoiceGroup<tackPiano> (group, lanes, bendFactor, count);
                break;
            case fmPiano:
                renderVoiceGroup<fmPiano> (group, lanes, bendFactor, count);
                break;
            case tonewheel:
                renderVoiceGroup<tonewheel> (group, lanes, bendFactor, count);
                break;
            case transistor:
                renderVoiceGroup<transistor> (group, lanes, bendFactor, count);
                break;
            default:
                break; // an unknown model is silent
        }
    }
}

void StageKeyboardEngine::renderSoundingVoices (int modelIndex, const int* voiceIndices, int numSounding,
                                                float bendFactor, int count) noexcept
{
#if VOICE_LANES_HAS_WIDE_TARGET
    if (VoiceLanes::hasWideTarget())
    {
        renderSoundingVoicesWide (modelIndex, voiceIndices, numSounding, bendFactor, count);
        return;
    }
#endif

    renderInGroups (modelIndex, voiceIndices, numSounding, bendFactor, count);
}

#if VOICE_LANES_HAS_WIDE_TARGET
VOICE_LANES_WIDE_TARGET void StageKeyboardEngine::renderSoundingVoicesWide (int modelIndex, const int* voiceIndices,
                                                                            int numSounding, float bendFactor,
                                                                            int count) noexcept
{
    renderInGroups (modelIndex, voiceIndices, numSounding, bendFactor, count);
}
#endif

void StageKeyboardEngine::renderNextBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) noexcept
{
    const juce::ScopedNoDenormals noDenormals; // decaying states must not fall into slow denormal arithmetic

    for (const auto metadata : midi)
        handleMidiEvent (decodeMidi (metadata.data, metadata.numBytes));

    const int numSamples = buffer.getNumSamples();

    if (numSamples <= 0 || buffer.getNumChannels() <= 0)
        return;

    const int modelIndex = juce::isPositiveAndBelow (model, numModels) ? model : -1;
    const float bendFactor = std::exp2 (clampSetting (pitchBend, -2.0f, 2.0f, 0.0f) / 12.0f);
    const float driveGain = 4.0f * clampSetting (drive, 0.0f, 1.0f, 0.0f) + 1.0f;
    const float tremIncrement =
        (float)(clampSetting (tremRate, 0.1f, 15.0f, 4.0f) * juce::MathConstants<double>::twoPi / sampleRate);
    const float depth = juce::jlimit (
        0.0f, 1.0f, clampSetting (modWheel, 0.0f, 1.0f, 0.0f) + clampSetting (tremDepth, 0.0f, 1.0f, 0.0f));
    const float outputGain = clampSetting (masterVol, 0.0f, 2.0f, 1.0f);

    auto bandGain = [] (float setting) noexcept
    {
        const float dB = 12.0f * clampSetting (setting, -1.0f, 1.0f, 0.0f);
        return dB <= -100.0f ? 0.0f : std::pow (10.0f, dB / 20.0f);
    };

    const float lowGain = bandGain (bass) - 1.0f;
    const float highGain = bandGain (treble) - 1.0f;

    for (int start = 0; start < numSamples; start += renderChunk)
    {
        const int count = juce::jmin (renderChunk, numSamples - start);
        std::fill (mixSum, mixSum + count, 0.0f);

        // Sounding voices run four at a time in lanes.
        int sounding[numVoices];
        int numSounding = 0;

        for (int v = 0; v < numVoices; ++v)
            if (voices[v].state != StageKeyboardVoice::idle)
                sounding[numSounding++] = v;

        renderSoundingVoices (modelIndex, sounding, numSounding, bendFactor, count);

        for (int i = 0; i < count; ++i)
        {
            tremPhase += tremIncrement;
            if (tremPhase >= twoPi)
                tremPhase -= twoPi;

            const float tremolo = 1.0f - (0.5f * fastSin (tremPhase) + 0.5f) * depth;

            const float x = mixSum[i];
            lowBand += (x - lowBand) * 0.05f;
            highSplit += (x - highSplit) * 0.4f;
            const float y = x + lowGain * lowBand + highGain * (x - highSplit);

            mixSum[i] = fastTanh (0.15f * driveGain * y) * tremolo * outputGain;
        }

        addMonoToBuffer (buffer, start, mixSum, count);
    }
}
