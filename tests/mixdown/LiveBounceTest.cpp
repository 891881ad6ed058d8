#include "tests/mixdown/MixdownFixture.h"
#include "tests/support/AudioTestUtils.h"

#include <thread>

namespace
{
using namespace AudioTestUtils;

constexpr double rate = 48000.0;
constexpr int blockSize = 512;

class LiveBounceTest : public MixdownProcessorTest
{
protected:
    void SetUp() override { p.setRateAndBufferSizeDetails (rate, blockSize); }

    /** Plays a continuous signal into the bounce the way the console stage hands it over:
        count blocks, first sample index offset. Returns how many blocks were taken. */
    int play (int count, int offset = 0)
    {
        int taken = 0;
        juce::AudioBuffer<float> block (2, blockSize);

        for (int b = 0; b < count; ++b)
        {
            fillBlock (block, offset + b * blockSize);

            if (p.pushLiveBounceBlock (block, blockSize))
                ++taken;
        }

        return taken;
    }

    static float expectedSample (int channel, int index)
    {
        return (channel == 0 ? 0.5f : -0.75f) * (float)std::sin (twoPi * 997.0 * index / rate);
    }

    static void fillBlock (juce::AudioBuffer<float>& block, int firstIndex)
    {
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < blockSize; ++i)
                block.setSample (ch, i, expectedSample (ch, firstIndex + i));
    }

    static void expectSignal (const FileContents& contents, int numSamples, int offset = 0)
    {
        ASSERT_EQ (contents.audio.getNumChannels(), 2);
        ASSERT_EQ (contents.audio.getNumSamples(), numSamples);
        EXPECT_EQ (contents.rate, rate);
        EXPECT_EQ (contents.bits, 24);
        EXPECT_EQ (contents.formatName, "WAV file");

        float worst = 0.0f;

        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < numSamples; ++i)
                worst = std::max (worst, std::abs (contents.audio.getSample (ch, i) - expectedSample (ch, offset + i)));

        EXPECT_LT (worst, 1.0e-6f); // 24-bit quantisation only
    }
};
} // namespace

TEST_F (LiveBounceTest, WritesTheOutputAsAStereo24BitWave)
{
    const auto target = temp / "bounce.wav";
    p.startLiveBounce (target);
    ASSERT_TRUE (p.liveBounceActive);

    ASSERT_EQ (play (40), 40); // fits the writer's queue whole
    p.stopLiveBounce();
    EXPECT_FALSE (p.liveBounceActive);
    EXPECT_EQ (p.liveBounceWriter, nullptr);

    expectSignal (readAudioFile (target), 40 * blockSize);
}

TEST_F (LiveBounceTest, ABlockWithoutRoomIsLeftOutWhole)
{
    const auto target = temp / "flood.wav";
    p.startLiveBounce (target);

    // Far more than the queue holds, as fast as possible: whatever was taken is in the file,
    // in whole blocks.
    int taken = 0;
    juce::AudioBuffer<float> block (2, blockSize);

    for (int b = 0; b < 400; ++b)
    {
        fillBlock (block, 0);
        taken += p.pushLiveBounceBlock (block, blockSize) ? 1 : 0;
    }

    p.stopLiveBounce();
    EXPECT_GT (taken, 0);
    const auto contents = readAudioFile (target);
    EXPECT_EQ (contents.audio.getNumSamples(), taken * blockSize);
}

TEST_F (LiveBounceTest, ANewBounceClosesTheFirstAndReplacesAnOldFile)
{
    const auto first = temp / "first.wav";
    const auto second = temp / "second.wav";
    ASSERT_TRUE (second.replaceWithText (juce::String::repeatedString ("old contents ", 100000)));

    p.startLiveBounce (first);
    ASSERT_EQ (play (10), 10);
    p.startLiveBounce (second);

    // The first file is complete as soon as the second bounce runs.
    expectSignal (readAudioFile (first), 10 * blockSize);

    ASSERT_EQ (play (5, 10 * blockSize), 5);
    p.stopLiveBounce();
    expectSignal (readAudioFile (second), 5 * blockSize, 10 * blockSize);
}

TEST_F (LiveBounceTest, IdleBouncesDoNothing)
{
    // Stopping with nothing running, and pushing with nothing running.
    p.stopLiveBounce();
    juce::AudioBuffer<float> block (2, blockSize);
    block.clear();
    EXPECT_FALSE (p.pushLiveBounceBlock (block, blockSize));

    // A file that cannot be made leaves the bounce idle; so does a folder, which survives.
    p.startLiveBounce ((temp / "no such folder").getChildFile ("bounce.wav"));
    EXPECT_FALSE (p.liveBounceActive);
    const auto folder = temp / "a folder";
    ASSERT_TRUE (folder.createDirectory());
    p.startLiveBounce (folder);
    EXPECT_FALSE (p.liveBounceActive);
    EXPECT_TRUE (folder.isDirectory());

    // A mono block cannot be written as the stereo output.
    p.startLiveBounce (temp / "mono.wav");
    juce::AudioBuffer<float> mono (1, blockSize);
    mono.clear();
    EXPECT_FALSE (p.pushLiveBounceBlock (mono, blockSize));
}

TEST_F (LiveBounceTest, TheProcessorFinishesARunningBounceWhenItGoes)
{
    const auto target = temp / "last.wav";
    {
        TavrelDelayAudioProcessor other;
        other.setRateAndBufferSizeDetails (rate, blockSize);
        other.startLiveBounce (target);
        juce::AudioBuffer<float> block (2, blockSize);
        fillBlock (block, 0);
        ASSERT_TRUE (other.pushLiveBounceBlock (block, blockSize));
    }

    expectSignal (readAudioFile (target), blockSize);
}
