#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/AvailableMemory.h"
#include "platform/Platform.h"

#include <juce_events/juce_events.h>

#include <cstdint>
#include <memory>
#include <vector>

/** What every fuzz target needs once per process: JUCE, a private per-user folder and library
    (the same path on every run, so seeds may name files in it), a small memory budget so that
    a settings file declaring an hour of 24 tracks is refused instead of filling the machine,
    and, for the targets that need one, a processor. */
class FuzzEnvironment
{
public:
    explicit FuzzEnvironment (const char* target);

    /** The folder of this target: per-user files in "user", the library under "music". */
    juce::File getFolder() const { return folder; }
    juce::File getUserFolder() const { return folder.getChildFile ("user"); }

    /** The processor, made on first use with the first-run job finished and its demo reel gone. */
    TavrelDelayAudioProcessor& getProcessor();

    /** Delivers what the processor posted to the message thread (plug-in loads, refreshes), so
        that nothing piles up across inputs. */
    void dispatchMessages();

    /** An input cut into parts at each separator (see fuzz/README.md). */
    static std::vector<juce::MemoryBlock> split (const uint8_t* data, size_t size, size_t maxParts);

    /** The separator between the parts of an input: a line that no reel file holds. */
    static constexpr const char* separator = "\n--dravin8-fuzz-part--\n";

    /** Joins parts with the separator (for the seeds). */
    static juce::MemoryBlock join (const std::vector<juce::MemoryBlock>& parts);

    /** The base folder of the fuzz runs: $DRAVIN8_FUZZ_FOLDER, else "dravin8-fuzz" in the
        temporary folder. */
    static juce::File getBaseFolder();

    /** Writes bytes to a file, replacing it. */
    static void write (const juce::File& file, const juce::MemoryBlock& bytes);

private:
    std::unique_ptr<juce::ScopedJuceInitialiser_GUI> juce;
    juce::File folder;
    std::unique_ptr<Platform::ScopedFolderOverride> folders;
    std::unique_ptr<Platform::ScopedAvailableMemoryOverride> memory;
    std::unique_ptr<TavrelDelayAudioProcessor> processor;
};
