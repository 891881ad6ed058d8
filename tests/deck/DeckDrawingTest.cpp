#include "DeckTestSupport.h"

#include "ui/looks/NoiseTexture.h"

using DeckTest::DeckFixture;

namespace
{
bool samePixels (const juce::Image& a, const juce::Image& b)
{
    if (a.getWidth() != b.getWidth() || a.getHeight() != b.getHeight())
        return false;
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;
    return true;
}

/** How many pixels of the area are close to the colour. */
int countNear (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour)
{
    int count = 0;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
        {
            const auto p = image.getPixelAt (x, y);
            if (std::abs (p.getRed() - colour.getRed()) < 24 && std::abs (p.getGreen() - colour.getGreen()) < 24
                && std::abs (p.getBlue() - colour.getBlue()) < 24)
                ++count;
        }
    return count;
}

/** The mean brightness (0..1) of an area. */
float brightness (const juce::Image& image, juce::Rectangle<int> area)
{
    float sum = 0.0f;
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            sum += image.getPixelAt (x, y).getBrightness();
    return sum / (float) juce::jmax (1, area.getWidth() * area.getHeight());
}
} // namespace

TEST (DeckGrain, NoiseTextureIsTheSameOnEveryCall)
{
    const auto first = createNoiseTexture (64, 0.15f);
    const auto second = createNoiseTexture (64, 0.15f);
    ASSERT_EQ (first.getWidth(), 64);
    EXPECT_TRUE (samePixels (first, second));

    // About half the pixels carry grain, none darker than the density allows.
    int grains = 0;
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x)
            if (const auto alpha = first.getPixelAt (x, y).getAlpha(); alpha > 0)
            {
                ++grains;
                EXPECT_LE (alpha, 39);
            }
    EXPECT_GT (grains, 64 * 64 * 4 / 10);
    EXPECT_LT (grains, 64 * 64 * 6 / 10);
}

// The play head slides with the head gap in both decks; punch-in puts it on the record head.
TEST_F (DeckFixture, PlayHeadGapMarkFollowsTheHeadGap)
{
    ed().dustCover->putAwayAtOnce();
    ed().dustCover->setVisible (false);
    const auto gold = juce::Colour (0xffffd700);
    const float u = 1030.0f;

    // Gap mark of the play head: design x = u + 106 + 66 g + 19 + 102, y from 297 + 65.
    const auto markArea = [u] (float g) { return juce::Rectangle<int> ((int) (u + 106.0f + 66.0f * g + 19.0f + 102.0f), 362, 2, 10); };

    const struct
    {
        float time, punch;
        float g;
    } cases[] = {{1000.0f, 0.0f, 1.0f}, {1000.0f, 1.0f, 0.0f}, {500.0f, 0.0f, 0.5f}};
    for (const auto& c : cases)
    {
        auto* time = processor->parameters.getParameter (ParameterIds::TIME);
        time->setValueNotifyingHost (time->convertTo0to1 (c.time));
        setParameter (ParameterIds::PUNCH_IN, c.punch);
        const auto picture = ed().createComponentSnapshot (ed().getLocalBounds(), true, 1.0f);
        EXPECT_GE (countNear (picture, markArea (c.g), gold), 10) << c.time << " " << c.punch;
    }
}

TEST_F (DeckFixture, ReverseWarningShowsOnlyAboveHalf)
{
    ed().dustCover->putAwayAtOnce();
    ed().dustCover->setVisible (false);
    const juce::Rectangle<int> box (1140 - 50 + 102, 136 + 65, 100, 20);
    const auto red = juce::Colour (0xffe74c3c);

    setParameter (ParameterIds::REVERSE, 1.0f);
    auto picture = ed().createComponentSnapshot (ed().getLocalBounds(), true, 1.0f);
    EXPECT_GT (countNear (picture, box, red), 20);

    setParameter (ParameterIds::REVERSE, 0.0f);
    picture = ed().createComponentSnapshot (ed().getLocalBounds(), true, 1.0f);
    EXPECT_EQ (countNear (picture, box, red), 0);
}

TEST_F (DeckFixture, MidiLearnOutlinesThePickedControl)
{
    ed().dustCover->putAwayAtOnce();
    ed().dustCover->setVisible (false);
    ed().midiLearnHighlight = &ed().driveKnob;
    const auto b = ed().driveKnob.getBounds();
    const juce::Rectangle<int> edge (b.getX() + 2, b.getCentreY() - 2, 1, 4);

    processor->midiLearnArmed = true;
    const auto outlined = brightness (ed().createComponentSnapshot (ed().getLocalBounds(), true, 1.0f), edge);

    processor->midiLearnArmed = false;
    const auto plain = brightness (ed().createComponentSnapshot (ed().getLocalBounds(), true, 1.0f), edge);
    EXPECT_GT (outlined, plain + 0.3f);
}

// Both looks draw at any size without the tape room; the reels follow the reel phase forward
// across its wrap.
TEST_F (DeckFixture, DrawsBothLooksAndTurnsReelsForwardAcrossThePhaseWrap)
{
    processor->transportState = TavrelDelayAudioProcessor::transportPlay;
    for (const bool minimal : {false, true})
    {
        ed().useModernUI = minimal;
        for (const auto size : {juce::Point<int> (850, 566), juce::Point<int> (3400, 1133), juce::Point<int> (1000, 1133)})
        {
            ed().setSize (size.x, size.y);
            const auto picture = ed().createComponentSnapshot (ed().getLocalBounds(), true, 0.5f);
            EXPECT_TRUE (picture.isValid());
        }
    }
    processor->transportState = TavrelDelayAudioProcessor::transportStop;
}
