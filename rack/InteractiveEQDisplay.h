#pragma once

#include "engine/TavrelDelayAudioProcessor.h"

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

/** The equaliser page: the five bands' response over 20 Hz..20 kHz and +-18 dB with one handle
    per band. Dragging a handle sets the band's frequency and gain, the wheel over it its Q; each
    change goes into the slot's fields and straight into its engine, so the curve and the sound
    follow the mouse without waiting for the next block. */
class InteractiveEQDisplay : public juce::Component
{
public:
    using InsertPlugin = TavrelDelayAudioProcessor::InsertPlugin;

    static constexpr int numBands = 5;
    static constexpr float maxGainDb = 18.0f;
    static constexpr float pickRadius = 20.0f;

    explicit InteractiveEQDisplay (InsertPlugin* settings);
    ~InteractiveEQDisplay() override;

    /** Called after every edit of a band (the editor marks the reel as changed). */
    std::function<void()> onChange;

    InsertPlugin* settings = nullptr;
    int selectedBand = -1;

    void mouseDown (const juce::MouseEvent&) override;
    void mouseDrag (const juce::MouseEvent&) override;
    void mouseUp (const juce::MouseEvent&) override;
    void mouseWheelMove (const juce::MouseEvent&, const juce::MouseWheelDetails&) override;
    void paint (juce::Graphics&) override;

    /** The band whose handle is nearest the point and closer than 20 pixels, or -1; of two equally
        near handles the lower band. */
    int pickBand (juce::Point<float> position) const;

    /** Where band i's handle sits. */
    juce::Point<float> handlePosition (int band) const;

    float xForFrequency (float frequency) const;
    float yForGain (float gainDb) const;

    static int bandType (int band) noexcept;
    static juce::Colour bandColour (int band) noexcept;

private:
    void pushBandToEngine (int band);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (InteractiveEQDisplay)
};
