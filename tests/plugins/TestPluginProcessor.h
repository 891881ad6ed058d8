#pragma once

#include "tests/plugins/TestPluginNames.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <array>

/** The audio processor of every test plug-in; what it does depends on the kind it is made as
    (see TestPluginNames). Small and exact, so hosting tests can check numbers on its output. */
class TestPluginProcessor : public juce::AudioProcessor
{
public:
    explicit TestPluginProcessor (TestPluginNames::Kind kind);

    const juce::String getName() const override;
    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    void prepareToPlay (double sampleRate, int maximumBlockSize) override;
    void releaseResources() override {}
    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override;
    using juce::AudioProcessor::processBlock;

    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return kind == TestPluginNames::Kind::quadSynth; }
    bool producesMidi() const override { return false; }

    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }

    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

private:
    struct Voice
    {
        int note = -1;
        double phase = 0.0, phaseStep = 0.0;
        float amplitude = 0.0f;
    };

    static BusesProperties busesFor (TestPluginNames::Kind kind);
    void handleMidi (const juce::MidiMessage& message);
    void renderVoices (juce::AudioBuffer<float>& buffer, int start, int end);

    const TestPluginNames::Kind kind;
    juce::AudioParameterFloat* level = nullptr;
    double sampleRate = 44100.0;
    std::array<Voice, 16> voices;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TestPluginProcessor)
};
