#include "EditorTestSupport.h"

#include "ui/deck/EditorIds.h"
#include "ui/panels/SettingsPanel.h"

using EditorTest::EditorFixture;

// In a Debug build JUCE's leak detector also reports, at exit, any editor part left behind here
// (scripts/check-editor-leaks.sh runs these tests that way).
TEST_F (EditorFixture, ClosesItsWindowsAndOverlaysWhenItGoes)
{
    auto& editor = makeEditor();
    showDeck();

    auto* insertWindow = new juce::DocumentWindow ("Master Inserts", juce::Colours::black, 0, false);
    auto* typingWindow = new juce::DocumentWindow ("Musical Typing", juce::Colours::black, 0, false);
    editor.masterInsertWindow = insertWindow;
    editor.musicalTypingWindow = typingWindow;

    // A component that is not one of the editor's windows is left to its owner.
    juce::Component notAWindow;
    editor.performanceWindow = &notAWindow;

    auto* settings = new SettingsPanel (*processor, editor, {}, 0);
    settings->setComponentID (EditorIds::settingsPanel);
    editor.deckPanel.addAndMakeVisible (settings);
    auto* import = new juce::Component();
    import->setComponentID (EditorIds::importPanel);
    editor.deckPanel.addAndMakeVisible (import);
    editor.resized();

    const juce::Component::SafePointer<juce::Component> watchInsert (insertWindow), watchTyping (typingWindow),
        watchSettings (settings), watchImport (import);
    const auto* editorLook = &editor.getLookAndFeel();
    ASSERT_EQ (&juce::LookAndFeel::getDefaultLookAndFeel(), editorLook);

    this->editor.reset();

    EXPECT_EQ (watchInsert.getComponent(), nullptr);
    EXPECT_EQ (watchTyping.getComponent(), nullptr);
    EXPECT_EQ (watchSettings.getComponent(), nullptr);
    EXPECT_EQ (watchImport.getComponent(), nullptr);
    EXPECT_NE (&juce::LookAndFeel::getDefaultLookAndFeel(), editorLook) << "the default look outlives the editor";
}

TEST_F (EditorFixture, WindowsClosedBeforeTheEditorAreForgotten)
{
    auto& editor = makeEditor();

    auto* window = new juce::DocumentWindow ("Performance", juce::Colours::black, 0, false);
    editor.performanceWindow = window;
    delete window;

    EXPECT_EQ (editor.performanceWindow.getComponent(), nullptr);
    this->editor.reset(); // must not touch the deleted window
}
