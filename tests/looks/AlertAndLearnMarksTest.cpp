#include "app/SafeAlertWindow.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/SafePluginScanner.h"
#include "tests/looks/LookTestSupport.h"
#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/ModernLookAndFeel.h"

#include <gtest/gtest.h>

namespace
{
/** The body of an alert window as the looks draw it: below the title band, above the buttons. */
juce::Image bodyOf (juce::Component& window)
{
    return LookTest::snapshot (window).getClippedImage ({15, 70, window.getWidth() - 30, 60}).createCopy();
}

bool sameImage (const juce::Image& a, const juce::Image& b)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}
} // namespace

TEST (ScannerProgressWindow, ShowsTheProgressTextUnderBothLooks)
{
    DRAVIN8_LOOKS_NEED_DISPLAY();

    CustomLookAndFeel vintage;
    ModernLookAndFeel modern;

    for (juce::LookAndFeel* look : {static_cast<juce::LookAndFeel*> (&vintage), static_cast<juce::LookAndFeel*> (&modern)})
    {
        const LookTest::ScopedDefaultLook asDefault (*look);

        // Made as the plug-in scanner makes its progress window.
        SafeAlertWindow window (SafePluginScanner::windowTitle, SafePluginScanner::preparingText,
                                juce::MessageBoxIconType::NoIcon);
        window.getProperties().set (SafeAlertWindow::bodyTextProperty, SafePluginScanner::preparingText);
        window.addButton ("Cancel", 0, juce::KeyPress (juce::KeyPress::escapeKey));
        window.setSize (420, 220);

        const auto preparing = bodyOf (window);
        window.getProperties().set (SafeAlertWindow::bodyTextProperty, "Scanning: Reverb.vst3 (3 of 12)");
        const auto scanning = bodyOf (window);
        EXPECT_FALSE (sameImage (preparing, scanning));

        window.getProperties().set (SafeAlertWindow::bodyTextProperty, SafePluginScanner::preparingText);
        EXPECT_TRUE (sameImage (preparing, bodyOf (window)));
    }
}

namespace
{
/** The smallest editor of the real processor, so the looks can find what MIDI learn waits for. */
struct LearnEditor : public juce::AudioProcessorEditor
{
    explicit LearnEditor (TavrelDelayAudioProcessor& p) : juce::AudioProcessorEditor (p) { setSize (400, 200); }
};

struct LearnMarkFixture : public ::testing::Test
{
    std::unique_ptr<TavrelDelayAudioProcessor> processor = std::make_unique<TavrelDelayAudioProcessor>();
    std::unique_ptr<LearnEditor> editor = std::make_unique<LearnEditor> (*processor);
    CustomLookAndFeel vintage;
    ModernLookAndFeel modern;
    MarlixButtonLook marlix;
    juce::Slider knob{juce::Slider::RotaryHorizontalVerticalDrag, juce::Slider::NoTextBox};
    juce::TextButton button{"IN"};

    void SetUp() override
    {
        knob.setComponentID ("DRIVE");
        knob.setLookAndFeel (&vintage);
        knob.setBounds (10, 10, 80, 80);
        editor->addAndMakeVisible (knob);

        button.setComponentID ("loop_in");
        button.setLookAndFeel (&marlix);
        button.setColour (juce::TextButton::buttonColourId, juce::Colour (0xff203040));
        button.setBounds (120, 10, 60, 30);
        editor->addAndMakeVisible (button);
    }

    void TearDown() override
    {
        juce::LookAndFeel::setDefaultLookAndFeel (nullptr);
        knob.setLookAndFeel (nullptr);
        button.setLookAndFeel (nullptr);
        editor.reset();
        processor.reset();
    }

    void learn (const juce::String& target)
    {
        processor->midiLearnTarget = target;
        processor->midiLearnArmed = target.isNotEmpty();
    }
};
} // namespace

TEST_F (LearnMarkFixture, TheControlMidiLearnWaitsForIsMarked)
{
    // Knob: a cyan ring 5 pixels in from its bounds; button: a white frame 2 pixels in.
    const auto ringIsCyan = [this]
    {
        const auto c = LookTest::pixel (knob, 6, 40);
        return c.getAlpha() > 100 && c.getRed() < 60 && c.getGreen() > 200 && c.getBlue() > 200;
    };
    const auto framePoint = [this] { return LookTest::pixel (button, 2, 15); };

    learn ({});
    EXPECT_FALSE (ringIsCyan());
    const auto plainFrame = framePoint();

    learn ("DRIVE");
    EXPECT_TRUE (ringIsCyan());
    EXPECT_EQ (framePoint(), plainFrame);

    learn ("loop_in");
    EXPECT_FALSE (ringIsCyan());
    EXPECT_GT (framePoint().getBrightness(), plainFrame.getBrightness() + 0.3f);

    // Under the minimal look too.
    const LookTest::ScopedDefaultLook minimal (modern);
    EXPECT_GT (framePoint().getBrightness(), 0.75f);
}
