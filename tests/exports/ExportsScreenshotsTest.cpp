#include "tests/exports/ExportsTestSupport.h"

using namespace ExportsTest;

namespace
{
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

// The export, bounce and import screens as the program draws them over the deck.
TEST_F (ExportsFixture, ExportScreensDraw)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    editor->setSize (1360, 906);
    if (editor->dustCover != nullptr)
        editor->dustCover->putAwayAtOnce();
    processor->parameters.state.setProperty ("TrackName_1", "Kick", nullptr);
    processor->parameters.state.setProperty ("TrackName_2", "Bass", nullptr);
    editor->resized();

    auto* panel = openExportPanel();
    ASSERT_NE (panel, nullptr);
    shoot (*editor, "export-panel");

    click (panel->bounceButton);
    if (auto* dialog = waitForDialog (ExportPanel::bounceDialogTitle))
    {
        shoot (*dialog, "bounce-dialog");
        answer (*dialog, "Cancel");
    }
    click (panel->cancelButton);
    runMessagesUntil ([this] { return exportPanel() == nullptr; });

    const auto stereo = temp / "Piano Take 3.wav";
    ASSERT_TRUE (writeTone (stereo, 2, 0.2, 441.0));
    editor->filesDropped ({stereo.getFullPathName()}, 0, 0);
    ASSERT_NE (importPanel(), nullptr);
    shoot (*editor, "import-panel");

    editor->filesDropped ({stereo.getFullPathName(), stereo.getFullPathName()}, 0, 0);
    if (auto* dialog = waitForDialog ("Batch Import"))
    {
        shoot (*dialog, "batch-import-dialog");
        answer (*dialog, "Cancel");
    }
    editor->closeImportPanel();

    // The minimal interface.
    editor->useModernUI = true;
    editor->setLookAndFeel (&editor->modernLook);
    juce::LookAndFeel::setDefaultLookAndFeel (&editor->modernLook);
    editor->resized();
    ASSERT_NE (openExportPanel(), nullptr);
    shoot (*editor, "export-panel-minimal");
}
