#include "storage/GuardedAudioReader.h"

#include "platform/Platform.h"

#include <cmath>

namespace
{
std::unique_ptr<juce::AudioFormatReader> accept (std::unique_ptr<juce::AudioFormatReader> reader,
                                                 const juce::File& file, juce::String* problem)
{
    if (reader == nullptr)
    {
        if (problem != nullptr)
            *problem = "The file \"" + file.getFileName() + "\" cannot be read as audio.";

        return nullptr;
    }

    if (auto checked = GuardedAudioReader::checkHeader (*reader); checked.failed())
    {
        if (problem != nullptr)
            *problem = "The file \"" + file.getFileName() + "\" was not read: " + checked.getErrorMessage();

        return nullptr;
    }

    return reader;
}

bool isPlainFile (const juce::File& file, juce::String* problem)
{
    if (problem != nullptr)
        problem->clear();

    if (! file.existsAsFile())
    {
        if (problem != nullptr)
            *problem = "The file \"" + file.getFileName() + "\" does not exist.";

        return false;
    }

    if (! Platform::isRegularFile (file))
    {
        if (problem != nullptr)
            *problem = "\"" + file.getFileName() + "\" is not a plain file and was not read.";

        return false;
    }

    return true;
}
} // namespace

juce::Result GuardedAudioReader::checkHeader (const juce::AudioFormatReader& reader)
{
    const auto channels = (int)reader.numChannels;
    const auto bits = (int)reader.bitsPerSample;

    if (channels < 1 || channels > maximumChannels)
        return juce::Result::fail ("it declares " + juce::String (channels) + " channels (at most " +
                                   juce::String (maximumChannels) + " can be read).");

    // Compressed formats report 0 or their decoded width; the sample formats are checked.
    if (bits != 0 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return juce::Result::fail ("it declares samples of " + juce::String (bits) + " bits.");

    if (! (std::isfinite (reader.sampleRate) && reader.sampleRate > 0.0))
        return juce::Result::fail ("it declares no usable sample rate.");

    if (reader.lengthInSamples < 0)
        return juce::Result::fail ("its length is damaged.");

    return juce::Result::ok();
}

std::unique_ptr<juce::AudioFormatReader> GuardedAudioReader::open (juce::AudioFormatManager& formats,
                                                                   const juce::File& file, juce::String* problem,
                                                                   bool byContent)
{
    if (! isPlainFile (file, problem))
        return nullptr;

    std::unique_ptr<juce::AudioFormatReader> reader (byContent ? formats.createReaderFor (file.createInputStream())
                                                               : formats.createReaderFor (file));
    return accept (std::move (reader), file, problem);
}

std::unique_ptr<juce::AudioFormatReader> GuardedAudioReader::openWav (const juce::File& file, juce::String* problem)
{
    if (! isPlainFile (file, problem))
        return nullptr;

    auto in = std::make_unique<juce::FileInputStream> (file);

    if (in->failedToOpen())
        return accept (nullptr, file, problem);

    juce::WavAudioFormat wav;
    return accept (std::unique_ptr<juce::AudioFormatReader> (wav.createReaderFor (in.release(), true)), file, problem);
}

std::unique_ptr<juce::AudioFormatReader> GuardedAudioReader::openMemory (juce::AudioFormatManager& formats,
                                                                         const void* data, size_t numBytes)
{
    auto reader = std::unique_ptr<juce::AudioFormatReader> (
        formats.createReaderFor (std::make_unique<juce::MemoryInputStream> (data, numBytes, false)));

    if (reader == nullptr || checkHeader (*reader).failed())
        return nullptr;

    return reader;
}
