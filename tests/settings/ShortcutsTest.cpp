#include "engine/ParameterIds.h"
#include "tests/settings/SettingsTestSupport.h"
#include "ui/deck/EditorIds.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/deck/ShortcutActions.h"
#include "ui/panels/SettingsPanel.h"
#include "ui/panels/SettingsPanelTexts.h"
#include "ui/panels/ShortcutsTab.h"

using namespace SettingsTest;
namespace S = ShortcutActions;

namespace
{
using Processor = TavrelDelayAudioProcessor;

juce::KeyPress typed (juce::juce_wchar c, juce::ModifierKeys mods = {})
{
    return juce::KeyPress ((int)juce::CharacterFunctions::toUpperCase (c), mods, c);
}

struct ShortcutFixture : public SettingsFixture
{
    void SetUp() override
    {
        SettingsFixture::SetUp();
        processor->musicalTypingGlobal = true;
    }

    bool press (juce::juce_wchar c, juce::ModifierKeys mods = {}) { return editor->keyPressed (typed (c, mods)); }

    /** The key goes up: the editor asks the physical keys. */
    void release (int code)
    {
        keysDown.erase (code);
        editor->keyStateChanged (false);
    }

    bool noteOn (int note) const { return processor->keyboardState.isNoteOn (1, note); }

    /** Reads the file as the next start-up does. */
    std::map<juce::String, juce::KeyPress> reloaded()
    {
        makeEditor();
        return editor->shortcutBindings;
    }
};
} // namespace

TEST_F (ShortcutFixture, DefaultsAreWrittenAndTheFileRoundTrips)
{
    // The editor's start wrote the defaults, in the file's own format.
    const auto file = userFile (S::fileName);
    ASSERT_TRUE (file.existsAsFile());
    const auto text = file.loadFileAsString();
    EXPECT_TRUE (text.startsWith ("<?xml"));
    EXPECT_TRUE (text.contains ("\r\n"));

    auto xml = juce::parseXML (file);
    ASSERT_NE (xml, nullptr);
    EXPECT_TRUE (xml->hasTagName (S::rootTag));
    ASSERT_EQ (xml->getNumChildElements(), 2);
    // Map order: alphabetical by action.
    const auto* first = xml->getChildElement (0);
    EXPECT_TRUE (first->hasTagName (S::bindingTag));
    EXPECT_EQ (first->getStringAttribute (S::actionAttribute), S::playStop);
    EXPECT_EQ (first->getIntAttribute (S::codeAttribute), 32);
    EXPECT_EQ (first->getIntAttribute (S::modsAttribute), 0);
    const auto* second = xml->getChildElement (1);
    EXPECT_EQ (second->getStringAttribute (S::actionAttribute), S::recordArm);
    EXPECT_EQ (second->getIntAttribute (S::codeAttribute), 82);

    // Learning Shift+R for Record Arm and Ctrl+Alt+F5 for Save Reel: both survive a restart.
    editor->shortcutActionToLearn = S::recordArm;
    EXPECT_TRUE (editor->keyPressed (juce::KeyPress ('R', juce::ModifierKeys::shiftModifier, 'R')));
    editor->shortcutActionToLearn = S::saveReel;
    const juce::KeyPress f5 (juce::KeyPress::F5Key, juce::ModifierKeys::ctrlModifier | juce::ModifierKeys::altModifier, 0);
    EXPECT_TRUE (editor->keyPressed (f5));

    xml = juce::parseXML (file);
    auto* shiftR = xml->getChildByAttribute (S::actionAttribute, S::recordArm);
    ASSERT_NE (shiftR, nullptr);
    EXPECT_EQ (shiftR->getIntAttribute (S::codeAttribute), 82);
    EXPECT_EQ (shiftR->getIntAttribute (S::modsAttribute), 1);

    const auto bindings = reloaded();
    ASSERT_EQ (bindings.size(), 3u);
    EXPECT_EQ (bindings.at (S::saveReel), f5);
    EXPECT_EQ (bindings.at (S::recordArm), juce::KeyPress ('R', juce::ModifierKeys::shiftModifier, 0));
    EXPECT_EQ (bindings.at (S::playStop), juce::KeyPress (juce::KeyPress::spaceKey));

    // Plain R no longer arms.
    processor->musicalTypingGlobal = false;
    EXPECT_FALSE (press ('r'));
    EXPECT_FALSE (processor->recordReady.load());
}

TEST_F (ShortcutFixture, ForeignOrBrokenFilesFallBackToTheDefaultsAndAreRepaired)
{
    const auto file = userFile (S::fileName);
    const struct
    {
        const char* content;
        size_t expectedBindings;
    } cases[] = {
        {"<OTHER><BINDING action=\"Rewind\" code=\"81\" mods=\"0\"/></OTHER>", 2},
        {"not xml at all <", 2},
        {"", 2},
        // Any tag with an action counts; elements without one are skipped; no usable element
        // leaves no binding at all.
        {"<SHORTCUTS><KEY action=\"Rewind\" code=\"81\"/><BINDING code=\"5\"/></SHORTCUTS>", 1},
        {"<SHORTCUTS><BINDING code=\"5\"/></SHORTCUTS>", 0},
    };

    for (const auto& c : cases)
    {
        file.replaceWithText (c.content);
        EXPECT_EQ (reloaded().size(), c.expectedBindings) << c.content;
    }

    file.replaceWithText ("<OTHER/>");
    makeEditor();
    EXPECT_TRUE (juce::parseXML (file)->hasTagName (S::rootTag)) << "repaired at start-up";

    file.deleteFile();
    file.createDirectory();
    EXPECT_EQ (reloaded().size(), 2u) << "a folder in the file's place";
}

TEST_F (ShortcutFixture, TypedNotesFollowTheOctaveAndTheKeyMap)
{
    const struct
    {
        int octave;
        juce::juce_wchar key;
        juce::ModifierKeys mods;
        int note;
    } cases[] = {
        {4, 'a', {}, 60},
        {4, 'A', juce::ModifierKeys::shiftModifier, 60},
        {4, 'w', {}, 61},
        {4, ';', {}, 76},
        {4, ':', juce::ModifierKeys::shiftModifier, 76},
        {0, 'a', {}, 12},
        {8, 'k', {}, 120},
        {8, '"', juce::ModifierKeys::shiftModifier, 125},
        {8, '\'', {}, 125},
    };

    for (const auto& c : cases)
    {
        processor->keyboardOctave = c.octave;
        EXPECT_TRUE (press (c.key, c.mods));
        EXPECT_TRUE (noteOn (c.note)) << (char)c.key << " at octave " << c.octave;
        release (c.key);
        EXPECT_FALSE (noteOn (c.note));
    }

    // Octave and velocity keys stop at their limits.
    processor->keyboardOctave = 8;
    EXPECT_TRUE (press ('x'));
    EXPECT_EQ (processor->keyboardOctave.load(), 8);
    processor->keyboardOctave = 0;
    EXPECT_TRUE (press ('Z', juce::ModifierKeys::shiftModifier));
    EXPECT_EQ (processor->keyboardOctave.load(), 0);

    EXPECT_FLOAT_EQ (processor->keyboardVelocity.load(), 0.8f);
    press ('v');
    press ('v');
    EXPECT_FLOAT_EQ (processor->keyboardVelocity.load(), 1.0f);
    press ('v');
    EXPECT_FLOAT_EQ (processor->keyboardVelocity.load(), 1.0f);
    for (int i = 0; i < 12; ++i)
        press ('c');
    EXPECT_FLOAT_EQ (processor->keyboardVelocity.load(), 0.1f);
}

TEST_F (ShortcutFixture, AHeldKeySoundsOnceAndEndsWithItsKey)
{
    // Count what reaches the keyboard state.
    struct Counter : public juce::MidiKeyboardState::Listener
    {
        int ons = 0, offs = 0;
        void handleNoteOn (juce::MidiKeyboardState*, int, int, float) override { ++ons; }
        void handleNoteOff (juce::MidiKeyboardState*, int, int, float) override { ++offs; }
    } counter;
    processor->keyboardState.addListener (&counter);

    keysDown.insert ('a');
    for (int repeat = 0; repeat < 4; ++repeat)
        EXPECT_TRUE (press ('a'));
    editor->keyStateChanged (true); // another key went down: A still held
    EXPECT_EQ (counter.ons, 1);
    EXPECT_EQ (counter.offs, 0);
    EXPECT_EQ (editor->heldTypingNotes, juce::Array<int> ({60}));

    // After an octave change the held key no longer gives its note: it ends at the next event.
    EXPECT_TRUE (press ('x'));
    editor->keyStateChanged (true);
    EXPECT_EQ (counter.offs, 1);
    EXPECT_TRUE (editor->heldTypingNotes.isEmpty());

    processor->keyboardState.removeListener (&counter);
}

TEST_F (ShortcutFixture, CtrlOrAltKeysAndTypingOffGoToTheShortcuts)
{
    const auto showWave = [this] { return parameter (ParameterIds::SHOW_WAVE) > 0.5f; };
    const bool before = showWave();

    // Ctrl+A is a shortcut, never a note.
    editor->shortcutBindings[S::showWaveforms] = juce::KeyPress ('A', juce::ModifierKeys::ctrlModifier, 0);
    EXPECT_TRUE (press ('a', juce::ModifierKeys::ctrlModifier));
    EXPECT_NE (showWave(), before);
    EXPECT_TRUE (editor->heldTypingNotes.isEmpty());

    // With typing on, a shortcut on a note key or on Z never fires; space and R still do.
    editor->shortcutBindings[S::showWaveforms] = juce::KeyPress ('A');
    editor->shortcutBindings[S::directMonitor] = juce::KeyPress ('Z');
    const float directMonitor = parameter (ParameterIds::DIRECT_MON);
    EXPECT_TRUE (press ('a'));
    EXPECT_TRUE (press ('z'));
    EXPECT_NE (showWave(), before);
    EXPECT_EQ (parameter (ParameterIds::DIRECT_MON), directMonitor);

    EXPECT_TRUE (press (' '));
    EXPECT_EQ (processor->transportState.load(), Processor::transportPlay);
    EXPECT_TRUE (press (' '));
    EXPECT_EQ (processor->transportState.load(), Processor::transportStop);
    EXPECT_TRUE (press ('r'));
    EXPECT_TRUE (processor->recordReady.load());

    // Typing off: the note key is the shortcut.
    processor->musicalTypingGlobal = false;
    EXPECT_TRUE (press ('a'));
    EXPECT_EQ (showWave(), before);

    // No binding: not handled.
    EXPECT_FALSE (press ('q'));
}

TEST_F (ShortcutFixture, ActionsReachTheirParametersAndCommands)
{
    processor->musicalTypingGlobal = false;
    editor->shortcutBindings[S::directMonitor] = juce::KeyPress ('1');
    editor->shortcutBindings[S::enableClick] = juce::KeyPress ('2');
    editor->shortcutBindings[S::pageTracks] = juce::KeyPress ('3');
    editor->shortcutBindings["Not An Action"] = juce::KeyPress ('4');
    openReel();

    const float directMonitor = parameter (ParameterIds::DIRECT_MON);
    EXPECT_TRUE (press ('1'));
    EXPECT_NE (parameter (ParameterIds::DIRECT_MON), directMonitor);

    // The click comes on at the reel's tempo even when the fields hold nonsense, and goes off.
    processor->timeSigNumerator = 0;
    processor->timeSigDenominator = 0;
    processor->bpm = -5.0;
    EXPECT_TRUE (press ('2'));
    ASSERT_NE (processor->clickTrack, nullptr);
    EXPECT_EQ (processor->timeSigNumerator.load(), 4);
    EXPECT_EQ (processor->timeSigDenominator.load(), 4);
    EXPECT_DOUBLE_EQ (processor->bpm.load(), 120.0);
    EXPECT_TRUE (press ('2'));
    EXPECT_EQ (processor->clickTrack, nullptr);

    int pageClicks = 0;
    editor->trackPageButton.onClick = [&] { ++pageClicks; };
    EXPECT_TRUE (press ('3'));
    EXPECT_TRUE (runMessagesUntil ([&] { return pageClicks == 1; }));

    EXPECT_TRUE (press ('4')) << "a bound name that is no action is still handled";
}

TEST_F (ShortcutFixture, MomentaryWindLastsWhileItsKeyIsHeld)
{
    processor->musicalTypingGlobal = false;
    editor->shortcutBindings[S::rewind] = juce::KeyPress ('Q');
    editor->shortcutBindings[S::fastForward] = juce::KeyPress (juce::KeyPress::F6Key);

    // Latched mode: a press starts, the next stops.
    EXPECT_TRUE (press ('q'));
    EXPECT_EQ (processor->transportState.load(), Processor::transportRewind);
    EXPECT_TRUE (press ('q'));
    EXPECT_EQ (processor->transportState.load(), Processor::transportStop);

    processor->parameters.getParameter (ParameterIds::MOMENTARY_TRANSPORT)->setValueNotifyingHost (1.0f);
    keysDown.insert ('Q');
    EXPECT_TRUE (press ('q'));
    EXPECT_TRUE (editor->momentaryRewindHeld);
    editor->keyStateChanged (true);
    EXPECT_EQ (processor->transportState.load(), Processor::transportRewind);
    release ('Q');
    EXPECT_FALSE (editor->momentaryRewindHeld);
    EXPECT_EQ (processor->transportState.load(), Processor::transportStop);

    // An extended key, and a transport that left the wind meanwhile keeps going.
    keysDown.insert (juce::KeyPress::F6Key);
    EXPECT_TRUE (editor->keyPressed (juce::KeyPress (juce::KeyPress::F6Key)));
    EXPECT_EQ (processor->transportState.load(), Processor::transportFastForward);
    processor->setTransportState (Processor::transportPlay);
    release (juce::KeyPress::F6Key);
    EXPECT_FALSE (editor->momentaryForwardHeld);
    EXPECT_EQ (processor->transportState.load(), Processor::transportPlay);
}

// Key presses as the window system delivers them: to the focused control, bubbling up to the
// editor; the shortcuts page learns through the same path.
TEST_F (ShortcutFixture, KeysThroughTheWindowReachTheEditorAndThePageLearnsThem)
{
    if (! displayAvailable())
        GTEST_SKIP() << "needs a display";

    processor->musicalTypingGlobal = false;
    openReel();
    juce::DocumentWindow window ("Keys", juce::Colours::black, 0, true);
    window.setContentNonOwned (editor.get(), true);
    window.setVisible (true);
    auto* peer = window.getPeer();
    ASSERT_NE (peer, nullptr);
    ASSERT_NE (peer->getNativeHandle(), nullptr);
    runMessages (50);

    editor->clickButton.grabKeyboardFocus();
    ASSERT_TRUE (editor->clickButton.hasKeyboardFocus (false));
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::spaceKey, {}, ' ')));
    EXPECT_EQ (processor->transportState.load(), Processor::transportPlay);
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::spaceKey, {}, ' ')));
    EXPECT_EQ (processor->transportState.load(), Processor::transportStop);

    // Settings, shortcuts page: click the row of "Rewind", press F7.
    editor->handleMenuCommand (MenuCommands::metronomeSettings, -1);
    auto* panel = dynamic_cast<SettingsPanel*> (editor->deckPanel.findChildWithID (EditorIds::settingsPanel));
    ASSERT_NE (panel, nullptr);
    panel->tabs.setCurrentTabIndex (3);
    auto* page = dynamic_cast<ShortcutsTab*> (panel->tabs.getCurrentContentComponent());
    ASSERT_NE (page, nullptr);

    // After Reset Defaults: space, R, and "None" for the thirteen others.
    page->resetButton.triggerClick();
    runMessagesUntil ([&] { return page->keyButtons[2]->getButtonText() == SettingsPanelTexts::noKey; });
    EXPECT_EQ (page->keyButtons[0]->getButtonText(), juce::KeyPress (juce::KeyPress::spaceKey).getTextDescription());
    EXPECT_EQ (page->keyButtons[1]->getButtonText(), juce::KeyPress ('R').getTextDescription());
    for (int i = 2; i < 15; ++i)
        EXPECT_EQ (page->keyButtons[i]->getButtonText(), SettingsPanelTexts::noKey) << i;

    const int rewindRow = 2;
    ASSERT_EQ (page->actionLabels[rewindRow]->getText(), S::rewind);
    page->keyButtons[rewindRow]->triggerClick();
    ASSERT_TRUE (runMessagesUntil ([&] { return editor->shortcutActionToLearn == S::rewind; }));
    EXPECT_EQ (page->keyButtons[rewindRow]->getButtonText(), SettingsPanelTexts::pressKey);
    EXPECT_EQ (page->keyButtons[rewindRow]->findColour (juce::TextButton::buttonColourId), juce::Colour (0xffff0000));

    const juce::KeyPress f7 (juce::KeyPress::F7Key);
    EXPECT_TRUE (peer->handleKeyPress (f7));
    EXPECT_TRUE (editor->shortcutActionToLearn.isEmpty());
    EXPECT_EQ (editor->shortcutBindings[S::rewind], f7);
    EXPECT_EQ (page->keyButtons[rewindRow]->getButtonText(), f7.getTextDescription());
    EXPECT_EQ (page->keyButtons[rewindRow]->findColour (juce::TextButton::buttonColourId), juce::Colour (0xff222222));
    EXPECT_EQ (juce::parseXML (userFile (S::fileName))->getChildByAttribute (S::actionAttribute, S::rewind)->getIntAttribute (S::codeAttribute),
               f7.getKeyCode());

    // The bound key now rewinds.
    EXPECT_TRUE (peer->handleKeyPress (f7));
    EXPECT_EQ (processor->transportState.load(), Processor::transportRewind);
    processor->setTransportState (Processor::transportStop);

    // A key button clicked and the panel closed: nothing waits for a key any more.
    page->keyButtons[4]->triggerClick();
    ASSERT_TRUE (runMessagesUntil ([&] { return editor->shortcutActionToLearn == S::saveReel; }));
    panel->closeButton.triggerClick();
    ASSERT_TRUE (runMessagesUntil ([&] { return editor->deckPanel.findChildWithID (EditorIds::settingsPanel) == nullptr; }));
    EXPECT_TRUE (editor->shortcutActionToLearn.isEmpty());
    EXPECT_FALSE (editor->onShortcutLearned);
    editor->grabKeyboardFocus();
    EXPECT_TRUE (peer->handleKeyPress (juce::KeyPress (juce::KeyPress::spaceKey, {}, ' ')));
    EXPECT_EQ (processor->transportState.load(), Processor::transportPlay);
    EXPECT_EQ (editor->shortcutBindings.count (S::saveReel), 0u);

    window.clearContentComponent();
}
