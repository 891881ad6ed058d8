#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>
#include "platform/ProgramWindows.h"

#include <functional>

class TavrelDelayAudioProcessor;

/** A hosted plug-in's editor in a window of its own, floating above the main window. It keeps
    its title bar reachable, lets the computer keyboard play notes while musical typing is on (so
    an instrument can be played from its own window), releases them when the keys go up or the
    window loses focus, and hands every key it does not use to keyHandler (the main editor's
    shortcuts). The window owns the editor, not the plug-in, and deletes itself when closed. */
class PluginEditorWindow : public juce::DocumentWindow
{
public:
    /** The title bar's top never rises above this y. */
    static constexpr int topMargin = 35;

    PluginEditorWindow (const juce::String& name, TavrelDelayAudioProcessor& processor);
    ~PluginEditorWindow() override;

    /** The musical-typing note of a key at the processor's current octave, or -1. */
    int keyToNote (juce::juce_wchar key) const;

    void keepTitleBarOnScreen();

    /** Content size and window position of an editor of the given size: cut to the screen space
        of the user area (its size less 40 x 80; 800 x 600 at 0, 0 without a display), centred
        across and placed no higher than the title height below the area's top. */
    static juce::Rectangle<int> placementFor (const juce::Rectangle<int>* userArea, int editorWidth,
                                              int editorHeight, int titleHeight);

    bool keyPressed (const juce::KeyPress&) override;
    bool keyStateChanged (bool isKeyDown) override;
    void resized() override;
    void moved() override;
    void activeWindowStatusChanged() override;
    void closeButtonPressed() override;

    juce::ComponentBoundsConstrainer constrainer;
    bool adjustingPosition = false;
    TavrelDelayAudioProcessor* processor = nullptr;
    juce::Array<int> heldNotes;
    std::function<bool (const juce::KeyPress&)> keyHandler;

private:
    void releaseAllNotes();

    // Closing all secondary windows may delete this one.
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PluginEditorWindow)
};

/** Builds, sizes, places and shows the window of a plug-in editor; the editor passes into the
    window's ownership. Null (and nothing built) when the editor or the instance is null. */
PluginEditorWindow* createPluginEditorWindow (TavrelDelayAudioProcessor& processor, juce::AudioProcessorEditor* editor,
                                              juce::AudioPluginInstance* instance,
                                              std::function<bool (const juce::KeyPress&)> keyHandler);
