#pragma once

#include "ui/console/SourceDisplayLook.h"
#include "ui/looks/MarlixButtonLook.h"
#include "ui/looks/RightClickSlider.h"
#include "ui/looks/SharpieLabelLook.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>
#include <memory>
#include <vector>

class TavrelDelayAudioProcessor;

/** One vertical channel strip of the console: input source, trim, print EQ, inserts, the
    three-band EQ, two aux sends, pan, fader, arm, monitor, mute, solo, phase, automation mode
    and the hand-lettered name on the masking tape. The console builds eight and pages them
    through the reel's tracks by rebinding (setTrackIndex), never by building new ones.

    Every per-track control carries its parameter's identifier ("VOL_3") as component ID, which
    the looks draw by and MIDI learn binds by.

    The definition is split by concern: controls, binding and layout (ChannelStripComponent.cpp),
    meters, indicators and drawing (ChannelStripPaint.cpp), routing, menus and group links
    (ChannelStripRouting.cpp). */
class ChannelStripComponent : public juce::Component, public juce::Timer
{
public:
    ChannelStripComponent (int stripIndex, TavrelDelayAudioProcessor& processorToUse);
    ~ChannelStripComponent() override;

    // juce::Component
    void mouseDown (const juce::MouseEvent&) override;
    void paint (juce::Graphics&) override;
    void resized() override;

    // juce::Timer
    void timerCallback() override;

    /** Rebinds every control to another 0-based track (console paging). */
    void setTrackIndex (int track);

    /** Reloads the name label from the state tree. */
    void updateTrackName();

    /** Shows MON_n as "T" (tape, orange) or "IN" (input, blue). */
    void updateMonitorButton();

    /** The source button's text and colour from the track's input source. */
    void updateInputSourceLabel();

    /** The INS button's colours: green while the track has inserts. */
    void updateInsertButton();

    /** The AUTO button's text, colour and toggle state from the channel's automation mode. */
    void updateAutomationIndicator();

    // Menus (shown asynchronously at the mouse) and what their results do; the builders and
    // the result handlers are separate so the console's refresh and tests can reach them.
    void showInputSourceMenu();
    juce::PopupMenu buildInputSourceMenu() const;
    void applyInputSourceChoice (int result);

    void showAutomationModeMenu();
    juce::PopupMenu buildAutomationModeMenu() const;
    void applyAutomationModeChoice (int result);

    juce::PopupMenu buildContextMenu() const;
    void handleContextMenuResult (int result);

    /** The tracks that move with this one (ARM, MUTE, SOLO, automation mode): the other tracks
        of its group, when the group is one of 1..8 and exists; otherwise none. */
    std::vector<int> getGroupPartners() const;

    /** Opens the track's insert window, or brings the open one to the front. */
    void openInsertWindow();

    /** Makes the insert window of a track (the rack sets it; until then INS opens nothing). The
        window shows itself and deletes itself when closed. */
    static std::function<juce::DocumentWindow* (TavrelDelayAudioProcessor&, int track)> makeInsertWindow;

    //==============================================================================
    // Readouts shared with the console and its tests.

    /** The fader's value text: "-inf dB" up to 0.001, else the level in dB (not below -100) with
        one decimal and " dB". */
    static juce::String faderValueText (double gain);

    /** The low-CPU readout of a level: "-inf" at or below -59.9 dB, else dB with one decimal. */
    static juce::String lowCpuReadout (float level);

    /** The source button's text and colour for an input-source code; false when the text stays
        as it was (codes 304 and above). */
    static bool sourceLabelFor (int sourceCode, juce::String& text, juce::Colour& colour);

    /** The AUTO button's text and colour for an automation mode. */
    static void automationFaceFor (int mode, juce::String& text, juce::Colour& colour);

    /** The group dot's colour; groups 9 and above are white. */
    static juce::Colour groupColour (int group);

    /** The meter area's rectangle in strip coordinates (its repaints ask for this). */
    juce::Rectangle<int> getMeterArea() const { return {0, 0, getWidth(), juce::jmin (getHeight(), 52)}; }

    //==============================================================================
    // Members, in construction order.
    int trackIndex;
    int trackNumber;
    juce::Label nameLabel;
    TavrelDelayAudioProcessor& processor;
    int lowCpuTickCounter = 0;
    MarlixButtonLook buttonLook;
    SharpieLabelLook labelLook;
    SourceDisplayLook sourceLook;

    juce::TextButton sourceButton;
    RightClickSlider trimKnob;
    juce::TextButton printEqButton;
    juce::TextButton insertButton;
    juce::Component::SafePointer<juce::DocumentWindow> insertWindow;
    RightClickSlider eqHighKnob, eqMidFreqKnob, eqMidGainKnob, eqLowKnob;
    RightClickSlider aux1Knob, aux2Knob;
    RightClickSlider panKnob;
    RightClickSlider volumeFader;
    juce::ToggleButton armButton;
    juce::TextButton monitorButton;
    juce::TextButton muteButton, soloButton, phaseButton;
    juce::TextButton autoButton;

    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;
    std::unique_ptr<ButtonAttachment> muteAttachment, soloAttachment, phaseAttachment;
    std::unique_ptr<SliderAttachment> trimAttachment;
    std::unique_ptr<ButtonAttachment> printEqAttachment;
    std::unique_ptr<SliderAttachment> eqHighAttachment, eqMidFreqAttachment, eqMidGainAttachment, eqLowAttachment;
    std::unique_ptr<SliderAttachment> aux1Attachment, aux2Attachment, volumeAttachment, panAttachment;

    float meterLevel = 0.0f;
    juce::uint32 lastMeterClickTime = 0;

    static constexpr int timerMilliseconds = 41;

protected:
    /** The process-wide millisecond counter (tests replace it). */
    virtual juce::uint32 getMillisecondCounter() const;

private:
    /** A knob's style, colour and tooltip. */
    void setupKnob (RightClickSlider& knob, juce::Colour fill, const juce::String& tooltip);

    /** Every per-track control's ID and attachment for the track number n (old attachments go
        first, so no control is ever bound twice). */
    void bindControls();

    void installFaderTextFunction();
    void onArmClicked();
    void onLinkedToggleClicked (juce::TextButton& button, const char* prefix);
    void onMonitorClicked();

    /** The parameter of this strip's track with the prefix, or null. */
    juce::RangedAudioParameter* trackParameter (const char* prefix) const;

    bool isMinimalLook() const;
    bool isDarkTheme() const;
    bool isLowCpuMode() const;
    bool trackExists() const;

    void refreshArmButton();
    void paintMinimalMeter (juce::Graphics&);
    void paintLowCpuReadout (juce::Graphics&);
    void paintNeedleMeter (juce::Graphics&);
    void paintChassis (juce::Graphics&);
    void paintKnobLabel (juce::Graphics&, const juce::Slider& knob, const juce::String& caption);
    void paintRecordLed (juce::Graphics&);
    void paintUnityMark (juce::Graphics&);
    void paintGroupDot (juce::Graphics&);

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ChannelStripComponent)
};
