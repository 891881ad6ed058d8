#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

/** Shows a fixed-size instrument editor at whatever size the window gives it: scaled uniformly
    to fit and centred, with the plain background around it. Owns the editor. */
class InstrumentScalingWrapper : public juce::Component
{
public:
    /** Takes the editor, lays it out at the design size and sizes itself the same. */
    InstrumentScalingWrapper (std::unique_ptr<juce::Component> editor, int designWidth, int designHeight);
    ~InstrumentScalingWrapper() override;

    /** A new design size (the keyboard strip came or went): the editor is laid out at it and
        re-scaled to the wrapper's current size. */
    void setDesignSize (int newDesignWidth, int newDesignHeight);

    juce::Component* getContent() const noexcept { return content.get(); }
    int getDesignWidth() const noexcept { return designWidth; }
    int getDesignHeight() const noexcept { return designHeight; }

    /** The scale the editor is drawn at. */
    float getScale() const noexcept;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    std::unique_ptr<juce::Component> content;
    int designWidth = 0;
    int designHeight = 0;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InstrumentScalingWrapper)
};
