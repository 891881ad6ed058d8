#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include <functional>

/** A stand-in for a hosted plug-in: any number of input and output channels, and a process
    function the test gives, which sees the buffer and MIDI exactly as the processor hands
    them over. */
class FakePlugin : public juce::AudioPluginInstance
{
public:
    using Process = std::function<void (juce::AudioBuffer<float>&, juce::MidiBuffer&)>;

    FakePlugin (int inputs, int outputs, Process processToRun = {})
        : juce::AudioPluginInstance (makeBuses (inputs, outputs)), process (std::move (processToRun))
    {
    }

    void processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi) override
    {
        ++blocksProcessed;
        channelsSeen = buffer.getNumChannels();

        if (process)
            process (buffer, midi);
    }

    int blocksProcessed = 0;
    int channelsSeen = 0;

    void fillInPluginDescription (juce::PluginDescription& description) const override { description.name = "Fake"; }

    const juce::String getName() const override { return "Fake"; }
    void prepareToPlay (double, int) override {}
    void releaseResources() override {}
    double getTailLengthSeconds() const override { return 0.0; }
    bool acceptsMidi() const override { return true; }
    bool producesMidi() const override { return false; }
    juce::AudioProcessorEditor* createEditor() override { return nullptr; }
    bool hasEditor() const override { return false; }
    int getNumPrograms() override { return 1; }
    int getCurrentProgram() override { return 0; }
    void setCurrentProgram (int) override {}
    const juce::String getProgramName (int) override { return {}; }
    void changeProgramName (int, const juce::String&) override {}
    void getStateInformation (juce::MemoryBlock&) override {}
    void setStateInformation (const void*, int) override {}

private:
    static BusesProperties makeBuses (int inputs, int outputs)
    {
        BusesProperties buses;

        if (inputs > 0)
            buses = buses.withInput ("In", juce::AudioChannelSet::discreteChannels (inputs), true);

        if (outputs > 0)
            buses = buses.withOutput ("Out", juce::AudioChannelSet::discreteChannels (outputs), true);

        return buses;
    }

    Process process;
};
