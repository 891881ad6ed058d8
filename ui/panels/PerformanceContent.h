#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessor;

/** The four lines of the performance monitor, refreshed four times a second: the audio thread's
    load, the memory the reel's tapes take, the occupied processing and instrument slots, and the
    reel's track count, sample rate and block size. */
class PerformanceContent : public juce::Component, private juce::Timer
{
public:
    explicit PerformanceContent (TavrelDelayAudioProcessor& processor);
    ~PerformanceContent() override;

    void paint (juce::Graphics& g) override;
    void resized() override;

    /** Re-reads the figures into the labels (the timer's work). */
    void refresh();

    /** The texts and colours of the lines, from the figures alone. */
    static juce::String loadText (float loadPercent);
    static juce::Colour loadColour (float loadPercent, juce::Colour mainColour);
    static double memoryMegabytes (int numTracks, int firstTrackSamples, double sampleRate);
    static juce::String memoryText (int numTracks, int firstTrackSamples, double sampleRate);
    static juce::String sessionText (int numTracks, double sampleRate, int blockSize);

    TavrelDelayAudioProcessor& processor;
    juce::Label loadLabel, memoryLabel, pluginsLabel, reelInfoLabel;

private:
    void timerCallback() override;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (PerformanceContent)
};
