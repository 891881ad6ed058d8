#pragma once

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <juce_audio_formats/juce_audio_formats.h>

/** A processor with per-user and music folders of its own and a short reel, and helpers to
    write and read audio files. */
class MixdownProcessorTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    TavrelDelayAudioProcessor p;

    /** Sizes the reel (and the processor's rate) without running a device. */
    void makeReel (int trackCount, double seconds, double rate, int blockSize = 512)
    {
        ASSERT_TRUE (p.prepareReel (trackCount, seconds, rate).wasOk());
        p.setRateAndBufferSizeDetails (rate, blockSize);
    }

    float raw (const juce::String& id) { return p.parameters.getRawParameterValue (id)->load(); }

    void setParameter (const juce::String& id, float value)
    {
        auto* parameter = p.parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    /** Writes the buffer to file in the format of its extension; bits 16 for Ogg (the format
        ignores it), 24 otherwise. */
    static bool writeAudioFile (const juce::File& file, const juce::AudioBuffer<float>& audio, double rate)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        auto* format = formats.findFormatForFileExtension (file.getFileExtension().substring (1));

        if (format == nullptr)
            return false;

        file.deleteFile();
        auto stream = std::make_unique<juce::FileOutputStream> (file);
        const auto bits = file.hasFileExtension ("ogg") ? 16 : 24;
        const auto quality = file.hasFileExtension ("ogg") ? format->getQualityOptions().size() - 1 : 0;
        std::unique_ptr<juce::AudioFormatWriter> writer (
            format->createWriterFor (stream.get(), rate, (unsigned int)audio.getNumChannels(), bits, {}, quality));

        if (writer == nullptr)
            return false;

        stream.release();
        return writer->writeFromAudioSampleBuffer (audio, 0, audio.getNumSamples());
    }

    /** The whole file, with its rate, channel count and bit depth; an empty buffer when it
        cannot be read. */
    struct FileContents
    {
        juce::AudioBuffer<float> audio;
        double rate = 0.0;
        int bits = 0;
        juce::String formatName;
    };

    static FileContents readAudioFile (const juce::File& file)
    {
        juce::AudioFormatManager formats;
        formats.registerBasicFormats();
        FileContents contents;
        // By content, not by extension: a file may carry a name no format claims.
        std::unique_ptr<juce::AudioFormatReader> reader (
            formats.createReaderFor (std::make_unique<juce::FileInputStream> (file)));

        if (reader == nullptr)
            return contents;

        contents.audio.setSize ((int)reader->numChannels, (int)reader->lengthInSamples);
        reader->read (&contents.audio, 0, (int)reader->lengthInSamples, 0, true, true);
        contents.rate = reader->sampleRate;
        contents.bits = (int)reader->bitsPerSample;
        contents.formatName = reader->getFormatName();
        return contents;
    }
};
