#pragma once

#include "app/SafeWindowConstrainer.h"

#include <juce_gui_basics/juce_gui_basics.h>
#include "platform/ProgramWindows.h"

class TavrelDelayAudioProcessor;

/** "Performance Monitor": a small fixed-size window around a PerformanceContent. Create it with
    new; its close button deletes it (the editor keeps only a safe pointer). */
class PerformanceWindow : public juce::DocumentWindow
{
public:
    PerformanceWindow (TavrelDelayAudioProcessor& processor, juce::LookAndFeel* look);
    ~PerformanceWindow() override;

    void closeButtonPressed() override;

    SafeWindowConstrainer constrainer;

private:
    // Closing all secondary windows may delete this one.
    ProgramWindows::Registration programWindow{*this};

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PerformanceWindow)
};
