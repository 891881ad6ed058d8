#pragma once

#include "tests/support/AudioTestUtils.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <initializer_list>
#include <memory>

// Driving the instrument engines in tests: MIDI makers and a renderer that plays a
// long stretch in device-sized blocks, with MIDI delivered in a chosen block.
namespace InstrumentTestUtils
{
inline juce::MidiBuffer noteOn (int note, int velocity = 100, int channel = 1)
{
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (channel, note, (juce::uint8)velocity), 0);
    return midi;
}

inline juce::MidiBuffer noteOff (int note, int channel = 1)
{
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOff (channel, note), 0);
    return midi;
}

inline juce::MidiBuffer notesOn (std::initializer_list<int> notes, int velocity = 100)
{
    juce::MidiBuffer midi;
    for (int note : notes)
        midi.addEvent (juce::MidiMessage::noteOn (1, note, (juce::uint8)velocity), 0);
    return midi;
}

inline juce::MidiBuffer controller (int number, int value)
{
    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::controllerEvent (1, number, value), 0);
    return midi;
}

/** Renders numSamples in blocks; midi goes into the first block. Returns a stereo buffer. */
template <typename RenderBlock>
juce::AudioBuffer<float> renderWith (RenderBlock&& renderBlock, int numSamples, juce::MidiBuffer midi = {},
                                     int blockSize = 512)
{
    juce::AudioBuffer<float> out (2, numSamples);
    out.clear();

    for (int start = 0; start < numSamples; start += blockSize)
    {
        const int n = std::min (blockSize, numSamples - start);
        juce::AudioBuffer<float> block (out.getArrayOfWritePointers(), 2, start, n);
        juce::MidiBuffer blockMidi;
        if (start == 0)
            blockMidi.swapWith (midi);
        renderBlock (block, blockMidi);
    }

    return out;
}

template <typename Engine>
juce::AudioBuffer<float> render (Engine& engine, int numSamples, juce::MidiBuffer midi = {}, int blockSize = 512)
{
    return renderWith ([&engine] (juce::AudioBuffer<float>& b, juce::MidiBuffer& m) { engine.renderNextBlock (b, m); },
                       numSamples, std::move (midi), blockSize);
}

/** Frequency of a rendered stretch by rising zero crossings. */
inline double pitchOf (const juce::AudioBuffer<float>& buffer, double sampleRate, int start, int length)
{
    return AudioTestUtils::zeroCrossingFrequency (buffer, 0, sampleRate, start, length);
}

inline double rmsOf (const juce::AudioBuffer<float>& buffer, int start, int length)
{
    return AudioTestUtils::rms (buffer, 0, start, length);
}

/** Prepares a synth engine with oscillator 2 silent, the filter wide open and still, and a
    quick attack, so that the rendered pitch and level are easy to read. */
template <typename Engine> std::unique_ptr<Engine> withOpenFilter (std::unique_ptr<Engine> engine, double sampleRate)
{
    engine->prepare (sampleRate);
    engine->osc2Mix = 0.0f;
    engine->synthCutoff = 20000.0f;
    engine->synthEnvMod = 0.0f;
    engine->synthRes = 0.0f;
    engine->aEnvA = 2.0f;
    return engine;
}

inline double semitonesBetween (double f, double reference)
{
    return 12.0 * std::log2 (f / reference);
}

inline double midiToHz (double note)
{
    return 440.0 * std::pow (2.0, (note - 69.0) / 12.0);
}
} // namespace InstrumentTestUtils
