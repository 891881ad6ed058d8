#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <cstdint>
#include <cstring>

// Small building blocks shared by the built-in instrument engines: the ladder
// filter, band-limited oscillator shapes, noise, smoothing coefficients, MIDI
// decoding and envelope set-up. Everything here runs on the audio thread, so it
// is inline, allocation-free and noexcept.
//
// The fast* maths functions replace the library calls in the per-voice inner
// loops; each is accurate to about 1e-7 absolute (1e-6 relative for tan) over
// the ranges the engines feed them, far below audibility, and several times
// cheaper than tanf/sinf/exp2f.
namespace VoiceHelpers
{
constexpr float pi = 3.14159265358979323846f;
constexpr float twoPi = 6.28318530717958647692f;

//==============================================================================
// Fast maths

/** 2^x, relative error about 1.2e-7 for |x| < 126 (clamped outside). */
inline float fastExp2 (float x) noexcept
{
    x = x > -126.0f ? (x < 126.0f ? x : 126.0f) : -126.0f; // NaN lands on -126
    const float rounded = x + (x >= 0.0f ? 0.5f : -0.5f);
    const int whole = (int)rounded;                            // round half away from zero
    const float f = (x - (float)whole) * 0.69314718055994531f; // |f| <= ln2 / 2

    // Taylor series of e^f to the 6th power: error below 1.2e-7 for |f| <= 0.347.
    const float p =
        1.0f +
        f * (1.0f + f * (0.5f + f * (1.0f / 6.0f + f * (1.0f / 24.0f + f * (1.0f / 120.0f + f * (1.0f / 720.0f))))));

    const std::uint32_t bits = (std::uint32_t) (whole + 127) << 23;
    float scale;
    std::memcpy (&scale, &bits, sizeof (scale));
    return p * scale;
}

/** e^x with the accuracy of fastExp2. */
inline float fastExp (float x) noexcept
{
    return fastExp2 (x * 1.44269504088896341f);
}

/** tanh(x), absolute error below about 2e-7. */
inline float fastTanh (float x) noexcept
{
    const float ax = std::abs (x);

    if (! (ax < 9.0f)) // also catches NaN, which stays NaN through copysign below
        return ax >= 9.0f ? std::copysign (1.0f, x) : x;

    if (ax < 0.125f)
    {
        const float x2 = x * x;
        return x * (1.0f + x2 * (-1.0f / 3.0f + x2 * (2.0f / 15.0f + x2 * (-17.0f / 315.0f))));
    }

    const float e = fastExp2 (2.0f * 1.44269504088896341f * ax);
    return std::copysign ((e - 1.0f) / (e + 1.0f), x);
}

/** sin(2 pi t) for a phase t in cycles, |t| < 1e6. */
inline float fastSinCycles (float t) noexcept
{
    // Reduce to [-0.5, 0.5], then fold to [-0.25, 0.25] where sin is odd and monotonic.
    const float rounded = t + (t >= 0.0f ? 0.5f : -0.5f);
    t -= (float)(int)rounded;

    if (t > 0.25f)
        t = 0.5f - t;
    else if (t < -0.25f)
        t = -0.5f - t;

    const float x = t * twoPi; // |x| <= pi / 2
    const float x2 = x * x;

    // Taylor series to x^11: error below 6e-8 on [-pi/2, pi/2].
    return x * (1.0f + x2 * (-1.0f / 6.0f +
                             x2 * (1.0f / 120.0f +
                                   x2 * (-1.0f / 5040.0f + x2 * (1.0f / 362880.0f + x2 * (-1.0f / 39916800.0f))))));
}

/** sin(x) for x in radians, |x| < 1e6. */
inline float fastSin (float x) noexcept
{
    return fastSinCycles (x * (1.0f / twoPi));
}

/** tan(w) for w in [0, pi/2): relative error about 1e-6 up to 0.45 pi. */
inline float fastTan (float w) noexcept
{
    const float w2 = w * w;
    const float s =
        w * (1.0f +
             w2 * (-1.0f / 6.0f + w2 * (1.0f / 120.0f + w2 * (-1.0f / 5040.0f +
                                                              w2 * (1.0f / 362880.0f + w2 * (-1.0f / 39916800.0f))))));
    const float c =
        1.0f + w2 * (-0.5f + w2 * (1.0f / 24.0f +
                                   w2 * (-1.0f / 720.0f + w2 * (1.0f / 40320.0f + w2 * (-1.0f / 3628800.0f +
                                                                                        w2 * (1.0f / 479001600.0f))))));
    return s / c;
}

//==============================================================================
// Filter and oscillators

enum FilterMode : int
{
    lowPass = 0,
    highPass = 1,
    bandPass = 2
};

/** Zero-delay-feedback four-pole ladder with a saturating first stage.
    Mode 1 high-pass, 2 band-pass, anything else low-pass. Updates state. */
inline float processLadderFilter (float state[4], float input, float cutoffHz, float resonance, float sampleRate,
                                  int mode) noexcept
{
    const float fc = cutoffHz < 20.0f ? 20.0f : juce::jmin (cutoffHz, 0.45f * sampleRate);
    const float r = juce::jlimit (0.0f, 1.0f, resonance);
    const float k = 4.0f * r;

    const float g = fastTan (fc * twoPi * (1.0f / sampleRate) * 0.5f);
    const float inv = 1.0f / (1.0f + g);
    const float G = g * inv;
    const float s0 = state[0] * inv, s1 = state[1] * inv, s2 = state[2] * inv, s3 = state[3] * inv;

    const float G2 = G * G;
    const float sigma = G2 * G * s0 + G2 * s1 + G * s2 + s3;
    const float u = ((1.0f + 0.5f * k) * input - k * sigma) / (1.0f + k * G2 * G2);

    const float y1 = G * fastTanh (u) + s0;
    const float y2 = G * y1 + s1;
    const float y3 = G * y2 + s2;
    const float y4 = G * y3 + s3;

    if (! std::isfinite (y4))
    {
        state[0] = state[1] = state[2] = state[3] = 0.0f;
        return 0.0f;
    }

    state[0] = 2.0f * y1 - state[0];
    state[1] = 2.0f * y2 - state[1];
    state[2] = 2.0f * y3 - state[2];
    state[3] = 2.0f * y4 - state[3];

    if (mode == highPass)
        return input - y4;

    if (mode == bandPass)
        return 3.0f * (y2 - y4);

    return y4;
}

/** Correction to subtract at a unit step of a naive waveform (t phase, dt increment). */
inline float polyBlep (float t, float dt) noexcept
{
    if (dt < 0.000001f)
        return 0.0f;

    if (t < dt)
    {
        const float x = t / dt;
        return x + x - x * x - 1.0f;
    }

    if (t > 1.0f - dt)
    {
        const float x = (t - 1.0f) / dt;
        return x * x + x + x + 1.0f;
    }

    return 0.0f;
}

/** t - floor(t), for phases that may have stepped past 1 (or below 0). */
inline float wrapPhase (float t) noexcept
{
    if (t >= 1.0f)
    {
        t -= 1.0f; // the usual case: one step past the end

        if (t >= 1.0f)
            t -= std::floor (t);
    }
    else if (t < 0.0f)
    {
        t -= std::floor (t);
    }

    return t < 1.0f ? t : 0.0f; // floor rounding can leave exactly 1 for tiny negatives
}

inline float sawShape (float t, float dt) noexcept
{
    return 2.0f * t - 1.0f - polyBlep (t, dt);
}

inline float pulseShape (float t, float dt, float width) noexcept
{
    return polyBlep (t, dt) + (t < width ? 1.0f : -1.0f) - polyBlep (wrapPhase (t + 1.0f - width), dt);
}

inline float squareShape (float t, float dt) noexcept
{
    return pulseShape (t, dt, 0.5f);
}

inline float triangleShape (float t) noexcept
{
    return 4.0f * std::abs (t - 0.5f) - 1.0f;
}

inline float sineShape (float t) noexcept
{
    return fastSinCycles (t);
}

//==============================================================================
// Noise, pitch, smoothing

/** White noise in [-1, 1): the sequence of juce::Random::nextFloat mapped to [-1, 1). */
inline float noise (juce::Random& random) noexcept
{
    return 2.0f * random.nextFloat() - 1.0f;
}

inline float noteToFrequency (int note) noexcept
{
    return (float)(440.0 * std::pow (2.0, (note - 69) / 12.0));
}

/** Coefficient of a one-pole smoother with time constant timeSeconds. */
inline float smoothingCoefficient (double timeSeconds, double sampleRate) noexcept
{
    return (float)(1.0 - std::exp (-1.0 / (timeSeconds * sampleRate)));
}

/** Upper cutoff limit before smoothing: 0.45 fs, at most 20 kHz. */
inline float maxCutoff (double sampleRate) noexcept
{
    return (float)juce::jmin (0.45 * sampleRate, 20000.0);
}

/** Sets an envelope from millisecond fields. Rates are only recomputed when a value
    changed: juce::ADSR::setParameters re-derives the release slope from the sustain
    level, which would bend (or, with sustain 0, cut off) a release in progress. */
inline void setEnvelopeFromMilliseconds (juce::ADSR& envelope, float attackMs, float decayMs, float sustain,
                                         float releaseMs) noexcept
{
    const juce::ADSR::Parameters p (attackMs / 1000.0f, decayMs / 1000.0f, sustain, releaseMs / 1000.0f);
    const auto& current = envelope.getParameters();

    if (p.attack != current.attack || p.decay != current.decay || p.sustain != current.sustain ||
        p.release != current.release)
        envelope.setParameters (p);
}

/** Clamps a setting into [low, high]; a non-finite value becomes fallback. */
template <typename T> inline T clampSetting (T value, T low, T high, T fallback) noexcept
{
    if constexpr (std::is_floating_point_v<T>)
        if (! std::isfinite (value))
            return fallback;

    return juce::jlimit (low, high, value);
}

/** The filter and amplitude envelope settings of the synth engines: times in ms, sustain 0..1. */
struct EnvelopeSettings
{
    float fEnvA, fEnvD, fEnvS, fEnvR, aEnvA, aEnvD, aEnvS, aEnvR;
};

/** An engine's envelope fields, clamped: attacks from 1 ms (filter) and 2 ms (amplitude),
    decays and releases from 10 ms, all times up to maxMs; a non-finite value takes its default. */
template <typename Engine>
inline EnvelopeSettings readEnvelopeSettings (const Engine& e, float maxMs, const EnvelopeSettings& defaults) noexcept
{
    EnvelopeSettings s;
    s.fEnvA = clampSetting (e.fEnvA, 1.0f, maxMs, defaults.fEnvA);
    s.fEnvD = clampSetting (e.fEnvD, 10.0f, maxMs, defaults.fEnvD);
    s.fEnvS = clampSetting (e.fEnvS, 0.0f, 1.0f, defaults.fEnvS);
    s.fEnvR = clampSetting (e.fEnvR, 10.0f, maxMs, defaults.fEnvR);
    s.aEnvA = clampSetting (e.aEnvA, 2.0f, maxMs, defaults.aEnvA);
    s.aEnvD = clampSetting (e.aEnvD, 10.0f, maxMs, defaults.aEnvD);
    s.aEnvS = clampSetting (e.aEnvS, 0.0f, 1.0f, defaults.aEnvS);
    s.aEnvR = clampSetting (e.aEnvR, 10.0f, maxMs, defaults.aEnvR);
    return s;
}

/** Writes clamped envelope settings back into an engine's fields. */
template <typename Engine> inline void writeEnvelopeSettings (Engine& e, const EnvelopeSettings& s) noexcept
{
    e.fEnvA = s.fEnvA;
    e.fEnvD = s.fEnvD;
    e.fEnvS = s.fEnvS;
    e.fEnvR = s.fEnvR;
    e.aEnvA = s.aEnvA;
    e.aEnvD = s.aEnvD;
    e.aEnvS = s.aEnvS;
    e.aEnvR = s.aEnvR;
}

/** Sets an amplitude and a filter envelope from their settings. */
inline void setEnvelopesFromSettings (juce::ADSR& ampEnvelope, juce::ADSR& filterEnvelope,
                                      const EnvelopeSettings& s) noexcept
{
    setEnvelopeFromMilliseconds (ampEnvelope, s.aEnvA, s.aEnvD, s.aEnvS, s.aEnvR);
    setEnvelopeFromMilliseconds (filterEnvelope, s.fEnvA, s.fEnvD, s.fEnvS, s.fEnvR);
}

//==============================================================================
// MIDI

/** The messages the engines react to, decoded in place (no copy, no allocation). */
struct MidiEvent
{
    enum Kind
    {
        other,
        noteOn,
        noteOff,
        controller,
        pitchBend
    };

    Kind kind = other;
    int number = 0; // note or controller number
    int value = 0;  // velocity, controller value, or 14-bit pitch-bend value
};

inline MidiEvent decodeMidi (const juce::uint8* data, int size) noexcept
{
    MidiEvent event;

    if (data == nullptr || size < 2 || data[0] < 0x80 || data[0] >= 0xf0)
        return event;

    const int status = data[0] & 0xf0;
    const int d1 = data[1] & 0x7f;
    const int d2 = size > 2 ? (data[2] & 0x7f) : 0;

    switch (status)
    {
        case 0x90:
            if (size < 3)
                break;
            event.kind = d2 > 0 ? MidiEvent::noteOn : MidiEvent::noteOff;
            event.number = d1;
            event.value = d2;
            break;

        case 0x80:
            if (size < 3)
                break;
            event.kind = MidiEvent::noteOff;
            event.number = d1;
            event.value = d2;
            break;

        case 0xb0:
            if (size < 3)
                break;
            event.kind = MidiEvent::controller;
            event.number = d1;
            event.value = d2;
            break;

        case 0xe0:
            if (size < 3)
                break;
            event.kind = MidiEvent::pitchBend;
            event.value = d2 * 128 + d1;
            break;

        default:
            break;
    }

    return event;
}

/** Pitch-bend value 0..16383 to semitones, +-2 at the extremes. */
inline float pitchBendSemitones (int value14) noexcept
{
    return (float)(value14 - 8192) / 8192.0f * 2.0f;
}

enum Controller : int
{
    modWheelController = 1,
    sustainController = 64,
    allSoundOffController = 120,
    allNotesOffController = 123
};

/** The part of MIDI handling every engine shares: pitch bend, the mod wheel and the sustain
    pedal land in the engine's fields; notes and the rest go to the engine's own reactions.
    pedalUp runs on every pedal-up message (sustainPedal already false); allNotesOff on
    all-sound-off and all-notes-off. */
template <typename NoteOn, typename NoteOff, typename PedalUp, typename AllNotesOff>
inline void applyMidiEvent (const MidiEvent& event, float& pitchBend, float& modWheel, bool& sustainPedal,
                            NoteOn&& noteOn, NoteOff&& noteOff, PedalUp&& pedalUp, AllNotesOff&& allNotesOff) noexcept
{
    switch (event.kind)
    {
        case MidiEvent::noteOn:
            noteOn (event.number, event.value);
            break;

        case MidiEvent::noteOff:
            noteOff (event.number);
            break;

        case MidiEvent::pitchBend:
            pitchBend = pitchBendSemitones (event.value);
            break;

        case MidiEvent::controller:
            if (event.number == modWheelController)
            {
                modWheel = (float)event.value / 127.0f;
            }
            else if (event.number == sustainController)
            {
                sustainPedal = event.value >= 64;

                if (! sustainPedal)
                    pedalUp();
            }
            else if (event.number == allSoundOffController || event.number == allNotesOffController)
            {
                allNotesOff();
            }
            break;

        case MidiEvent::other:
        default:
            break;
    }
}

/** Adds one mono block to channel 0 and, when present, channel 1. */
inline void addMonoToBuffer (juce::AudioBuffer<float>& buffer, int startSample, const float* mono,
                             int numSamples) noexcept
{
    const int channels = buffer.getNumChannels();

    if (channels > 0)
        buffer.addFrom (0, startSample, mono, numSamples);

    if (channels > 1)
        buffer.addFrom (1, startSample, mono, numSamples);
}

/** Block size the engines render in internally, sized so scratch arrays live in the engine. */
constexpr int renderChunk = 128;

} // namespace VoiceHelpers
