#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

class TavrelDelayAudioProcessor;

/** The mixing console beside the tape deck: a page of eight channel strips, the rack, the two aux
    returns and the master section. The editor places it and lays its own master fader over the
    console's master column.

    For now it draws the strips and the master section as a frame; the strips, the rack and the
    aux returns are components of their own that fill it. */
class StudioConsoleComponent : public juce::Component
{
public:
    explicit StudioConsoleComponent (TavrelDelayAudioProcessor& processorToShow);
    ~StudioConsoleComponent() override;

    /** Re-reads track names, input-source labels and the rack. Does not repaint. */
    void refreshAll();

    /** Shows or hides the hand-lettered name labels of the strips. */
    void setMaskingTapeVisible (bool shouldBeVisible);

    /** Binds the eight strips to the tracks from firstTrack on (0, 8 or 16). */
    void showTrackPage (int firstTrack);

    int getFirstTrackShown() const noexcept { return firstTrackShown; }
    bool isMaskingTapeVisible() const noexcept { return maskingTapeVisible; }

    void paint (juce::Graphics& g) override;

    TavrelDelayAudioProcessor& processor;

    static constexpr int stripsPerPage = 8;

private:
    /** Strip i's rectangle: the strips share the width right of the 200-unit master column. */
    juce::Rectangle<int> getStripBounds (int strip) const;

    int firstTrackShown = 0;
    bool maskingTapeVisible = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StudioConsoleComponent)
};
