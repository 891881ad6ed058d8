#pragma once

#include "app/SafeWindowConstrainer.h"
#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include "platform/ProgramWindows.h"

class BuiltInEffectEditor;

/** The window of one built-in effect, bound to a slot (insert mode) or, with no slot, to the
    aux-return parameters. Kept in the 1920:971 proportion; deletes itself when closed. */
class InternalEffectWindow : public juce::DocumentWindow
{
public:
    using InsertPlugin = TavrelDelayAudioProcessor::InsertPlugin;

    InternalEffectWindow (TavrelDelayAudioProcessor& processor, int effectType, InsertPlugin* settings);
    ~InternalEffectWindow() override;

    bool keyPressed (const juce::KeyPress&) override;
    void closeButtonPressed() override;

    /** The editor shown. */
    BuiltInEffectEditor* getEditor() const;

    InsertPlugin* settings = nullptr;
    int auxKey = 0;
    SafeWindowConstrainer constrainer;

private:
    // Closing all secondary windows may delete this one.
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InternalEffectWindow)
};
