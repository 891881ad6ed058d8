#include "instruments/RhythmEngine.h"
#include "tests/instrumentui/RhythmUiTestSupport.h"
#include "ui/instruments/BuiltInRhythmEditor.h"
#include "ui/instruments/DrumPadsComponent.h"
#include "ui/instruments/RhythmBreakoutComponent.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

using namespace RhythmUiTest;

namespace
{
/** Writes the component's picture to DRAVIN8_SCREENSHOT_DIR when that is set; returns it. */
juce::Image shoot (juce::Component& component, const juce::String& fileName)
{
    const auto image = component.createComponentSnapshot (component.getLocalBounds());
    const auto folder = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_SCREENSHOT_DIR", {});
    if (folder.isNotEmpty())
    {
        const auto file = juce::File (folder).getChildFile (fileName);
        file.deleteFile();
        juce::FileOutputStream out (file);
        if (out.openedOk())
            juce::PNGImageFormat().writeImageToStream (image, out);
    }
    return image;
}

/** Whether some pixel differs clearly in brightness from the face colour (text drawn on it). */
bool hasContrastingPixel (const juce::Image& image, juce::Colour face)
{
    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
            if (std::abs (image.getPixelAt (x, y).getBrightness() - face.getBrightness()) > 0.4f)
                return true;
    return false;
}
} // namespace

// The rhythm machine's panel, sequencer and pads as a user sees them at work: a pattern
// running, one voice on a custom sample, a pad held down.
TEST (RhythmScreensDraw, PanelSequencerAndPads)
{
    TavrelDelayAudioProcessor processor;
    auto slot = addRhythmSlot (processor);
    auto& engine = *slot->rhythmEngine;
    engine.loadPattern (3);
    engine.rmPattern = 3;
    engine.playing = true;
    engine.currentStep = 4;
    engine.sampleName[6] = "CLAP";

    for (const bool modern : {false, true})
    {
        ModernLookAndFeel modernLook;
        if (modern)
            juce::LookAndFeel::setDefaultLookAndFeel (&modernLook);

        const juce::String suffix = modern ? "-minimal.png" : ".png";
        {
            BuiltInRhythmEditor editor (processor, slot.get());
            editor.timerCallback();
            const auto image = shoot (editor, "rhythm-machine" + suffix);
            // The faceplate, not a flat fill, under the vintage look; the theme colour under the modern one.
            if (! modern)
                EXPECT_NE (image.getPixelAt (40, 200), image.getPixelAt (1300, 20));
            else
                EXPECT_EQ (image.getPixelAt (5, 5), juce::Colour (modernLook.cBg));
        }
        {
            RhythmBreakoutComponent sequencer (processor, slot.get());
            sequencer.setSize (1100, 700);
            sequencer.timerCallback();
            shoot (sequencer, "rhythm-sequencer" + suffix);
            // "CLEAR" stays readable on its face in either look.
            const auto& clear = sequencer.clearButton;
            EXPECT_GT (std::abs (clear.findColour (juce::TextButton::textColourOffId).getBrightness()
                                 - clear.findColour (juce::TextButton::buttonColourId).getBrightness()),
                       0.4f)
                << suffix;
        }
        {
            DrumPadsComponent pads (processor, slot.get());
            pads.setSize (800, 350);
            pads.pads[5]->isDown = true;
            const auto image = shoot (pads, "rhythm-drum-pads" + suffix);
            // The name of a pad that is up shows on its face in either look.
            const auto rim = pads.pads[0]->getBounds();
            const auto face = image.getClippedImage (rim.withSizeKeepingCentre (80, 30));
            EXPECT_TRUE (hasContrastingPixel (face, image.getPixelAt (rim.getX() + 10, rim.getBottom() - 10))) << suffix;
            pads.pads[5]->isDown = false;
        }

        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
    }
}
