#pragma once

#include <juce_audio_basics/juce_audio_basics.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The dust cover lying over the deck in the skeuomorphic interface: a transparent overlay the
    size of the deck panel that draws the cover picture of the vintage look. A click on the lid
    lifts it away (it fades and rises, then hides itself and reports through onLifted); drop()
    puts it back. Clicks outside the lid pass through to the deck beneath. */
class DustCoverComponent : public juce::Component,
                           private juce::Timer
{
public:
    DustCoverComponent();
    ~DustCoverComponent() override;

    /** Starts lifting the cover off (from wherever it is now). */
    void lift();

    /** Starts putting the cover back, making it visible. */
    void drop();

    /** Lifted without the animation and without onLifted: how the editor starts when the cover
        was put away in an earlier session. */
    void putAwayAtOnce();

    /** True from the start of a lift until the next drop: the cover is not meant to be seen. */
    bool isLifted() const noexcept { return lifting; }

    float getCurrentAlpha() const noexcept { return alpha; }
    float getCurrentYOffset() const noexcept { return yOffset; }

    /** The lid's area, where clicks are taken; in the deck's design units. */
    static bool isOnLid (int x, int y) noexcept;

    bool hitTest (int x, int y) override;
    void mouseDown (const juce::MouseEvent& event) override;
    void paint (juce::Graphics& g) override;

    /** Called once a lift has finished and the cover has hidden itself. */
    std::function<void()> onLifted;

    /** Ticks of a lift or drop (16 ms each, about 0.77 s in all). */
    static constexpr int rampSteps = 48;
    static constexpr int tickMilliseconds = 16;

private:
    void timerCallback() override;

    juce::SmoothedValue<float, juce::ValueSmoothingTypes::Linear> alphaRamp, offsetRamp;
    float alpha = 1.0f;
    float yOffset = 0.0f;
    bool lifting = false;

    juce::Image scaledPicture;
    juce::ReferenceCountedObjectPtr<juce::ImagePixelData> scaledFrom;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (DustCoverComponent)
};
