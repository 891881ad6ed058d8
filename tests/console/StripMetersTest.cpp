#include "ConsoleTestSupport.h"

#include "ui/console/ConsoleIds.h"

using namespace ConsoleTest;

namespace
{
void setLowCpu (TavrelDelayAudioProcessor& processor, bool on)
{
    parameter (processor, ParameterIds::LIGHT_GUI).setValueNotifyingHost (on ? 1.0f : 0.0f);
}
} // namespace

// The needle rises at once and falls by 0.85 a tick.
TEST_F (ConsoleFixture, TheTrackMeterRisesAtOnceAndFallsByAFactorOf085)
{
    auto& s = strip (0);
    auto& track = processor->tracks[0];

    track.meterLevel = 0.5f;
    s.timerCallback();
    EXPECT_FLOAT_EQ (s.meterLevel, 0.5f);

    track.meterLevel = 0.0f;
    s.timerCallback();
    EXPECT_NEAR (s.meterLevel, 0.425f, 1e-6f);
    s.timerCallback();
    EXPECT_NEAR (s.meterLevel, 0.361f, 1e-3f);

    track.meterLevel = 0.9f;
    s.timerCallback();
    EXPECT_FLOAT_EQ (s.meterLevel, 0.9f);

    // A strip beyond the reel reads silence.
    console->showTrackPage (8);
    s.timerCallback();
    EXPECT_NEAR (s.meterLevel, 0.9f * 0.85f, 1e-6f);
}

// Low-CPU mode shows numbers, refreshed on one tick in four.
TEST_F (ConsoleFixture, LowCpuReadoutsAreDecibelsFromMinus60)
{
    setLowCpu (*processor, true);
    const std::pair<float, const char*> cases[] = {
        {0.01f, "-40.0"}, {0.001f, "-inf"}, {0.0011f, "-59.2"}, {1.0f, "0.0"}, {0.0f, "-inf"}, {2.0f, "6.0"}};

    auto& s = strip (0);
    for (const auto& [level, text] : cases)
    {
        SCOPED_TRACE (text);
        EXPECT_EQ (ChannelStripComponent::lowCpuReadout (level), text);

        // Start from another reading, so the fourth tick has something to change.
        s.getProperties().set (ConsoleIds::lastDb, "x");
        processor->tracks[0].meterLevel = level;
        for (int tick = 0; tick < 3; ++tick)
            s.timerCallback();
        EXPECT_EQ (s.getProperties()[ConsoleIds::lastDb].toString(), "x");
        s.timerCallback();
        EXPECT_EQ (s.getProperties()[ConsoleIds::lastDb].toString(), text);
    }
}

TEST_F (ConsoleFixture, TheGroupDotShowsTheGroupColour)
{
    const std::pair<int, juce::uint32> cases[] = {{1, 0xffff0000}, {2, 0xff00ffff}, {6, 0xff48ffff}, {8, 0xffff69b4}};
    auto& s = strip (0);
    const auto fader = s.volumeFader.getBounds();
    const int x = fader.getCentreX(), y = fader.getBottom() - 7;

    for (const auto& [group, colour] : cases)
    {
        processor->channelGroups[0] = group;
        EXPECT_TRUE (near (paintOf (s).getPixelAt (x, y), juce::Colour (colour))) << "group " << group;
    }

    // Group 6 is group 2's colour brightened by 1.4.
    const auto two = ChannelStripComponent::groupColour (2);
    const auto brighten = [] (juce::uint8 c) { return (juce::uint8) (255.0 - (255 - c) / 1.4); };
    EXPECT_EQ (ChannelStripComponent::groupColour (6),
               juce::Colour (brighten (two.getRed()), brighten (two.getGreen()), brighten (two.getBlue())));

    processor->channelGroups[0] = 0;
    EXPECT_FALSE (near (paintOf (s).getPixelAt (x, y), juce::Colour (0xff48ffff), 40));
}

TEST_F (ConsoleFixture, TheClipLedLightsAboveFullScale)
{
    // The LED is 5 pixels wide at x = width - 14, y = 9; its left part is free of the highlight.
    auto& s = strip (0);
    const int x = s.getWidth() - 14, y = 11;

    s.meterLevel = 1.05f;
    const auto lit = paintOf (s).getPixelAt (x, y);
    EXPECT_GT (lit.getRed(), 200);
    EXPECT_LT (lit.getGreen(), 90);

    s.meterLevel = 1.0f;
    EXPECT_LT (paintOf (s).getPixelAt (x, y).getRed(), 120);
}

TEST_F (ConsoleFixture, TheAutoKeyShowsTheChannelsMode)
{
    const std::tuple<int, const char*, juce::uint32> cases[] = {{0, "OFF", 0xff808080}, {1, "READ", 0xff008000},
                                                                {2, "TCH", 0xffff8c00}, {3, "LTCH", 0xffb8860b},
                                                                {4, "WRT", 0xffff0000}, {9, "OFF", 0xff808080}};
    auto& s = strip (2);
    for (const auto& [mode, text, colour] : cases)
    {
        processor->automationModes[2] = mode;
        s.timerCallback();
        EXPECT_EQ (s.autoButton.getButtonText(), text);
        EXPECT_EQ (s.autoButton.findColour (juce::TextButton::textColourOffId), juce::Colour (colour));
        EXPECT_EQ (s.autoButton.getToggleState(), mode >= 1 && mode <= 4);
    }
}

TEST_F (ConsoleFixture, TheInsertKeyTurnsGreenWhileTheTrackHasInserts)
{
    auto& s = strip (1);
    s.timerCallback();
    EXPECT_EQ (s.insertButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xffd0c0b0));

    processor->addBuiltInEffect (2, 1, TavrelDelayAudioProcessor::TrackInserts);
    s.timerCallback();
    EXPECT_EQ (s.insertButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xff849c82));
    EXPECT_EQ (s.insertButton.findColour (juce::TextButton::textColourOffId), juce::Colours::white);
    EXPECT_EQ (strip (0).insertButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xffd0c0b0));
}
