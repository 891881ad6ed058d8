#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/PluginEditorWindow.h"
#include "tests/block/FakePlugin.h"
#include "tests/rackui/RackUiTestSupport.h"

#include <gtest/gtest.h>

namespace
{
class StubEditor : public juce::AudioProcessorEditor
{
public:
    StubEditor (juce::AudioProcessor& p, int w, int h) : juce::AudioProcessorEditor (p) { setSize (w, h); }
    void paint (juce::Graphics& g) override { g.fillAll (juce::Colours::darkslategrey); }
};

struct EditorWindowFixture : public ::testing::Test
{
    void SetUp() override { RACKUI_REQUIRE_DISPLAY(); }

    void TearDown() override
    {
        delete window.getComponent(); // before the instance its editor belongs to
        instance.reset();
    }

    PluginEditorWindow* open (int editorWidth, int editorHeight)
    {
        window = createPluginEditorWindow (processor, new StubEditor (*instance, editorWidth, editorHeight),
                                           instance.get(), [this] (const juce::KeyPress& key) {
                                               forwarded.add (key);
                                               return true;
                                           });
        return window.getComponent();
    }

    TavrelDelayAudioProcessor processor;
    std::unique_ptr<FakePlugin> instance = std::make_unique<FakePlugin> (0, 2);
    juce::Component::SafePointer<PluginEditorWindow> window;
    juce::Array<juce::KeyPress> forwarded;
};
} // namespace

TEST (PluginEditorPlacement, CentredBelowTheTitleAndCutToTheScreenSpace)
{
    const juce::Rectangle<int> area (0, 0, 1920, 1040);
    EXPECT_EQ (PluginEditorWindow::placementFor (&area, 1200, 900, 30), juce::Rectangle<int> (340, 30, 1200, 900));
    EXPECT_EQ (PluginEditorWindow::placementFor (&area, 4000, 3000, 30), juce::Rectangle<int> (0, 30, 1880, 960));
    EXPECT_EQ (PluginEditorWindow::placementFor (&area, 0, -5, 30), juce::Rectangle<int> (740, 330, 400, 300));
    const juce::Rectangle<int> offset (100, 50, 1000, 700);
    EXPECT_EQ (PluginEditorWindow::placementFor (&offset, 600, 100, 24), juce::Rectangle<int> (280, 310, 600, 100));
    EXPECT_EQ (PluginEditorWindow::placementFor (nullptr, 1200, 900, 30), juce::Rectangle<int> (0, 30, 800, 600));
}

TEST_F (EditorWindowFixture, ARealWindowShowsTheEditorAndKeepsItsTitleBarBelowY35)
{
    ASSERT_NE (open (1200, 900), nullptr);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*window));
    EXPECT_EQ (window->getName(), "Fake");
    EXPECT_FALSE (window->isUsingNativeTitleBar());
    EXPECT_TRUE (window->isAlwaysOnTop());
    ASSERT_NE (window->getContentComponent(), nullptr);
    EXPECT_EQ (window->getContentComponent()->getWidth(), 1200);
    EXPECT_EQ (window->getContentComponent()->getHeight(), 900);

    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    ASSERT_NE (display, nullptr);
    const auto expected = PluginEditorWindow::placementFor (&display->userArea, 1200, 900, window->getTitleBarHeight());
    EXPECT_EQ (window->getX(), expected.getX());
    EXPECT_EQ (window->getY(), juce::jmax (35, expected.getY()));

    // Dragged above y 35, it springs back.
    window->setTopLeftPosition (200, 0);
    EXPECT_EQ (window->getPosition(), juce::Point<int> (200, 35));
    RackUiTest::pump();
    EXPECT_GE (window->getY(), 35);
}

TEST_F (EditorWindowFixture, AnOversizedEditorIsCutToTheScreenSpace)
{
    ASSERT_NE (open (5000, 4000), nullptr);
    const auto* display = juce::Desktop::getInstance().getDisplays().getPrimaryDisplay();
    ASSERT_NE (display, nullptr);
    EXPECT_EQ (window->getContentComponent()->getWidth(), display->userArea.getWidth() - 40);
    EXPECT_EQ (window->getContentComponent()->getHeight(), display->userArea.getHeight() - 80);
    EXPECT_EQ (window->getY(), 35); // placed at the title height, then kept below the top margin
}

TEST_F (EditorWindowFixture, NullEditorOrInstanceBuildsNothing)
{
    EXPECT_EQ (createPluginEditorWindow (processor, nullptr, instance.get(), {}), nullptr);
    auto* editor = new StubEditor (*instance, 100, 100);
    EXPECT_EQ (createPluginEditorWindow (processor, editor, nullptr, {}), nullptr);
    delete editor;
}

TEST_F (EditorWindowFixture, MusicalTypingPlaysOneNotePerKeyAndReleasesIt)
{
    ASSERT_NE (open (400, 300), nullptr);
    processor.musicalTypingActive = true;
    processor.keyboardOctave = 4;

    EXPECT_EQ (window->keyToNote ('a'), 60);
    EXPECT_EQ (window->keyToNote ('K'), 72);
    EXPECT_EQ (window->keyToNote ('"'), 77);
    EXPECT_EQ (window->keyToNote ('b'), -1);

    EXPECT_TRUE (window->keyPressed (juce::KeyPress ('a', {}, 'a')));
    EXPECT_TRUE (window->keyPressed (juce::KeyPress ('a', {}, 'a'))); // auto-repeat
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_EQ (window->heldNotes, juce::Array<int> ({60}));

    // The key is not down (no key is, here): the note ends.
    window->keyStateChanged (false);
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_TRUE (window->heldNotes.isEmpty());

    // Losing focus ends held notes at once.
    window->keyPressed (juce::KeyPress ('k', {}, 'k'));
    ASSERT_TRUE (processor.keyboardState.isNoteOn (1, 72));
    window->activeWindowStatusChanged();
    if (! window->isActiveWindow())
    {
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 72));
        EXPECT_TRUE (window->heldNotes.isEmpty());
    }
    EXPECT_TRUE (forwarded.isEmpty());
}

TEST_F (EditorWindowFixture, OctaveAndVelocityKeysStayInRange)
{
    ASSERT_NE (open (400, 300), nullptr);
    processor.musicalTypingActive = true;

    struct Case
    {
        char key;
        int octaveBefore, octaveAfter;
        float velocityBefore, velocityAfter;
    };
    const Case cases[] = {
        {'x', 8, 8, 0.5f, 0.5f}, {'z', 0, 0, 0.5f, 0.5f}, {'X', 3, 4, 0.5f, 0.5f}, {'z', 3, 2, 0.5f, 0.5f},
        {'c', 4, 4, 0.15f, 0.1f}, {'v', 4, 4, 0.95f, 1.0f}, {'C', 4, 4, 0.8f, 0.7f},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String::charToString (c.key));
        processor.keyboardOctave = c.octaveBefore;
        processor.keyboardVelocity = c.velocityBefore;
        EXPECT_TRUE (window->keyPressed (juce::KeyPress (c.key, {}, (juce::juce_wchar)c.key)));
        EXPECT_EQ (processor.keyboardOctave.load(), c.octaveAfter);
        EXPECT_NEAR (processor.keyboardVelocity.load(), c.velocityAfter, 1.0e-5f);
    }

    processor.keyboardOctave = 0;
    EXPECT_EQ (window->keyToNote ('a'), 12);
}

TEST_F (EditorWindowFixture, UnusedKeysGoToTheMainEditorAndEscapeCloses)
{
    ASSERT_NE (open (400, 300), nullptr);

    // Musical typing off: letters are the main editor's shortcuts.
    processor.musicalTypingActive = false;
    EXPECT_TRUE (window->keyPressed (juce::KeyPress ('a', {}, 'a')));
    // With Ctrl held a note key is a shortcut even while typing is on.
    processor.musicalTypingActive = true;
    EXPECT_TRUE (window->keyPressed (juce::KeyPress ('s', juce::ModifierKeys::ctrlModifier, 's')));
    ASSERT_EQ (forwarded.size(), 2);
    EXPECT_EQ (forwarded[0].getTextCharacter(), 'a');
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 62));

    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys::ctrlModifier, 0)));
    EXPECT_EQ (forwarded.size(), 2);

    EXPECT_TRUE (window->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (window.getComponent(), nullptr);
}
