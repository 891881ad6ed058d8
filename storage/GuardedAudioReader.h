#pragma once

#include <juce_audio_formats/juce_audio_formats.h>

#include <memory>

/** The one way the program opens audio files: track files, imports, drum samples. Call it
    instead of AudioFormatManager::createReaderFor or WavAudioFormat::createReaderFor.

    JUCE's WAV and AIFF readers copy each frame through a fixed buffer and loop for ever on a
    frame wider than it, so a reader is handed out only when its header is sane: 1 to
    maximumChannels channels, 8, 16, 24 or 32 bits, a positive rate, a length that is not
    negative. Only plain files are opened (a path naming a pipe or a device would block). A
    refused file gives nullptr and, when problem is given, a message that names it. */
struct GuardedAudioReader
{
    static constexpr int maximumChannels = 64;

    /** A format the manager knows for the file's extension, or, byContent, whichever of its
        formats reads the bytes. */
    static std::unique_ptr<juce::AudioFormatReader> open (juce::AudioFormatManager& formats, const juce::File& file,
                                                          juce::String* problem = nullptr, bool byContent = false);

    /** A WAV file only (the reel's track files). */
    static std::unique_ptr<juce::AudioFormatReader> openWav (const juce::File& file, juce::String* problem = nullptr);

    /** A file held in memory, in any format the manager knows; the bytes must outlive the
        reader. */
    static std::unique_ptr<juce::AudioFormatReader> openMemory (juce::AudioFormatManager& formats, const void* data,
                                                                size_t numBytes);

    /** Whether a reader that was just created may read: the header checks above. */
    static juce::Result checkHeader (const juce::AudioFormatReader& reader);
};
