#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessor;

/** The program's one document window. Its content is the processor's editor; the other
    top-level windows follow it when it is minimised, and its close button is the quit request. */
class MainWindow : public juce::DocumentWindow
{
public:
    /** Black, with all three title-bar buttons and the native title bar, resizable; the editor
        as owned content (its constrainer's limits become the window's); covering the main
        display's user area; visible. */
    MainWindow (const juce::String& title, TavrelDelayAudioProcessor& processor);

    void closeButtonPressed() override;
    void minimisationStateChanged (bool isNowMinimised) override;

    /** The main display's user area (the screen without panels and task bars). */
    static juce::Rectangle<int> getMainUserArea();

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MainWindow)
};
