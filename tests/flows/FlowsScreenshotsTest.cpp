#include "app/MainAppMenuBar.h"
#include "app/MainWindow.h"
#include "tests/flows/FlowsTestSupport.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/panels/PerformanceWindow.h"
#include "ui/panels/ThemeEditorWindow.h"
#include "ui/panels/TrackReorderWindow.h"

using namespace FlowsTest;

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
void shoot (juce::Component& component, const juce::String& name, juce::Rectangle<int> area = {})
{
    if (area.isEmpty())
        area = component.getLocalBounds();

    const auto picture = component.createComponentSnapshot (area, true, 1.0f);
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

// The menu bar, the dialogs and the windows of the reel flows, as the program draws them.
TEST_F (FlowsFixture, FlowScreensDraw)
{
    makeReel ("Basement Sessions", 16);
    editor.reset();
    MainWindow window ("Velmora Dravin 8", *processor);
    MainAppMenuBar bar (*processor, window);
    window.setMenuBar (&bar);
    window.setBounds (0, 0, 1360, 930);

    auto& shown = *dynamic_cast<TavrelDelayAudioProcessorEditor*> (window.getContentComponent());
    ASSERT_TRUE (shown.openReelAndResetView ("Basement Sessions", 0));
    processor->parameters.state.setProperty ("TrackName_1", "Kick", nullptr);
    processor->parameters.state.setProperty ("TrackName_2", "Bass", nullptr);
    shown.dustCover->putAwayAtOnce();
    shown.resized();
    bar.update();

    runMessages (50); // the bar reads its names again once told the reel changed
    shoot (*window.getMenuBarComponent(), "menu-bar");

    shown.handleMenuCommand (MenuCommands::about, -1);
    shoot (shown, "about-panel");
    shown.handleMenuCommand (MenuCommands::about, -1);
    if (auto* about = shown.deckPanel.findChildWithID (EditorIds::aboutPanel))
    {
        shown.deckPanel.removeChildComponent (about);
        delete about;
    }

    processor->unsavedChanges = true;
    shown.ejectClicked();
    if (auto* dialog = waitForDialog ("Eject Reel"))
        shoot (*dialog, "eject-dialog");
    dismissAllDialogs();

    shown.handleMenuCommand (MenuCommands::performanceMonitor, -1);
    ASSERT_NE (shown.performanceWindow.getComponent(), nullptr);
    shoot (*dynamic_cast<juce::DocumentWindow*> (shown.performanceWindow.getComponent())->getContentComponent(),
           "performance-monitor");

    shown.handleMenuCommand (MenuCommands::reorderTracks, -1);
    auto* reorder = findWindow<TrackReorderWindow>();
    ASSERT_NE (reorder, nullptr);
    shoot (*reorder->getContentComponent(), "track-reorder", {0, 0, 300, 300});

    shown.handleMenuCommand (MenuCommands::switchInterface, -1);
    shown.handleMenuCommand (MenuCommands::themeColours, -1);
    auto* theme = findWindow<ThemeEditorWindow>();
    ASSERT_NE (theme, nullptr);
    shoot (*theme, "theme-editor");
    shown.handleMenuCommand (MenuCommands::switchInterface, -1);

    window.setMenuBar (nullptr);
}
