#include "effects/MultiModulatorEngine.h"

#include "effects/EffectMath.h"
#include "effects/SineRotor.h"

#include <algorithm>
#include <cmath>

namespace
{
constexpr float oscillatorTwoPi = 6.2831855f;
constexpr float phaserTwoPi = 6.28318f;

// Far above any musical rate (eight cycles a beat at 300 BPM is 40 Hz); it only keeps an absurd tempo
// from turning the oscillator into noise.
constexpr float maxRateHz = 1000.0f;

inline float clampUnit (float value, float fallback) noexcept
{
    return EffectMath::clampOr (value, 0.0f, 1.0f, fallback);
}

inline float allPassChain (float x, float a, float* states) noexcept
{
    for (int stage = 0; stage < 4; ++stage)
    {
        const float y = a * x + states[stage];
        states[stage] = x - a * y;
        x = y;
    }
    return x;
}
} // namespace

MultiModulatorEngine::MultiModulatorEngine() = default;

void MultiModulatorEngine::prepare (double newSampleRate)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;

    const size_t length = (size_t)((int)sampleRate + 2000);
    lineLeft.assign (length, 0.0f);
    lineRight.assign (length, 0.0f);

    phase = 0.0f;
    writePos = 0;
    std::fill (std::begin (phaserLeft), std::end (phaserLeft), 0.0f);
    std::fill (std::begin (phaserRight), std::end (phaserRight), 0.0f);
}

int MultiModulatorEngine::getSyncRateIndex (float p2) noexcept
{
    return juce::jlimit (0, numSyncRates - 1, (int)(clampUnit (p2, 0.5f) * 5.99f));
}

float MultiModulatorEngine::getRateHz (float p2, bool sync, double bpm) noexcept
{
    if (sync && bpm > 0.0)
        return (float)std::min ((double)maxRateHz, (bpm / 60.0) * syncRateMultipliers[getSyncRateIndex (p2)]);

    return clampUnit (p2, 0.5f) * 14.9f + 0.1f;
}

void MultiModulatorEngine::setParameters (int type, float p1, float p2, bool sync, double bpm) noexcept
{
    // P1 and P2 are stored settings nobody range-checked; outside 0..1 they would read outside the
    // delay lines or the rate table.
    p1 = clampUnit (p1, 0.5f);
    p2 = clampUnit (p2, 0.5f);

    amount = p1;
    effectType = type;

    if (type == Distortion)
    {
        distortionMix = p2;
        drive = p1 * 40.0f + 1.0f;
        return;
    }

    rateHz = getRateHz (p2, sync, bpm);
}

float MultiModulatorEngine::readDelay (const std::vector<float>& line, float seconds) const noexcept
{
    const int length = (int)line.size();
    if (length < 2)
        return 0.0f;

    const float d = juce::jlimit (0.0f, (float)(length - 2), EffectMath::finiteOr (seconds, 0.0f) * (float)sampleRate);
    const int whole = (int)d;
    const float frac = d - (float)whole;

    int i = writePos - whole;
    if (i < 0)
        i += length;
    int i2 = i - 1;
    if (i2 < 0)
        i2 += length;

    return (1.0f - frac) * line[(size_t)i] + frac * line[(size_t)i2];
}

void MultiModulatorEngine::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    if (numChannels <= 0 || numSamples <= 0 || ! isPrepared())
        return;

    juce::ScopedNoDenormals noDenormals;

    float* left = buffer.getWritePointer (0);
    float* right = numChannels > 1 ? buffer.getWritePointer (1) : nullptr;
    const int length = (int)lineLeft.size();
    const float fs = (float)sampleRate;
    const float inc = (rateHz * oscillatorTwoPi) / fs;

    // The oscillator steps before each sample; sine and cosine come from a rotor started at the
    // block's first phase, and the phase itself moves on once per block.
    SineRotor oscillator ((double)phase + inc, inc);
    phase = (float)std::fmod ((double)phase + (double)inc * numSamples, (double)oscillatorTwoPi);

    for (int i = 0; i < numSamples; ++i)
    {
        const float l = EffectMath::sanitiseSample (left[i]);
        const float r = right != nullptr ? EffectMath::sanitiseSample (right[i]) : l;

        const float s = (float)oscillator.sine;
        const float c = (float)oscillator.cosine;
        oscillator.advance();
        const float u = (s + 1.0f) * 0.5f;
        float outL = l, outR = r;
        bool linesWritten = false;

        switch (effectType)
        {
            case Phaser:
            {
                const float f = u * 2000.0f + 200.0f;
                const float t = std::tan ((f * phaserTwoPi / fs) * 0.5f);
                const float a = (t - 1.0f) / (t + 1.0f);
                outL = l + allPassChain (l, a, phaserLeft) * amount;
                outR = r + allPassChain (r, a, phaserRight) * amount;
                break;
            }

            case Flanger:
            {
                const float d = u * 0.004f + 0.001f;
                const float wetL = readDelay (lineLeft, d);
                const float wetR = readDelay (lineRight, d);
                lineLeft[(size_t)writePos] = EffectMath::fastTanh (wetL * amount * 0.8f + l);
                lineRight[(size_t)writePos] = EffectMath::fastTanh (wetR * amount * 0.8f + r);
                linesWritten = true;
                outL = l + amount * wetL;
                outR = r + amount * wetR;
                break;
            }

            case Chorus:
            {
                outL = l + readDelay (lineLeft, s * 0.005f * amount + 0.015f);
                outR = r + readDelay (lineRight, c * 0.005f * amount + 0.015f);
                break;
            }

            case Adt:
            {
                const float noise = random.nextFloat();
                adtDrift = (2.0f * noise - 1.0f) * 0.0002f + adtDrift * 0.9998f;
                const float v = adtDrift * 0.01f;
                outL = l + readDelay (lineLeft, (s * 0.002f + v) * amount + 0.025f);
                outR = r + readDelay (lineRight, (c * 0.002f - v) * amount + 0.025f);
                break;
            }

            case Distortion:
                outL = EffectMath::fastTanh (drive * l) * distortionMix + (1.0f - distortionMix) * l;
                outR = EffectMath::fastTanh (drive * r) * distortionMix + (1.0f - distortionMix) * r;
                break;

            case Vibrato:
            {
                const float wetL = readDelay (lineLeft, s * 0.003f * amount + 0.01f);
                const float wetR = readDelay (lineRight, c * 0.003f * amount + 0.01f);
                outL = wetL * amount + (1.0f - amount) * l;
                outR = wetR * amount + (1.0f - amount) * r;
                break;
            }

            case Tremolo:
            {
                const float g = 1.0f - u * amount;
                outL = l * g;
                outR = r * g;
                break;
            }

            default:
                break;
        }

        if (! linesWritten)
        {
            lineLeft[(size_t)writePos] = l;
            lineRight[(size_t)writePos] = r;
        }

        left[i] = outL;
        if (right != nullptr)
            right[i] = outR;

        if (++writePos == length)
            writePos = 0;
    }

    for (int stage = 0; stage < 4; ++stage)
    {
        if (! std::isfinite (phaserLeft[stage]) || ! std::isfinite (phaserRight[stage]))
        {
            std::fill (std::begin (phaserLeft), std::end (phaserLeft), 0.0f);
            std::fill (std::begin (phaserRight), std::end (phaserRight), 0.0f);
            break;
        }
    }
}

std::unique_ptr<MultiModulatorEngine> makeMultiModulatorEngine()
{
    return std::make_unique<MultiModulatorEngine>();
}
