#include "tests/editor/EditorTestSupport.h"
#include "tests/rackui/RackUiTestSupport.h"

#include "rack/MasterInsertWindow.h"
#include "rack/RackIds.h"
#include "rack/StudioRackComponent.h"
#include "rack/TrackInsertWindow.h"

using EditorHooks = EditorTest::EditorFixture;

TEST_F (EditorHooks, TheConsoleHoldsTheRackInItsColumn)
{
    auto& editor = makeEditor();
    showDeck();
    ASSERT_NE (editor.console, nullptr);
    auto* rack = editor.console->rack.get();
    ASSERT_NE (rack, nullptr);
    EXPECT_EQ (rack->getParentComponent(), editor.console.get());
    EXPECT_EQ (rack->getBounds(), editor.console->getRackBounds());

    // A console refresh rebuilds the rack from the processor.
    processor->addBuiltInInstrument (5);
    editor.console->refreshAll();
    EXPECT_EQ (rack->units.size(), 2 + 1 + 2);
}

TEST_F (EditorHooks, MasterFxAndTheInsertKeysOpenOneWindowEach)
{
    RACKUI_REQUIRE_DISPLAY();
    auto& editor = makeEditor();
    showDeck();

    editor.masterFxButton.triggerClick();
    RackUiTest::pump();
    auto* master = dynamic_cast<MasterInsertWindow*> (editor.masterInsertWindow.getComponent());
    ASSERT_NE (master, nullptr);
    EXPECT_TRUE (RackUiTest::hasNativeWindow (*master));

    editor.masterFxButton.triggerClick();
    RackUiTest::pump();
    EXPECT_EQ (editor.masterInsertWindow.getComponent(), master);

    auto* strip = editor.console->strips[1];
    strip->insertButton.triggerClick();
    RackUiTest::pump();
    auto* track = dynamic_cast<TrackInsertWindow*> (strip->insertWindow.getComponent());
    ASSERT_NE (track, nullptr);
    EXPECT_EQ (track->getName(), "Track 2 Inserts");

    int windows = 0;
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        windows += dynamic_cast<InsertChainWindow*> (juce::TopLevelWindow::getTopLevelWindow (i)) != nullptr ? 1 : 0;
    EXPECT_EQ (windows, 2);

    // A built-in slot editor opened from an insert window goes with the others.
    track->handlePluginLibraryChoice (RackIds::firstEffectId);
    ASSERT_EQ (processor->trackInserts.size(), 1u);

    editor.closeAllSecondaryWindows();
    RackUiTest::pump();
    EXPECT_EQ (editor.masterInsertWindow.getComponent(), nullptr);
    EXPECT_EQ (strip->insertWindow.getComponent(), nullptr);
    for (int i = 0; i < juce::TopLevelWindow::getNumTopLevelWindows(); ++i)
        EXPECT_FALSE (juce::TopLevelWindow::getTopLevelWindow (i)->getComponentID().startsWith (RackIds::editorWindowPrefix));
}
