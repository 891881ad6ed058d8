#include "fuzz/FuzzEnvironment.h"

#include <cstring>

FuzzEnvironment::FuzzEnvironment (const char* target)
    : juce (std::make_unique<juce::ScopedJuceInitialiser_GUI>()),
      folder (getBaseFolder().getChildFile (target))
{
    folder.deleteRecursively();
    folder.createDirectory();
    folders = std::make_unique<Platform::ScopedFolderOverride> (folder.getChildFile ("user"),
                                                                folder.getChildFile ("music"));

    // Enough for a few minutes of 8 tracks at 48 kHz, far less than a damaged file may declare.
    memory = std::make_unique<Platform::ScopedAvailableMemoryOverride> ((juce::int64)384 << 20);
}

TavrelDelayAudioProcessor& FuzzEnvironment::getProcessor()
{
    if (processor == nullptr)
    {
        processor = std::make_unique<TavrelDelayAudioProcessor>();
        processor->autoSaveTickMilliseconds = 1 << 30;

        if (processor->firstRunJob != nullptr)
            processor->firstRunJob->waitForThreadToExit (-1);

        processor->reelLibrary.getLibraryRoot().getChildFile ("Demo").deleteRecursively();
    }

    return *processor;
}

void FuzzEnvironment::dispatchMessages()
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (1);
}

std::vector<juce::MemoryBlock> FuzzEnvironment::split (const uint8_t* data, size_t size, size_t maxParts)
{
    std::vector<juce::MemoryBlock> parts;
    const auto separatorLength = std::strlen (separator);
    size_t start = 0;

    for (size_t i = 0; parts.size() + 1 < maxParts && i + separatorLength <= size; ++i)
    {
        if (std::memcmp (data + i, separator, separatorLength) == 0)
        {
            parts.emplace_back (data + start, i - start);
            start = i + separatorLength;
            i = start - 1;
        }
    }

    parts.emplace_back (data + start, size - start);
    parts.resize (maxParts);
    return parts;
}

juce::MemoryBlock FuzzEnvironment::join (const std::vector<juce::MemoryBlock>& parts)
{
    juce::MemoryBlock joined;

    for (size_t i = 0; i < parts.size(); ++i)
    {
        if (i > 0)
            joined.append (separator, std::strlen (separator));

        joined.append (parts[i].getData(), parts[i].getSize());
    }

    return joined;
}

juce::File FuzzEnvironment::getBaseFolder()
{
    const auto fromEnvironment = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_FUZZ_FOLDER", {});

    if (juce::File::isAbsolutePath (fromEnvironment))
        return juce::File (fromEnvironment);

    return juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("dravin8-fuzz");
}

void FuzzEnvironment::write (const juce::File& file, const juce::MemoryBlock& bytes)
{
    file.getParentDirectory().createDirectory();
    file.replaceWithData (bytes.getData(), bytes.getSize());
}
