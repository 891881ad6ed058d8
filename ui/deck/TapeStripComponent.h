#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessor;

/** The horizontal view of the tape under the heads: one 30-second stretch of the tape-defect map
    in eight lanes, the loop points and the heads. The editor places it under the deck's tool row;
    scrubbing, the brushes and the waveform come with the deck's mouse handling. */
class TapeStripComponent : public juce::Component,
                           private juce::Timer
{
public:
    explicit TapeStripComponent (TavrelDelayAudioProcessor& processorToShow);
    ~TapeStripComponent() override;

    void paint (juce::Graphics& g) override;

    TavrelDelayAudioProcessor& processor;

    /** The visible stretch inside the 30-second repeat: 0 <= viewStart <= 30 - viewLength. */
    double viewStart = 0.0;
    double viewLength = 30.0;

    /** 0 no brush (the mouse scrubs), 1 Dropout, 2 Splice, 3 Flutter, 4 Crinkle, 5 Drag. */
    int brushType = 0;

    static constexpr int numLanes = 8;
    static constexpr double repeatSeconds = 30.0;

private:
    void timerCallback() override;

    /** x of a tape time (seconds) at its place in the 30-second repeat. */
    float timeToX (double seconds) const;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeStripComponent)
};
