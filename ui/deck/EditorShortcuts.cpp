// The editor's keyboard: shortcut learning for the settings panel, musical typing into the
// processor's keyboard state, the shortcut actions, and the file the bindings persist in.

#include "ui/deck/TavrelDelayAudioProcessorEditor.h"

#include "engine/ParameterIds.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/Platform.h"
#include "storage/GuardedXmlReader.h"
#include "ui/deck/MenuCommandIds.h"
#include "ui/deck/ShortcutActions.h"
#include "ui/instruments/MusicalTypingKeys.h"

namespace
{
using Editor = TavrelDelayAudioProcessorEditor;

/** What a key press types: its text character, or its key code for a press that carries none. */
juce::juce_wchar typedCharacter (const juce::KeyPress& key)
{
    if (const auto text = key.getTextCharacter(); text != 0)
        return text;

    const int code = key.getKeyCode();
    return code > 0 && code < 256 ? (juce::juce_wchar)code : 0;
}

/** Flips an on/off parameter as a change the host and every listener hears of. */
void toggleParameter (TavrelDelayAudioProcessor& processor, const char* parameterId)
{
    if (auto* parameter = processor.parameters.getParameter (parameterId))
        parameter->setValueNotifyingHost (parameter->getValue() < 0.5f ? 1.0f : 0.0f);
}

bool parameterOn (TavrelDelayAudioProcessor& processor, const char* parameterId)
{
    auto* value = processor.parameters.getRawParameterValue (parameterId);
    return value != nullptr && value->load() > 0.5f;
}

/** Rewind (3) or fast forward (4) from a shortcut: held in the momentary mode, else a toggle. */
void windFromShortcut (Editor& editor, int state, bool& held)
{
    auto& processor = editor.audioProcessor;

    if (parameterOn (processor, ParameterIds::MOMENTARY_TRANSPORT))
    {
        processor.setTransportState (state);
        held = true;
        return;
    }

    processor.setTransportState (processor.transportState.load() == state ? TavrelDelayAudioProcessor::transportStop
                                                                           : state);
}

void runAction (Editor& editor, const juce::String& action)
{
    namespace A = ShortcutActions;
    namespace C = MenuCommands;
    auto& processor = editor.audioProcessor;

    if (action == A::playStop)
        processor.setTransportState (processor.transportState.load() == TavrelDelayAudioProcessor::transportStop
                                         ? TavrelDelayAudioProcessor::transportPlay
                                         : TavrelDelayAudioProcessor::transportStop);
    else if (action == A::recordArm)
        processor.recordButtonPressed();
    else if (action == A::rewind)
        windFromShortcut (editor, TavrelDelayAudioProcessor::transportRewind, editor.momentaryRewindHeld);
    else if (action == A::fastForward)
        windFromShortcut (editor, TavrelDelayAudioProcessor::transportFastForward, editor.momentaryForwardHeld);
    else if (action == A::saveReel)
        editor.handleMenuCommand (C::saveReel, -1);
    else if (action == A::saveState2)
        editor.handleMenuCommand (C::saveState2, -1);
    else if (action == A::saveState3)
        editor.handleMenuCommand (C::saveState3, -1);
    else if (action == A::loadAutoSave)
        editor.handleMenuCommand (C::loadSlot1, -1);
    else if (action == A::loadState2)
        editor.handleMenuCommand (C::loadSlot2, -1);
    else if (action == A::loadState3)
        editor.handleMenuCommand (C::loadSlot3, -1);
    else if (action == A::directMonitor)
        toggleParameter (processor, ParameterIds::DIRECT_MON);
    else if (action == A::enableClick)
    {
        // The tempo fields may hold what a damaged reel gave them; the click never gets a zero.
        const double bpm = processor.bpm.load();
        const int beats = processor.timeSigNumerator.load();
        const int unit = processor.timeSigDenominator.load();
        processor.setClickEnabled (processor.clickTrack == nullptr, bpm > 0.0 ? bpm : 120.0, beats < 1 ? 4 : beats,
                                   unit < 1 ? 4 : unit);
    }
    else if (action == A::showWaveforms)
        toggleParameter (processor, ParameterIds::SHOW_WAVE);
    else if (action == A::pageTracks)
        editor.trackPageButton.triggerClick();
    else if (action == A::musicalKeyboard)
        editor.handleMenuCommand (C::musicalKeyboard, -1);
}

/** Ends a shortcut-held wind once its key is up; the transport stops only if it still winds. */
void releaseWindIfKeyUp (Editor& editor, const char* action, int state, bool& held)
{
    if (! held)
        return;

    const auto binding = editor.shortcutBindings.find (action);
    if (binding == editor.shortcutBindings.end() || editor.isKeyPhysicallyDown (binding->second.getKeyCode()))
        return;

    held = false;
    auto& processor = editor.audioProcessor;
    if (processor.transportState.load() == state)
        processor.setTransportState (TavrelDelayAudioProcessor::transportStop);
}
} // namespace

int TavrelDelayAudioProcessorEditor::noteForTypedCharacter (juce::juce_wchar character) const
{
    return MusicalTypingKeys::noteFor ((int)character, audioProcessor.keyboardOctave.load());
}

bool TavrelDelayAudioProcessorEditor::keyPressed (const juce::KeyPress& key)
{
    // 1. The settings panel waits for a key: whatever comes, Escape included, is bound.
    if (shortcutActionToLearn.isNotEmpty())
    {
        shortcutBindings[shortcutActionToLearn] = key;
        saveShortcuts();
        shortcutActionToLearn.clear();
        if (onShortcutLearned)
            onShortcutLearned();
        return true;
    }

    // 2. Musical typing, Shift or not, but never with Ctrl or Alt.
    const auto mods = key.getModifiers();
    if (audioProcessor.musicalTypingGlobal.load() && ! mods.isCtrlDown() && ! mods.isAltDown())
    {
        const auto c = juce::CharacterFunctions::toLowerCase (typedCharacter (key));
        auto& octave = audioProcessor.keyboardOctave;
        auto& velocity = audioProcessor.keyboardVelocity;

        switch (c)
        {
            case 'z':
                octave.store (juce::jmax (0, octave.load() - 1));
                return true;
            case 'x':
                octave.store (juce::jmin (8, octave.load() + 1));
                return true;
            case 'c':
                // Tenths are not exact in floats: 0.2 - 0.1 must land on the floor, not below it.
                velocity.store (juce::jmax (0.1f, juce::roundToInt ((velocity.load() - 0.1f) * 100.0f) / 100.0f));
                return true;
            case 'v':
                velocity.store (juce::jmin (1.0f, juce::roundToInt ((velocity.load() + 0.1f) * 100.0f) / 100.0f));
                return true;
            default:
                break;
        }

        if (const int note = noteForTypedCharacter (typedCharacter (key)); note >= 0)
        {
            // Key repeat: the note already sounds.
            if (! heldTypingNotes.contains (note))
            {
                heldTypingNotes.add (note);
                audioProcessor.keyboardState.noteOn (1, note, velocity.load());
            }
            return true;
        }
    }

    // 3. Shortcuts, first match in the map's (alphabetical) order.
    for (const auto& [action, binding] : shortcutBindings)
    {
        if (binding == key)
        {
            runAction (*this, action);
            return true;
        }
    }

    return false;
}

bool TavrelDelayAudioProcessorEditor::keyStateChanged (bool)
{
    // Asks for the physical keys rather than trusting key-up events, which may go to another
    // window. A note whose key no longer gives it (the octave moved) ends here too.
    MusicalTypingKeys::releaseLiftedNotes (heldTypingNotes, audioProcessor.keyboardOctave.load(),
                                           audioProcessor.keyboardState, isKeyPhysicallyDown);

    if (parameterOn (audioProcessor, ParameterIds::MOMENTARY_TRANSPORT))
    {
        releaseWindIfKeyUp (*this, ShortcutActions::rewind, TavrelDelayAudioProcessor::transportRewind,
                            momentaryRewindHeld);
        releaseWindIfKeyUp (*this, ShortcutActions::fastForward, TavrelDelayAudioProcessor::transportFastForward,
                            momentaryForwardHeld);
    }

    return false;
}

juce::File TavrelDelayAudioProcessorEditor::getShortcutsFile()
{
    return Platform::getUserDataFolder().getChildFile (ShortcutActions::fileName);
}

void TavrelDelayAudioProcessorEditor::loadShortcuts()
{
    namespace S = ShortcutActions;

    const auto file = getShortcutsFile();
    std::unique_ptr<juce::XmlElement> xml;
    if (file.existsAsFile())
        xml = GuardedXmlReader::parseFile (file);

    // Missing, unreadable or foreign: the defaults, written back so the file is repaired.
    if (xml == nullptr || ! xml->hasTagName (S::rootTag))
    {
        resetShortcutsToDefaults();
        return;
    }

    shortcutBindings.clear();
    for (const auto* child : xml->getChildIterator())
    {
        const auto action = child->getStringAttribute (S::actionAttribute);
        if (action.isEmpty())
            continue;

        const int mods = child->getIntAttribute (S::modsAttribute, 0) & S::storedModifiers;
        shortcutBindings[action] = juce::KeyPress (child->getIntAttribute (S::codeAttribute, 0),
                                                   juce::ModifierKeys (mods), 0);
    }
}

void TavrelDelayAudioProcessorEditor::saveShortcuts()
{
    namespace S = ShortcutActions;

    juce::XmlElement root (S::rootTag);
    for (const auto& [action, binding] : shortcutBindings)
    {
        auto* element = root.createNewChildElement (S::bindingTag);
        element->setAttribute (S::actionAttribute, action);
        element->setAttribute (S::codeAttribute, binding.getKeyCode());
        element->setAttribute (S::modsAttribute, binding.getModifiers().getRawFlags() & S::storedModifiers);
    }

    const auto file = getShortcutsFile();
    file.getParentDirectory().createDirectory();
    root.writeTo (file); // a failed write keeps the bindings for this run
}

void TavrelDelayAudioProcessorEditor::resetShortcutsToDefaults()
{
    shortcutBindings.clear();
    shortcutBindings[ShortcutActions::playStop] = juce::KeyPress (juce::KeyPress::spaceKey);
    shortcutBindings[ShortcutActions::recordArm] = juce::KeyPress ('R');
    saveShortcuts();
}
