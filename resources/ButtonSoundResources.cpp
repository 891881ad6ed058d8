#include "resources/ButtonSoundResources.h"

#include <juce_audio_formats/juce_audio_formats.h>

#include <cmath>
#include <vector>

namespace
{
constexpr double twoPi = juce::MathConstants<double>::twoPi;

/** A decaying sine: a struck resonance. */
struct Ring
{
    double frequency, amplitude, decaySeconds, startSeconds;

    float at (double t) const noexcept
    {
        const auto local = t - startSeconds;

        if (local < 0.0)
            return 0.0f;

        return (float)(amplitude * std::exp (-local / decaySeconds) * std::sin (twoPi * frequency * local));
    }
};

/** A burst of brightened noise with a fast attack and an exponential decay: the contact
    itself. */
struct Burst
{
    double amplitude, decaySeconds, startSeconds;
};

/** One channel: rings and bursts summed, a one-zero high-pass on the noise for brightness. */
void render (float* out, int numFrames, const std::vector<Ring>& rings, const std::vector<Burst>& bursts,
             juce::int64 seed, double delaySeconds)
{
    juce::Random noise (seed);
    float lastNoise = 0.0f;

    for (int i = 0; i < numFrames; ++i)
    {
        const auto t = i / ButtonSoundResources::sampleRate - delaySeconds;
        const auto white = noise.nextFloat() * 2.0f - 1.0f;
        const auto bright = white - 0.85f * lastNoise;
        lastNoise = white;

        double sample = 0.0;

        for (const auto& ring : rings)
            sample += ring.at (t);

        for (const auto& burst : bursts)
        {
            const auto local = t - burst.startSeconds;

            if (local >= 0.0)
                sample += burst.amplitude * (1.0 - std::exp (-local / 0.0002)) *
                          std::exp (-local / burst.decaySeconds) * bright;
        }

        out[i] = (float)sample;
    }
}

/** Scales to a fixed peak and fades the last 5 ms to silence, so no sound ends on a step. */
void finish (juce::AudioBuffer<float>& buffer, float peak)
{
    const auto magnitude = buffer.getMagnitude (0, buffer.getNumSamples());

    if (magnitude > 0.0f)
        buffer.applyGain (peak / magnitude);

    const auto fade = (int)(ButtonSoundResources::sampleRate * 0.005);
    buffer.applyGainRamp (buffer.getNumSamples() - fade, fade, 1.0f, 0.0f);
}

juce::MemoryBlock writeWav (const juce::AudioBuffer<float>& sound)
{
    juce::MemoryBlock bytes;
    juce::WavAudioFormat wav;
    auto* stream = new juce::MemoryOutputStream (bytes, false);
    std::unique_ptr<juce::AudioFormatWriter> writer (wav.createWriterFor (stream, ButtonSoundResources::sampleRate,
                                                                          (unsigned int)sound.getNumChannels(),
                                                                          ButtonSoundResources::bitsPerSample, {}, 0));

    if (writer == nullptr)
    {
        delete stream;
        return {};
    }

    writer->writeFromAudioSampleBuffer (sound, 0, sound.getNumSamples());
    writer.reset(); // completes the header and lets go of the stream
    return bytes;
}
} // namespace

namespace ButtonSoundResources
{
juce::AudioBuffer<float> synthesiseClick()
{
    // The key's plastic tock and its spring going down, then the latch letting go.
    const std::vector<Ring> rings{
        {1850.0, 0.35, 0.006, 0.0},   {3400.0, 0.18, 0.003, 0.0},   {190.0, 0.45, 0.022, 0.0005},
        {2300.0, 0.16, 0.004, 0.072}, {240.0, 0.14, 0.015, 0.0725},
    };
    const std::vector<Burst> bursts{{0.9, 0.0015, 0.0}, {0.35, 0.0012, 0.072}};

    juce::AudioBuffer<float> sound (numChannels, clickFrames);
    render (sound.getWritePointer (0), clickFrames, rings, bursts, 0x5eed01, 0.0);
    render (sound.getWritePointer (1), clickFrames, rings, bursts, 0x5eed02, 0.0003);
    finish (sound, 0.7f);
    return sound;
}

juce::AudioBuffer<float> synthesiseStop()
{
    // The brake solenoid's clunk with its metal ringing, the pinch roller falling back, and
    // the reels running down under the brake.
    const std::vector<Ring> rings{
        {72.0, 0.7, 0.07, 0.0},     {930.0, 0.18, 0.05, 0.001},  {2270.0, 0.1, 0.03, 0.001},
        {140.0, 0.25, 0.03, 0.118}, {1600.0, 0.08, 0.02, 0.119},
    };
    const std::vector<Burst> bursts{{0.8, 0.004, 0.0}, {0.3, 0.002, 0.118}};

    juce::AudioBuffer<float> sound (numChannels, stopFrames);

    for (int channel = 0; channel < numChannels; ++channel)
    {
        auto* out = sound.getWritePointer (channel);
        render (out, stopFrames, rings, bursts, 0x5eed10 + channel, channel * 0.0004);

        // The motor's hum falling from 300 Hz to 60 Hz as the reels stop.
        double phase = 0.0;

        for (int i = 0; i < stopFrames; ++i)
        {
            const auto t = i / sampleRate;
            const auto progress = juce::jmin (1.0, t / 0.4);
            phase += twoPi * (300.0 - 240.0 * progress) / sampleRate;
            out[i] += (float)(0.06 * (1.0 - progress) * (1.0 - progress) * std::sin (phase));
        }
    }

    finish (sound, 0.8f);
    return sound;
}

const juce::MemoryBlock& getClickWav()
{
    static const juce::MemoryBlock bytes = writeWav (synthesiseClick());
    return bytes;
}

const juce::MemoryBlock& getStopWav()
{
    static const juce::MemoryBlock bytes = writeWav (synthesiseStop());
    return bytes;
}
} // namespace ButtonSoundResources
