// Decoding the deck's button sounds and choosing their gains.

#include "engine/TavrelDelayAudioProcessor.h"

#include "engine/ParameterIds.h"
#include "resources/ButtonSoundResources.h"

void TavrelDelayAudioProcessor::loadButtonSound (juce::AudioBuffer<float>& target, const void* data, size_t numBytes)
{
    if (data == nullptr || numBytes == 0)
        return;

    std::unique_ptr<juce::AudioFormatReader> reader (
        audioFormatManager.createReaderFor (std::make_unique<juce::MemoryInputStream> (data, numBytes, false)));

    // The sounds are decoded while the processor is being built, possibly before the format
    // manager knows its formats; they are WAV files, which the WAV reader always reads.
    if (reader == nullptr)
        reader.reset (
            juce::WavAudioFormat().createReaderFor (new juce::MemoryInputStream (data, numBytes, false), true));

    if (reader == nullptr || reader->numChannels < 1 || reader->lengthInSamples < 1 ||
        reader->lengthInSamples > std::numeric_limits<int>::max())
        return;

    const auto channels = (int)reader->numChannels;
    const auto length = (int)reader->lengthInSamples;

    if (target.getNumChannels() != channels || target.getNumSamples() != length)
        target.setSize (channels, length);

    reader->read (&target, 0, length, 0, true, true);
}

bool TavrelDelayAudioProcessor::loadButtonSounds()
{
    const auto& click = ButtonSoundResources::getClickWav();
    const auto& stop = ButtonSoundResources::getStopWav();
    loadButtonSound (clickSound, click.getData(), click.getSize());
    loadButtonSound (stopSound, stop.getData(), stop.getSize());
    return clickSound.getNumSamples() > 0 && stopSound.getNumSamples() > 0;
}

bool TavrelDelayAudioProcessor::buttonSoundsEnabled() const noexcept
{
    return transportParameters.disableSfx == nullptr || transportParameters.disableSfx->load() < 0.5f;
}

float TavrelDelayAudioProcessor::drawButtonSoundGain() noexcept
{
    // No two presses sound quite alike.
    return 0.6f + 0.1f * soundRandom.nextFloat() - 0.05f;
}
