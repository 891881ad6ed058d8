#include "instruments/StageKeyboardEngine.h"

using namespace VoiceHelpers;

namespace
{
constexpr float invTwoPi = 1.0f / twoPi;

// Phases are kept in cycles inside the render loop and in radians in the voice.
inline float advance (float phase, float increment) noexcept
{
    return wrapPhase (phase + increment);
}

inline float sinCycles (float t) noexcept
{
    return fastSinCycles (t);
}

/** An exponential decay e^(-rate * seconds) stepped per sample by multiplication. */
struct Decay
{
    float value, step;

    Decay (float rate, float seconds, float invSampleRate) noexcept
        : value (fastExp (-rate * seconds)), step (fastExp (-rate * invSampleRate))
    {
    }

    float next() noexcept
    {
        const float v = value;
        value *= step;
        return v;
    }
};
} // namespace

const char* StageKeyboardEngine::getModelName (int modelIndex) noexcept
{
    static constexpr const char* names[numModels] = { "RHODES", "WURLI", "TACK PIANO", "FM PIANO", "TONEWHEEL", "TRANSISTOR" };
    return juce::isPositiveAndBelow (modelIndex, numModels) ? names[modelIndex] : "";
}

StageKeyboardEngine::StageKeyboardEngine()
{
    random.setSeedRandomly();
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
    voice.velocity = (float) velocity127 / 127.0f;
    voice.frequency = noteToFrequency (note);
    voice.state = StageKeyboardVoice::on;
    voice.age = 0.0f;
    std::fill (std::begin (voice.modelPhases), std::end (voice.modelPhases), 0.0f);
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
    switch (event.kind)
    {
        case MidiEvent::noteOn:
            startNote (event.number, event.value);
            break;

        case MidiEvent::noteOff:
            stopNote (event.number);
            break;

        case MidiEvent::pitchBend:
            pitchBend = pitchBendSemitones (event.value);
            break;

        case MidiEvent::controller:
            if (event.number == modWheelController)
            {
                modWheel = (float) event.value / 127.0f;
            }
            else if (event.number == sustainController)
            {
                sustainPedal = event.value >= 64;

                if (! sustainPedal)
                    for (auto& voice : voices)
                        if (voice.state == StageKeyboardVoice::on && ! voice.held)
                            releaseVoice (voice);
            }
            else if (event.number == allSoundOffController || event.number == allNotesOffController)
            {
                sustainPedal = false;

                for (auto& voice : voices)
                {
                    voice.held = false;

                    if (voice.state == StageKeyboardVoice::on)
                        releaseVoice (voice);
                }
            }
            break;

        case MidiEvent::other:
        default:
            break;
    }
}

template <int ModelIndex>
void StageKeyboardEngine::renderVoice (StageKeyboardVoice& voice, float bendFactor, int count) noexcept
{
    const float invSampleRate = (float) (1.0 / sampleRate);
    const float inc = voice.frequency * bendFactor * invSampleRate; // cycles per sample
    const float k = juce::jmax (voice.frequency / 300.0f, 0.5f);   // higher notes decay faster
    const float v = voice.velocity;
    const float age0 = voice.age;
    const bool organ = ModelIndex == tonewheel || ModelIndex == transistor;

    float t1 = voice.modelPhases[0] * invTwoPi, t2 = voice.modelPhases[1] * invTwoPi, t3 = voice.modelPhases[2] * invTwoPi;
    float t4 = voice.modelPhases[3] * invTwoPi, t5 = voice.modelPhases[4] * invTwoPi;
    float noiseState = voice.noiseState;

    const bool releasing = voice.state == StageKeyboardVoice::released;
    Decay release (organ ? 50.0f : 12.0f, voice.releaseTime, invSampleRate);

    // The models' own envelopes, all functions of the voice's age.
    Decay env1 (ModelIndex == rhodes ? 0.8f * k
                : ModelIndex == wurli ? 1.5f * k
                : ModelIndex == tackPiano ? 0.6f * k
                : ModelIndex == fmPiano ? 0.7f * k
                                        : 200.0f,
                age0,
                invSampleRate);
    Decay env2 (ModelIndex == rhodes ? 10.0f
                : ModelIndex == wurli ? 5.0f
                : ModelIndex == tackPiano ? 30.0f
                : ModelIndex == fmPiano ? 3.0f * k
                                        : 0.0f,
                age0,
                invSampleRate);

    int i = 0;

    for (; i < count; ++i)
    {
        const float age = age0 + (float) i * invSampleRate;
        float gain;

        if (releasing)
        {
            gain = release.next();

            if (gain < 0.001f)
            {
                voice.state = StageKeyboardVoice::idle;
                break;
            }
        }
        else
        {
            gain = age < 0.005f ? age * 200.0f : 1.0f;
        }

        const float e1 = env1.next();
        const float e2 = env2.next();
        float raw = 0.0f;

        if constexpr (ModelIndex == rhodes)
        {
            t1 = advance (t1, inc);
            t2 = advance (t2, 14.0f * inc);
            const float index = (2.0f * v + 0.5f) * e1 * invTwoPi;
            raw = (sinCycles (t1 + index * sinCycles (2.0f * t1)) * e1 + 0.5f * v * e2 * sinCycles (t2)) * v;
        }
        else if constexpr (ModelIndex == wurli)
        {
            t1 = advance (t1, inc);
            t2 = advance (t2, 2.0f * inc);
            const float index = (2.5f * v * e2 + 0.8f) * invTwoPi;
            const float x = sinCycles (t1 + index * sinCycles (t2));
            raw = e1 * (x + 0.4f * x * x) * v;
        }
        else if constexpr (ModelIndex == tackPiano)
        {
            t1 = advance (t1, inc);
            t2 = advance (t2, 1.0025f * inc);
            t3 = advance (t3, 0.9975f * inc);
            t4 = advance (t4, 12.5f * inc);
            noiseState = 0.5f * noiseState + 0.5f * noise (random);
            const float h = sinCycles (2.0f * t1) * (v + 0.5f) * invTwoPi;
            const float body = (sinCycles (h + t2) + sinCycles (h + t1) + sinCycles (h + t3)) * 0.33f * e1;
            const float knock = sinCycles (3.0f * noiseState * invTwoPi + t4) * e2 * 1.5f;
            raw = (body + knock) * v;
        }
        else if constexpr (ModelIndex == fmPiano)
        {
            t1 = advance (t1, inc);
            t2 = advance (t2, 14.0f * inc);
            t3 = advance (t3, 1.001f * inc);
            const float u = 3.0f * e1 * sinCycles (t1 + 2.0f * v * e2 * invTwoPi * sinCycles (t2)) * invTwoPi;
            raw = (sinCycles (u + t3) + sinCycles (u + t1)) * 0.5f * e1 * v;
        }
        else if constexpr (ModelIndex == tonewheel)
        {
            t1 = advance (t1, 0.5f * inc);
            t2 = advance (t2, inc);
            t3 = advance (t3, 1.4983f * inc);
            t4 = advance (t4, 2.0f * inc);
            t5 = advance (t5, 2.9966f * inc);
            const float drawbars = 0.8f * sinCycles (t1) + sinCycles (t2) + 0.6f * sinCycles (t3) + 0.5f * sinCycles (t4) + 0.4f * sinCycles (t5);
            const float click = age < 0.015f ? e1 * noise (random) * 0.06f : 0.0f;
            raw = (0.3f * drawbars + click) * (0.5f * v + 0.5f);
        }
        else // transistor
        {
            t1 = advance (t1, inc);
            t2 = advance (t2, 2.0f * inc);
            t3 = advance (t3, 3.0f * inc);

            // sin 3x and sin 5x from sin x (exact identities, two sine calls fewer)
            auto odd = [] (float s, float& s3, float& s5) noexcept
            {
                const float s2 = s * s;
                s3 = s * (3.0f - 4.0f * s2);
                s5 = s * (5.0f + s2 * (-20.0f + 16.0f * s2));
            };

            const float s1 = sinCycles (t1), sB = sinCycles (t2);
            float s13, s15, sB3, sB5;
            odd (s1, s13, s15);
            odd (sB, sB3, sB5);
            const float harmonics = s1 + 0.33f * s13 + 0.2f * s15 + 0.7f * (sB + 0.33f * sB3);
            raw = (harmonics + 0.4f * sinCycles (t3)) * 0.3f * (0.5f * v + 0.5f);
        }

        mixSum[i] += gain * raw;
    }

    voice.age = age0 + (float) i * invSampleRate;

    if (releasing)
        voice.releaseTime += (float) i * invSampleRate;

    voice.modelPhases[0] = t1 * twoPi;
    voice.modelPhases[1] = t2 * twoPi;
    voice.modelPhases[2] = t3 * twoPi;
    voice.modelPhases[3] = t4 * twoPi;
    voice.modelPhases[4] = t5 * twoPi;
    voice.noiseState = noiseState;
}

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
    const float tremIncrement = (float) (clampSetting (tremRate, 0.1f, 15.0f, 4.0f) * juce::MathConstants<double>::twoPi / sampleRate);
    const float depth = juce::jlimit (0.0f, 1.0f, clampSetting (modWheel, 0.0f, 1.0f, 0.0f) + clampSetting (tremDepth, 0.0f, 1.0f, 0.0f));
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

        for (auto& voice : voices)
        {
            if (voice.state == StageKeyboardVoice::idle)
                continue;

            switch (modelIndex)
            {
                case rhodes:
                    renderVoice<rhodes> (voice, bendFactor, count);
                    break;
                case wurli:
                    renderVoice<wurli> (voice, bendFactor, count);
                    break;
                case tackPiano:
                    renderVoice<tackPiano> (voice, bendFactor, count);
                    break;
                case fmPiano:
                    renderVoice<fmPiano> (voice, bendFactor, count);
                    break;
                case tonewheel:
                    renderVoice<tonewheel> (voice, bendFactor, count);
                    break;
                case transistor:
                    renderVoice<transistor> (voice, bendFactor, count);
                    break;
                default:
                    break; // an unknown model is silent
            }
        }

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
