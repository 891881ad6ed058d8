#include "effects/TapeEchoEngine.h"

#include "effects/EffectMath.h"
#include "effects/SineRotor.h"

#include <algorithm>
#include <cmath>

void TapeEchoEngine::prepare (double newSampleRate)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;

    const int length = (int)sampleRate * 3 + 100;
    if (delayBuffer.getNumChannels() != 2 || delayBuffer.getNumSamples() != length)
        delayBuffer.setSize (2, length);
    delayBuffer.clear();

    writePos = 0;
    modTime = 0.0;
    delayTime.reset ((int)std::floor (sampleRate * 0.05));
}

int TapeEchoEngine::getSyncNoteIndex (float timeMs) noexcept
{
    const float position = EffectMath::clampOr ((timeMs - 50.0f) / 950.0f, 0.0f, 1.0f, (300.0f - 50.0f) / 950.0f);
    return juce::jlimit (0, numSyncNotes - 1, (int)(position * 5.99f));
}

float TapeEchoEngine::getEffectiveTimeMs (float timeMs, bool sync, double bpm) noexcept
{
    float time = std::isnan (timeMs) ? 300.0f : timeMs;

    if (sync && bpm > 0.0)
    {
        const double noteMs = syncNoteBeats[getSyncNoteIndex (time)] * 60000.0 / bpm;
        time = (float)std::min ((double)maxDelayMs, noteMs);
    }

    // Without sync the time is a stored setting nobody range-checked: keep it inside the line.
    return juce::jlimit (0.0f, maxDelayMs, time);
}

void TapeEchoEngine::setParameters (float timeMs, float newFeedback, int newAge, float newMix, float pan, bool sync,
                                    double bpm, float newDrive) noexcept
{
    using EffectMath::finiteOr;

    drive = juce::jlimit (0.0f, 1000.0f, finiteOr (newDrive, 1.0f));
    delayTime.setTargetValue (getEffectiveTimeMs (timeMs, sync, bpm));

    mix = finiteOr (newMix, 0.5f);
    feedback = juce::jlimit (-4.0f, 4.0f, finiteOr (newFeedback, 0.4f)); // tanh bounds the line anyway
    age = newAge;

    pan = finiteOr (pan, 0.0f);
    panLeft = pan < 0.0f ? 1.0f : 1.0f - pan;
    panRight = pan > 0.0f ? 1.0f : 1.0f + pan;
}

void TapeEchoEngine::process (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numChannels = std::min (2, buffer.getNumChannels());
    const int numSamples = buffer.getNumSamples();

    if (delayBuffer.getNumChannels() < 2 || numChannels == 0 || numSamples <= 0 || ! (sampleRate > 0.0))
        return;

    juce::ScopedNoDenormals noDenormals;

    const float wet = mix >= 0.5f ? 1.0f : 2.0f * mix;
    const float dry = mix <= 0.5f ? 1.0f : 1.0f - (mix - 0.5f) * 2.0f;
    const float toneCoefficient = age == Worn ? 0.4f : 0.2f;
    const float pans[2] = {panLeft, panRight};

    const int length = delayBuffer.getNumSamples();
    const double maxDelaySamples = (double)length - 2.0;
    const double secondsPerSample = 1.0 / sampleRate;
    float* line[2] = {delayBuffer.getWritePointer (0), delayBuffer.getWritePointer (1)};
    float* io[2] = {buffer.getWritePointer (0), numChannels > 1 ? buffer.getWritePointer (1) : nullptr};

    // Wow: two sines of the tape clock (cycles of 2 x 3.1415 radians a second, as the old units had).
    const bool wobbles = age == Worn || age == Old;
    const double radiansPerSecond = 2.0 * 3.1415;
    const double firstRate = (age == Worn ? 0.7 : 0.8) * radiansPerSecond;
    const double secondRate = (age == Worn ? 1.2 : 7.0) * radiansPerSecond;
    const double firstDepth = age == Worn ? 0.4 : 1.2;
    const double secondDepth = age == Worn ? 0.2 : 0.3;
    SineRotor first (firstRate * modTime, firstRate * secondsPerSample);
    SineRotor second (secondRate * modTime, secondRate * secondsPerSample);
    modTime += numSamples * secondsPerSample;

    for (int i = 0; i < numSamples; ++i)
    {
        const float t = delayTime.getNextValue();

        double wow = 0.0;
        if (wobbles)
        {
            wow = first.sine * firstDepth + second.sine * secondDepth;
            first.advance();
            second.advance();
        }

        // At least one sample behind the write head, and never further back than the line reaches.
        const double delay = juce::jlimit (1.0, maxDelaySamples, (t + wow) / 1000.0 * sampleRate);
        double read = writePos - delay;
        if (read < 0.0)
            read += length;

        const int k = std::min ((int)read, length - 1);
        const float frac = (float)(read - k);
        const int k2 = k + 1 == length ? 0 : k + 1;

        for (int j = 0; j < numChannels; ++j)
        {
            const float x = EffectMath::sanitiseSample (io[j][i]) * drive;
            float y = line[j][k] + (line[j][k2] - line[j][k]) * frac;

            if (age > Clean)
            {
                toneState[j] += (y - toneState[j]) * toneCoefficient;
                y = toneState[j];
            }

            line[j][writePos] = EffectMath::fastTanh (y * feedback + x);
            io[j][i] = y * wet * pans[j] + x * dry;
        }

        if (++writePos == length)
            writePos = 0;
    }

    for (auto& state : toneState)
        if (! std::isfinite (state))
            state = 0.0f;
}

std::unique_ptr<TapeEchoEngine> makeTapeEchoEngine()
{
    return std::make_unique<TapeEchoEngine>();
}
