#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

class TavrelDelayAudioProcessor;

/** The horizontal view of the tape under the heads: one 30-second stretch of the tape-defect map
    in eight lanes (lane 0 at the bottom), the waveform of one track, the loop points and the
    heads. The mouse scrubs the tape, drags the loop markers or paints defects with the brush the
    deck's brush menu chose; the wheel zooms and pans; a double or right press picks the track
    whose waveform shows. */
class TapeStripComponent : public juce::Component,
                           private juce::Timer
{
public:
    explicit TapeStripComponent (TavrelDelayAudioProcessor& processorToShow);
    ~TapeStripComponent() override;

    void paint (juce::Graphics& g) override;
    void mouseMove (const juce::MouseEvent& e) override;
    void mouseExit (const juce::MouseEvent& e) override;
    void mouseDown (const juce::MouseEvent& e) override;
    void mouseDrag (const juce::MouseEvent& e) override;
    void mouseUp (const juce::MouseEvent& e) override;
    void mouseWheelMove (const juce::MouseEvent& e, const juce::MouseWheelDetails& wheel) override;

    /** The 41 ms tick: turns scrub movement into scrub speed, then repaints. */
    void timerCallback() override;

    /** The waveform menu's choice: result r > 0 shows track r. */
    void waveformMenuChosen (int result);

    TavrelDelayAudioProcessor& processor;

    /** The visible stretch inside the 30-second repeat: 0 <= viewStart <= 30 - viewLength. */
    double viewStart = 0.0;
    double viewLength = 30.0;

    /** 0 no brush (the mouse scrubs), 1 Dropout, 2 Splice, 3 Flutter, 4 Crinkle, 5 Drag. */
    int brushType = 0;

    int hoverLane = -1;
    float hoverX = -1.0f;
    int waveformTrack = 0;
    bool scrubbing = false;
    bool draggingLoopIn = false;
    bool draggingLoopOut = false;
    float mouseX = 0.0f;
    float lastMouseX = 0.0f;
    float scrubVelocity = 0.0f;
    juce::uint32 lastClickTime = 0;

    /** The millisecond clock of double presses (tests put their own). */
    std::function<juce::uint32()> millisecondClock = [] { return juce::Time::getMillisecondCounter(); };

    /** Shows the waveform menu; tests replace it to see that it was asked for. */
    std::function<void()> showWaveformMenu;

    static constexpr int numLanes = 8;
    static constexpr double repeatSeconds = 30.0;
    static constexpr double cellsPerSecond = 400.0;

    /** x of a tape time (seconds) at its place in the 30-second repeat. */
    float timeToX (double seconds) const;

    /** The lane under a y position, 0 (bottom) to 7, clamped. */
    int laneAt (float y) const;

private:
    bool lowCpuMode() const;
    void paintStroke (float x, float y);
    void openWaveformMenu();
    void paintDefects (juce::Graphics& g, float laneHeight);
    void paintWaveform (juce::Graphics& g);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (TapeStripComponent)
};
