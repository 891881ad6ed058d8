#include "instruments/TannerinEngine.h"
#include "ui/instruments/SlideKeyboardPicture.h"
#include "ui/instruments/TannerinSliderLook.h"

#include <gtest/gtest.h>

namespace
{
using Picture = SlideKeyboardPicture;

const juce::Colour paper (0xfff5f5f0);

struct Drawn
{
    juce::Image image{juce::Image::ARGB, 700, 140, true};
    // The editor's picture height; columns 12 apart with their centres on pixel centres.
    juce::Rectangle<float> area{20.5f, 20.0f, 600.0f, 55.0f};

    explicit Drawn (Picture::Glow glow)
    {
        juce::Graphics g (image);
        g.fillAll (juce::Colours::darkgrey);
        g.setColour (paper);
        g.fillRect (area);
        Picture::draw (g, area, Picture::editorTicks, glow);
    }

    /** A point low on a white key (below the black keys). */
    juce::Colour whiteKeyAt (int note) const
    {
        return image.getPixelAt (juce::roundToInt (Picture::noteX (area, note)), (int)(area.getY() + area.getHeight() * 0.85f));
    }

    /** A point in the middle of a black key. */
    juce::Colour blackKeyAt (int note) const
    {
        return image.getPixelAt (juce::roundToInt (Picture::noteX (area, note)), (int)(area.getY() + area.getHeight() * 0.35f));
    }

    bool whiteKeyGlows (int note) const
    {
        const auto c = whiteKeyAt (note);
        return c.getRed() < 0x80 && c.getGreen() > 0xd0; // 0x00ffcc over cream
    }

    bool blackKeyGlows (int note) const
    {
        const auto c = blackKeyAt (note);
        return c.getRed() > 0xa0 && c.getBlue() < 0x40; // orange over black
    }
};
} // namespace

TEST (SlideKeyboardPicture, NotesSitOnColumnsThatAPitchStripOfTheSameSpanPointsAt)
{
    const juce::Rectangle<float> area (20.0f, 20.0f, 1360.0f, 140.0f);
    const float J = (1360.0f - 24.0f) / 48.0f;
    EXPECT_FLOAT_EQ (Picture::noteX (area, 36), 32.0f);
    EXPECT_FLOAT_EQ (Picture::noteX (area, 60), 32.0f + 24.0f * J);
    EXPECT_FLOAT_EQ (Picture::noteX (area, 84), 1368.0f);

    // The strip's thumb centre for value n lands on note n's column.
    TannerinSliderLook look;
    juce::Slider strip (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    strip.setLookAndFeel (&look);
    strip.setRange (36.0, 84.0);
    strip.setBounds (20, 200, 1360, 40);
    for (double n : {36.0, 48.0, 61.0, 72.5, 84.0})
    {
        SCOPED_TRACE (n);
        const float picture = area.getX() + 12.0f + (float)(n - 36.0) * J;
        EXPECT_NEAR ((float)strip.getX() + strip.getPositionOfValue (n), picture, 0.5f);
    }
    strip.setLookAndFeel (nullptr);

    // A squeezed area never turns inside out.
    EXPECT_EQ (Picture::makeArea (5, 5, -10, -3), juce::Rectangle<float> (5, 5, 0, 0));
}

TEST (SlideKeyboardPicture, TheGlowFollowsThePitchAndTheLights)
{
    auto engine = makeTannerinEngine();

    struct Case
    {
        const char* name;
        bool withEngine, lights;
        float pitch;
        int whiteGlowing;  // 0: none
        int blackGlowing;  // 0: none
    };
    const Case cases[] = {
        {"pitch on a white key", true, true, 64.0f, 64, 0},
        {"pitch on a black key", true, true, 61.0f, 0, 61},
        {"lights off", true, false, 64.0f, 0, 0},
        {"no engine: note 60", false, true, 72.0f, 60, 0},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        engine->lightsOn = c.lights;
        engine->slidePitch = c.pitch;
        const Drawn drawn (Picture::glowFor (c.withEngine ? engine.get() : nullptr));

        for (int n : {48, 60, 64, 67, 72})
            EXPECT_EQ (drawn.whiteKeyGlows (n), n == c.whiteGlowing) << "white " << n;
        for (int n : {49, 61, 66})
            EXPECT_EQ (drawn.blackKeyGlows (n), n == c.blackGlowing) << "black " << n;
    }

    // Half a semitone off still glows, dimmer; a whole semitone off does not.
    EXPECT_NEAR (Picture::glowStrength (60.5f, 60), std::pow (0.5f, 1.5f), 1e-6f);
    EXPECT_EQ (Picture::glowStrength (61.0f, 60), 0.0f);
    EXPECT_EQ (Picture::whiteGlowColour (1.0f).getAlpha(), juce::roundToInt (0.7f * 255.0f));
}

TEST (SlideKeyboardPicture, KeysSeparatorsAndTicksAreDrawn)
{
    const Drawn drawn ({false, 60.0f});
    const auto& a = drawn.area;
    const int bottom = (int)a.getBottom();

    // Black keys dark, white keys cream.
    EXPECT_LT (drawn.blackKeyAt (37).getBrightness(), 0.35f);
    EXPECT_EQ (drawn.whiteKeyAt (38), paper);

    // A separator between E and F, half a column above E.
    const float J = Picture::columnWidth (a);
    EXPECT_LT (drawn.image.getPixelAt ((int)(Picture::noteX (a, 40) + J / 2.0f), bottom - 5).getBrightness(), 0.6f);
    EXPECT_EQ (drawn.image.getPixelAt ((int)(Picture::noteX (a, 40) + J / 4.0f), bottom - 5), paper);

    // Ticks under the picture: red under C, light grey under black keys, white otherwise.
    const auto tickAt = [&] (int note, int depth) { return drawn.image.getPixelAt ((int)Picture::noteX (a, note), bottom + depth); };
    EXPECT_GT (tickAt (48, 12).getRed(), 0xc0);
    EXPECT_LT (tickAt (48, 12).getGreen(), 0x40);
    EXPECT_EQ (tickAt (50, 12), juce::Colours::darkgrey); // a white tick is only 10 long
    EXPECT_GT (tickAt (50, 6).getBrightness(), 0.9f);
    EXPECT_EQ (tickAt (49, 5).getRed(), 0xaa);
    EXPECT_EQ (tickAt (49, 8), juce::Colours::darkgrey); // a black key's tick is 6 long
}
