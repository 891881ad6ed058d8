#include "tests/looks/LookTestSupport.h"
#include "ui/looks/FormatDisplayLook.h"
#include "ui/looks/LookFonts.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/ModernLookAndFeel.h"
#include "ui/looks/RackButtonLook.h"
#include "ui/looks/RhythmButtonLook.h"
#include "ui/looks/RhythmLCDLook.h"
#include "ui/looks/SharpieLabelLook.h"

#include <gtest/gtest.h>

namespace
{
struct ControlLooksFixture : public ::testing::Test
{
    ModernLookAndFeel modern;
    MarlixButtonLook marlix;
    RackButtonLook rack;
    RhythmButtonLook rhythm;
    RhythmLCDLook lcd;
    FormatDisplayLook format;

    void SetUp() override
    {
        modern.cBg = 0xffe2e5e7;
        modern.cRed = 0xffe74c3c;
        modern.applyThemeColours();
    }

    ~ControlLooksFixture() override { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }

    juce::Colour faceOf (juce::LookAndFeel& look, const juce::String& id, bool on, juce::Colour colour)
    {
        juce::TextButton b;
        b.setComponentID (id);
        b.setLookAndFeel (&look);
        b.setColour (juce::TextButton::buttonColourId, colour);
        b.setColour (juce::TextButton::buttonOnColourId, colour);
        b.setToggleState (on, juce::dontSendNotification);
        b.setSize (60, 30);
        return LookTest::pixel (b, 30, 16);
    }
};
} // namespace

TEST_F (ControlLooksFixture, SwitchingTheDefaultLookRestylesTheHardwareButtons)
{
    const juce::Colour beige (0xffd0c0b0);

    // Vintage: raised keys, sunk and darkened by a fifth when on.
    EXPECT_TRUE (LookTest::near (faceOf (marlix, "MUTE_1", true, juce::Colour (0xffe74c3c)),
                                 juce::Colour (0xffe74c3c).darker (0.2f)));
    EXPECT_TRUE (LookTest::near (faceOf (rack, "x", true, beige), beige.darker (0.2f)));
    EXPECT_TRUE (LookTest::near (faceOf (lcd, "x", false, beige), juce::Colour (0xff111111)));

    // Minimal: the same buttons follow the default look's flat faces; the LCD keys stay.
    const LookTest::ScopedDefaultLook minimal (modern);
    EXPECT_TRUE (LookTest::near (faceOf (marlix, "MUTE_1", true, juce::Colour (0xffe74c3c)), juce::Colour (0xffe74c3c)));
    EXPECT_TRUE (LookTest::near (faceOf (rack, "x", true, beige), juce::Colour (modern.cAccent)));
    EXPECT_TRUE (LookTest::near (faceOf (rhythm, "x", false, beige), juce::Colours::white));
    EXPECT_TRUE (LookTest::near (faceOf (format, "FORMAT", false, juce::Colour (0xff222222)), juce::Colour (0xff2c3e50)));
    EXPECT_TRUE (LookTest::near (faceOf (lcd, "x", false, beige), juce::Colour (0xff111111)));
}

TEST_F (ControlLooksFixture, FormatDisplayShowsALampOnlyWhenItToggles)
{
    juce::TextButton display;
    display.setLookAndFeel (&format);
    display.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff222222));
    display.setSize (100, 24);

    // Lamp centre: left edge l = w - 12, disc of 6 at (l, 6); the glass sheen lightens it a little.
    const auto lamp = [&display] { return LookTest::pixel (display, 91, 9); };
    EXPECT_TRUE (LookTest::near (lamp(), juce::Colour (0xff222222), 8));

    display.setClickingTogglesState (true);
    EXPECT_TRUE (LookTest::near (lamp(), juce::Colour (0xff330000), 10));

    display.setToggleState (true, juce::dontSendNotification);
    EXPECT_GT (lamp().getRed(), 200);
    EXPECT_LT (lamp().getGreen(), 120);
}

TEST_F (ControlLooksFixture, ScribbleLabelFontsFollowTheLook)
{
    SharpieLabelLook sharpie;
    juce::Label label;

    // No handwriting face on this system: the script fallback, bold 20.
    EXPECT_FLOAT_EQ (sharpie.getLabelFont (label).getHeight(), juce::Font::findAllTypefaceNames().contains ("Ink Free") ? 23.0f : 20.0f);
    EXPECT_TRUE (sharpie.getLabelFont (label).isBold());

    const LookTest::ScopedDefaultLook minimal (modern);
    EXPECT_FLOAT_EQ (sharpie.getLabelFont (label).getHeight(), 16.0f);

    // Minimal: a boxed name on white in the light theme.
    label.setLookAndFeel (&sharpie);
    label.setText ("Bass", juce::dontSendNotification);
    label.setSize (70, 40);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (label, 5, 5), juce::Colours::white));
}

TEST (LookFonts, WindowsFacesResolveToInstalledOnes)
{
    struct Case
    {
        const char* requested;
        int style;
        const char* family;
        const char* typefaceStyle;
    };

    const Case cases[] = {{"Segoe UI", juce::Font::bold, "Liberation Sans", "Bold"},
                          {"Courier New", juce::Font::plain, "Liberation Mono", "Regular"},
                          {"Impact", juce::Font::plain, "Liberation Sans Narrow", "Regular"},
                          {"Segoe Script", juce::Font::bold, "DejaVu Sans", "Bold Oblique"},
                          {"Ink Free", juce::Font::plain, "DejaVu Sans", "Oblique"}};

    for (const auto& c : cases)
    {
        if (! LookFonts::isInstalled (c.family))
            continue; // the README's font packages are missing here

        const auto typeface = LookFonts::font (c.requested, 14.0f, c.style).getTypefacePtr();
        EXPECT_EQ (typeface->getName(), c.family) << c.requested;
        EXPECT_EQ (typeface->getStyle(), c.typefaceStyle) << c.requested;
    }
}
