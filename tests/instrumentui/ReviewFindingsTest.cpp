#include "tests/instrumentui/TannerinTestSupport.h"
#include "ui/instruments/BuiltInInstrumentEditor.h"
#include "ui/instruments/BuiltInKeyboardEditor.h"
#include "ui/instruments/BuiltInPolySynthEditor.h"
#include "ui/instruments/BuiltInTannerinEditor.h"
#include "ui/instruments/DrumPadsComponent.h"
#include "ui/instruments/EmbeddedInstrumentKeyboard.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/instruments/InternalInstrumentWindow.h"
#include "ui/instruments/MusicalTypingWindow.h"
#include "ui/instruments/TannerinBreakoutComponent.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{
using namespace TannerinTest;

/** An editor with a keyboard strip, shown, on a fresh slot of its type. */
template <typename Editor> std::unique_ptr<Editor> openWithStrip (TavrelDelayAudioProcessor& processor, int type)
{
    processor.addBuiltInInstrument (type);
    auto editor = std::make_unique<Editor> (processor, processor.instruments.back().get());
    return editor;
}

struct StripEditorCase
{
    const char* name;
    std::function<std::unique_ptr<juce::Component> (TavrelDelayAudioProcessor&)> open;
};
} // namespace

// The editor holds the focus and hands its keys to the strip, so when the focus leaves the
// editor (another window comes forward) the key-up of a typed note goes elsewhere.
TEST (ReviewFindings, FocusLeavingAnInstrumentEditorEndsTheNotesTypedIntoIt)
{
    const StripEditorCase cases[] = {
        {"mono", [] (auto& p) { return openWithStrip<BuiltInInstrumentEditor> (p, 1); }},
        {"poly", [] (auto& p) { return openWithStrip<BuiltInPolySynthEditor> (p, 3); }},
        {"stage keyboard", [] (auto& p) { return openWithStrip<BuiltInKeyboardEditor> (p, 5); }},
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        InstrumentUiState::keyboardShown = true;
        TavrelDelayAudioProcessor processor;
        auto editor = c.open (processor);

        ASSERT_TRUE (editor->keyPressed (juce::KeyPress ('a', {}, 'a')));
        ASSERT_TRUE (editor->keyPressed (juce::KeyPress ('w', {}, 'w')));
        ASSERT_TRUE (processor.keyboardState.isNoteOn (1, 60));

        editor->focusLost (juce::Component::focusChangedDirectly);
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 61));

        // The same key typed again starts its note again.
        EXPECT_TRUE (editor->keyPressed (juce::KeyPress ('a', {}, 'a')));
        EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));
        editor.reset();
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
    }
    InstrumentUiState::keyboardShown = false;
}

// Space holds the slide instrument's gate; its key-up is lost with the focus, and a panel
// closed with the gate held leaves nobody to close it.
TEST (ReviewFindings, TheSlideGateHeldBySpaceClosesWhenTheFocusLeavesOrThePanelCloses)
{
    TavrelDelayAudioProcessor processor;
    auto slot = makeSlideSlot();
    auto& engine = *slot->tannerinEngine;
    FakeKeys keys;
    keys.down.insert (juce::KeyPress::spaceKey);

    const std::function<std::unique_ptr<juce::Component>()> panels[] = {
        [&]
        {
            auto e = std::make_unique<BuiltInTannerinEditor> (processor, slot.get());
            e->isKeyPhysicallyDown = keys;
            return std::unique_ptr<juce::Component> (std::move (e));
        },
        [&]
        {
            auto s = std::make_unique<TannerinBreakoutComponent> (processor, slot.get(), nullptr);
            s->isKeyPhysicallyDown = keys;
            return std::unique_ptr<juce::Component> (std::move (s));
        },
    };

    for (const auto& open : panels)
    {
        auto panel = open();
        SCOPED_TRACE (panel->getName() + typeid (*panel).name());

        ASSERT_TRUE (panel->keyPressed (space));
        ASSERT_TRUE (engine.gate);
        panel->focusLost (juce::Component::focusChangedDirectly);
        EXPECT_FALSE (engine.gate);

        // Latched, the gate stays open whatever happens to the focus.
        engine.gateLatch = true;
        engine.gateOn();
        panel->keyPressed (space);
        panel->focusLost (juce::Component::focusChangedDirectly);
        EXPECT_TRUE (engine.gate);
        engine.gateLatch = false;
        engine.gateOff();

        ASSERT_TRUE (panel->keyPressed (space));
        ASSERT_TRUE (engine.gate);
        panel.reset();
        EXPECT_FALSE (engine.gate);
    }
}

// The pads window can go (Escape, the rhythm panel closing) while the mouse still holds a pad:
// its mouse-up never comes.
TEST (ReviewFindings, APadHeldByTheMouseEndsItsNoteWhenThePadsGo)
{
    TavrelDelayAudioProcessor processor;
    ASSERT_TRUE (processor.addBuiltInInstrument (2));
    auto pads = std::make_unique<DrumPadsComponent> (processor, processor.instruments.back().get());
    pads->setSize (800, 350);

    auto& kick = *pads->pads[5];
    kick.mouseDown (RackUiTest::mouseEventAt (kick, kick.getLocalBounds().getCentre().toFloat(),
                                              juce::ModifierKeys::leftButtonModifier));
    ASSERT_TRUE (processor.keyboardState.isNoteOn (1, kick.padNote));

    // A key held on another pad at the same time ends once, too.
    ASSERT_TRUE (pads->keyPressed (juce::KeyPress ('s', {}, 's')));
    ASSERT_TRUE (processor.keyboardState.isNoteOn (1, 38));

    pads.reset();
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 36));
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 38));
}

// Escape closes these windows while the mouse may still hold a key of their on-screen piano,
// whose mouse-up then never comes.
TEST (ReviewFindings, APianoKeyHeldByTheMouseEndsItsNoteWhenItsKeyboardGoes)
{
    // E above middle C: the lowest visible key sits under the piano's scroll button.
    const auto pressE = [] (juce::Component& root, const char* keysId)
    {
        auto* keys = dynamic_cast<juce::MidiKeyboardComponent*> (root.findChildWithID (keysId));
        EXPECT_NE (keys, nullptr);
        if (keys == nullptr)
            return;
        const juce::Point<float> position (keys->getKeyStartPosition (64) + keys->getKeyWidth() / 2.0f,
                                           (float)keys->getHeight() - 5.0f);
        keys->mouseDown (RackUiTest::mouseEventAt (*keys, position, juce::ModifierKeys::leftButtonModifier));
    };

    {
        TavrelDelayAudioProcessor processor;
        auto strip = std::make_unique<EmbeddedInstrumentKeyboard> (processor, nullptr);
        strip->setSize (1000, EmbeddedInstrumentKeyboard::preferredHeight);
        strip->setVisible (true); // the piano takes clicks only on screen
        strip->addToDesktop (0);
        pressE (*strip, EmbeddedInstrumentKeyboard::keysId);
        ASSERT_TRUE (processor.keyboardState.isNoteOn (1, 64));
        strip.reset();
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 64));
    }
    {
        TavrelDelayAudioProcessor processor;
        auto* window = new MusicalTypingWindow (processor);
        pressE (*window->getContentComponent(), MusicalTypingWindow::keysId);
        ASSERT_TRUE (processor.keyboardState.isNoteOn (1, 64));
        window->closeButtonPressed();
        EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 64));
    }
}

// The window's piano holds the keyboard focus once the window opens; typed note keys must still
// play at the window's octave and velocity, not at the framework piano's own key map.
TEST (ReviewFindings, TypingIntoTheMusicalKeyboardWindowPlaysAtItsOctaveWhileThePianoHasTheFocus)
{
    TavrelDelayAudioProcessor processor;
    processor.keyboardOctave.store (4);
    juce::Component::SafePointer<MusicalTypingWindow> window (new MusicalTypingWindow (processor));
    RackUiTest::pump (100);

    auto* keys = window->getContentComponent()->findChildWithID (MusicalTypingWindow::keysId);
    ASSERT_NE (keys, nullptr);
    keys->grabKeyboardFocus();
    ASSERT_NE (window->getPeer(), nullptr);
    window->getPeer()->handleKeyPress (juce::KeyPress ('a', {}, 'a'));

    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 72));
    EXPECT_TRUE (window->getHeldNotes().contains (60));

    // Octave keys reach the window too, and the next note follows them.
    window->getPeer()->handleKeyPress (juce::KeyPress ('x', {}, 'x'));
    window->getPeer()->handleKeyPress (juce::KeyPress ('s', {}, 's'));
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 74));
    delete window.getComponent();
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 74));
}

// With MIDI LEARN armed the learning pane covers the keyboard strip too; the strip's controls
// carry component IDs but no instrument setting, so a click on them must arm nothing.
TEST (ReviewFindings, LearningOnASynthPanelIgnoresItsKeyboardStrip)
{
    InstrumentUiState::keyboardShown = true;
    TavrelDelayAudioProcessor processor;
    ASSERT_TRUE (processor.addBuiltInInstrument (1));
    juce::Component::SafePointer<InternalInstrumentWindow> window (
        new InternalInstrumentWindow (processor, *processor.instruments.back()));
    auto* editor = dynamic_cast<BuiltInInstrumentEditor*> (window->getEditor());
    ASSERT_NE (editor, nullptr);
    RackUiTest::pump (50);

    editor->learnButton.triggerClick();
    RackUiTest::pump (20);
    ASSERT_TRUE (editor->glassPane.isVisible());
    ASSERT_NE (editor->keyboard, nullptr);

    for (const char* id : {EmbeddedInstrumentKeyboard::octaveUpButtonId, EmbeddedInstrumentKeyboard::keysId})
    {
        SCOPED_TRACE (id);
        auto* control = editor->keyboard->findChildWithID (id);
        ASSERT_NE (control, nullptr);
        const auto screen = control->localPointToGlobal (control->getLocalBounds().getCentre().toFloat());
        editor->learnControl (
            RackUiTest::mouseEventAt (editor->glassPane, editor->glassPane.getLocalPoint (nullptr, screen)));
        EXPECT_EQ (editor->learnTarget.getComponent(), nullptr);
        EXPECT_TRUE (processor.midiLearnTarget.isEmpty()) << processor.midiLearnTarget;
    }

    delete window.getComponent();
    InstrumentUiState::keyboardShown = false;
}
