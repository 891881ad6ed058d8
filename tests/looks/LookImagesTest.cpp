#include "ui/looks/LookImages.h"

#include <gtest/gtest.h>

#include <cmath>

TEST (LookImages, EveryPictureDecodesAtItsSize)
{
    struct Case
    {
        LookImageId id;
        int width, height;
    };

    const Case cases[] = {
        {LookImageId::knobStripDefault, 128, 16384}, {LookImageId::knobStripEq, 128, 16384},
        {LookImageId::knobStripAuxPan, 128, 16384},  {LookImageId::faderCap, 90, 136},
        {LookImageId::sliderThumb, 50, 50},          {LookImageId::panelButton, 96, 60},
        {LookImageId::panelButtonLit, 96, 60},       {LookImageId::reel, 600, 600},
        {LookImageId::playCap, 100, 70},             {LookImageId::playCapLit, 100, 70},
        {LookImageId::stopCap, 100, 70},             {LookImageId::stopCapLit, 100, 70},
        {LookImageId::recCap, 100, 70},              {LookImageId::recCapLit, 100, 70},
        {LookImageId::rewCap, 100, 70},              {LookImageId::rewCapLit, 100, 70},
        {LookImageId::ffCap, 100, 70},               {LookImageId::ffCapLit, 100, 70},
        {LookImageId::rtzCap, 100, 70},              {LookImageId::rtzCapLit, 100, 70},
        {LookImageId::zeroCap, 100, 70},             {LookImageId::zeroCapLit, 100, 70},
        {LookImageId::dustCover, 3000, 2000},        {LookImageId::deckArtwork, 3000, 2000},
        {LookImageId::maskingTape, 3000, 2000},      {LookImageId::tapeRoomBackdrop, 1536, 1024},
        {LookImageId::instrumentBackground, 1920, 971},
    };

    ASSERT_EQ ((int)(sizeof (cases) / sizeof (cases[0])), (int)LookImageId::count);

    for (const auto& c : cases)
    {
        const auto image = LookImages::get (c.id);
        ASSERT_TRUE (image.isValid()) << LookImages::spec (c.id).name;
        EXPECT_EQ (image.getWidth(), c.width) << LookImages::spec (c.id).name;
        EXPECT_EQ (image.getHeight(), c.height) << LookImages::spec (c.id).name;
    }
}

TEST (LookImages, PicturesLeaveTransparentWhatTheDeckDrawsBeneathThem)
{
    // Reel: its three windows show the tape pack beneath, the spokes between them do not.
    const auto reel = LookImages::reel();
    const float pi = juce::MathConstants<float>::pi;

    for (int i = 0; i < 3; ++i)
    {
        const float window = (float)i * 2.0f * pi / 3.0f + pi / 3.0f, spoke = window - pi / 3.0f;
        EXPECT_EQ (reel.getPixelAt ((int)(300 + std::sin (window) * 180), (int)(300 - std::cos (window) * 180)).getAlpha(), 0);
        EXPECT_EQ (reel.getPixelAt ((int)(300 + std::sin (spoke) * 180), (int)(300 - std::cos (spoke) * 180)).getAlpha(), 255);
    }

    // Dust cover: the lid lies under the cover's click area (900.5..1459.5 x 72..362.5 of
    // 1699 x 1133), the rest is clear.
    const auto cover = LookImages::dustCover();
    const auto toPicture = [] (float x, float y) { return juce::Point<int> ((int)(x * 3000 / 1699), (int)(y * 2000 / 1133)); };

    for (const auto& inside : {toPicture (1000, 150), toPicture (1400, 330), toPicture (1180, 220)})
        EXPECT_GT (cover.getPixelAt (inside.x, inside.y).getAlpha(), 100);

    for (const auto& outside : {toPicture (400, 600), toPicture (1200, 800), toPicture (1600, 1000)})
        EXPECT_EQ (cover.getPixelAt (outside.x, outside.y).getAlpha(), 0);

    // Deck artwork is opaque throughout.
    const auto deck = LookImages::deckArtwork();
    EXPECT_FALSE (deck.hasAlphaChannel() && deck.getPixelAt (1500, 1000).getAlpha() < 255);
}

TEST (LookImages, KnobFramesFollowTheirPosition)
{
    // Frame 0 and frame 127 show the pointer at opposite ends of the travel (7 and 5 o'clock):
    // the lower left of frame 0 and the lower right of frame 127 hold the light pointer mark.
    const auto strip = LookImages::get (LookImageId::knobStripDefault);
    const auto frame = [&strip] (int k) { return strip.getClippedImage ({0, 128 * k, 128, 128}); };
    const float start = 1.2f * juce::MathConstants<float>::pi, end = 2.8f * juce::MathConstants<float>::pi;

    auto markAt = [] (const juce::Image& image, float angle)
    {
        const juce::Point<float> p (64.0f + std::sin (angle) * 45.5f, 64.0f - std::cos (angle) * 45.5f);
        return image.getPixelAt ((int)p.x, (int)p.y).getBrightness();
    };

    EXPECT_GT (markAt (frame (0), start), 0.8f);
    EXPECT_LT (markAt (frame (0), end), 0.4f);
    EXPECT_GT (markAt (frame (127), end), 0.8f);
    EXPECT_LT (markAt (frame (127), start), 0.4f);
    EXPECT_GT (markAt (frame (64), (start + end) * 0.5f + 0.01f), 0.8f);
}
