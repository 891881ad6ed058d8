#include "engine/ButtonSoundVoice.h"

void ButtonSoundVoice::start (const juce::AudioBuffer<float>& newSound, float newGain) noexcept
{
    if (newSound.getNumChannels() < 1 || newSound.getNumSamples() < 1)
        return;

    pendingSound.store (&newSound, std::memory_order_relaxed);
    pendingGain.store (newGain, std::memory_order_relaxed);
    startsRequested.fetch_add (1, std::memory_order_release);
}

void ButtonSoundVoice::mixInto (juce::AudioBuffer<float>& output) noexcept
{
    const auto requested = startsRequested.load (std::memory_order_acquire);

    if (requested != startsTaken)
    {
        startsTaken = requested;
        sound = pendingSound.load (std::memory_order_relaxed);
        gain = pendingGain.load (std::memory_order_relaxed);
        position = 0;
        active = sound != nullptr;
    }

    if (! active || sound == nullptr)
        return;

    const auto n = juce::jmin (output.getNumSamples(), sound->getNumSamples() - position);

    if (n > 0)
    {
        if (! sound->hasBeenCleared())
        {
            const auto channels = juce::jmin (output.getNumChannels(), 2);

            for (int c = 0; c < channels; ++c)
                output.addFrom (c, 0, *sound, juce::jmin (c, sound->getNumChannels() - 1), position, n, gain);
        }

        position += n;

        if (position < sound->getNumSamples())
            return;
    }

    active = false;
}
