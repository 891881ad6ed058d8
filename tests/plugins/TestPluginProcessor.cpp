#include "tests/plugins/TestPluginProcessor.h"

#include "tests/plugins/TestPluginIdentity.h"

#include <cstdlib>
#include <thread>

using TestPluginNames::Kind;

TestPluginProcessor::TestPluginProcessor (Kind kindToBe) : juce::AudioProcessor (busesFor (kindToBe)), kind (kindToBe)
{
    if (kind == Kind::state)
    {
        auto parameter = std::make_unique<juce::AudioParameterFloat> (
            juce::ParameterID{"level", 1}, TestPluginNames::levelParameterName, 0.0f, 1.0f, 1.0f);
        level = parameter.get();
        addParameter (parameter.release());
    }
}

juce::AudioProcessor::BusesProperties TestPluginProcessor::busesFor (Kind kind)
{
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    switch (kind)
    {
        case Kind::monoToStereo:
            return BusesProperties().withInput ("Input", mono).withOutput ("Output", stereo);
        case Kind::quadSynth:
            return BusesProperties().withOutput ("Output", juce::AudioChannelSet::quadraphonic());
        case Kind::gain:
        case Kind::state:
        case Kind::crash:
        case Kind::hang:
            break;
    }

    return BusesProperties().withInput ("Input", stereo).withOutput ("Output", stereo);
}

const juce::String TestPluginProcessor::getName() const
{
    return TestPluginNames::identityOf (kind).displayName;
}

bool TestPluginProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    const auto in = layouts.getMainInputChannelSet();
    const auto out = layouts.getMainOutputChannelSet();
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();

    switch (kind)
    {
        case Kind::gain:
            return in == out && (out == mono || out == stereo);
        case Kind::monoToStereo:
            return in == mono && out == stereo;
        case Kind::quadSynth:
            return in.isDisabled() && out == juce::AudioChannelSet::quadraphonic();
        case Kind::state:
        case Kind::crash:
        case Kind::hang:
            break;
    }

    return in == stereo && out == stereo;
}

void TestPluginProcessor::prepareToPlay (double newSampleRate, int)
{
    sampleRate = newSampleRate > 0.0 ? newSampleRate : 44100.0;

    for (auto& voice : voices)
        voice = {};
}

void TestPluginProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer& midi)
{
    const juce::ScopedNoDenormals noDenormals;
    const int numSamples = buffer.getNumSamples();

    switch (kind)
    {
        case Kind::gain:
            buffer.applyGain (TestPluginNames::gainFactor);
            break;

        case Kind::state:
            buffer.applyGain (level->get());
            break;

        case Kind::monoToStereo:
            if (buffer.getNumChannels() >= 2)
            {
                buffer.copyFrom (1, 0, buffer, 0, 0, numSamples);
                buffer.applyGain (1, 0, numSamples, TestPluginNames::monoRightFactor);
            }
            break;

        case Kind::quadSynth:
        {
            buffer.clear();
            int position = 0;

            for (const auto metadata : midi)
            {
                const int eventPosition = juce::jlimit (0, numSamples, metadata.samplePosition);
                renderVoices (buffer, position, eventPosition);
                handleMidi (metadata.getMessage());
                position = eventPosition;
            }

            renderVoices (buffer, position, numSamples);
            break;
        }

        case Kind::crash:
        case Kind::hang:
            buffer.clear();
            break;
    }

    midi.clear();
}

void TestPluginProcessor::handleMidi (const juce::MidiMessage& message)
{
    if (message.isNoteOn())
    {
        for (auto& voice : voices)
        {
            if (voice.note < 0)
            {
                voice.note = message.getNoteNumber();
                voice.phase = 0.0;
                voice.phaseStep = juce::MathConstants<double>::twoPi *
                                  juce::MidiMessage::getMidiNoteInHertz (voice.note) / sampleRate;
                voice.amplitude = message.getFloatVelocity();
                return;
            }
        }
    }
    else if (message.isNoteOff())
    {
        for (auto& voice : voices)
            if (voice.note == message.getNoteNumber())
                voice.note = -1;
    }
    else if (message.isAllNotesOff() || message.isAllSoundOff())
    {
        for (auto& voice : voices)
            voice.note = -1;
    }
}

void TestPluginProcessor::renderVoices (juce::AudioBuffer<float>& buffer, int start, int end)
{
    const int numChannels = juce::jmin (buffer.getNumChannels(), 4);

    for (auto& voice : voices)
    {
        if (voice.note < 0)
            continue;

        for (int i = start; i < end; ++i)
        {
            const auto value = voice.amplitude * (float)std::sin (voice.phase);
            voice.phase += voice.phaseStep;

            for (int channel = 0; channel < numChannels; ++channel)
                buffer.addSample (channel, i, value * TestPluginNames::quadSynthChannelGains[channel]);
        }

        voice.phase = std::fmod (voice.phase, juce::MathConstants<double>::twoPi);
    }
}

void TestPluginProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    if (level == nullptr)
        return;

    juce::XmlElement state ("DRAVIN_TEST_STATE");
    state.setAttribute ("marker", TestPluginNames::stateMarker);
    state.setAttribute ("level", (double)level->get());
    copyXmlToBinary (state, destData);
}

void TestPluginProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    if (level == nullptr)
        return;

    if (auto state = getXmlFromBinary (data, sizeInBytes))
        if (state->hasTagName ("DRAVIN_TEST_STATE") &&
            state->getStringAttribute ("marker") == TestPluginNames::stateMarker)
            *level = (float)state->getDoubleAttribute ("level", 1.0);
}

// The plug-in entry JUCE's wrapper calls whenever the host creates an instance, scans included.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    const auto kind = getTestPluginIdentity().kind;

    if (kind == Kind::crash)
        std::abort();

    if (kind == Kind::hang)
        for (;;)
            std::this_thread::sleep_for (std::chrono::seconds (1));

    return new TestPluginProcessor (kind);
}
