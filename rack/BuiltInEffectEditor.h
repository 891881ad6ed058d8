#pragma once

#include "engine/TavrelDelayAudioProcessor.h"
#include "rack/InteractiveEQDisplay.h"
#include "ui/looks/CustomLookAndFeel.h"
#include "ui/looks/RackButtonLook.h"

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <array>
#include <memory>

/** The editor of one built-in effect: a fixed 700 x 354 faceplate design scaled into the window.
    In insert mode it edits a slot's fields (and marks the reel as changed); in parameter mode (no
    slot: the aux returns) its controls are bound to the processor's parameters of the same
    identifiers. */
class BuiltInEffectEditor : public juce::Component
{
public:
    using InsertPlugin = TavrelDelayAudioProcessor::InsertPlugin;

    static constexpr int designWidth = 700;
    static constexpr int designHeight = 354;

    /** The controls, the title, the compressor meter and the faceplate at the design size. */
    class ContentLayer : public juce::Component,
                         private juce::Slider::Listener,
                         private juce::ComboBox::Listener,
                         public juce::Timer
    {
    public:
        ContentLayer (TavrelDelayAudioProcessor& processor, int effectType, InsertPlugin* settings);
        ~ContentLayer() override;

        void lookAndFeelChanged() override;
        void paint (juce::Graphics&) override;
        void resized() override;
        void timerCallback() override;

        // Value texts of the knobs.
        static juce::String percentText (double v);
        static juce::String panText (double v);
        static juce::String signedDbText (double v);
        static juce::String echoTimeText (double v, bool sync);
        static juce::String modulationRateText (double v, int mfxType, bool sync);

        /** The needle's angle for a gain reduction in dB (radians clockwise from straight up). */
        static float needleAngle (float reductionDb) noexcept;

        /** The panel rectangle of the faceplate at the layer's size. */
        juce::Rectangle<int> panelArea() const;

        RackButtonLook buttonLook;
        TavrelDelayAudioProcessor& processor;
        InsertPlugin* settings = nullptr;
        int effectType = 0;
        float meterLevel = 0.0f;
        juce::Image background;
        juce::ComboBox choiceBox;
        std::array<juce::Slider, 5> knobs;
        std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment> choiceAttachment;
        std::array<std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment>, 5> knobAttachments;
        juce::OwnedArray<juce::Label> labels;
        std::unique_ptr<InteractiveEQDisplay> eqDisplay;
        std::array<juce::TextButton, 7> typeButtons;
        juce::TextButton mfxSyncButton;
        std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> mfxSyncAttachment;
        juce::TextButton echoSyncButton;
        std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment> echoSyncAttachment;
        bool isInsert = false;

        /** The control each caption belongs to, in caption order. */
        juce::Array<juce::Component*> captionedControls;

    private:
        void addChoice (juce::ComboBox& box, std::unique_ptr<juce::AudioProcessorValueTreeState::ComboBoxAttachment>& slot,
                        const juce::String& identifier, const juce::String& labelText, const juce::StringArray& items,
                        int insertValue);
        void addKnob (juce::Slider& knob, std::unique_ptr<juce::AudioProcessorValueTreeState::SliderAttachment>& slot,
                      const juce::String& identifier, const juce::String& labelText, double insertValue, double minimum,
                      double maximum);
        void addCaption (const juce::String& text, juce::Component& control);
        void setUpSyncButton (juce::TextButton& button,
                              std::unique_ptr<juce::AudioProcessorValueTreeState::ButtonAttachment>& attachment,
                              const juce::String& identifier, bool* field);
        void setUpTypeButtons();
        void markChanged();
        float rawParameter (const char* identifier, float fallback) const;

        void sliderValueChanged (juce::Slider*) override;
        void comboBoxChanged (juce::ComboBox*) override;

        void layOutRow (int g, int c);
        void paintMeter (juce::Graphics&, bool modern, juce::Colour dark, juce::Colour chassis);

        JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (ContentLayer)
    };

    BuiltInEffectEditor (TavrelDelayAudioProcessor& processor, int effectType, InsertPlugin* settings);
    ~BuiltInEffectEditor() override;

    void parentHierarchyChanged() override;
    void lookAndFeelChanged() override;
    void paint (juce::Graphics&) override;
    void resized() override;

    /** The window title of an effect type ("Velmora Tape Echo"...). */
    static juce::String windowTitle (int effectType);

    CustomLookAndFeel customLook;
    ContentLayer content;
    bool isClosing = false;

private:
    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (BuiltInEffectEditor)
};
