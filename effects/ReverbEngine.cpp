#include "effects/ReverbEngine.h"

#include "effects/EffectMath.h"

#include <algorithm>
#include <cmath>

#if (defined(__SSE2__) || defined(_M_X64)) && ! defined(DRAVIN8_NO_SIMD)
#include <emmintrin.h>
#define DRAVIN8_REVERB_SSE2 1
#endif

namespace
{
// Delay-line lengths in samples at 44100 Hz; prepare() scales them to the running rate.
constexpr int lineLengthsAt44k[ReverbEngine::numLines] = {347, 461, 593, 739, 887, 1031, 1171, 1321};

// The spring path runs its feed-forward part (input filter, saturation, dispersion) a chunk at a
// time, so the dispersion can work on whole rows of samples.
constexpr int springChunkSize = 1024;

constexpr float hadamardScale = 0.35355338f; // 1 / sqrt (8)

void applyRoomParameters (juce::Reverb& reverb, int algorithm, float decay, float damping) noexcept
{
    float roomOffset = 0.5f, dampOffset = 0.5f;

    switch (algorithm)
    {
        case ReverbEngine::Plate:
            roomOffset = 0.6f;
            dampOffset = 0.7f;
            break;
        case ReverbEngine::Hall:
            roomOffset = 0.8f;
            dampOffset = 0.4f;
            break;
        case ReverbEngine::Dream:
            roomOffset = 1.0f;
            dampOffset = 0.1f;
            break;
        default:
            break;
    }

    juce::Reverb::Parameters parameters;
    parameters.roomSize = juce::jlimit (0.0f, 1.0f, decay * 0.5f - 0.25f + roomOffset);
    parameters.damping = juce::jlimit (0.0f, 1.0f, damping * 0.5f - 0.25f + dampOffset);
    parameters.wetLevel = 0.3f;
    parameters.dryLevel = 0.0f;
    parameters.width = 1.0f;
    parameters.freezeMode = 0.0f;
    reverb.setParameters (parameters);
}

// In-place 8-point Walsh-Hadamard transform, unnormalised; the butterflies (one, two, then four
// apart) give Sylvester order: out[j] = sum over k of (-1)^popcount(j & k) x in[k].
inline void hadamard8 (float* v) noexcept
{
    const float a0 = v[0] + v[1], a1 = v[0] - v[1], a2 = v[2] + v[3], a3 = v[2] - v[3];
    const float a4 = v[4] + v[5], a5 = v[4] - v[5], a6 = v[6] + v[7], a7 = v[6] - v[7];

    const float b0 = a0 + a2, b1 = a1 + a3, b2 = a0 - a2, b3 = a1 - a3;
    const float b4 = a4 + a6, b5 = a5 + a7, b6 = a4 - a6, b7 = a5 - a7;

    v[0] = b0 + b4;
    v[1] = b1 + b5;
    v[2] = b2 + b6;
    v[3] = b3 + b7;
    v[4] = b0 - b4;
    v[5] = b1 - b5;
    v[6] = b2 - b6;
    v[7] = b3 - b7;
}

#if DRAVIN8_REVERB_SSE2
// The same transform on the eight values held as two vectors (lanes 0-3 and 4-7), with the same
// additions and subtractions as hadamard8, so both give identical results.
inline void hadamard8 (__m128& low, __m128& high) noexcept
{
    const __m128 alternate = _mm_set_ps (-1.0f, 1.0f, -1.0f, 1.0f);
    const __m128 halves = _mm_set_ps (-1.0f, -1.0f, 1.0f, 1.0f);

    const auto oneApart = [&] (__m128 v)
    {
        return _mm_add_ps (_mm_shuffle_ps (v, v, _MM_SHUFFLE (2, 2, 0, 0)),
                           _mm_mul_ps (_mm_shuffle_ps (v, v, _MM_SHUFFLE (3, 3, 1, 1)), alternate));
    };
    const auto twoApart = [&] (__m128 v)
    {
        return _mm_add_ps (_mm_shuffle_ps (v, v, _MM_SHUFFLE (1, 0, 1, 0)),
                           _mm_mul_ps (_mm_shuffle_ps (v, v, _MM_SHUFFLE (3, 2, 3, 2)), halves));
    };

    const __m128 b = twoApart (oneApart (low));
    const __m128 c = twoApart (oneApart (high));
    low = _mm_add_ps (b, c);
    high = _mm_sub_ps (b, c);
}

// Four line low-passes at once (transposed direct form II, shared coefficients, output snapped to
// zero near zero), as RawBiquad does for one.
struct LowPassLanes
{
    __m128 b0, b1, b2, a1, a2;

    __m128 process (__m128 in, __m128& s1, __m128& s2) const noexcept
    {
        __m128 out = _mm_add_ps (_mm_mul_ps (b0, in), s1);
        const __m128 notTiny =
            _mm_or_ps (_mm_cmpgt_ps (out, _mm_set1_ps (1.0e-8f)), _mm_cmplt_ps (out, _mm_set1_ps (-1.0e-8f)));
        out = _mm_and_ps (out, notTiny);
        s1 = _mm_add_ps (_mm_sub_ps (_mm_mul_ps (b1, in), _mm_mul_ps (a1, out)), s2);
        s2 = _mm_sub_ps (_mm_mul_ps (b2, in), _mm_mul_ps (a2, out));
        return out;
    }
};
#endif

// Copies `count` values of a ring buffer, from `start` on and wrapping, into every eighth float
// of frames (and back with the arguments swapped).
inline void gatherFromRing (const float* ring, int length, int start, float* frames, int count) noexcept
{
    const int first = std::min (count, length - start);
    for (int i = 0; i < first; ++i)
        frames[i * ReverbEngine::numLines] = ring[start + i];
    for (int i = first; i < count; ++i)
        frames[i * ReverbEngine::numLines] = ring[i - first];
}

inline void scatterToRing (float* ring, int length, int start, const float* frames, int count) noexcept
{
    const int first = std::min (count, length - start);
    for (int i = 0; i < first; ++i)
        ring[start + i] = frames[i * ReverbEngine::numLines];
    for (int i = first; i < count; ++i)
        ring[i - first] = frames[i * ReverbEngine::numLines];
}
} // namespace

ReverbEngine::ReverbEngine()
{
    // Give juce::Reverb our wet-only levels from the start; with its own defaults the first 10 ms
    // after the first setParameters would still carry dry signal in the wet path.
    applyRoomParameters (reverb, algorithm, 0.5f, 0.5f);
}

void ReverbEngine::prepare (double newSampleRate)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;
    reverb.setSampleRate (sampleRate); // also clears its combs and all-passes
    reverb.reset();

    if (scratch.getNumChannels() != 2 || scratch.getNumSamples() != scratchSize)
        scratch.setSize (2, scratchSize);
    scratch.clear();
    springInput.assign ((size_t)springChunkSize, 0.0f);
    lineFrames.assign ((size_t)(springChunkSize * numLines), 0.0f);

    const auto nyquistGuard = 0.45 * sampleRate;
    inputHighPass.setCoefficients (juce::IIRCoefficients::makeHighPass (sampleRate, 340.0, 0.707));
    inputHighPass.reset();

    const auto toneCoefficients =
        juce::IIRCoefficients::makePeakFilter (sampleRate, std::min (4600.0, nyquistGuard), 1.5, 2.818f);
    toneLeft.setCoefficients (toneCoefficients);
    toneRight.setCoefficients (toneCoefficients);
    toneLeft.reset();
    toneRight.reset();

    dispersion.prepare (sampleRate, springChunkSize);

    for (int k = 0; k < numLines; ++k)
    {
        // The quotient is single precision on purpose: it sets the exact lengths the reverb has
        // always had (592 rather than 593 samples for line 2 at 44100 Hz).
        const float seconds = (float)lineLengthsAt44k[k] / 44100.0f;
        const int length = std::max (1, (int)((double)seconds * sampleRate));
        lines[(size_t)k].assign ((size_t)length, 0.0f);
        linePos[(size_t)k] = 0;
    }
    lineLowPass.setCoefficients (juce::IIRCoefficients::makeLowPass (sampleRate, std::min (5000.0, nyquistGuard)));
    lineState1.fill (0.0f);
    lineState2.fill (0.0f);
    lineLowPassHz = 5000.0f;

    mix.reset (sampleRate, 0.05);
}

void ReverbEngine::setLineLowPass (float frequency) noexcept
{
    if (frequency == lineLowPassHz)
        return;

    lineLowPassHz = frequency;
    lineLowPass.setCoefficients (
        juce::IIRCoefficients::makeLowPass (sampleRate, std::min ((double)frequency, 0.45 * sampleRate)));
}

void ReverbEngine::setParameters (int newAlgorithm, float decay, float damping, float newMix, float pan) noexcept
{
    using EffectMath::clampOr;

    // A decay above 1 would push the spring's feedback past unity and a damping above 1.25 would
    // ask for a negative cut-off: keep every setting inside the range the controls offer.
    decay = clampOr (decay, 0.0f, 1.0f, 0.5f);
    damping = clampOr (damping, 0.0f, 1.0f, 0.5f);
    newMix = clampOr (newMix, 0.0f, 1.0f, 0.5f);
    pan = clampOr (pan, -1.0f, 1.0f, 0.0f);

    algorithm = newAlgorithm;
    applyRoomParameters (reverb, algorithm, decay, damping);

    if (algorithm == Spring)
    {
        springFeedback = decay * 0.48f + 0.5f;
        setLineLowPass (10000.0f - damping * 8000.0f);
        springDrive = decay * 1.5f + 1.0f;
    }

    mix.setTargetValue (newMix);

    const float angle = (pan + 1.0f) * 0.25f * juce::MathConstants<float>::pi;
    panLeft = std::cos (angle);
    panRight = std::sin (angle);
}

int ReverbEngine::getLineLength (int line) const noexcept
{
    return juce::isPositiveAndBelow (line, numLines) ? (int)lines[(size_t)line].size() : 0;
}

int ReverbEngine::getDispersionStageLength() const noexcept
{
    return dispersion.getStageLength();
}

void ReverbEngine::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    if (numChannels == 0 || numSamples <= 0 || ! isPrepared())
        return;

    juce::ScopedNoDenormals noDenormals;
    float* left = buffer.getWritePointer (0);
    float* right = numChannels > 1 ? buffer.getWritePointer (1) : nullptr;

    if (algorithm == Spring)
    {
        for (int start = 0; start < numSamples; start += springChunkSize)
            processSpring (left + start, right != nullptr ? right + start : nullptr,
                           std::min (springChunkSize, numSamples - start));
    }
    else
    {
        // Blocks longer than the scratch buffer run in pieces rather than growing it here.
        for (int start = 0; start < numSamples; start += scratchSize)
            processRoom (left + start, right != nullptr ? right + start : nullptr,
                         std::min (scratchSize, numSamples - start));
    }
}

void ReverbEngine::processSpring (float* left, float* right, int numSamples) noexcept
{
    using EffectMath::sanitiseSample;
    using EffectMath::snapToZero;

    float* dispersed = springInput.data();

    for (int i = 0; i < numSamples; ++i)
    {
        const float l = sanitiseSample (left[i]);
        const float r = right != nullptr ? sanitiseSample (right[i]) : l;
        const float x = inputHighPass.process ((l + r) * 0.5f);
        dispersed[i] = EffectMath::fastTanh (x * springDrive);
    }

    dispersion.process (dispersed, numSamples);

    runDelayNetwork (left, right, dispersed, numSamples);
}

void ReverbEngine::runDelayNetwork (float* left, float* right, const float* dispersed, int numSamples) noexcept
{
    using EffectMath::sanitiseSample;
    using EffectMath::snapToZero;

    const float feedback = springFeedback;
    const float lb0 = lineLowPass.b0, lb1 = lineLowPass.b1, lb2 = lineLowPass.b2;
    const float la1 = lineLowPass.a1, la2 = lineLowPass.a2;
    float state1[numLines], state2[numLines];
    for (int k = 0; k < numLines; ++k)
    {
        state1[k] = lineState1[(size_t)k];
        state2[k] = lineState2[(size_t)k];
    }

#if DRAVIN8_REVERB_SSE2
    const LowPassLanes lanes{_mm_set1_ps (lb0), _mm_set1_ps (lb1), _mm_set1_ps (lb2), _mm_set1_ps (la1),
                             _mm_set1_ps (la2)};
    const __m128 scale = _mm_set1_ps (hadamardScale);
    const __m128 gain = _mm_set1_ps (feedback);
    __m128 s1Low = _mm_loadu_ps (state1), s1High = _mm_loadu_ps (state1 + 4);
    __m128 s2Low = _mm_loadu_ps (state2), s2High = _mm_loadu_ps (state2 + 4);
#endif

    // A line is read and then written at the same position, so within a stretch no longer than the
    // shortest line every value read was written before the stretch. Each stretch is gathered into
    // frames (eight line outputs per sample), mixed there, and scattered back.
    const int shortestLine = (int)lines[0].size();
    float* frames = lineFrames.data();

    for (int done = 0; done < numSamples;)
    {
        const int count = std::min (numSamples - done, shortestLine);

        for (int k = 0; k < numLines; ++k)
            gatherFromRing (lines[(size_t)k].data(), (int)lines[(size_t)k].size(), linePos[(size_t)k], frames + k,
                            count);

        for (int i = 0; i < count; ++i)
        {
            float* frame = frames + i * numLines;
            const float h = dispersed[done + i];
            const float wetLeft = toneLeft.process ((frame[0] + frame[3] + frame[5] + frame[7]) * 0.5f);
            const float wetRight = toneRight.process ((frame[1] + frame[2] + frame[4] + frame[6]) * 0.5f);

#if DRAVIN8_REVERB_SSE2
            __m128 low = _mm_loadu_ps (frame), high = _mm_loadu_ps (frame + 4);
            hadamard8 (low, high);
            low = lanes.process (_mm_mul_ps (low, scale), s1Low, s2Low);
            high = lanes.process (_mm_mul_ps (high, scale), s1High, s2High);
            const __m128 input = _mm_set_ps (-h, h, -h, h);
            _mm_storeu_ps (frame, _mm_add_ps (_mm_mul_ps (low, gain), input));
            _mm_storeu_ps (frame + 4, _mm_add_ps (_mm_mul_ps (high, gain), input));
#else
            float m[numLines];
            for (int k = 0; k < numLines; ++k)
                m[k] = frame[k];

            hadamard8 (m);

            for (int k = 0; k < numLines; ++k)
            {
                const float in = m[k] * hadamardScale;
                const float f = snapToZero (lb0 * in + state1[k]);
                state1[k] = lb1 * in - la1 * f + state2[k];
                state2[k] = lb2 * in - la2 * f;
                frame[k] = f * feedback + ((k & 1) == 0 ? h : -h);
            }
#endif

            const float a = mix.getNextValue();
            const int n = done + i;
            left[n] = wetLeft * a * panLeft + (1.0f - a) * sanitiseSample (left[n]);

            if (right != nullptr)
                right[n] = wetRight * a * panRight + (1.0f - a) * sanitiseSample (right[n]);
        }

        for (int k = 0; k < numLines; ++k)
        {
            const int length = (int)lines[(size_t)k].size();
            scatterToRing (lines[(size_t)k].data(), length, linePos[(size_t)k], frames + k, count);
            linePos[(size_t)k] = (linePos[(size_t)k] + count) % length;
        }

        done += count;
    }

#if DRAVIN8_REVERB_SSE2
    _mm_storeu_ps (state1, s1Low);
    _mm_storeu_ps (state1 + 4, s1High);
    _mm_storeu_ps (state2, s2Low);
    _mm_storeu_ps (state2 + 4, s2High);
#endif

    for (int k = 0; k < numLines; ++k)
    {
        lineState1[(size_t)k] = state1[k];
        lineState2[(size_t)k] = state2[k];
    }
}

void ReverbEngine::processRoom (float* left, float* right, int numSamples) noexcept
{
    using EffectMath::sanitiseSample;

    float* wetLeft = scratch.getWritePointer (0);
    float* wetRight = scratch.getWritePointer (1);

    for (int i = 0; i < numSamples; ++i)
        wetLeft[i] = sanitiseSample (left[i]);

    if (right != nullptr)
    {
        for (int i = 0; i < numSamples; ++i)
            wetRight[i] = sanitiseSample (right[i]);

        reverb.processStereo (wetLeft, wetRight, numSamples);
    }
    else
    {
        reverb.processMono (wetLeft, numSamples);
    }

    for (int i = 0; i < numSamples; ++i)
    {
        const float a = mix.getNextValue();
        left[i] = wetLeft[i] * a * panLeft + (1.0f - a) * sanitiseSample (left[i]);

        if (right != nullptr)
            right[i] = wetRight[i] * a * panRight + (1.0f - a) * sanitiseSample (right[i]);
    }
}
