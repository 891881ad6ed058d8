#include "instruments/RhythmEngine.h"
#include "tests/instrumentui/RhythmUiTestSupport.h"
#include "ui/instruments/BuiltInRhythmEditor.h"
#include "ui/instruments/DrumPadsComponent.h"
#include "ui/instruments/DrumPadsWindow.h"
#include "ui/instruments/RhythmBreakoutComponent.h"
#include "ui/instruments/RhythmBreakoutWindow.h"

#include <gtest/gtest.h>

using namespace RhythmUiTest;

namespace
{
struct RhythmWindowsTest : ::testing::Test
{
    void SetUp() override
    {
        RHYTHM_REQUIRE_DISPLAY();
        RhythmBreakoutWindow::lastSequencerSize = {0, 0, 1100, 700};
        DrumPadsWindow::lastPadsSize = {0, 0, 800, 350};
        // Another slot first, so the rhythm machine is slot 1 and the target change shows.
        processor.instruments.push_back (makeInstrumentPlugin());
        slot = addRhythmSlot (processor);
        editor = std::make_unique<BuiltInRhythmEditor> (processor, slot.get());
    }

    void TearDown() override { editor.reset(); }

    template <typename WindowType>
    static int countOnDesktop()
    {
        int n = 0;
        for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
            if (dynamic_cast<WindowType*> (juce::Desktop::getInstance().getComponent (i)) != nullptr)
                ++n;
        return n;
    }

    DrumPadsComponent& openPads()
    {
        click (editor->padsButton);
        return *editor->padsWindow->getPads();
    }

    TavrelDelayAudioProcessor processor;
    std::shared_ptr<TavrelDelayAudioProcessor::InstrumentPlugin> slot;
    std::unique_ptr<BuiltInRhythmEditor> editor;
};
} // namespace

TEST_F (RhythmWindowsTest, EachWindowOpensOnceInARealWindowAndGoesWithTheEditor)
{
    ASSERT_TRUE (click (editor->matrixButton));
    ASSERT_TRUE (click (editor->padsButton));
    juce::Component::SafePointer<RhythmBreakoutWindow> sequencer (editor->sequencerWindow.getComponent());
    juce::Component::SafePointer<DrumPadsWindow> pads (editor->padsWindow.getComponent());
    ASSERT_NE (sequencer, nullptr);
    ASSERT_NE (pads, nullptr);

    struct Expected
    {
        juce::DocumentWindow* window;
        const char* title;
        int width, height;
    };
    for (const auto& e : {Expected{sequencer.getComponent(), "Pulsaro Sequencer", 1100, 700},
                          Expected{pads.getComponent(), "Pulsaro Drum Pads", 800, 350}})
    {
        SCOPED_TRACE (e.title);
        EXPECT_TRUE (hasNativeWindow (*e.window));
        EXPECT_EQ (e.window->getName(), e.title);
        EXPECT_TRUE (e.window->isAlwaysOnTop());
        EXPECT_TRUE (e.window->isUsingNativeTitleBar());
        EXPECT_EQ (e.window->getContentComponent()->getWidth(), e.width);
        EXPECT_EQ (e.window->getContentComponent()->getHeight(), e.height);
        EXPECT_EQ (e.window->findColour (juce::DocumentWindow::backgroundColourId), juce::Colour (0xff2b2b2b));
    }

    // A second click brings the open window forward instead of opening another.
    ASSERT_TRUE (click (editor->matrixButton));
    ASSERT_TRUE (click (editor->padsButton));
    EXPECT_EQ (editor->sequencerWindow.getComponent(), sequencer.getComponent());
    EXPECT_EQ (countOnDesktop<RhythmBreakoutWindow>(), 1);
    EXPECT_EQ (countOnDesktop<DrumPadsWindow>(), 1);

    editor.reset();
    EXPECT_EQ (sequencer, nullptr);
    EXPECT_EQ (pads, nullptr);
}

TEST_F (RhythmWindowsTest, EscapeClosesAWindowAndTheButtonOpensANewOne)
{
    ASSERT_TRUE (click (editor->padsButton));
    juce::Component::SafePointer<DrumPadsWindow> pads (editor->padsWindow.getComponent());
    ASSERT_NE (pads, nullptr);
    EXPECT_TRUE (pads->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (pads, nullptr);
    EXPECT_EQ (editor->padsWindow, nullptr);

    ASSERT_TRUE (click (editor->padsButton));
    EXPECT_NE (editor->padsWindow, nullptr);

    // The sequencer's grid takes no keys (space must not toggle a step); Escape closes it.
    ASSERT_TRUE (click (editor->matrixButton));
    juce::Component::SafePointer<RhythmBreakoutWindow> sequencer (editor->sequencerWindow.getComponent());
    auto* content = sequencer->getContentComponent();
    EXPECT_TRUE (content->getWantsKeyboardFocus());
    EXPECT_FALSE (sequencer->getBreakout()->stepButtons[0]->getWantsKeyboardFocus());
    sequencer->keyPressed (juce::KeyPress (juce::KeyPress::escapeKey));
    EXPECT_EQ (sequencer, nullptr);
}

TEST_F (RhythmWindowsTest, SequencerLaysOutTheGridAndEditsTheEngine)
{
    ASSERT_TRUE (click (editor->matrixButton));
    auto& breakout = *editor->sequencerWindow->getBreakout();
    auto& engine = *slot->rhythmEngine;

    EXPECT_EQ (breakout.stepButtons[0]->getBounds(), juce::Rectangle<int> (71, 55, 57, 50));
    EXPECT_EQ (breakout.stepButtons[4]->getX(), 71 + 10 + 4 * 62);
    EXPECT_EQ (breakout.voiceLabels[9]->getBounds(), juce::Rectangle<int> (11, 55 + 9 * 55, 50, 50));
    EXPECT_EQ (breakout.clearButton.getBounds(), juce::Rectangle<int> (988, 615, 100, 26));
    EXPECT_TRUE (breakout.isTimerRunning());

    // A click on a step (through the window, as the user does) writes the grid; the editor's
    // pattern display turns to CUSTOM at its next tick.
    processor.unsavedChanges = false;
    ASSERT_FALSE (engine.steps[7][1]);
    clickAt (*breakout.stepButtons[7 * 16 + 1], {10, 10});
    EXPECT_TRUE (engine.steps[7][1]);
    EXPECT_EQ (engine.rmPattern, 15);
    EXPECT_TRUE (processor.unsavedChanges);
    editor->timerCallback();
    EXPECT_TRUE (editor->patternButtons[15]->getToggleState());
    EXPECT_FALSE (editor->patternButtons[0]->getToggleState());
    EXPECT_TRUE (editor->stepButtons[7 * 16 + 1]->getToggleState());

    // CLEAR empties the grid; the buttons follow at the next tick, as do grid edits elsewhere.
    ASSERT_TRUE (click (breakout.clearButton));
    for (auto& row : engine.steps)
        for (bool cell : row)
            EXPECT_FALSE (cell);
    engine.steps[2][9] = true;
    engine.playing = true;
    engine.currentStep = 9;
    breakout.timerCallback();
    EXPECT_FALSE (breakout.stepButtons[7 * 16 + 1]->getToggleState());
    EXPECT_TRUE (breakout.stepButtons[2 * 16 + 9]->getToggleState());
    EXPECT_EQ (breakout.shownStep, 9);
}

TEST_F (RhythmWindowsTest, SequencerWithoutAnEngineIsEmpty)
{
    auto other = makeInstrumentPlugin();
    RhythmBreakoutComponent breakout (processor, other.get());
    breakout.setSize (1100, 700);
    EXPECT_TRUE (breakout.stepButtons.isEmpty());
    EXPECT_FALSE (breakout.isTimerRunning());
    breakout.timerCallback();
}

TEST_F (RhythmWindowsTest, PadsLayOutInTwoRowsUnderTheVelocityHeader)
{
    auto& pads = openPads();
    ASSERT_EQ (pads.getWidth(), 800);
    ASSERT_EQ (pads.pads.size(), 10);

    const int xs[] = {20, 174, 328, 482, 636};
    for (int i = 0; i < 10; ++i)
        EXPECT_EQ (pads.pads[i]->getBounds(), juce::Rectangle<int> (xs[i % 5], i < 5 ? 40 : 195, 144, 145)) << i;

    EXPECT_EQ (pads.pads[0]->padName, "RIM");
    EXPECT_EQ (pads.pads[5]->padName, "KIK");
    EXPECT_EQ (pads.pads[5]->keyHint, "A");
    EXPECT_EQ (pads.plusButton.getBounds(), juce::Rectangle<int> (765, 2, 25, 26));
    EXPECT_EQ (pads.velocityLabel.getBounds(), juce::Rectangle<int> (725, 2, 40, 26));
    EXPECT_EQ (pads.minusButton.getBounds(), juce::Rectangle<int> (700, 2, 25, 26));
    EXPECT_EQ (pads.velocityCaption.getBounds(), juce::Rectangle<int> (630, 2, 70, 26));
    EXPECT_EQ (pads.velocityCaption.getText(), "VELOCITY:");

    // A narrow component squeezes the header controls instead of overlapping the edge.
    pads.setSize (100, 20);
    EXPECT_EQ (pads.plusButton.getBounds(), juce::Rectangle<int> (65, 2, 25, 16));
    EXPECT_EQ (pads.minusButton.getWidth(), 15);
    EXPECT_EQ (pads.velocityCaption.getWidth(), 0);
    EXPECT_EQ (pads.pads[0]->getWidth(), 4);
}

TEST_F (RhythmWindowsTest, ClickingAPadPlaysItsNoteOnTheSlotAtThePadVelocity)
{
    auto& pads = openPads();
    NoteRecorder notes (processor.keyboardState);
    processor.keyboardTargetSlot = -1;

    auto& kick = *pads.pads[5];
    mouseAt (kick, kick.getLocalBounds().getCentre(), true, false);
    EXPECT_EQ (processor.keyboardTargetSlot.load(), 1);
    EXPECT_TRUE (kick.isDown);
    ASSERT_EQ (notes.events.size(), 1u);
    EXPECT_EQ (notes.events[0].channel, 1);
    EXPECT_EQ (notes.events[0].note, 36);
    EXPECT_TRUE (notes.events[0].on);
    EXPECT_NEAR (notes.events[0].velocity, 0.8f, 1.0f / 127.0f);

    mouseAt (kick, kick.getLocalBounds().getCentre(), false, true);
    EXPECT_FALSE (kick.isDown);
    ASSERT_EQ (notes.events.size(), 2u);
    EXPECT_EQ (notes.events[1].note, 36);
    EXPECT_FALSE (notes.events[1].on);
}

TEST_F (RhythmWindowsTest, VelocityStepsStayWithinRangeAndSetTheKeyboardVelocity)
{
    processor.keyboardVelocity = 0.3f;
    auto& pads = openPads();
    EXPECT_EQ (pads.velocityLabel.getText(), "102");
    EXPECT_FLOAT_EQ (processor.keyboardVelocity.load(), 0.8f) << "opening the pads resets the typing velocity";

    for (const char* expected : {"114", "127", "127"})
    {
        ASSERT_TRUE (click (pads.plusButton));
        EXPECT_EQ (pads.velocityLabel.getText(), expected);
    }

    // Keys C and V step it too, in either case; it stops at 0.1 (13).
    for (int i = 0; i < 11; ++i)
    {
        const auto key = i % 2 == 0 ? juce::KeyPress ('c') : juce::KeyPress ('C', juce::ModifierKeys::shiftModifier, 'C');
        EXPECT_TRUE (pads.keyPressed (key));
        if (i == 0)
        {
            EXPECT_EQ (pads.velocityLabel.getText(), "114");
        }
    }
    EXPECT_EQ (pads.velocityLabel.getText(), "13");
    EXPECT_NEAR (processor.keyboardVelocity.load(), 0.1f, 1.0e-6f);
    EXPECT_TRUE (pads.keyPressed (juce::KeyPress ('v')));
    EXPECT_EQ (pads.velocityLabel.getText(), "25");
}

TEST_F (RhythmWindowsTest, HeldKeysPlayOnceAndReleaseWhenUpOrOnFocusLoss)
{
    auto& pads = openPads();
    NoteRecorder notes (processor.keyboardState);

    EXPECT_TRUE (pads.keyPressed (juce::KeyPress ('a')));
    EXPECT_TRUE (pads.keyPressed (juce::KeyPress ('a'))); // key repeat
    EXPECT_TRUE (pads.keyPressed (juce::KeyPress ('D', juce::ModifierKeys::shiftModifier, 'D')));
    EXPECT_FALSE (pads.keyPressed (juce::KeyPress ('q')));
    ASSERT_EQ (notes.events.size(), 2u);
    EXPECT_EQ (notes.events[0].note, 36);
    EXPECT_EQ (notes.events[1].note, 40);
    EXPECT_TRUE (pads.pads[5]->isDown);

    // A still down (its lower-case code), D released.
    pads.releaseKeysNoLongerDown ([] (int code) { return code == 'a'; });
    ASSERT_EQ (notes.events.size(), 3u);
    EXPECT_EQ (notes.events[2].note, 40);
    EXPECT_FALSE (notes.events[2].on);
    EXPECT_EQ (pads.heldNotes, juce::Array<int> (36));

    pads.focusLost (juce::Component::focusChangedByMouseClick);
    ASSERT_EQ (notes.events.size(), 4u);
    EXPECT_EQ (notes.events[3].note, 36);
    EXPECT_FALSE (notes.events[3].on);
    EXPECT_FALSE (pads.pads[5]->isDown);
    EXPECT_TRUE (pads.heldNotes.isEmpty());
}

TEST_F (RhythmWindowsTest, ResizingKeepsTheShapeAndTheNextWindowOpensAtTheLastSize)
{
    ASSERT_TRUE (click (editor->padsButton));
    auto* pads = editor->padsWindow.getComponent();
    auto* constrainer = pads->getConstrainer();
    ASSERT_NE (constrainer, nullptr);
    EXPECT_NEAR (constrainer->getFixedAspectRatio(), 16.0 / 7.0, 1.0e-9);

    constrainer->setBoundsForComponent (pads, pads->getBounds().withSize (640, 200), false, false, true, true);
    const auto size = pads->getBounds();
    EXPECT_NEAR ((double)size.getWidth() / size.getHeight(), 16.0 / 7.0, 0.02);
    EXPECT_EQ (DrumPadsWindow::lastPadsSize.getWidth(), size.getWidth());

    pads->closeButtonPressed();
    EXPECT_EQ (editor->padsWindow, nullptr);
    ASSERT_TRUE (click (editor->padsButton));
    EXPECT_EQ (editor->padsWindow->getWidth(), size.getWidth());
    EXPECT_EQ (editor->padsWindow->getHeight(), size.getHeight());

    ASSERT_TRUE (click (editor->matrixButton));
    EXPECT_NEAR (editor->sequencerWindow->getConstrainer()->getFixedAspectRatio(), 11.0 / 7.0, 1.0e-9);
}

TEST_F (RhythmWindowsTest, LearnModeArmsTheClickedControlAndIgnoresControlsWithoutAnId)
{
    juce::DocumentWindow window ("learn", juce::Colours::black, 0, true);
    window.setUsingNativeTitleBar (true);
    window.setContentNonOwned (editor.get(), true);
    window.setTopLeftPosition (0, 0);
    window.setVisible (true);
    ASSERT_TRUE (hasNativeWindow (window));
    pump (50);

    ASSERT_TRUE (click (editor->learnButton));
    EXPECT_TRUE (editor->glassPane.isVisible());

    // A step button has no ID: nothing is armed.
    ASSERT_FALSE (editor->stepButtons[9 * 16]->getToggleState());
    clickAt (*editor->stepButtons[9 * 16], {8, 8});
    EXPECT_FALSE (processor.midiLearnArmed.load());
    EXPECT_EQ (editor->learnTarget, nullptr);
    EXPECT_FALSE (editor->stepButtons[9 * 16]->getToggleState()) << "the pane takes the click";
    const auto tempo = editor->tempoKnob.getBounds();
    const auto before = editor->createComponentSnapshot (editor->getLocalBounds()).getPixelAt (tempo.getCentreX(), tempo.getY() + 2);

    // A knob's value box learns its knob.
    clickAt (editor->swingKnob, {23, 56});
    EXPECT_EQ (processor.midiLearnTarget, "INST_2_SWING");
    EXPECT_EQ (editor->learnTarget.getComponent(), &editor->swingKnob);

    clickAt (editor->tempoKnob, {23, 20});
    EXPECT_TRUE (processor.midiLearnArmed.load());
    EXPECT_EQ (processor.midiLearnTarget, "INST_2_BPM");
    EXPECT_EQ (editor->learnTarget.getComponent(), &editor->tempoKnob);

    // The highlight outlines the knob while the processor waits for a controller.
    const auto image = editor->createComponentSnapshot (editor->getLocalBounds());
    EXPECT_GT (image.getPixelAt (tempo.getCentreX(), tempo.getY() + 2).getBrightness(), before.getBrightness() + 0.25f);

    // The controller arrives (the processor ends learning): the button goes off, the pane stays.
    editor->timerCallback();
    processor.clearMidiLearnTarget();
    editor->timerCallback();
    EXPECT_FALSE (editor->learnButton.getToggleState());
    EXPECT_EQ (editor->learnTarget, nullptr);
    EXPECT_TRUE (editor->glassPane.isVisible());

    ASSERT_TRUE (click (editor->learnButton));
    ASSERT_TRUE (click (editor->learnButton));
    EXPECT_FALSE (editor->glassPane.isVisible());
    window.clearContentComponent();
}

TEST_F (RhythmWindowsTest, SampleButtonOpensItsMenu)
{
    juce::DocumentWindow window ("menu", juce::Colours::black, 0, true);
    window.setUsingNativeTitleBar (true);
    window.setContentNonOwned (editor.get(), true);
    window.setVisible (true);
    ASSERT_TRUE (hasNativeWindow (window));

    // The click's handler opens the menu (checked before a later message could close it again).
    bool menuShown = false;
    auto handler = editor->sampleButtons[4]->onClick;
    editor->sampleButtons[4]->onClick = [handler, &menuShown]
    {
        handler();
        menuShown = juce::PopupMenu::dismissAllActiveMenus();
    };
    ASSERT_TRUE (click (*editor->sampleButtons[4]));
    EXPECT_TRUE (menuShown);
    pump (50);
    EXPECT_EQ (slot->rhythmEngine->getCustomSampleLength (4), 0) << "a dismissed menu changes nothing";
    window.clearContentComponent();
}
