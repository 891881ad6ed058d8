#include "ConsoleScreens.h"
#include "EditorTestSupport.h"

#include "tests/support/TempDir.h"

#include <functional>

using EditorTest::EditorFixture;

namespace
{
struct Screen
{
    const char* fileName;
    std::function<void (EditorFixture&)> show;
};

// One line a screen: the picture's name and how to get there from a new editor.
// scripts/screenshots.sh writes them all into docs/screenshots/.
const Screen screens[] = {
    {"tape-room", [] (EditorFixture& f) { f.editor->tapeRoom->listBox.selectRow (0); }},
    {"deck-cover-down", [] (EditorFixture& f) { f.showDeck(); }},
    {"deck-cover-up", [] (EditorFixture& f) { f.editor->dustCover->putAwayAtOnce(); f.showDeck(); }},
    {"deck-minimal", [] (EditorFixture& f) { f.showDeck(); f.switchInterface (true); }},
    {"console", [] (EditorFixture& f) { EditorTest::dressConsole (f); }},
    {"console-minimal", [] (EditorFixture& f) { f.switchInterface (true); EditorTest::dressConsole (f); }},
};

juce::File screenshotFolder (const TempDir& fallback)
{
    const auto wanted = juce::SystemStats::getEnvironmentVariable ("DRAVIN8_SCREENSHOT_DIR", {});
    return wanted.isNotEmpty() ? juce::File (wanted) : fallback.getFile();
}

/** Whether the picture shows more than one flat colour. */
bool hasContent (const juce::Image& picture)
{
    const auto first = picture.getPixelAt (0, 0);
    for (int y = 0; y < picture.getHeight(); y += 7)
        for (int x = 0; x < picture.getWidth(); x += 7)
            if (picture.getPixelAt (x, y) != first)
                return true;
    return false;
}
} // namespace

// Every screen draws at the default size; the pictures are the ones the README shows.
TEST_F (EditorFixture, EveryScreenDrawsAt1360x906)
{
    const TempDir scratch ("dravin8-screens");
    const auto folder = screenshotFolder (scratch);
    ASSERT_TRUE (folder.createDirectory());

    // A few reels on the shelf, so the tape room has something to show.
    processor->reelLibrary.createReel ("Basement Sessions", 30 * 60, 48000.0, 24);
    processor->reelLibrary.createReel ("Live at the Grange", 20 * 60, 44100.0, 16);
    processor->reelLibrary.createReel ("Demo Ideas", 10 * 60, 44100.0, 8);

    for (const auto& screen : screens)
    {
        SCOPED_TRACE (screen.fileName);
        auto& editor = makeEditor();
        screen.show (*this);
        ASSERT_EQ (editor.getWidth(), 1360);
        ASSERT_EQ (editor.getHeight(), 906);

        const auto picture = editor.createComponentSnapshot (editor.getLocalBounds(), true, 1.0f);
        EXPECT_TRUE (hasContent (picture));

        const auto file = folder.getChildFile (juce::String (screen.fileName) + ".png");
        file.deleteFile();
        juce::FileOutputStream out (file);
        ASSERT_TRUE (out.openedOk());
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (picture, out));
    }
}
