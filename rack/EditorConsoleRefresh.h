#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessorEditor;

// Finding the processor's editor from the processor's asynchronous slot callbacks, which hold no
// pointer to it: the editor lives in the main window and may be gone or not yet made.

/** The editor in component's tree (the component itself, else the first found depth first among
    its children in order), or null. */
TavrelDelayAudioProcessorEditor* findProcessorEditor (juce::Component* component);

/** Refreshes the console of the first editor found among the top-level windows, in their order,
    and returns that editor (null when there is none). Message thread; the body of the message
    posted after a plug-in has been put into a slot. */
TavrelDelayAudioProcessorEditor* refreshEditorConsole();

/** Posts refreshEditorConsole to the message thread. */
void postEditorConsoleRefresh();
