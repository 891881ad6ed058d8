#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

/** A slider that jumps back to its reset value (the double-click return value) on a right-click
    or on a second click within 400 ms. */
class RightClickSlider : public juce::Slider
{
public:
    RightClickSlider();

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDoubleClick (const juce::MouseEvent&) override;

    /** Millisecond counter at the previous press; 0 after a reset (so a third quick click
        counts as a first). */
    juce::uint32 lastClickTime = 0;

    /** Two presses closer than this count as a double press. */
    static constexpr juce::uint32 doublePressMs = 400;

protected:
    /** The process-wide millisecond counter (tests replace it). */
    virtual juce::uint32 getMillisecondCounter() const;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (RightClickSlider)
};
