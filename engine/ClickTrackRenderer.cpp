#include "engine/ClickTrackRenderer.h"

#include <cmath>

namespace
{
juce::int64 positiveModulo (juce::int64 value, juce::int64 divisor) noexcept
{
    const auto remainder = value % divisor;
    return remainder < 0 ? remainder + divisor : remainder;
}
} // namespace

ClickTrackRenderer::Tempo ClickTrackRenderer::clampTempo (double bpm, int beatsPerBar, int beatUnit) noexcept
{
    Tempo tempo;
    tempo.bpm = std::isfinite (bpm) ? juce::jlimit (minimumBpm, maximumBpm, bpm) : 120.0;
    tempo.beatsPerBar = juce::jmax (1, beatsPerBar);
    tempo.beatUnit = juce::jmax (1, beatUnit);
    return tempo;
}

int ClickTrackRenderer::getClickLength (double sampleRate) noexcept
{
    return sampleRate > 0.0 && std::isfinite (sampleRate) ? (int)(sampleRate * 0.05) : 0;
}

std::vector<float> ClickTrackRenderer::makeClickSound (Sound sound, double sampleRate)
{
    const auto count = getClickLength (sampleRate);
    std::vector<float> samples ((size_t)juce::jmax (0, count));

    float frequency = 600.0f;
    float peak = 0.8f;

    if (sound == barSound)
    {
        frequency = 1600.0f;
        peak = 2.0f;
    }
    else if (sound == beatSound)
    {
        frequency = 800.0f;
        peak = 1.5f;
    }

    const auto rate = (float)sampleRate;

    for (int i = 0; i < count; ++i)
    {
        const auto tone = std::sin (juce::MathConstants<float>::twoPi * (float)i * frequency / rate);
        const auto envelope = std::exp (-15.0f * (float)i / (float)count);
        samples[(size_t)i] = tone * peak * envelope;
    }

    return samples;
}

ClickTrackRenderer::Sound ClickTrackRenderer::classifyStep (juce::int64 offsetFromZero, juce::int64 barSamples,
                                                            juce::int64 beatSamples, juce::int64 stepSamples) noexcept
{
    // The offset is taken into the bar (and the beat) before the test, which is what raising it
    // by whole bars until it is not negative gives, without a loop that a far zero point could
    // make run for ever.
    const auto halfStep = stepSamples / 2;

    if (positiveModulo (offsetFromZero, barSamples) < halfStep)
        return barSound;

    if (positiveModulo (offsetFromZero, beatSamples) < halfStep)
        return beatSound;

    return subdivisionSound;
}

void ClickTrackRenderer::render (float* tape, juce::int64 tapeLength, double sampleRate, const Tempo& tempo,
                                 int subdivision, double zeroOffsetSeconds)
{
    if (tape == nullptr || tapeLength <= 0)
        return;

    std::fill (tape, tape + tapeLength, 0.0f);

    if (! (sampleRate > 0.0) || ! std::isfinite (sampleRate) || ! (tempo.bpm > 0.0) || ! std::isfinite (tempo.bpm) ||
        tempo.beatUnit <= 0 || tempo.beatsPerBar <= 0)
        return;

    const auto beatSeconds = (4.0 / tempo.beatUnit) * (60.0 / tempo.bpm);
    auto stepSeconds = beatSeconds;

    if (subdivision == 1)
        stepSeconds = beatSeconds * 0.5;
    else if (subdivision == 2)
        stepSeconds = beatSeconds * 0.25;

    const auto beat = (juce::int64) (beatSeconds * sampleRate);
    const auto bar = (juce::int64)tempo.beatsPerBar * beat;
    const auto step = (juce::int64) (stepSeconds * sampleRate);
    const auto count = getClickLength (sampleRate);

    // A grid finer than one sample would never advance.
    if (beat <= 0 || bar <= 0 || step <= 0 || count <= 0)
        return;

    const std::vector<float> sounds[3] = {makeClickSound (barSound, sampleRate), makeClickSound (beatSound, sampleRate),
                                          makeClickSound (subdivisionSound, sampleRate)};

    const auto zeroSeconds = std::isfinite (zeroOffsetSeconds) ? zeroOffsetSeconds : 0.0;
    const auto zero = (juce::int64)juce::jlimit (-1.0e15, 1.0e15, sampleRate * zeroSeconds);

    for (auto write = positiveModulo (zero, step); write < tapeLength; write += step)
    {
        const auto n = juce::jmin (tapeLength - write, (juce::int64)count);

        if (n <= 0)
            break;

        const auto& sound = sounds[classifyStep (write - zero, bar, beat, step)];
        std::copy (sound.begin(), sound.begin() + (std::ptrdiff_t)n, tape + write);
    }
}
