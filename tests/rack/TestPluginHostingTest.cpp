#include "tests/rack/TestPlugins.h"
#include "tests/support/AudioTestUtils.h"

#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_events/juce_events.h>

// The test plug-ins hosted in this process the way the program hosts plug-ins: found through
// JUCE's VST3 format, created asynchronously, prepared, processed, their state saved and
// restored. Every instance is destroyed within its test, long before JUCE shuts down.

using TestPlugins::Kind;

namespace
{
class HostedTestPlugin : public ::testing::Test
{
protected:
    void SetUp() override
    {
        DRAVIN8_SKIP_WITHOUT_TEST_PLUGINS();
        formats.addFormat (new juce::VST3PluginFormat());
    }

    juce::PluginDescription describe (Kind kind)
    {
        juce::OwnedArray<juce::PluginDescription> found;
        formats.getFormat (0)->findAllTypesForFile (found, TestPlugins::bundle (kind).getFullPathName());
        return found.size() == 1 ? *found[0] : juce::PluginDescription();
    }

    std::unique_ptr<juce::AudioPluginInstance> create (Kind kind, double sampleRate, int blockSize)
    {
        std::unique_ptr<juce::AudioPluginInstance> created;
        bool done = false;

        formats.createPluginInstanceAsync (
            describe (kind), sampleRate, blockSize,
            [&] (std::unique_ptr<juce::AudioPluginInstance> instance, const juce::String&)
            {
                created = std::move (instance);
                done = true;
            });

        // The completion only arrives through the message loop; it refers to locals, so wait for it.
        while (! done)
            juce::MessageManager::getInstance()->runDispatchLoopUntil (10);

        if (created != nullptr)
            created->prepareToPlay (sampleRate, blockSize);

        return created;
    }

    static juce::AudioBuffer<float> process (juce::AudioPluginInstance& instance, const juce::AudioBuffer<float>& input,
                                             juce::MidiBuffer midi = {})
    {
        const int channels = juce::jmax (instance.getTotalNumInputChannels(), instance.getTotalNumOutputChannels());
        juce::AudioBuffer<float> buffer (channels, input.getNumSamples());
        buffer.clear();

        for (int ch = 0; ch < juce::jmin (input.getNumChannels(), instance.getTotalNumInputChannels()); ++ch)
            buffer.copyFrom (ch, 0, input, ch, 0, input.getNumSamples());

        instance.processBlock (buffer, midi);
        return buffer;
    }

    static float maxDifference (const juce::AudioBuffer<float>& output, int outChannel,
                                const juce::AudioBuffer<float>& input, int inChannel, float factor)
    {
        float worst = 0.0f;
        for (int i = 0; i < output.getNumSamples(); ++i)
            worst = juce::jmax (worst,
                                std::abs (output.getSample (outChannel, i) - factor * input.getSample (inChannel, i)));
        return worst;
    }

    static juce::AudioProcessorParameter* findParameter (juce::AudioPluginInstance& instance, const juce::String& name)
    {
        for (auto* parameter : instance.getParameters())
            if (parameter->getName (100) == name)
                return parameter;
        return nullptr;
    }

    juce::AudioPluginFormatManager formats;
};
} // namespace

TEST_F (HostedTestPlugin, GainMultipliesByAHalfInStereoAndInMono)
{
    struct Case
    {
        double sampleRate;
        int blockSize;
        bool mono;
    };

    for (auto& c : {Case{44100.0, 64, false}, Case{48000.0, 512, false}, Case{96000.0, 1000, true}})
    {
        SCOPED_TRACE ("rate " + juce::String (c.sampleRate) + ", block " + juce::String (c.blockSize) +
                      (c.mono ? ", mono" : ", stereo"));

        auto instance = create (Kind::gain, c.sampleRate, c.blockSize);
        ASSERT_NE (instance, nullptr);
        EXPECT_EQ (instance->getName(), TestPlugins::displayName (Kind::gain));

        if (c.mono)
        {
            const auto mono = juce::AudioChannelSet::mono();
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (mono);
            layout.outputBuses.add (mono);
            instance->releaseResources();
            ASSERT_TRUE (instance->setBusesLayout (layout));
            instance->prepareToPlay (c.sampleRate, c.blockSize);
        }

        const int channels = c.mono ? 1 : 2;
        EXPECT_EQ (instance->getTotalNumInputChannels(), channels);
        EXPECT_EQ (instance->getTotalNumOutputChannels(), channels);

        for (int block = 0; block < 3; ++block)
        {
            const auto input = AudioTestUtils::makeNoise (channels, c.blockSize, 0.9f, block + 1);
            const auto output = process (*instance, input);

            for (int ch = 0; ch < channels; ++ch)
                EXPECT_LT (maxDifference (output, ch, input, ch, TestPluginNames::gainFactor), 1.0e-7f);
        }

        instance->releaseResources();
    }
}

TEST_F (HostedTestPlugin, MonoToStereoTakesOnlyItsOwnLayoutAndFeedsBothSides)
{
    auto instance = create (Kind::monoToStereo, 48000.0, 256);
    ASSERT_NE (instance, nullptr);
    EXPECT_EQ (instance->getTotalNumInputChannels(), 1);
    EXPECT_EQ (instance->getTotalNumOutputChannels(), 2);

    // Layouts are negotiated before the instance is prepared (a prepared VST3 instance is not asked).
    instance->releaseResources();
    const auto layout = [] (juce::AudioChannelSet in, juce::AudioChannelSet out)
    {
        juce::AudioProcessor::BusesLayout result;
        result.inputBuses.add (in);
        result.outputBuses.add (out);
        return result;
    };
    const auto mono = juce::AudioChannelSet::mono();
    const auto stereo = juce::AudioChannelSet::stereo();
    EXPECT_TRUE (instance->checkBusesLayoutSupported (layout (mono, stereo)));
    EXPECT_FALSE (instance->checkBusesLayoutSupported (layout (stereo, stereo)));
    EXPECT_FALSE (instance->checkBusesLayoutSupported (layout (mono, mono)));
    instance->prepareToPlay (48000.0, 256);

    const auto input = AudioTestUtils::makeSine (1, 256, 1000.0, 48000.0, 0.8f);
    const auto output = process (*instance, input);

    EXPECT_LT (maxDifference (output, 0, input, 0, 1.0f), 1.0e-7f);
    EXPECT_LT (maxDifference (output, 1, input, 0, TestPluginNames::monoRightFactor), 1.0e-7f);
}

TEST_F (HostedTestPlugin, QuadSynthPlaysASinePerNoteOnFourOutputs)
{
    for (double sampleRate : {44100.0, 48000.0})
    {
        SCOPED_TRACE (sampleRate);
        const int blockSize = 480;

        auto instance = create (Kind::quadSynth, sampleRate, blockSize);
        ASSERT_NE (instance, nullptr);
        EXPECT_TRUE (describe (Kind::quadSynth).isInstrument);
        EXPECT_EQ (instance->getTotalNumInputChannels(), 0);
        ASSERT_EQ (instance->getTotalNumOutputChannels(), 4);
        EXPECT_EQ (instance->getBus (false, 0)->getCurrentLayout(), juce::AudioChannelSet::quadraphonic());

        const juce::AudioBuffer<float> none (1, blockSize);
        juce::AudioBuffer<float> played (4, 20 * blockSize);

        for (int block = 0; block < 20; ++block)
        {
            juce::MidiBuffer midi;
            if (block == 0)
                midi.addEvent (juce::MidiMessage::noteOn (1, 69, 1.0f), 0);

            const auto output = process (*instance, none, midi);
            for (int ch = 0; ch < 4; ++ch)
                played.copyFrom (ch, block * blockSize, output, ch, 0, blockSize);
        }

        for (int ch = 0; ch < 4; ++ch)
        {
            SCOPED_TRACE ("output " + juce::String (ch + 1));
            EXPECT_NEAR (AudioTestUtils::zeroCrossingFrequency (played, ch, sampleRate), 440.0, 0.5);
            EXPECT_NEAR (AudioTestUtils::peak (played, ch), TestPluginNames::quadSynthChannelGains[ch], 0.002);
        }

        juce::MidiBuffer noteOff;
        noteOff.addEvent (juce::MidiMessage::noteOff (1, 69), 0);
        const auto released = process (*instance, none, noteOff);
        for (int ch = 0; ch < 4; ++ch)
            EXPECT_EQ (AudioTestUtils::peak (released, ch), 0.0f);
    }
}

TEST_F (HostedTestPlugin, StatePluginCarriesItsLevelToAnotherInstance)
{
    const int blockSize = 128;
    juce::AudioBuffer<float> ones (2, blockSize);
    for (int ch = 0; ch < 2; ++ch)
        juce::FloatVectorOperations::fill (ones.getWritePointer (ch), 1.0f, blockSize);

    juce::MemoryBlock state;

    {
        auto source = create (Kind::state, 48000.0, blockSize);
        ASSERT_NE (source, nullptr);
        auto* level = findParameter (*source, TestPluginNames::levelParameterName);
        ASSERT_NE (level, nullptr);

        level->setValueNotifyingHost (0.25f);
        EXPECT_NEAR (process (*source, ones).getSample (1, blockSize - 1), 0.25f, 1.0e-6f);
        source->getStateInformation (state);
    }

    ASSERT_GT (state.getSize(), 0u);

    auto restored = create (Kind::state, 48000.0, blockSize);
    ASSERT_NE (restored, nullptr);
    EXPECT_NEAR (process (*restored, ones).getSample (1, blockSize - 1), 1.0f, 1.0e-6f);

    restored->setStateInformation (state.getData(), (int)state.getSize());

    EXPECT_NEAR (findParameter (*restored, TestPluginNames::levelParameterName)->getValue(), 0.25f, 1.0e-6f);
    const auto output = process (*restored, ones);
    EXPECT_NEAR (output.getSample (0, 0), 0.25f, 1.0e-6f);
    EXPECT_NEAR (output.getSample (1, blockSize - 1), 0.25f, 1.0e-6f);
}
