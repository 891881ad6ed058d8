#pragma once

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

/** A processor prepared like an audio device would prepare it, driven block by block through
    processBlock with real buffers: 24 device input channels in, stereo out. */
class BlockRig
{
public:
    using Processor = TavrelDelayAudioProcessor;
    using InputFunction = std::function<float (int channel, juce::int64 sample)>;

    std::unique_ptr<Processor> processor = std::make_unique<Processor>();
    Processor& p = *processor;
    double rate = 48000.0;
    int blockSize = 512;
    juce::int64 samplesRun = 0; // device samples passed through processBlock so far
    juce::MidiBuffer midi;      // handed to the next block, then emptied

    BlockRig()
    {
        // Five-minute tapes keep the reels small.
        set (ParameterIds::TAPE_LENGTH, 0.0f);
    }

    virtual ~BlockRig() = default;

    void prepare (double newRate = 48000.0, int newBlockSize = 512)
    {
        rate = newRate;
        blockSize = newBlockSize;
        p.setRateAndBufferSizeDetails (rate, blockSize);
        p.prepareToPlay (rate, blockSize);
    }

    //==============================================================================
    void set (const juce::String& id, float plainValue)
    {
        auto* parameter = p.parameters.getParameter (id);

        if (parameter == nullptr)
        {
            ADD_FAILURE() << "no parameter " << id;
            return;
        }

        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    void setTrack (const char* prefix, int trackNumber, float plainValue)
    {
        set (ParameterIds::forTrack (prefix, trackNumber), plainValue);
    }

    float normalised (const juce::String& id) { return p.parameters.getParameter (id)->getValue(); }

    /** A tape that moves at exactly the speed asked for and adds nothing of its own: no wow,
        flutter, hiss, noise print, age or drive. */
    void quietTape()
    {
        using namespace ParameterIds;
        set (WOW, 0.0f);
        set (FLUTTER, 0.0f);
        set (NOISE, 0.0f);
        set (DISABLE_NOISE, 1.0f);
        set (DIGITAL_FINGER, 0.0f);
        set (AGE, 0.0f);
        set (DRIVE, 1.0f);
    }

    /** Runs whole blocks for at least numSamples samples (the device input given by the
        function, silence without one) and returns the stereo output of all of them. */
    juce::AudioBuffer<float> run (int numSamples, const InputFunction& input = {}, int numInputs = 24)
    {
        const auto blocks = (numSamples + blockSize - 1) / blockSize;
        juce::AudioBuffer<float> output (2, blocks * blockSize);
        juce::AudioBuffer<float> buffer (juce::jmax (2, numInputs), blockSize);

        for (int b = 0; b < blocks; ++b)
        {
            buffer.clear();

            if (input)
                for (int ch = 0; ch < numInputs; ++ch)
                    for (int s = 0; s < blockSize; ++s)
                        buffer.setSample (ch, s, input (ch, samplesRun + s));

            p.processBlock (buffer, midi);
            midi.clear();
            samplesRun += blockSize;

            for (int ch = 0; ch < 2; ++ch)
                output.copyFrom (ch, b * blockSize, buffer, ch, 0, blockSize);
        }

        return output;
    }

    /** A constant on one device input, silence on the others. */
    static InputFunction constantOn (int channel, float value)
    {
        return [channel, value] (int ch, juce::int64) { return ch == channel ? value : 0.0f; };
    }

    /** A sine on one device input. */
    InputFunction sineOn (int channel, double frequency, float amplitude)
    {
        return [channel, frequency, amplitude, r = rate] (int ch, juce::int64 sample) {
            return ch == channel ? amplitude * (float)std::sin (AudioTestUtils::twoPi * frequency * (double)sample / r)
                                 : 0.0f;
        };
    }

    /** Past the fade-in and every control ramp. */
    void settle (const InputFunction& input = {}) { run ((int)(rate * 0.3), input); }

    static float last (const juce::AudioBuffer<float>& output, int channel)
    {
        return output.getSample (channel, output.getNumSamples() - 1);
    }
};

/** The rig as a test fixture. */
class BlockTest : public ::testing::Test, public BlockRig
{
};
