#include "ConsoleTestSupport.h"

#include "rack/EditorConsoleRefresh.h"
#include "ui/console/ConsoleIds.h"
#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

using namespace ConsoleTest;

namespace
{
bool isRed (juce::Colour c)
{
    return c.getRed() > 200 && c.getGreen() < 60 && c.getBlue() < 60;
}
} // namespace

// The bar scale ends at 1.2: a peak of 1.5 fills all 140 pixels above the line 10 pixels over
// the box bottom (y 195), in red.
TEST_F (ConsoleFixture, APeakOf15DrawsAFull140PixelRedBar)
{
    processor->outputPeakLeft = 1.5f;
    const auto image = paintOf (*console);
    const int x = 15 + 15 + 7; // the left bar's middle

    EXPECT_TRUE (isRed (image.getPixelAt (x, 194)));
    EXPECT_TRUE (isRed (image.getPixelAt (x, 100)));
    EXPECT_TRUE (isRed (image.getPixelAt (x, 57)));
    EXPECT_FALSE (isRed (image.getPixelAt (x, 53))); // above the scale
    EXPECT_FALSE (isRed (image.getPixelAt (x + 50, 100))); // the silent right channel
}

TEST_F (ConsoleFixture, BarsAndHoldLinesTakeTheirLevelsColours)
{
    struct Case
    {
        float peak;
        juce::uint32 colour;
    };
    for (const auto& c : {Case{0.5f, 0xff32cd32}, Case{0.9f, 0xffffff00}, Case{1.1f, 0xffff0000}})
    {
        console->getProperties().clear();
        processor->outputPeakRight = c.peak;
        EXPECT_TRUE (near (paintOf (*console).getPixelAt (80 + 7, 193), juce::Colour (c.colour))) << c.peak;
    }

    // A hold of exactly 1.0 draws a red line, 0.99 an orange one.
    processor->outputPeakRight = 0.0f;
    for (const auto& c : {Case{1.0f, 0xffff0000}, Case{0.99f, 0xffffa500}})
    {
        console->getProperties().set (ConsoleIds::holdRight, c.peak);
        const int y = 195 - (int) (c.peak / 1.2f * 140.0f);
        EXPECT_TRUE (near (paintOf (*console).getPixelAt (80 - 1, y), juce::Colour (c.colour))) << c.peak;
    }
}

TEST (MasterReadout, AveragedLevelsReadInDecibels)
{
    const std::pair<float, const char*> cases[] = {
        {0.0f, "-inf"}, {0.001f, "-inf"}, {1.0f, "0.0"}, {2.0f, "+6.0"}, {0.5f, "-6.0"}};
    for (const auto& [level, text] : cases)
        EXPECT_EQ (StudioConsoleComponent::masterReadout (level), text) << level;

    EXPECT_EQ (StudioConsoleComponent::masterLowCpuLine ("L", 0.0f), "L: -inf");
    EXPECT_EQ (StudioConsoleComponent::masterLowCpuLine ("R", 0.01f), "R: -40.0");
}

TEST_F (ConsoleFixture, TheAverageFollowsThePeakOnEveryPaint)
{
    processor->outputPeakLeft = 1.0f;
    paintOf (*console);
    EXPECT_NEAR ((float) console->getProperties()[ConsoleIds::averageLeft], 0.08f, 1e-6f);
    paintOf (*console);
    EXPECT_NEAR ((float) console->getProperties()[ConsoleIds::averageLeft], 0.08f + 0.08f * 0.92f, 1e-6f);
    EXPECT_FLOAT_EQ ((float) console->getProperties()[ConsoleIds::holdLeft], 1.0f);
}

// Only a press inside x 15..114, y 45..204 clears the holds and the clip latch.
TEST_F (ConsoleFixture, APressOnTheMetersClearsHoldsAndClip)
{
    const auto setHeld = [this] {
        console->getProperties().set (ConsoleIds::holdLeft, 0.7f);
        console->getProperties().set (ConsoleIds::holdRight, 0.8f);
        processor->outputClip = true;
    };
    const auto cleared = [this] {
        return (float) console->getProperties()[ConsoleIds::holdLeft] == 0.0f
               && (float) console->getProperties()[ConsoleIds::holdRight] == 0.0f && ! processor->outputClip.load();
    };

    for (const auto& outside : {juce::Point<float> (115.0f, 100.0f), juce::Point<float> (50.0f, 205.0f),
                                juce::Point<float> (14.0f, 100.0f), juce::Point<float> (50.0f, 44.0f)})
    {
        setHeld();
        console->mouseDown (mouseEvent (*console, outside));
        EXPECT_FALSE (cleared()) << outside.toString();
    }

    for (const auto& inside : {juce::Point<float> (114.0f, 204.0f), juce::Point<float> (15.0f, 45.0f)})
    {
        setHeld();
        console->mouseDown (mouseEvent (*console, inside));
        EXPECT_TRUE (cleared()) << inside.toString();
    }
}

TEST_F (ConsoleFixture, AnAuxReturnTakesItsAutomationModeAtOnce)
{
    console->applyAuxAutomationChoice (StudioConsoleComponent::aux2Channel, 5);
    EXPECT_EQ (processor->automationModes[25].load(), 4);
    EXPECT_EQ (console->aux2AutoButton.getButtonText(), "WRT");
    EXPECT_EQ (console->aux2AutoButton.findColour (juce::TextButton::textColourOffId), juce::Colours::red);
    EXPECT_EQ (console->aux1AutoButton.getButtonText(), "AUTO");

    console->applyAuxAutomationChoice (StudioConsoleComponent::aux2Channel, 0); // dismissed
    EXPECT_EQ (processor->automationModes[25].load(), 4);

    console->timerCallback();
    EXPECT_EQ (console->aux1AutoButton.getButtonText(), "OFF");
}

// A plug-in arriving in a slot posts the console refresh: the strips' source and insert keys
// follow at once, without waiting for a tick.
TEST (ConsoleRefresh, TheRefreshRebuildsSourceAndInsertLabels)
{
    TavrelDelayAudioProcessor processor;
    {
        TavrelDelayAudioProcessorEditor editor (processor);
        juce::DocumentWindow main ("Main", juce::Colours::black, 0, false);
        main.setContentNonOwned (&editor, false);

        auto& strip = *editor.console->strips[0];
        processor.trackInputSources[0] = 105;
        processor.addBuiltInEffect (1, 0, TavrelDelayAudioProcessor::TrackInserts);
        processor.parameters.state.setProperty ("TrackName_1", "Synth", nullptr);

        EXPECT_EQ (refreshEditorConsole(), &editor);
        EXPECT_EQ (strip.sourceButton.getButtonText(), "VST 3");
        EXPECT_EQ (strip.insertButton.findColour (juce::TextButton::buttonColourId), juce::Colour (0xff849c82));
        EXPECT_EQ (strip.nameLabel.getText(), "Synth");
        main.clearContentComponent();
    }
}

TEST (ConsoleMaskingTape, TheContextMenuTogglesTheTapeThroughTheEditor)
{
    TavrelDelayAudioProcessor processor;
    TavrelDelayAudioProcessorEditor editor (processor);
    auto& strip = *editor.console->strips[2];
    const bool before = editor.maskingTapeVisible;

    strip.handleContextMenuResult (2);
    EXPECT_NE (editor.maskingTapeVisible, before);
    EXPECT_EQ ((bool) processor.parameters.state.getProperty (ParameterIds::ShowMaskingTape), ! before);
    EXPECT_EQ (strip.nameLabel.isVisible(), ! before);

    // The strip follows the editor's switch on its own tick too.
    editor.maskingTapeVisible = before;
    strip.timerCallback();
    EXPECT_EQ (strip.nameLabel.isVisible(), before);
}
