#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_core/juce_core.h>

/** The deck's two mechanical sounds as WAV files (stereo, 44.1 kHz, 24-bit integer PCM), the
    form the processor decodes them from. They are synthesised when first asked for, from a
    fixed seed, so every run gets the same bytes. */
namespace ButtonSoundResources
{
inline constexpr double sampleRate = 44100.0;
inline constexpr int numChannels = 2;
inline constexpr int bitsPerSample = 24;

/** A transport key going down and up again: 0.25 s. */
inline constexpr int clickFrames = 11036;

/** The brake solenoid and the reels running down: 0.5 s. */
inline constexpr int stopFrames = 22072;

/** The WAV file of the click, made once and then shared (thread-safe). */
const juce::MemoryBlock& getClickWav();

/** The WAV file of the stop sound, made once and then shared (thread-safe). */
const juce::MemoryBlock& getStopWav();

/** The sounds themselves, before they are written as WAV. */
juce::AudioBuffer<float> synthesiseClick();
juce::AudioBuffer<float> synthesiseStop();
} // namespace ButtonSoundResources
