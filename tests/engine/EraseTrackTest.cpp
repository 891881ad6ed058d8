#include "engine/TavrelDelayAudioProcessor.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// Erasing a track zeroes its tape in place while nothing else may read it: it waits for the
// audio lock (which the block callback holds while it plays the tapes), never replaces the
// buffer, and marks the track for the next save.
TEST (EraseTrack, ZeroesTheTapeInPlaceUnderTheAudioLock)
{
    TavrelDelayAudioProcessor processor;
    ASSERT_TRUE (processor.prepareReel (8, 1.0, 44100.0).wasOk());
    auto& track = processor.tracks[3];
    auto& audio = track.getAudio();
    juce::FloatVectorOperations::fill (audio.getWritePointer (0), 0.25f, audio.getNumSamples());
    track.recordedLength = 500;
    track.dirty = false;
    const float* tape = audio.getReadPointer (0);

    std::atomic<bool> erased{false};
    {
        const juce::ScopedLock busy (processor.audioLock);
        std::thread eraser ([&] {
            processor.clearTrack (3);
            erased = true;
        });
        juce::Thread::sleep (100);
        EXPECT_FALSE (erased.load());
        EXPECT_EQ (audio.getMagnitude (0, audio.getNumSamples()), 0.25f);

        const juce::ScopedUnlock letGo (processor.audioLock);
        eraser.join();
    }

    EXPECT_TRUE (erased.load());
    EXPECT_EQ (audio.getMagnitude (0, audio.getNumSamples()), 0.0f);
    EXPECT_EQ (audio.getReadPointer (0), tape);
    EXPECT_EQ (track.recordedLength, 0);
    EXPECT_TRUE (track.dirty.load());
    EXPECT_FALSE (processor.isSuspended());

    // Tracks outside the reel are left alone.
    processor.clearTrack (8);
    processor.clearTrack (-1);
    EXPECT_EQ (processor.tracks.size(), 8u);
}
