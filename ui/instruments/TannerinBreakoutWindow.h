#pragma once

#include "app/SafeWindowConstrainer.h"
#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

class TannerinBreakoutComponent;

/** "Lirvando Performance Keyboard": a wide, always-on-top window for playing the slide
    instrument with a ribbon and a gate bar. Shows itself on construction and deletes itself
    when closed; the slide editor that opened it keeps a safe pointer to it and deletes it when
    the editor goes first. */
class TannerinBreakoutWindow : public juce::DocumentWindow
{
public:
    static constexpr int preferredWidth = 1400;
    static constexpr int preferredHeight = 300;

    TannerinBreakoutWindow (TavrelDelayAudioProcessor& processor, TavrelDelayAudioProcessor::InstrumentPlugin* slot,
                            juce::Button* editorTouchButton);
    ~TannerinBreakoutWindow() override;

    bool keyPressed (const juce::KeyPress&) override;
    void closeButtonPressed() override;

    TannerinBreakoutComponent* getPerformanceComponent() const;

    /** The width for a main display user area of this width (none: 0). */
    static int widthForDisplay (int userAreaWidth) noexcept;

    SafeWindowConstrainer constrainer;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TannerinBreakoutWindow)
};
