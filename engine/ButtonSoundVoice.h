#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

/** The one voice that plays the deck's button sounds on top of the output. Starting a sound
    replaces whatever was playing.

    A start may come from the message thread (deck, shortcuts) or from the audio thread
    (MIDI-map commands) while mixInto runs on the audio thread. The start is therefore only
    posted, through atomics, and mixInto takes it over when its next block begins: the fields
    sound, position, active and gain belong to the audio thread alone. */
class ButtonSoundVoice
{
public:
    /** Plays the sound from its first sample at the gain from the next block on. A buffer
        without audio starts nothing. The buffer must outlive the voice's use of it. */
    void start (const juce::AudioBuffer<float>& newSound, float newGain) noexcept;

    /** Adds the next stretch of the sound, times gain, to the first two channels of the
        output (a sound with fewer channels plays its first channel). Audio thread. */
    void mixInto (juce::AudioBuffer<float>& output) noexcept;

    /** The audio thread's playing state. */
    const juce::AudioBuffer<float>* sound = nullptr;
    int position = 0;
    bool active = false;
    float gain = 1.0f;

private:
    std::atomic<const juce::AudioBuffer<float>*> pendingSound{nullptr};
    std::atomic<float> pendingGain{1.0f};
    std::atomic<juce::uint32> startsRequested{0};
    juce::uint32 startsTaken = 0;
};
