#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** A transparent pane over the learnable controls while MIDI learn is active: it takes every
    click (the controls underneath get none) and hands it to its owner. */
class MidiGlassPane : public juce::Component
{
public:
    MidiGlassPane() = default;

    std::function<void (const juce::MouseEvent&)> onClick;

    void mouseDown (const juce::MouseEvent&) override;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (MidiGlassPane)
};
