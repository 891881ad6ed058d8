#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>
#include <vector>

// Signal makers and measurements shared by the audio tests. Everything works on plain
// buffers so the same checks apply to engines, the processor and files read back.
namespace AudioTestUtils
{
inline constexpr double twoPi = 6.283185307179586476925286766559;

inline void fillSine (juce::AudioBuffer<float>& buffer, double frequency, double sampleRate, float amplitude = 1.0f,
                      double startPhase = 0.0)
{
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        auto* data = buffer.getWritePointer (ch);
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            data[i] = amplitude * (float) std::sin (startPhase + twoPi * frequency * i / sampleRate);
    }
}

inline juce::AudioBuffer<float> makeSine (int numChannels, int numSamples, double frequency, double sampleRate,
                                          float amplitude = 1.0f)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    fillSine (buffer, frequency, sampleRate, amplitude);
    return buffer;
}

inline juce::AudioBuffer<float> makeImpulse (int numChannels, int numSamples, int position = 0, float amplitude = 1.0f)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    buffer.clear();
    for (int ch = 0; ch < numChannels; ++ch)
        buffer.setSample (ch, position, amplitude);
    return buffer;
}

inline juce::AudioBuffer<float> makeNoise (int numChannels, int numSamples, float amplitude = 1.0f, juce::int64 seed = 1)
{
    juce::Random random (seed);
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    for (int ch = 0; ch < numChannels; ++ch)
        for (int i = 0; i < numSamples; ++i)
            buffer.setSample (ch, i, amplitude * (2.0f * random.nextFloat() - 1.0f));
    return buffer;
}

inline double rms (const float* data, int numSamples)
{
    if (numSamples <= 0)
        return 0.0;

    double sum = 0.0;
    for (int i = 0; i < numSamples; ++i)
        sum += (double) data[i] * data[i];
    return std::sqrt (sum / numSamples);
}

inline double rms (const juce::AudioBuffer<float>& buffer, int channel, int start = 0, int numSamples = -1)
{
    if (numSamples < 0)
        numSamples = buffer.getNumSamples() - start;
    return rms (buffer.getReadPointer (channel, start), numSamples);
}

inline float peak (const juce::AudioBuffer<float>& buffer, int channel, int start = 0, int numSamples = -1)
{
    if (numSamples < 0)
        numSamples = buffer.getNumSamples() - start;
    return buffer.getMagnitude (channel, start, numSamples);
}

inline double toDecibels (double gain) { return 20.0 * std::log10 (std::max (gain, 1.0e-12)); }

/** Frequency from the rising zero crossings, interpolated between samples; 0 when fewer than two. */
inline double zeroCrossingFrequency (const float* data, int numSamples, double sampleRate)
{
    double first = -1.0, last = -1.0;
    int crossings = 0;

    for (int i = 1; i < numSamples; ++i)
    {
        if (data[i - 1] < 0.0f && data[i] >= 0.0f)
        {
            const double where = (i - 1) + data[i - 1] / (double) (data[i - 1] - data[i]);
            if (first < 0.0)
                first = where;
            last = where;
            ++crossings;
        }
    }

    return crossings < 2 ? 0.0 : (crossings - 1) * sampleRate / (last - first);
}

inline double zeroCrossingFrequency (const juce::AudioBuffer<float>& buffer, int channel, double sampleRate,
                                     int start = 0, int numSamples = -1)
{
    if (numSamples < 0)
        numSamples = buffer.getNumSamples() - start;
    return zeroCrossingFrequency (buffer.getReadPointer (channel, start), numSamples, sampleRate);
}

/** Magnitude of one frequency in a signal (single-bin DFT with a Hann window), as a linear
    amplitude comparable to a sine's peak. */
inline double toneAmplitude (const float* data, int numSamples, double frequency, double sampleRate)
{
    double re = 0.0, im = 0.0, windowSum = 0.0;
    for (int i = 0; i < numSamples; ++i)
    {
        const double w = 0.5 - 0.5 * std::cos (twoPi * i / (numSamples - 1));
        const double phase = twoPi * frequency * i / sampleRate;
        re += w * data[i] * std::cos (phase);
        im -= w * data[i] * std::sin (phase);
        windowSum += w;
    }
    return 2.0 * std::sqrt (re * re + im * im) / windowSum;
}

inline bool allFinite (const juce::AudioBuffer<float>& buffer)
{
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (ch, i)))
                return false;
    return true;
}

/** Runs a block-processing function over a long buffer in blocks of the given size. */
template <typename ProcessBlock>
void processInBlocks (juce::AudioBuffer<float>& buffer, int blockSize, ProcessBlock&& process)
{
    for (int start = 0; start < buffer.getNumSamples(); start += blockSize)
    {
        const int n = std::min (blockSize, buffer.getNumSamples() - start);
        juce::AudioBuffer<float> view (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), start, n);
        process (view);
    }
}
} // namespace AudioTestUtils
