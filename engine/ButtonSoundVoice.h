#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

/** The one voice that plays the deck's button sounds on top of the output. Starting a sound
    replaces whatever was playing. */
class ButtonSoundVoice
{
public:
    /** Adds the rest of the sound, times gain, to the first two channels of the output. */
    void mixInto (juce::AudioBuffer<float>& output) noexcept;

    const juce::AudioBuffer<float>* sound = nullptr;
    int position = 0;
    bool active = false;
    float gain = 1.0f;
};
