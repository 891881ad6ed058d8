#include "engine/TavrelDelayAudioProcessor.h"
#include "tests/editor/EditorTestSupport.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/instruments/InstrumentUiState.h"
#include "ui/instruments/MusicalTypingWindow.h"

#include <gtest/gtest.h>

#include <set>

namespace
{
#define TYPING_REQUIRE_DISPLAY()                                                                   \
    if (! EditorTest::displayAvailable())                                                          \
    {                                                                                              \
        if (EditorTest::displayRequired())                                                         \
            FAIL() << "window tests need a display";                                              \
        GTEST_SKIP() << "no display";                                                              \
    }

void pump (int ms = 30)
{
    juce::MessageManager::getInstance()->runDispatchLoopUntil (ms);
}

struct NoteLog : juce::MidiKeyboardState::Listener
{
    std::vector<std::pair<int, float>> ons;
    void handleNoteOn (juce::MidiKeyboardState*, int channel, int note, float velocity) override
    {
        EXPECT_EQ (channel, 1);
        ons.emplace_back (note, velocity);
    }
    void handleNoteOff (juce::MidiKeyboardState*, int, int, float) override {}
};

void resetRemembered()
{
    MusicalTypingWindow::lastWidth = 600;
    MusicalTypingWindow::lastHeight = 235;
    MusicalTypingWindow::lockKeyboardFocus = false;
    MusicalTypingWindow::refreshTick = 0;
    InstrumentUiState::keyWidth = 35;
}

struct TypingWindowTest : ::testing::Test
{
    void SetUp() override
    {
        TYPING_REQUIRE_DISPLAY();
        resetRemembered();
        processor.keyboardState.addListener (&log);
    }

    void TearDown() override
    {
        delete window.getComponent();
        processor.keyboardState.removeListener (&log);
        resetRemembered();
    }

    MusicalTypingWindow& open()
    {
        auto* made = new MusicalTypingWindow (processor);
        made->isKeyPhysicallyDown = [this] (int c) { return keysDown.count (c) > 0; };
        made->onUnhandledKey = [this] (const juce::KeyPress& key)
        {
            forwarded.add (key);
            return true;
        };
        window = made;
        pump (50);
        return *made;
    }

    template <typename T>
    T& child (const char* id)
    {
        auto* found = dynamic_cast<T*> (window->getContentComponent()->findChildWithID (id));
        EXPECT_NE (found, nullptr) << id;
        return *found;
    }

    juce::String shown (const char* id) { return child<juce::Label> (id).getText(); }

    static juce::KeyPress key (juce::juce_wchar c, juce::ModifierKeys mods = {}) { return juce::KeyPress ((int)c, mods, c); }

    TavrelDelayAudioProcessor processor;
    NoteLog log;
    std::set<int> keysDown;
    juce::Array<juce::KeyPress> forwarded;
    juce::Component::SafePointer<MusicalTypingWindow> window;
};
} // namespace

TEST_F (TypingWindowTest, OpensAsARealWindowOfItsSizeWithTheProcessorsOctaveAndVelocity)
{
    auto& w = open();
    auto* peer = w.getPeer();
    ASSERT_NE (peer, nullptr);
    EXPECT_NE (peer->getNativeHandle(), nullptr);
    EXPECT_EQ (w.getName(), "Musical Keyboard");
    EXPECT_EQ (w.getWidth(), 600);
    EXPECT_EQ (w.getHeight(), 235);
    EXPECT_TRUE (w.isAlwaysOnTop());
    EXPECT_TRUE (w.isUsingNativeTitleBar());
    EXPECT_TRUE (processor.musicalTypingActive.load());
    EXPECT_EQ (shown (MusicalTypingWindow::octaveValueId), "4");
    EXPECT_EQ (shown (MusicalTypingWindow::velocityValueId), "102");
    EXPECT_EQ (child<juce::TextButton> (MusicalTypingWindow::keySizeButtonId).getButtonText(), "Key Size: S");

    // The layout: two rows of controls inside a 10-pixel margin, the keys below.
    const auto bounds = [&] (const char* id) { return w.getContentComponent()->findChildWithID (id)->getBounds(); };
    EXPECT_EQ (bounds (MusicalTypingWindow::keySizeButtonId), juce::Rectangle<int> (490, 10, 100, 25));
    EXPECT_EQ (bounds (MusicalTypingWindow::lockButtonId), juce::Rectangle<int> (450, 10, 40, 25));
    EXPECT_EQ (bounds (MusicalTypingWindow::globalQwertyButtonId), juce::Rectangle<int> (335, 10, 110, 25));
    EXPECT_EQ (bounds (MusicalTypingWindow::outputBoxId), juce::Rectangle<int> (70, 10, 200, 25));
    EXPECT_EQ (bounds ("OCTAVE_CAPTION"), juce::Rectangle<int> (10, 45, 60, 25));
    EXPECT_EQ (bounds (MusicalTypingWindow::velocityUpButtonId), juce::Rectangle<int> (315, 45, 25, 25));
    EXPECT_EQ (bounds (MusicalTypingWindow::keysId), juce::Rectangle<int> (10, 80, 580, 145));

    // Closing clears the processor's flag; a new window reads octave and velocity back.
    delete window.getComponent();
    EXPECT_FALSE (processor.musicalTypingActive.load());
    processor.keyboardOctave = 2;
    processor.keyboardVelocity = 0.5f;
    open();
    EXPECT_EQ (shown (MusicalTypingWindow::octaveValueId), "2");
    EXPECT_EQ (shown (MusicalTypingWindow::velocityValueId), "64");
    EXPECT_EQ (window->keyToNote ('a'), 36);
}

TEST_F (TypingWindowTest, NoteKeysPlayAtTheWindowsOctave)
{
    auto& w = open();
    const struct
    {
        int octave;
        juce::juce_wchar character;
        int note;
    } cases[] = {{4, 'a', 60}, {4, 'A', 60}, {4, '\'', 77}, {4, '"', 77}, {4, ':', 76}, {0, 'a', 12}, {8, '\'', 125}};

    for (const auto& c : cases)
    {
        while (w.getOctave() > c.octave)
            w.keyPressed (key ('z'));
        while (w.getOctave() < c.octave)
            w.keyPressed (key ('x'));
        log.ons.clear();
        EXPECT_TRUE (w.keyPressed (key (c.character, c.character == 'A' || c.character == '"' || c.character == ':'
                                                         ? juce::ModifierKeys::shiftModifier
                                                         : juce::ModifierKeys())));
        ASSERT_EQ (log.ons.size(), 1u) << (char)c.character;
        EXPECT_EQ (log.ons[0].first, c.note) << (char)c.character;
        w.keyStateChanged (false); // nothing is down: released
    }
    EXPECT_TRUE (forwarded.isEmpty()) << "Shift is no modifier for forwarding";
}

TEST_F (TypingWindowTest, HeldNotesPlayOnceAndEndWithTheirKeyOrAnOctaveChange)
{
    auto& w = open();
    keysDown = {'a'};
    w.keyPressed (key ('a'));
    w.keyPressed (key ('a')); // auto-repeat
    EXPECT_EQ (log.ons.size(), 1u);
    w.keyStateChanged (true);
    EXPECT_TRUE (processor.keyboardState.isNoteOn (1, 60));

    // X while A is held: the held note no longer matches its key and ends at the next event.
    EXPECT_TRUE (w.keyPressed (key ('X')));
    EXPECT_EQ (processor.keyboardOctave.load(), 5);
    EXPECT_FALSE (w.keyStateChanged (true));
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_TRUE (w.getHeldNotes().isEmpty());
}

TEST_F (TypingWindowTest, OtherKeysGoToTheEditorsHandler)
{
    auto& w = open();
    EXPECT_TRUE (w.keyPressed (key ('b')));
    EXPECT_TRUE (w.keyPressed (juce::KeyPress (juce::KeyPress::tabKey)));
    EXPECT_TRUE (w.keyPressed (key ('a', juce::ModifierKeys::ctrlModifier)));
    EXPECT_TRUE (w.keyPressed (key ('z', juce::ModifierKeys::altModifier)));
    EXPECT_EQ (forwarded.size(), 4);
    EXPECT_EQ (w.getOctave(), 4);
    EXPECT_TRUE (log.ons.empty());

    // Ctrl+Tab moves on to the next window instead.
    EXPECT_TRUE (w.keyPressed (juce::KeyPress (juce::KeyPress::tabKey, juce::ModifierKeys::ctrlModifier, 0)));
    EXPECT_EQ (forwarded.size(), 4);

    w.onUnhandledKey = nullptr;
    EXPECT_FALSE (w.keyPressed (key ('b')));
}

TEST_F (TypingWindowTest, EscapeClosesTheWindowAndEndsItsHeldNotes)
{
    auto& w = open();
    keysDown = {'a', 'g'};
    w.keyPressed (key ('a'));
    w.keyPressed (key ('g'));
    ASSERT_TRUE (processor.keyboardState.isNoteOn (1, 67));

    EXPECT_TRUE (w.keyPressed (juce::KeyPress (juce::KeyPress::escapeKey)));
    EXPECT_EQ (window.getComponent(), nullptr);
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 67));
    EXPECT_FALSE (processor.musicalTypingActive.load());
}

TEST_F (TypingWindowTest, SwitchingToAnotherWindowReleasesTypedNotes)
{
    auto& w = open();
    // Other test processes share the display: wait until this window is the active one.
    ASSERT_TRUE (EditorTest::runMessagesUntil (
        [&]
        {
            if (! w.isActiveWindow())
                w.toFront (true);
            return w.isActiveWindow();
        },
        5000));
    keysDown = {'a'};
    w.keyPressed (key ('a'));

    juce::DocumentWindow other ("Other", juce::Colours::grey, 0, true);
    other.setBounds (0, 0, 200, 100);
    other.setVisible (true);
    other.toFront (true);
    EXPECT_TRUE (EditorTest::runMessagesUntil ([&] { return ! w.isActiveWindow(); }, 3000));
    EXPECT_FALSE (processor.keyboardState.isNoteOn (1, 60));
    EXPECT_TRUE (w.getHeldNotes().isEmpty());
}

TEST_F (TypingWindowTest, VelocityAndOctaveStepWithinTheirLimits)
{
    auto& w = open();
    const juce::StringArray down{"89", "76", "64", "51", "38", "25", "13", "13"};
    for (const auto& text : down)
    {
        EXPECT_TRUE (w.keyPressed (key ('c')));
        EXPECT_EQ (shown (MusicalTypingWindow::velocityValueId), text);
    }
    for (int i = 0; i < 12; ++i)
        child<juce::TextButton> (MusicalTypingWindow::velocityUpButtonId).triggerClick();
    pump();
    EXPECT_EQ (shown (MusicalTypingWindow::velocityValueId), "127");
    EXPECT_FLOAT_EQ (processor.keyboardVelocity.load(), 1.0f);

    for (int i = 0; i < 6; ++i)
        EXPECT_TRUE (w.keyPressed (key ('z')));
    EXPECT_EQ (shown (MusicalTypingWindow::octaveValueId), "0");

    // A change made elsewhere does not reach the window; its next change writes its own values.
    processor.keyboardOctave = 6;
    processor.keyboardVelocity = 0.3f;
    w.keyPressed (key ('x'));
    EXPECT_EQ (processor.keyboardOctave.load(), 1);
    EXPECT_FLOAT_EQ (processor.keyboardVelocity.load(), 1.0f);
}

TEST_F (TypingWindowTest, KeySizesCycleAndReopenWithTheLastSizeAndKeyWidth)
{
    auto& w = open();
    auto& keys = child<juce::MidiKeyboardComponent> (MusicalTypingWindow::keysId);
    auto& sizeButton = child<juce::TextButton> (MusicalTypingWindow::keySizeButtonId);
    EXPECT_EQ (keys.getLowestVisibleKey(), 48); // S shows one octave more on the left

    const struct
    {
        float width;
        const char* text;
    } steps[] = {{55, "Key Size: M"}, {75, "Key Size: L"}, {95, "Key Size: XL"}, {35, "Key Size: S"}, {55, "Key Size: M"}};
    for (const auto& step : steps)
    {
        sizeButton.triggerClick();
        pump();
        EXPECT_EQ (keys.getKeyWidth(), step.width);
        EXPECT_EQ (sizeButton.getButtonText(), step.text);
    }
    EXPECT_EQ (keys.getLowestVisibleKey(), 60);

    w.setSize (900, 400);
    delete window.getComponent();
    EXPECT_EQ (MusicalTypingWindow::lastWidth, 900);

    auto& again = open();
    EXPECT_EQ (again.getWidth(), 900);
    EXPECT_EQ (again.getHeight(), 400);
    EXPECT_EQ (child<juce::MidiKeyboardComponent> (MusicalTypingWindow::keysId).getKeyWidth(), 55.0f);

    // Never smaller than 300 x 235 nor larger than 2000 x 800.
    again.setBoundsConstrained ({50, 50, 100, 100});
    EXPECT_EQ (again.getWidth(), 300);
    EXPECT_EQ (again.getHeight(), 235);
    again.setBoundsConstrained ({0, 0, 5000, 5000});
    EXPECT_LE (again.getWidth(), 2000);
    EXPECT_LE (again.getHeight(), 800);
}

TEST_F (TypingWindowTest, TheOutputChoiceFollowsTheSlotsAndSetsTheTarget)
{
    auto& w = open();
    auto& box = child<juce::ComboBox> (MusicalTypingWindow::outputBoxId);
    EXPECT_EQ (box.getNumItems(), 1);
    EXPECT_EQ (box.getText(), "All Instruments (Omni)");
    EXPECT_EQ (processor.keyboardTargetSlot.load(), 0) << "the target keeps its value until the user picks";

    for (const char* name : {"Bass", "", "Keys"})
    {
        processor.instruments.push_back (makeInstrumentPlugin());
        processor.instruments.back()->name = name;
    }
    // The list refreshes about once a second.
    EXPECT_TRUE (EditorTest::runMessagesUntil ([&] { return box.getNumItems() == 4; }, 3000));
    EXPECT_EQ (box.getItemText (1), "Bass");
    EXPECT_EQ (box.getItemText (2), "Instrument 2");

    box.setSelectedId (4); // the user picks "Keys"
    pump();
    EXPECT_EQ (processor.keyboardTargetSlot.load(), 2);
    w.refreshOutputList();
    EXPECT_EQ (box.getSelectedId(), 4);

    box.setSelectedId (1);
    pump();
    EXPECT_EQ (processor.keyboardTargetSlot.load(), -1);

    // A chosen slot that goes falls back to the first instrument in the box only.
    box.setSelectedId (4);
    pump();
    processor.instruments.pop_back();
    w.refreshOutputList();
    EXPECT_EQ (box.getSelectedId(), 2);
    EXPECT_EQ (processor.keyboardTargetSlot.load(), 2);
}

TEST_F (TypingWindowTest, GlobalQwertySwitchesTheEditorsNoteKeys)
{
    open();
    auto& global = child<juce::TextButton> (MusicalTypingWindow::globalQwertyButtonId);
    EXPECT_EQ (global.getTooltip(), "Allows playing notes even when the main DAW interface is focused.");
    global.triggerClick();
    pump();
    EXPECT_TRUE (processor.musicalTypingGlobal.load());
    delete window.getComponent();
    open();
    EXPECT_TRUE (child<juce::TextButton> (MusicalTypingWindow::globalQwertyButtonId).getToggleState());
}

TEST_F (TypingWindowTest, TheFocusLockMakesTheWindowModalUntilUnlockedAndIsRemembered)
{
    auto& w = open();
    auto& lock = child<juce::TextButton> (MusicalTypingWindow::lockButtonId);
    lock.triggerClick();
    pump();
    EXPECT_TRUE (w.isCurrentlyModal (false));
    EXPECT_TRUE (w.isAlwaysOnTop());
    EXPECT_EQ (lock.getButtonText(), juce::String::fromUTF8 ("\xf0\x9f\x94\x92"));

    // Focus pulled away comes back within a few ticks.
    juce::DocumentWindow other ("Other", juce::Colours::grey, 0, true);
    other.setBounds (0, 0, 200, 100);
    other.setVisible (true);
    other.setWantsKeyboardFocus (true);
    other.grabKeyboardFocus();
    EXPECT_TRUE (EditorTest::runMessagesUntil ([&] { return w.getContentComponent()->hasKeyboardFocus (true); }, 3000));

    // Reopened in the same run: locked, modal again.
    delete window.getComponent();
    auto& again = open();
    EXPECT_TRUE (again.isCurrentlyModal (false));
    auto& lockAgain = child<juce::TextButton> (MusicalTypingWindow::lockButtonId);
    EXPECT_TRUE (lockAgain.getToggleState());

    lockAgain.triggerClick();
    pump();
    EXPECT_FALSE (again.isCurrentlyModal (false));
    EXPECT_FALSE (again.isAlwaysOnTop());
    EXPECT_FALSE (MusicalTypingWindow::lockKeyboardFocus);
}

namespace
{
struct MusicalKeyboardCommand : EditorTest::EditorFixture
{
};
} // namespace

TEST_F (MusicalKeyboardCommand, OpensOneWindowAndBringsItForward)
{
    TYPING_REQUIRE_DISPLAY();
    resetRemembered();
    auto& editor = makeEditor();

    editor.handleMenuCommand (MenuCommands::musicalKeyboard, -1);
    auto* window = dynamic_cast<MusicalTypingWindow*> (editor.musicalTypingWindow.getComponent());
    ASSERT_NE (window, nullptr);
    EXPECT_NE (window->getPeer()->getNativeHandle(), nullptr);
    editor.handleMenuCommand (MenuCommands::musicalKeyboard, -1);
    EXPECT_EQ (editor.musicalTypingWindow.getComponent(), window);

    // Keys it does not use reach the editor: its Space shortcut starts the tape.
    ASSERT_TRUE (window->onUnhandledKey != nullptr);
    window->keyPressed (juce::KeyPress (juce::KeyPress::spaceKey));
    EXPECT_EQ (processor->transportState.load(), TavrelDelayAudioProcessor::transportPlay);

    // The editor closes the window it opened.
    juce::Component::SafePointer<juce::Component> watch (window);
    this->editor.reset();
    EXPECT_EQ (watch.getComponent(), nullptr);
}
