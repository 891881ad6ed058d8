#include "app/SafeAudioSetupWindow.h"
#include "tests/settings/SettingsTestSupport.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/panels/SettingsPanel.h"

using namespace SettingsTest;

namespace
{
/** Whether the picture shows more than one flat colour. */
bool hasContent (const juce::Image& picture)
{
    const auto first = picture.getPixelAt (0, 0);
    for (int y = 0; y < picture.getHeight(); y += 3)
        for (int x = 0; x < picture.getWidth(); x += 3)
            if (picture.getPixelAt (x, y) != first)
                return true;
    return false;
}

/** Draws the component and writes it to DRAVIN8_SCREENSHOT_DIR when that is set
    (scripts/screenshots.sh). */
void shoot (juce::Component& component, const juce::String& name)
{
    const auto picture = component.createComponentSnapshot (component.getLocalBounds(), true, 1.0f);
    EXPECT_TRUE (hasContent (picture)) << name;

    const auto folder = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_SCREENSHOT_DIR", {});
    if (folder.isEmpty())
        return;

    const auto file = juce::File (folder).getChildFile (name + ".png");
    file.deleteFile();
    juce::FileOutputStream out (file);
    ASSERT_TRUE (out.openedOk());
    ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, out));
}
} // namespace

// The settings panel's four pages over the deck, and the audio device window.
TEST_F (SettingsFixture, SettingsScreensDraw)
{
    FakeDeviceManager fake;
    ASSERT_EQ (fake.open (48000.0, 480), "");
    processor->deviceManager = &fake.manager;
    openReel ("Basement Sessions");
    editor->setSize (1360, 906);
    editor->dustCover->putAwayAtOnce();
    editor->resized();

    const char* names[] = {"settings-audio", "settings-metronome", "settings-system", "settings-shortcuts"};
    editor->handleMenuCommand (MenuCommands::metronomeSettings, -1);
    auto* panel = dynamic_cast<SettingsPanel*> (editor->deckPanel.findChildWithID (EditorIds::settingsPanel));
    ASSERT_NE (panel, nullptr);
    for (int tab = 0; tab < 4; ++tab)
    {
        panel->tabs.setCurrentTabIndex (tab);
        runMessages (20);
        shoot (*panel, names[tab]);
    }
    shoot (*editor, "settings-over-deck");

    // The minimal interface draws the panel with its own look and the theme's colours.
    editor->handleMenuCommand (MenuCommands::switchInterface, -1);
    editor->handleMenuCommand (MenuCommands::metronomeSettings, -1);
    runMessages (50);
    panel = dynamic_cast<SettingsPanel*> (editor->deckPanel.findChildWithID (EditorIds::settingsPanel));
    ASSERT_NE (panel, nullptr);
    panel->tabs.setCurrentTabIndex (2);
    shoot (*panel, "settings-system-minimal");
    editor->handleMenuCommand (MenuCommands::switchInterface, -1);

    if (displayAvailable())
    {
        auto* window = new SafeAudioSetupWindow (processor.get(), &editor->customLook, false);
        runMessages (100);
        shoot (*window, "audio-device-window");
        window->closeButtonPressed();
    }

    processor->deviceManager = nullptr;
}
