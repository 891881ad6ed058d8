#pragma once

#include "app/SafeWindowConstrainer.h"
#include "engine/TavrelDelayAudioProcessor.h"
#include "platform/ProgramWindows.h"
#include "ui/instruments/InstrumentEditorFactory.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>

class InstrumentScalingWrapper;

/** The resizable window of one built-in instrument slot: the editor of the slot's type, scaled
    into the window at its own proportions. The window's width is remembered per instrument type
    for the rest of the run, and the window grows or shrinks by the keyboard strip when the
    editor shows or hides it. Always on top; deletes itself when closed, and also when its slot
    leaves the processor (a state or reel loaded while it is open): it holds the slot meanwhile,
    so the editor never reads a slot that has gone. */
class InternalInstrumentWindow : public juce::DocumentWindow, private juce::Timer
{
public:
    using InstrumentPlugin = TavrelDelayAudioProcessor::InstrumentPlugin;

    /** Builds the window and shows it. */
    InternalInstrumentWindow (TavrelDelayAudioProcessor& processor, InstrumentPlugin& slot);
    ~InternalInstrumentWindow() override;

    /** Re-fits the window to the editor's design size after its keyboard strip came or went:
        the remembered width of the type (or the current one) at the new proportions, within the
        limits and the main display, moved up when it would end below the display. */
    void resizeKeepingAspect (int designWidth, int baseHeight);

    bool keyPressed (const juce::KeyPress&) override;
    void resized() override;
    void closeButtonPressed() override;

    InstrumentScalingWrapper* getWrapper() const;
    juce::Component* getEditor() const;

    /** The width last used for windows of the type in this run (0 when none). */
    static int getRememberedWidth (int builtInType);
    static void forgetRememberedWidths();

    /** The main display's user area; empty when there is none. Replaceable so that other display
        sizes can be tried; empty function = the real main display. */
    static std::function<juce::Rectangle<int>()> mainDisplayUserArea;

    InstrumentPlugin* slot = nullptr;
    SafeWindowConstrainer constrainer;

    static constexpr int slotCheckIntervalMs = 200;

private:
    void timerCallback() override;

    static juce::Rectangle<int> userArea();
    void setLimits (int designWidth, int designHeight);

    InstrumentEditorFactory::EditorKind kind;
    juce::WeakReference<TavrelDelayAudioProcessor> processor;
    std::shared_ptr<InstrumentPlugin> heldSlot;

    // Closing all secondary windows may delete this one.
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InternalInstrumentWindow)
};
