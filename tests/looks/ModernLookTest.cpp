#include "tests/looks/LookTestSupport.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
struct ModernLookFixture : public ::testing::Test
{
    ModernLookAndFeel look;

    void SetUp() override
    {
        look.cBg = 0xffe2e5e7; // light unless a test says otherwise
        look.cRed = 0xffe74c3c;
        look.cDark = 0xff34495e;
        look.cAccent = 0xff1abc9c;
        look.applyThemeColours();
    }

    std::unique_ptr<juce::TextButton> button (const juce::String& id, bool on, juce::Colour colour = juce::Colour (0xff123456))
    {
        auto b = std::make_unique<juce::TextButton>();
        b->setComponentID (id);
        b->setLookAndFeel (&look);
        b->setColour (juce::TextButton::buttonColourId, colour);
        b->setToggleState (on, juce::dontSendNotification);
        b->setSize (60, 30);
        return b;
    }

    ~ModernLookFixture() override { juce::LookAndFeel::setDefaultLookAndFeel (nullptr); }
};
} // namespace

TEST_F (ModernLookFixture, ActiveButtonsFillWithTheirRolesColour)
{
    struct Case
    {
        const char* id;
        juce::uint32 fill;
    };

    const Case cases[] = {{"MUTE_3", 0xffe74c3c}, {"loop_cut", 0xffe74c3c}, {"SOLO_1", 0xfff1c40f},
                          {"loop_clear", 0xfff1c40f}, {"MON_2", 0xff3498db}, {"AUX1_RETURN_MUTE", 0xff3498db},
                          {"loop_in", 0xff1abc9c}};

    for (const auto& c : cases)
    {
        auto b = button (c.id, true);
        EXPECT_TRUE (LookTest::near (LookTest::pixel (*b, 30, 15), juce::Colour (c.fill))) << c.id;
    }

    // Labels: white on the active fill, except the yellow solo that takes the dark text.
    auto mute = button ("MUTE_1", true);
    auto solo = button ("SOLO_1", true);
    EXPECT_EQ (look.getButtonTextColour (*mute, false), juce::Colours::white);
    EXPECT_EQ (look.getButtonTextColour (*solo, false), juce::Colour (look.cDark));
}

TEST_F (ModernLookFixture, OffButtonsRemapTheDeckColours)
{
    auto dark = button ("any", false, juce::Colour (0xff222222));
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*dark, 30, 15), juce::Colour (0xff2c3e50)));
    EXPECT_EQ (look.getButtonTextColour (*dark, false), juce::Colours::white);

    auto cream = button ("any", false, juce::Colour (0xffd0c0b0));
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*cream, 30, 15), juce::Colours::white)); // the neutral face
    EXPECT_EQ (look.getButtonTextColour (*cream, false), juce::Colour (look.cDark));

    auto own = button ("any", false, juce::Colour (0xff849c82));
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*own, 30, 15), juce::Colour (0xff849c82)));

    look.cBg = 0xff181818;
    look.applyThemeColours();
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*dark, 30, 15), juce::Colour (0xff3a3a3a)));
    EXPECT_EQ (look.getButtonTextColour (*dark, false), juce::Colours::white);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*cream, 30, 15), juce::Colour (0xff2a2a2a)));
}

TEST_F (ModernLookFixture, TransportKeysCarryTheirIcons)
{
    // The record dot is red on the neutral face; play's triangle is in the dark text colour.
    auto rec = button ("rec_button", false, juce::Colours::transparentWhite);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*rec, 30, 15), juce::Colour (0xffe74c3c), 8));
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*rec, 10, 15), juce::Colours::white));

    auto play = button ("play_button", false, juce::Colours::transparentWhite);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*play, 29, 15), juce::Colour (look.cDark), 8));

    // On, the icon turns white on the accent.
    play->setToggleState (true, juce::dontSendNotification);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*play, 29, 15), juce::Colours::white, 8));
    EXPECT_TRUE (LookTest::near (LookTest::pixel (*play, 10, 15), juce::Colour (0xff1abc9c)));
}

TEST_F (ModernLookFixture, FadersAndKnobsAreFlatWithColouredDots)
{
    juce::Slider fader (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    fader.setLookAndFeel (&look);
    fader.setRange (0.0, 1.0);
    fader.setValue (0.5);
    fader.setSize (40, 200);
    const auto image = LookTest::snapshot (fader);
    EXPECT_TRUE (LookTest::near (image.getPixelAt (20, 20), juce::Colour (0xffdfe4e8))); // the track
    EXPECT_TRUE (LookTest::near (image.getPixelAt (8, 100), juce::Colours::white));      // the cap
    EXPECT_TRUE (LookTest::near (image.getPixelAt (20, 100), juce::Colour (look.cDark))); // its grip line

    juce::Slider horizontal (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    horizontal.setLookAndFeel (&look);
    horizontal.setSize (200, 40);
    const auto nothing = LookTest::snapshot (horizontal);

    for (int x = 0; x < 200; x += 7)
        for (int y = 0; y < 40; y += 3)
            ASSERT_EQ (nothing.getPixelAt (x, y).getAlpha(), 0) << x << "," << y;

    // Knob at 0: the dot sits at the start of the travel; EQ dots are red, PAN dots blue.
    for (const auto& [id, colour] : {std::pair<const char*, juce::uint32> {"EQ_HIGH_1", 0xffe74c3c},
                                     {"PAN_1", 0xff3498db}, {"DRIVE", 0xff34495e}})
    {
        juce::Slider knob (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
        knob.setComponentID (id);
        knob.setLookAndFeel (&look);
        knob.setRotaryParameters (0.0f, 1.0f, true); // dot straight up at position 0
        knob.setRange (0.0, 1.0);
        knob.setValue (0.0);
        knob.setSize (100, 100);
        const auto at = LookTest::snapshot (knob);
        // R = 48, centre (50, 50): the dot at 0.65 R above the centre, the body white elsewhere.
        EXPECT_TRUE (LookTest::near (at.getPixelAt (50, 19), juce::Colour (colour), 8)) << id;
        EXPECT_TRUE (LookTest::near (at.getPixelAt (50, 81), juce::Colours::white)) << id;
    }
}

TEST_F (ModernLookFixture, AlertBoxDrawsTheBodyTextProperty)
{
    DRAVIN8_LOOKS_NEED_DISPLAY();

    juce::AlertWindow alert ("Scanning Plugins", {}, juce::MessageBoxIconType::NoIcon);
    alert.setLookAndFeel (&look);
    alert.setSize (400, 220);

    // Body area: below the title band, above the buttons' strip.
    const auto inkInBody = [&alert]
    {
        return LookTest::countPixels (alert, {20, 70, 360, 80}, [] (juce::Colour c) { return c.getBrightness() < 0.6f; });
    };

    EXPECT_EQ (inkInBody(), 0);
    alert.getProperties().set ("bodyText", "Scanning: Reverb.vst3 (3 of 12)");
    EXPECT_GT (inkInBody(), 50);

    // The title band in the light theme is the strip colour.
    EXPECT_TRUE (LookTest::near (LookTest::pixel (alert, 200, 5), juce::Colour (look.cStrip)));
}
