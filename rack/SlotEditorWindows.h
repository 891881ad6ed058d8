#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;

/** The editor windows of slots, found again by their component ID: "INS_WIN_" and the address
    of what they edit (the plug-in instance when the rack opens it, the slot record when an insert
    window does), so at most one window is open per instance or record. */
class SlotEditorWindows
{
public:
    /** "INS_WIN_" and the address as a 64-bit signed decimal. */
    static juce::String windowId (const void* edited);

    /** The first top-level window, in the framework's list order, whose component ID is id. */
    static juce::TopLevelWindow* find (const juce::String& id);

    /** Brings the window with id to the front with keyboard focus; false when there is none. */
    static bool bringToFront (const juce::String& id);

    /** Hides and deletes the last top-level window with id (searching from the last). */
    static void closeLast (const juce::String& id);

    /** Hides and deletes every top-level window with id. */
    static void closeAll (const juce::String& id);

    /** Opens the editor of a hosted plug-in in a plug-in editor window carrying id: its own
        editor, or the generic one when it has none, makes none, or its maker is "Apple". The
        keys the window does not use go to the processor's active editor. Null instance: nothing. */
    static juce::Component* openHostedEditor (TavrelDelayAudioProcessor& processor, juce::AudioPluginInstance* instance,
                                              const juce::String& id);

    /** The key handler of slot editor windows: the processor's active editor's keyPressed, or
        false when there is no editor. */
    static std::function<bool (const juce::KeyPress&)> mainEditorKeys (TavrelDelayAudioProcessor& processor);
};

/** Closes the editor window the rack opened for a plug-in instance (null: nothing). */
void closePluginEditorWindow (juce::AudioPluginInstance* instance);
