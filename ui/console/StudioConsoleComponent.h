#pragma once

#include "rack/StudioRackComponent.h"
#include "ui/console/ChannelStripComponent.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/RightClickSlider.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <memory>

class TavrelDelayAudioProcessor;

/** The mixing console beside the tape deck: a page of eight channel strips, the two aux-return
    sections (fader, pan, mute, automation mode) and the master section (output meters with
    average readout, peak hold and clip lamp, the slot and unity mark of the editor's master
    fader, which the editor lays over the master column). The rack panel sits in the column
    under the master section (getRackBounds).

    It owns no audio state: every control is bound to a parameter or reads an atomic field of
    the processor. Construction, layout and the aux sections are in StudioConsoleComponent.cpp;
    the master section's drawing, the meters and the timer in StudioConsolePaint.cpp. */
class StudioConsoleComponent : public juce::Component, public juce::Timer, public juce::DragAndDropContainer
{
public:
    explicit StudioConsoleComponent (TavrelDelayAudioProcessor& processorToShow);
    ~StudioConsoleComponent() override;

    // juce::Component
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics& g) override;
    void resized() override;

    // juce::Timer
    void timerCallback() override;

    /** Re-reads track names, input-source labels and insert keys of every strip (and the
        rack). Does not repaint; callers repaint the console afterwards. */
    void refreshAll();

    /** Shows or hides the hand-lettered name labels of the strips. */
    void setMaskingTapeVisible (bool shouldBeVisible);

    /** Binds the eight strips to the tracks from firstTrack on (0, 8 or 16); strips beyond the
        reel's tracks are disabled and dimmed. */
    void showTrackPage (int firstTrack);

    /** Closes every strip's insert window unless the screen position lies in that window or on
        its strip's INS button (the editor calls this on every press on itself). */
    void closeInsertWindowsOutside (juce::Point<int> screenPosition);

    /** The automation-mode menu of an aux return (channel 24 or 25) at the mouse. */
    void showAuxAutomationMenu (int channel, juce::Button& button);
    juce::PopupMenu buildAuxAutomationMenu (int channel) const;
    void applyAuxAutomationChoice (int channel, int result);

    /** The master readout of an averaged level: "-inf" up to 0.001, else dB (not below -100)
        with one decimal, "+" in front when above 0. */
    static juce::String masterReadout (float level);

    /** A low-CPU line of the master meter ("L: " or "R: " and the level). */
    static juce::String masterLowCpuLine (const char* side, float level);

    /** Where the rack panel goes, console-local. */
    juce::Rectangle<int> getRackBounds() const;

    /** The rectangle the timer repaints: the master meters. */
    juce::Rectangle<int> getMeterRegion() const;

    int getFirstTrackShown() const noexcept { return firstTrackShown; }
    bool isMaskingTapeVisible() const noexcept { return maskingTapeVisible; }

    static constexpr int stripsPerPage = 8;
    static constexpr int timerMilliseconds = 41;
    static constexpr int aux1Channel = 24;
    static constexpr int aux2Channel = 25;

    //==============================================================================
    // Members, in declaration order.
    TavrelDelayAudioProcessor& processor;
    juce::OwnedArray<ChannelStripComponent> strips;
    std::unique_ptr<StudioRackComponent> rack;
    RightClickSlider aux1ReturnFader, aux2ReturnFader;
    RightClickSlider aux1PanKnob, aux2PanKnob;
    juce::TextButton aux1MuteButton, aux2MuteButton;
    juce::TextButton aux1AutoButton, aux2AutoButton;
    MarlixButtonLook buttonLook;

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;
    std::unique_ptr<SliderAttachment> aux1ReturnAttachment, aux2ReturnAttachment, aux1PanAttachment,
        aux2PanAttachment;
    std::unique_ptr<ButtonAttachment> aux1MuteAttachment, aux2MuteAttachment;

private:
    /** The two looks' numbers of the aux columns. */
    struct AuxLayout
    {
        int columnX[2];
        int columnWidth, faderY, faderHeight, panSide;
    };

    static AuxLayout auxLayout (bool minimal);

    void setUpAuxSection (RightClickSlider& fader, RightClickSlider& pan, juce::TextButton& mute,
                          juce::TextButton& autoButton, int channel);
    void refreshAuxAutomationButton (juce::TextButton& button, int channel);

    /** Ballistics, then the meter box and its bars or numbers. */
    void paintMasterMeters (juce::Graphics& g, bool minimal, bool lowCpu);
    void paintMasterFaderSlot (juce::Graphics& g, bool minimal);
    void paintAuxSection (juce::Graphics& g, bool minimal, int aux);

    /** The unity mark of a fader column: n is the normalised position of 1.0, r the thumb radius. */
    void paintUnityMark (juce::Graphics& g, bool minimal, int columnX, int faderY, int faderHeight, float r,
                         double n);

    bool isLowCpuMode() const;
    float getMeterProperty (const char* key) const;

    int firstTrackShown = 0;
    bool maskingTapeVisible = false;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (StudioConsoleComponent)
};
