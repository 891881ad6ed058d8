#include "engine/ButtonSoundVoice.h"
#include "resources/ButtonSoundResources.h"
#include "tests/engine/MechanicsProcessorFixture.h"
#include "tests/support/AudioTestUtils.h"

#include <juce_audio_formats/juce_audio_formats.h>

namespace
{
std::unique_ptr<juce::AudioFormatReader> readWav (const juce::MemoryBlock& bytes)
{
    return std::unique_ptr<juce::AudioFormatReader> (juce::WavAudioFormat().createReaderFor (
        new juce::MemoryInputStream (bytes.getData(), bytes.getSize(), false), true));
}

/** A stereo sound whose samples say where they come from: left i, right -i. */
juce::AudioBuffer<float> countingSound (int length)
{
    juce::AudioBuffer<float> sound (2, length);

    for (int i = 0; i < length; ++i)
    {
        sound.setSample (0, i, (float)(i + 1));
        sound.setSample (1, i, -(float)(i + 1));
    }

    return sound;
}

using ButtonSoundProcessorTest = MechanicsProcessorTest;
} // namespace

TEST (ButtonSounds, TheEmbeddedSoundsAreShortStereoWavFiles)
{
    struct Case
    {
        const char* name;
        const juce::MemoryBlock& bytes;
        int frames;
    };

    const Case cases[] = {
        {"click", ButtonSoundResources::getClickWav(), 11036},
        {"stop", ButtonSoundResources::getStopWav(), 22072},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        const auto reader = readWav (c.bytes);
        ASSERT_NE (reader, nullptr);
        EXPECT_EQ (reader->numChannels, 2u);
        EXPECT_EQ (reader->sampleRate, 44100.0);
        EXPECT_EQ (reader->bitsPerSample, 24u);
        EXPECT_FALSE (reader->usesFloatingPointData);
        EXPECT_EQ (reader->lengthInSamples, c.frames);

        juce::AudioBuffer<float> sound (2, c.frames);
        reader->read (&sound, 0, c.frames, 0, true, true);

        for (int channel = 0; channel < 2; ++channel)
        {
            // Audible, never clipping, and fading out to silence at the end.
            const auto peak = sound.getMagnitude (channel, 0, c.frames);
            EXPECT_GT (peak, 0.3f);
            EXPECT_LT (peak, 0.9f);
            EXPECT_LT (sound.getMagnitude (channel, c.frames - 16, 16), 1.0e-3f);
            EXPECT_GT (AudioTestUtils::rms (sound.getReadPointer (channel), 2205), 0.02); // the first 50 ms
        }

        // The two channels differ a little, as two microphones would hear them.
        sound.addFrom (0, 0, sound, 1, 0, c.frames, -1.0f);
        EXPECT_GT (sound.getMagnitude (0, 0, c.frames), 0.01f);
    }

    // Made once, then shared.
    EXPECT_EQ (&ButtonSoundResources::getClickWav(), &ButtonSoundResources::getClickWav());
}

TEST_F (ButtonSoundProcessorTest, TheProcessorDecodesTheSoundsWhenItIsBuilt)
{
    TavrelDelayAudioProcessor p;
    ASSERT_EQ (p.clickSound.getNumChannels(), 2);
    ASSERT_EQ (p.clickSound.getNumSamples(), 11036);
    ASSERT_EQ (p.stopSound.getNumChannels(), 2);
    ASSERT_EQ (p.stopSound.getNumSamples(), 22072);
    EXPECT_TRUE (p.buttonSoundsLoaded);

    // Within 24-bit resolution of what was synthesised.
    const auto click = ButtonSoundResources::synthesiseClick();

    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < click.getNumSamples(); ++i)
            ASSERT_NEAR (p.clickSound.getSample (channel, i), click.getSample (channel, i), 2.0e-7f) << i;
}

TEST_F (ButtonSoundProcessorTest, ASoundThatCannotBeDecodedStaysEmpty)
{
    TavrelDelayAudioProcessor p;
    juce::AudioBuffer<float> target;
    const char garbage[] = "RIFF, but nothing a reader could use";
    p.loadButtonSound (target, garbage, sizeof (garbage));
    EXPECT_EQ (target.getNumSamples(), 0);
    p.loadButtonSound (target, nullptr, 0);
    EXPECT_EQ (target.getNumSamples(), 0);

    // A decodable file takes the buffer over at its own size.
    target.setSize (1, 10);
    const auto& stop = ButtonSoundResources::getStopWav();
    p.loadButtonSound (target, stop.getData(), stop.getSize());
    EXPECT_EQ (target.getNumChannels(), 2);
    EXPECT_EQ (target.getNumSamples(), 22072);

    // An empty sound is never started.
    ButtonSoundVoice voice;
    voice.start (juce::AudioBuffer<float>(), 1.0f);
    juce::AudioBuffer<float> block (2, 16);
    block.clear();
    voice.mixInto (block);
    EXPECT_FALSE (voice.active);
    EXPECT_TRUE (block.hasBeenCleared());
}

TEST (ButtonSoundVoice, TheClickPlaysOverTwentyTwoBlocks)
{
    // 11036 samples in blocks of 512: 21 full blocks and 284 samples of the 22nd.
    juce::AudioBuffer<float> click (2, 11036);
    AudioTestUtils::fillSine (click, 1000.0, 44100.0, 0.5f);
    ButtonSoundVoice voice;
    voice.start (click, 0.6f);
    juce::AudioBuffer<float> block (2, 512);

    for (int b = 1; b <= 22; ++b)
    {
        SCOPED_TRACE (b);
        block.clear();
        voice.mixInto (block);
        const auto played = juce::jmin (512, 11036 - (b - 1) * 512);

        EXPECT_EQ (voice.active, b < 22);
        EXPECT_EQ (voice.position, (b - 1) * 512 + played);

        for (int channel = 0; channel < 2; ++channel)
        {
            EXPECT_FLOAT_EQ (block.getSample (channel, played - 1),
                             0.6f * click.getSample (channel, (b - 1) * 512 + played - 1));

            if (played < 512)
            {
                EXPECT_EQ (block.getMagnitude (channel, played, 512 - played), 0.0f);
            }
        }
    }

    block.clear();
    voice.mixInto (block);
    EXPECT_TRUE (block.hasBeenCleared());
}

TEST (ButtonSoundVoice, ASecondPressRestartsFromTheFirstSample)
{
    const auto sound = countingSound (1000);
    ButtonSoundVoice voice;
    juce::AudioBuffer<float> block (2, 100);

    voice.start (sound, 1.0f);
    block.clear();
    voice.mixInto (block);
    block.clear();
    voice.mixInto (block);
    EXPECT_EQ (block.getSample (0, 0), 101.0f);

    // Two presses before the next block: the last one plays, from its start.
    voice.start (sound, 0.5f);
    voice.start (sound, 0.25f);
    block.clear();
    voice.mixInto (block);
    EXPECT_EQ (block.getSample (0, 0), 0.25f);
    EXPECT_EQ (block.getSample (1, 99), -25.0f);
    EXPECT_EQ (voice.position, 100);
}

TEST (ButtonSoundVoice, TheSoundGoesToTheFirstTwoChannelsOnTopOfTheMix)
{
    const auto sound = countingSound (50);

    struct Case
    {
        int channels;
        float left, right; // first sample heard on channels 0 and 1
    };

    for (const auto& c : {Case{1, 1.0f, 0.0f}, Case{2, 1.0f, -1.0f}, Case{6, 1.0f, -1.0f}})
    {
        SCOPED_TRACE (c.channels);
        ButtonSoundVoice voice;
        voice.start (sound, 1.0f);
        juce::AudioBuffer<float> block (c.channels, 64);
        block.clear();
        block.setSample (0, 0, 0.5f); // the mix is already there: the sound adds to it
        voice.mixInto (block);

        EXPECT_EQ (block.getSample (0, 0), 1.5f);
        EXPECT_EQ (block.getSample (0, 49), 50.0f);

        if (c.channels > 1)
        {
            EXPECT_EQ (block.getSample (1, 49), -50.0f);
        }

        for (int channel = 2; channel < c.channels; ++channel)
            EXPECT_EQ (block.getMagnitude (channel, 0, 64), 0.0f);

        EXPECT_FALSE (voice.active); // used up within the block
    }

    // A mono sound plays its one channel on both sides.
    juce::AudioBuffer<float> mono (1, 10);
    mono.clear();
    mono.setSample (0, 3, 1.0f);
    ButtonSoundVoice voice;
    voice.start (mono, 0.5f);
    juce::AudioBuffer<float> block (2, 10);
    block.clear();
    voice.mixInto (block);
    EXPECT_EQ (block.getSample (0, 3), 0.5f);
    EXPECT_EQ (block.getSample (1, 3), 0.5f);
}

TEST (ButtonSoundVoice, StartsFromAnotherThreadNeverDisturbTheAudioThread)
{
    const auto click = countingSound (300);
    const auto stop = countingSound (700);
    ButtonSoundVoice voice;
    std::atomic<bool> done{false};

    std::thread presser (
        [&]
        {
            for (int i = 0; i < 20000; ++i)
                voice.start (i % 2 == 0 ? click : stop, 1.0f);

            done = true;
        });

    juce::AudioBuffer<float> block (2, 32);
    bool consistent = true;

    while (! done)
    {
        block.clear();
        voice.mixInto (block);

        // Whatever was started, each block plays a run of one sound in order.
        if (voice.sound != nullptr && ! block.hasBeenCleared())
        {
            const auto first = block.getSample (0, 0);

            for (int i = 1; i < 32 && block.getSample (0, i) != 0.0f; ++i)
                consistent = consistent && block.getSample (0, i) == first + (float)i;
        }
    }

    presser.join();
    EXPECT_TRUE (consistent);
}
