#include "tests/flows/FlowsTestSupport.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/looks/ThemeFile.h"
#include "ui/panels/AboutPanel.h"

#include "ui/panels/PerformanceContent.h"
#include "ui/panels/ThemeEditorWindow.h"
#include "ui/panels/TrackReorderWindow.h"
#include <juce_gui_extra/juce_gui_extra.h>

using namespace FlowsTest;

namespace
{
using Fixture = FlowsFixture;

juce::Colour pixelAt (juce::Component& component, int x, int y)
{
    return component.createComponentSnapshot (component.getLocalBounds(), false, 1.0f).getPixelAt (x, y);
}
} // namespace

//==============================================================================
TEST (PerformanceMonitor, MemoryLoadAndSessionLines)
{
    EXPECT_EQ (PerformanceContent::memoryText (16, 48000 * 600, 48000.0), "DAW Memory Footprint: ~1757.8 MB");
    // No tape yet: 600 seconds a track are assumed.
    EXPECT_EQ (PerformanceContent::memoryText (8, 0, 48000.0), "DAW Memory Footprint: ~878.9 MB");
    EXPECT_EQ (PerformanceContent::memoryText (0, 0, 48000.0), "DAW Memory Footprint: ~0.0 MB");

    const juce::Colour main (0xff123456);
    EXPECT_EQ (PerformanceContent::loadColour (50.0f, main), main);
    EXPECT_EQ (PerformanceContent::loadColour (80.0f, main), juce::Colour (0xffffa500));
    EXPECT_EQ (PerformanceContent::loadColour (80.1f, main), juce::Colours::red);
    EXPECT_EQ (PerformanceContent::loadText (12.345f), "Audio DSP Load: 12.3%");
    EXPECT_EQ (PerformanceContent::sessionText (24, 44100.0, 512), "Session: 24 Tracks  |  44.1kHz / 512 smp");
}

TEST_F (Fixture, PerformanceContentCountsTheSlots)
{
    processor->addBuiltInEffect (1, -1, TavrelDelayAudioProcessor::MasterInserts);
    processor->addBuiltInInstrument (1);
    PerformanceContent content (*processor);
    EXPECT_EQ (content.pluginsLabel.getText(), "Active Plugins/Synths: 2");
    EXPECT_TRUE (content.memoryLabel.getText().startsWith ("DAW Memory Footprint: ~"));
}

//==============================================================================
TEST_F (Fixture, AboutPanelDrawsTheStyleOfTheInterface)
{
    AboutPanel panel ([] {});
    panel.setSize (480, 420);

    // Normal interface: the dark card with light text.
    EXPECT_EQ (pixelAt (panel, 10, 300), juce::Colour (0xff2b2b2b));

    // Buttons centred, 45 pixels apart.
    EXPECT_EQ (panel.webButton.getBounds(), juce::Rectangle<int> (100, 320, 280, 30));
    EXPECT_EQ (panel.closeButton.getBounds(), juce::Rectangle<int> (100, 365, 280, 30));
    EXPECT_EQ (panel.closeButton.getButtonText(), "CLOSE");
    EXPECT_TRUE (panel.webButton.getButtonText().startsWith ("VISIT "));
    EXPECT_TRUE (AboutPanel::getBodyText().startsWith ("Version 2.2\n\n"));
    EXPECT_TRUE (AboutPanel::getBodyText().endsWith ("Thank you for supporting independent audio software!"));

    // Minimal interface with a dark theme: the theme's chassis colour.
    editor->modernLook.setDarkMode (true);
    juce::LookAndFeel::setDefaultLookAndFeel (&editor->modernLook);
    EXPECT_EQ (pixelAt (panel, 10, 300), juce::Colour (editor->modernLook.cChassis1));
    juce::LookAndFeel::setDefaultLookAndFeel (&editor->customLook);
}

//==============================================================================
TEST_F (Fixture, ThemeEditorShowsTheColoursAndResetRestoresTheDarkTheme)
{
    editor->modernLook.setDarkMode (false);
    auto* window = new ThemeEditorWindow (*editor, editor->modernLook);
    juce::Component::SafePointer<ThemeEditorWindow> safe (window);

    EXPECT_EQ (window->getName(), "Edit Minimal Theme Colors");
    ASSERT_EQ (window->colourButtons.size(), 7);
    EXPECT_EQ (window->labels[0]->getText(), "Background");
    EXPECT_EQ (window->labels[6]->getText(), "Warning (Red)");
    EXPECT_EQ (window->colourButtons[0]->getButtonText(),
               ThemeFile::formatColour (editor->modernLook.cBg).toUpperCase());
    EXPECT_EQ (window->colourButtons[6]->getBounds(), juce::Rectangle<int> (160, 10 + 6 * 34, 150, 24));
    EXPECT_EQ (window->resetButton.getY(), 258);

    // Light swatches read in black, dark ones in white.
    juce::TextButton swatch;
    ThemeEditorWindow::paintSwatch (swatch, 0xfff0f0f0);
    EXPECT_EQ (swatch.findColour (juce::TextButton::textColourOffId), juce::Colours::black);
    ThemeEditorWindow::paintSwatch (swatch, 0xff203040);
    EXPECT_EQ (swatch.findColour (juce::TextButton::textColourOffId), juce::Colours::white);
    ThemeEditorWindow::paintSwatch (swatch, 0x801abc9c);
    EXPECT_EQ (swatch.getButtonText(), "801ABC9C");

    window->resetButton.triggerClick();
    EXPECT_TRUE (runMessagesUntil ([&] { return safe == nullptr; }));
    EXPECT_TRUE (editor->modernLook.isDark());
    auto theme = ThemeFile::read();
    ASSERT_NE (theme, nullptr);
    EXPECT_EQ (ThemeFile::parseColour (theme->getStringAttribute ("cBg")), editor->modernLook.cBg);
}

//==============================================================================
namespace
{
struct ReorderFixture : public FlowsFixture
{
    void TearDown() override
    {
        delete window.getComponent();
        FlowsFixture::TearDown();
    }

    void openWindow()
    {
        editor->handleMenuCommand (MenuCommands::reorderTracks, -1);
        window = findWindow<TrackReorderWindow>();
        ASSERT_NE (window.getComponent(), nullptr);
    }

    juce::String rowText (int row) { return window->rows[row]->trackName; }

    juce::Component::SafePointer<TrackReorderWindow> window;
};
} // namespace

TEST_F (ReorderFixture, ListsTheTracksAndSwapsTwoOfThem)
{
    makeReel ("Song", 24);
    ASSERT_TRUE (editor->openReelAndResetView ("Song", 0));
    processor->parameters.state.setProperty ("TrackName_3", "Bass", nullptr);
    processor->parameters.state.setProperty ("TrackName_7", "Keys", nullptr);
    openWindow();

    ASSERT_EQ (window->rows.size(), 24);
    EXPECT_EQ (window->getContentComponent()->getHeight(), 720);
    EXPECT_EQ (rowText (0), "(Untitled)");
    EXPECT_EQ (window->rows[2]->getComponentID(), "2");

    int swaps = 0;
    window->onTracksSwapped = [&] { ++swaps; };

    window->swapRows (2, 6);
    runMessages (20);
    EXPECT_EQ (swaps, 1);
    EXPECT_EQ (rowText (2), "Keys");
    EXPECT_EQ (rowText (6), "Bass");
    EXPECT_EQ (rowText (3), "(Untitled)");

    // A row dropped onto itself changes nothing.
    juce::DragAndDropTarget::SourceDetails self ("ReorderRow", window->rows[4], {});
    window->rows[4]->itemDropped (self);
    runMessages (20);
    EXPECT_EQ (swaps, 1);
}

TEST_F (ReorderFixture, FollowsTheOpenReelAndNeverSwapsATrackItDoesNotHave)
{
    makeReel ("Big", 24);
    makeReel ("Small", 8);
    ASSERT_TRUE (editor->openReelAndResetView ("Big", 0));
    openWindow();
    ASSERT_EQ (window->rows.size(), 24);

    // Another reel opens under the window: a drop from the old rows swaps nothing.
    ASSERT_TRUE (editor->openReelAndResetView ("Small", 0));
    processor->parameters.state.setProperty ("TrackName_3", "Bass", nullptr);
    window->swapRows (2, 5);
    runMessages (20);
    EXPECT_EQ (processor->parameters.state.getProperty ("TrackName_3").toString(), "Bass");
    EXPECT_EQ (window->rows.size(), 8);

    // Ejecting closes it.
    processor->ejectReel();
    EXPECT_TRUE (runMessagesUntil ([&] { return window == nullptr; }, 2000));
}

TEST_F (ReorderFixture, EscapeClosesIt)
{
    makeReel ("Song");
    ASSERT_TRUE (editor->openReelAndResetView ("Song", 0));
    openWindow();
    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (window.getComponent(), nullptr);
}

TEST_F (Fixture, AColourChangeIsStoredShownAndSavedAtOnce)
{
    editor->modernLook.setDarkMode (true);
    auto* window = new ThemeEditorWindow (*editor, editor->modernLook);
    juce::Component::SafePointer<ThemeEditorWindow> safe (window);
    auto& accentSwatch = *window->colourButtons[4];

    {
        juce::ColourSelector selector;
        ThemeEditorWindow::ColorChangeListener listener (editor->modernLook.cAccent, accentSwatch, *window);
        selector.addChangeListener (&listener);
        selector.setCurrentColour (juce::Colour (0x801abc9cu)); // the alpha slider at half
        runMessagesUntil ([&] { return editor->modernLook.cAccent == 0x801abc9cu; }, 2000);
        selector.removeChangeListener (&listener);
    }

    EXPECT_EQ (editor->modernLook.cAccent, 0x801abc9cu);
    EXPECT_EQ (accentSwatch.getButtonText(), "801ABC9C");
    auto theme = ThemeFile::read();
    ASSERT_NE (theme, nullptr);
    EXPECT_EQ (ThemeFile::parseColour (theme->getStringAttribute ("cAccent")), 0x801abc9cu);

    delete safe.getComponent();
}
