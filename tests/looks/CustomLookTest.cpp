#include "tests/looks/LookTestSupport.h"
#include "ui/looks/CustomLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
/** Frame k of the test strips is filled with a colour that names k and the strip. */
juce::Colour frameColour (int strip, int k)
{
    return juce::Colour ((juce::uint8)k, (juce::uint8)(40 + 60 * strip), (juce::uint8)(255 - k));
}

juce::Image numberedStrip (int strip)
{
    juce::Image image (juce::Image::ARGB, 16, 16 * 128, false);

    for (int k = 0; k < 128; ++k)
        image.clear ({0, 16 * k, 16, 16}, frameColour (strip, k));

    return image;
}

struct CustomLookFixture : public ::testing::Test
{
    CustomLookAndFeel look;

    juce::Colour knobCentre (const juce::String& id, double value)
    {
        juce::Slider knob (juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox);
        knob.setComponentID (id);
        knob.setLookAndFeel (&look);
        knob.setRange (0.0, 1.0);
        knob.setValue (value);
        knob.setSize (64, 64);
        return LookTest::pixel (knob, 32, 32);
    }
};
} // namespace

TEST_F (CustomLookFixture, KnobsShowTheFrameOfTheirPositionFromTheirStrip)
{
    look.knobStripDefault = numberedStrip (0);
    look.knobStripEq = numberedStrip (1);
    look.knobStripAuxPan = numberedStrip (2);

    struct Case
    {
        const char* id;
        double value;
        int strip, frame;
    };

    const Case cases[] = {{"DRIVE", 1.0, 0, 127}, {"DRIVE", 0.999, 0, 126}, {"DRIVE", 0.0, 0, 0},
                          {"DRIVE", 0.5, 0, 63},  {"EQ_LOW_2", 1.0, 1, 127}, {"PAN_4", 0.0, 2, 0},
                          {"AUX1_3", 1.0, 2, 127}, {"VARISPEED", 0.25, 0, 31}};

    for (const auto& c : cases)
        EXPECT_TRUE (LookTest::near (knobCentre (c.id, c.value), frameColour (c.strip, c.frame), 1))
            << c.id << " at " << c.value << " shows " << knobCentre (c.id, c.value).toString();

    EXPECT_EQ (CustomLookAndFeel::getKnobFrameIndex (look.knobStripDefault, 1.0), 127);
    EXPECT_EQ (CustomLookAndFeel::getKnobFrameIndex (look.knobStripDefault, 0.999), 126);
}

TEST_F (CustomLookFixture, KnobWithoutItsStripDrawsOnlyTheScale)
{
    look.knobStripDefault = {};
    const auto centre = knobCentre ("DRIVE", 0.5);
    EXPECT_EQ (centre.getAlpha(), 0);
}

TEST_F (CustomLookFixture, TransportKeysShowTheirCapsLitWhenOn)
{
    look.playCap = LookTest::solid (100, 70, juce::Colour (0xff505050));
    look.playCapLit = LookTest::solid (100, 70, juce::Colour (0xfff0e0c0));

    juce::TextButton play;
    play.setComponentID ("play_button");
    play.setLookAndFeel (&look);
    play.setColour (juce::TextButton::buttonColourId, juce::Colours::transparentWhite);
    play.setSize (50, 35);

    EXPECT_TRUE (LookTest::near (LookTest::pixel (play, 25, 17), juce::Colour (0xff505050)));
    play.setToggleState (true, juce::dontSendNotification);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (play, 25, 17), juce::Colour (0xfff0e0c0)));

    // Without its lit cap the key is a panel button, and without those a flat cream key.
    look.playCapLit = {};
    look.panelButtonImage = LookTest::solid (96, 60, juce::Colour (0xff401040));
    look.panelButtonLitImage = LookTest::solid (96, 60, juce::Colour (0xff104040));
    play.setToggleState (false, juce::dontSendNotification);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (play, 25, 17), juce::Colour (0xff401040)));

    look.panelButtonLitImage = {};
    const auto image = LookTest::snapshot (play);
    EXPECT_TRUE (LookTest::near (image.getPixelAt (0, 17), juce::Colour (0xff151515)));
    EXPECT_GT (image.getPixelAt (25, 17).getBrightness(), 0.6f);
}

TEST_F (CustomLookFixture, PanelButtonsUseThePicturesButDialogButtonsStayFlat)
{
    DRAVIN8_LOOKS_NEED_DISPLAY();

    look.panelButtonImage = LookTest::solid (96, 60, juce::Colour (0xff401040));
    look.panelButtonLitImage = LookTest::solid (96, 60, juce::Colour (0xff104040));

    juce::TextButton panel;
    panel.setLookAndFeel (&look);
    panel.setSize (96, 30);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (panel, 48, 3), juce::Colour (0xff401040)));
    panel.setToggleState (true, juce::dontSendNotification);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (panel, 48, 3), juce::Colour (0xff104040)));

    // In an alert window the same button is a raised key; a dark colour turns cream.
    juce::AlertWindow alert ("Question", {}, juce::MessageBoxIconType::NoIcon);
    auto* inDialog = new juce::TextButton();
    inDialog->setLookAndFeel (&look);
    inDialog->setColour (juce::TextButton::buttonColourId, juce::Colour (0xff202020));
    inDialog->setSize (96, 30);
    alert.addAndMakeVisible (inDialog);
    const auto image = LookTest::snapshot (*inDialog);
    EXPECT_TRUE (LookTest::near (image.getPixelAt (0, 15), juce::Colour (0xff151515)));

    const auto face = image.getPixelAt (48, 14);
    EXPECT_GT (face.getRed(), face.getBlue()); // cream, not the panel picture or the dark colour
    EXPECT_GT (face.getBrightness(), 0.6f);
    alert.removeChildComponent (inDialog);
    delete inDialog;
}

TEST_F (CustomLookFixture, SlidersDrawOnlyTheirCapOrThumb)
{
    look.sliderThumbImage = LookTest::solid (50, 50, juce::Colour (0xff30a030));
    look.faderCapImage = LookTest::solid (90, 136, juce::Colour (0xffe0d0b0));

    juce::Slider horizontal (juce::Slider::LinearHorizontal, juce::Slider::NoTextBox);
    horizontal.setLookAndFeel (&look);
    horizontal.setRange (0.0, 1.0);
    horizontal.setValue (0.5);
    horizontal.setSize (300, 30);
    const auto h = LookTest::snapshot (horizontal);
    EXPECT_TRUE (LookTest::near (h.getPixelAt (150, 15), juce::Colour (0xff30a030)));
    EXPECT_EQ (h.getPixelAt (40, 15).getAlpha(), 0);  // no track
    EXPECT_EQ (h.getPixelAt (260, 15).getAlpha(), 0);

    // The fader cap is as wide as the fader, with the picture's aspect, centred on the value.
    juce::Slider fader (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    fader.setLookAndFeel (&look);
    fader.setRange (0.0, 1.0);
    fader.setValue (0.5);
    fader.setSize (45, 300);
    EXPECT_EQ (look.getSliderThumbRadius (fader), 34); // 45 / 90 x 136 / 2
    const auto v = LookTest::snapshot (fader);
    EXPECT_TRUE (LookTest::near (v.getPixelAt (2, 150), juce::Colour (0xffe0d0b0)));
    EXPECT_EQ (v.getPixelAt (22, 60).getAlpha(), 0); // no track above the cap
}

TEST_F (CustomLookFixture, AlertBoxHasACreamTitleBandAndDrawsTheBodyText)
{
    DRAVIN8_LOOKS_NEED_DISPLAY();

    juce::AlertWindow alert ("Scanning Plugins", {}, juce::MessageBoxIconType::NoIcon);
    alert.setLookAndFeel (&look);
    alert.setSize (400, 220);

    // Body area: below the title band, above the buttons' strip.
    const auto inkInBody = [&alert]
    {
        return LookTest::countPixels (alert, {20, 70, 360, 80}, [] (juce::Colour c) { return c.getBrightness() > 0.5f; });
    };

    EXPECT_EQ (inkInBody(), 0);
    alert.getProperties().set ("bodyText", "Scanning: Reverb.vst3 (3 of 12)");
    EXPECT_GT (inkInBody(), 50);
    EXPECT_TRUE (LookTest::near (LookTest::pixel (alert, 200, 5), juce::Colour (0xffd0c0b0)));
    EXPECT_TRUE (LookTest::near (LookTest::pixel (alert, 200, 180), juce::Colour (0xff2b2b2b)));
}

TEST (CustomLook, LoadsEveryPictureFromTheEmbeddedData)
{
    CustomLookAndFeel look;

    for (const auto* image : {&look.knobStripDefault, &look.knobStripEq, &look.knobStripAuxPan, &look.faderCapImage,
                              &look.sliderThumbImage, &look.panelButtonImage, &look.panelButtonLitImage, &look.reelImage,
                              &look.playCap, &look.playCapLit, &look.stopCap, &look.stopCapLit, &look.recCap,
                              &look.recCapLit, &look.rewCap, &look.rewCapLit, &look.ffCap, &look.ffCapLit, &look.rtzCap,
                              &look.rtzCapLit, &look.zeroCap, &look.zeroCapLit, &look.dustCoverImage})
        EXPECT_TRUE (image->isValid());

    // Shared with every other look through the image cache: one copy of the pixels.
    CustomLookAndFeel second;
    EXPECT_EQ (look.reelImage.getPixelData(), second.reelImage.getPixelData());
}
