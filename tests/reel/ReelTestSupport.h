#pragma once

#include "engine/ParameterIds.h"
#include "engine/tape/SharedTapeSample.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "storage/ReelFolderFormat.h"
#include "storage/ReelFolderWriter.h"
#include "storage/StorageIds.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

/** A processor with a library in a temporary folder, its auto-save thread held still, and a
    short reel (a few seconds at 48 kHz) so that saves stay quick. */
class ReelTest : public ::testing::Test
{
protected:
    TempDir temp;
    Platform::ScopedFolderOverride folders{temp / "user", temp / "music"};
    TavrelDelayAudioProcessor p;

    void SetUp() override
    {
        p.autoSaveTickMilliseconds = 1 << 30;

        // These tests start from an empty library: let the first-run job finish, then take
        // the demo reel it installed away.
        if (p.firstRunJob != nullptr)
        {
            ASSERT_TRUE (p.firstRunJob->waitForThreadToExit (60000));
        }

        p.reelLibrary.getLibraryRoot().getChildFile ("Demo").deleteRecursively();
        ASSERT_TRUE (p.prepareReel (8, 4.0, 48000.0).wasOk());
    }

    void TearDown() override { ReelFolderWriter::setWriteLimitForTesting (-1); }

    juce::File root() const { return p.reelLibrary.getLibraryRoot(); }
    juce::File reel (const juce::String& name) const { return root().getChildFile (name); }

    /** A signal on track index, recorded for seconds, and a painted defect cell. */
    void record (int index, double seconds, float level = 0.5f)
    {
        auto& track = p.tracks[(size_t)index];
        const auto n = (int)(seconds * track.sampleRate);

        for (int i = 0; i < n; ++i)
            track.getAudio().setSample (0, i, level * std::sin (0.01f * (float)(i + index)));

        track.recordedLength = n;
        track.dirty = true;
        // As a brush paints: the background saver may be copying the map.
        SharedTapeSample::store (&track.getHead().defects[(size_t)(100 + index)].lanes[3], 0.75f + (float)index);
    }

    static float raw (TavrelDelayAudioProcessor& processor, const juce::String& id)
    {
        return processor.parameters.getRawParameterValue (id)->load();
    }

    static void setParameter (TavrelDelayAudioProcessor& processor, const juce::String& id, float value)
    {
        auto* parameter = processor.parameters.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
    }

    static juce::MemoryBlock decompress (const juce::File& file)
    {
        juce::MemoryBlock out;
        juce::FileInputStream in (file);
        juce::GZIPDecompressorInputStream zlib (&in, false, juce::GZIPDecompressorInputStream::zlibFormat);
        juce::MemoryOutputStream sink (out, false);
        sink.writeFromInputStream (zlib, -1);
        return out;
    }

    /** Every file under a folder, relative path to content, for "nothing changed" checks. */
    static std::map<juce::String, juce::MemoryBlock> snapshot (const juce::File& folder)
    {
        std::map<juce::String, juce::MemoryBlock> files;

        for (const auto& f : folder.findChildFiles (juce::File::findFiles, true))
        {
            juce::MemoryBlock content;
            f.loadFileAsData (content);
            files[f.getRelativePathFrom (folder)] = content;
        }

        return files;
    }
};
